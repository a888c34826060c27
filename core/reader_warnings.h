// Warnings of one file read, printed on standard error: the first few as they come,
// then only counted, so that a file of millions of bad lines neither floods the
// terminal nor slows the read down.
#pragma once

#include <string>
#include <string_view>

class ReaderWarnings {
  public:
    static constexpr int shown = 20;

    explicit ReaderWarnings(const std::string& file_name) : name(file_name) {}
    ReaderWarnings(const ReaderWarnings&) = delete;
    ReaderWarnings& operator=(const ReaderWarnings&) = delete;
    // Prints how many warnings were not shown, if any.
    ~ReaderWarnings();

    // "WARNING: FILE:LINE: WHAT" for the first `shown` warnings.
    void warn(int line, std::string_view what);
    // "WARNING: FILE: WHAT", for readers that know no line (those of other libraries).
    void warn(std::string_view what);
    int count() const { return total; }

  private:
    const std::string& name;
    int total = 0;
};
