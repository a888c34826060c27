// The formats written besides OBJ: which format a name chooses, what each file holds,
// real meshes taken through each format and back to OBJ, what is refused, what is said
// to be lost, and that the saves keep the rules of the OBJ writer's files.
#include "core/atomic_file.h"
#include "core/mesh_file.h"
#include "core/scene_writer.h"
#include "core/text_file.h"
#include "test_util.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <tuple>

namespace {

namespace fs = std::filesystem;

std::string saved_bytes(const std::string& path) {
    std::string text;
    read_file(path, text);
    return text;
}

// A mesh read through Assimp's importer, one vertex per corner as its readers give them.
IoResult read_with_assimp(Mesh& mesh, const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene || scene->mNumMeshes != 1)
        return IoResult::failure(path + ": " + importer.GetErrorString());
    const aiMesh& m = *scene->mMeshes[0];
    mesh.alloc_vertices(int(m.mNumVertices));
    for (unsigned v = 0; v < m.mNumVertices; ++v) {
        mesh.vertices[v] = Vector(m.mVertices[v].x, m.mVertices[v].y, m.mVertices[v].z, 1);
        mesh.colours[v] = default_vertex_colour();
        if (m.HasVertexColors(0))
            mesh.colours[v] = Vector(m.mColors[0][v].r, m.mColors[0][v].g, m.mColors[0][v].b, 1);
    }
    mesh.alloc_faces(int(m.mNumFaces));
    for (unsigned i = 0; i < m.mNumFaces; ++i) {
        if (m.mFaces[i].mNumIndices != 3) return IoResult::failure(path + ": not a triangle");
        for (int k = 0; k < 3; ++k) mesh.faces[i].vindex[k] = int(m.mFaces[i].mIndices[k]);
    }
    mesh.link_faces();
    return IoResult::success();
}

// The mesh file read back: by the loader once it takes the extension, else by Assimp.
IoResult read_back(Mesh& mesh, const std::string& path) {
    ConsoleCapture quiet;
    if (mesh_format(path) != MeshFormat::None) return load_mesh_file(mesh, path);
    return read_with_assimp(mesh, path);
}

// Face by face, the corners of `b` are those of `a` (from any of the three, in order):
// positions within `tolerance` of each coordinate's size (at least 1), and with a colour
// tolerance, the colours within it.
testing::AssertionResult same_corners(const Mesh& a, const Mesh& b, float tolerance,
                                      float colour_tolerance = -1) {
    if (a.nf != b.nf) return testing::AssertionFailure() << a.nf << " faces, then " << b.nf;
    auto near = [](const Vector& p, const Vector& q, float t, bool relative) {
        auto close = [&](float x, float y) {
            return std::abs(x - y) <= t * (relative ? std::max(1.0f, std::abs(x)) : 1.0f);
        };
        return close(p.x, q.x) && close(p.y, q.y) && close(p.z, q.z);
    };
    for (int i = 0; i < a.nf; ++i) {
        const int *ca = a.faces[i].vindex, *cb = b.faces[i].vindex;
        bool matched = false;
        for (int turn = 0; turn < 3 && !matched; ++turn) {
            matched = true;
            for (int k = 0; k < 3; ++k) {
                int u = ca[k], v = cb[(k + turn) % 3];
                matched = matched && near(a.vertices[u], b.vertices[v], tolerance, true) &&
                          (colour_tolerance < 0 ||
                           near(a.colours[u], b.colours[v], colour_tolerance, false));
            }
        }
        if (!matched) return testing::AssertionFailure() << "face " << i << " differs";
    }
    return testing::AssertionSuccess();
}

