// Script text as numbered lines of words: what vostrel-cli's "run" reads, one command a
// line. A line ends at LF, CR LF or a lone CR. Words are separated by blanks (spaces,
// tabs, form feeds); "#" outside quotes starts a comment that runs to the end of the
// line. "..." or '...' quote text that holds blanks, "#" or the other quote mark (there
// are no escapes), and quoted and plain text side by side make one word, as in a shell:
// a"b c" is the word "ab c", and "" an empty word. Lines without words are left out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ScriptLine {
    int number = 0;                 // counted from 1, as an editor counts
    std::vector<std::string> words; // at least one
};

struct ScriptLines {
    std::vector<ScriptLine> lines; // in order; none when the text is not well formed
    int error_line = 0;            // the line of a quote left open, 0 when there is none
    std::string error;             // what is wrong there

    explicit operator bool() const { return error.empty(); }
};

// Any bytes at all are taken: a caller that wants text checks it first (check_text).
ScriptLines split_script_lines(std::string_view text);
