#include "core/tokenizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Each token as text: numbers as "n:<value>", words "w:<text>", strings "s:<text>",
// characters as themselves.
std::vector<std::string> tokens(std::string_view text) {
    Tokenizer tk(text);
    std::vector<std::string> out;
    for (int t; (t = tk.next_token()) != Tokenizer::TOKEN_EOF;) {
        std::ostringstream s;
        if (t == Tokenizer::TOKEN_NUMBER)
            s << "n:" << tk.nval;
        else if (t == Tokenizer::TOKEN_WORD)
            s << "w:" << tk.sval;
        else if (t == Tokenizer::TOKEN_STRING)
            s << "s:" << tk.sval;
        else
            s << char(t);
        out.push_back(s.str());
    }
    return out;
}

using V = std::vector<std::string>;

TEST(Tokenizer, NumbersAsRealFilesWriteThem) {
    EXPECT_EQ(tokens("+1 .5 -.5 +.25 1.5e-3 2E+06 7e2"),
              (V{"n:1", "n:0.5", "n:-0.5", "n:0.25", "n:0.0015", "n:2e+06", "n:700"}));
    EXPECT_EQ(tokens("v .5 1 2"), (V{"w:v", "n:0.5", "n:1", "n:2"}));
    EXPECT_EQ(tokens("1.5e-3 2"), (V{"n:0.0015", "n:2"}));
    EXPECT_EQ(tokens("-4.25 0.5. 12.7"), (V{"n:-4.25", "n:0.5", "n:12.7"}));
    // "-" may stand inside a number; the whole text converts as atof converts it.
    EXPECT_EQ(tokens("1-2"), (V{"n:1"}));
    EXPECT_EQ(tokens("1-2e5 3"), (V{"n:1", "n:3"}));
}

TEST(Tokenizer, AnExponentNeedsADigit) {
    EXPECT_EQ(tokens("1e"), (V{"n:1", "w:e"}));
    EXPECT_EQ(tokens("1e+ 2"), (V{"n:1", "w:e", "+", "n:2"}));
    EXPECT_EQ(tokens("1E-x"), (V{"n:1", "w:E", "-", "w:x"}));
    EXPECT_EQ(tokens("3ex"), (V{"n:3", "w:ex"}));
    // The exponent ends the number.
    EXPECT_EQ(tokens("1e5-3 1e2.5"), (V{"n:100000", "n:-3", "n:100", "n:0.5"}));
}

TEST(Tokenizer, SignsAndPointsWithoutADigitAreCharacters) {
    EXPECT_EQ(tokens("+ +x +. . .x 5."), (V{"+", "+", "w:x", "+", ".", ".", ".", "w:x", "n:5"}));
    EXPECT_EQ(tokens("+-1 -+1"), (V{"+", "n:-1", "-", "n:1"}));
    EXPECT_EQ(tokens("+"), (V{"+"}));
}

TEST(Tokenizer, MinusStandsAloneUnlessADigitFollows) {
    EXPECT_EQ(tokens("- -- -x -1"), (V{"-", "-", "-", "-", "w:x", "n:-1"}));
    EXPECT_EQ(tokens("-"), (V{"-"})); // end of input looks like whitespace
}

TEST(Tokenizer, WordsEndAtDigitsAndTakeHighBytes) {
    EXPECT_EQ(tokens("ab12 _x \xC3\xA9t\xC3\xA9"),
              (V{"w:ab", "n:12", "w:_x", "w:\xC3\xA9t\xC3\xA9"}));
}

TEST(Tokenizer, FaceCornersSplitAtSlashes) {
    EXPECT_EQ(tokens("f 1/4/7 2//8"),
              (V{"w:f", "n:1", "/", "n:4", "/", "n:7", "n:2", "/", "/", "n:8"}));
}

TEST(Tokenizer, QuotesRunToTheSameQuoteOrTheLineEnd) {
    EXPECT_EQ(tokens("\"a b\" 'c\"d' \"open\nx"), (V{"s:a b", "s:c\"d", "s:open", "w:x"}));
    Tokenizer tk("'q'");
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_STRING);
    EXPECT_EQ(tk.ttype, Tokenizer::TOKEN_STRING);
}

TEST(Tokenizer, CommentsRunToTheLineEndAndCountLines) {
    Tokenizer tk("# one\n2 # two\r\n# three\n4\n");
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_NUMBER);
    EXPECT_EQ(tk.nval, 2);
    EXPECT_EQ(tk.lineno, 1);
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_NUMBER);
    EXPECT_EQ(tk.nval, 4);
    EXPECT_EQ(tk.lineno, 3);
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_EOF);
    EXPECT_EQ(tk.lineno, 4);
}

TEST(Tokenizer, EndOfInputKeepsTheLastType) {
    Tokenizer tk("word  ");
    EXPECT_EQ(tk.ttype, 0);
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_WORD);
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_EOF);
    EXPECT_EQ(tk.ttype, Tokenizer::TOKEN_WORD);
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_EOF);
}

TEST(Tokenizer, OtherCharactersAreTheirCodes) {
    Tokenizer tk("/ ( + .");
    EXPECT_EQ(tk.next_token(), '/');
    EXPECT_EQ(tk.next_token(), '(');
    EXPECT_EQ(tk.next_token(), '+');
    EXPECT_EQ(tk.next_token(), '.');
}

TEST(Tokenizer, NumberLengths) {
    EXPECT_EQ(number_token_length("x 12.5e3y", 2), 6u);
    EXPECT_EQ(number_token_length("-.5", 0), 3u);
    EXPECT_EQ(number_token_length("+e5", 0), 0u);
    EXPECT_EQ(number_token_length(".", 0), 0u);
    EXPECT_EQ(number_token_length("1", 1), 0u);
}

TEST(Tokenizer, ReadsAWholeStream) {
    std::istringstream in("vc 1 0 0");
    Tokenizer tk(in);
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_WORD);
    EXPECT_EQ(tk.sval, "vc");
    EXPECT_EQ(tk.next_token(), Tokenizer::TOKEN_NUMBER);
}

TEST(Tokenizer, NumberValuesConvertLikeAtof) {
    EXPECT_EQ(number_value("12"), 12.0);
    EXPECT_EQ(number_value("-0.25"), -0.25);
    EXPECT_EQ(number_value("3."), 3.0);
    EXPECT_EQ(number_value("7-8.5"), 7.0);
    EXPECT_EQ(number_value("1.2.3"), 1.2);
    EXPECT_EQ(number_value(std::string(400, '9')), HUGE_VAL);
    std::string negative(401, '9');
    negative[0] = '-';
    EXPECT_EQ(number_value(negative), -HUGE_VAL);
    EXPECT_EQ(number_value("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(number_value("+1.5"), 1.5);
    EXPECT_EQ(number_value(".5"), 0.5);
    EXPECT_EQ(number_value("-.5e1"), -5.0);
    EXPECT_EQ(number_value("1.5e-3"), 0.0015);
    EXPECT_EQ(number_value("2E+06"), 2e6);
    EXPECT_EQ(number_value("1e400"), HUGE_VAL);
    EXPECT_EQ(number_value("-1e400"), -HUGE_VAL);
    EXPECT_EQ(number_value("1e-400"), 0.0);
    EXPECT_EQ(number_value("4.9e-324"), 4.9e-324); // the smallest subnormal
    EXPECT_EQ(number_value("+-1"), 0.0);
}

} // namespace
