// Segments: "Mark Current" and the export of the segments ("Save ALL..."): colours,
// numbers, file names, console lines, welded positions, flipped corners, failures, and
// both against the step-by-step versions on random meshes.
#include "core/text_file.h"
#include "reference/segments_reference.h"
#include "segmentation/segments.h"
#include "test_util.h"
#include "tools/edge_traversal.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

Mesh mesh_of(const std::string& obj) {
    Mesh m;
    load_obj_string(m, obj);
    return m;
}

std::string file_text(const TempDir& dir, const std::string& name) {
    std::string text;
    EXPECT_TRUE(bool(read_file(dir.file(name), text))) << name;
    return text;
}

// The text of non-segemented.obj when `m` has no segments.
std::string unsegmented_file(Mesh& m) {
    EdgeTraversal t;
    TempDir dir;
    ConsoleCapture quiet;
    save_segments(m, t, dir.path.string());
    return file_text(dir, "non-segemented.obj");
}

// Two triangles sharing the edge 2-3, and a third one apart.
const char* three_faces = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 5 5 5\nv 6 5 5\nv 5 6 5\n"
                          "f 1 2 3\nf 2 4 3\nf 5 6 7\n";

} // namespace

TEST(SegmentColour, HueFromTheRandomValue) {
    EXPECT_EQ(segment_colour(0), Vector(1, 0, 0));
    EXPECT_EQ(segment_colour(0).w, 1);
    // 32767 gives hue 360, outside every sector: black, alpha 1.
    Vector top = segment_colour(32767);
    EXPECT_EQ(top, Vector(0, 0, 0));
    EXPECT_EQ(top.w, 1);
    // A third of the way round: green.
    Vector green = segment_colour(10922);
    EXPECT_GT(green.y, 0.99f);
    EXPECT_LT(green.x, 0.01f);
}

TEST(MarkCurrent, MarkedFacesBecomeTheNextSegment) {
    Mesh m = mesh_of(three_faces);
    EdgeTraversal t;
    m.faces[0].marked = m.faces[2].marked = 1;
    std::srand(11);
    Vector expected = segment_colour(std::rand() % 32768);
    std::srand(11);
    EXPECT_EQ(mark_current(m, t), 2);
    EXPECT_EQ(t.region_counter, 1);
    for (int f : {0, 2}) {
        EXPECT_EQ(m.faces[f].segment, 1);
        EXPECT_EQ(m.faces[f].marked, 0);
        EXPECT_EQ(m.faces[f].colour, expected);
        EXPECT_EQ(m.faces[f].colour.w, 1);
    }
    EXPECT_EQ(m.faces[1].segment, 0);
    EXPECT_EQ(m.faces[1].colour, Vector(0.75f, 0.75f, 1.0f));

    // Nothing marked still hands out a number; the faces keep theirs.
    EXPECT_EQ(mark_current(m, t), 0);
    EXPECT_EQ(t.region_counter, 2);
    EXPECT_EQ(m.faces[0].segment, 1);
    // A face marked again moves to the newer segment.
    m.faces[0].marked = 1;
    mark_current(m, t);
    EXPECT_EQ(m.faces[0].segment, 3);
    EXPECT_EQ(m.faces[2].segment, 1);
}

TEST(SaveSegments, WithoutSegmentsEveryFaceIsInTheFirstFile) {
    Mesh m = mesh_of(three_faces);
    EdgeTraversal t;
    TempDir dir;
    ConsoleCapture console;
    SegmentFiles files = save_segments(m, t, dir.path.string());
    EXPECT_TRUE(files.ok());
    EXPECT_EQ(console.text(), "Saving: non-segemented.obj v:7 f:9\n"
                              "Saving: segemented.obj v:0 f:0\n");
    EXPECT_EQ(files.written, (std::vector<std::string>{dir.file("non-segemented.obj"),
                                                       dir.file("segemented.obj")}));
    EXPECT_EQ(file_text(dir, "segemented.obj"), "");
    // Corners reversed and repeated into all three slots.
    EXPECT_EQ(file_text(dir, "non-segemented.obj"),
              "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 5 5 5\nv 6 5 5\nv 5 6 5\n"
              "f 3/3/3 2/2/2 1/1/1\nf 3/3/3 4/4/4 2/2/2\nf 7/7/7 6/6/6 5/5/5\n");
}

