#include "core/child_process.h"

#include "core/work.h"

#include <cerrno>
#include <cstdint>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

// A sanitiser's report in the child is the child's end, to be told to the caller, not
// the program's: in the child the report goes nowhere, and the death hook a fuzzer sets
// (which would write the input out as a crash of its own) is taken away. Present only
// in sanitised builds.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));
extern "C" void __sanitizer_set_report_fd(void* fd) __attribute__((weak));

namespace child_process {

// How the child leaves when it does not finish.
constexpr int exit_stopped = 120; // the task threw WorkStopped
constexpr int exit_threw = 121;   // the task threw anything else
constexpr int exit_unwritten = 122;

using Task = std::function<void(std::string&, Work&)>;

// A Work in memory shared with the child, so that its progress and a stop reach across.
class SharedWork {
  public:
    SharedWork() {
        void* page = mmap(nullptr, sizeof(Work), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
                          -1, 0);
        if (page != MAP_FAILED) work = new (page) Work;
    }
    ~SharedWork() {
        if (!work) return;
        work->~Work();
        munmap(work, sizeof(Work));
    }
    SharedWork(const SharedWork&) = delete;
    SharedWork& operator=(const SharedWork&) = delete;
    Work* work = nullptr;
};

bool write_all(int fd, const char* p, size_t n) {
    while (n) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

void quieten_sanitisers() {
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
    int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (__sanitizer_set_report_fd && nowhere >= 0)
        __sanitizer_set_report_fd(reinterpret_cast<void*>(intptr_t(nowhere)));
}

// The child: the task's output, after its length, down the pipe on descriptor `out`.
// (It may hold the pipes of reads on other threads too, made before it: the parent
// knows the end by the child's exit, not by the pipe's.)
[[noreturn]] void child_main(int out, const Task& task, Work& work) {
    quieten_sanitisers();
    signal(SIGPIPE, SIG_DFL);
    std::string output;
    try {
        task(output, work);
    } catch (const WorkStopped&) {
        _exit(exit_stopped);
    } catch (...) {
        _exit(exit_threw);
    }
    uint64_t n = output.size();
    bool written = write_all(out, reinterpret_cast<const char*>(&n), sizeof n) &&
                   write_all(out, output.data(), output.size());
    _exit(written ? 0 : exit_unwritten);
}

std::string how_it_ended(int status) {
    if (WIFSIGNALED(status)) {
        int s = WTERMSIG(status);
        return "it was killed by signal " + std::to_string(s) + " (" + strsignal(s) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == exit_threw)
        return "it gave up with an error it did not explain";
    return "it ended with status " + std::to_string(WEXITSTATUS(status));
}

// The parent's side of one child: what it writes, until it has ended; a child still
// running when this goes (on a stop) is killed and waited for.
class Child {
  public:
    Child(pid_t p, int fd) : pid(p), in(fd) { fcntl(in, F_SETFL, fcntl(in, F_GETFL) | O_NONBLOCK); }
    ~Child() {
        if (!reaped) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
        close(in);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Waits for the child's end, passing its progress to `work` and a stop from it.
    ChildOutcome wait(Work* work, Work& shared);

  private:
    pid_t pid;
    int in;
    int status = 0;
    bool reaped = false;
    std::string got;

    // Reads what the pipe holds now; false at its end or on an error.
    bool drain() {
        char buffer[1 << 16];
        for (;;) {
            ssize_t n = read(in, buffer, sizeof buffer);
            if (n > 0) {
                got.append(buffer, size_t(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            return n < 0 && errno == EAGAIN;
        }
    }
    bool ended() {
        if (!reaped && waitpid(pid, &status, WNOHANG) == pid) reaped = true;
        return reaped;
    }
    ChildOutcome outcome();
};

ChildOutcome Child::wait(Work* work, Work& shared) {
    using clock = std::chrono::steady_clock;
    clock::time_point stop_asked{};
    for (;;) {
        pollfd p{in, POLLIN, 0};
        poll(&p, 1, 20);
        bool open = drain();
        const bool gone = ended();
        if (gone && open) drain(); // what it wrote just before it left
        if (work) work->advance(int64_t(shared.fraction() * double(1 << 20)), 1 << 20);
        if (gone) break;
        if (!work || !work->stopped()) continue;
        if (stop_asked == clock::time_point{}) {
            stop_asked = clock::now();
            shared.stop();
        } else if (clock::now() - stop_asked > std::chrono::seconds(1)) {
            throw WorkStopped{}; // the destructor kills the child
        }
    }
    if (work) work->count_checkpoints_of(shared);
    if (WIFEXITED(status) && WEXITSTATUS(status) == exit_stopped) {
        if (work) work->stop();
        throw WorkStopped{};
    }
    return outcome();
}

ChildOutcome Child::outcome() {
    ChildOutcome o;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        o.why = how_it_ended(status);
        return o;
    }
    uint64_t n = 0;
    if (got.size() < sizeof n || (std::memcpy(&n, got.data(), sizeof n), got.size() - sizeof n != n)) {
        o.why = "its output came short";
        return o;
    }
    o.end = ChildEnd::Finished;
    got.erase(0, sizeof n);
    o.output = std::move(got);
    return o;
}

ChildOutcome not_started(const char* what) {
    ChildOutcome o;
    o.why = std::string(what) + " could not be made: " + std::strerror(errno);
    return o;
}

} // namespace child_process

ChildOutcome run_in_child(const std::function<void(std::string&, Work&)>& task, Work* work) {
    using namespace child_process;
    SharedWork shared;
    if (!shared.work) return not_started("memory shared with a child process");
    if (work) work->lend_test_stop(*shared.work);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return not_started("a pipe");
    pid_t pid = fork();
    if (pid < 0) {
        ChildOutcome o = not_started("a child process");
        close(fds[0]);
        close(fds[1]);
        return o;
    }
    if (pid == 0) {
        close(fds[0]);
        child_main(fds[1], task, *shared.work);
    }
    close(fds[1]);
    Child child(pid, fds[0]);
    return child.wait(work, *shared.work);
}
