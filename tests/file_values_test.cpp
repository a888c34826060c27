// What the small files may hold: the .clp writer and the planes it saves, weight curve
// points within their plot, .spt entries that are distances, .mor files that say which
// meshes they fit, and plane scripts.
#include "classifier_meshes.h"
#include "clipping/plane_script.h"
#include "clipping/plane_widget_in_cube.h"
#include "core/text_file.h"
#include "segmentation/mesh_classifier.h"
#include "segmentation/weight_curve.h"
#include "test_util.h"
#include "tools/morphogen_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

namespace {

constexpr float nan_value = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string bytes_of(const std::string& path) {
    std::string text;
    read_file(path, text);
    return text;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// ---- .clp files ----

PlaneWidgetInCube planes_on_cube(float size) {
    PlaneWidgetInCube w;
    w.set_size(size);
    return w;
}

TEST(ClpValues, WriterRefusesValuesThatAreNotFinite) {
    struct Case {
        int plane, value; // the value's 1-based position on its "P:" line
        std::function<void(CutPlane&)> spoil;
    };
    const Case cases[] = {
        {0, 1, [](CutPlane& p) { p.centre.x = nan_value; }},
        {1, 6, [](CutPlane& p) { p.normal.z = -infinity; }},
        {2, 20, [](CutPlane& p) { p.rest_corners[0].y = nan_value; }},
        {3, 34, [](CutPlane& p) { p.equation[3] = 1e300; }}, // beyond float's range
        {4, 49, [](CutPlane& p) { p.arcball.transform[13] = infinity; }},
        {5, 69, [](CutPlane& p) { p.arcball.this_rotation[8] = nan_value; }},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        PlaneWidgetInCube w = planes_on_cube(256);
        c.spoil(w.planes[size_t(c.plane)]);
        write_bytes(dir.file("old.clp"), "old");
        ConsoleCapture console;
        for (const char* name : {"old.clp", "new.clp"}) {
            IoResult r = w.save(dir.file(name));
            ASSERT_FALSE(r);
            EXPECT_TRUE(contains(r.error, dir.file(name) + " not written: value " +
                                              std::to_string(c.value) + " of 69 of plane " +
                                              std::to_string(c.plane) + " (" + plane_name(c.plane) +
                                              ") is not a finite number"))
                << r.error;
        }
        EXPECT_EQ(bytes_of(dir.file("old.clp")), "old");
        EXPECT_FALSE(std::filesystem::exists(dir.file("new.clp")));
        EXPECT_TRUE(contains(console.text(), "ERROR: SAVING FILE .CLP File!"));
    }
}

// Planes read as zeros have coinciding corners and so no normal: the mouse leaves them
// as they are (their normal the zero they were read with) rather than making them NaN.
TEST(ClpValues, PlanesWithoutDirectionStayFinite) {
    std::string zeros = "SIZE: 6\n";
    for (int i = 0; i < plane_count; ++i) {
        zeros += "P:";
        for (int k = 0; k < 69; ++k) zeros += " 0";
        zeros += "\n";
    }
    TempDir dir;
    write_bytes(dir.file("zeros.clp"), zeros);
    PlaneWidgetInCube w = planes_on_cube(256);
    ConsoleCapture quiet;
    ASSERT_TRUE(w.load(dir.file("zeros.clp")));
    w.toggle_plane(0);
    w.toggle_plane(3);
    for (PlaneButton b : {PlaneButton::Right, PlaneButton::Left, PlaneButton::Middle}) {
        w.press(Vector(100, 100, 0), b);
        w.move(Vector(130, 160, 0));
        w.move(Vector(90, 40, 0));
        w.release();
    }
    EXPECT_TRUE(check_finite_planes(w.planes, "zeros.clp"))
        << check_finite_planes(w.planes, "").error;
    EXPECT_EQ(w.planes[0].normal, Vector(0, 0, 0));
    ASSERT_TRUE(w.save(dir.file("again.clp")));
    EXPECT_EQ(bytes_of(dir.file("again.clp")), format_clp(w.planes));
}

// A line starting with "S" that does not read as "SIZE: %i" is skipped like any other
// line; one that does must say 6 and nothing more.
TEST(ClpValues, LinesStartingWithS) {
    const std::string good = format_clp(planes_on_cube(256).planes);
    const std::string planes_only = good.substr(good.find('\n') + 1);
    struct Case {
        std::string first_line, refusal; // empty refusal: the file loads
    };
    const Case cases[] = {
        {"Saved by hand", ""},
        {"SIZE: six", ""},
        {"SIZE:", ""},
        {"SIZE 6", ""},
        {"S", ""},
        {"SIZE: 0x6", ""},
        {"SIZE: 5", "c.clp:1: a plane file holds six planes (\"SIZE: 6\")"},
        {"SIZE: 6 planes", "c.clp:1: text after the plane count of a \"SIZE:\" line"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first_line);
        write_bytes(dir.file("c.clp"), c.first_line + "\n" + planes_only);
        PlaneWidgetInCube w = planes_on_cube(10);
        ConsoleCapture quiet;
        IoResult r = w.load(dir.file("c.clp"));
        if (c.refusal.empty()) {
            EXPECT_TRUE(r) << r.error;
            EXPECT_EQ(format_clp(w.planes), good);
        } else {
            ASSERT_FALSE(r);
            EXPECT_TRUE(contains(r.error, c.refusal)) << r.error;
            EXPECT_EQ(format_clp(w.planes), format_clp(planes_on_cube(10).planes));
        }
    }
}

// ---- weight curves ----

std::string curve_text(int height, const std::string& point_50) {
    std::string text = std::to_string(height) + "\n";
    for (int k = 0; k <= 100; ++k) text += k == 50 ? point_50 + "\n" : std::to_string(k) + " 1\n";
    return text;
}

TEST(WeightCurveValues, PointsOutsideThePlotOrNotFiniteAreRefused) {
    struct Case {
        std::string point, refusal; // empty refusal: the curve loads
    };
    const Case cases[] = {
        {"50 -3e38", "c.txt:52: y = -3e+38 is outside 0 ... 100, the plot height"},
        {"50 -0.001", "c.txt:52: y = -0.001 is outside 0 ... 100"},
        {"50 100.5", "c.txt:52: y = 100.5 is outside 0 ... 100"},
        {"50 nan", "c.txt:52: expected a point"},
        {"50 inf", "c.txt:52: expected a point"},
        {"-inf 3", "c.txt:52: expected a point"},
        {"50 0", ""},
        {"50 100", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.point);
        WeightCurve curve;
        IoResult r = parse_weight_curve(curve_text(100, c.point), "c.txt", curve);
        if (c.refusal.empty()) {
            EXPECT_TRUE(r) << r.error;
            EXPECT_EQ(curve.points.size(), 101u);
        } else {
            ASSERT_FALSE(r);
            EXPECT_TRUE(contains(r.error, c.refusal)) << r.error;
            EXPECT_TRUE(curve.points.empty());
        }
    }
}

// ---- .spt files ----

TEST(SptValues, EntriesThatAreNotDistancesAreRefused) {
    // Four faces: entries 0 ... 9 addressed (rows 0 to 3), two spare.
    Mesh m = mesh_from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 2 1 0\n"
                           "f 1 2 3\nf 2 4 3\nf 2 5 4\nf 1 3 4\n");
    ASSERT_EQ(ShortestPathTable::entry_count_for(m.nf), 12);
    Mesh_Classifier built;
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(classify_mesh(built, m));
    }
    TempDir dir;
    const std::string path = dir.file("t.spt");
    struct Case {
        int entry;
        float value;
        std::string refusal; // empty: the table loads
    };
    const Case cases[] = {
        {0, nan_value, "t.spt: entry 0 (row 0, column 0) holds nan, which is not a distance"},
        {4, infinity, "t.spt: entry 4 (row 2, column 1) holds inf"},
        {9, -1, "t.spt: entry 9 (row 3, column 3) holds -1"},
        {6, -infinity, "t.spt: entry 6 (row 3, column 0) holds -inf"},
        {7, no_path, ""},
        {11, nan_value, ""}, // a spare entry: no pair's, loaded as 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        ConsoleCapture quiet;
        ASSERT_TRUE(built.save(path));
        std::string bytes = bytes_of(path);
        std::memcpy(bytes.data() + 4 * c.entry, &c.value, 4);
        write_bytes(path, bytes);

        Mesh_Classifier c2;
        ASSERT_TRUE(classify_mesh(c2, m));
        const std::vector<float> before(c2.table.data(), c2.table.data() + c2.table.entry_count);
        IoResult r = c2.load(path);
        if (c.refusal.empty()) {
            ASSERT_TRUE(r) << r.error;
            EXPECT_EQ(c2.rebuild_flag, 0);
            for (int i = 0; i < 12; ++i)
                EXPECT_TRUE(std::isfinite(c2.table.data()[i]) && c2.table.data()[i] >= 0) << i;
            EXPECT_EQ(c2.table.data()[11], 0.0f);
        } else {
            ASSERT_FALSE(r);
            EXPECT_TRUE(contains(r.error, c.refusal)) << r.error;
            EXPECT_EQ(c2.rebuild_flag, 1);
            EXPECT_EQ(std::vector<float>(c2.table.data(), c2.table.data() + c2.table.entry_count),
                      before);
        }
    }
}

