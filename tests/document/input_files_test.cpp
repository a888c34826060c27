// A save never replaces a file the document has in use as an input of another kind; a
// file of the same kind (the mesh over the mesh it came from) may be replaced.
#include "tests/document/document_test_util.h"

#include <filesystem>

namespace {

std::string file_contents(const std::string& path) {
    std::string text;
    read_file(path, text);
    return text;
}

TEST(InputFiles, ASaveOfAnotherKindIsRefusedWithBothNamed) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_text("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    const std::string mesh = f.dir.file("mesh.obj"), before = file_contents(mesh);
    ASSERT_TRUE(f.doc.save_planes(f.dir.file("p.clp")));
    ASSERT_TRUE(f.doc.load_planes(f.dir.file("p.clp")));
    f.doc.inputs.note(FileKind::Heightmap, f.dir.file("h.png"));

    IoResult r = f.doc.save_planes(mesh);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("the file of the mesh in use; saving the clipping planes"),
              std::string::npos)
        << r.error;
    EXPECT_FALSE(f.doc.save(f.dir.file("p.clp"), false));
    EXPECT_FALSE(f.doc.save(f.dir.file("./h.png"), false)); // not made yet: by its path
    EXPECT_FALSE(f.doc.inputs.allow_writing(f.dir.file("p.clp"), FileKind::Image));
    EXPECT_EQ(file_contents(mesh), before);
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("h.png")));

    EXPECT_TRUE(f.doc.save(mesh, false)); // the mesh over its own file
    EXPECT_TRUE(f.doc.save_planes(f.dir.file("p.clp")));
    EXPECT_TRUE(f.doc.inputs.allow_writing("/dev/null", FileKind::Image));
}

} // namespace