TEST(SaveSegments, OneFilePerSegmentNumber) {
    Mesh m = mesh_of(three_faces);
    EdgeTraversal t;
    m.faces[0].marked = m.faces[1].marked = 1;
    mark_current(m, t);
    mark_current(m, t); // nothing marked: an empty file
    m.faces[2].marked = 1;
    mark_current(m, t);
    TempDir dir;
    ConsoleCapture console;
    save_segments(m, t, dir.path.string());
    EXPECT_EQ(console.text(), "Saving: non-segemented.obj v:0 f:0\n"
                              "Saving: object_1.obj v:4 f:6\n"
                              "Saving: object_2.obj v:0 f:0\n"
                              "Saving: object_3.obj v:3 f:3\n"
                              "Saving: segemented.obj v:7 f:9\n");
    // Two faces on one edge: four vertex lines, two face lines.
    EXPECT_EQ(file_text(dir, "object_1.obj"),
              "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 3/3/3 2/2/2 1/1/1\nf 3/3/3 4/4/4 2/2/2\n");
    EXPECT_EQ(file_text(dir, "object_2.obj"), "");
    EXPECT_EQ(file_text(dir, "object_3.obj"), "v 5 5 5\nv 6 5 5\nv 5 6 5\nf 3/3/3 2/2/2 1/1/1\n");
    EXPECT_EQ(file_text(dir, "non-segemented.obj"), "");
    // Each written vertex keeps its index in the last file that held it.
    EXPECT_EQ(m.vertices[0].w, 0);
    EXPECT_EQ(m.vertices[3].w, 3);
    EXPECT_EQ(m.vertices[4].w, 4);
    EXPECT_EQ(m.vertices[6].w, 6);
}

TEST(SaveSegments, EqualPositionsAreOneVertex) {
    // A seam: vertices 2 and 5 (and 3 and 6) at the same place; 0 and -0 are equal.
    Mesh m = mesh_of("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv -0 1 -0\nv 1 0 0\n"
                     "f 1 2 3\nf 6 4 5\n");
    ASSERT_TRUE(std::signbit(m.vertices[4].x));
    EXPECT_EQ(unsegmented_file(m),
              "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 3/3/3 2/2/2 1/1/1\nf 3/3/3 4/4/4 2/2/2\n");
    // The vertex that was merged into an earlier entry keeps its w.
    EXPECT_EQ(m.vertices[4].w, 1);
    EXPECT_EQ(m.vertices[3].w, 3);
}

// Six significant digits as a stream writes them, exponent form for very small and
// very large values (the reader takes it back).
TEST(SaveSegments, NumbersAsAStreamWritesThem) {
    Mesh m = mesh_of("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    m.vertices[1] = Vector(1e-7f, 2.5e7f, -3e-5f);
    EXPECT_EQ(unsegmented_file(m),
              "v 0 0 0\nv 1e-07 2.5e+07 -3e-05\nv 0 1 0\nf 3/3/3 2/2/2 1/1/1\n");
}

// A file that cannot be written is reported and the others are still written; the
// failed one leaves what was there.
TEST(SaveSegments, AFileThatCannotBeWritten) {
    Mesh m = mesh_of(three_faces);
    EdgeTraversal t;
    m.faces[0].marked = 1;
    mark_current(m, t);
    TempDir dir;
    std::filesystem::create_directory(dir.file("object_1.obj"));
    ConsoleCapture console;
    SegmentFiles files = save_segments(m, t, dir.path.string());
    ASSERT_EQ(files.failures.size(), 1u);
    EXPECT_NE(files.failures[0].error.find(dir.file("object_1.obj")), std::string::npos);
    EXPECT_EQ(files.written, (std::vector<std::string>{dir.file("non-segemented.obj"),
                                                       dir.file("segemented.obj")}));
    std::string text = console.text();
    // The failure is the caller's to report: the console does not name the file again.
    EXPECT_NE(text.find("Saving: object_1.obj v:3 f:3\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(files.failures[0].error), std::string::npos) << text;
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("object_1.obj")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path),
                            std::filesystem::directory_iterator()),
              3); // no temporary file left behind

    // A folder that does not exist: every file fails, none is half written.
    SegmentFiles none = save_segments(m, t, dir.file("missing"));
    EXPECT_EQ(none.failures.size(), 3u);
    EXPECT_TRUE(none.written.empty());
}

// Faces whose segment numbers are past the counter (or negative) are in no numbered
// file; those above 0 are still in the combined one.
TEST(SaveSegments, SegmentNumbersOutsideTheCounter) {
    Mesh m = mesh_of(three_faces);
    EdgeTraversal t;
    t.region_counter = 1;
    m.faces[0].segment = 1;
    m.faces[1].segment = 7;
    m.faces[2].segment = -2;
    std::vector<std::pair<int, size_t>> passes;
    for_each_segment_mesh(m, t.region_counter, [&](int pass, const SegmentMesh& s) {
        passes.emplace_back(pass, s.corners.size() / 3);
    });
    EXPECT_EQ(passes, (std::vector<std::pair<int, size_t>>{{0, 0}, {1, 1}, {-1, 2}}));
}

