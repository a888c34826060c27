// No command writes over a file it reads, nor two of its outputs into one file: refused
// before anything is written, with both options named, whether or not the file exists.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;

// A folder with a mesh, a weight curve, a plane script and a plane file in it; commands
// run inside it, so that "./x" and "x" name one file.
struct Files {
    TempDir dir;
    Files() {
        fs::copy_file(bundled_data("spot.obj"), dir.file("m.obj"));
        fs::copy_file(bundled_data("curves/hump.txt"), dir.file("c.txt"));
        std::ofstream(dir.file("s.txt")) << "reset-all\n";
        run_cli("clip-planes --cube 2 --save " + dir.file("p.clp"));
    }
    CliRun run(const std::string& args) const {
        fs::path was = fs::current_path();
        fs::current_path(dir.path);
        CliRun r = run_cli(args);
        fs::current_path(was);
        return r;
    }
    // Every file of the folder and its text.
    std::map<std::string, std::string> state() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(dir.path))
            if (entry.is_regular_file())
                files[entry.path().filename().string()] = file_contents(entry.path().string());
        return files;
    }
};

struct Clash {
    const char* args;
    const char* output;
    const char* other;
};

TEST(FileRoles, AnOutputOntoAnInputOrAnotherOutputIsRefused) {
    const Clash clashes[] = {
        {"smooth m.obj --normals m.obj --median 1", "--normals", "MESH"},
        {"smooth m.obj --normals c.txt --curve c.txt --median 1", "--normals", "--curve"},
        {"smooth m.obj --normals n.txt -o ./n.txt --median 1", "--normals", "-o"},
        {"clip-planes --cube 1 --script s.txt --save s.txt", "--save", "--script"},
        {"clip-planes --cube 1 --load p.clp --save q.clp --outlines p.clp", "--outlines", "--load"},
        {"clip-planes --cube 1 --save q.clp --outlines sub/../q.clp", "--save", "--outlines"},
        {"classify m.obj --save-table new.spt --faces new.spt", "--save-table", "--faces"},
        {"morphogen m.obj --mor m.obj -o m.obj", "-o/--output", "--mor"},
#ifdef VOSTREL_RENDER
        {"render m.obj -o p.clp --clip p.clp", "-o/--output", "--clip"},
        {"render m.obj -o m.obj", "-o/--output", "MESH"},
#endif
    };
    for (const Clash& c : clashes) {
        Files f;
        fs::create_directory(f.dir.file("sub"));
        auto before = f.state();
        CliRun r = f.run(c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(std::string(c.output) + " and " + c.other + " name the same file"),
                  std::string::npos)
            << c.args << "\n"
            << r.err;
        EXPECT_EQ(f.state(), before) << c.args;
    }
}

TEST(FileRoles, AMeshRewrittenInPlaceAndDevicesStayAllowed) {
    Files f;
    for (const char* args : {"convert m.obj ./m.obj", "simplify m.obj -o m.obj --lod 90",
                             "smooth m.obj --normals /dev/null -o /dev/null --median 1"})
        EXPECT_EQ(f.run(args).status, 0) << args;
}

TEST(FileRoles, AScriptLineOntoAnInputIsRefusedBeforeAnythingRuns) {
    const Clash clashes[] = {
        {"open m.obj\nsave out.obj\nsmooth --median 1 --normals m.obj\n", "--normals",
         "line 1's FILE"},
        {"open m.obj\nclip-planes --save run.txt\n", "--save", "the script"},
        {"open m.obj\nsmooth --median 1 --curve c.txt --normals c.txt\n", "--normals", "--curve"},
    };
    for (const Clash& c : clashes) {
        Files f;
        std::ofstream(f.dir.file("run.txt")) << c.args;
        auto before = f.state();
        CliRun r = f.run("run run.txt");
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(std::string(c.output) + " and " + c.other + " name the same file"),
                  std::string::npos)
            << c.args << "\n"
            << r.err;
        EXPECT_EQ(f.state(), before) << c.args; // out.obj of the line before never written
    }
}

} // namespace
