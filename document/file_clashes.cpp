#include "document/file_clashes.h"
#include "core/file_names.h"

namespace {

std::string clash(const NamedFile& output, const NamedFile& other) {
    const char* why = is_input(other.role) ? "an output must not replace an input"
                                           : "two outputs cannot be written to one file";
    return "ERROR: " + output.option + " and " + other.option + " name the same file " +
           output.path + ": " + why;
}

} // namespace

std::string clashing_files(const std::vector<NamedFile>& files) {
    for (size_t i = 0; i < files.size(); ++i) {
        if (is_input(files[i].role)) continue;
        for (size_t j = 0; j < files.size(); ++j) {
            const NamedFile &out = files[i], &other = files[j];
            // Each pair of outputs once; the opened mesh may take its own OBJ.
            if (j == i || (!is_input(other.role) && j < i)) continue;
            if (out.role == FileRole::WriteMesh && other.role == FileRole::ReadMesh) continue;
            if (names_one_file(out.path, other.path)) return clash(out, other);
        }
    }
    return {};
}

std::string ScriptFiles::add_line(int number, std::vector<NamedFile> files) {
    std::vector<NamedFile> all = files;
    all.insert(all.end(), inputs.begin(), inputs.end());
    std::string clash = clashing_files(all);
    for (NamedFile& f : files)
        if (is_input(f.role)) {
            f.option = "line " + std::to_string(number) + "'s " + f.option;
            inputs.push_back(std::move(f));
        }
    return clash;
}
