// Digits read eight bytes at a time give what a byte-by-byte reading gives: runs of
// every length up to twenty, ended by each kind of byte or by the text's end, at every
// offset from it.
#include "core/decimal_digits.h"

#include <gtest/gtest.h>

#include <string>

TEST(DecimalDigits, SameAsByteByByte) {
    for (size_t length = 0; length <= 20; ++length)
        for (std::string after : {"", " ", "/", ".", "\n", ":", "\x80", "\xFF", "0"})
            for (size_t tail = 0; tail <= 9; ++tail) {
                std::string text = "x";
                for (size_t i = 0; i < length; ++i) text += char('0' + (i * 7 + length) % 10);
                text += after + std::string(tail, 'a');
                uint64_t expected = 7, value = 7;
                size_t q = 1, p = 1;
                while (q < text.size() && text[q] >= '0' && text[q] <= '9')
                    expected = expected * 10 + uint64_t(text[q++] - '0');
                EXPECT_EQ(read_digits(text, p, value), q - 1) << text;
                EXPECT_EQ(p, q) << text;
                EXPECT_EQ(value, expected) << text;
            }
}
