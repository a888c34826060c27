// vostrel-cli segment: picks, edge traversals and "Mark Current" without a window,
// then "Save ALL..." into a folder.
#include "cli/command.h"
#include "document/document.h"

#include <charconv>
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

// What is wrong with an --at, or nothing.
std::string start_error(const std::string& text) {
    std::optional<Start> s = parse_start(text);
    if (!s) return "expected FACE:DEPTH:ANGLE, three integers";
    if (s->depth < 0) return "the depth must not be negative";
    return {};
}

CommandResult parse_starts(const Options& o, std::vector<Start>& starts) {
    for (const std::string& text : o.at) {
        if (std::string why = start_error(text); !why.empty())
            return CommandResult::failure("ERROR: --at " + text + ": " + why);
        starts.push_back(*parse_start(text));
    }
    return {};
}

CommandResult faces_exist(const Options& o, const std::vector<Start>& starts, const Session& s) {
    const int faces = s.document.mesh.nf;
    for (size_t k = 0; k < starts.size(); ++k)
        if (starts[k].face < 1 || starts[k].face > faces)
            return CommandResult::failure("ERROR: --at " + o.at[k] + ": face " +
                                          std::to_string(starts[k].face) +
                                          " is not among the faces 1 to " + std::to_string(faces) +
                                          " of " + s.mesh_name(o.file));
    return {};
}

CommandResult run(const Options& o, const Session& s) {
    std::vector<Start> starts;
    if (CommandResult r = parse_starts(o, starts); !r) return r;
    if (CommandResult r = s.use_mesh(o.file); !r) return r;
    if (CommandResult r = faces_exist(o, starts, s); !r) return r;
    NewFolder made; // removed again when the files fail and leave it empty
    if (!s.in_script())
        if (IoResult r = made.make(o.folder); !r) return r;
    Document& d = s.document;
    for (const Start& start : starts) {
        d.select_face(start.face);
        d.traverse(start.depth, start.angle);
        d.mark_current();
    }
    return s.in_script() ? CommandResult() : write_segments(d, o.folder);
}

} // namespace cli_segment

CommandRun segment_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_segment::Options>();
    if (!session.in_script()) {
        session.file(command.add_option("MESH", o->file, mesh_input_help), FileRole::ReadMesh)
            ->required();
        command.add_option("-C,--directory", o->folder,
                           "The folder to write the files in, created if missing (default: the "
                           "working folder)");
    }
    CLI::Option* at =
        command
            .add_option("--at", o->at,
                        "F:D:A: select face F (counted from 1), traverse D rings across edges "
                        "whose faces are less than A degrees apart, then mark the faces reached "
                        "as the next segment; may be repeated, applied in order")
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    session.check_in_script(at, CLI::Validator(
                                    [](std::string& text) {
                                        std::string why = cli_segment::start_error(text);
                                        return why.empty() ? why : text + ": " + why;
                                    },
                                    "F:D:A"));
    command.footer(
        "Loads the mesh as the viewer does; for each --at, as a middle click on face F with "
        "the traversal page at depth D and angle A followed by \"Mark Current\"; then \"Save "
        "ALL...\": non-segemented.obj (faces in no segment), object_N.obj for each segment N "
        "and segemented.obj (all segmented faces), with welded positions and the corners of "
        "each face in reverse order.");
    return [o, &session] { return cli_segment::run(*o, session); };
}
