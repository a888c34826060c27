#include "core/console.h"

#include <cstdarg>

namespace {
std::FILE* stream = nullptr; // nullptr: standard output
}

std::FILE* console_stream() {
    return stream ? stream : stdout;
}

void set_console_stream(std::FILE* s) {
    stream = s;
}

void console_printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(console_stream(), format, args);
    va_end(args);
}
