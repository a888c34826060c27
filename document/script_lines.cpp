#include "document/script_lines.h"

#include "core/text_file.h"

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// Appends the words of `line` to `words`; on a quote without its closing mark, returns
// its offset in the line (else npos).
size_t split_line(std::string_view line, std::vector<std::string>& words) {
    std::string word;
    bool in_word = false; // an empty quote makes a word too
    for (size_t i = 0; i < line.size() && line[i] != '#'; ++i) {
        const char c = line[i];
        if (c == '"' || c == '\'') {
            size_t close = line.find(c, i + 1);
            if (close == std::string_view::npos) return i;
            word.append(line.substr(i + 1, close - i - 1));
            in_word = true;
            i = close;
        } else if (!is_blank(c)) {
            word += c;
            in_word = true;
        } else if (in_word) {
            words.push_back(std::move(word));
            word.clear();
            in_word = false;
        }
    }
    if (in_word) words.push_back(std::move(word));
    return std::string_view::npos;
}

std::string open_quote_error(char quote, size_t offset) {
    return std::string("the quote ") + quote + " in column " + std::to_string(offset + 1) +
           " is not closed on its line";
}

} // namespace

ScriptLines split_script_lines(std::string_view text) {
    ScriptLines script;
    LineReader reader(text);
    std::string_view line;
    while (reader.next(line)) {
        ScriptLine l;
        l.number = reader.number;
        if (size_t open = split_line(line, l.words); open != std::string_view::npos) {
            script.lines.clear();
            script.error_line = reader.number;
            script.error = open_quote_error(line[open], open);
            return script;
        }
        if (!l.words.empty()) script.lines.push_back(std::move(l));
    }
    return script;
}
