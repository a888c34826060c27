// Writing the segments: the script line save-segments, and what segment does last.
#include "cli/command.h"
#include "document/document.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

IoResult make_folder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec && std::filesystem::is_directory(folder)) return IoResult::success();
    return IoResult::failure("ERROR: could not create the folder " + folder + ": " +
                             (ec ? ec.message() : std::strerror(ENOTDIR)));
}

CommandResult write_segments(Document& document, const std::string& folder) {
    SegmentFiles files = document.save_segments(folder);
    std::string message;
    for (const IoResult& r : files.failures) message += (message.empty() ? "" : "\n") + r.error;
    return files.ok() ? CommandResult() : CommandResult::failure(message);
}

CommandRun save_segments_command(CLI::App& command, Session& session) {
    auto folder = std::make_shared<std::string>();
    command.add_option("DIR", *folder, "The folder, created if missing")->required();
    return [folder, &session]() -> CommandResult {
        if (CommandResult r = session.need_mesh(); !r) return r;
        if (IoResult r = make_folder(*folder); !r) return r;
        return write_segments(session.document, *folder);
    };
}
