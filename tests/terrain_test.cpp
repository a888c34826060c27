#include "random_meshes.h"
#include "terrain/colour_map.h"
#include "terrain/terrain_grid.h"
#include "test_util.h"
#include "tests/reference/terrain_reference.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <random>
#include <set>

namespace {

RgbImage uniform_image(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    RgbImage image{w, h, {}};
    for (int i = 0; i < w * h; ++i) image.rgb.insert(image.rgb.end(), {r, g, b});
    return image;
}

Mesh terrain(int n, int scale = 256, int height = 64,
             const RgbImage& image = uniform_image(256, 256, 0, 0, 0)) {
    Mesh m;
    ConsoleCapture quiet;
    generate_terrain(m, image, {n, scale, height});
    return m;
}

TEST(Terrain, SmallGridsNumberTheirVerticesByFirstUse) {
    Mesh one = terrain(1);
    EXPECT_EQ(one.nv, 1);
    EXPECT_EQ(one.nf, 0);
    EXPECT_EQ(one.vertices[0], Vector(0, 0, 0));

    Mesh two = terrain(2);
    EXPECT_EQ(two.nv, 4);
    EXPECT_EQ(faces_of(two), (std::vector<Tri>{{0, 1, 2}, {0, 2, 3}}));
    EXPECT_EQ(two.vertices[1], Vector(0, 0, 128)); // grid point (1, 0): row 1, column 0
    EXPECT_EQ(two.vertices[3], Vector(128, 0, 0));

    Mesh three = terrain(3);
    EXPECT_EQ(faces_of(three), (std::vector<Tri>{{0, 1, 2},
                                                 {0, 2, 3},
                                                 {3, 2, 4},
                                                 {3, 4, 5},
                                                 {1, 6, 7},
                                                 {1, 7, 2},
                                                 {2, 7, 8},
                                                 {2, 8, 4}}));
    const float d = 1.0f / 3;
    EXPECT_EQ(three.vertices[8], Vector(256 * (d + d), 0, 256 * (d + d)));
    EXPECT_EQ(three.vertices[6].z, 256 * (d + d));
    EXPECT_NE(three.vertices[8].x, 256.0f * 2 / 3 + 1e-3f);
    for (int v = 0; v < 9; ++v) {
        EXPECT_EQ(three.vertices[v].w, float(v)); // each vertex keeps its index
        EXPECT_EQ(three.colours[v], Vector(1, 1, 1));
        EXPECT_EQ(three.faces[0].normal.y, 1);
    }
}

TEST(Terrain, HeightsFromTheGreyLevel) {
    EXPECT_EQ(terrain(4, 256, 64, uniform_image(8, 8, 255, 255, 255)).vertices[5].y, 63.75f);
    // Channels as the panel holds them, red and blue exchanged from the file: a file's
    // pure red weighs 5, its pure blue 11.
    EXPECT_EQ(terrain(4, 256, 256, uniform_image(8, 8, 0, 0, 255)).vertices[5].y, 39.0f);
    EXPECT_EQ(terrain(4, 256, 256, uniform_image(8, 8, 255, 0, 0)).vertices[5].y, 87.0f);
    EXPECT_EQ(terrain(4, 256, 256, RgbImage{}).vertices[5].y, 0.0f); // no heightmap: flat
}

TEST(Terrain, TheInitialPanelMakesAFlatGrid) {
    Mesh m;
    ConsoleCapture console;
    generate_terrain(m, uniform_image(256, 256, 0, 0, 0), TerrainSettings{});
    EXPECT_EQ(m.nv, 4096);
    EXPECT_EQ(m.nf, 7938);
    m.build_bbox();
    EXPECT_EQ(m.extent, 252);
    EXPECT_EQ(m.bbox[1].y, 0);
    EXPECT_EQ(console.text(),
              "BUILDING: MESH_CENTRE MESH_FACE_NORMALS MESH_VERTEX_NORMALS MESH_TEXCOORDS \n\n"
              "4096, 7938 \n");
    EXPECT_EQ(m.centre, Vector(126, 0, 126));
}

TEST(Terrain, MatchesTheOrderedSetNumbering) {
    std::mt19937 random(11);
    for (int round = 0; round < 30; ++round) {
        RgbImage image{int(random() % 40) + 1, int(random() % 40) + 1, {}};
        for (int i = 0; i < image.width * image.height * 3; ++i)
            image.rgb.push_back(uint8_t(random()));
        int n = int(random() % 70) + 1, scale = int(random() % 512) + 1,
            height = int(random() % 1024) + 1;
        Mesh m = terrain(n, scale, height, image);
        Mesh want = reference_terrain(image, n, scale, height);
        ASSERT_EQ(m.nv, want.nv);
        ASSERT_EQ(faces_of(m), faces_of(want)) << n;
        for (int v = 0; v < m.nv; ++v) {
            ASSERT_EQ(m.vertices[v], want.vertices[v]) << v;
            ASSERT_EQ(m.vertices[v].w, want.vertices[v].w);
        }
    }
}

// Colouring by height.

Mesh column(std::initializer_list<float> heights) {
    Mesh m;
    m.alloc_vertices(int(heights.size()));
    int v = 0;
    for (float y : heights) m.vertices[v++] = Vector(0, y, 0);
    return m;
}

std::vector<Vector> rgb(std::initializer_list<Rgb> colours) {
    return colour_vectors(colours);
}

void expect_colour(const Vector& c, float r, float g, float b) {
    EXPECT_FLOAT_EQ(c.x, r);
    EXPECT_FLOAT_EQ(c.y, g);
    EXPECT_FLOAT_EQ(c.z, b);
    EXPECT_FLOAT_EQ(c.w, 1);
}

TEST(ColourByHeight, InterpolatesBetweenNeighbouringEntries) {
    Mesh m = column({10, 20, 15});
    ConsoleCapture console;
    colour_by_height(m, rgb({{0, 0, 0}, {255, 255, 255}}), {0, 1});
    EXPECT_EQ(console.text(), "terrain vertex colours...\n");
    expect_colour(m.colours[0], 0, 0, 0);
    expect_colour(m.colours[1], 1, 1, 1);
    expect_colour(m.colours[2], 0.5f, 0.5f, 0.5f);

    m = column({0, 100, 75, 50});
    colour_by_height(m, rgb({{0, 0, 0}, {255, 0, 0}, {255, 255, 255}}), {0, 0.5f, 1});
    expect_colour(m.colours[2], 1, 0.5f, 0.5f);
    expect_colour(m.colours[3], 1, 0, 0); // exactly at an entry: that entry's colour
}

TEST(ColourByHeight, ExtrapolatesPastTheLastPair) {
    Mesh m = column({0, 1});
    ConsoleCapture quiet;
    colour_by_height(m, rgb({{0, 0, 0}, {255, 255, 255}}), {0, 0.5f});
    expect_colour(m.colours[1], 2, 2, 2);
}

TEST(ColourByHeight, NeverDividesByZeroNorReadsPastTheMap) {
    ConsoleCapture quiet;
    Mesh m = column({0, 1});
    m.colours[1] = Vector(0.1f, 0.2f, 0.3f);
    colour_by_height(m, {}, {});
    expect_colour(m.colours[1], 0.1f, 0.2f, 0.3f); // no entries: unchanged
    colour_by_height(m, rgb({{255, 0, 0}}), {0.5f});
    expect_colour(m.colours[0], 1, 0, 0); // one entry: everywhere
    expect_colour(m.colours[1], 1, 0, 0);

    Mesh flat = column({3, 3, 3});
    colour_by_height(flat, rgb({{0, 0, 255}, {255, 255, 255}}), {0, 1});
    expect_colour(flat.colours[2], 0, 0, 1); // one height: t = 0

    Mesh twin = column({0, 1, 2});
    colour_by_height(twin, rgb({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}}), {0, 0.5f, 0.5f});
    expect_colour(twin.colours[2], 1, 0, 0); // equal neighbours: s = 0

