// The script splitter over any bytes: line numbers rise within the text, no kept line is
// empty, no word holds a line end, and the words come back the same when each is
// written quoted on a line of its own; a text it refuses names a line of the text.
#include "core/text_file.h"
#include "document/script_lines.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

int line_count(std::string_view text) {
    LineReader reader(text);
    for (std::string_view line; reader.next(line);) {
    }
    return reader.number;
}

// The word in double quotes, a double quote itself in single quotes.
std::string quoted(const std::string& word) {
    std::string text = "\"";
    for (char c : word) text += c == '"' ? std::string("\"'\"'\"") : std::string(1, c);
    return text + "\"";
}

std::string written(const ScriptLines& script) {
    std::string text;
    for (const ScriptLine& line : script.lines) {
        for (const std::string& word : line.words) text += quoted(word) + " ";
        text += "# the words of a line\n";
    }
    return text;
}

bool same_words(const ScriptLines& a, const ScriptLines& b) {
    if (a.lines.size() != b.lines.size()) return false;
    for (size_t i = 0; i < a.lines.size(); ++i)
        if (a.lines[i].words != b.lines[i].words) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ScriptLines script = split_script_lines(text);
    const int lines = line_count(text);
    if (!script) {
        if (!script.lines.empty() || script.error_line < 1 || script.error_line > lines ||
            script.error.empty())
            std::abort();
        return 0;
    }
    int last = 0;
    size_t bytes = 0;
    for (const ScriptLine& line : script.lines) {
        if (line.number <= last || line.number > lines || line.words.empty()) std::abort();
        last = line.number;
        for (const std::string& word : line.words) {
            if (word.find_first_of("\r\n") != std::string::npos) std::abort();
            bytes += word.size();
        }
    }
    if (bytes > size) std::abort();
    if (!same_words(split_script_lines(written(script)), script)) std::abort();
    return 0;
}
