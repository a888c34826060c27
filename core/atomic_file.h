// Saving a file so that a failed save never leaves half a file.
//
// A plain file (new or existing) is written through a temporary file in its folder and
// renamed over the target only once everything is written and flushed; a replaced file
// keeps its permission bits (and its owner, where the process may set it). A symbolic
// link is followed: the file it names is saved, the link stays. A target that exists and
// is not a plain file (a device, a pipe) is written directly, since renaming over it
// would replace the node; a folder, a socket and a read-only file are refused. If SIGINT,
// SIGTERM or SIGHUP ends the program during a save, the temporary file is removed, and so
// it is when the AtomicFile goes without a commit (an exception unwinding through it).
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
    // Why the file could not be opened or written ("is a directory", "No space left on
    // device", ...); empty while all is well.
    const std::string& error() const { return problem; }
    bool write(const std::string& data);
    bool write(const char* data, size_t size);
    // Flushes and closes the file, ready for commit(), which then only puts it in place:
    // several files can be written whole before any of them replaces its target. False
    // (with error() and errno set) when that fails; the temporary file is then gone.
    bool finish();
    // Puts the file in place (finishing it first if need be); false (with error() and
    // errno set) when that fails.
    bool commit();

  private:
    bool fail(const std::string& why);
    void remove_temp();
    std::string target; // the file saved: the path with its symbolic links followed
    std::string temp;   // empty when the target is written directly, or no longer there
    std::FILE* file = nullptr;
    bool finished = false; // closed by finish(), not yet committed
    std::string problem;
};

// The whole of `content` as the file `path`; the error names the file and the cause.
IoResult write_file_atomically(const std::string& path, const std::string& content);
