// The commands of vostrel-cli. Each lives in a file of its own: it declares its options
// and its help text on its subcommand, and returns what runs it. One parser (CLI11)
// reads every command line, so usage errors, help and exit statuses are alike. The
// program is compiled as one unit, so a command's own names sit in a namespace named
// after it (cli_simplify).
#pragma once

#include "core/io_result.h"
#include "core/mesh.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <span>
#include <string>

// Exit statuses of the program.
enum ExitStatus : int {
    exit_success = 0,
    exit_failure = 1, // the command could not do its work (a file, the data)
    exit_usage = 2,   // the command line is wrong
};

// Runs a command once its command line has been parsed; returns the exit status.
using CommandRun = std::function<int()>;

struct Command {
    const char* name;
    const char* summary; // one line, for the list of commands
    // Declares the command's options on its subcommand; returns what runs it.
    CommandRun (*setup)(CLI::App& command);
};

// Every command, in the order the help lists them.
std::span<const Command> commands();

CommandRun info_command(CLI::App& command);
CommandRun convert_command(CLI::App& command);
CommandRun render_command(CLI::App& command);
CommandRun terrain_command(CLI::App& command);
CommandRun morphogen_command(CLI::App& command);
CommandRun segment_command(CLI::App& command);
CommandRun classify_command(CLI::App& command);
CommandRun clip_planes_command(CLI::App& command);
CommandRun simplify_command(CLI::App& command);
CommandRun subdivide_command(CLI::App& command);
CommandRun smooth_command(CLI::App& command);

// Loads a mesh as the viewer does; on failure prints the error on standard error.
bool load_mesh_reporting(Mesh& mesh, const std::string& path);
// A warning on standard error when the loaded mesh has no vertices or no faces, which
// load without an error but show nothing.
void warn_if_empty(const Mesh& mesh, const std::string& path);
// exit_success, or the error printed on standard error and exit_failure.
int report(const IoResult& r);
// Refuses "nan", which a range check lets through (it compares false both ways).
CLI::Validator not_nan();

// Whether both names lead to one existing file (through links too).
bool same_file(const std::string& a, const std::string& b);
// True, with a message on standard error, when `output` is the file `input`: a command
// must not replace its input with `written` ("a PNG image"), something else.
bool output_replaces_input(const std::string& output, const std::string& input,
                           const char* written);
// A warning on standard error when a regular or new file `output` does not end in
// `extension` (".obj", lower case), so is named for another format than `written`.
void warn_unless_extension(const std::string& output, const char* extension, const char* written);
// For a command that reads the mesh `input` and writes OBJ text to `output`: true, with
// a message, when that would replace a NET input (an OBJ input is read whole before
// it is replaced, so may be), else false after warning of a name without ".obj".
bool obj_output_refused(const std::string& output, const std::string& input);
