// Vertex colours from morphogens: the mixing rules, vertices and rows the entries do not
// cover, and agreement with the step-by-step version on random and real meshes.
#include "core/mesh_file.h"
#include "test_util.h"
#include "tests/reference/morphogen_reference.h"
#include "tests/same_bits.h"
#include "tools/morphogen_colours.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

const Rgb black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};

// A mesh of `rows.size()` vertices carrying those rows of values.
Mesh mesh_with_rows(std::vector<std::vector<float>> rows) {
    Mesh m;
    m.alloc_vertices(int(rows.size()));
    m.morphogens = std::move(rows);
    return m;
}

void expect_colour(const Vector& c, float r, float g, float b, float a) {
    EXPECT_EQ(c.x, r);
    EXPECT_EQ(c.y, g);
    EXPECT_EQ(c.z, b);
    EXPECT_EQ(c.w, a);
}

} // namespace

TEST(MorphogenColours, AdditiveAveragesWithTheBase) {
    Mesh m = mesh_with_rows({{1}, {0}, {-1}, {0.5f}});
    colour_by_morphogens(m, MixMode::Additive, std::vector<int>{1}, std::vector<Rgb>{red}, black);
    expect_colour(m.colours[0], 0.5f, 0, 0, 2); // (base + red) / 2, alpha 1 + 1
    expect_colour(m.colours[1], 0, 0, 0, 1);    // value 0: the base alone
    expect_colour(m.colours[2], 0, 0, 0, 1);    // negative: the base alone
    expect_colour(m.colours[3], 0.25f, 0, 0, 1.5f);
}

TEST(MorphogenColours, SubtractiveTakesAwayTheComplement) {
    Mesh m = mesh_with_rows({{1}});
    colour_by_morphogens(m, MixMode::Subtractive, std::vector<int>{1}, std::vector<Rgb>{blue},
                         white);
    // (1, 1, 1, 1) - ((1, 1, 1, 1) - blue) / 2 in colour, alpha 1 - 0.
    expect_colour(m.colours[0], 0.5f, 0.5f, 1, 1);

    // Any mode other than 0 is subtractive; alpha falls by 1 - v for each.
    Mesh half = mesh_with_rows({{0.5f}});
    colour_by_morphogens(half, mix_mode(7), std::vector<int>{1}, std::vector<Rgb>{blue}, white);
    expect_colour(half.colours[0], 0.5f, 0.5f, 0.75f, 0.5f);
}

TEST(MorphogenColours, TwoContributionsGiveThirds) {
    Mesh m = mesh_with_rows({{1, 1}, {1, 0}});
    colour_by_morphogens(m, MixMode::Additive, std::vector<int>{1, 1}, std::vector<Rgb>{red, green},
                         black);
    expect_colour(m.colours[0], 1.0f / 3, 1.0f / 3, 0, 3);
    expect_colour(m.colours[1], 0.5f, 0, 0, 2);
}

TEST(MorphogenColours, OnlyStateOneSwitchesOn) {
    Mesh m = mesh_with_rows({{1, 1, 1}});
    colour_by_morphogens(m, MixMode::Additive, std::vector<int>{0, 2, -1},
                         std::vector<Rgb>{red, green, blue}, white);
    expect_colour(m.colours[0], 1, 1, 1, 1);
}

TEST(MorphogenColours, ResultsAreNotClamped) {
    Mesh m = mesh_with_rows({{4}});
    colour_by_morphogens(m, MixMode::Additive, std::vector<int>{1}, std::vector<Rgb>{white}, white);
    expect_colour(m.colours[0], 3, 3, 3, 5);
    colour_by_morphogens(m, MixMode::Subtractive, std::vector<int>{1}, std::vector<Rgb>{black},
                         black);
    expect_colour(m.colours[0], -0.5f, -0.5f, -0.5f, 4); // alpha 1 - (1 - 4)
}

// Rows the entries do not cover: a vertex without a row takes the base colour, values
// beyond the entries are not read, and entries beyond a row's values do nothing.
TEST(MorphogenColours, RowsAndEntriesOfOtherLengths) {
    Mesh m = mesh_with_rows({{1, 1, 1}, {1}});
    m.alloc_vertices(4); // four vertices, two rows: as after a tool that adds vertices
    m.morphogens = {{1, 1, 1}, {1}};
    colour_by_morphogens(m, MixMode::Additive, std::vector<int>{1, 1}, std::vector<Rgb>{red, green},
                         blue);
    expect_colour(m.colours[0], 1.0f / 3, 1.0f / 3, 1, 3);
    expect_colour(m.colours[1], 0.5f, 0, 1, 2);
    expect_colour(m.colours[2], 0, 0, 1, 1);
    expect_colour(m.colours[3], 0, 0, 1, 1);

    // States and colours of different lengths: the shorter decides.
    colour_by_morphogens(m, MixMode::Additive, std::vector<int>{1, 1, 1}, std::vector<Rgb>{red},
                         black);
    expect_colour(m.colours[0], 0.5f, 0, 0, 2);

    // No entries at all: the base everywhere.
    colour_by_morphogens(m, MixMode::Additive, {}, {}, green);
    for (int v = 0; v < 4; ++v) expect_colour(m.colours[v], 0, 1, 0, 1);

    Mesh empty;
    colour_by_morphogens(empty, MixMode::Additive, std::vector<int>{1}, std::vector<Rgb>{red},
                         black);
    EXPECT_TRUE(empty.colours.empty());
}

