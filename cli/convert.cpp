#include "cli/commands.h"
#include "core/vostrel.h"

#include <cstdio>

int convert_command(const Arguments& args) {
    std::string input, output;
    bool colours = false;
    for (const std::string& a : args) {
        if (a == "--colours")
            colours = true;
        else if (a.starts_with("-") && a.size() > 1)
            return usage_error("convert: unknown option '" + a + "'");
        else if (input.empty())
            input = a;
        else if (output.empty())
            output = a;
        else
            return usage_error("convert: too many arguments");
    }
    if (output.empty()) return usage_error("convert: expected INPUT and OUTPUT.obj");

    Mesh mesh;
    IoResult r = load_mesh_file(mesh, input);
    if (r) r = mesh.save_obj(output, colours);
    if (!r) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return 1;
    }
    return 0;
}
