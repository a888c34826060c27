// The files a command reads and writes, as its options name them: every command
// declares each file option with its role, and the files given are checked together
// (clashing_files) before it runs.
#pragma once

#include "document/file_clashes.h"

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

// The file options of the commands declared for one session.
class FileOptions {
  public:
    // `option` names a file the command uses as `role`; returns `option`.
    CLI::Option* add(CLI::Option* option, FileRole role);
    // The files named by the options given on the command line, in declaration order.
    std::vector<NamedFile> given() const;
    void clear() { options.clear(); }

  private:
    struct Entry {
        CLI::Option* option;
        FileRole role;
    };
    std::vector<Entry> options;
};
