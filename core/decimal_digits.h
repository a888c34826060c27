// Runs of decimal digits, read eight bytes at a time: a text's numbers are mostly short
// runs of varying length, whose ends a byte-by-byte loop keeps mispredicting.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// The length of the run of digits that starts the eight bytes at s (8 when all are
// digits), and in `value` the number those digits write.
inline int eight_digits(const char* s, uint32_t& value) {
    uint64_t word;
    std::memcpy(&word, s, 8); // the first byte lowest: the order below is little-endian
    uint64_t x = word ^ 0x3030303030303030u; // a digit's byte becomes its value
    // A byte's top bit set where it is 10 or more: no carry crosses a byte.
    uint64_t non_digit =
        (((x & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | x) & 0x8080808080808080u;
    int n = non_digit ? __builtin_ctzll(non_digit) / 8 : 8;
    if (n == 0) {
        value = 0;
        return 0;
    }
    // The digits moved up to the top bytes, zeros (leading zero digits) below them; then
    // pairs, fours and all eight are joined by multiplications.
    x <<= 8 * (8 - n);
    x = x * 10 + (x >> 8);
    x = ((x & 0x000000FF000000FFu) * 0x000F424000000064u +
         ((x >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u) >>
        32;
    value = uint32_t(x);
    return n;
}

// Reads the digits of `text` from p on, p past them, each appended to `value` as
// value * 10 + digit (wrapping past 2^64); the count of digits read.
inline size_t read_digits(std::string_view text, size_t& p, uint64_t& value) {
    static constexpr uint32_t powers[] = {1,      10,      100,      1000,     10000,
                                          100000, 1000000, 10000000, 100000000};
    const size_t first = p;
    while (p + 8 <= text.size()) {
        uint32_t run;
        int n = eight_digits(text.data() + p, run);
        value = value * powers[n] + run;
        p += size_t(n);
        if (n < 8) return p - first;
    }
    while (p < text.size() && unsigned(text[p] - '0') < 10)
        value = value * 10 + uint64_t(text[p++] - '0');
    return p - first;
}
