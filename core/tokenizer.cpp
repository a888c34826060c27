#include "core/tokenizer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <iterator>

namespace {

constexpr std::array<unsigned char, 256> make_classes() {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c <= 32; ++c) t[c] = Tokenizer::CT_WHITESPACE;
    for (int c = '0'; c <= '9'; ++c) t[c] = Tokenizer::CT_NUMBER;
    t['-'] = Tokenizer::CT_NUMBER;
    for (int c = 'a'; c <= 'z'; ++c) t[c] = Tokenizer::CT_WORD;
    for (int c = 'A'; c <= 'Z'; ++c) t[c] = Tokenizer::CT_WORD;
    t['_'] = Tokenizer::CT_WORD;
    for (int c = 128; c <= 255; ++c) t[c] = Tokenizer::CT_WORD;
    t['"'] = Tokenizer::CT_QUOTE;
    t['\''] = Tokenizer::CT_QUOTE;
    return t;
}

constexpr std::array<unsigned char, 256> classes = make_classes();

} // namespace

int Tokenizer::char_class(unsigned char c) {
    return classes[c];
}

Tokenizer::Tokenizer(std::string_view t) : text(t) {}

Tokenizer::Tokenizer(std::istream& input)
    : owned(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()), text(owned) {}

// The text is a number token: a digit or "-digit" start, then digits, "-" and ".".
// atof reads its longest prefix of the form -?digits(.digits?)?; so does from_chars.
double number_value(std::string_view digits) {
    double value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: atof gives infinity or zero.
        bool negative = digits.front() == '-';
        size_t first = negative ? 1 : 0;
        while (first < digits.size() && digits[first] == '0') ++first;
        bool large = first < digits.size() && digits[first] != '.';
        value = large ? HUGE_VAL : 0.0;
        if (negative) value = -value;
    }
    (void)end;
    return value;
}

int Tokenizer::next_token() {
    for (;;) {
        if (pos >= text.size()) return TOKEN_EOF;
        unsigned char c = text[pos++];
        while (classes[c] & CT_WHITESPACE) {
            if (c == '\n') ++lineno;
            if (pos >= text.size()) return TOKEN_EOF;
            c = text[pos++];
        }

        int cls = classes[c];
        if (cls & CT_NUMBER) {
            if (c == '-' && (!(peek_class() & CT_NUMBER) || text[pos] == '-')) return ttype = '-';
            size_t start = pos - 1;
            while (pos < text.size() &&
                   ((classes[(unsigned char)text[pos]] & CT_NUMBER) || text[pos] == '.'))
                ++pos;
            nval = number_value(text.substr(start, pos - start));
            return ttype = TOKEN_NUMBER;
        }
        if (cls & CT_WORD) {
            size_t start = pos - 1;
            while (pos < text.size() && (classes[(unsigned char)text[pos]] & CT_WORD)) ++pos;
            sval.assign(text.substr(start, pos - start));
            return ttype = TOKEN_WORD;
        }
        if (cls & CT_QUOTE) {
            size_t start = pos;
            while (pos < text.size() && text[pos] != char(c) && text[pos] != '\n' &&
                   text[pos] != '\r')
                ++pos;
            sval.assign(text.substr(start, pos - start));
            if (pos < text.size()) {
                if (text[pos] == '\n') ++lineno;
                ++pos; // the closing quote or line end is not kept
            }
            return ttype = TOKEN_STRING;
        }
        if (c == '#') {
            while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r') ++pos;
            if (pos < text.size()) {
                if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
                ++pos;
            }
            ++lineno;
            continue;
        }
        return ttype = c;
    }
}
