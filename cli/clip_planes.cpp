// vostrel-cli clip-planes: the clipping planes without a window. A cube, optionally a
// .clp file, then a script of the actions the clipping page and the mouse perform; the
// planes are saved as .clp and their outlines listed, for scripts and for checking the
// geometry.
#include "cli/command.h"
#include "clipping/plane_widget_in_cube.h"
#include "core/atomic_file.h"
#include "core/text_file.h"

#include <charconv>
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

void perform(PlaneWidgetInCube& planes, const Action& a) {
    switch (a.kind) {
    case ActionKind::Select:
        planes.toggle_plane(a.value[0]);
        break;
    case ActionKind::Drag: {
        const int b = a.value[0], x0 = a.value[1], y0 = a.value[2], x1 = a.value[3],
                  y1 = a.value[4], n = a.value[5];
        planes.press(Vector(float(x0), float(y0), 0), PlaneButton(b));
        // Integer division truncates toward zero; the products fit 64 bits.
        for (int i = 1; i <= n; ++i) {
            long long x = x0 + (long long)(x1 - x0) * i / n;
            long long y = y0 + (long long)(y1 - y0) * i / n;
            planes.move(Vector(float(x), float(y), 0));
        }
        planes.release();
        break;
    }
    case ActionKind::ResetAll:
        planes.reset_all();
        break;
    case ActionKind::ResetSelected:
        planes.reset_selected();
        break;
    case ActionKind::ShowAll:
        planes.show_all = a.value[0];
        planes.rebuild_outlines();
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

int run(const Options& o) {
    std::vector<Action> actions;
    if (!o.script.empty()) {
        std::string text;
        if (!read_file(o.script, text)) {
            std::fprintf(stderr, "ERROR: could not read the script %s\n", o.script.c_str());
            return exit_failure;
        }
        LineReader lines(text);
        std::string_view line;
        while (lines.next(line)) {
            Action a;
            bool has_action;
            std::string why;
            if (!parse_action(std::string(line), a, has_action, why)) {
                std::fprintf(stderr, "vostrel-cli: clip-planes: %s:%d: %s\n", o.script.c_str(),
                             lines.number, why.c_str());
                return exit_usage;
            }
            if (has_action) actions.push_back(a);
        }
    }

    PlaneWidgetInCube planes;
    planes.set_cube(o.cube, o.cube, o.cube);
    if (!o.load.empty())
        if (IoResult r = planes.load(o.load); !r) return report(r);
    for (const Action& a : actions) perform(planes, a);
    if (int status = report(planes.save(o.save)); status != exit_success) return status;
    if (!o.outlines.empty())
        return report(write_file_atomically(o.outlines, format_outlines(planes)));
    return exit_success;
}

} // namespace cli_clip_planes

CommandRun clip_planes_command(CLI::App& command) {
    auto o = std::make_shared<cli_clip_planes::Options>();
    command.add_option("--cube", o->cube, "Edge of the cube the planes start on, 0 or more")
        ->required()
        ->check(CLI::Range(0.0, 3.0e38));
    command.add_option("--load", o->load, "A .clp file read over the planes on the cube");
    command.add_option("--script", o->script, "A file of actions, one a line (below)");
    command.add_option("--save", o->save, "The .clp file to write")->required();
    command.add_option("--outlines", o->outlines,
                       "A text file of the outlines: per plane its index, point count and "
                       "points' x y z");
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
    return [o] { return cli_clip_planes::run(*o); };
}
