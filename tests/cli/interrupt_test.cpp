// SIGINT and SIGTERM stop a command within a moment, with every output as it was, and
// the status 128 + the signal; a terminal on standard error shows a progress bar, a file
// or pipe never does.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <pty.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A mesh long to filter: spot subdivided twice (93,696 faces), made once.
const std::string& big_mesh() {
    static TempDir dir;
    static std::string path = [] {
        std::string p = dir.file("big.obj");
        run_cli("subdivide " + bundled_data("spot.obj") + " -o " + p + " --levels 2 --weight 0");
        return p;
    }();
    return path;
}

// Starts vostrel-cli ARGS with its output in `dir`; the child's pid.
pid_t start(const std::vector<std::string>& args, const std::string& dir) {
    pid_t pid = fork();
    if (pid == 0) {
        std::string out = dir + "/stdout", err = dir + "/stderr";
        freopen(out.c_str(), "w", stdout);
        freopen(err.c_str(), "w", stderr);
        std::vector<char*> argv{const_cast<char*>(VOSTREL_CLI)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(VOSTREL_CLI, argv.data());
        _exit(127);
    }
    return pid;
}

struct Stopped {
    int status = -1;
    double seconds = 0; // from the signal to the end
};

// True once `pid` catches SIGINT, read from its /proc status: before that, a signal
// would end the program before it has begun.
bool catches_interrupt(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1;
    return false;
}

// Sends the signal `wait` after the child is ready for it.
Stopped stop_after(pid_t pid, std::chrono::milliseconds wait, int signal_number) {
    for (auto limit = Clock::now() + std::chrono::seconds(5);
         !catches_interrupt(pid) && Clock::now() < limit;)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(wait);
    auto sent = Clock::now();
    kill(pid, signal_number);
    int status = 0;
    waitpid(pid, &status, 0);
    Stopped s;
    s.seconds = std::chrono::duration<double>(Clock::now() - sent).count();
    s.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return s;
}

TEST(Interrupt, ASignalStopsACommandAndLeavesItsOutputs) {
    const std::string& mesh = big_mesh();
    for (int signal_number : {SIGINT, SIGTERM}) {
        TempDir dir;
        std::string normals = dir.file("normals.txt"), out = dir.file("out.obj");
        std::ofstream(normals) << "old normals\n";
        std::ofstream(out) << "old mesh\n";
        pid_t pid = start({"smooth", mesh, "--normals", normals, "--median", "40", "-o", out},
                          dir.path.string());
        Stopped s = stop_after(pid, std::chrono::milliseconds(1200), signal_number);
        EXPECT_EQ(s.status, 128 + signal_number);
        EXPECT_LT(s.seconds, 0.2);
        std::string text;
        read_file(normals, text);
        EXPECT_EQ(text, "old normals\n");
        read_file(out, text);
        EXPECT_EQ(text, "old mesh\n");
        for (const auto& entry : fs::directory_iterator(dir.path)) {
            std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "normals.txt" || name == "out.obj" || name == "stdout" ||
                        name == "stderr")
                << name;
        }
    }
}

// While the mesh is read, between operations or in one: the same.
TEST(Interrupt, ASignalWhileReadingStopsToo) {
    TempDir dir;
    pid_t pid = start({"info", big_mesh()}, dir.path.string());
    Stopped s = stop_after(pid, std::chrono::milliseconds(20), SIGINT);
    EXPECT_TRUE(s.status == 130 || s.status == 0) << s.status; // 0: it ended before
    EXPECT_LT(s.seconds, 0.2);
}

TEST(Interrupt, AProgressBarOnATerminalOnly) {
    TempDir dir;
    std::string normals = dir.file("normals.txt");
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        // Standard output to a file: only standard error is the terminal's.
        freopen((dir.file("stdout")).c_str(), "w", stdout);
        execl(VOSTREL_CLI, VOSTREL_CLI, "smooth", big_mesh().c_str(), "--normals", normals.c_str(),
              "--median", "12", nullptr);
        _exit(127);
    }
    std::string seen;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) seen.append(buffer, size_t(n));
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(seen.find("%"), std::string::npos) << seen;
    EXPECT_NE(seen.find("[#"), std::string::npos) << seen;

    // The same into a file: nothing but what the command always says there.
    CliRun r = run_cli("smooth " + big_mesh() + " --normals " + normals + " --median 12");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

} // namespace
