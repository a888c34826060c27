#include "core/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

AtomicFile::AtomicFile(const std::string& target) : path(target), temp(target + ".XXXXXX") {
    int fd = mkstemp(temp.data());
    if (fd < 0) return;
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(temp.c_str());
    }
}

AtomicFile::~AtomicFile() {
    if (file) {
        std::fclose(file);
        unlink(temp.c_str());
    }
}

bool AtomicFile::write(const std::string& data) {
    return std::fwrite(data.data(), 1, data.size(), file) == data.size();
}

bool AtomicFile::commit() {
    bool ok = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
    int saved = errno;
    unlink(temp.c_str());
    errno = saved;
    return false;
}

IoResult write_file_atomically(const std::string& path, const std::string& content) {
    AtomicFile file(path);
    if (file.is_open() && file.write(content) && file.commit()) return IoResult::success();
    return IoResult::failure("ERROR: could not write " + path + ": " + std::strerror(errno));
}
