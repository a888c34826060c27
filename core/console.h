// The console: progress and diagnostic lines the core prints as it works. They go to
// standard output unless a caller (a test, or a command whose standard output carries
// data) sends them elsewhere.
#pragma once

#include <cstdio>

std::FILE* console_stream();
void set_console_stream(std::FILE* stream);

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void console_printf(const char* format, ...);
