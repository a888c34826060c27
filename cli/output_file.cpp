#include "cli/command.h"
#include "core/file_names.h"
#include "core/mesh_file.h"

#include <cctype>
#include <cstdio>
#include <sys/stat.h>

namespace {

bool ends_with_nocase(const std::string& name, const std::string& tail) {
    if (name.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower((unsigned char)name[name.size() - tail.size() + i]) != tail[i])
            return false;
    return true;
}

} // namespace

IoResult keeps_input(const std::string& output, const std::string& input, const char* written) {
    if (output.empty() || !same_file(output, input)) return IoResult::success();
    return IoResult::failure("ERROR: " + output + " is also the input; writing " + written +
                             " there would replace it");
}

IoResult obj_output_allowed(const std::string& output, const std::string& input) {
    if (mesh_format(input) != MeshFormat::Obj)
        if (IoResult r = keeps_input(output, input, "OBJ text"); !r) return r;
    warn_unless_extension(output, ".obj", "OBJ text");
    return IoResult::success();
}

void warn_unless_extension(const std::string& output, const char* extension, const char* written) {
    struct stat info;
    if (output.empty()) return;
    // Devices and pipes (/dev/stdout) have names of their own.
    if (stat(output.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return;
    if (ends_with_nocase(output, extension)) return;
    std::fprintf(stderr, "WARNING: %s: written as %s, though the name does not end in %s\n",
                 output.c_str(), written, extension);
}
