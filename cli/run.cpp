// vostrel-cli run: a script of commands, one a line, on one document, with its history:
// every line is parsed first, so that a wrong one stops the script before anything
// runs, then the lines run in order until one fails.
#include "cli/command.h"
#include "cli/interrupt.h"
#include "core/text_file.h"
#include "document/document.h"
#include "document/script_lines.h"

#include <memory>
#include <new>
#include <vector>

namespace cli_run {

// A line of the script, ready to run.
struct ParsedLine {
    int number;
    CommandRun run;
};

const Command* script_command(const std::string& name) {
    for (const Command& c : commands())
        if (c.use != CommandUse::Standalone && name == c.name) return &c;
    return nullptr;
}

// The line's options, read by the command's own declaration of them for the script's
// session; a usage error when they are wrong.
CommandResult parse_line(const ScriptLine& line, Session& session, CommandRun& run) {
    const Command* c = script_command(line.words[0]);
    if (!c) return CommandResult::usage("no command '" + line.words[0] + "' in scripts");
    CLI::App app{"", c->name};
    app.set_help_flag(); // "--help" is no option of a line
    run = c->setup(app, session);
    // CLI11 takes the arguments last first.
    std::vector<std::string> arguments(line.words.rbegin(), line.words.rend() - 1);
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& e) {
        return CommandResult::usage(e.what());
    }
    return session.check_files(line.number);
}

// Where a message comes from: "SCRIPT:LINE: ".
std::string place(const std::string& script, int line) {
    return script + ":" + std::to_string(line) + ": ";
}

// Every line of `message` after `prefix`.
std::string prefixed(const std::string& prefix, const std::string& message) {
    std::string text = prefix;
    for (char c : message) text += c == '\n' ? "\n" + prefix : std::string(1, c);
    return text;
}

CommandResult parse_script(const std::string& path, Session& session,
                           std::vector<ParsedLine>& parsed) {
    FileText file;
    if (!file.open(path)) return open_failure("ERROR: could not read the script " + path, file);
    std::string_view text = file.text();
    if (IoResult r = check_text(text, path); !r) return r;
    ScriptLines script = split_script_lines(text);
    if (!script) return CommandResult::usage(place(path, script.error_line) + script.error);
    for (const ScriptLine& line : script.lines) {
        ParsedLine p{line.number, {}};
        if (CommandResult r = parse_line(line, session, p.run); !r) {
            // A usage error is named after the command by the caller, a failure here.
            std::string prefix = r.status == exit_usage ? "" : "vostrel-cli: run: ";
            r.message = prefix + place(path, line.number) + r.message;
            return r;
        }
        parsed.push_back(std::move(p));
    }
    return {};
}

CommandResult run_line(const ParsedLine& line) {
    try {
        return line.run();
    } catch (const std::bad_alloc&) {
        return CommandResult::failure("out of memory");
    }
}

CommandResult run_script(const std::string& path) {
    Document document; // with the history on
    document.operation_work = &command_work();
    Session session(document, Session::Kind::Script);
    session.script = path;
    std::vector<ParsedLine> lines;
    if (CommandResult r = parse_script(path, session, lines); !r) return r;
    for (const ParsedLine& line : lines)
        if (CommandResult r = run_line(line); !r)
            return CommandResult::failure(
                prefixed("vostrel-cli: run: " + place(path, line.number), r.message));
    return {};
}

std::string script_forms() {
    std::string text;
    for (const Command& c : commands())
        if (c.use != CommandUse::Standalone) text += std::string("\n  ") + c.script_form;
    return text;
}

} // namespace cli_run

CommandRun run_command(CLI::App& command, Session& session) {
    auto path = std::make_shared<std::string>();
    session
        .file(
            command.add_option("SCRIPT", *path, "The script: a text file of commands, one a line"),
            FileRole::Read)
        ->required();
    command.footer(
        "Runs the commands on one document, in order: the options are those of the commands "
        "themselves, without the mesh and the output file (open and save do that), and a "
        "command that needs a mesh fails until open or terrain has made one. The history is "
        "kept, so undo and redo take steps back and bring them again. # starts a comment; "
        "\"...\" or '...' quote words with blanks. A wrong line stops the script before "
        "anything runs (status 2); a line that fails stops it there (status 1). "
        "Commands:" +
        cli_run::script_forms());
    return [path] { return cli_run::run_script(*path); };
}
