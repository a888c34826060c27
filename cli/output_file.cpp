#include "cli/command.h"
#include "core/file_names.h"
#include "core/scene_writer.h"

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

IoResult mesh_output_allowed(const std::string& output, const std::string& input) {
    if (output.empty()) return IoResult::success();
    SaveFormat format = save_format(output);
    if (format == SaveFormat::Unknown) return unknown_save_format(output);
    const SaveFormatInfo& written = format_info(format);
    if (save_format(input) != format)
        if (IoResult r = keeps_input(output, input, written.written); !r) return r;
    if (format == SaveFormat::Obj) warn_unless_extension(output, ".obj", written.written);
    return IoResult::success();
}

std::string mesh_output_help() {
    return "The mesh file to write, in the format its extension names (" + save_extensions(" or ") +
           "; OBJ for a name without one)";
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
