// The clipping planes: the cube and its default planes, selection, the mouse, outlines,
// the .clp file and the cube put around a loaded mesh.
#include "clipping/cut_plane.h"
#include "clipping/plane_outline.h"
#include "clipping/plane_widget_in_cube.h"
#include "core/mesh_file.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace {

// The value of a plane's equation at a point: >= 0 is kept.
double kept(const CutPlane& p, float x, float y, float z) {
    const auto& e = p.equation;
    return e[0] * x + e[1] * y + e[2] * z + e[3];
}

PlaneWidgetInCube cube(float size) {
    PlaneWidgetInCube w;
    w.set_size(size);
    return w;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A push of the right button: `pixels` down the window moves the plane inwards by a
// 2,560th of the cube per pixel (a tenth of a unit on a cube of 256).
void push(PlaneWidgetInCube& w, int pixels) {
    w.press(Vector(100, 100, 0), PlaneButton::Right);
    w.move(Vector(100, float(100 + pixels), 0));
    w.release();
}

TEST(ClippingCube, CornersAndDefaultPlanes) {
    PlaneWidgetInCube w;
    EXPECT_TRUE(w.planes.empty());
    EXPECT_TRUE(w.outlines.empty());
    w.set_cube(2, 4, 6);
    EXPECT_EQ(w.cube_corners[0], Vector(-1, 2, 3));
    EXPECT_EQ(w.cube_corners[5], Vector(1, 2, -3));
    EXPECT_EQ(w.cube_corners[6], Vector(-1, -2, -3));
    ASSERT_EQ(w.planes.size(), 6u);
    ASSERT_EQ(w.outlines.size(), 6u);
    for (const auto& outline : w.outlines) EXPECT_TRUE(outline.empty());
    for (int s : w.selected) EXPECT_EQ(s, -1);

    // Each plane on its face, its normal out of the cube, keeping the inside.
    const Vector normals[6] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    const Vector centres[6] = {{0, 0, 3}, {0, 0, -3}, {1, 0, 0}, {-1, 0, 0}, {0, 2, 0}, {0, -2, 0}};
    for (int i = 0; i < 6; ++i) {
        const CutPlane& p = w.planes[i];
        EXPECT_EQ(p.normal, normals[i]) << i;
        EXPECT_EQ(p.centre, centres[i]) << i;
        EXPECT_EQ(p.arcball.constraint, i + 1);
        EXPECT_EQ(p.corners, p.rest_corners);
        EXPECT_GT(kept(p, 0, 0, 0), 0) << i;
        Vector outside = centres[i] + normals[i];
        EXPECT_LT(kept(p, outside.x, outside.y, outside.z), 0) << i;
        EXPECT_EQ(kept(p, centres[i].x, centres[i].y, centres[i].z), 0) << i;
    }
    // Plane 0 of a 256 cube: through (-128, 128, 128), (128, 128, 128), (128, -128, 128).
    PlaneWidgetInCube big = cube(256);
    EXPECT_EQ(big.planes[0].equation, (std::array<double, 4>{0, 0, -65536, 8388608}));
}

// The default outline of each plane is its face's square: four corners, one from each
// cube edge along the face's axis, in a closed loop.
TEST(ClippingOutlines, DefaultOutlinesAreTheFaceSquares) {
    PlaneWidgetInCube w = cube(256);
    w.rebuild_outlines();
    for (int i = 0; i < 6; ++i) {
        const auto& outline = w.outlines[i];
        ASSERT_EQ(outline.size(), 4u) << i;
        std::set<Vector> corners(outline.begin(), outline.end()),
            face(w.planes[i].rest_corners.begin(), w.planes[i].rest_corners.end());
        EXPECT_EQ(corners, face) << i;
        // Neighbours in the loop share an edge of the square: they differ on one axis.
        for (size_t k = 0; k < 4; ++k) {
            Vector d = outline[(k + 1) % 4] - outline[k];
            EXPECT_EQ((d.x != 0) + (d.y != 0) + (d.z != 0), 1) << i << " " << k;
        }
    }
    // Front: found on the edges K0K4, K2K6, K3K7, K1K5; ordered by angle from K0.
    EXPECT_EQ(w.outlines[0],
              (std::vector<Vector>{
                  {-128, 128, 128}, {-128, -128, 128}, {128, -128, 128}, {128, 128, 128}}));
}

TEST(ClippingOutlines, PlaneThroughOneCornerOnly) {
    PlaneWidgetInCube w = cube(2);
    Vector n(1, 1, 1);
    n.normalise();
    // Three edges reach K1: it comes once for each; their angles are undefined (every
    // point is the mean), so they stay in edge order.
    std::vector<Vector> outline = plane_outline(n, w.cube_corners[1], w.cube_corners);
    ASSERT_EQ(outline.size(), 3u);
    for (const Vector& p : outline) EXPECT_EQ(p, Vector(1, 1, 1));
    EXPECT_TRUE(plane_outline(n, Vector(5, 5, 5), w.cube_corners).empty());
}

// One pixel moves a plane 0.1 x cube / 256, rounded once to single precision; at the
// window's start cube of 256 that is 0.1 as before.
TEST(ClippingCube, PushStepScalesWithTheCube) {
    for (float edge : {256.0f, 100.0f, 0.311f}) {
        PlaneWidgetInCube w = cube(edge);
        w.toggle_plane(0);
        push(w, 1);
        const float step = float(-1.0 * 0.1 * (double(edge) / 256.0));
        EXPECT_EQ(w.planes[0].arcball.transform[14], step) << edge;
        EXPECT_EQ(w.planes[0].corners[0].z, step + edge / 2) << edge;
    }
    EXPECT_EQ(float(-1.0 * 0.1 * (256.0 / 256.0)), float(-1.0 * 0.1));
}

TEST(ClippingOutlines, PlanePushedBeyondTheCubeHasNoOutlineAndStillClips) {
    PlaneWidgetInCube w = cube(256);
    w.toggle_plane(0);
    push(w, 1000); // 100 units in: from z = 128 to z = 28
    EXPECT_EQ(w.planes[0].centre, Vector(0, 0, 28));
    EXPECT_EQ(w.outlines[0].size(), 4u);
    EXPECT_LT(kept(w.planes[0], 0, 0, 50), 0);
    EXPECT_GT(kept(w.planes[0], 0, 0, 0), 0);

    push(w, 2000); // 200 more: z = -172, below the cube
    EXPECT_EQ(w.planes[0].centre, Vector(0, 0, -172));
    EXPECT_TRUE(w.outlines[0].empty());
    EXPECT_LT(kept(w.planes[0], 0, 0, 0), 0); // the whole cube is clipped
    EXPECT_LT(kept(w.planes[0], 0, 0, -128), 0);
    for (int i = 1; i < 6; ++i) EXPECT_EQ(w.outlines[i].size(), 4u) << i;
}

TEST(ClippingSelection, TogglingTwiceAndIndicesOutsideTheSix) {
    PlaneWidgetInCube w = cube(256);
    EXPECT_FALSE(w.any_selected());
    w.toggle_plane(3);
    EXPECT_EQ(w.selected[3], 1);
    EXPECT_EQ(w.first_selected(), 3);
    EXPECT_EQ(w.outlines[0].size(), 4u); // a toggle rebuilds the outlines
    w.toggle_plane(3);
    EXPECT_EQ(w.selected[3], -1);
    EXPECT_FALSE(w.any_selected());

    PlaneWidgetInCube fresh = cube(256);
    for (int i : {6, -1, 100, std::numeric_limits<int>::min()}) {
        fresh.toggle_plane(i);
        for (int s : fresh.selected) EXPECT_EQ(s, -1) << i;
        for (const auto& outline : fresh.outlines) EXPECT_TRUE(outline.empty()) << i;
    }
    PlaneWidgetInCube none;
    none.toggle_plane(0); // no planes before set_cube
    EXPECT_EQ(none.selected[0], -1);
}

TEST(ClippingMouse, OnlySelectedPlanesFollowTheMouse) {
    PlaneWidgetInCube w = cube(256);
    PlaneWidgetInCube untouched = cube(256);
    push(w, 500); // nothing selected
    for (int i = 0; i < 6; ++i) EXPECT_EQ(w.planes[i].corners, untouched.planes[i].corners);
    EXPECT_TRUE(w.outlines[0].empty()); // nothing moved: no rebuild

    w.toggle_plane(2);
    w.toggle_plane(4);
    push(w, 280);
    EXPECT_EQ(w.planes[2].centre, Vector(100, 0, 0));
    EXPECT_EQ(w.planes[4].centre, Vector(0, 100, 0));
    EXPECT_EQ(w.planes[0].corners, untouched.planes[0].corners);
    EXPECT_EQ(w.planes[2].arcball.axis_lock, 0); // released
    EXPECT_FALSE(w.planes[2].arcball.dragging);
}

TEST(ClippingMouse, LeftButtonTiltsWithVerticalMotionOnly) {
    PlaneWidgetInCube w = cube(256);
    w.toggle_plane(0);
    w.press(Vector(400, 400, 0), PlaneButton::Left);
    w.move(Vector(700, 400, 0)); // horizontal: no tilt
    EXPECT_EQ(w.planes[0].corners, cube(256).planes[0].corners);
    w.move(Vector(700, 300, 0));
    w.release();
    const CutPlane& p = w.planes[0];
    // Turned about the x axis: the normal leaves the z axis towards y, x stays.
    EXPECT_EQ(p.normal.x, 0);
    EXPECT_NE(p.normal.y, 0);
    EXPECT_LT(p.normal.z, 1);
    EXPECT_NEAR(p.centre.z, 128, 1e-4); // turned about the face's centre
    EXPECT_EQ(p.centre.x, 0);
    EXPECT_EQ(w.outlines[0].size(), 4u);

    PlaneWidgetInCube m = cube(256);
    m.toggle_plane(0);
    m.press(Vector(400, 400, 0), PlaneButton::Middle);
    m.move(Vector(400, 100, 0)); // vertical: no tilt with the middle button
    EXPECT_EQ(m.planes[0].corners, cube(256).planes[0].corners);
    m.move(Vector(500, 100, 0));
    EXPECT_NE(m.planes[0].normal.x, 0);
    EXPECT_EQ(m.planes[0].normal.y, 0);
}

TEST(ClippingResets, ResetSelectedAndResetAll) {
    PlaneWidgetInCube w = cube(256);
    const PlaneWidgetInCube rest = cube(256);
    w.toggle_plane(0);
    push(w, 100);
    w.toggle_plane(0);
    w.toggle_plane(1);
    push(w, 100);
    w.reset_selected();
    EXPECT_EQ(w.selected[1], 1);
    EXPECT_EQ(w.planes[1].corners, rest.planes[1].corners);
    EXPECT_EQ(w.planes[1].arcball.transform, rest.planes[1].arcball.transform);
    EXPECT_EQ(w.planes[0].centre, Vector(0, 0, 118)); // not selected: stays pushed
    EXPECT_EQ(w.outlines[1].size(), 4u);

    w.show_all = 1;
    w.reset_all();
    for (int s : w.selected) EXPECT_EQ(s, -1);
    EXPECT_EQ(w.show_all, 1);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(w.planes[i].corners, rest.planes[i].corners);
        EXPECT_EQ(w.outlines[i].size(), 4u);
    }
}

