#include "core/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool is_control(unsigned char c) {
    return c < 32 && c != '\t' && c != '\n' && c != '\r' && c != '\f';
}

// Whether a block of 64 bytes holds a refused byte: below 32 and none of tab, line feed,
// form feed and carriage return. Tests the refused bytes themselves, so that the line
// feed every block of a text holds does not send each one to a byte by byte search.
bool block_refused(const unsigned char* p) {
#ifdef __SSE2__
    const __m128i top = _mm_set1_epi8(31);
    __m128i bad = _mm_setzero_si128();
    for (int k = 0; k < 4; ++k) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(v, top), v); // v <= 31
        __m128i allowed = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')),
                                                    _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\f')),
                                                    _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))));
        bad = _mm_or_si128(bad, _mm_andnot_si128(allowed, low));
    }
    return _mm_movemask_epi8(bad) != 0;
#else
    bool refused = false;
    for (int i = 0; i < 64; ++i) refused |= is_control(p[i]);
    return refused;
#endif
}

// The offset of the first control character text never holds, or npos: whole blocks
// screened at once, and only a block with one (or the last, partial one) searched byte by
// byte.
size_t find_control(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size(), block = 64;
    size_t start = 0;
    for (; start + block <= n; start += block) {
        if (!block_refused(p + start)) continue;
        for (size_t i = start;; ++i)
            if (is_control(p[i])) return i;
    }
    for (size_t i = start; i < n; ++i)
        if (is_control(p[i])) return i;
    return std::string_view::npos;
}

std::string size_text(size_t bytes) {
    if (bytes % (size_t(1) << 30) == 0) return std::to_string(bytes >> 30) + " GiB";
    if (bytes % (size_t(1) << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

bool too_long(std::string& text, std::string& why, size_t limit) {
    why = "not a regular file, and longer than the " + size_text(limit) + " read from such a file";
    text.clear();
    return false;
}

// How long a named pipe is given to have a writer before it is refused.
constexpr int writer_wait_ms = 500;

// Opens `path` for reading without waiting: a named pipe with no writer would block the
// open, a serial line its carrier. -1 with `why` set when it cannot be opened.
int open_without_waiting(const std::string& path, std::string& why) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd >= 0) return fd;
    int saved = errno;
    struct stat info;
    // A socket cannot be opened at all (ENXIO): it is named as what it is.
    why = saved == ENXIO && stat(path.c_str(), &info) == 0 ? not_regular_reason(info.st_mode)
                                                           : std::strerror(saved);
    if (why.empty()) why = std::strerror(saved);
    return -1;
}

// Waits up to writer_wait_ms for the pipe `fd` (opened without waiting) to have
// something to read, then makes its reads wait again. False, with `why`, when nothing
// writes to it: its first read then ends at once without a writer ever seen, which
// poll tells apart from a writer that came and went (a hang-up).
bool wait_for_writer(int fd, std::string& text, std::string& why) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, writer_wait_ms) < 0) ready.revents = 0;
    char buffer[1 << 12];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0 && !(ready.revents & POLLHUP)) {
        why = "is a named pipe with no writer";
        return false;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
        why = std::strerror(errno);
        return false;
    }
    if (n > 0) text.append(buffer, size_t(n));
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return true;
}

// Reads all of `fd` into `text`, refusing more than `limit` bytes when the file is not
// regular. With `text_only`, reading stops after a block holding a control character,
// which the text check then refuses: a pipe of binary data is not read to the limit. The
// descriptor stays open.
bool read_descriptor(int fd, std::string& text, std::string& why, size_t limit,
                     bool text_only = false) {
    text.clear();
    struct stat info;
    if (fstat(fd, &info) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        why = std::strerror(EISDIR);
        return false;
    }
    // Devices are no files of text or data: /dev/zero would be read to the limit.
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISSOCK(info.st_mode)) {
        why = not_regular_reason(info.st_mode);
        return false;
    }
    const bool regular = S_ISREG(info.st_mode);
    if (regular) text.reserve(size_t(info.st_size));
    if (S_ISFIFO(info.st_mode) && !wait_for_writer(fd, text, why)) return false;
    if (text.size() > limit) return too_long(text, why, limit);
    if (text_only && find_control(text) != std::string_view::npos) return true;
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            why = std::strerror(errno);
            return false;
        }
        if (n == 0) return true;
        if (!regular && text.size() + size_t(n) > limit) return too_long(text, why, limit);
        text.append(buffer, size_t(n));
        if (text_only &&
            find_control(std::string_view(buffer, size_t(n))) != std::string_view::npos)
            return true;
    }
}

} // namespace

bool read_file(const std::string& path, std::string& text, std::string* reason, size_t limit) {
    std::string why;
    int fd = open_without_waiting(path, why);
    bool ok = fd >= 0 && read_descriptor(fd, text, why, limit);
    if (fd >= 0) ::close(fd);
    if (reason) *reason = why;
    return ok;
}

FileText::~FileText() {
    release();
}

void FileText::release() {
    if (map) munmap(map, size);
    map = nullptr;
    size = 0;
    read = {};
}

bool FileText::open(const std::string& path, size_t limit, FileContent content) {
    why.clear();
    int fd = open_without_waiting(path, why);
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
    bool ok = read_descriptor(fd, read, why, limit, content == FileContent::Text);
    ::close(fd);
    return ok;
}

std::string not_regular_reason(unsigned mode) {
    if (S_ISCHR(mode)) return "is a character device, not a regular file";
    if (S_ISBLK(mode)) return "is a block device, not a regular file";
    if (S_ISFIFO(mode)) return "is a named pipe, not a regular file";
    if (S_ISSOCK(mode)) return "is a socket, not a regular file";
    if (S_ISDIR(mode)) return std::strerror(EISDIR);
    return {};
}

int open_regular_file(const std::string& path, std::string& why) {
    int fd = open_without_waiting(path, why);
    if (fd < 0) return -1;
    struct stat info;
    why = fstat(fd, &info) != 0   ? std::strerror(errno)
          : S_ISREG(info.st_mode) ? std::string()
                                  : not_regular_reason(info.st_mode);
    if (!why.empty()) {
        ::close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

IoResult open_failure(const std::string& message, const FileText& file) {
    return IoResult::cannot_open(message + " (" + file.reason() + ")");
}

IoResult check_text(std::string_view& text, const std::string& name) {
    auto starts = [&](const char* bom, size_t n) {
        return text.size() >= n && std::memcmp(text.data(), bom, n) == 0;
    };
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2) || starts("\0\0\xFE\xFF", 4))
        return IoResult::failure(
            "ERROR: " + name +
            ": UTF-16 or UTF-32 text is not supported; save the file as UTF-8 or ASCII");
    size_t bom = starts("\xEF\xBB\xBF", 3) ? 3 : 0;
    text.remove_prefix(bom);
    if (size_t at = find_control(text); at != std::string_view::npos) {
        char what[80];
        std::snprintf(what, sizeof what, "not a text file (byte 0x%02X at offset %zu)",
                      unsigned((unsigned char)text[at]), at + bom);
        return IoResult::failure("ERROR: " + name + ": " + what);
    }
    return IoResult::success();
}

std::vector<std::string_view> split_words(std::string_view line, std::string_view blanks,
                                          size_t most) {
    std::vector<std::string_view> words;
    for (size_t at = line.find_first_not_of(blanks);
         at != std::string_view::npos && words.size() < most;
         at = line.find_first_not_of(blanks, at)) {
        size_t end = std::min(line.find_first_of(blanks, at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}
