#include "cli/file_roles.h"
#include "cli/command.h"
#include "core/file_names.h"

namespace {

bool is_input(FileRole role) {
    return role == FileRole::Read || role == FileRole::ReadMesh;
}

// The option as its help shows it: "-o/--output", "--normals", "MESH".
std::string option_name(const CLI::Option& option) {
    if (!option.get_snames().empty() && !option.get_lnames().empty())
        return "-" + option.get_snames()[0] + "/--" + option.get_lnames()[0];
    return option.get_name();
}

std::string clash(const NamedFile& output, const NamedFile& other) {
    const char* why = is_input(other.role) ? "an output must not replace an input"
                                           : "two outputs cannot be written to one file";
    return "ERROR: " + output.option + " and " + other.option + " name the same file " +
           output.path + ": " + why;
}

} // namespace

CLI::Option* FileOptions::add(CLI::Option* option, FileRole role) {
    options.push_back({option, role});
    return option;
}

std::vector<NamedFile> FileOptions::given() const {
    std::vector<NamedFile> files;
    for (const Entry& e : options)
        for (const std::string& path : e.option->results())
            if (!path.empty()) files.push_back({option_name(*e.option), path, e.role});
    return files;
}

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