// A mesh load sizes the cube anew: the planes go back, selections go, and the outlines
// stay empty until something rebuilds them (here: loading a plane file).
TEST(ClippingResets, NewCubeEmptiesTheOutlinesUntilTheNextRebuild) {
    TempDir dir;
    PlaneWidgetInCube w = cube(10);
    ASSERT_TRUE(w.save(dir.file("default.clp")));
    w.show_all = 1;
    w.toggle_plane(5);
    push(w, 20);
    EXPECT_EQ(w.outlines[2].size(), 4u);
    w.set_size(10);
    EXPECT_EQ(w.show_all, 1);
    EXPECT_FALSE(w.any_selected());
    for (const auto& outline : w.outlines) EXPECT_TRUE(outline.empty());
    EXPECT_EQ(w.planes[5].centre, Vector(0, -5, 0));
    ASSERT_TRUE(w.load(dir.file("default.clp")));
    EXPECT_EQ(w.show_all, 1);
    for (const auto& outline : w.outlines) EXPECT_EQ(outline.size(), 4u);
}

TEST(ClippingCube, SizeAroundAMesh) {
    Mesh centred;
    ASSERT_TRUE(load_obj_string(centred, "v -1 -2 -3\nv 1 2 3\nv 0 0 1\nf 1 2 3\n"));
    build_loaded_mesh(centred);
    EXPECT_EQ(cube_size_around(centred), 12); // 4 * z of corner 1, as for any centred mesh

    // All coordinates negative: corner 1 alone would give 0.
    Mesh negative;
    ASSERT_TRUE(load_obj_string(negative, "v -10 -10 -10\nv -8 -9 -10\nv -9 -8 -10\nf 1 2 3\n"));
    build_loaded_mesh(negative);
    EXPECT_EQ(cube_size_around(negative), 4); // half extents 1, 1, 0

    // Far from the origin: the cube fits the mesh, not its distance.
    Mesh far;
    ASSERT_TRUE(load_obj_string(far, "v 1000 0 0\nv 1002 0 0\nv 1000 1 0\nf 1 2 3\n"));
    build_loaded_mesh(far);
    EXPECT_EQ(cube_size_around(far), 4);

    Mesh empty;
    EXPECT_EQ(cube_size_around(empty), 0);
}

