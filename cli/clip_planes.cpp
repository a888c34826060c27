// vostrel-cli clip-planes: the clipping planes without a window. The planes on a cube
// (in a script, the document's, on the cube around its mesh), optionally a .clp file,
// then a file of the actions the clipping page and the mouse perform; the planes are
// saved as .clp and their outlines listed, for scripts and for checking the geometry.
#include "cli/command.h"
#include "clipping/plane_script.h"
#include "core/atomic_file.h"
#include "core/text_file.h"
#include "document/document.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <sstream>
#include <vector>

namespace cli_clip_planes {

struct Options {
    float cube = 0;
    std::string load, script, save, outlines;
};

// The script's actions (clipping/plane_script.h).
using ActionKind = PlaneActionKind;
using Action = PlaneAction;

void drag(Document& d, const Action& a) {
    const int b = a.value[0], x0 = a.value[1], y0 = a.value[2], x1 = a.value[3], y1 = a.value[4],
              n = a.value[5];
    d.press_planes(Vector(float(x0), float(y0), 0), PlaneButton(b));
    // Integer division truncates toward zero; the products fit 64 bits.
    for (int i = 1; i <= n; ++i) {
        long long x = x0 + (long long)(x1 - x0) * i / n;
        long long y = y0 + (long long)(y1 - y0) * i / n;
        d.move_planes(Vector(float(x), float(y), 0));
    }
    d.release_planes();
}

void perform(Document& d, const Action& a) {
    switch (a.kind) {
    case ActionKind::Select:
        d.select_plane(a.value[0]);
        break;
    case ActionKind::Drag:
        drag(d, a);
        break;
    case ActionKind::ResetAll:
        d.reset_planes();
        break;
    case ActionKind::ResetSelected:
        d.reset_selected_plane();
        break;
    case ActionKind::ShowAll:
        d.show_all_planes(a.value[0]);
        break;
    }
}

// "INDEX COUNT x y z x y z ..." per plane, numbers as "%g" prints them.
std::string format_outlines(const PlaneWidgetInCube& planes) {
    std::string text;
    char number[64];
    for (size_t i = 0; i < planes.outlines.size(); ++i) {
        const std::vector<Vector>& outline = planes.outlines[i];
        text += std::to_string(i) + " " + std::to_string(outline.size());
        for (const Vector& p : outline)
            for (float c : {p.x, p.y, p.z}) {
                std::snprintf(number, sizeof number, " %g", double(c));
                text += number;
            }
        text += '\n';
    }
    return text;
}

// The actions of the file `path`, in order; a line that is no action is a usage error.
CommandResult read_actions(const std::string& path, std::vector<Action>& actions) {
    PlaneScript script;
    IoResult r = load_plane_script(path, script);
    if (!r) return script.bad_line ? CommandResult::usage(r.error) : CommandResult(r);
    actions = std::move(script.actions);
    return {};
}

CommandResult run(const Options& o, const Session& s) {
    std::vector<Action> actions;
    if (!o.script.empty())
        if (CommandResult r = read_actions(o.script, actions); !r) return r;
    Document& d = s.document;
    // Standalone there is no mesh: the planes start on the cube given.
    if (!s.in_script()) d.planes.set_cube(o.cube, o.cube, o.cube);
    if (!o.load.empty())
        if (Outcome r = d.load_planes(o.load); !r) return r;
    for (const Action& a : actions) perform(d, a);
    if (!o.save.empty())
        if (IoResult r = d.save_planes(o.save); !r) return r;
    if (!o.outlines.empty()) return write_file_atomically(o.outlines, format_outlines(d.planes));
    return {};
}

bool finite(const Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The planes on a cube of edge `edge` come out as numbers: a cube too small or too
// large for floats gives planes of NaN or infinity, which no file can hold.
bool planes_finite(float edge) {
    PlaneWidgetInCube planes;
    planes.set_cube(edge, edge, edge);
    for (const CutPlane& p : planes.planes) {
        if (!finite(p.normal) || !finite(p.centre)) return false;
        for (double e : p.equation) // files hold it as floats
            if (!std::isfinite(float(e))) return false;
        for (const Vector& c : p.corners)
            if (!finite(c)) return false;
    }
    return true;
}

CLI::Validator cube_edge() {
    return CLI::Validator(
        [](std::string& s) -> std::string {
            float edge = std::strtof(s.c_str(), nullptr);
            if (!std::isfinite(edge) || edge <= 0) return s + " is not a number above 0";
            if (!planes_finite(edge))
                return "the planes on a cube of edge " + s +
                       " are not "
                       "finite: give an edge nearer 1";
            return {};
        },
        "");
}

} // namespace cli_clip_planes

CommandRun clip_planes_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_clip_planes::Options>();
    if (!session.in_script())
        command.add_option("--cube", o->cube, "Edge of the cube the planes start on, above 0")
            ->required()
            ->check(cli_clip_planes::cube_edge());
    session.file(
        command.add_option("--load", o->load, "A .clp file read over the planes on the cube"),
        FileRole::Read);
    session.file(command.add_option("--script", o->script, "A file of actions, one a line (below)"),
                 FileRole::Read);
    CLI::Option* save = session.file(
        command.add_option("--save", o->save, "The .clp file to write"), FileRole::Write);
    if (!session.in_script()) save->required();
    session.file(command.add_option("--outlines", o->outlines,
                                    "A text file of the outlines: per plane its index, point "
                                    "count and points' x y z"),
                 FileRole::Write);
    command.footer(
        "Actions, in order:\n"
        "  select I                select or deselect plane I (0 front, 1 back, 2 right, 3 "
        "left, 4 top, 5 bottom)\n"
        "  drag B X0 Y0 X1 Y1 N    press button B (1 left: tilt with vertical motion, 2 "
        "middle: tilt with horizontal motion, 3 right: push) at window position X0 Y0, move "
        "in N equal steps to X1 Y1, release\n"
        "  reset-all               every plane back on its face, none selected\n"
        "  reset-selected          the selected planes back on their faces\n"
        "  show-all V              1: outlines of unselected planes shown too, 0: not\n"
        "Blank lines and lines starting with # are skipped.");
    return [o, &session] { return cli_clip_planes::run(*o, session); };
}
