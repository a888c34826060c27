// The formats read through Assimp, on small files each test writes itself.
#include "core/mesh_file.h"
#include "core/scene_reader.h"
#include "core/work.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <chrono>
#include <cstring>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace scene_reader_test {

using Tri = std::array<int, 3>;

std::string write_file(const TempDir& dir, const std::string& name, const std::string& bytes) {
    std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Reads as the viewer does (builds and orientation included), the console silenced.
IoResult load(Mesh& m, const std::string& path, Work* work = nullptr) {
    ConsoleCapture quiet;
    return load_mesh_file(m, path, work);
}

std::vector<Tri> triangles_of(const Mesh& m) {
    std::vector<Tri> out;
    for (int i = 0; i < m.nf; ++i)
        out.push_back({m.faces[i].vindex[0], m.faces[i].vindex[1], m.faces[i].vindex[2]});
    return out;
}

int border_edges(const Mesh& m) {
    int n = 0;
    for (const auto& e : m.edgefaces) n += e[1] == -1;
    return n;
}

void expect_rgb(const Vector& c, float r, float g, float b, const std::string& what) {
    EXPECT_FLOAT_EQ(c.x, r) << what;
    EXPECT_FLOAT_EQ(c.y, g) << what;
    EXPECT_FLOAT_EQ(c.z, b) << what;
    EXPECT_EQ(c.w, 1) << what;
}

template <typename T>
void put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

const std::string ply_xyz = "property float x\nproperty float y\nproperty float z\n";
const std::string ply_rgb = "property uchar red\nproperty uchar green\nproperty uchar blue\n";
const std::string ply_faces = "element face 1\nproperty list uchar int vertex_indices\n";

TEST(SceneReader, PlyColoursComeOutFromZeroToOne) {
    std::string binary = "ply\nformat binary_little_endian 1.0\nelement vertex 3\n" + ply_xyz +
                         ply_rgb + ply_faces + "end_header\n";
    const float xyz[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const uint8_t rgb[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 51}};
    for (int v = 0; v < 3; ++v) {
        for (float f : xyz[v]) put(binary, f);
        for (uint8_t c : rgb[v]) put(binary, c);
    }
    put(binary, uint8_t(3));
    for (int32_t i : {0, 1, 2}) put(binary, i);
    const std::pair<const char*, std::string> files[] = {
        {"uchar.ply", "ply\nformat ascii 1.0\nelement vertex 3\n" + ply_xyz + ply_rgb + ply_faces +
                          "end_header\n0 0 0 255 0 0\n1 0 0 0 255 0\n0 1 0 0 0 51\n3 0 1 2\n"},
        {"float.ply", "ply\nformat ascii 1.0\nelement vertex 3\n" + ply_xyz +
                          "property float red\nproperty float green\nproperty float blue\n" +
                          ply_faces +
                          "end_header\n0 0 0 1 0 0\n1 0 0 0 1 0\n0 1 0 0 0 0.2\n3 0 1 2\n"},
        {"binary.ply", binary},
    };
    TempDir dir;
    for (const auto& [name, text] : files) {
        Mesh m;
        ASSERT_TRUE(load(m, write_file(dir, name, text))) << name;
        ASSERT_EQ(m.nv, 3) << name;
        expect_rgb(m.colours[0], 1, 0, 0, name);
        expect_rgb(m.colours[1], 0, 1, 0, name);
        expect_rgb(m.colours[2], 0, 0, 0.2f, name);
        EXPECT_EQ(m.vertices[1].x, 1) << name;
    }
}

const float cube_corners[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                  {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
const int cube_triangles[12][3] = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7},
                                   {0, 1, 5}, {0, 5, 4}, {1, 2, 6}, {1, 6, 5},
                                   {2, 3, 7}, {2, 7, 6}, {3, 0, 4}, {3, 4, 7}};

std::string ascii_stl() {
    std::string s = "solid cube\n";
    for (const auto& t : cube_triangles) {
        s += "facet normal 0 0 0\nouter loop\n";
        for (int k : t) {
            const float* p = cube_corners[k];
            s += "vertex " + std::to_string(p[0]) + " " + std::to_string(p[1]) + " " +
                 std::to_string(p[2]) + "\n";
        }
        s += "endloop\nendfacet\n";
    }
    return s + "endsolid cube\n";
}

std::string binary_stl() {
    std::string s(80, ' ');
    put(s, uint32_t(12));
    for (const auto& t : cube_triangles) {
        for (int k = 0; k < 3; ++k) put(s, 0.0f);
        for (int k : t)
            for (int c = 0; c < 3; ++c) put(s, cube_corners[k][c]);
        put(s, uint16_t(0));
    }
    return s;
}

TEST(SceneReader, StlCornersAreWeldedIntoAClosedCube) {
    TempDir dir;
    for (const auto& [name, bytes] :
         {std::pair{"ascii.stl", ascii_stl()}, {"binary.STL", binary_stl()}}) {
        Mesh m;
        ASSERT_TRUE(load(m, write_file(dir, name, bytes))) << name;
        EXPECT_EQ(m.nv, 8) << name;
        EXPECT_EQ(m.nf, 12) << name;
        EXPECT_EQ(m.nedges, 18) << name;
        EXPECT_EQ(border_edges(m), 0) << name;
        // Welded in the order first met: the first facet's corners come first.
        EXPECT_EQ(triangles_of(m)[0], (Tri{0, 1, 2})) << name;
        expect_rgb(m.colours[0], 0.4f, 0.4f, 0.4f, name); // no colours: the grey of OBJ
    }
}

TEST(SceneReader, PolygonsBecomeFansAsInTheObjReader) {
    const std::string pentagon = "0 0 0\n1 0 0\n2 1 0\n1 2 0\n0 1 0\n";
    const std::pair<const char*, std::string> files[] = {
        {"pentagon.off", "OFF\n5 1 0\n" + pentagon + "5 0 1 2 3 4\n"},
        {"pentagon.ply", "ply\nformat ascii 1.0\nelement vertex 5\n" + ply_xyz + ply_faces +
                             "end_header\n" + pentagon + "5 0 1 2 3 4\n"},
    };
    TempDir dir;
    for (const auto& [name, text] : files) {
        Mesh m;
        ASSERT_TRUE(load(m, write_file(dir, name, text))) << name;
        EXPECT_EQ(triangles_of(m), (std::vector<Tri>{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}})) << name;
        expect_rgb(m.colours[0], 0.4f, 0.4f, 0.4f, name); // not the OFF importer's own grey
    }
}

