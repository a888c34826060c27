// Inputs and outputs at the edges: files that are not regular, folders that cannot take
// files, face normals that are no number and results too large for the memory.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string cube_mesh = bundled_data("cube.obj");

size_t occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Runs the command with a watchdog: should it wait on the pipe `fifo` for more than a
// few seconds, the watchdog opens and closes the pipe's other end, so that the command
// ends (and the test fails on the time) instead of hanging.
CliRun run_beside_pipe(const std::string& args, const std::string& fifo, double& seconds) {
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        for (int k = 0; k < 100 && !done; ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (done) return;
        int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    });
    auto start = std::chrono::steady_clock::now();
    CliRun r = run_cli(args);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    done = true;
    watchdog.join();
    return r;
}

// A grid of n x n quads, two faces each.
std::string square_grid_obj(int n) {
    std::string obj;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j)
            obj += "v " + std::to_string(j) + " " + std::to_string(i) + " 0\n";
    auto v = [n](int i, int j) { return std::to_string(i * (n + 1) + j + 1); };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            obj += "f " + v(i, j) + " " + v(i, j + 1) + " " + v(i + 1, j + 1) + "\nf " + v(i, j) +
                   " " + v(i + 1, j + 1) + " " + v(i + 1, j) + "\n";
    return obj;
}

// A folder name so long that no file name fits beside it in a path.
std::string folder_too_long_for_files(const TempDir& dir) {
    std::string folder = dir.file("made");
    while (folder.size() < 4070) {
        size_t part = std::min<size_t>(200, 4084 - folder.size());
        folder.push_back('/');
        folder.append(part, 'd');
    }
    return folder;
}

} // namespace

TEST(CliAwkwardCases, PipesWithoutAWriterAndDevicesAreRefusedAtOnce) {
    TempDir dir;
    std::string pipe = dir.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const char* name : {"pipe.obj", "pipe.net", "pipe.spt", "pipe.txt", "pipe.png"})
        fs::create_symlink(pipe, dir.file(name));
    for (const char* name : {"zero.obj", "zero.spt", "zero.txt", "zero.png"})
        fs::create_symlink("/dev/zero", dir.file(name));
    const std::string no_writer = "is a named pipe with no writer";
    const std::string device = "is a character device, not a regular file";
    struct Case {
        std::string args, message;
    } cases[] = {
        {"info " + dir.file("pipe.obj"),
         "ERROR: Opening File: " + dir.file("pipe.obj") + " (" + no_writer + ")\n"},
        {"info " + dir.file("pipe.net"),
         "ERROR Opening File: " + dir.file("pipe.net") + " (" + no_writer + ")\n"},
        {"info " + dir.file("zero.obj"),
         "ERROR: Opening File: " + dir.file("zero.obj") + " (" + device + ")\n"},
        {"classify " + cube_mesh + " --load-table " + dir.file("pipe.spt"),
         "is a named pipe, not a regular file"},
        {"classify " + cube_mesh + " --load-table " + dir.file("zero.spt"), device},
        {"run " + dir.file("pipe.txt"), no_writer},
        {"run " + dir.file("zero.txt"), device},
        {"smooth " + cube_mesh + " --normals /dev/null --mean-shift 5 --curve " +
             dir.file("pipe.txt"),
         no_writer},
#ifdef VOSTREL_RENDER
        {"terrain " + dir.file("pipe.png") + " -o " + dir.file("t.obj"), no_writer},
        {"terrain " + dir.file("zero.png") + " -o " + dir.file("t.obj"), device},
#endif
    };
    for (const Case& c : cases) {
        double seconds = 0;
        CliRun r = run_beside_pipe(c.args, pipe, seconds);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(r.err.find("Is a directory"), std::string::npos) << r.err;
        EXPECT_LT(seconds, 4) << c.args;
    }
}

