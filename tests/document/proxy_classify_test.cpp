// Classifying a simplified copy: every face of the mesh takes the patch of the copy's
// face nearest to it, and re-clustering, the patches and undo work on the mesh's faces.
#include "segmentation/proxy_classification.h"
#include "tests/document/document_test_util.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::set<std::array<float, 3>> colours_of(const Mesh& m) {
    std::set<std::array<float, 3>> s;
    for (const Face* f : m.faceptrs) s.insert({f->colour.x, f->colour.y, f->colour.z});
    return s;
}

} // namespace

TEST(ProxyClassify, EveryFaceFollowsTheCopy) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("spot.obj"));
    const int nf = f.doc.mesh.nf;
    f.doc.classify_proxy_faces = 1000;
    ASSERT_TRUE(f.doc.classify());
    const Mesh_Classifier& c = f.doc.classifier;
    ASSERT_TRUE(c.proxy);
    const ProxyCopy& copy = *c.proxy;
    EXPECT_NE(f.quiet.text().find("Classifying a simplified copy of " +
                                  std::to_string(copy.mesh.nf) + " faces (the mesh has " +
                                  std::to_string(nf) + ")\n"),
              std::string::npos);
    EXPECT_LT(copy.mesh.nf, nf / 4);
    ASSERT_EQ(copy.face_of.size(), size_t(nf));
    ASSERT_EQ(c.memberships.size(), copy.classifier.memberships.size());
    for (int i = 0; i < nf; ++i) {
        const int j = copy.face_of[size_t(i)];
        ASSERT_TRUE(j >= 0 && j < copy.mesh.nf) << i;
        EXPECT_EQ(f.doc.mesh.faceptrs[i]->colour, copy.mesh.faceptrs[j]->colour) << i;
        for (size_t p = 0; p < c.memberships.size(); ++p)
            EXPECT_EQ(c.memberships[p][size_t(i)], copy.classifier.memberships[p][size_t(j)]);
    }
    EXPECT_EQ(colours_of(f.doc.mesh), colours_of(copy.mesh));

    // Another number of patches re-clusters the copy; undo brings the first one back.
    const std::string first = state_of(f);
    const int k = c.patch_count == 2 ? 3 : 2;
    ASSERT_TRUE(f.doc.recluster(k));
    EXPECT_EQ(f.doc.classifier.clustered_count, k);
    EXPECT_EQ(colours_of(f.doc.mesh).size(), size_t(k));
    ASSERT_TRUE(f.doc.select_patch(1));
    for (int i = 0; i < nf; ++i)
        EXPECT_EQ(f.doc.mesh.faceptrs[i]->marked != 0,
                  f.doc.classifier.memberships[1][size_t(i)] >= 0.01f)
            << i;
    ASSERT_TRUE(f.doc.undo());
    EXPECT_EQ(state_of(f), first);
}

// A mesh within the size asked for is classified itself.
TEST(ProxyClassify, ASmallMeshIsClassifiedItself) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("spot.obj"));
    f.doc.classify_proxy_faces = f.doc.mesh.nf;
    ASSERT_TRUE(f.doc.classify());
    EXPECT_FALSE(f.doc.classifier.proxy);
    EXPECT_EQ(f.quiet.text().find("simplified copy"), std::string::npos);
}
