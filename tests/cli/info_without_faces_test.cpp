// A file without faces, which the window refuses to show, is still described by info.
#include "cli/cli_run.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(CliInfo, DescribesAFileWithoutFaces) {
    TempDir dir;
    std::string path = dir.file("points.obj");
    std::ofstream(path) << "v 0 0 0\nv 2 0 0\nv 2 1 0\np 1 2 3\n";
    CliRun r = run_cli("info " + path);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("vertices:     3\nfaces:        0\n"), std::string::npos) << r.out;
}

} // namespace