TEST(CliAwkwardCases, APipeWithAWriterIsRead) {
    TempDir dir;
    std::string pipe = dir.file("cube.obj");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // The writer comes a moment after the reader: it is waited for.
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ofstream(pipe) << file_contents(cube_mesh);
    });
    CliRun r = run_cli("info " + pipe);
    writer.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("faces:        12"), std::string::npos) << r.out;
}

// Faces of zero area have normals that are no number; smooth writes numbers only: a face
// no filtered normal reaches is written as 0 0 0.
TEST(CliAwkwardCases, SmoothWritesNoNumberAsZeros) {
    TempDir dir;
    std::ofstream(dir.file("fan.obj")) << "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv -1 0 0\n"
                                          "f 1 2 3\nf 1 3 4\nf 1 4 5\nf 2 2 3\n";
    std::ofstream(dir.file("flat.obj")) << "v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\nf 1 1 2\n";
    const std::string up = "0 0 1\n";
    struct Case {
        std::string mesh, filter, normals;
    } cases[] = {
        {"fan.obj", "--mean-shift 100", up + up + up + up},
        {"fan.obj", "--sphere-jump 100", up + up + up + up},
        {"fan.obj", "--median 1", up + up + up + up},
        {"flat.obj", "--mean-shift 100", "0 0 0\n0 0 0\n"},
        {"flat.obj", "--median 2", "0 0 0\n0 0 0\n"},
    };
    for (const Case& c : cases) {
        std::string out = dir.file("normals.txt");
        CliRun r = run_cli("smooth " + dir.file(c.mesh) + " --normals " + out + " " + c.filter);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(file_contents(out), c.normals) << c.mesh << " " << c.filter;
    }
}

TEST(CliAwkwardCases, SegmentFoldersThatTakeNoFilesGoAgain) {
    TempDir dir;
    std::string folder = folder_too_long_for_files(dir);
    std::ofstream(dir.file("script.txt"))
        << "open " << cube_mesh << "\nsegment --at 1:1:90\nsave-segments " << folder << "\n";
    for (std::string args : {"segment " + cube_mesh + " --at 1:1:90 -C " + folder,
                             std::string("run ") + dir.file("script.txt")}) {
        CliRun r = run_cli(args);
        EXPECT_EQ(r.status, 1) << args;
        // Every file named once, in the message.
        for (const char* name : {"/non-segemented.obj", "/object_1.obj", "/segemented.obj"})
            EXPECT_EQ(occurrences(r.out + r.err, folder + name), 1u) << name << "\n" << r.err;
        EXPECT_FALSE(fs::exists(dir.file("made"))) << args;
    }
    // A folder that was there stays, also when nothing could be written into it.
    fs::create_directories(folder);
    EXPECT_EQ(run_cli("segment " + cube_mesh + " --at 1:1:90 -C " + folder).status, 1);
    EXPECT_TRUE(fs::is_directory(folder));
}

// Refused by the estimate (11 levels), or by an allocation failing under a limit of
// 600 MB (8 levels): either way the message names the subdivision and its estimate.
TEST(CliAwkwardCases, SubdivisionTooLargeSaysWhatItWouldNeed) {
    TempDir dir;
    std::ofstream(dir.file("grid.obj")) << square_grid_obj(10); // 200 faces
    struct Case {
        int levels;
        long limit_kib;
    } cases[] = {{11, 0}, {8, 600000}};
    for (const Case& c : cases) {
        if (c.limit_kib && address_sanitised()) continue; // it reserves more than the limit
        const std::string levels = std::to_string(c.levels);
        CliRun r = run_cli("subdivide " + dir.file("grid.obj") + " -o " + dir.file("out.obj") +
                               " --levels " + levels + " --weight 0",
                           "", c.limit_kib);
        EXPECT_EQ(r.status, 1) << levels;
        EXPECT_NE(r.err.find("subdivision to " + levels + " levels would need "), std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(" MB"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir.file("out.obj")));
    }
}