// ---- .mor files ----

TEST(MorValues, FilesThatSayNoSizeOrAnotherModeAreRefused) {
    const char* refused[] = {
        "",
        "\n   \n",
        "BASECOL 10 20 30\nMIXMODE 1\n",
        "mn a b\nv 0 0 0\nv 1 0 0\nv 0 1 0\nm 1 2\nm 1 2\nm 1 2\nf 1 2 3\n",
        "SIZE x 2\n",
        "SIZE 2\nMIXMODE 2\n",
        "SIZE 2\nMIXMODE -1\n",
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        MorphogenSetting s;
        set_morphogen_names(s, {"a", "b"});
        s.tooglestates = {1, 0};
        const MorphogenSetting before = s;
        IoResult r = parse_morphogen_setting(text, "s.mor", s);
        ASSERT_FALSE(r);
        EXPECT_TRUE(contains(r.error, "ERROR: s.mor")) << r.error;
        EXPECT_EQ(s.colours, before.colours);
        EXPECT_EQ(s.tooglestates, before.tooglestates);
        EXPECT_EQ(s.mixmode, before.mixmode);
        EXPECT_EQ(s.defaultcolour, before.defaultcolour);
    }
    MorphogenSetting s;
    set_morphogen_names(s, {"a", "b"});
    EXPECT_EQ(parse_morphogen_setting("BASECOL 1 2 3\n", "s.mor", s).error,
              "ERROR: s.mor: no SIZE line with the number of morphogens; the setting fits no "
              "mesh");
    EXPECT_EQ(parse_morphogen_setting("SIZE 2\nMIXMODE 2\n", "s.mor", s).error,
              "ERROR: s.mor:2: MIXMODE 2 is neither 0 (additive) nor 1 (subtractive)");
}

