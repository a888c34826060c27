#include "core/scan.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace {

bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_hex(char c) {
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

void skip_space(std::string_view t, size_t& p) {
    while (p < t.size() && is_space(t[p])) ++p;
}

bool starts_with_nocase(std::string_view t, size_t p, std::string_view word) {
    if (t.size() - p < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (lower(t[p + i]) != word[i]) return false;
    return true;
}

// Length of a run of digits (hexadecimal when `hex`) at t[p...].
size_t digits(std::string_view t, size_t p, bool hex) {
    size_t n = 0;
    while (p + n < t.size() && (hex ? is_hex(t[p + n]) : is_digit(t[p + n]))) ++n;
    return n;
}

} // namespace

bool scan_float(std::string_view t, size_t& pos, float& value) {
    size_t p = pos;
    skip_space(t, p);
    bool negative = false;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) negative = t[p++] == '-';

    if (starts_with_nocase(t, p, "inf")) {
        p += starts_with_nocase(t, p, "infinity") ? 8 : 3;
        value = negative ? -INFINITY : INFINITY;
        pos = p;
        return true;
    }
    if (starts_with_nocase(t, p, "nan")) {
        p += 3;
        if (p < t.size() && t[p] == '(') {
            size_t q = p + 1;
            while (q < t.size() &&
                   (is_digit(t[q]) || (lower(t[q]) >= 'a' && lower(t[q]) <= 'z') || t[q] == '_'))
                ++q;
            if (q < t.size() && t[q] == ')') p = q + 1;
        }
        value = negative ? -NAN : NAN;
        pos = p;
        return true;
    }

    bool hex = p + 1 < t.size() && t[p] == '0' && lower(t[p + 1]) == 'x' &&
               (digits(t, p + 2, true) > 0 ||
                (p + 2 < t.size() && t[p + 2] == '.' && digits(t, p + 3, true) > 0));
    size_t mantissa = hex ? p + 2 : p;
    size_t q = mantissa;
    size_t whole = digits(t, q, hex);
    q += whole;
    size_t fraction = 0;
    if (q < t.size() && t[q] == '.') {
        fraction = digits(t, q + 1, hex);
        if (whole + fraction > 0) q += 1 + fraction;
    }
    if (whole + fraction == 0) return false;
    char exponent_mark = hex ? 'p' : 'e';
    if (q < t.size() && lower(t[q]) == exponent_mark) {
        size_t e = q + 1;
        if (e < t.size() && (t[e] == '+' || t[e] == '-')) ++e;
        size_t n = digits(t, e, false);
        if (n > 0) q = e + n;
    }

    float v = 0;
    auto format = hex ? std::chars_format::hex : std::chars_format::general;
    auto [end, error] = std::from_chars(t.data() + mantissa, t.data() + q, v, format);
    if (error == std::errc::result_out_of_range) {
        // strtof's answer for a value beyond float: infinity, or zero when tiny.
        std::string s(t.substr(p, q - p));
        v = std::strtof(s.c_str(), nullptr);
    }
    (void)end;
    value = negative ? -v : v;
    pos = q;
    return true;
}

bool scan_int(std::string_view t, size_t& pos, int& value, int base) {
    size_t p = pos;
    skip_space(t, p);
    bool negative = false;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) negative = t[p++] == '-';
    if (base == 0) {
        base = 10;
        if (p < t.size() && t[p] == '0') {
            if (p + 2 < t.size() && lower(t[p + 1]) == 'x' && is_hex(t[p + 2])) {
                base = 16;
                p += 2;
            } else {
                base = 8;
            }
        }
    }
    long long v = 0;
    size_t start = p;
    for (; p < t.size(); ++p) {
        char c = lower(t[p]);
        int d = is_digit(c) ? c - '0' : (c >= 'a' && c <= 'z') ? c - 'a' + 10 : 99;
        if (d >= base) break;
        if (v <= LLONG_MAX / 64) v = v * base + d;
    }
    if (p == start) return false;
    if (negative) v = -v;
    value = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
    pos = p;
    return true;
}

int scan(std::string_view text, std::string_view format, double* values, int capacity) {
    size_t p = 0;
    int count = 0;
    for (size_t f = 0; f < format.size(); ++f) {
        char c = format[f];
        if (is_space(c)) {
            skip_space(text, p);
        } else if (c == '%' && f + 1 < format.size()) {
            char conversion = format[++f];
            double v = 0;
            if (conversion == 'f') {
                float x;
                if (!scan_float(text, p, x)) return count;
                v = x;
            } else {
                int n;
                if (!scan_int(text, p, n, conversion == 'i' ? 0 : 10)) return count;
                v = n;
            }
            if (count < capacity) values[count] = v;
            ++count;
        } else {
            if (p >= text.size() || text[p] != c) return count;
            ++p;
        }
    }
    return count;
}
