// vostrel-cli info: what a mesh holds once loaded as the viewer loads it.
#include "cli/command.h"
#include "core/vostrel.h"
#include "document/document.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

namespace cli_info {

struct Options {
    std::string file;
    bool json = false;
};

int border_edges(const Mesh& mesh) {
    int n = 0;
    for (const auto& e : mesh.edgefaces) n += e[1] == -1;
    return n;
}

// A float as its shortest decimal form (0.3, not 0.30000001192092896); JSON has no
// infinities or NaN, so those are null.
nlohmann::json json_number(float f) {
    if (!std::isfinite(f)) return nullptr;
    char buf[32];
    auto end = std::to_chars(buf, buf + sizeof buf, f).ptr;
    double d = 0;
    std::from_chars(buf, end, d);
    return d;
}

nlohmann::json json_triple(const Vector& v) {
    return {json_number(v.x), json_number(v.y), json_number(v.z)};
}

// Sends the console lines to `stream` while it lives.
class ConsoleTo {
  public:
    explicit ConsoleTo(std::FILE* stream) : before(console_stream()) { set_console_stream(stream); }
    ~ConsoleTo() { set_console_stream(before); }
    ConsoleTo(const ConsoleTo&) = delete;
    ConsoleTo& operator=(const ConsoleTo&) = delete;

  private:
    std::FILE* before;
};

// `format` is the name of the format the file was read as ("PLY"), null for none.
void print_json(const Mesh& mesh, int border, const std::string& format) {
    nlohmann::ordered_json j;
    j["nv"] = mesh.nv;
    j["nf"] = mesh.nf;
    j["nedges"] = mesh.nedges;
    j["border_edges"] = border;
    j["bbox_min"] = json_triple(mesh.bbox[4]);
    j["bbox_max"] = json_triple(mesh.bbox[1]);
    j["extent"] = json_number(mesh.extent);
    j["centre"] = json_triple(mesh.centre);
    j["format"] = format.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(format);
    std::printf("%s\n", j.dump().c_str());
}

void print_text(const Mesh& mesh, int border, const std::string& file) {
    const Vector &lo = mesh.bbox[4], &hi = mesh.bbox[1], &c = mesh.centre;
    std::printf("file:         %s\n", file.c_str());
    std::printf("vertices:     %d\n", mesh.nv);
    std::printf("faces:        %d\n", mesh.nf);
    std::printf("edges:        %d\n", mesh.nedges);
    std::printf("border edges: %d\n", border);
    std::printf("bounding box: (%g, %g, %g) - (%g, %g, %g)\n", lo.x, lo.y, lo.z, hi.x, hi.y, hi.z);
    std::printf("extent:       %g\n", mesh.extent);
    std::printf("centre:       (%g, %g, %g)\n", c.x, c.y, c.z);
}

CommandResult run(const Options& o, const Session& s) {
    // Standard output carries the JSON object alone.
    ConsoleTo console(o.json ? stderr : console_stream());
    if (CommandResult r = s.use_mesh(o.file); !r) return r;
    const Mesh& mesh = s.document.mesh;
    warn_if_empty(mesh, s.mesh_name(o.file));
    int border = border_edges(mesh);
    const std::string& file = s.in_script() ? s.document.file_name : o.file;
    if (o.json)
        print_json(mesh, border, mesh_format_name(file));
    else
        print_text(mesh, border, file);
    return {};
}

} // namespace cli_info

CommandRun info_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_info::Options>();
    if (!session.in_script())
        session
            .file(command.add_option("FILE", o->file,
                                     "The mesh (.obj, .net, .ply, .stl, .gltf, ...)"),
                  FileRole::ReadMesh)
            ->required();
    command.add_flag("--json", o->json,
                     "Print one JSON object; the loading messages then go to standard error");
    command.footer("Loads the mesh as the viewer does and prints its vertex, face and edge "
                   "counts, border edges, bounding box, extent and centre.");
    return [o, &session] { return cli_info::run(*o, session); };
}
