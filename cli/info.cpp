#include "cli/commands.h"
#include "core/vostrel.h"

#include <cmath>
#include <cstdio>

namespace {

struct Options {
    std::string file;
    bool json = false;
};

bool parse(const Arguments& args, Options& o, std::string& problem) {
    for (const std::string& a : args) {
        if (a == "--json")
            o.json = true;
        else if (a.starts_with("-") && a.size() > 1)
            return problem = "info: unknown option '" + a + "'", false;
        else if (o.file.empty())
            o.file = a;
        else
            return problem = "info: more than one FILE", false;
    }
    if (o.file.empty()) return problem = "info: missing FILE", false;
    return true;
}

int border_edges(const Mesh& mesh) {
    int n = 0;
    for (const auto& e : mesh.edgefaces) n += e[1] == -1;
    return n;
}

// JSON has no infinities or NaN.
std::string json_number(float f) {
    if (!std::isfinite(f)) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", f);
    return buf;
}

std::string json_triple(float x, float y, float z) {
    std::string s = "[";
    s.append(json_number(x))
        .append(", ")
        .append(json_number(y))
        .append(", ")
        .append(json_number(z));
    return s.append("]");
}

} // namespace

int info_command(const Arguments& args) {
    Options o;
    std::string problem;
    if (!parse(args, o, problem)) return usage_error(problem);
    // Standard output carries the JSON object alone.
    if (o.json) set_console_stream(stderr);

    Mesh mesh;
    if (IoResult r = load_mesh_file(mesh, o.file); !r) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return 1;
    }
    const Vector &lo = mesh.bbox[4], &hi = mesh.bbox[1], &c = mesh.centre;
    int border = border_edges(mesh);
    if (o.json) {
        std::printf("{\"nv\": %d, \"nf\": %d, \"nedges\": %d, \"border_edges\": %d, "
                    "\"bbox_min\": %s, \"bbox_max\": %s, \"extent\": %s, \"centre\": %s}\n",
                    mesh.nv, mesh.nf, mesh.nedges, border, json_triple(lo.x, lo.y, lo.z).c_str(),
                    json_triple(hi.x, hi.y, hi.z).c_str(), json_number(mesh.extent).c_str(),
                    json_triple(c.x, c.y, c.z).c_str());
    } else {
        std::printf("file:         %s\n", o.file.c_str());
        std::printf("vertices:     %d\n", mesh.nv);
        std::printf("faces:        %d\n", mesh.nf);
        std::printf("edges:        %d\n", mesh.nedges);
        std::printf("border edges: %d\n", border);
        std::printf("bounding box: (%g, %g, %g) - (%g, %g, %g)\n", lo.x, lo.y, lo.z, hi.x, hi.y,
                    hi.z);
        std::printf("extent:       %g\n", mesh.extent);
        std::printf("centre:       (%g, %g, %g)\n", c.x, c.y, c.z);
    }
    return 0;
}
