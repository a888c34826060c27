// Script text as numbered lines of words: line ends, blanks, comments and quotes.
#include "document/script_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each kept line as "N: word|word|...".
std::vector<std::string> lines_of(std::string_view text) {
    ScriptLines script = split_script_lines(text);
    EXPECT_TRUE(bool(script)) << script.error;
    std::vector<std::string> out;
    for (const ScriptLine& line : script.lines) {
        std::string s = std::to_string(line.number) + ":";
        for (const std::string& word : line.words) s += " " + word + "|";
        out.push_back(s);
    }
    return out;
}

using V = std::vector<std::string>;

// A script and the lines lines_of() makes of it.
struct Case {
    const char* text;
    V lines;
};

TEST(ScriptLines, WordsLinesAndComments) {
    const Case cases[] = {
        {"", {}},
        {"open a.obj\nsave b.obj --colours\n", {"1: open| a.obj|", "2: save| b.obj| --colours|"}},
        {"  \t\f\n\nundo", {"3: undo|"}},
        {"a\r\nb\rc\n", {"1: a|", "2: b|", "3: c|"}},
        {"# a comment\n  # another\nredo # the rest\n", {"3: redo|"}},
        {"save a#b.obj", {"1: save| a|"}},
        {"x\r\n\r\ny\r\n", {"1: x|", "3: y|"}},
    };
    for (const Case& c : cases) EXPECT_EQ(lines_of(c.text), c.lines) << c.text;
}

TEST(ScriptLines, QuotesHoldBlanksCommentsAndTheOtherQuote) {
    const Case cases[] = {
        {"open \"my meshes/a b.obj\"", {"1: open| my meshes/a b.obj|"}},
        {"save 'it''s \"x\".obj'", {"1: save| its \"x\".obj|"}},
        {"save \"#1.obj\" # done", {"1: save| #1.obj|"}},
        {"segment --at '' x", {"1: segment| --at| | x|"}},
        {"a\"b c\"d e", {"1: ab cd| e|"}},
        {"\"\"", {"1: |"}},
    };
    for (const Case& c : cases) EXPECT_EQ(lines_of(c.text), c.lines) << c.text;
}

TEST(ScriptLines, AQuoteLeftOpenNamesItsLine) {
    for (const char* text : {"open a.obj\r\n\r\nsave \"b.obj\n", "open a.obj\n\nsave \"b.obj",
                             "open a.obj\r\rsave \"b.obj\ninfo\n"}) {
        ScriptLines script = split_script_lines(text);
        EXPECT_FALSE(bool(script)) << text;
        EXPECT_EQ(script.error_line, 3) << text;
        EXPECT_EQ(script.error, "the quote \" in column 6 is not closed on its line") << text;
        EXPECT_TRUE(script.lines.empty());
    }
    // Quotes end on their own line: one cannot run on into the next.
    EXPECT_EQ(split_script_lines("save 'a\nb'").error_line, 1);
}

} // namespace