TEST(SceneReader, PointsAndLinesAreLeftOutAndRepeatedCornersKept) {
    // A line, a triangle, and a triangle whose corners weld to two vertices (kept as the
    // OBJ reader keeps "f 1 1 2").
    std::string text = "ply\nformat ascii 1.0\nelement vertex 4\n" + ply_xyz +
                       "element face 3\nproperty list uchar int vertex_indices\nend_header\n"
                       "0 0 0\n1 0 0\n0 1 0\n1 0 0\n2 0 1\n3 0 1 2\n3 1 3 2\n";
    TempDir dir;
    Mesh m;
    testing::internal::CaptureStderr();
    ConsoleCapture quiet;
    ASSERT_TRUE(read_mesh_file(m, write_file(dir, "mixed.ply", text))); // as read, not oriented
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m.nv, 3);
    EXPECT_EQ(triangles_of(m), (std::vector<Tri>{{0, 1, 2}, {1, 1, 2}}));
    EXPECT_NE(err.find("mixed.ply: 1 point or line left out"), std::string::npos) << err;
}

// A glTF file of one triangle, with per-vertex colours or a material, placed by a node
// under a parent node: its bytes and those of its buffer, which `uri` names (or, with
// "", which a .glb carries).
struct Gltf {
    std::string json, buffer;
};