TEST(MorphogenColours, NamesStartRedAndOff) {
    MorphogenSetting s;
    s.mixmode = 1;
    s.defaultcolour = blue;
    s.colours = {green};
    s.tooglestates = {1};
    set_morphogen_names(s, {"a", "b"});
    EXPECT_EQ(s.names, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(s.colours, (std::vector<Rgb>{red, red}));
    EXPECT_EQ(s.tooglestates, (std::vector<int>{0, 0}));
    EXPECT_EQ(s.mixmode, 1);
    EXPECT_EQ(s.defaultcolour, blue);
}

// The same bits as the step-by-step version, on random rows of random lengths (values
// around zero, NaN among them) with random settings.
TEST(MorphogenColours, MatchesTheStepByStepVersionOnRandomMeshes) {
    std::mt19937 rng(14);
    std::uniform_real_distribution<float> value(-0.5f, 2.0f);
    std::uniform_int_distribution<int> channel(0, 255), state(-1, 2), length(0, 7);
    for (int round = 0; round < 200; ++round) {
        int nv = std::uniform_int_distribution<int>(0, 60)(rng);
        std::vector<std::vector<float>> rows(
            size_t(std::uniform_int_distribution<int>(0, nv)(rng)));
        for (auto& row : rows) {
            row.resize(size_t(length(rng)));
            for (float& v : row) v = rng() % 17 == 0 ? NAN : value(rng);
        }
        size_t n = size_t(length(rng));
        std::vector<int> states(n);
        std::vector<Rgb> colours(n);
        for (size_t i = 0; i < n; ++i) {
            states[i] = state(rng);
            colours[i] = {channel(rng), channel(rng), channel(rng)};
        }
        Rgb base{channel(rng), channel(rng), channel(rng)};
        int mixmode = int(rng() % 3);

        Mesh fast, literal;
        fast.alloc_vertices(nv);
        literal.alloc_vertices(nv);
        fast.morphogens = literal.morphogens = rows;
        colour_by_morphogens(fast, mix_mode(mixmode), states, colours, base);
        colour_by_morphogens_literal(literal, mixmode, states, colours, base);
        for (int v = 0; v < nv; ++v)
            ASSERT_TRUE(same_bits(fast.colours[v], literal.colours[v])) << round << " " << v;
    }
}

// The bundled samples with their own settings, and every real mesh with values made
// from its coordinates, in both modes.
TEST(MorphogenColours, MatchesTheStepByStepVersionOnRealMeshes) {
    std::vector<std::string> paths;
    for (const char* name : {"morphogens/spot_morphogens.obj", "morphogens/plane_morphogens.obj"})
        paths.push_back(bundled_data(name));
    for (const std::string& name : real_mesh_names()) paths.push_back(real_mesh(name));
    int checked = 0;
    for (const std::string& path : paths) {
        Mesh m;
        {
            ConsoleCapture quiet;
            if (!read_mesh_file(m, path)) continue;
        }
        if (m.morphogen_names.empty()) {
            for (int v = 0; v < m.nv; ++v)
                m.morphogens[v] = {m.vertices[v].x, m.vertices[v].y, -m.vertices[v].z};
        }
        size_t n = m.morphogens.empty() ? 0 : m.morphogens[0].size();
        std::vector<int> states(n, 1);
        if (n > 1) states[1] = 0;
        std::vector<Rgb> colours;
        for (size_t i = 0; i < n; ++i)
            colours.push_back({int(40 * i) % 256, 200, int(255 - 30 * i) % 256});
        for (int mixmode : {0, 1}) {
            Mesh literal = m.clone();
            literal.morphogens = m.morphogens;
            colour_by_morphogens(m, mix_mode(mixmode), states, colours, {10, 20, 30});
            colour_by_morphogens_literal(literal, mixmode, states, colours, {10, 20, 30});
            for (int v = 0; v < m.nv; ++v)
                ASSERT_TRUE(same_bits(m.colours[v], literal.colours[v])) << path << " " << v;
        }
        ++checked;
    }
    EXPECT_GE(checked, 2);
}
