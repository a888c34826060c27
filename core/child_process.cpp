#include "core/child_process.h"

#include "core/work.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
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

using Task = std::function<void(ChildOutput&, Work&)>;
using Receive = std::function<bool(ChildInput&)>;

// A Work in memory shared with the child, so that its progress and a stop reach across.
class SharedWork {
  public:
    SharedWork() {
        void* page =
            mmap(nullptr, sizeof(Work), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
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

void quieten_sanitisers() {
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
    int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (__sanitizer_set_report_fd && nowhere >= 0)
        __sanitizer_set_report_fd(reinterpret_cast<void*>(intptr_t(nowhere)));
}

// The child: runs the task, writing down the pipe on descriptor `out`. (It may hold the
// pipes of reads on other threads too, made before it: the caller knows the end by the
// child's exit, not by the pipe's.)
[[noreturn]] void child_main(int out, const Task& task, Work& work) {
    quieten_sanitisers();
    signal(SIGPIPE, SIG_DFL);
    ChildOutput output(out);
    try {
        task(output, work);
    } catch (const WorkStopped&) {
        _exit(exit_stopped);
    } catch (...) {
        _exit(exit_threw);
    }
    _exit(output.failed() ? exit_unwritten : 0);
}

std::string how_it_ended(int status) {
    if (WIFSIGNALED(status)) {
        int s = WTERMSIG(status);
        return "it was killed by signal " + std::to_string(s) + " (" + strsignal(s) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == exit_threw)
        return "it gave up with an error it did not explain";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "it left before it had written all";
    return "it ended with status " + std::to_string(WEXITSTATUS(status));
}

// The caller's side of one child. A child still running when this goes (on a stop, or
// an exception of the receiver) is killed and waited for.
class Child final : public ChildInput {
  public:
    Child(pid_t p, int fd, Work* w, Work& s) : pid(p), in(fd), work(w), shared(s) {
        fcntl(in, F_SETFL, fcntl(in, F_GETFL) | O_NONBLOCK);
    }
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

    bool read(void* bytes, size_t n) override;
    // Waits for the child to leave (taking and dropping what it still writes) and says
    // how it ended; `received` is whether the receiver took all it wanted.
    ChildOutcome finish(bool received);

  private:
    pid_t pid;
    int in;
    Work* work;
    Work& shared;
    int status = 0;
    bool reaped = false;
    std::chrono::steady_clock::time_point stop_asked{};

    void tick();
};

bool Child::read(void* bytes, size_t n) {
    char* to = static_cast<char*>(bytes);
    while (n) {
        ssize_t got = ::read(in, to, n);
        if (got > 0) {
            to += got;
            n -= size_t(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got == 0 || errno != EAGAIN) return false;
        if (reaped) return false; // it left, and all it wrote before has been taken
        tick();
    }
    return true;
}

// Waits a little for the pipe, then passes on the child's progress and a stop.
void Child::tick() {
    pollfd p{in, POLLIN, 0};
    poll(&p, 1, 20);
    if (!reaped && waitpid(pid, &status, WNOHANG) == pid) reaped = true;
    if (!work) return;
    work->advance(int64_t(shared.fraction() * double(1 << 20)), 1 << 20);
    if (!work->stopped() || reaped) return;
    using clock = std::chrono::steady_clock;
    if (stop_asked == clock::time_point{}) {
        stop_asked = clock::now();
        shared.stop();
    } else if (clock::now() - stop_asked > std::chrono::seconds(1)) {
        throw WorkStopped{}; // the destructor kills the child
    }
}

ChildOutcome Child::finish(bool received) {
    char scratch[1 << 12];
    while (!reaped) {
        while (::read(in, scratch, sizeof scratch) > 0) {
        }
        tick();
    }
    if (work) work->count_checkpoints_of(shared);
    if (WIFEXITED(status) && WEXITSTATUS(status) == exit_stopped) {
        if (work) work->stop();
        throw WorkStopped{};
    }
    ChildOutcome o;
    if (received && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        o.end = ChildEnd::Finished;
    else
        o.why = how_it_ended(status);
    return o;
}

ChildOutcome not_started(const char* what) {
    ChildOutcome o;
    o.why = std::string(what) + " could not be made: " + std::strerror(errno);
    return o;
}

} // namespace child_process

void ChildOutput::write(const void* bytes, size_t n) {
    const char* p = static_cast<const char*>(bytes);
    while (n && !broken) {
        ssize_t w = ::write(out, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0)
            broken = true;
        else {
            p += w;
            n -= size_t(w);
        }
    }
}

ChildOutcome run_in_child(const std::function<void(ChildOutput&, Work&)>& task,
                          const std::function<bool(ChildInput&)>& receive, Work* work) {
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
    fcntl(fds[0], F_SETPIPE_SZ, 1 << 20); // fewer turns between the two for large outputs
    Child child(pid, fds[0], work, *shared.work);
    const bool received = receive(child);
    return child.finish(received);
}
