// The document's planes as the window saves them: through the .clp writer, which
// refuses what is not finite, also after a drag of planes read as zeros.
#include "document_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

TEST(DocumentPlaneValues, SavesOnlyFinitePlanes) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_text("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    std::string zeros = "SIZE: 6\n";
    for (int i = 0; i < 6; ++i) {
        zeros += "P:";
        for (int k = 0; k < 69; ++k) zeros += " 0";
        zeros += "\n";
    }
    std::ofstream(f.dir.file("zeros.clp")) << zeros;
    ASSERT_TRUE(f.doc.load_planes(f.dir.file("zeros.clp")));
    f.doc.select_plane(2);
    f.doc.press_planes(Vector(10, 10, 0), PlaneButton::Right);
    f.doc.move_planes(Vector(10, 60, 0));
    f.doc.release_planes();
    IoResult saved = f.doc.save_planes(f.dir.file("pushed.clp"));
    EXPECT_TRUE(saved) << saved.error;

    f.doc.planes.planes[4].normal.y = std::nanf("");
    IoResult r = f.doc.save_planes(f.dir.file("nan.clp"));
    ASSERT_FALSE(r);
    EXPECT_NE(r.error.find("nan.clp not written: value 5 of 69 of plane 4 (top)"),
              std::string::npos)
        << r.error;
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("nan.clp")));
}

} // namespace
