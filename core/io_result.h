// Outcome of a file operation: failures carry a message naming the file (and the
// line, for readers) for the caller to show or print.
#pragma once

#include <string>

struct IoResult {
    bool ok = true;
    std::string error;
    bool unopened = false; // the file could not be opened at all

    static IoResult success() { return {}; }
    static IoResult failure(std::string message) { return {false, std::move(message)}; }
    static IoResult cannot_open(std::string message) { return {false, std::move(message), true}; }
    explicit operator bool() const { return ok; }
};
