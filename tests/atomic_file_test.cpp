// Saving onto whatever the target is: a new file, a file to replace, a link, a device, a
// pipe, a folder, a read-only file; and saves that fail or are interrupted.
#include "core/atomic_file.h"
#include "core/text_file.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string contents(const std::string& path) {
    std::string text;
    read_file(path, text);
    return text;
}

// Names in the folder other than those given: what a save left behind.
std::vector<std::string> debris(const TempDir& dir, std::initializer_list<std::string> expected) {
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path)) {
        std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end())
            left.push_back(name);
    }
    return left;
}

mode_t mode_of(const std::string& path) {
    struct stat st;
    lstat(path.c_str(), &st);
    return st.st_mode;
}

TEST(AtomicFile, NewAndReplacedFilesKeepTheirPermissions) {
    TempDir dir;
    std::string path = dir.file("a.txt");
    ASSERT_TRUE(write_file_atomically(path, "first\n"));
    EXPECT_EQ(contents(path), "first\n");
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(write_file_atomically(path, "second\n"));
    EXPECT_EQ(contents(path), "second\n");
    EXPECT_EQ(mode_of(path) & 07777, 0640u);
    EXPECT_TRUE(debris(dir, {"a.txt"}).empty());
}

TEST(AtomicFile, ALinkIsFollowedAndStays) {
    TempDir dir;
    std::string real = dir.file("real.obj"), link = dir.file("link.obj");
    std::ofstream(real) << "old";
    fs::create_symlink("real.obj", link); // relative to the link's folder
    ASSERT_TRUE(write_file_atomically(link, "new"));
    EXPECT_TRUE(S_ISLNK(mode_of(link)));
    EXPECT_EQ(contents(real), "new");

    // A chain of links, and one that points where no file is yet.
    std::string chain = dir.file("chain.obj"), dangling = dir.file("dangling.obj");
    fs::create_symlink(link, chain);
    fs::create_symlink(dir.file("later.obj"), dangling);
    ASSERT_TRUE(write_file_atomically(chain, "chained"));
    EXPECT_EQ(contents(real), "chained");
    ASSERT_TRUE(write_file_atomically(dangling, "later"));
    EXPECT_TRUE(S_ISLNK(mode_of(dangling)));
    EXPECT_EQ(contents(dir.file("later.obj")), "later");
    EXPECT_TRUE(
        debris(dir, {"real.obj", "link.obj", "chain.obj", "dangling.obj", "later.obj"}).empty());
}

// Device nodes made in the test's own folder: one that takes anything (as /dev/null) and
// one that is always full (as /dev/full). Only root may make them.
TEST(AtomicFile, DevicesAreWrittenIntoNotReplaced) {
    TempDir dir;
    std::string null = dir.file("null"), full = dir.file("full");
    if (mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
        mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "cannot make device nodes here";
    EXPECT_TRUE(write_file_atomically(null, "into nothing"));
    EXPECT_TRUE(S_ISCHR(mode_of(null)));

    IoResult r = write_file_atomically(full, std::string(100000, 'x'));
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find(full), std::string::npos);
    EXPECT_NE(r.error.find("No space left"), std::string::npos) << r.error;
    EXPECT_TRUE(S_ISCHR(mode_of(full)));
    EXPECT_TRUE(debris(dir, {"null", "full"}).empty());
}

TEST(AtomicFile, APipeIsWrittenIntoWhenSomethingReadsIt) {
    TempDir dir;
    std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    IoResult nobody = write_file_atomically(fifo, "lost");
    EXPECT_FALSE(nobody);
    EXPECT_NE(nobody.error.find("nothing reads"), std::string::npos) << nobody.error;

    std::string received;
    std::thread reader([&] {
        std::ifstream in(fifo);
        received.assign(std::istreambuf_iterator<char>(in), {});
    });
    IoResult r;
    for (int attempt = 0; attempt < 200; ++attempt) { // until the reader has opened it
        r = write_file_atomically(fifo, "through the pipe");
        if (r) break;
        usleep(10000);
    }
    EXPECT_TRUE(r) << r.error;
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(S_ISFIFO(mode_of(fifo)));
}

TEST(AtomicFile, FoldersAndReadOnlyFilesAreRefused) {
    TempDir dir;
    IoResult folder = write_file_atomically(dir.path.string(), "x");
    EXPECT_FALSE(folder);
    EXPECT_NE(folder.error.find("is a directory"), std::string::npos) << folder.error;

    std::string locked = dir.file("locked.obj");
    std::ofstream(locked) << "keep";
    chmod(locked.c_str(), 0444);
    IoResult r = write_file_atomically(locked, "replaced");
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("read-only"), std::string::npos) << r.error;
    EXPECT_EQ(contents(locked), "keep");

    IoResult missing = write_file_atomically(dir.file("no/such/folder.obj"), "x");
    EXPECT_FALSE(missing);
    EXPECT_TRUE(debris(dir, {"locked.obj"}).empty());
}

TEST(AtomicFile, TheLongestNameSaves) {
    TempDir dir;
    std::string name(255, 'n');
    ASSERT_TRUE(write_file_atomically(dir.file(name), "long"));
    EXPECT_EQ(contents(dir.file(name)), "long");
}

TEST(AtomicFile, AnInterruptedSaveLeavesNothingBehind) {
    for (int signal_number : {SIGINT, SIGTERM}) {
        TempDir dir;
        std::string path = dir.file("big.obj");
        std::ofstream(path) << "old";
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AtomicFile file(path);
            file.write(std::string(1000, 'x'));
            raise(signal_number); // ends the process mid-save
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number);
        EXPECT_EQ(contents(path), "old");
        EXPECT_TRUE(debris(dir, {"big.obj"}).empty());
    }
}

// A save given up (an exception unwinding through it, before or after finish()) leaves
// the old file and no temporary; a finished file replaces the old one only on commit().
TEST(AtomicFile, ASaveGivenUpLeavesTheOldFile) {
    TempDir dir;
    std::string path = dir.file("kept.obj");
    std::ofstream(path) << "old";
    for (bool finished : {false, true}) {
        try {
            AtomicFile file(path);
            ASSERT_TRUE(file.write(std::string(100000, 'x')));
            if (finished) {
                ASSERT_TRUE(file.finish());
            }
            throw 1;
        } catch (int) {
        }
        EXPECT_EQ(contents(path), "old");
        EXPECT_TRUE(debris(dir, {"kept.obj"}).empty());
    }
    AtomicFile file(path);
    ASSERT_TRUE(file.write("new"));
    ASSERT_TRUE(file.finish());
    EXPECT_EQ(contents(path), "old");
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(contents(path), "new");
    EXPECT_FALSE(file.commit()); // once only
    EXPECT_TRUE(debris(dir, {"kept.obj"}).empty());
}

// Many files finished and waiting to be put in place at once: a signal removes every
// temporary file.
TEST(AtomicFile, AnInterruptedSaveOfManyFilesLeavesNothingBehind) {
    TempDir dir;
    const int files = 40;
    std::vector<std::string> names;
    for (int i = 0; i < files; ++i) {
        names.push_back(std::to_string(i) + ".obj");
        std::ofstream(dir.file(names.back())) << "old";
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::vector<std::unique_ptr<AtomicFile>> saving;
        for (const std::string& name : names) {
            saving.push_back(std::make_unique<AtomicFile>(dir.file(name)));
            if (!saving.back()->write("new") || !saving.back()->finish()) _exit(1);
        }
        raise(SIGTERM);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    for (const std::string& name : names) EXPECT_EQ(contents(dir.file(name)), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), files);
}

} // namespace