// ---- The .clp file ----

TEST(ClpFile, SixDefaultPlanesByteForByte) {
    std::string text = format_clp(cube(256).planes);
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "SIZE: 6");
    std::getline(lines, line);
    EXPECT_EQ(line, "P: 0 0 128 0 -0 1 -128 128 128 128 128 128 128 -128 128 -128 -128 128 "
                    "-128 128 128 128 128 128 128 -128 128 -128 -128 128 0 0 -65536 8.38861e+06 "
                    "1 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 1 0 0 0 1 0 0 0 1 1 0 0 0 1 0 0 0 1");
    int plane_lines = 1;
    while (std::getline(lines, line)) {
        ++plane_lines;
        EXPECT_EQ(line.substr(0, 3), "P: ");
        EXPECT_NE(line.back(), ' ');
        std::istringstream values(line.substr(3));
        int count = 0;
        for (std::string v; values >> v;) ++count;
        EXPECT_EQ(count, 69);
    }
    EXPECT_EQ(plane_lines, 6);
    EXPECT_EQ(text.back(), '\n');
}

TEST(ClpFile, SaveAndLoadSixDefaultPlanes) {
    TempDir dir;
    PlaneWidgetInCube saved = cube(256);
    ASSERT_TRUE(saved.save(dir.file("planes.clp")));
    PlaneWidgetInCube loaded = cube(256);
    loaded.toggle_plane(1);
    push(loaded, 50);
    ASSERT_TRUE(loaded.load(dir.file("planes.clp")));
    EXPECT_EQ(loaded.selected[1], 1); // selections stay
    for (int i = 0; i < 6; ++i) {
        const CutPlane &a = saved.planes[i], &b = loaded.planes[i];
        EXPECT_EQ(a.corners, b.corners);
        EXPECT_EQ(a.rest_corners, b.rest_corners);
        EXPECT_EQ(a.normal, b.normal);
        EXPECT_EQ(a.centre, b.centre);
        EXPECT_EQ(a.arcball.constraint, b.arcball.constraint);
        EXPECT_EQ(a.arcball.transform, b.arcball.transform);
        EXPECT_EQ(a.arcball.last_rotation, b.arcball.last_rotation);
        EXPECT_EQ(a.arcball.this_rotation, b.arcball.this_rotation);
        // Six significant digits: A, B, C exactly, D = 4 * 128^3 to six digits.
        for (int k = 0; k < 3; ++k) EXPECT_EQ(a.equation[k], b.equation[k]);
        EXPECT_NEAR(a.equation[3], b.equation[3], 8388608 * 1e-6);
        EXPECT_EQ(loaded.outlines[i].size(), 4u) << "loading rebuilds the outlines";
    }
    // Saved again, the same text.
    ASSERT_TRUE(loaded.save(dir.file("again.clp")));
    EXPECT_EQ(read_text(dir.file("again.clp")), read_text(dir.file("planes.clp")));
}

