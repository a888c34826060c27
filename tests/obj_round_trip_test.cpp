// Saving a mesh as OBJ and reading it back. The writer keeps six significant digits
// (in exponent form for very small and very large values, which the reader takes
// back), so a reloaded mesh has the same faces and its positions, colours and
// morphogen values agree with the saved ones to six digits.
#include "core/text_file.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Half a unit in the sixth significant digit, plus the rounding to float when the
// text is read back. A zero on either side allows at most 1e-30 on the other.
bool six_digits_equal(float a, float b) {
    if (a == b) return true;
    float diff = std::fabs(a - b);
    if (a == 0 || b == 0) return diff <= 1e-30f;
    return diff <= (5e-6f + FLT_EPSILON) * std::max(std::fabs(a), std::fabs(b));
}

std::string show(const Vector& v) {
    std::ostringstream s;
    s.precision(9);
    s << "(" << v.x << ", " << v.y << ", " << v.z << ", " << v.w << ")";
    return s.str();
}

// Positions or colours agreeing in x, y and z to six digits; w must match exactly
// (the reader sets it to 1 either way).
testing::AssertionResult six_digits_equal(const char* what, const std::vector<Vector>& saved,
                                          const std::vector<Vector>& loaded) {
    if (saved.size() != loaded.size())
        return testing::AssertionFailure()
               << what << ": " << loaded.size() << " read back, " << saved.size() << " saved";
    for (size_t i = 0; i < saved.size(); ++i) {
        const Vector &a = saved[i], &b = loaded[i];
        if (!six_digits_equal(a.x, b.x) || !six_digits_equal(a.y, b.y) ||
            !six_digits_equal(a.z, b.z) || a.w != b.w)
            return testing::AssertionFailure()
                   << what << " " << i << " saved as " << show(a) << ", read back as " << show(b);
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult same_faces(const Mesh& saved, const Mesh& loaded) {
    if (saved.nf != loaded.nf)
        return testing::AssertionFailure()
               << loaded.nf << " faces read back, " << saved.nf << " saved";
    for (int i = 0; i < saved.nf; ++i) {
        const int *a = saved.faces[i].vindex, *b = loaded.faces[i].vindex;
        if (!std::equal(a, a + 3, b))
            return testing::AssertionFailure()
                   << "face " << i << " saved as (" << a[0] << ", " << a[1] << ", " << a[2]
                   << "), read back as (" << b[0] << ", " << b[1] << ", " << b[2] << ")";
    }
    return testing::AssertionSuccess();
}

IoResult quiet_load(Mesh& m, const std::string& path) {
    ConsoleCapture quiet;
    return m.load_obj(path);
}

IoResult quiet_save(const Mesh& m, const std::string& path, bool with_colours = false) {
    ConsoleCapture quiet;
    return m.save_obj(path, with_colours);
}

std::string file_text(const std::string& path) {
    std::string text;
    EXPECT_TRUE(read_file(path, text)) << path;
    return text;
}

// ---------------------------------------------------------------------------
// Every shared test mesh

// Saves `m` as `path`, reads it back, and expects the same faces and the vertices to
// six significant digits.
void expect_round_trip(const Mesh& m, const std::string& path) {
    IoResult saved = quiet_save(m, path);
    ASSERT_TRUE(saved) << saved.error;
    Mesh back;
    IoResult loaded = quiet_load(back, path);
    ASSERT_TRUE(loaded) << loaded.error;
    ASSERT_EQ(back.nv, m.nv);
    EXPECT_TRUE(same_faces(m, back));
    EXPECT_TRUE(six_digits_equal("vertex", m.vertices, back.vertices));
}

class SharedMeshRoundTrip : public testing::TestWithParam<std::string> {
  protected:
    // Loads the shared mesh into `first`, skipping the test when there is nothing to
    // round-trip; a mesh without faces is not written at all.
    void load_first() {
        std::string path = real_mesh(GetParam());
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is missing";
        if (IoResult r = quiet_load(first, path); !r) GTEST_SKIP() << "does not load: " << r.error;
        if (first.nv == 0 || first.nf == 0) GTEST_SKIP() << "no vertices or no faces to save";
    }

    Mesh first;
    TempDir dir;
};

TEST_P(SharedMeshRoundTrip, PositionsAndFacesSurvive) {
    load_first();
    if (IsSkipped()) return;
    expect_round_trip(first, dir.file("saved.obj"));
}

// A six-digit decimal read into a float prints back as the same six digits, so the
// second save of a mesh writes exactly the text of the first.
TEST_P(SharedMeshRoundTrip, SecondSaveWritesTheSameText) {
    load_first();
    if (IsSkipped()) return;
    std::string once = dir.file("once.obj"), twice = dir.file("twice.obj");
    ASSERT_TRUE(quiet_save(first, once, true));
    Mesh second;
    IoResult loaded = quiet_load(second, once);
    ASSERT_TRUE(loaded) << loaded.error;
    ASSERT_TRUE(quiet_save(second, twice, true));

    std::string a = file_text(once), b = file_text(twice);
    if (a != b) {
        auto [pa, pb] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
        size_t at = a.rfind('\n', pa - a.begin());
        at = at == std::string::npos ? 0 : at + 1;
        FAIL() << "the texts part at byte " << (pa - a.begin()) << ", first save: \""
               << a.substr(at, a.find('\n', at) - at) << "\", second: \""
               << b.substr(at, b.find('\n', at) - at) << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(Meshes, SharedMeshRoundTrip, testing::ValuesIn(real_mesh_names()),
                         test_name_of);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SharedMeshRoundTrip);

// ---------------------------------------------------------------------------
// Colours

class ColourRoundTrip : public testing::Test {
  protected:
    void SetUp() override {
        std::string path = real_mesh("cube_vertex_colors.obj");
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is missing";
        IoResult r = quiet_load(cube, path);
        ASSERT_TRUE(r) << r.error;
        ASSERT_GT(cube.nf, 0);
    }

    // Saves `cube` with colour lines and reads it back into `back`.
    void round_trip() {
        std::string path = dir.file("colours.obj");
        IoResult saved = quiet_save(cube, path, true);
        ASSERT_TRUE(saved) << saved.error;
        IoResult loaded = quiet_load(back, path);
        ASSERT_TRUE(loaded) << loaded.error;
        ASSERT_EQ(back.nv, cube.nv);
    }

    Mesh cube, back;
    TempDir dir;
};

TEST_F(ColourRoundTrip, ColoursFromTheFileSurvive) {
    // The cube gives its colours after each position; they must not all be the default.
    Vector blank;
    ASSERT_TRUE(std::any_of(cube.colours.begin(), cube.colours.end(),
                            [&](const Vector& c) { return c != blank; }));
    round_trip();
    EXPECT_TRUE(same_faces(cube, back));
    EXPECT_TRUE(six_digits_equal("vertex", cube.vertices, back.vertices));
    EXPECT_TRUE(six_digits_equal("colour", cube.colours, back.colours));
}

TEST_F(ColourRoundTrip, FractionalColoursKeepSixDigits) {
    const float shades[] = {1.0f / 3, 2.0f / 3, 0.123456789f, 0.999999f, 1e-7f, 0.5f, 0.0f, 0.7f};
    for (int v = 0; v < cube.nv; ++v) {
        Vector& c = cube.colours[v];
        c.x = shades[v % 8];
        c.y = shades[(v + 3) % 8];
        c.z = shades[(v + 5) % 8];
    }
    round_trip();
    EXPECT_TRUE(six_digits_equal("colour", cube.colours, back.colours));
}

TEST_F(ColourRoundTrip, SavedWithoutColoursReadsBackGrey) {
    std::string path = dir.file("plain.obj");
    ASSERT_TRUE(quiet_save(cube, path));
    ASSERT_TRUE(quiet_load(back, path));
    Vector grey = default_vertex_colour();
    for (int v = 0; v < back.nv; ++v)
        EXPECT_TRUE(back.colours[v] == grey && back.colours[v].w == grey.w)
            << "colour " << v << " read back as " << show(back.colours[v]);
}

// ---------------------------------------------------------------------------
// Positions across the float range

TEST(ObjRoundTrip, PositionsAcrossTheFloatRange) {
    const float values[] = {
        FLT_MAX, -FLT_MAX, FLT_MIN,    -FLT_MIN,   FLT_TRUE_MIN, 3 * FLT_TRUE_MIN,
        1e-7f,   -1.5e-7f, 1e-5f,      0.0001f,    9.999995e-5f, 0.5f,
        -0.0f,   0.0f,     999999.5f,  1234567.0f, 1e6f,         -123456789.0f,
        1e20f,   2.5e-30f, 1.0000001f, 100000.0f,  3.14159265f,  -1.1754944e-38f,
    };
    constexpr int n = sizeof values / sizeof values[0];
    static_assert(n % 3 == 0);
    Mesh m;
    m.alloc_vertices(n / 3);
    for (int v = 0; v < n / 3; ++v)
        m.vertices[v] = Vector(values[3 * v], values[3 * v + 1], values[3 * v + 2], 1.0f);
    m.alloc_faces(n / 3);
    for (int i = 0; i < n / 3; ++i)
        for (int k = 0; k < 3; ++k) m.faces[i].vindex[k] = (i + k) % (n / 3);
    m.link_faces();

    TempDir dir;
    expect_round_trip(m, dir.file("range.obj"));
}

} // namespace
