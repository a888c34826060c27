#include "core/text_file.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

bool read_file(const std::string& path, std::string& text) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f) return false;
    text.clear();
    struct stat info;
    if (fstat(fileno(f.get()), &info) == 0 && S_ISREG(info.st_mode))
        text.reserve(size_t(info.st_size));
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) text.append(buffer, n);
    return !std::ferror(f.get());
}

FileText::~FileText() {
    if (map) munmap(map, size);
}

bool FileText::open(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
    if (regular) {
        // Mapped and populated in one go: no copy, and no page fault per page later.
        void* m = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (m != MAP_FAILED) {
            map = m;
            size = size_t(info.st_size);
            ::close(fd);
            return true;
        }
    }
    ::close(fd);
    return read_file(path, read);
}

IoResult check_text(std::string_view& text, const std::string& name) {
    auto starts = [&](const char* bom, size_t n) {
        return text.size() >= n && std::memcmp(text.data(), bom, n) == 0;
    };
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2) || starts("\0\0\xFE\xFF", 4))
        return IoResult::failure(
            "ERROR: " + name +
            ": UTF-16 or UTF-32 text is not supported; save the file as UTF-8 or ASCII");
    if (starts("\xEF\xBB\xBF", 3)) text.remove_prefix(3);
    if (std::memchr(text.data(), 0, text.size()))
        return IoResult::failure("ERROR: " + name + ": not a text file (it holds zero bytes)");
    return IoResult::success();
}
