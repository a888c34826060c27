#include "core/text_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

bool read_file(const std::string& path, std::string& text) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f) return false;
    text.clear();
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) text.append(buffer, n);
    return !std::ferror(f.get());
}

IoResult check_text(std::string_view& text, const std::string& name) {
    auto starts = [&](const char* bom, size_t n) { return text.size() >= n && std::memcmp(text.data(), bom, n) == 0; };
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2) || starts("\0\0\xFE\xFF", 4))
        return IoResult::failure("ERROR: " + name + ": UTF-16 or UTF-32 text is not supported; save the file as UTF-8 or ASCII");
    if (starts("\xEF\xBB\xBF", 3)) text.remove_prefix(3);
    if (std::memchr(text.data(), 0, text.size()))
        return IoResult::failure("ERROR: " + name + ": not a text file (it holds zero bytes)");
    return IoResult::success();
}
