// The OBJ parse in two parts on two threads, and the reading of the plainest lines
// straight from the text, give exactly the parse in one part with every line read the
// general way: the mesh word for word, the console lines, the warnings and the error
// with its line, on every real mesh split at several places and on crafted texts split
// at every byte (a line end just before the split, a CR LF across it, a last line
// without an end).
#include "core/obj_parts.h"
#include "core/text_file.h"
#include "tests/mesh_words.h"
#include "tests/real_meshes.h"
#include "tests/test_util.h"

#include <random>
#include <span>

namespace {

struct PartsRead {
    bool ok = false;
    std::string error, console, warnings;
    std::vector<uint64_t> words;
};

PartsRead read_in_parts(std::string_view text, size_t split, ObjLines lines = ObjLines::Plain) {
    PartsRead out;
    Mesh m;
    ConsoleCapture console;
    testing::internal::CaptureStderr();
    IoResult r = load_obj_text_in_parts(m, text, "parts.obj", split, nullptr, lines);
    out.warnings = testing::internal::GetCapturedStderr();
    out.console = console.text();
    out.ok = bool(r);
    out.error = r.error;
    out.words = mesh_words(m);
    return out;
}

testing::AssertionResult same_reads(const PartsRead& one, const PartsRead& two,
                                    const std::string& how) {
    auto differs = [&](const char* what) {
        return testing::AssertionFailure() << what << " differ " << how;
    };
    if (one.ok != two.ok || one.error != two.error)
        return differs("errors") << ": \"" << one.error << "\" and \"" << two.error << "\"";
    if (one.warnings != two.warnings) return differs("warnings") << ":\n" << two.warnings;
    if (one.console != two.console) return differs("console lines");
    if (one.words != two.words) return differs("meshes");
    return testing::AssertionSuccess();
}

testing::AssertionResult same_in_parts(std::string_view text, size_t split) {
    return same_reads(read_in_parts(text, 0), read_in_parts(text, split),
                      "with the split at " + std::to_string(split));
}

testing::AssertionResult same_as_general(std::string_view text) {
    return same_reads(read_in_parts(text, 0, ObjLines::General), read_in_parts(text, 0),
                      "read the general way");
}

std::string many_warnings() {
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    for (int i = 0; i < 30; ++i) text += i % 2 ? "f 1 2\n" : "f 1 x 3\n";
    return text + "f 1 2 3";
}

const std::string crafted[] = {
    // Every line end, a warning, a vertex counted back, no end to the last line.
    "v 0 0 0\nv 1 0 0\r\nv 0 1 0\rv 1 1 0\nf 1 2 3\r\nf 2 4 3\nf 1 2\nf 1 2 -1\nf 4 3 2",
    // A vertex number beyond the file's vertices, found only at the end.
    "v 0 0 0\nf 1 2 3\nv 1 0 0\nv 0 1 0\nf 1 2 9\nf 1 2 3\n",
    // One counted back past the first vertex, before one beyond the end.
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -7\nf 1 2 5\nv 1 1 1\n",
    // Registers carried from line to line, morphogens, colours, notations again.
    "mn a b\nv 1 2 3\nm 4\nvc 1 0 0\nv .5 1e0 2\nf 1 2 3\nfc\nf 1/1/1 2/2/2 3/3/3\nm\nvc 0.5\n",
    // Faces only after blank and comment lines, their notation found late.
    "v 0 0 0\nv 1 0 0\nv 0 1 0\n\n# c\n\nf 1//1 2//2 3//3\nf 3 2 1\nf\nf1 2 3\n",
    "v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 3\r\nf 3 2 1\r\n",
    "\xEF\xBB\xBFv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 3 2\n",
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nv 1e999 0 0\nf 1 2 3\n",
    "v 0 0 0 1 0.5 0\nv 1 0 0 0 1 0\nv 0 1 0\nf 1 2 3\nv 2 2 2 255 0 0\nf 4 2 3 1\n",
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3 0\nf 1 2 4000000000\n",
    // A colour line that keeps two registers of the vertex before it.
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 7 8 9\nvc 0.5\nf 1 2 3\n",
    many_warnings(),
};

// Lines next to the plainest kind, which the general reading takes, each after a face
// that sets the notation (only the faces after one are read the plain way).
const std::string almost_plain[] = {
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 1\nf 1 2 3\nf 1 2 3 # c\nf 1 2#3 4\nf 1/2/3 2//5 3/7/\n",
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 0001 2 3\nf 1.5 2 3\nf 1. 2 3\nf 1- 2 3\nf 1e1 2 3\n",
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1.9e10 2 3\n",
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 3 4\nf 1x 2y 3z\nf +1 2 3\nf 1 2 1000000000\n",
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 3 999999999\nf 1 2\n",
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 0\n",
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 4000000000\n",
    "v 1 2 3 \f\nv\t1\t2\t3\nv  1 2 3\nv 1 2 3 4\nv 1 2\nv .5 -.5 5.\nv 1 2 3\r\n"
    "f 1 2 3\nf\t1\t2\t3\f\r\nf 1 2 3\rf 1 2 3",
    "v 1 2 3x\nv 1e5 2 3\nv 1 2 3#\nv 1 2 3 # c\nv 123456789012345678 1 1\nv 1e39 0 0\n",
    "f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 7\n",
};

TEST(ObjParts, CraftedTextsSplitAtEveryByte) {
    for (std::span<const std::string> texts :
         {std::span<const std::string>(crafted), std::span<const std::string>(almost_plain)})
        for (const std::string& text : texts) {
            ASSERT_TRUE(same_as_general(text)) << text;
            for (size_t split = 1; split <= text.size(); ++split)
                ASSERT_TRUE(same_in_parts(text, split)) << text;
        }
}

// Random grids with holes, split at random places.
TEST(ObjParts, RandomGrids) {
    std::mt19937 rng(27);
    for (int round = 0; round < 20; ++round) {
        std::string text;
        int n = 3 + int(rng() % 30);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                text += "v " + std::to_string(x) + " " + std::to_string(y) + " " +
                        std::to_string(rng() % 100) + (rng() % 7 ? "\n" : "\r\n");
        for (int y = 0; y + 1 < n; ++y)
            for (int x = 0; x + 1 < n; ++x) {
                if (rng() % 10 == 0) continue;
                int a = y * n + x + 1;
                text += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " +
                        std::to_string(a + n) + (rng() % 9 ? "\n" : "\r\n");
            }
        ASSERT_TRUE(same_as_general(text));
        for (int k = 0; k < 5; ++k) ASSERT_TRUE(same_in_parts(text, rng() % text.size()));
    }
}

class ObjPartsOnRealMeshes : public testing::TestWithParam<std::string> {};

TEST_P(ObjPartsOnRealMeshes, SameAsOnePart) {
    std::string path = real_mesh(GetParam());
    if (path.empty()) GTEST_SKIP() << missing_mesh(GetParam());
    std::string text;
    ASSERT_TRUE(read_file(path, text));
    EXPECT_TRUE(same_as_general(text));
    for (size_t split : {text.size() / 2, text.size() / 3, text.size() - text.size() / 10})
        EXPECT_TRUE(same_in_parts(text, split));
}

INSTANTIATE_TEST_SUITE_P(Meshes, ObjPartsOnRealMeshes, testing::ValuesIn(real_mesh_names()),
                         test_name_of);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ObjPartsOnRealMeshes);

} // namespace
