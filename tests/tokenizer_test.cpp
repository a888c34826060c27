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

TEST(Tokenizer, NumbersHaveNoLeadingPointAndNoExponent) {
    EXPECT_EQ(tokens("v .5 1 2"), (V{"w:v", ".", "n:5", "n:1", "n:2"}));
    EXPECT_EQ(tokens("1.5e-3 2"), (V{"n:1.5", "w:e", "n:-3", "n:2"}));
    EXPECT_EQ(tokens("1-2"), (V{"n:1"}));
    EXPECT_EQ(tokens("-4.25 0.5. 12.7"), (V{"n:-4.25", "n:0.5", "n:12.7"}));
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
    Tokenizer tk("/ ( +");
    EXPECT_EQ(tk.next_token(), '/');
    EXPECT_EQ(tk.next_token(), '(');
    EXPECT_EQ(tk.next_token(), '+');
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
    EXPECT_EQ(number_value("-" + std::string(400, '9')), -HUGE_VAL);
    EXPECT_EQ(number_value("0." + std::string(400, '0') + "1"), 0.0);
}

} // namespace
