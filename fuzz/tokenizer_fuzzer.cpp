// The tokenizer and the pattern matcher over arbitrary text: every token lies within
// the text, and matching never reads past it (AddressSanitizer watches the copy).
#include "core/scan.h"
#include "core/tokenizer.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read one past the end is caught.
    std::unique_ptr<char[]> copy(new char[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    std::string_view text(copy.get(), size);

    Tokenizer tk(text);
    size_t last = 0;
    for (int t; (t = tk.next_token()) != Tokenizer::TOKEN_EOF;) {
        if (tk.position() <= last || tk.position() > size) std::abort();
        last = tk.position();
        if ((t == Tokenizer::TOKEN_WORD && tk.sval.empty()) || tk.lineno < 0) std::abort();
        if (t == Tokenizer::TOKEN_NUMBER && std::isnan(tk.nval)) std::abort(); // no "nan" text
    }
    for (size_t p = 0; p <= size; ++p)
        if (number_token_length(text, p) > size - p) std::abort();

    double values[10];
    static const char* patterns[] = {
        "f %i %i %i", "f %i/%i/%i %i/%i/%i %i/%i/%i",    "f %i//%i %i//%i %i//%i",
        "v %f %f %f", "f %d %d %d %d %d %d %d %d %d %d", "%f%i%d"};
    for (const char* p : patterns)
        if (scan(text, p, values, 10) > 10) std::abort();
    return 0;
}