    Mesh empty;
    colour_by_height(empty, rgb({{0, 0, 0}, {255, 255, 255}}), {0, 1});
}

// The search as first written: the last entry below t, scanning the whole list.
TEST(ColourByHeight, MatchesTheLinearSearchOnUnsortedMaps) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-0.2f, 1.2f);
    ConsoleCapture quiet;
    for (int round = 0; round < 200; ++round) {
        size_t n = 2 + random() % 8;
        std::vector<float> values;
        std::vector<Rgb> colours;
        for (size_t i = 0; i < n; ++i) {
            values.push_back(random() % 4 == 0 ? float(random() % 3) / 2 : unit(random));
            colours.push_back({int(random() % 256), int(random() % 256), int(random() % 256)});
        }
        Mesh m = column({0, 0.25f, 0.5f, 0.75f, 1, 0.33f, 0.9f});
        Mesh want = column({0, 0.25f, 0.5f, 0.75f, 1, 0.33f, 0.9f});
        colour_by_height(m, colour_vectors(colours), values);
        colour_by_height_linear(want, colour_vectors(colours), values);
        for (int v = 0; v < m.nv; ++v)
            ASSERT_EQ(m.colours[v], want.colours[v]) << round << " " << v;
    }
}

// The .map file.

TEST(ColourMapFile, WritesTabSeparatedLines) {
    EXPECT_EQ(format_colour_map(ColourMap::initial()), "0\t0\t0\t0\n1\t255\t255\t255\n");
    EXPECT_EQ(format_colour_map({{1.0f / 3, 0.5f}, {{1, 2, 3}, {4, 5, 6}}}),
              "0.333333\t1\t2\t3\n0.5\t4\t5\t6\n");
}

