// vostrel-cli segment: picks, edge traversals and "Mark Current" without a window,
// then "Save ALL..." into a folder.
#include "cli/command.h"
#include "core/vostrel.h"
#include "segmentation/segments.h"
#include "tools/edge_traversal.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace cli_segment {

struct Options {
    std::string file, folder = ".";
    std::vector<std::string> at;
};

// One --at: the face counted from 1, the depth and the angle in degrees.
struct Start {
    int face, depth, angle;
};

// "F:D:A" with three decimal integers and nothing else, or nothing.
std::optional<Start> parse_start(const std::string& text) {
    int values[3];
    const char* p = text.data();
    const char* end = p + text.size();
    for (int k = 0; k < 3; ++k) {
        auto [next, ec] = std::from_chars(p, end, values[k]);
        if (ec != std::errc() || next == p) return std::nullopt;
        p = next;
        if (k < 2) {
            if (p == end || *p != ':') return std::nullopt;
            ++p;
        }
    }
    if (p != end) return std::nullopt;
    return Start{values[0], values[1], values[2]};
}

int run(const Options& o) {
    std::vector<Start> starts;
    for (const std::string& text : o.at) {
        std::optional<Start> s = parse_start(text);
        if (!s) {
            std::fprintf(stderr, "ERROR: --at %s: expected FACE:DEPTH:ANGLE, three integers\n",
                         text.c_str());
            return exit_failure;
        }
        if (s->depth < 0) {
            std::fprintf(stderr, "ERROR: --at %s: the depth must not be negative\n", text.c_str());
            return exit_failure;
        }
        starts.push_back(*s);
    }

    Mesh mesh;
    if (!load_mesh_reporting(mesh, o.file)) return exit_failure;
    for (size_t k = 0; k < starts.size(); ++k)
        if (starts[k].face < 1 || starts[k].face > mesh.nf) {
            std::fprintf(stderr, "ERROR: --at %s: face %d is not among the faces 1 to %d of %s\n",
                         o.at[k].c_str(), starts[k].face, mesh.nf, o.file.c_str());
            return exit_failure;
        }

    std::error_code ec;
    std::filesystem::create_directories(o.folder, ec);
    if (ec || !std::filesystem::is_directory(o.folder)) {
        std::fprintf(stderr, "ERROR: could not create the folder %s: %s\n", o.folder.c_str(),
                     ec ? ec.message().c_str() : std::strerror(ENOTDIR));
        return exit_failure;
    }

    EdgeTraversal traversal;
    for (const Start& s : starts) {
        mesh.selectedface = s.face;
        traverse(mesh, traversal, s.depth, s.angle);
        mark_current(mesh, traversal);
    }
    SegmentFiles files = save_segments(mesh, traversal, o.folder);
    for (const IoResult& r : files.failures) std::fprintf(stderr, "%s\n", r.error.c_str());
    return files.ok() ? exit_success : exit_failure;
}

} // namespace cli_segment

CommandRun segment_command(CLI::App& command) {
    auto o = std::make_shared<cli_segment::Options>();
    command.add_option("MESH", o->file, "The mesh (.obj or .net)")->required();
    command.add_option("-C,--directory", o->folder,
                       "The folder to write the files in, created if missing (default: the "
                       "working folder)");
    command
        .add_option("--at", o->at,
                    "F:D:A: select face F (counted from 1), traverse D rings across edges "
                    "whose faces are less than A degrees apart, then mark the faces reached "
                    "as the next segment; may be repeated, applied in order")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command.footer(
        "Loads the mesh as the viewer does; for each --at, as a middle click on face F with "
        "the traversal page at depth D and angle A followed by \"Mark Current\"; then \"Save "
        "ALL...\": non-segemented.obj (faces in no segment), object_N.obj for each segment N "
        "and segemented.obj (all segmented faces), with welded positions and the corners of "
        "each face in reverse order.");
    return [o] { return cli_segment::run(*o); };
}