Gltf gltf_triangle(const std::string& uri, const std::string& child, const std::string& parent,
                   bool colours, const std::string& material) {
    Gltf g;
    for (float f : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) put(g.buffer, f);
    for (uint16_t i : {0, 1, 2, 0}) put(g.buffer, i);
    for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 1.f, 0.f, 1.f, 0.f, 0.f, 1.f, 1.f}) put(g.buffer, f);
    std::string attributes = colours ? R"("POSITION": 0, "COLOR_0": 2)" : R"("POSITION": 0)";
    g.json = R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [1]}],
  "nodes": [{"mesh": 0, )" +
             child + R"(}, {"children": [0], )" + parent + R"(}],
  "meshes": [{"primitives": [{"attributes": {)" +
             attributes + R"(}, "indices": 1)" + (material.empty() ? "" : R"(, "material": 0)") +
             R"(}]}],)" + (material.empty() ? "" : R"( "materials": [)" + material + "],") + R"(
  "buffers": [{"byteLength": 92)" +
             (uri.empty() ? "" : R"(, "uri": ")" + uri + "\"") + R"(}],
  "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36},
                  {"buffer": 0, "byteOffset": 36, "byteLength": 6},
                  {"buffer": 0, "byteOffset": 44, "byteLength": 48}],
  "accessors": [
    {"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0, 0, 0], "max": [1, 1, 0]},
    {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"},
    {"bufferView": 2, "componentType": 5126, "count": 3, "type": "VEC4"}]}
)";
    g.json.resize((g.json.size() + 3) / 4 * 4, ' ');
    return g;
}

std::string glb_of(const Gltf& g) {
    std::string out;
    for (uint32_t word : {0x46546C67u, 2u, uint32_t(28 + g.json.size() + g.buffer.size())})
        put(out, word);
    put(out, uint32_t(g.json.size()));
    put(out, 0x4E4F534Au); // "JSON"
    out += g.json;
    put(out, uint32_t(g.buffer.size()));
    put(out, 0x004E4942u); // "BIN"
    return out + g.buffer;
}

TEST(SceneReader, GltfNodesPlaceTheirMeshes) {
    const std::string shift = R"("translation": [10, 0, 0])", twice = R"("scale": [2, 2, 2])";
    const std::string material =
        R"({"pbrMetallicRoughness": {"baseColorFactor": [0.2, 0.4, 0.6, 1]}})";
    struct Case {
        const char* name;
        std::string child, parent;
        bool colours;
        std::string material;
        std::array<float, 3> second; // where the second corner goes
        Tri face;
        std::array<float, 3> colour; // of the first corner
    } cases[] = {
        {"moved.gltf", shift, twice, false, "", {22, 0, 0}, {0, 1, 2}, {0.4f, 0.4f, 0.4f}},
        {"coloured.gltf", shift, twice, true, "", {22, 0, 0}, {0, 1, 2}, {1, 0, 0}},
        {"material.gltf", shift, twice, false, material, {22, 0, 0}, {0, 1, 2}, {0.2f, 0.4f, 0.6f}},
        // A mirrored copy keeps facing the way its original does.
        {"mirrored.gltf",
         R"("scale": [-1, 1, 1])",
         shift,
         false,
         "",
         {9, 0, 0},
         {0, 2, 1},
         {0.4f, 0.4f, 0.4f}},
        {"moved.glb", shift, twice, true, "", {22, 0, 0}, {0, 1, 2}, {1, 0, 0}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const bool binary = std::string(c.name).ends_with(".glb");
        Gltf g =
            gltf_triangle(binary ? "" : "buffer.bin", c.child, c.parent, c.colours, c.material);
        write_file(dir, "buffer.bin", g.buffer);
        Mesh m;
        ASSERT_TRUE(load(m, write_file(dir, c.name, binary ? glb_of(g) : g.json))) << c.name;
        ASSERT_EQ(m.nv, 3) << c.name;
        EXPECT_EQ(m.vertices[1].x, c.second[0]) << c.name;
        EXPECT_EQ(m.vertices[1].y, c.second[1]) << c.name;
        EXPECT_EQ(triangles_of(m), std::vector<Tri>{c.face}) << c.name;
        expect_rgb(m.colours[0], c.colour[0], c.colour[1], c.colour[2], c.name);
    }
}

TEST(SceneReader, NodesMayNotMultiplyAMeshBeyondBounds) {
    // 300000 corners placed by 121 nodes: beyond 64 times the mesh and 2^24 more.
    const int corners = 300000, nodes = 121;
    std::string json = R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [)";
    std::string list;
    for (int n = 0; n < nodes; ++n) list += (n ? ", " : "") + std::string(R"({"mesh": 0})");
    for (int n = 0; n < nodes; ++n) json += (n ? ", " : "") + std::to_string(n);
    json += R"(]}], "nodes": [)" + list + R"(],
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}}]}],
  "buffers": [{"byteLength": 3600000, "uri": "many.bin"}],
  "bufferViews": [{"buffer": 0, "byteLength": 3600000}],
  "accessors": [{"bufferView": 0, "componentType": 5126, "count": 300000, "type": "VEC3",
                 "min": [0, 0, 0], "max": [0, 0, 0]}]})";
    TempDir dir;
    write_file(dir, "many.bin", std::string(size_t(corners) * 12, '\0'));
    Mesh m;
    IoResult r = load(m, write_file(dir, "many.gltf", json));
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("the nodes place 36300000 vertices"), std::string::npos) << r.error;
}