// A SIZE or MIXMODE without a number does nothing but say so.
TEST(MorValues, KeywordsWithoutANumberAreIgnored) {
    MorphogenSetting s;
    set_morphogen_names(s, {"a", "b"});
    testing::internal::CaptureStderr();
    IoResult r = parse_morphogen_setting("SIZE x\nSIZE 2\nMIXMODE y\nMIXMODE 1\nMORPHO\t1 2 3 1\n",
                                         "s.mor", s);
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(r) << r.error;
    EXPECT_EQ(s.mixmode, 1);
    EXPECT_EQ(s.colours[0], (Rgb{1, 2, 3}));
    EXPECT_EQ(err, "WARNING: s.mor:1: SIZE without a number ignored\n"
                   "WARNING: s.mor:3: MIXMODE without a number ignored\n");
}

TEST(MorValues, WarningsStopAtTwentyAndAreCounted) {
    std::string text = "SIZE 1\n";
    for (int i = 0; i < 26; ++i) text += "MORPHO\t1 2 3 1\n";
    MorphogenSetting s;
    set_morphogen_names(s, {"a"});
    testing::internal::CaptureStderr();
    ASSERT_TRUE(parse_morphogen_setting(text, "s.mor", s));
    std::string err = testing::internal::GetCapturedStderr();
    size_t lines = 0;
    for (size_t at = err.find("ignored\n"); at != std::string::npos;
         at = err.find("ignored\n", at + 1))
        ++lines;
    EXPECT_EQ(lines, 20u);
    EXPECT_TRUE(contains(err, "WARNING: s.mor:3: MORPHO line beyond SIZE 1 ignored\n")) << err;
    EXPECT_TRUE(contains(err, "WARNING: s.mor: 5 more warnings not shown\n")) << err;
}

// ---- plane scripts ----

TEST(PlaneScriptValues, RefusedScripts) {
    struct Case {
        std::string text, refusal;
        int bad_line;
    };
    const Case cases[] = {
        {"select 0\nselect 6\n", "s.txt:2: '6' is not an integer from 0 to 5", 2},
        {"select -1\n", "s.txt:1: '-1' is not an integer from 0 to 5", 1},
        {"# push\ndrag 3 0 0 0 10 1\nshow-all 2\n", "s.txt:3: '2' is not an integer from 0 to 1",
         3},
        {"select 0\n" + std::string("\x7F"
                                    "ELF\x02\x01",
                                    6),
         "ERROR: s.txt: not a text file (byte 0x02 at offset 13)", 0},
        {std::string("select 1\0", 9), "ERROR: s.txt: not a text file (byte 0x00 at offset 8)", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PlaneScript script;
        IoResult r = parse_plane_script(c.text, "s.txt", script);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error, c.refusal);
        EXPECT_EQ(script.bad_line, c.bad_line);
        EXPECT_TRUE(script.actions.empty());
    }
    PlaneScript script;
    ASSERT_TRUE(
        parse_plane_script("select 5\n\n  # x\ndrag 1 0 0 4 5 2\nreset-all\n", "s.txt", script));
    ASSERT_EQ(script.actions.size(), 3u);
    EXPECT_EQ(script.actions[0].value[0], 5);
    EXPECT_EQ(script.actions[1].kind, PlaneActionKind::Drag);
    EXPECT_EQ(script.actions[1].value[5], 2);
}

TEST(PlaneScriptValues, UnreadableScriptsSayWhy) {
    TempDir dir;
    for (auto [path, reason] : {std::pair{dir.file("none.txt"), "No such file or directory"},
                                std::pair{dir.path.string(), "Is a directory"}}) {
        PlaneScript script;
        IoResult r = load_plane_script(path, script);
        ASSERT_FALSE(r);
        EXPECT_TRUE(r.unopened);
        EXPECT_EQ(r.error, "ERROR: could not read the script " + path + " (" + reason + ")");
        EXPECT_EQ(script.bad_line, 0);
    }
}

} // namespace
