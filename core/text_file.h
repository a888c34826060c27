// Reading text files whole, and walking their lines.
#pragma once

#include "core/io_result.h"

#include <string>
#include <string_view>

// Reads the whole file into `text`; false when it cannot be opened or read.
bool read_file(const std::string& path, std::string& text);

// A whole file in memory: mapped when it is a regular file, else read.
class FileText {
  public:
    FileText() = default;
    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;
    ~FileText();

    // False when the file cannot be opened or read.
    bool open(const std::string& path);
    std::string_view text() const {
        return map ? std::string_view(static_cast<const char*>(map), size) : read;
    }

  private:
    void* map = nullptr;
    size_t size = 0;
    std::string read;
};

// Checks that `text` is text a reader can take: a UTF-8 byte-order mark is dropped,
// UTF-16 or UTF-32 text and text with zero bytes are refused.
IoResult check_text(std::string_view& text, const std::string& name);

// Walks text line by line; lines are numbered from 1 and exclude their "\n".
class LineReader {
  public:
    explicit LineReader(std::string_view text) : rest(text) {}

    bool next(std::string_view& line) {
        if (done) return false;
        size_t end = rest.find('\n');
        ++number;
        if (end == std::string_view::npos) {
            line = rest;
            done = true;
            return !line.empty(); // a final line end closes the last line
        }
        line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (rest.empty()) done = true;
        return true;
    }

    int number = 0;

  private:
    std::string_view rest;
    bool done = false;
};
