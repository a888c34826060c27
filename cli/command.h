// The commands of vostrel-cli. Each lives in a file of its own: it declares its options
// and its help text on its subcommand, and returns what runs it. One parser (CLI11)
// reads every command line, and every line of a script, so usage errors, help and exit
// statuses are alike. Every command works on a Document: standalone on one of its own,
// in a script on the script's. The program is compiled as one unit, so a command's own
// names sit in a namespace named after it (cli_simplify).
#pragma once

#include "cli/file_roles.h"
#include "core/io_result.h"
#include "core/mesh.h"
#include "document/changes.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <span>
#include <string>

class Document;

// The help of every option that names a mesh to read.
constexpr const char* mesh_input_help =
    "The mesh (.obj, .net, .ply, .stl, .off, .gltf, .glb, or another format Assimp reads)";

// Exit statuses of the program.
enum ExitStatus : int {
    exit_success = 0,
    exit_failure = 1, // the command could not do its work (a file, the data)
    exit_usage = 2,   // the command line is wrong
};

// What running a command came to: its status and, unless it succeeded, the message for
// standard error (one or more lines, without the last line end). Made from an IoResult
// or an Outcome, which fail with exit_failure.
struct CommandResult {
    ExitStatus status = exit_success;
    std::string message;

    CommandResult() = default;
    CommandResult(const IoResult& r);
    CommandResult(const Outcome& o) : CommandResult(o.result) {}
    static CommandResult failure(std::string message);
    static CommandResult usage(std::string message);
    explicit operator bool() const { return status == exit_success; }
};

// Runs a command once its command line has been parsed.
using CommandRun = std::function<CommandResult()>;

// Where a command runs. Standalone it declares its mesh (MESH) and its output (-o) and
// opens and saves them itself; as a line of a script (vostrel-cli run) it works on the
// script's document, which lines of their own open and save.
class Session {
  public:
    enum class Kind { Standalone, Script };

    Session(Document& doc, Kind how) : document(doc), kind(how) {}

    Document& document;

    bool in_script() const { return kind == Kind::Script; }
    // Standalone: opens `path`, the command's MESH. In a script: the document's mesh
    // (need_mesh).
    CommandResult use_mesh(const std::string& path) const;
    // A failure unless an earlier line of the script opened or built a mesh.
    CommandResult need_mesh() const;
    // The mesh file a command must not write over: standalone `path`, its MESH; in a
    // script the file last opened.
    const std::string& input_file(const std::string& path) const;
    // Standalone with an output named: saves the mesh there in the format its name
    // names (Document::save). Otherwise nothing: a script saves with a line of its own.
    CommandResult save_mesh(const std::string& path, bool colours) const;
    // The mesh as messages name it: its file standalone, "the mesh" in a script.
    std::string mesh_name(const std::string& path) const;
    // A script checks `option` with `check` as its lines are read, so that a wrong value
    // stops it before anything runs; the standalone command checks the value itself as
    // it runs, and fails with exit_failure.
    void check_in_script(CLI::Option* option, const CLI::Validator& check) const;

    // Declares that `option` names a file the command uses as `role`; returns `option`.
    CLI::Option* file(CLI::Option* option, FileRole role) { return files.add(option, role); }
    // Once a command line is parsed, before it runs: a failure when one of its outputs
    // is one of its inputs or another output. In a script, `line` is the line's number,
    // and the script itself and the files the lines before read count as inputs too.
    CommandResult check_files(int line = 0);

    std::string script; // the script's file, in a script

  private:
    Kind kind;
    FileOptions files;
    std::optional<ScriptFiles> script_files;
};

// The files of a command that reads a mesh and writes one: standalone its MESH, -o and
// --colours; in a script it has none (lines of their own open and save).
struct MeshFiles {
    std::string input, output;
    bool colours = false;
};
// Declares them on a standalone command, --colours with `colours_help`.
void add_mesh_files(CLI::App& command, Session& session, MeshFiles& files,
                    const char* colours_help);
