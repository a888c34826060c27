#include "core/tokenizer.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <iterator>
#include <string>

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

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool digit_at(std::string_view t, size_t p) {
    return p < t.size() && is_digit(t[p]);
}

// The C library's strtod in the "C" locale, for the rare text from_chars leaves out of
// range: it gives infinity for a value too large and zero or the nearest subnormal for
// one too small.
double strtod_c_locale(std::string_view digits) {
    static locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    std::string text(digits);
    return strtod_l(text.c_str(), nullptr, c_locale);
}

} // namespace

size_t number_token_length(std::string_view t, size_t pos) {
    size_t p = pos;
    if (p < t.size() && (t[p] == '-' || t[p] == '+')) ++p;
    if (digit_at(t, p)) {
        ++p;
    } else if (p < t.size() && t[p] == '.' && digit_at(t, p + 1)) {
        p += 2;
    } else {
        return 0;
    }
    while (p < t.size() && (is_digit(t[p]) || t[p] == '-' || t[p] == '.')) ++p;
    if (p < t.size() && (t[p] == 'e' || t[p] == 'E')) {
        size_t e = p + 1;
        if (e < t.size() && (t[e] == '-' || t[e] == '+')) ++e;
        if (digit_at(t, e)) {
            p = e;
            while (digit_at(t, p)) ++p;
        }
    }
    return p - pos;
}

// atof reads the longest prefix of the text of the form [+-]digits(.digits)(e[+-]digits)
// (digits on at least one side of the point); from_chars reads the same without the
// plus sign.
double number_value(std::string_view digits) {
    std::string_view unsigned_part = digits;
    bool negative = false;
    if (!unsigned_part.empty() && (unsigned_part[0] == '-' || unsigned_part[0] == '+')) {
        negative = unsigned_part[0] == '-';
        unsigned_part.remove_prefix(1);
        if (!unsigned_part.empty() && (unsigned_part[0] == '-' || unsigned_part[0] == '+'))
            return 0; // one sign only
    }
    double value = 0;
    auto [end, error] =
        std::from_chars(unsigned_part.data(), unsigned_part.data() + unsigned_part.size(), value);
    if (error == std::errc::result_out_of_range)
        value = strtod_c_locale(unsigned_part.substr(0, size_t(end - unsigned_part.data())));
    return negative ? -value : value;
}

int Tokenizer::next_token() {
    for (;;) {
        if (pos >= text.size()) return TOKEN_EOF;
        unsigned char c = text[pos++];
        while (classes[c] & CT_WHITESPACE) {
            // "\n", "\r\n" and a lone "\r" each end a line.
            if (c == '\n' || (c == '\r' && (pos >= text.size() || text[pos] != '\n'))) ++lineno;
            if (pos >= text.size()) return TOKEN_EOF;
            c = text[pos++];
        }

        if (size_t length = number_token_length(text, pos - 1)) {
            size_t start = pos - 1;
            pos = start + length;
            nval = number_value(text.substr(start, length));
            return ttype = TOKEN_NUMBER;
        }
        int cls = classes[c];
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
                if (text[pos] == '\n' || text[pos] == '\r') ++lineno;
                if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
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
