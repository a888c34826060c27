// Reload keeps a copy of the opened mesh without its centroids and edge table and
// builds them again: the mesh it brings back is, word for word, the one a reload that
// kept the whole mesh brings (its copy built as Reload builds it), on every real mesh
// and on meshes whose faces the opening turned.
#include "core/mesh_file.h"
#include "tests/document/document_test_util.h"
#include "tests/mesh_words.h"
#include "tests/real_meshes.h"

#include <filesystem>

namespace {

// Opens `path` in a document and reloads it; the reloaded mesh must be the whole copy of
// the loaded mesh, built as Reload builds it.
void expect_reload_as_whole_copy(const std::string& path) {
    ConsoleCapture quiet;
    Mesh loaded;
    ASSERT_TRUE(load_mesh_file(loaded, path)) << path;
    Mesh whole = loaded.clone();
    whole.build({MESH_CENTRE, MESH_CENTROIDS, MESH_EDGE_LIST, MESH_VERTEX_NORMALS, MESH_BB});

    Document doc;
    ASSERT_TRUE(doc.open(path)) << path;
    EXPECT_TRUE(doc.kept.edges.empty() && doc.kept.centroids.empty());
    ASSERT_TRUE(doc.reload()) << path;
    if (loaded.nf == 0) return; // nothing to bring back
    EXPECT_TRUE(mesh_words(doc.mesh) == mesh_words(whole)) << path;
}

class ReloadOnRealMeshes : public testing::TestWithParam<std::string> {};

TEST_P(ReloadOnRealMeshes, BringsBackTheWholeCopy) {
    std::string path = real_mesh(GetParam());
    if (path.empty()) GTEST_SKIP() << missing_mesh(GetParam());
    {
        ConsoleCapture quiet;
        Mesh m;
        if (IoResult r = m.load_obj(path); !r) GTEST_SKIP() << "does not load: " << r.error;
    }
    expect_reload_as_whole_copy(path);
}

INSTANTIATE_TEST_SUITE_P(Meshes, ReloadOnRealMeshes, testing::ValuesIn(real_mesh_names()),
                         test_name_of);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ReloadOnRealMeshes);

// Degenerate faces, which the opening turns (every build then stale but the normals), an
// edge with three faces, a border and morphogen values.
TEST(ReloadOnCraftedMeshes, BringsBackTheWholeCopy) {
    const char* const texts[] = {
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 2 4 3\nf 1 1 2\nf 3 3 3\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nv 0 -1 0\nf 1 2 3\nf 2 1 4\nf 1 2 5\n",
        "mn a b\nv 0 0 0\nm 1 2\nv 2 0 0\nm 3\nv 0 2 0\nv 2 2 1\nf 1 2 3 4\n",
    };
    TempDir dir;
    for (size_t i = 0; i < std::size(texts); ++i) {
        std::string path = dir.file("crafted" + std::to_string(i) + ".obj");
        std::ofstream(path) << texts[i];
        expect_reload_as_whole_copy(path);
    }
}

} // namespace