TEST(SceneReader, FailuresNameTheFileAndKeepNothing) {
    const std::pair<const char*, const char*> files[] = {
        {"words.ply", "these are no PLY data\n"},
        {"broken.gltf", "{\"asset\": "},
        // A header Assimp would read past the end of its buffer for.
        {"header.ply", "ply\nformat ascii 1.0\n2ply56 0\nformat 0\n"},
        {"magic.ply", "Ply\nformat ascii 2.\nelement\n"},
        {"nan.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                    "property float z\nelement face 1\nproperty list uchar int vertex_indices\n"
                    "end_header\n0 0 0\n1e39 0 0\n0 1 0\n3 0 1 2\n"},
    };
    TempDir dir;
    for (const auto& [name, text] : files) {
        Mesh m;
        std::string path = write_file(dir, name, text);
        testing::internal::CaptureStderr();
        IoResult r = load(m, path);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(r) << name;
        EXPECT_EQ(r.error.rfind("ERROR: " + path + ": ", 0), 0u) << r.error;
        EXPECT_GT(r.error.size(), path.size() + 10) << r.error; // with a reason
        EXPECT_EQ(err.find(r.error.substr(path.size() + 9)), std::string::npos) << err; // once
        EXPECT_EQ(m.nv, 0) << name;
    }
    Mesh m;
    IoResult r = load(m, write_file(dir, "nan.ply", files[4].second));
    EXPECT_NE(r.error.find("a position is not a finite number (mesh 0, vertex 1)"),
              std::string::npos);
}

TEST(SceneReader, AssimpWarningsGoThroughTheFilesWarnings) {
    // A line of blanks is a vertex Assimp cannot read.
    std::string text = "ply\nformat ascii 1.0\nelement vertex 3\n" + ply_xyz + ply_faces +
                       "end_header\n0 0 0\n   \n0 1 0\n3 0 1 2\n";
    TempDir dir;
    Mesh m;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(load(m, write_file(dir, "blank.ply", text)));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("WARNING: " + dir.file("blank.ply") + ": Unable to parse"),
              std::string::npos)
        << err;
}

TEST(SceneReader, APointCloudHoldsNoFaces) {
    TempDir dir;
    Mesh m;
    ASSERT_TRUE(load(m, write_file(dir, "points.ply",
                                   "ply\nformat ascii 1.0\nelement vertex 3\n" + ply_xyz +
                                       "end_header\n0 0 0\n1 0 0\n0 1 0\n")));
    EXPECT_EQ(m.nv, 3);
    EXPECT_EQ(m.nf, 0);
}

TEST(SceneReader, SideFilesAreReadOnlyWhenRegular) {
    TempDir dir;
    Gltf g = gltf_triangle("buffer.bin", R"("name": "leaf")", R"("name": "top")", false, "");
    std::string path = write_file(dir, "pipe.gltf", g.json);
    ASSERT_EQ(mkfifo(dir.file("buffer.bin").c_str(), 0600), 0);
    Mesh m;
    IoResult r = load(m, path); // refused for what it is, not after waiting for a writer
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("buffer.bin is a named pipe, not a regular file"), std::string::npos)
        << r.error;
}