// Every vertex coloured by where it lies in the box, so that each has a colour of its own.
void colour_by_position(Mesh& m) {
    Vector low = m.vertices[0], high = m.vertices[0];
    for (const Vector& p : m.vertices) {
        low = Vector(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = Vector(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    auto part = [](float v, float a, float b) { return (v - a) / std::max(b - a, 1e-6f); };
    for (int v = 0; v < m.nv; ++v) {
        const Vector& p = m.vertices[v];
        m.colours[v] =
            Vector(part(p.x, low.x, high.x), part(p.y, low.y, high.y), part(p.z, low.z, high.z), 1);
    }
}

// The triangle with a colour and a morphogen per vertex.
void small_mesh(Mesh& m) {
    ASSERT_TRUE(load_obj_string(m, "mn growth\nv 0 0 0\nvc 1 0 0\nm 0.5\nv 1 0 0\nvc 0 1 0\nm 1\n"
                                   "v 0 1 0\nvc 0 0 1\nm 0\nf 1 2 3\n"));
}

TEST(SaveFormatOfName, ByTheExtensionInAnyCase) {
    const std::tuple<const char*, SaveFormat, SaveFormat> names[] = {
        {"a.obj", SaveFormat::Obj, SaveFormat::Obj},
        {"A.PLY", SaveFormat::Ply, SaveFormat::Ply},
        {"dir.stl/a.Stl", SaveFormat::Stl, SaveFormat::Stl},
        {"a.off", SaveFormat::Off, SaveFormat::Off},
        {"a.GLB", SaveFormat::Glb, SaveFormat::Glb},
        {"dir.ply/bare", SaveFormat::Unknown, SaveFormat::Obj},
        {"/dev/stdout", SaveFormat::Unknown, SaveFormat::Obj},
        {"a.net", SaveFormat::Unknown, SaveFormat::Unknown},
        {"a.obj.txt", SaveFormat::Unknown, SaveFormat::Unknown},
        {"a.gltf", SaveFormat::Unknown, SaveFormat::Unknown},
    };
    for (const auto& [name, by_extension, saved] : names) {
        EXPECT_EQ(extension_format(name), by_extension) << name;
        EXPECT_EQ(save_format(name), saved) << name;
    }
    EXPECT_EQ(format_info(save_formats()[0].format).extension, std::string(".obj"));
    EXPECT_EQ(unknown_save_format("a.net").error,
              "ERROR: a.net: unknown mesh format; Vostrel writes .obj, .ply, .stl, .off and .glb");
    EXPECT_FALSE(save_mesh_file(Mesh(), "a.net", false));
}

// What a reader must find in each file, beyond what Assimp reads back.
TEST(SavedFiles, HoldWhatTheirReadersExpect) {
    TempDir dir;
    Mesh m;
    small_mesh(m);
    ConsoleCapture quiet;
    testing::internal::CaptureStderr();
    for (const SaveFormatInfo& f : save_formats())
        ASSERT_TRUE(save_mesh_file(m, dir.file(std::string("m") + f.extension), true));
    testing::internal::GetCapturedStderr();

    std::string ply = saved_bytes(dir.file("m.ply"));
    size_t body = ply.find("end_header\n") + 11;
    EXPECT_EQ(ply.substr(0, body),
              "ply\nformat binary_little_endian 1.0\ncomment written by Vostrel\n"
              "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
              "property uchar red\nproperty uchar green\nproperty uchar blue\n"
              "element face 1\nproperty list uchar int vertex_indices\nend_header\n");
    // The second vertex: x = 1.0f little-endian, then green at 255; then the face.
    EXPECT_EQ(ply.substr(body + 15, 15), std::string("\0\0\x80\x3f\0\0\0\0\0\0\0\0\0\xff\0", 15));
    EXPECT_EQ(ply.substr(body + 45), std::string("\3\0\0\0\0\1\0\0\0\2\0\0\0", 13));

    std::string stl = saved_bytes(dir.file("m.stl"));
    EXPECT_EQ(stl.size(), 84u + 50u);
    EXPECT_NE(stl.substr(0, 5), "solid"); // else readers take it for text

    EXPECT_EQ(saved_bytes(dir.file("m.off")), "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");

    std::string glb = saved_bytes(dir.file("m.glb"));
    EXPECT_EQ(glb.substr(0, 4), "glTF");
    EXPECT_NE(glb.find("\"COLOR_0\""), std::string::npos);
}

class FormatRoundTrip : public testing::TestWithParam<std::tuple<std::string, SaveFormat>> {};

// OBJ, then the format, then OBJ again: the faces and positions stay (exactly in the binary
// formats, to six digits in OFF), and so do the colours where the format keeps them (to
// the nearest of 256 steps in PLY).
TEST_P(FormatRoundTrip, KeepsFacesPositionsAndColours) {
    const auto& [name, format] = GetParam();
    std::string source = real_mesh(name);
    if (source.empty()) GTEST_SKIP() << missing_mesh(name);
    TempDir dir;
    const SaveFormatInfo& f = format_info(format);
    Mesh original, back, again;
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(load_mesh_file(original, source));
    }
    colour_by_position(original);
    const std::string saved = dir.file(std::string("mesh") + f.extension);
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(save_mesh_file(original, saved, true));
    }
    ASSERT_TRUE(read_back(back, saved));
    const float exact = format == SaveFormat::Off ? 1e-5f : 0;
    const float colours = format == SaveFormat::Ply ? 0.5f / 255 + 1e-6f : 1e-6f;
    EXPECT_TRUE(same_corners(original, back, exact, f.colours ? colours : -1));

    {
        ConsoleCapture quiet;
        ASSERT_TRUE(back.save_obj(dir.file("again.obj"), f.colours));
        ASSERT_TRUE(load_mesh_file(again, dir.file("again.obj")));
    }
    EXPECT_TRUE(same_corners(original, again, 1e-5f, f.colours ? colours + 1e-5f : -1));
}

std::string round_trip_name(const testing::TestParamInfo<FormatRoundTrip::ParamType>& info) {
    std::string mesh = test_name_of({std::get<0>(info.param), info.index});
    return mesh + "_" + std::string(format_info(std::get<1>(info.param)).extension + 1);
}

INSTANTIATE_TEST_SUITE_P(RealMeshes, FormatRoundTrip,
                         testing::Combine(testing::Values("spot_triangulated.obj", "teapot.obj",
                                                          "stanford_bunny.obj"),
                                          testing::Values(SaveFormat::Ply, SaveFormat::Stl,
                                                          SaveFormat::Off, SaveFormat::Glb)),
                         round_trip_name);

class EveryFormat : public testing::TestWithParam<SaveFormatInfo> {};

// As the OBJ writer: nothing to save, or a number that would not read back, writes nothing.
TEST_P(EveryFormat, RefusesWhatCannotBeWritten) {
    TempDir dir;
    const std::string path = dir.file(std::string("m") + GetParam().extension);
    Mesh empty, bad;
    small_mesh(bad);
    bad.vertices[1].y = std::nanf("");
    ConsoleCapture quiet;
    IoResult r = save_mesh_file(empty, path, false);
    EXPECT_EQ(r.error,
              "ERROR: " + path + ": nothing to save (the mesh has no vertices or no faces)");
    r = save_mesh_file(bad, path, false);
    EXPECT_EQ(r.error, "ERROR: " + path +
                           ": vertex 2 has a value that is not a finite number; nothing saved");
    EXPECT_TRUE(fs::is_empty(dir.path));
}

// The morphogens are kept in OBJ alone and the colours not in STL or OFF: the loss is said
// on standard error and the file is written all the same.
TEST_P(EveryFormat, SaysWhatItDoesNotKeep) {
    const SaveFormatInfo& f = GetParam();
    TempDir dir;
    const std::string path = dir.file(std::string("m") + f.extension);
    Mesh m;
    small_mesh(m);
    ConsoleCapture quiet;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(save_mesh_file(m, path, true));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::exists(path));
    std::string expected = f.morphogens ? ""
                           : f.colours
                               ? "WARNING: " + path + ": the morphogens are not kept in " + f.name +
                                     " (only OBJ keeps them)\n"
                               : "WARNING: " + path +
                                     ": the vertex colours and the morphogens are not kept in " +
                                     f.name + " (only OBJ keeps them)\n";
    EXPECT_EQ(said, expected);
    // Colours not asked for are not missed.
    m.morphogen_names.clear();
    m.morphogens.clear();
    EXPECT_EQ(not_kept(m, path, f.format, false), "");
}

// The file is put in place as OBJ files are: through a symbolic link to its target, with
// the replaced file's permissions, and a read-only file is left alone.
TEST_P(EveryFormat, ReplacesFilesAsTheObjWriterDoes) {
    TempDir dir;
    const std::string ext = GetParam().extension;
    const std::string target = dir.file("target" + ext), link = dir.file("link" + ext),
                      locked = dir.file("locked" + ext);
    std::ofstream(target) << "old";
    std::ofstream(locked) << "old";
    fs::permissions(target, fs::perms(0640));
    fs::permissions(locked, fs::perms(0444));
    fs::create_symlink(target, link);
    Mesh m;
    small_mesh(m);
    ConsoleCapture quiet;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(save_mesh_file(m, link, false));
    EXPECT_FALSE(save_mesh_file(m, locked, false));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(saved_bytes(target), "old");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(saved_bytes(locked), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 3);
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat,
                         testing::ValuesIn(save_formats().begin(), save_formats().end()),
                         [](const testing::TestParamInfo<SaveFormatInfo>& param) {
                             return std::string(param.param.extension + 1);
                         });

} // namespace
