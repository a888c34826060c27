// Outcome of a file operation: failures carry a message naming the file (and the
// line, for readers) for the caller to show or print.
#pragma once

#include <string>

struct IoResult {
    bool ok = true;
    std::string error;

    static IoResult success() { return {}; }
    static IoResult failure(std::string message) { return {false, std::move(message)}; }
    explicit operator bool() const { return ok; }
};
