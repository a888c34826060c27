// Whether a command or a script line would write over a file it reads, or write two of
// its outputs into one file: every file it will write is compared with every file it
// reads and with its other outputs, by the path the name resolves to, whether or not
// the file exists yet. vostrel-cli and the window's scripts share the rule.
#pragma once

#include <string>
#include <vector>

// What a command does with the file an option names. The mesh a command opens may be
// rewritten in place by the mesh it saves (the file is read whole first; a command
// refuses to write another format there); every other pair of an output and an input,
// or of two outputs, is refused.
enum class FileRole { Read, Write, ReadMesh, WriteMesh };

// A file named on a command line: its option as the user knows it ("--normals",
// "MESH", "line 3's --curve"), its path and its role.
struct NamedFile {
    std::string option, path;
    FileRole role;
};

inline bool is_input(FileRole role) {
    return role == FileRole::Read || role == FileRole::ReadMesh;
}

// "" when no output of `files` is one of its inputs or another of its outputs (the mesh
// rewritten in place aside); else the message naming both options and the file.
std::string clashing_files(const std::vector<NamedFile>& files);

// The files of a script's lines, checked as the lines are read: each line's outputs
// against its own files, the script itself and the files the lines before read.
class ScriptFiles {
  public:
    explicit ScriptFiles(const std::string& script)
        : inputs{{"the script", script, FileRole::Read}} {}
    // "" or the message of the first clash of line `number`, whose files are `files`.
    std::string add_line(int number, std::vector<NamedFile> files);

  private:
    std::vector<NamedFile> inputs; // the script's, then those of the lines so far
};
