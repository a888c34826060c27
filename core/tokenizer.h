// Tokenizer: splits text into numbers, words, quoted strings and single characters,
// skipping whitespace and "#" comments. Shared by the OBJ, colour map and morphogen
// readers.
//
// A number starts with a digit, with "." followed by a digit, or with a sign ("-" or
// "+") followed by either; it runs over digits, "-" and ".", and may end with an
// exponent ("e" or "E", an optional sign, at least one digit). Its text is converted
// as a whole, as atof converts it: ".5" is 0.5, "+1" is 1, "2E+06" is 2000000, "1-2"
// is one number worth 1, and "1e" is the number 1 followed by the word "e". A sign or
// "." that no number follows is an ordinary character. A word is letters, "_" and
// bytes 128 to 255; digits end it.
#pragma once

#include <istream>
#include <string>
#include <string_view>

class Tokenizer {
  public:
    enum { TOKEN_EOF = -1, TOKEN_NUMBER = -2, TOKEN_WORD = -3, TOKEN_STRING = -4 };
    enum CharClass { CT_WHITESPACE = 1, CT_NUMBER = 2, CT_WORD = 4, CT_QUOTE = 8 };

    // Reads from `text`, which must outlive the tokenizer.
    explicit Tokenizer(std::string_view text);
    // Reads the whole stream first.
    explicit Tokenizer(std::istream& input);
    virtual ~Tokenizer() = default;

    // Reads the next token and returns its type: TOKEN_EOF (ttype keeps its previous
    // value), TOKEN_NUMBER (nval), TOKEN_WORD or TOKEN_STRING (sval), or the code of an
    // ordinary character.
    int next_token();

    // Offset of the next character to be read.
    size_t position() const { return pos; }

    int lineno = 0;
    int ttype = 0;
    double nval = 0;
    std::string sval;

    static int char_class(unsigned char c);

  private:
    std::string owned;
    std::string_view text;
    size_t pos = 0;
};

// Length of the number token that starts at text[pos], or 0 when none starts there.
size_t number_token_length(std::string_view text, size_t pos);

// The value of a number token's text, as the C library's atof would convert it, but
// independent of the locale.
double number_value(std::string_view digits);