TEST(SceneReader, DeclaredCountsBeyondTheFileAreRefusedAtOnce) {
    std::string binary_list = "ply\nformat binary_little_endian 1.0\nelement vertex 3\n" + ply_xyz +
                              "element face 1\nproperty list uint int vertex_indices\nend_header\n";
    for (int k = 0; k < 9; ++k) put(binary_list, 0.0f);
    put(binary_list, uint32_t(1) << 30);
    std::string short_binary = "ply\nformat binary_big_endian 1.0\nelement vertex 2000000000\n" +
                               ply_xyz + "end_header\n" + std::string(24, '\0');
    std::string stl(80, ' ');
    put(stl, uint32_t(100000000));
    const std::pair<const char*, std::string> files[] = {
        {"vertices.ply", "ply\nformat ascii 1.0\nelement vertex 2147483648\n" + ply_xyz +
                             ply_faces + "end_header\n0 0 0\n1 0 0\n"},
        {"binary.ply", short_binary},
        {"list.ply", binary_list},
        {"line.ply", "ply\nformat ascii 1.0\nelement vertex 3\n" + ply_xyz + ply_faces +
                         "end_header\n0 0 0\n1 0 0\n0 1 0\n1073741824 0 1 2\n"},
        {"negative.ply", "ply\nformat ascii 1.0\nelement vertex 3\n" + ply_xyz +
                             "element face 1\nproperty list int int vertex_indices\nend_header\n"
                             "0 0 0\n1 0 0\n0 1 0\n-1 0 1 2\n"},
        {"faces.off", "OFF\n3 2000000000 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"},
        // A header with no end, which Assimp reads on past the end of the file for ever.
        {"endless.ply",
         "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_headr\n0\n"},
        // A face of no corners, which Assimp reads past the end of its faces for.
        {"corners.off", "\n1 1 0\n0 1 4\ns\n "},
        {"count.stl", stl},
    };
    TempDir dir;
    for (const auto& [name, bytes] : files) {
        Mesh m;
        auto start = std::chrono::steady_clock::now();
        IoResult r = load(m, write_file(dir, name, bytes));
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_FALSE(r) << name;
        EXPECT_LT(seconds, 2.0) << name << ": " << r.error; // not gigabytes allocated first
    }
    Mesh m;
    EXPECT_NE(
        load(m, dir.file("vertices.ply"))
            .error.find("the header declares 2147483648 vertex elements, more than the file's "
                        "12 bytes of data can hold"),
        std::string::npos);
    EXPECT_NE(load(m, dir.file("negative.ply")).error.find("a list of 4294967295 values"),
              std::string::npos);
}

TEST(SceneReader, FormatsGoByTheExtensionInAnyCase) {
    const std::pair<const char*, const char*> names[] = {
        {"a.PLY", "PLY"},
        {"dir.obj/b.Stl", "STL"},
        {"c.off", "OFF"},
        {"d.gltf", "glTF"},
        {"e.GLB", "glTF binary"},
        {"f.dae", "Collada"},
        {"g.3DS", "3DS"},
        {"h.fbx", "FBX"},
        {"i.x3d", "X3D"},
        {"j.mesh.xml", "MESH.XML"},
        {"k.OBJ", "OBJ"},
        {"l.net", "NET"},
        {"m.txt", ""},
        {"ply", ""},
    };
    for (const auto& [name, format] : names) EXPECT_EQ(mesh_format_name(name), format) << name;
    EXPECT_EQ(mesh_format("a.PLY"), MeshFormat::Scene);
    EXPECT_EQ(mesh_format("a.obj"), MeshFormat::Obj);
    EXPECT_EQ(mesh_format("a.txt"), MeshFormat::None);
    const auto& all = scene_extensions();
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(std::count(all.begin(), all.end(), "obj"), 0);
    EXPECT_EQ(mesh_file_filter().rfind("*.net *.obj *.", 0), 0u);
    EXPECT_NE(mesh_file_filter().find(" *.ply"), std::string::npos);
}

