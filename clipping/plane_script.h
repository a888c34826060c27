// Plane scripts: what the clipping page and the mouse do to the planes, one action a
// line, for vostrel-cli clip-planes --script.
//
//   select I                select or deselect plane I (0 ... 5)
//   drag B X0 Y0 X1 Y1 N    press button B (1 left, 2 middle, 3 right) at X0 Y0, move in
//                           N equal steps to X1 Y1, release
//   reset-all               every plane back on its face, none selected
//   reset-selected          the selected planes back on their faces
//   show-all V              1: outlines of unselected planes shown too, 0: not
//
// Words are separated by blanks; blank lines and lines starting with "#" hold no action.
#pragma once

#include "core/io_result.h"

#include <string>
#include <string_view>
#include <vector>

constexpr int largest_script_position = 1000000; // window pixels, either way
constexpr int most_script_moves = 1000000;

enum class PlaneActionKind { Select, Drag, ResetAll, ResetSelected, ShowAll };

struct PlaneAction {
    PlaneActionKind kind = PlaneActionKind::Select;
    int value[6] = {}; // select: I; drag: B X0 Y0 X1 Y1 N; show-all: V
};

struct PlaneScript {
    std::vector<PlaneAction> actions;
    // The line a refusal names ("NAME:LINE: why"); 0 when the text as a whole is refused
    // (unreadable, or not text).
    int bad_line = 0;
};

// One line as an action; false with `why` set when it is not one. `has_action` is false
// for blank lines and comments.
bool parse_plane_action(std::string_view line, PlaneAction& action, bool& has_action,
                        std::string& why);

// The actions of a script's text, in order. Text that is not text (a control character,
// UTF-16) is refused as the mesh readers refuse it; a line that is no action refuses the
// script with "NAME:LINE: why" and `bad_line` set. A refused script holds no actions.
IoResult parse_plane_script(std::string_view text, const std::string& name, PlaneScript& script);
// parse_plane_script on a file; one that cannot be read says why ("No such file or
// directory", "Is a directory").
IoResult load_plane_script(const std::string& path, PlaneScript& script);
