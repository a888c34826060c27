// Reading text files whole, and walking their lines.
#pragma once

#include "core/io_result.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

// Pipes (named ones, /dev/stdin when it is one) are read into memory up to this size; a
// longer one is refused, so that an endless pipe cannot exhaust memory. Regular files
// are mapped and have no such limit. Devices and sockets are refused ("is a character
// device, not a regular file"), and so is a named pipe that nothing writes to within
// half a second ("is a named pipe with no writer"): opening never waits for a writer.
constexpr size_t non_regular_file_limit = size_t(1) << 30;

// Reads the whole file into `text`. False when it cannot be opened or read, or when it
// is not a regular file and holds more than `limit` bytes; `reason` then says why.
bool read_file(const std::string& path, std::string& text, std::string* reason = nullptr,
               size_t limit = non_regular_file_limit);

// What a file is read for: text stops at the first block holding a control character
// (check_text refuses it anyway), bytes read on to the end.
enum class FileContent { Text, Bytes };

// A whole file in memory: mapped when it is a regular file, else read (up to `limit`,
// and for text only up to the first block holding a control character).
class FileText {
  public:
    FileText() = default;
    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;
    ~FileText();

    // False when the file cannot be opened or read; reason() then says why ("No such
    // file or directory", "Is a directory", "is a character device, not a regular
    // file", ...).
    bool open(const std::string& path, size_t limit = non_regular_file_limit,
              FileContent content = FileContent::Text);
    std::string_view text() const {
        return map ? std::string_view(static_cast<const char*>(map), size) : read;
    }
    const std::string& reason() const { return why; }
    // Lets the text go (text() is then empty), for a reader done with it before it is
    // done with the file.
    void release();

  private:
    void* map = nullptr;
    size_t size = 0;
    std::string read;
    std::string why;
};

// What a file of type `mode` (st_mode) that is not regular is: "is a character device,
// not a regular file", "is a named pipe, not a regular file", ..., "Is a directory".
std::string not_regular_reason(unsigned mode);

// Opens `path` for reading only when it is a regular file, never waiting on a named
// pipe or a device: the descriptor, or -1 with `why` set ("is a block device, not a
// regular file", "No such file or directory", ...).
int open_regular_file(const std::string& path, std::string& why);

// `message` followed by the reason the file could not be opened, in brackets.
IoResult open_failure(const std::string& message, const FileText& file);

// Checks that `text` is text a reader can take: a UTF-8 byte-order mark is dropped;
// UTF-16 or UTF-32 text, and text with a control character other than tab, line feed,
// carriage return and form feed, are refused (the message names the first such byte's
// offset from the start of the file).
IoResult check_text(std::string_view& text, const std::string& name);

// The words of `line`, split at any of `blanks`; no more than `most`, so that a reader
// that takes a few words a line spends no memory on a long one.
std::vector<std::string_view> split_words(std::string_view line, std::string_view blanks,
                                          size_t most = size_t(-1));

// The end of the line that starts at p: its first "\n" or "\r", or the text's end. Found
// by memchr for "\n", then for "\r" within the line, which keeps the common case at
// memchr's speed.
inline size_t line_end(std::string_view text, size_t p) {
    size_t lf = text.find('\n', p);
    size_t cr = text.substr(0, lf).find('\r', p);
    return std::min({cr, lf, text.size()});
}

// Where the line after the one ending at `end` starts: past "\n", "\r\n" or a lone "\r".
inline size_t after_line_end(std::string_view text, size_t end) {
    if (end >= text.size()) return text.size();
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') return end + 2;
    return end + 1;
}

// Walks text line by line. A line ends at "\n", "\r\n" or a lone "\r" (old Mac files),
// which the line excludes; lines are numbered from 1.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : rest(text) {}

    bool next(std::string_view& line) {
        if (done) return false;
        ++number;
        size_t end = line_end(rest, 0);
        if (end == rest.size()) {
            line = rest;
            done = true;
            return !line.empty(); // a final line end closes the last line
        }
        line = rest.substr(0, end);
        rest.remove_prefix(after_line_end(rest, end));
        if (rest.empty()) done = true;
        return true;
    }

    int number = 0;

  private:
    std::string_view rest;
    bool done = false;
};
