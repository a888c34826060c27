#include "core/reader_warnings.h"

#include <cstdio>

ReaderWarnings::~ReaderWarnings() {
    if (total > shown)
        std::fprintf(stderr, "WARNING: %s: %d more warnings not shown\n", name.c_str(),
                     total - shown);
}

void ReaderWarnings::warn(int line, std::string_view what) {
    if (++total <= shown)
        std::fprintf(stderr, "WARNING: %s:%d: %.*s\n", name.c_str(), line, int(what.size()),
                     what.data());
}

void ReaderWarnings::warn(std::string_view what) {
    if (++total <= shown)
        std::fprintf(stderr, "WARNING: %s: %.*s\n", name.c_str(), int(what.size()), what.data());
}
