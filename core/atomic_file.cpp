#include "core/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Temporary files of the saves in progress, for the signal handler to remove. The
// handler may only call async-signal-safe functions, so the paths live in fixed storage:
// blocks of slots that are only ever added (linked in once ready) and never freed, which
// the handler walks without a lock while savers take and free slots under one. A save
// of many files at once (the segment export) takes more blocks.
struct PendingBlock {
    static constexpr int size = 16;
    char paths[size][PATH_MAX];
    volatile sig_atomic_t used[size];
    std::atomic<PendingBlock*> next{nullptr};
};
PendingBlock first_pending;
std::mutex pending_mutex;
constexpr int cleanup_signals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous_actions[3];

void remove_pending_and_reraise(int signal_number) {
    for (PendingBlock* b = &first_pending; b; b = b->next.load(std::memory_order_acquire))
        for (int i = 0; i < PendingBlock::size; ++i)
            if (b->used[i]) unlink(b->paths[i]);
    for (int k = 0; k < 3; ++k) {
        if (cleanup_signals[k] != signal_number) continue;
        const struct sigaction& before = previous_actions[k];
        if (before.sa_handler == SIG_IGN) return;
        if (before.sa_handler != SIG_DFL && !(before.sa_flags & SA_SIGINFO)) {
            before.sa_handler(signal_number);
            return;
        }
    }
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

void install_handlers_once() {
    static bool installed = [] {
        for (int k = 0; k < 3; ++k) {
            struct sigaction action {};
            action.sa_handler = remove_pending_and_reraise;
            sigemptyset(&action.sa_mask);
            sigaction(cleanup_signals[k], &action, &previous_actions[k]);
        }
        return true;
    }();
    (void)installed;
}

void register_pending(const std::string& path) {
    if (path.size() >= PATH_MAX) return;
    install_handlers_once();
    std::lock_guard lock(pending_mutex);
    for (PendingBlock* b = &first_pending;;) {
        for (int i = 0; i < PendingBlock::size; ++i)
            if (!b->used[i]) {
                std::memcpy(b->paths[i], path.c_str(), path.size() + 1);
                std::atomic_signal_fence(std::memory_order_release); // the path before the flag
                b->used[i] = 1;
                return;
            }
        PendingBlock* next = b->next.load(std::memory_order_relaxed);
        if (!next) {
            next = new (std::nothrow) PendingBlock();
            if (!next) return; // no room: a signal leaves this one behind
            b->next.store(next, std::memory_order_release);
        }
        b = next;
    }
}

void unregister_pending(const std::string& path) {
    std::lock_guard lock(pending_mutex);
    for (PendingBlock* b = &first_pending; b; b = b->next.load(std::memory_order_relaxed))
        for (int i = 0; i < PendingBlock::size; ++i)
            if (b->used[i] && path == b->paths[i]) b->used[i] = 0;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once the symbolic links of its last part are followed (the
// folders on the way are followed by the system anyway). A dangling link names the file
// it would point to.
bool follow_links(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string link(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n < 0) return false;
        link.resize(size_t(n));
        path = !link.empty() && link[0] == '/' ? link : folder_of(path) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

} // namespace

AtomicFile::AtomicFile(const std::string& path) : target(path) {
    if (!follow_links(target)) {
        fail(std::strerror(errno));
        return;
    }
    struct stat st;
    bool exists = stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        fail("is a directory");
        return;
    }
    if (exists && S_ISSOCK(st.st_mode)) {
        errno = EINVAL;
        fail("is a socket");
        return;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or a pipe: write straight into it. A pipe without a reader would wait
        // for ever; it is refused instead.
        int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            fail(errno == ENXIO ? "is a pipe that nothing reads" : std::strerror(errno));
            return;
        }
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file = fdopen(fd, "wb");
        if (!file) {
            fail(std::strerror(errno));
            close(fd);
        }
        return;
    }
    // Root may write anything; a file nobody may write is still meant to stay as it is.
    if (exists &&
        (access(target.c_str(), W_OK) != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
        errno = EACCES;
        fail("is read-only");
        return;
    }

    // A short name, so that a target whose own name is as long as names may be still
    // has room for its temporary file.
    temp = folder_of(target) + "/.vostrel-XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        fail(std::string("cannot create a file in its folder: ") + std::strerror(errno));
        temp.clear();
        return;
    }
    register_pending(temp);
    if (exists) {
        fchmod(fd, st.st_mode & 07777);
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not ours to give away: the new file stays the saver's.
        }
    } else {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    file = fdopen(fd, "wb");
    if (!file) {
        int saved = errno;
        close(fd);
        remove_temp();
        errno = saved;
        fail(std::strerror(saved));
    }
}

AtomicFile::~AtomicFile() {
    if (file) std::fclose(file);
    remove_temp(); // not committed: the target stays as it was
}

void AtomicFile::remove_temp() {
    if (temp.empty()) return;
    unlink(temp.c_str());
    unregister_pending(temp);
    temp.clear();
}

bool AtomicFile::fail(const std::string& why) {
    int saved = errno;
    if (problem.empty()) problem = why;
    errno = saved;
    return false;
}

bool AtomicFile::write(const char* data, size_t size) {
    if (!file) return false;
    if (std::fwrite(data, 1, size, file) == size) return true;
    return fail(std::strerror(errno));
}

bool AtomicFile::write(const std::string& data) {
    return write(data.data(), data.size());
}

bool AtomicFile::finish() {
    if (finished) return true;
    if (!file) return false;
    bool ok = std::fflush(file) == 0;
    int saved = errno;
    if (ok && !temp.empty() && fsync(fileno(file)) != 0) ok = false, saved = errno;
    if (std::fclose(file) != 0 && ok) ok = false, saved = errno;
    file = nullptr;
    if (!ok) remove_temp();
    finished = ok;
    errno = saved;
    return ok || fail(std::strerror(saved));
}

bool AtomicFile::commit() {
    if (!finish()) return false;
    finished = false;
    if (temp.empty()) return true;
    bool ok = std::rename(temp.c_str(), target.c_str()) == 0;
    int saved = errno;
    if (ok) {
        unregister_pending(temp);
        temp.clear();
    } else {
        remove_temp();
    }
    errno = saved;
    return ok || fail(std::strerror(saved));
}

IoResult write_file_atomically(const std::string& path, const std::string& content) {
    AtomicFile file(path);
    if (file.is_open() && file.write(content) && file.commit()) return IoResult::success();
    return IoResult::failure("ERROR: could not write " + path + ": " + file.error());
}
