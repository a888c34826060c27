// vostrel-cli clip-planes: the clipping planes without a window. The planes on a cube
// (in a script, the document's, on the cube around its mesh), optionally a .clp file,
// then a file of the actions the clipping page and the mouse perform; the planes are
// saved as .clp and their outlines listed, for scripts and for checking the geometry.
#include "cli/command.h"
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

constexpr int largest_position = 1000000; // window pixels, either way
constexpr int most_moves = 1000000;

struct Options {
    float cube = 0;
    std::string load, script, save, outlines;
};

enum class ActionKind { Select, Drag, ResetAll, ResetSelected, ShowAll };

struct Action {
    ActionKind kind;
    int value[6] = {}; // select: I; drag: B X0 Y0 X1 Y1 N; show-all: V
};

bool read_int(const std::string& word, int low, int high, int& value) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && value >= low &&
           value <= high;
}

// One script line as an action; false with `why` set when it is not one. Blank lines
// and lines starting with "#" hold no action (`has_action` false).
bool parse_action(const std::string& line, Action& action, bool& has_action, std::string& why) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    has_action = !words.empty() && words[0][0] != '#';
    if (!has_action) return true;
    const std::string& name = words[0];
    auto arguments = [&](size_t n, const char* usage) {
        if (words.size() == n + 1) return true;
        why = std::string("takes ") + usage;
        return false;
    };
    auto number = [&](size_t k, int low, int high, int& value) {
        if (read_int(words[k], low, high, value)) return true;
        why = "'" + words[k] + "' is not an integer from " + std::to_string(low) + " to " +
              std::to_string(high);
        return false;
    };
    if (name == "select") {
        action.kind = ActionKind::Select;
        return arguments(1, "a plane index: select I") &&
               number(1, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                      action.value[0]);
    }
    if (name == "drag") {
        action.kind = ActionKind::Drag;
        if (!arguments(6, "a button code and two window positions: drag B X0 Y0 X1 Y1 N"))
            return false;
        if (!number(1, 1, 3, action.value[0])) return false;
        for (size_t k = 2; k <= 5; ++k)
            if (!number(k, -largest_position, largest_position, action.value[k - 1])) return false;
        return number(6, 0, most_moves, action.value[5]);
    }
    if (name == "reset-all" || name == "reset-selected") {
        action.kind = name == "reset-all" ? ActionKind::ResetAll : ActionKind::ResetSelected;
        return arguments(0, "no values");
    }
    if (name == "show-all") {
        action.kind = ActionKind::ShowAll;
        return arguments(1, "0 or 1: show-all V") && number(1, 0, 1, action.value[0]);
    }
    why = "unknown action '" + name +
          "' (select, drag, reset-all, reset-selected or show-all expected)";
    return false;
}

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
    std::string text;
    if (!read_file(path, text))
        return CommandResult::failure("ERROR: could not read the script " + path);
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        Action a;
        bool has_action;
        std::string why;
        if (!parse_action(std::string(line), a, has_action, why))
            return CommandResult::usage(path + ":" + std::to_string(lines.number) + ": " + why);
        if (has_action) actions.push_back(a);
    }
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
