#include "cli/file_roles.h"
#include "cli/command.h"

namespace {

// The option as its help shows it: "-o/--output", "--normals", "MESH".
std::string option_name(const CLI::Option& option) {
    if (!option.get_snames().empty() && !option.get_lnames().empty())
        return "-" + option.get_snames()[0] + "/--" + option.get_lnames()[0];
    return option.get_name();
}

} // namespace

CLI::Option* FileOptions::add(CLI::Option* option, FileRole role) {
    options.push_back({option, role});
    return option;
}

std::vector<NamedFile> FileOptions::given() const {
    std::vector<NamedFile> files;
    for (const Entry& e : options)
        for (const std::string& path : e.option->results())
            if (!path.empty()) files.push_back({option_name(*e.option), path, e.role});
    return files;
}