// Runs `tool` on the mesh of `files`: standalone, the output checked, the input opened
// and the result saved.
CommandResult change_mesh(const Session& session, const MeshFiles& files,
                          const std::function<Outcome()>& tool);

// Where a command can be used.
enum class CommandUse { Standalone, Script, Both };

struct Command {
    const char* name;
    const char* summary; // one line, for the list of commands
    // Declares the command's options on its subcommand (or script line) for `session`;
    // returns what runs it.
    CommandRun (*setup)(CLI::App& command, Session& session);
    CommandUse use;
    const char* script_form; // its synopsis as a script line, empty when it has none
};

// Every command, in the order the help lists them.
std::span<const Command> commands();

CommandRun info_command(CLI::App& command, Session& session);
CommandRun convert_command(CLI::App& command, Session& session);
CommandRun render_command(CLI::App& command, Session& session);
CommandRun terrain_command(CLI::App& command, Session& session);
CommandRun morphogen_command(CLI::App& command, Session& session);
CommandRun segment_command(CLI::App& command, Session& session);
CommandRun classify_command(CLI::App& command, Session& session);
CommandRun clip_planes_command(CLI::App& command, Session& session);
CommandRun simplify_command(CLI::App& command, Session& session);
CommandRun subdivide_command(CLI::App& command, Session& session);
CommandRun smooth_command(CLI::App& command, Session& session);
CommandRun run_command(CLI::App& command, Session& session);
// Lines of scripts alone.
CommandRun open_command(CLI::App& command, Session& session);
CommandRun save_command(CLI::App& command, Session& session);
CommandRun reload_command(CLI::App& command, Session& session);
CommandRun save_segments_command(CLI::App& command, Session& session);
CommandRun undo_command(CLI::App& command, Session& session);
CommandRun redo_command(CLI::App& command, Session& session);

// A warning on standard error when the loaded mesh has no vertices or no faces, which
// load without an error but show nothing.
void warn_if_empty(const Mesh& mesh, const std::string& name);
// The check of a number option: a finite number from `low` to `high`, the range said in
// the option's own terms (`range`: "1 or more", "0 to 100") when the value is outside.
// NaN and infinity are refused whatever the range.
CLI::Validator number_in(double low, double high, const std::string& range);
// A finite number, whatever its value (a command checks the range itself).
CLI::Validator finite_number();

// A folder made, with its parents, where missing. The folders it made and that are
// still empty when it goes are removed again: a save that wrote nothing into them
// leaves no trace.
class NewFolder {
  public:
    NewFolder() = default;
    NewFolder(const NewFolder&) = delete;
    NewFolder& operator=(const NewFolder&) = delete;
    ~NewFolder();
    // A failure when `folder` cannot be made.
    IoResult make(const std::string& folder);

  private:
    std::vector<std::string> made; // the deepest first
};
// "Save ALL...": the document's segments into `folder`, which exists; every file that
// cannot be written is named in the failure, the others are written.
CommandResult write_segments(Document& document, const std::string& folder);

// A failure when `output` is the file `input`: a command must not replace its input
// with `written` ("a PNG image"), something else. Nothing for an empty output.
IoResult keeps_input(const std::string& output, const std::string& input, const char* written);
// A warning on standard error when a regular or new file `output` does not end in
// `extension` (".obj", lower case), so is named for another format than `written`.
// Nothing for an empty output.
void warn_unless_extension(const std::string& output, const char* extension, const char* written);
// For a command that reads the mesh `input` (or none: "") and writes the mesh to
// `output` in the format save_format(output) names: a failure when the name's extension
// is of no format written, or when that would replace the input with a file of another
// format (an input is read whole before it is replaced, so a file of the same format may
// be), else success after warning of a name without an extension (written as OBJ).
IoResult mesh_output_allowed(const std::string& output, const std::string& input);
// The help of an option that names the mesh file a command writes.
std::string mesh_output_help();
