// Exit statuses that scripts can trust: output that cannot be written is a failure.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <vector>

namespace {

// A device node that is always full (as /dev/full), made in the test's own folder.
class FullDevice {
  public:
    FullDevice() : path(dir.file("full")) {
        made = mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    }
    TempDir dir;
    std::string path;
    bool made;
};

TEST(ExitStatus, OutputThatCannotBeWrittenIsAFailure) {
    FullDevice full;
    if (!full.made) GTEST_SKIP() << "cannot make device nodes here";
    std::string mesh = std::string(VOSTREL_DATA) + "/cube.obj";
    for (const std::string& args : std::vector<std::string>{
             "--help", "help info", "info --help", "info " + mesh, "info --json " + mesh}) {
        CliRun r = run_cli(args, full.path);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("could not write to standard output"), std::string::npos) << args;
    }
    // Whatever went wrong first keeps its status.
    EXPECT_EQ(run_cli("info", full.path).status, 2);
    EXPECT_EQ(run_cli("info /nonexistent/x.obj", full.path).status, 1);
}

} // namespace
