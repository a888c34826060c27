// The script line reload: the mesh as last opened comes back, as "Reload" brings it (a
// step that undo takes back).
#include "cli/command.h"
#include "document/document.h"

CommandRun reload_command(CLI::App&, Session& session) {
    return [&session]() -> CommandResult {
        if (session.document.file_name.empty())
            return CommandResult::failure("ERROR: there is nothing to reload: no file has been "
                                          "opened");
        return session.document.reload();
    };
}