TEST(SegmentFileName, Names) {
    EXPECT_EQ(segment_file_name(0), "non-segemented.obj");
    EXPECT_EQ(segment_file_name(3), "object_3.obj");
    EXPECT_EQ(segment_file_name(12), "object_12.obj");
    EXPECT_EQ(segment_file_name(-1), "segemented.obj");
}

namespace {

// A grid with random heights on a coarse lattice, some faces turned over, some with a
// repeated corner, and seams: copies of vertices that some faces use instead.
Mesh random_surface(std::mt19937& random) {
    int n = 3 + int(random() % 8), copies = int(random() % 6);
    Mesh m;
    m.alloc_vertices(n * n + copies);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            m.vertices[i * n + j] = Vector(float(j), float(i), float(int(random() % 5)) * 0.5f);
    for (int c = 0; c < copies; ++c) m.vertices[n * n + c] = m.vertices[random() % unsigned(n * n)];
    m.alloc_faces(2 * (n - 1) * (n - 1));
    int f = 0;
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j + 1 < n; ++j) {
            int a = i * n + j, b = a + 1, c = a + n, d = c + 1;
            for (auto corners : {std::array<int, 3>{a, b, d}, std::array<int, 3>{a, d, c}}) {
                if (random() % 8 == 0) std::swap(corners[1], corners[2]);
                if (random() % 16 == 0) corners[2] = corners[1];
                for (int k = 0; k < 3; ++k) m.faces[f].vindex[k] = corners[k];
                ++f;
            }
        }
    for (int c = 0; c < copies; ++c)
        for (Face& face : m.faces)
            for (int& v : face.vindex)
                if (m.vertices[v] == m.vertices[n * n + c] && random() % 2) v = n * n + c;
    m.link_faces();
    return m;
}

// Triangles over a few lattice points in any order.
Mesh random_soup(std::mt19937& random) {
    int nv = 3 + int(random() % 40), nf = 1 + int(random() % 150);
    Mesh m;
    m.alloc_vertices(nv);
    for (int v = 0; v < nv; ++v) {
        auto coordinate = [&] { return float(int(random() % 5) - 2) * 0.5f; };
        m.vertices[v] = Vector(coordinate(), coordinate(), coordinate());
    }
    m.alloc_faces(nf);
    for (int f = 0; f < nf; ++f)
        for (int k = 0; k < 3; ++k) m.faces[f].vindex[k] = int(random() % unsigned(nv));
    m.link_faces();
    return m;
}

} // namespace

// Random meshes (many shared positions, repeated corners, folds at every angle):
// traversals, marks and the export as the step-by-step versions give them.
TEST(Segments, RandomMeshesMatchTheReference) {
    std::mt19937 random(2024);
    int reached = 0;
    for (int trial = 0; trial < 200; ++trial) {
        Mesh m = trial % 3 ? random_surface(random) : random_soup(random);
        int nv = m.nv, nf = m.nf;
        m.build_normals();
        if (trial % 2) m.build_edge_list(); // otherwise the traversal builds it
        Mesh expected = m.clone();
        std::vector<std::vector<int>> lists = reference_face_lists(expected);

        EdgeTraversal t;
        int regions = 0;
        for (int round = 0; round < 6; ++round) {
            int start = int(random() % unsigned(nf));
            int depth = int(random() % 6);
            int angle = int(random() % 2 ? random() % 100 : 90 + random() % 10);
            m.selectedface = start + 1;
            reached += traverse(m, t, depth, angle);
            reference_traverse(expected, lists, start, depth, angle);
            for (int f = 0; f < nf; ++f)
                ASSERT_EQ(m.faces[f].marked, expected.faces[f].marked) << trial << " " << f;
            std::srand(unsigned(round));
            mark_current(m, t);
            std::srand(unsigned(round));
            reference_mark_current(expected, regions, std::rand() % 32768);
        }
        std::vector<SegmentMesh> files = reference_segment_meshes(expected, regions);
        size_t pass = 0;
        for_each_segment_mesh(m, t.region_counter, [&](int, const SegmentMesh& s) {
            ASSERT_LT(pass, files.size());
            EXPECT_EQ(s.corners, files[pass].corners) << trial << " " << pass;
            EXPECT_EQ(s.positions, files[pass].positions) << trial << " " << pass;
            ++pass;
        });
        EXPECT_EQ(pass, files.size());
        for (int v = 0; v < nv; ++v) ASSERT_EQ(m.vertices[v].w, expected.vertices[v].w);
        for (int f = 0; f < nf; ++f) ASSERT_EQ(m.faces[f].colour, expected.faces[f].colour);
    }
    // The comparisons are not vacuous: the traversals do reach faces.
    EXPECT_GT(reached, 3000);
}
