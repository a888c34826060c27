// The formats convert and a script's save write, by the output's extension: each
// format's file, an extension of no format refused with the list, the morphogens said to
// be lost outside OBJ, and an input never replaced by a file of another format.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

const std::string cube_obj = bundled_data("cube.obj"); // 8 vertices, 12 faces
const std::string formats_listed =
    "unknown mesh format; Vostrel writes .obj, .ply, .stl, .off and .glb";

struct Written {
    const char* name;
    std::string starts; // the file's first bytes
};

TEST(MeshFormats, ConvertWritesTheFormatOfTheExtension) {
    const Written files[] = {
        {"m.ply", "ply\nformat binary_little_endian 1.0\n"},
        {"M.PLY", "ply\nformat binary_little_endian 1.0\n"},
        {"m.stl", ""},
        {"m.off", "OFF\n8 12 0\n"},
        {"m.glb", "glTF"},
    };
    TempDir dir;
    for (const Written& w : files) {
        CliRun r = run_cli("convert " + cube_obj + " " + dir.file(w.name) + " --colours");
        EXPECT_EQ(r.status, 0) << w.name << ": " << r.err;
        std::string bytes = file_contents(dir.file(w.name));
        EXPECT_EQ(bytes.substr(0, w.starts.size()), w.starts) << w.name;
    }
    EXPECT_EQ(fs::file_size(dir.file("m.stl")), 84u + 12 * 50);
    EXPECT_NE(file_contents(dir.file("m.ply")).find("property uchar red\n"), std::string::npos);
    EXPECT_NE(file_contents(dir.file("m.glb")).find("\"COLOR_0\""), std::string::npos);
}

TEST(MeshFormats, AnExtensionOfNoFormatIsRefusedWithTheList) {
    TempDir dir;
    for (const char* name : {"m.net", "m.obj.txt", "m.gltf"}) {
        CliRun r = run_cli("convert " + cube_obj + " " + dir.file(name));
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.err, "ERROR: " + dir.file(name) + ": " + formats_listed + "\n");
    }
    CliRun r = run_script(dir.file("s.txt"), "open " + cube_obj + "\nsave " + dir.file("m.x3d"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ERROR: " + dir.file("m.x3d") + ": " + formats_listed), std::string::npos)
        << r.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(MeshFormats, MorphogensOutsideObjAreSaidToBeLost) {
    TempDir dir;
    const std::string mesh = bundled_data("morphogens/spot_morphogens.obj");
    const std::string ply = dir.file("m.ply"), glb = dir.file("m.glb");
    CliRun r = run_cli("convert " + mesh + " " + ply);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "WARNING: " + ply + ": the morphogens are not kept in PLY (only OBJ keeps them)\n");
    EXPECT_TRUE(fs::exists(ply));
    r = run_script(dir.file("s.txt"),
                   "open " + mesh + "\nsave " + glb + "\nsave " + dir.file("m.obj"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "WARNING: " + glb +
                         ": the morphogens are not kept in glTF binary (only OBJ keeps them)\n");
}

// Through a link named for another format, the output would replace the input.
TEST(MeshFormats, AnInputIsNotReplacedByAnotherFormat) {
    TempDir dir;
    const std::string mesh = dir.file("m.obj");
    fs::copy_file(cube_obj, mesh);
    const std::pair<const char*, const char*> links[] = {
        {"link.ply", "binary PLY"},
        {"link.stl", "binary STL"},
        {"link.off", "OFF text"},
        {"link.glb", "binary glTF"},
    };
    for (const auto& [name, written] : links) {
        fs::create_symlink(mesh, dir.file(name));
        CliRun r = run_cli("convert " + mesh + " " + dir.file(name));
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.err, "ERROR: " + dir.file(name) + " is also the input; writing " + written +
                             " there would replace it\n");
    }
    CliRun r = run_script(dir.file("s.txt"), "open " + mesh + "\nsave " + dir.file("link.ply"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("writing binary PLY there would replace it"), std::string::npos) << r.err;
    EXPECT_EQ(file_contents(mesh), file_contents(cube_obj));
    // A file of the format written may be rewritten: it is read whole first.
    ASSERT_EQ(run_cli("convert " + mesh + " " + dir.file("m.ply")).status, 0);
    r = run_cli("convert " + dir.file("m.ply") + " " + dir.file("m.ply"));
    EXPECT_EQ(r.status, 0) << r.err;
}

} // namespace
