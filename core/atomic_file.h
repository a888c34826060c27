// Writing a file through a temporary file beside it, renamed over the target only once
// everything is written, so that a failed write leaves an existing file as it was.
#pragma once

#include "core/io_result.h"

#include <cstdio>
#include <string>

class AtomicFile {
  public:
    explicit AtomicFile(const std::string& path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    bool is_open() const { return file != nullptr; }
    bool write(const std::string& data);
    // Puts the file in place; false (with errno set) when that fails.
    bool commit();

  private:
    std::string path;
    std::string temp;
    std::FILE* file = nullptr;
};

// The whole of `content` as the file `path`; the error names the file and the cause.
IoResult write_file_atomically(const std::string& path, const std::string& content);
