// A long operation stopped at any of its checkpoints leaves the document exactly as it
// was, and the same operation run again afterwards gives what it always gives.
#include "tests/document/document_test_util.h"

#include <filesystem>

namespace {

using Begin = std::function<std::unique_ptr<Task>(DocumentFixture&)>;
using Prepare = std::function<void(DocumentFixture&)>;

struct Cancellable {
    const char* name;
    const char* mesh; // in data/
    Begin begin;
    Prepare prepare = [](DocumentFixture&) {};
};

RgbImage ramp() {
    RgbImage image{32, 32, std::vector<uint8_t>(32 * 32 * 3)};
    for (size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = uint8_t(i % 251);
    return image;
}

MorphogenSetting all_on(const Document& d) {
    MorphogenSetting s = d.morphogens;
    s.tooglestates.assign(s.names.size(), 1);
    return s;
}

const Cancellable tasks[] = {
    {"open", "cube.obj",
     [](DocumentFixture& f) { return f.doc.open_task(bundled_data("spot.obj")); }},
    {"reload", "spot.obj", [](DocumentFixture& f) { return f.doc.reload_task(); },
     [](DocumentFixture& f) { f.doc.simplify(50); }},
    {"terrain", "cube.obj",
     [](DocumentFixture& f) {
         return f.doc.terrain_task(ramp(), TerrainSettings{96, 100, 20}, ColourMap::initial());
     }},
    {"simplify", "spot.obj", [](DocumentFixture& f) { return f.doc.simplify_task(30); }},
    {"subdivide", "spot.obj", [](DocumentFixture& f) { return f.doc.subdivide_task(1, 0); }},
    {"classify", "morphogens/plane_morphogens.obj",
     [](DocumentFixture& f) { return f.doc.classify_task(); }},
    {"recluster", "morphogens/plane_morphogens.obj",
     [](DocumentFixture& f) { return f.doc.recluster_task(7); },
     [](DocumentFixture& f) { f.doc.classify(); }},
    {"median filter", "spot.obj",
     [](DocumentFixture& f) { return f.doc.filter_task(Vector(3, 0, 0, 1), FilterMode::Median); }},
    {"mean shift", "spot.obj",
     [](DocumentFixture& f) {
         return f.doc.filter_task(Vector(10, 0, 0, 1), FilterMode::MeanShift);
     }},
    {"morphogens", "morphogens/spot_morphogens.obj",
     [](DocumentFixture& f) { return f.doc.morphogen_task(all_on(f.doc)); }},
    {"segments", "spot.obj",
     [](DocumentFixture& f) {
         static SegmentFiles files;
         return f.doc.save_segments_task(f.dir.path.string(), files);
     },
     [](DocumentFixture& f) {
         f.doc.select_face(9);
         f.doc.traverse(20, 40);
         f.doc.mark_current();
     }},
    {"save", "spot.obj",
     [](DocumentFixture& f) {
         return f.doc.save_task(f.dir.file("target.obj"), true, SaveFormat::Obj);
     }},
    // Our own binary writer and one through Assimp, into the same file.
    {"save ply", "spot.obj",
     [](DocumentFixture& f) {
         return f.doc.save_task(f.dir.file("target.obj"), true, SaveFormat::Ply);
     }},
    {"save glb", "spot.obj",
     [](DocumentFixture& f) {
         return f.doc.save_task(f.dir.file("target.obj"), true, SaveFormat::Glb);
     }},
};

// The first line where two states differ, both ways, or "" when they are the same.
std::string first_difference(const std::string& a, const std::string& b) {
    if (a == b) return "";
    size_t k = 0;
    while (k < a.size() && k < b.size() && a[k] == b[k]) ++k;
    size_t start = a.rfind('\n', k);
    start = start == std::string::npos ? 0 : start + 1;
    auto line = [&](const std::string& s) { return s.substr(start, s.find('\n', k) - start); };
    return line(a) + "\n  instead of\n" + line(b);
}

void PrintTo(const Cancellable& c, std::ostream* os) {
    *os << c.name;
}

class Cancel : public testing::TestWithParam<Cancellable> {};

TEST_P(Cancel, AtAnyCheckpointLeavesTheDocumentAsItWas) {
    const Cancellable& c = GetParam();
    DocumentFixture f;
    ASSERT_TRUE(f.open_data(c.mesh));
    std::ofstream(f.dir.file("target.obj")) << "the old file\n";
    // A whole run, to count its checkpoints and know its result.
    int64_t checkpoints = 0;
    {
        DocumentFixture g;
        ASSERT_TRUE(g.open_data(c.mesh));
        c.prepare(g);
        std::unique_ptr<Task> task = c.begin(g);
        Work work;
        g.doc.run_now(std::move(task), &work);
        checkpoints = work.checkpoints_passed();
        EXPECT_DOUBLE_EQ(work.fraction(), 1.0);
    }
    ASSERT_GT(checkpoints, 0) << "no checkpoint at all";
    // Where a second thread shares the work, the caller's thread passes a varying number
    // of checkpoints: the points stay within the first half.
    for (int64_t at : {int64_t(1), checkpoints / 4 + 1, checkpoints / 2 + 1}) {
        std::string before;
        c.prepare(f);
        before = state_of(f); // new segment colours each time: mark_current draws them
        std::unique_ptr<Task> task = c.begin(f);
        int steps = f.doc.history.done_count();
        Work work;
        work.stop_at_checkpoint(at);
        EXPECT_THROW(f.doc.run_now(std::move(task), &work), WorkStopped) << "at " << at;
        EXPECT_EQ(first_difference(state_of(f), before), "")
            << "stopped at " << at << " of " << checkpoints;
        EXPECT_EQ(f.doc.history.done_count(), steps);
        // No file is replaced, and no temporary file stays.
        std::string old;
        read_file(f.dir.file("target.obj"), old);
        EXPECT_EQ(old, "the old file\n");
        for (const auto& entry : std::filesystem::directory_iterator(f.dir.path))
            EXPECT_TRUE(entry.path().filename() == "target.obj" ||
                        entry.path().filename() == "saved.obj")
                << entry.path();
        // As opened again, for the preparation of the next round.
        while (f.doc.history.can_undo()) f.doc.undo();
        f.doc.history.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLongTool, Cancel, testing::ValuesIn(tasks),
                         [](const testing::TestParamInfo<Cancellable>& param) {
                             std::string name = param.param.name;
                             std::erase(name, ' ');
                             return name;
                         });

} // namespace