// A plane read from a file tilts like a constructed one.
TEST(ClpFile, LoadedPlanesCanBeTilted) {
    TempDir dir;
    ASSERT_TRUE(cube(256).save(dir.file("planes.clp")));
    PlaneWidgetInCube loaded = cube(256);
    ASSERT_TRUE(loaded.load(dir.file("planes.clp")));
    PlaneWidgetInCube built = cube(256);
    for (PlaneWidgetInCube* w : {&loaded, &built}) {
        w->toggle_plane(2);
        w->press(Vector(400, 400, 0), PlaneButton::Left);
        w->move(Vector(400, 250, 0));
        w->release();
    }
    EXPECT_EQ(loaded.planes[2].arcball.adjust_width, built.planes[2].arcball.adjust_width);
    EXPECT_EQ(loaded.planes[2].corners, built.planes[2].corners);
    EXPECT_NE(loaded.planes[2].normal, Vector(1, 0, 0));
}

TEST(ClpFile, OpenAndSaveFailures) {
    TempDir dir;
    PlaneWidgetInCube w = cube(256);
    w.toggle_plane(0);
    push(w, 100);
    const std::vector<CutPlane> before = w.planes;
    {
        ConsoleCapture console;
        IoResult r = w.load(dir.file("missing.clp"));
        EXPECT_FALSE(r);
        EXPECT_TRUE(r.unopened);
        EXPECT_NE(r.error.find("missing.clp"), std::string::npos);
        EXPECT_EQ(console.text(), "ERROR: OPENING FILE .CLP File! PlaneWidgetInCube::load() \n");
    }
    EXPECT_EQ(w.planes[0].corners, before[0].corners);
    {
        ConsoleCapture console;
        IoResult r = w.save(dir.file("no/such/folder/x.clp"));
        EXPECT_FALSE(r);
        EXPECT_EQ(console.text(),
                  "ERROR: SAVING FILE .CLP File! PlaneWidgetInCube::save(QString filename)\n");
    }
    // A failed save leaves an existing file as it was.
    write_text(dir.file("old.clp"), "old");
    std::filesystem::permissions(dir.path, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_exec);
    if (!std::ofstream(dir.file("probe"))) { // not root: the folder is read-only
        ConsoleCapture quiet;
        EXPECT_FALSE(w.save(dir.file("old.clp")));
        EXPECT_EQ(read_text(dir.file("old.clp")), "old");
    }
    std::filesystem::permissions(dir.path, std::filesystem::perms::owner_all);
}