TEST(ColourMapFile, RoundTrip) {
    TempDir dir;
    ColourMap map{{0, 0.25f, 1.0f / 3, 1},
                  {{0, 0, 0}, {10, 20, 30}, {200, 100, 50}, {255, 255, 255}}};
    ASSERT_TRUE(save_colour_map(dir.file("a.map"), map));
    ColourMap back;
    ConsoleCapture console;
    ASSERT_TRUE(load_colour_map(dir.file("a.map"), back));
    EXPECT_EQ(back.colours, map.colours);
    EXPECT_EQ(back.values[1], 0.25f);
    EXPECT_NEAR(back.values[2], 1.0f / 3, 1e-6f);
    EXPECT_EQ(console.text().substr(0, 44), "0.000000, 0, 0, 0 \n0.250000, 10, 20, 30 \n0.3");
}

TEST(ColourMapFile, ReadsLoosely) {
    ConsoleCapture console;
    ColourMap map;
    ASSERT_TRUE(parse_colour_map("0.5 10 20 30", "test.map", map));
    EXPECT_EQ(console.text(), "0.500000, 10, 20, 30 \n");
    EXPECT_EQ(map.colours, (std::vector<Rgb>{{10, 20, 30}}));

    // Words between groups are skipped; a channel that is no number keeps the last
    // group's; channels are clamped into 0..255.
    ASSERT_TRUE(
        parse_colour_map("# heights\nlow: 0 1 2 3\nhigh 1 x 900 -7.9\n0.5 4", "test.map", map));
    ASSERT_EQ(map.values, (std::vector<float>{0, 1, 0.5f}));
    EXPECT_EQ(map.colours[1], (Rgb{1, 255, 0}));
    EXPECT_EQ(map.colours[2], (Rgb{4, 255, 0}));
}

TEST(ColourMapFile, ValuesBeyondFloatAreRefusedAndNeverWritten) {
    ColourMap map = ColourMap::initial();
    IoResult r = parse_colour_map("0 0 0 0\n1" + std::string(40, '0') + " 1 1 1\n", "m.map", map);
    EXPECT_EQ(r.error, "ERROR: m.map:2: a value is not a finite number");
    EXPECT_EQ(map.values, ColourMap::initial().values);
    TempDir dir;
    r = save_colour_map(dir.file("x.map"), {{0.0f, INFINITY}, {{0, 0, 0}, {1, 1, 1}}});
    EXPECT_NE(r.error.find("entry 2 is not a finite number"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.map")));
}

TEST(ColourByHeight, GapsTooSmallForTheDistanceGiveFiniteColours) {
    Mesh m;
    m.alloc_vertices(3);
    for (int v = 0; v < 3; ++v) m.vertices[v].y = float(v);
    colour_by_height(m, {Vector(1, 0, 0, 1), Vector(0, 1, 0, 1)}, {0.0f, 1e-45f});
    for (int v = 0; v < 3; ++v)
        EXPECT_TRUE(std::isfinite(m.colours[v].x) && std::isfinite(m.colours[v].y) &&
                    std::isfinite(m.colours[v].w))
            << v;
    EXPECT_EQ(m.colours[0].x, 1); // at the first entry
    EXPECT_EQ(m.colours[2].y, 1); // far beyond the second
}

TEST(ColourMapFile, UnreadableFileLeavesTheMap) {
    ColourMap map = ColourMap::initial();
    IoResult r = load_colour_map("/nonexistent/a.map", map);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error, "ERROR: could not read the colour map /nonexistent/a.map (No such file "
                       "or directory)");
    EXPECT_EQ(map.values, ColourMap::initial().values);
    EXPECT_FALSE(save_colour_map("/nonexistent/a.map", ColourMap::initial()));
}

} // namespace
