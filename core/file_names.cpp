#include "core/file_names.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

// A device, pipe or socket that exists under `path`.
bool is_special(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

std::string resolved(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    std::filesystem::path p = std::filesystem::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal().string() : p.string();
}

} // namespace

bool same_file(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool names_one_file(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty() || is_special(a) || is_special(b)) return false;
    return same_file(a, b) || resolved(a) == resolved(b);
}
