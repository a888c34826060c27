#include "clipping/plane_script.h"
#include "clipping/plane_widget_in_cube.h"
#include "core/text_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {

// The words of a script line, split at blanks of any kind.
std::vector<std::string_view> script_words(std::string_view line) {
    return split_words(line, " \t\f\v\r\n");
}

bool script_int(std::string_view word, int low, int high, int& value) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && value >= low &&
           value <= high;
}

} // namespace

bool parse_plane_action(std::string_view line, PlaneAction& action, bool& has_action,
                        std::string& why) {
    const std::vector<std::string_view> words = script_words(line);
    has_action = !words.empty() && words[0][0] != '#';
    if (!has_action) return true;
    const std::string_view name = words[0];
    auto arguments = [&](size_t n, const char* usage) {
        if (words.size() == n + 1) return true;
        why = std::string("takes ") + usage;
        return false;
    };
    auto number = [&](size_t k, int low, int high, int& value) {
        if (script_int(words[k], low, high, value)) return true;
        // Formatted, not concatenated: GCC 12 warns falsely (-Wrestrict) on the appends.
        char text[160];
        std::snprintf(text, sizeof text, "'%.*s' is not an integer from %d to %d",
                      int(std::min<size_t>(words[k].size(), 64)), words[k].data(), low, high);
        why = text;
        return false;
    };
    if (name == "select") {
        action.kind = PlaneActionKind::Select;
        return arguments(1, "a plane index: select I") &&
               number(1, 0, plane_count - 1, action.value[0]);
    }
    if (name == "drag") {
        action.kind = PlaneActionKind::Drag;
        if (!arguments(6, "a button code and two window positions: drag B X0 Y0 X1 Y1 N"))
            return false;
        if (!number(1, 1, 3, action.value[0])) return false;
        for (size_t k = 2; k <= 5; ++k)
            if (!number(k, -largest_script_position, largest_script_position, action.value[k - 1]))
                return false;
        return number(6, 0, most_script_moves, action.value[5]);
    }
    if (name == "reset-all" || name == "reset-selected") {
        action.kind =
            name == "reset-all" ? PlaneActionKind::ResetAll : PlaneActionKind::ResetSelected;
        return arguments(0, "no values");
    }
    if (name == "show-all") {
        action.kind = PlaneActionKind::ShowAll;
        return arguments(1, "0 or 1: show-all V") && number(1, 0, 1, action.value[0]);
    }
    why = "unknown action '" + std::string(name) +
          "' (select, drag, reset-all, reset-selected or show-all expected)";
    return false;
}

IoResult parse_plane_script(std::string_view text, const std::string& name, PlaneScript& script) {
    script = {};
    if (IoResult r = check_text(text, name); !r) return r;
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        PlaneAction a;
        bool has_action;
        std::string why;
        if (!parse_plane_action(line, a, has_action, why)) {
            script = {};
            script.bad_line = lines.number;
            return IoResult::failure(name + ":" + std::to_string(lines.number) + ": " + why);
        }
        if (has_action) script.actions.push_back(a);
    }
    return IoResult::success();
}

IoResult load_plane_script(const std::string& path, PlaneScript& script) {
    script = {};
    FileText file;
    if (!file.open(path)) return open_failure("ERROR: could not read the script " + path, file);
    return parse_plane_script(file.text(), path, script);
}