// Files that do not give six whole planes are refused and leave the planes alone.
TEST(ClpFile, RefusedFiles) {
    const std::string good = format_clp(cube(256).planes);
    auto lines_of = [](const std::string& text) {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string l; std::getline(in, l);) out.push_back(l);
        return out;
    };
    auto join = [](const std::vector<std::string>& lines) {
        std::string s;
        for (const auto& l : lines) s += l + "\n";
        return s;
    };
    auto replaced = [](std::string s, const std::string& from, const std::string& to) {
        return s.replace(s.find(from), from.size(), to);
    };
    const std::vector<std::string> g = lines_of(good);
    std::string last_value_missing = g[3].substr(0, g[3].rfind(' '));
    struct Case {
        std::string text, message;
    };
    const Case cases[] = {
        {"SIZE: 5\n" + join({g.begin() + 1, g.end()}), "t.clp:1: a plane file holds six planes"},
        {"SIZE: 7\n" + join({g.begin() + 1, g.end()}), "t.clp:1:"},
        {"SIZE: 6 planes\n" + join({g.begin() + 1, g.end()}), "t.clp:1:"},
        {join({g.begin(), g.end() - 1}), "t.clp: only 5 of the six planes"},
        {"", "t.clp: only 0 of the six planes"},
        {"SIZE: 6\n", "t.clp: only 0 of the six planes"},
        {join({g[0], g[1], g[2], last_value_missing, g[4], g[5], g[6]}), "t.clp:4: value 69 of 69"},
        {join({g[0], g[1], g[2], g[3] + " 7", g[4], g[5], g[6]}), "t.clp:4: text after the 69"},
        {join({g[0], g[1], "P: x", g[3], g[4], g[5], g[6]}), "t.clp:3: value 1 of 69"},
        {join({g[0], g[1], "P: nan" + g[2].substr(g[2].find(' ', 3)), g[3], g[4], g[5], g[6]}),
         "t.clp:3: value 1 of 69 of a \"P:\" line is not a finite number"},
        {join({g[0], g[1], "Planes follow", g[3], g[4], g[5], g[6]}), "t.clp:3: value 1 of 69"},
        // Face mode written as a float: "%d" stops at the point and the rest shifts.
        {join({g[0], g[1], g[2], g[3], g[4], g[5], replaced(g[6], " 6 1 0 0", " 6.5 1 0 0")}),
         "t.clp:7: text after the 69"},
        // The planes filled before a "SIZE:" line do not count after it.
        {join({g[1], g[2], g[3], g[0], g[4], g[5], g[6]}), "t.clp: only 3 of the six planes"},
        {std::string("\xFF\xFE", 2) + good, "UTF-16"},
        {good.substr(0, 40) + std::string(1, '\0') + good.substr(40), "(byte 0x00 at offset 40)"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        PlaneWidgetInCube w = cube(100);
        w.toggle_plane(1);
        push(w, 30);
        std::vector<CutPlane> before = w.planes;
        auto outlines = w.outlines;
        write_text(dir.file("t.clp"), c.text);
        ConsoleCapture console;
        IoResult r = w.load(dir.file("t.clp"));
        ASSERT_FALSE(r);
        EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error;
        EXPECT_EQ(console.text(), r.error + "\n");
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(w.planes[i].corners, before[i].corners);
            EXPECT_EQ(w.planes[i].equation, before[i].equation);
        }
        EXPECT_EQ(w.outlines, outlines);
    }
}

