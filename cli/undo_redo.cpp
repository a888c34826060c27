// The script lines undo and redo: the document's history, as Edit > Undo and Redo take
// it. With nothing to take back (or bring again) the line fails.
#include "cli/command.h"
#include "document/document.h"

CommandRun undo_command(CLI::App&, Session& session) {
    return [&session]() -> CommandResult { return session.document.undo(); };
}

CommandRun redo_command(CLI::App&, Session& session) {
    return [&session]() -> CommandResult { return session.document.redo(); };
}
