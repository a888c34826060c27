// vostrel-cli: the Vostrel core without a window, for scripts and servers.
#include "cli/command.h"
#include "cli/interrupt.h"
#include "document/document.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

namespace {

// Output that could not be written (a full disk, a closed pipe) is a failure.
int finish(int status) {
    std::cout.flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout) {
        std::fprintf(stderr, "vostrel-cli: could not write to standard output: %s\n",
                     std::strerror(errno));
        return exit_failure;
    }
    return status;
}

// The message of a command that did not succeed, on standard error; a usage error names
// the command, as the parser's own do.
int report(const CommandResult& r, const std::string& command) {
    if (r.status == exit_usage)
        std::fprintf(stderr, "vostrel-cli: %s: %s\n", command.c_str(), r.message.c_str());
    else if (!r)
        std::fprintf(stderr, "%s\n", r.message.c_str());
    return r.status;
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    CLI::App app{"vostrel-cli: the Vostrel core without a window, for scripts and servers."};
    app.name("vostrel-cli");
    app.require_subcommand(1);
    app.set_version_flag("--version", "vostrel-cli " VOSTREL_VERSION);
    app.footer("Run 'vostrel-cli help COMMAND' or 'vostrel-cli COMMAND --help' for a "
               "command's options.\nExit status: 0 success, 1 failure, 2 usage error. Errors "
               "go to standard error.");

    stop_on_signals();
    // A standalone command keeps no history: nothing is taken back.
    Document document;
    document.history.set_limit_bytes(0);
    document.operation_work = &command_work();
    Session session(document, Session::Kind::Standalone);
    CommandRun run;
    std::string name;
    for (const Command& c : commands()) {
        if (c.use == CommandUse::Script) continue;
        CLI::App* sub = app.add_subcommand(c.name, c.summary);
        CommandRun r = c.setup(*sub, session);
        sub->callback([&run, &name, r, &c] {
            run = r;
            name = c.name;
        });
    }
    std::string topic;
    CLI::App* help = app.add_subcommand("help", "Show the help of a command");
    help->add_option("COMMAND", topic, "The command");

    const std::string main_help = app.help();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion& e) {
        std::cout << e.what() << "\n";
        return finish(exit_success);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) { // --help
            std::cout << app.help();
            return finish(exit_success);
        }
        std::string command =
            app.get_subcommands().empty() ? std::string() : app.get_subcommands()[0]->get_name();
        std::fprintf(stderr, "vostrel-cli: %s%s%s\nTry 'vostrel-cli %s--help'.\n", command.c_str(),
                     command.empty() ? "" : ": ", e.what(),
                     command.empty() ? "" : (command + " ").c_str());
        return exit_usage;
    }
    if (help->parsed()) {
        if (topic.empty()) {
            std::cout << main_help;
        } else {
            CLI::App* sub = nullptr;
            try {
                sub = app.get_subcommand(topic);
            } catch (const CLI::OptionNotFound&) {
            }
            if (!sub || sub == help) {
                std::fprintf(stderr, "vostrel-cli: help: no command '%s'\n", topic.c_str());
                return exit_usage;
            }
            std::cout << sub->help("vostrel-cli");
        }
        return finish(exit_success);
    }
    if (!run) return finish(exit_usage);
    if (CommandResult r = session.check_files(); !r) return finish(report(r, name));
    ProgressBar progress;
    try {
        int status = report(run(), name);
        return stop_signal() ? 128 + stop_signal() : finish(status);
    } catch (const WorkStopped&) {
        return 128 + stop_signal();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vostrel-cli: out of memory\n");
        return finish(exit_failure);
    }
}