TEST(SceneReader, AStopLeavesTheMeshEmpty) {
    TempDir dir;
    std::string path = write_file(dir, "cube.stl", binary_stl());
    Work whole;
    Mesh m;
    ASSERT_TRUE(load(m, path, &whole));
    const int64_t passed = whole.checkpoints_passed();
    for (int64_t at = 1; at <= passed; ++at) {
        Work w;
        w.stop_at_checkpoint(at);
        Mesh stopped;
        ConsoleCapture quiet;
        EXPECT_THROW(load_mesh_file(stopped, path, &w), WorkStopped) << at << " of " << passed;
        EXPECT_EQ(stopped.nv, 0) << at;
        EXPECT_EQ(stopped.nf, 0) << at;
    }
}

TEST(SceneReader, ReadsOnSeveralThreadsAtOnce) {
    TempDir dir;
    std::string path = write_file(dir, "cube.stl", ascii_stl());
    std::vector<std::thread> threads;
    std::array<int, 4> read{};
    ConsoleCapture quiet;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int k = 0; k < 10; ++k) {
                Mesh m;
                read[size_t(t)] += read_scene_file(m, path) && m.nf == 12;
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(read, (std::array<int, 4>{10, 10, 10, 10}));
}

// A real mesh written as binary PLY and binary STL by the test reads back face for face:
// the same corners bit for bit, and, from STL, one vertex per distinct position.
TEST(SceneReader, RealMeshesReadBackFromPlyAndStl) {
    for (const char* name : {"cow.obj", "beetle.obj"}) {
        std::string obj = real_mesh(name);
        if (obj.empty()) GTEST_SKIP() << missing_mesh(name);
        Mesh original;
        ASSERT_TRUE(load(original, obj));
        std::string ply = "ply\nformat binary_little_endian 1.0\nelement vertex " +
                          std::to_string(original.nv) + "\n" + ply_xyz + "element face " +
                          std::to_string(original.nf) +
                          "\nproperty list uchar int vertex_indices\nend_header\n";
        std::string stl(80, ' ');
        put(stl, uint32_t(original.nf));
        for (const Vector& v : original.vertices)
            for (float f : {v.x, v.y, v.z}) put(ply, f);
        std::set<std::array<uint32_t, 3>> positions;
        for (const Face& f : original.faces) {
            put(ply, uint8_t(3));
            for (int k = 0; k < 3; ++k) put(ply, int32_t(f.vindex[k]));
            for (int k = 0; k < 3; ++k) put(stl, 0.0f);
            for (int k = 0; k < 3; ++k) {
                const Vector& v = original.vertices[f.vindex[k]];
                for (float c : {v.x, v.y, v.z}) put(stl, c);
                positions.insert({std::bit_cast<uint32_t>(v.x), std::bit_cast<uint32_t>(v.y),
                                  std::bit_cast<uint32_t>(v.z)});
            }
            put(stl, uint16_t(0));
        }
        TempDir dir;
        Mesh from_ply, from_stl;
        ASSERT_TRUE(load(from_ply, write_file(dir, "m.ply", ply))) << name;
        ASSERT_TRUE(load(from_stl, write_file(dir, "m.stl", stl))) << name;
        ASSERT_EQ(from_ply.nf, original.nf) << name;
        ASSERT_EQ(from_stl.nf, original.nf) << name;
        EXPECT_EQ(from_stl.nv, int(positions.size())) << name;
        for (int i = 0; i < original.nf; ++i)
            for (int k = 0; k < 3; ++k) {
                const Vector& want = *original.faces[i].corners[k];
                for (const Mesh* read : {&from_ply, &from_stl}) {
                    const Vector& got = *read->faces[i].corners[k];
                    ASSERT_TRUE(want.x == got.x && want.y == got.y && want.z == got.z)
                        << name << " face " << i << " corner " << k;
                }
            }
    }
}

} // namespace scene_reader_test
