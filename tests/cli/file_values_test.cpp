// The commands' exit status on small files that hold what they must not: plane scripts,
// planes without direction, weight curves beyond their plot, tables of non-distances
// and settings without a SIZE.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

namespace {

void put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const char* square_obj = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3\nf 1 3 4\n";

TEST(CliFileValues, PlaneScriptsThatCannotBeUsed) {
    TempDir dir;
    const std::string script = dir.file("s.txt"), out = dir.file("out.clp");
    auto clip = [&](const std::string& path) {
        return run_cli("clip-planes --cube 10 --script " + path + " --save " + out);
    };
    struct Case {
        std::string text; // written to `script` unless empty
        std::string path;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"select 0\nselect 6\n", script, 2, script + ":2: '6' is not an integer from 0 to 5"},
        {std::string("select 0\n\x01\x02", 11), script, 1,
         "ERROR: " + script + ": not a text file (byte 0x01 at offset 9)"},
        {"", dir.file("none.txt"), 1,
         "ERROR: could not read the script " + dir.file("none.txt") +
             " (No such file or directory)"},
        {"", dir.path.string(), 1,
         "ERROR: could not read the script " + dir.path.string() + " (Is a directory)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        if (!c.text.empty()) put(script, c.text);
        CliRun r = clip(c.path);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(has(r.err, c.message)) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// Planes read as zeros have no normal; pushing them leaves them as read, and they save.
TEST(CliFileValues, PlanesReadAsZerosStayFiniteWhenPushed) {
    TempDir dir;
    std::string zeros = "SIZE: 6\n";
    for (int i = 0; i < 6; ++i) {
        zeros += "P:";
        for (int k = 0; k < 69; ++k) zeros += " 0";
        zeros += "\n";
    }
    put(dir.file("zeros.clp"), zeros);
    put(dir.file("s.txt"), "select 0\ndrag 3 0 0 0 100 5\ndrag 1 0 0 0 100 5\n");
    CliRun r = run_cli("clip-planes --cube 10 --load " + dir.file("zeros.clp") + " --script " +
                       dir.file("s.txt") + " --save " + dir.file("out.clp"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string saved = file_contents(dir.file("out.clp"));
    EXPECT_FALSE(has(saved, "nan")) << saved;
    EXPECT_TRUE(has(saved, "P: 0 0 0 0 0 0 ")) << saved;
}

TEST(CliFileValues, WeightCurveBeyondItsPlot) {
    TempDir dir;
    put(dir.file("m.obj"), square_obj);
    std::string curve = "100\n";
    for (int k = 0; k <= 100; ++k) curve += std::to_string(k) + (k == 7 ? " -3e38\n" : " 10\n");
    put(dir.file("c.txt"), curve);
    CliRun r = run_cli("smooth " + dir.file("m.obj") + " --mean-shift 50 --curve " +
                       dir.file("c.txt") + " --normals " + dir.file("n.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, dir.file("c.txt") + ":9: y = -3e+38 is outside 0 ... 100")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("n.txt")));
}

TEST(CliFileValues, TableOfNonDistances) {
    TempDir dir;
    put(dir.file("m.obj"), square_obj);
    ASSERT_EQ(
        run_cli("classify " + dir.file("m.obj") + " --save-table " + dir.file("t.spt")).status, 0);
    std::string bytes = file_contents(dir.file("t.spt"));
    ASSERT_EQ(bytes.size(), 16u); // two faces: three pairs and a spare
    const float bad = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(bytes.data() + 4, &bad, 4);
    put(dir.file("t.spt"), bytes);
    CliRun r = run_cli("classify " + dir.file("m.obj") + " --load-table " + dir.file("t.spt") +
                       " --faces " + dir.file("f.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "entry 1 (row 1, column 0) holds nan, which is not a distance"))
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("f.txt")));
}

TEST(CliFileValues, SettingsWithoutSizeOrWithAnotherMode) {
    TempDir dir;
    const std::string mesh = dir.file("m.obj"), mor = dir.file("s.mor"), out = dir.file("o.obj");
    put(mesh, std::string("mn warm\n") + square_obj + "m 1\nm 0\nm 1\nm 0\n");
    for (const std::string& setting :
         {std::string(""), std::string("BASECOL 255 0 0\nMIXMODE 1\n"), std::string(square_obj),
          std::string("SIZE 1\nMIXMODE 3\n")}) {
        SCOPED_TRACE(setting);
        put(mor, setting);
        CliRun r = run_cli("morphogen " + mesh + " --mor " + mor + " -o " + out);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(has(r.err, "ERROR: " + mor)) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

} // namespace
