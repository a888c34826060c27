// Writing the segments: the script line save-segments, and what segment does last.
#include "cli/command.h"
#include "document/document.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

IoResult NewFolder::make(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // The folders missing now, the deepest first, are the ones it makes.
    for (fs::path p = folder; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
        made.push_back(p.string());
        if (p == p.parent_path()) break;
    }
    fs::create_directories(folder, ec);
    if (!ec && fs::is_directory(folder)) return IoResult::success();
    return IoResult::failure("ERROR: could not create the folder " + folder + ": " +
                             (ec ? ec.message() : std::strerror(ENOTDIR)));
}

NewFolder::~NewFolder() {
    std::error_code ec;
    for (const std::string& folder : made)
        if (std::filesystem::is_empty(folder, ec) && !ec) std::filesystem::remove(folder, ec);
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
        NewFolder made;
        if (IoResult r = made.make(*folder); !r) return r;
        return write_segments(session.document, *folder);
    };
}
