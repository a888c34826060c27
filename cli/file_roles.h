// The files a command reads and writes, as its options name them. Every command
// declares each file option with its role; before the command runs, every file it will
// write is compared with every file it reads and with its other outputs, by the path
// the name resolves to, whether or not the file exists yet. A script's lines are
// compared with the script and with the files its earlier lines read as well.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

// What a command does with the file an option names. The mesh a command opens may be
// rewritten in place by the OBJ it saves (an OBJ file is read whole first); every other
// pair of an output and an input, or of two outputs, is refused.
enum class FileRole { Read, Write, ReadMesh, WriteMesh };

// A file named on a command line: its option as the user knows it ("--normals",
// "MESH", "line 3's --curve"), its path and its role.
struct NamedFile {
    std::string option, path;
    FileRole role;
};

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

// "" when no output of `files` is one of its inputs or another of its outputs (the mesh
// rewritten in place aside); else the message naming both options and the file.
std::string clashing_files(const std::vector<NamedFile>& files);