TEST(ClpFile, AcceptedVariations) {
    PlaneWidgetInCube ref = cube(256);
    const std::string good = format_clp(ref.planes);
    TempDir dir;
    auto loads = [&](const std::string& text) {
        write_text(dir.file("v.clp"), text);
        PlaneWidgetInCube w = cube(3);
        ConsoleCapture quiet;
        IoResult r = w.load(dir.file("v.clp"));
        EXPECT_TRUE(r) << r.error;
        return w;
    };
    // Line ends of another platform, other lines, lines beyond the six planes, a missing
    // final line end, "SIZE:" written as "%i" reads it.
    std::string crlf;
    for (char c : good) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    loads(crlf);
    std::string extra = "# planes\n\n" + good + good.substr(good.find("P:"));
    PlaneWidgetInCube w = loads(extra);
    EXPECT_EQ(w.planes[5].corners, ref.planes[5].corners);
    loads(good.substr(0, good.size() - 1));
    loads("SIZE: 0x6" + good.substr(7));
    // Without a "SIZE:" line the lines fill the planes there are.
    PlaneWidgetInCube no_size = loads(good.substr(good.find('\n') + 1));
    EXPECT_EQ(no_size.planes[3].corners, ref.planes[3].corners);
    // Values as "%f" reads them: signs, exponents, blanks of any kind.
    std::string spaced = good;
    for (size_t at = spaced.find("P: "); at != std::string::npos; at = spaced.find("P: ", at + 1))
        spaced.replace(at, 3, "P:\t ");
    loads(spaced);
}

TEST(ClpFile, FaceModesOutsideOneToSix) {
    // A plane file may hold any face mode: such a plane is neither flattened nor turned.
    PlaneWidgetInCube w = cube(256);
    std::string text = format_clp(w.planes);
    size_t at = text.find(" 1 1 0 0 0 0 1");
    text.replace(at, 3, " 9 ");
    TempDir dir;
    write_text(dir.file("m.clp"), text);
    ConsoleCapture quiet;
    ASSERT_TRUE(w.load(dir.file("m.clp")));
    EXPECT_EQ(w.planes[0].arcball.constraint, 9);
    w.toggle_plane(0);
    w.press(Vector(400, 400, 0), PlaneButton::Left);
    w.move(Vector(400, 200, 0));
    w.release();
    EXPECT_EQ(w.planes[0].corners, cube(256).planes[0].corners);
}

} // namespace
