// The progress and stop hooks of the readers, the writer, the mesh tools, the terrain and
// the segment export: a run with a Work gives exactly what a run without one gives (the
// console lines too), its progress never goes back and ends at 1, and a stop at any of its
// checkpoints throws WorkStopped and leaves the inputs and the files as they were.
#include "core/mesh_file.h"
#include "core/text_file.h"
#include "core/work.h"
#include "random_meshes.h"
#include "segmentation/segments.h"
#include "terrain/colour_map.h"
#include "terrain/terrain_grid.h"
#include "test_util.h"
#include "tools/edge_traversal.h"
#include "tools/morphogen_colours.h"
#include "tools/quadric_simplify.h"
#include "tools/simplify.h"
#include "tools/subdivide.h"

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

namespace work_hooks {

using Run = std::function<void(Work*)>;

// Runs `run` with `work` on a thread of its own while this one watches the progress.
void run_watched(const Run& run, Work& work) {
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::thread computing([&] {
        try {
            run(&work);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });
    double last = 0;
    bool went_back = false;
    while (!done) {
        double now = work.fraction();
        went_back |= now < last;
        last = now;
    }
    computing.join();
    if (failure) std::rethrow_exception(failure);
    EXPECT_FALSE(went_back);
    EXPECT_EQ(work.fraction(), 1.0);
}

// Runs `run` without a Work and then, watched, with one, the console captured: both
// runs print the same. `run` keeps each run's result for the test to compare.
void expect_same_console(const Run& run) {
    std::string plain, with;
    {
        ConsoleCapture console;
        run(nullptr);
        plain = console.text();
    }
    {
        ConsoleCapture console;
        Work work;
        run_watched(run, work);
        with = console.text();
    }
    EXPECT_EQ(with, plain);
}

// Runs `run` once in full, then stopped at checkpoints spread over that run's: each
// stopped run throws WorkStopped, and `untouched` checks what it must have left. Where
// threads share the work the number of checkpoints varies from run to run, and only the
// first `fixed` are sure to be reached; a run that passes fewer than its stop's number
// must then have run to its end.
void expect_stops(const Run& run, const std::function<void()>& untouched,
                  int64_t fixed = INT64_MAX) {
    Work full;
    run_watched(run, full);
    const int64_t n = full.checkpoints_passed();
    ASSERT_GE(n, 3) << "too few checkpoints to stop at";
    std::set<int64_t> at = {1, 2, n / 4, n / 3, n / 2, 2 * n / 3, 3 * n / 4, n - 1, n};
    for (int64_t k : at) {
        if (k < 1) continue;
        SCOPED_TRACE("stopped at checkpoint " + std::to_string(k) + " of " + std::to_string(n));
        Work stopped;
        stopped.stop_at_checkpoint(k);
        bool thrown = false;
        try {
            run(&stopped);
        } catch (const WorkStopped&) {
            thrown = true;
        }
        if (!thrown && k > fixed && stopped.checkpoints_passed() < k) {
            EXPECT_EQ(stopped.fraction(), 1.0);
            continue; // ran to its end before the stop
        }
        EXPECT_TRUE(thrown);
        EXPECT_EQ(stopped.checkpoints_passed(), k);
        untouched();
    }
}

uint32_t bits(float f) {
    return std::bit_cast<uint32_t>(f);
}

testing::AssertionResult same_vectors(const std::vector<Vector>& a, const std::vector<Vector>& b,
                                      const char* what) {
    if (a.size() != b.size())
        return testing::AssertionFailure() << what << ": " << a.size() << " and " << b.size();
    for (size_t i = 0; i < a.size(); ++i)
        for (int c = 0; c < 4; ++c)
            if (bits((&a[i].x)[c]) != bits((&b[i].x)[c]))
                return testing::AssertionFailure() << what << " " << i << " component " << c;
    return testing::AssertionSuccess();
}

bool same_lists(const NeighbourLists& a, const NeighbourLists& b) {
    if (a.offsets != b.offsets || a.refs.size() != b.refs.size()) return false;
    for (size_t i = 0; i < a.refs.size(); ++i)
        if (a.refs[i].edge != b.refs[i].edge || a.refs[i].end != b.refs[i].end) return false;
    return true;
}

// Everything two meshes hold, bit for bit, and which of their derived data is current.
testing::AssertionResult identical(const Mesh& a, const Mesh& b) {
    if (a.nv != b.nv || a.nf != b.nf || a.nedges != b.nedges)
        return testing::AssertionFailure() << "counts";
    for (auto [x, y, what] : {std::tuple{&a.vertices, &b.vertices, "vertices"},
                              {&a.normals, &b.normals, "normals"},
                              {&a.colours, &b.colours, "colours"},
                              {&a.texcoords, &b.texcoords, "texcoords"},
                              {&a.centroids, &b.centroids, "centroids"}})
        if (auto r = same_vectors(*x, *y, what); !r) return r;
    for (int i = 0; i < a.nf; ++i) {
        const Face &f = a.faces[i], &g = b.faces[i];
        if (!std::equal(f.vindex, f.vindex + 3, g.vindex) || f.marked != g.marked ||
            f.segment != g.segment || !same_vectors({f.normal, f.colour}, {g.normal, g.colour}, ""))
            return testing::AssertionFailure() << "face " << i;
    }
    if (a.morphogens != b.morphogens || a.morphogen_names != b.morphogen_names)
        return testing::AssertionFailure() << "morphogens";
    if (a.edges != b.edges || a.edgefaces != b.edgefaces ||
        !same_lists(a.vertexneighbours, b.vertexneighbours) ||
        !same_lists(a.faceneighbours, b.faceneighbours) ||
        !same_lists(a.face_adjacency, b.face_adjacency))
        return testing::AssertionFailure() << "edge list";
    std::vector<Vector> box_a(a.bbox.begin(), a.bbox.end()), box_b(b.bbox.begin(), b.bbox.end());
    if (!same_vectors(box_a, box_b, "") || bits(a.extent) != bits(b.extent) ||
        !same_vectors({a.centre}, {b.centre}, "") || a.selectedface != b.selectedface)
        return testing::AssertionFailure() << "box, extent, centre or selection";
    for (int flag = MESH_CENTRE; flag <= MESH_BB; ++flag)
        if (a.derived_current(flag) != b.derived_current(flag))
            return testing::AssertionFailure() << build_flag_name(flag) << " current in one only";
    if (a.edge_list_current() != b.edge_list_current())
        return testing::AssertionFailure() << "edge list current in one only";
    return testing::AssertionSuccess();
}

// An n x n grid over a bumpy surface, with colours and three morphogens per vertex.
Mesh bumpy_grid(int n) {
    Mesh m;
    m.alloc_vertices(n * n);
    m.morphogens.resize(size_t(n) * n);
    m.morphogen_names = {"a", "b", "c"};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            int v = i * n + j;
            float x = float(j) / float(n), y = float(i) / float(n);
            m.vertices[v] = Vector(x, std::sin(7 * x) * std::cos(5 * y) * 0.2f, y);
            m.colours[v] = Vector(x, y, 0.5f, 1);
            m.morphogens[v] = {std::sin(11 * x), std::cos(13 * y) - 0.2f, x * y};
        }
    m.alloc_faces(2 * (n - 1) * (n - 1));
    int f = 0;
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j + 1 < n; ++j) {
            int a = i * n + j, b = a + 1, c = a + n, d = c + 1;
            for (Tri t : {Tri{a, c, d}, Tri{a, d, b}})
                std::copy(t.begin(), t.end(), m.faces[f++].vindex);
        }
    m.link_faces();
    return m;
}

Mesh copy_of(const Mesh& m) {
    Mesh c = m.clone();
    c.morphogens = m.morphogens;
    return c;
}

std::string contents(const std::string& path) {
    std::string text;
    read_file(path, text);
    return text;
}

void put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The names in the folder.
std::set<std::string> names_in(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        names.insert(entry.path().filename().string());
    return names;
}

// OBJ and NET files of the bumpy grid, with colours and morphogens in the OBJ.
void write_grid_files(const TempDir& dir, int n) {
    Mesh m = bumpy_grid(n);
    ConsoleCapture quiet;
    ASSERT_TRUE(m.save_obj(dir.file("grid.obj"), true));
    std::string net;
    char line[128];
    for (const Vector& p : m.vertices) {
        std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", double(p.x), double(p.y),
                      double(p.z));
        net += line;
    }
    for (const Face& f : m.faces) {
        std::snprintf(line, sizeof line, "f %d %d %d\n", f.vindex[0], f.vindex[1], f.vindex[2]);
        net += line;
    }
    put(dir.file("grid.net"), net);
}

TEST(WorkHooks, ReadingGivesTheSameMeshAndAStopLeavesItEmpty) {
    TempDir dir;
    write_grid_files(dir, 64); // 12,000 lines of each
    for (const char* name : {"grid.obj", "grid.net"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        for (bool builds : {false, true}) {
            auto read = [&](Mesh& m, Work* w) {
                return builds ? load_mesh_file(m, path, w) : read_mesh_file(m, path, w);
            };
            Mesh plain, with;
            expect_same_console([&](Work* w) { ASSERT_TRUE(read(w ? with : plain, w)); });
            EXPECT_TRUE(identical(with, plain));

            Mesh target;
            expect_stops(
                [&](Work* w) {
                    ConsoleCapture quiet;
                    target = bumpy_grid(4); // something to clear
                    read(target, w);
                },
                [&] {
                    EXPECT_EQ(target.nv, 0);
                    EXPECT_EQ(target.nf, 0);
                    EXPECT_TRUE(target.vertices.empty() && target.faces.empty());
                    EXPECT_TRUE(target.morphogens.empty());
                });
        }
    }
}

TEST(WorkHooks, TheBuildsOfALoadedMeshStopBetweenBuildsOnly) {
    Mesh read;
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(read_mesh_file(read, bundled_data("spot.obj")));
    }
    Mesh plain = copy_of(read), with = copy_of(read);
    expect_same_console([&](Work* w) { build_loaded_mesh(w ? with : plain, w); });
    EXPECT_TRUE(identical(with, plain));

    Mesh m;
    std::string console_text;
    expect_stops(
        [&](Work* w) {
            m = copy_of(read);
            ConsoleCapture console;
            try {
                build_loaded_mesh(m, w);
            } catch (const WorkStopped&) {
                console_text = console.text();
                throw;
            }
        },
        [&] {
            EXPECT_TRUE(same_vectors(m.vertices, read.vertices, "vertices"));
            EXPECT_EQ(faces_of(m), faces_of(read));
            // The builds done are as a full run makes them; the progress line ends.
            if (m.edge_list_current()) {
                EXPECT_EQ(m.edges, plain.edges);
            }
            if (m.derived_current(MESH_CENTROIDS)) {
                EXPECT_TRUE(same_vectors(m.centroids, plain.centroids, "centroids"));
            }
            EXPECT_EQ(console_text.substr(console_text.size() - 2), "\n\n");
        });
}

// A stopped edge list is none, not half of one, even where one was current before.
TEST(WorkHooks, AStoppedEdgeListIsEmptyAndNotCurrent) {
    Mesh plain = bumpy_grid(60);
    plain.build_edge_list();
    Mesh with = bumpy_grid(60);
    Work work;
    run_watched([&](Work* w) { with.build_edge_list(w); }, work);
    EXPECT_TRUE(identical(with, plain));

    Mesh m;
    expect_stops(
        [&](Work* w) {
            m = copy_of(plain);
            m.build_edge_list(w);
        },
        [&] {
            EXPECT_FALSE(m.edge_list_current());
            EXPECT_FALSE(m.derived_current(MESH_EDGE_LIST));
            EXPECT_EQ(m.nedges, 0);
            EXPECT_TRUE(m.edges.empty() && m.edgefaces.empty());
            EXPECT_EQ(m.vertexneighbours.size() + m.faceneighbours.size(), 0);
            EXPECT_EQ(m.face_adjacency.size(), 0);
        });
}

TEST(WorkHooks, SavingWritesTheSameFileAndAStopLeavesTheOldOne) {
    TempDir dir;
    const std::string path = dir.file("mesh.obj");
    const std::string old = "old content\n";
    Mesh m = bumpy_grid(64); // 12,000 lines
    for (bool colours : {false, true}) {
        std::string plain;
        expect_same_console([&](Work* w) {
            put(path, old);
            ASSERT_TRUE(m.save_obj(path, colours, w));
            if (!w) plain = contents(path);
        });
        EXPECT_EQ(contents(path), plain);

        put(path, old);
        std::string console_text;
        expect_stops(
            [&](Work* w) {
                ConsoleCapture console;
                try {
                    m.save_obj(path, colours, w);
                } catch (const WorkStopped&) {
                    console_text = console.text();
                    throw;
                }
                put(path, old); // the full run replaced it
            },
            [&] {
                EXPECT_EQ(contents(path), old);
                EXPECT_EQ(names_in(dir), std::set<std::string>{"mesh.obj"});
                EXPECT_EQ(console_text.substr(console_text.size() - 9), " stopped\n");
            });
    }
}

TEST(WorkHooks, SimplificationGivesTheSameMeshAndAStopLeavesItsInput) {
    const Mesh source = bumpy_grid(60); // enough vertices for the set-up's second thread
    const Mesh before = copy_of(source);
    Mesh plain = simplified(source, 0.5f), with;
    Work work;
    run_watched([&](Work* w) { with = simplified(source, 0.5f, w); }, work);
    EXPECT_TRUE(identical(with, plain));

    // The first checkpoints come before the set-up's second thread starts.
    const int64_t fixed = 4;
    expect_stops([&](Work* w) { simplified(source, 0.5f, w); },
                 [&] { EXPECT_TRUE(identical(source, before)); }, fixed);
    expect_stops([&](Work* w) { simplified(source, 1, w); }, // the set-up alone
                 [&] { EXPECT_TRUE(identical(source, before)); }, fixed);

    // In place, and as the view does it with the builds after it.
    Mesh lod_plain, lod_with;
    expect_same_console(
        [&](Work* w) { (w ? lod_with : lod_plain) = simplified_lod(source, 30, w); });
    EXPECT_TRUE(identical(lod_with, lod_plain));
    Mesh m;
    expect_stops(
        [&](Work* w) {
            m = copy_of(source);
            ConsoleCapture quiet;
            simplify_lod(m, 30, w);
        },
        [&] { EXPECT_TRUE(identical(m, before)); }, fixed);
    expect_stops(
        [&](Work* w) {
            m = copy_of(source);
            simplify(m, 0.25f, w);
        },
        [&] { EXPECT_TRUE(identical(m, before)); }, fixed);
}

TEST(WorkHooks, QuadricSimplificationGivesTheSameMeshAndAStopLeavesItsInput) {
    const Mesh source = bumpy_grid(60);
    const Mesh before = copy_of(source);
    Mesh plain = quadric_simplified(source, 0.5f, 0.01f).mesh, with;
    Work work;
    run_watched([&](Work* w) { with = quadric_simplified(source, 0.5f, 0.01f, w).mesh; }, work);
    EXPECT_TRUE(identical(with, plain));
    expect_stops([&](Work* w) { quadric_simplified(source, 0.5f, 0.01f, w); },
                 [&] { EXPECT_TRUE(identical(source, before)); });
}

TEST(WorkHooks, SubdivisionGivesTheSameMeshAndAStopLeavesItsInput) {
    const Mesh source = bumpy_grid(16);
    const Mesh before = copy_of(source);
    Mesh plain = subdivided(source, 2, 0.01f), with;
    Work work;
    run_watched([&](Work* w) { with = subdivided(source, 2, 0.01f, w); }, work);
    EXPECT_TRUE(identical(with, plain));
    expect_stops([&](Work* w) { subdivided(source, 2, 0.01f, w); },
                 [&] { EXPECT_TRUE(identical(source, before)); });

    Mesh levels_plain, levels_with;
    expect_same_console([&](Work* w) {
        ASSERT_EQ(subdivided_levels(source, 2, 0, w ? levels_with : levels_plain, w).outcome,
                  SubdivisionOutcome::Subdivided);
    });
    EXPECT_TRUE(identical(levels_with, levels_plain));

    const Mesh earlier = bumpy_grid(3);
    Mesh result, m;
    expect_stops(
        [&](Work* w) {
            result = copy_of(earlier);
            ConsoleCapture quiet;
            subdivided_levels(source, 2, 0, result, w);
        },
        [&] { EXPECT_TRUE(identical(result, earlier)); });
    expect_stops(
        [&](Work* w) {
            m = copy_of(source);
            ConsoleCapture quiet;
            subdivide_levels(m, 2, 0, w);
        },
        [&] { EXPECT_TRUE(identical(m, before)); });
}

TEST(WorkHooks, TerrainGivesTheSameMeshAndAStopLeavesTheMesh) {
    RgbImage image{40, 30, {}};
    for (int i = 0; i < 40 * 30; ++i)
        image.rgb.insert(image.rgb.end(), {uint8_t(i * 7), uint8_t(i / 5), uint8_t(i * 3)});
    const TerrainSettings settings{48, 200, 50};
    // What clearing the mesh keeps, the terrain keeps.
    Mesh earlier = bumpy_grid(5);
    earlier.selectedface = 3;
    earlier.extent = 7;
    earlier.centre = Vector(1, 2, 3, 4);

    Mesh plain = copy_of(earlier), with = copy_of(earlier);
    expect_same_console([&](Work* w) { generate_terrain(w ? with : plain, image, settings, w); });
    EXPECT_TRUE(identical(with, plain));
    EXPECT_EQ(plain.nv, 48 * 48);
    EXPECT_EQ(plain.selectedface, 3);
    EXPECT_EQ(plain.extent, 7);
    EXPECT_EQ(plain.centre.w, 4);
    EXPECT_EQ(plain.morphogen_names, earlier.morphogen_names);
    EXPECT_TRUE(plain.morphogens.empty());

    Mesh m;
    expect_stops(
        [&](Work* w) {
            m = copy_of(earlier);
            ConsoleCapture quiet;
            generate_terrain(m, image, settings, w);
        },
        [&] { EXPECT_TRUE(identical(m, earlier)); });
}

// Many vertices, so that the colourings pass several checkpoints.
Mesh many_vertices() {
    Mesh m;
    const int nv = 40000;
    m.alloc_vertices(nv);
    m.morphogens.resize(nv);
    for (int v = 0; v < nv; ++v) {
        float t = float(v) / nv;
        m.vertices[v] = Vector(t, std::sin(40 * t) * 3 + t, 1 - t);
        m.colours[v] = Vector(0.1f, 0.2f, 0.3f, 1);
        m.morphogens[v] = {std::sin(17 * t), std::cos(23 * t), t - 0.5f};
    }
    m.morphogens[5].clear(); // a short row
    return m;
}

TEST(WorkHooks, MorphogenColoursIntoAnArrayOfTheirOwn) {
    const Mesh source = many_vertices();
    const Mesh before = copy_of(source);
    MorphogenSetting setting;
    set_morphogen_names(setting, {"a", "b", "c"});
    setting.tooglestates = {1, 0, 1};
    setting.colours = {{200, 10, 30}, {0, 255, 0}, {40, 90, 250}};
    setting.defaultcolour = {20, 30, 40};
    for (int mode : {0, 1}) {
        setting.mixmode = mode;
        Mesh painted = copy_of(source);
        colour_by_morphogens(painted, setting);
        std::vector<Vector> plain, with;
        morphogen_colours(source, setting, plain);
        Work work;
        run_watched([&](Work* w) { morphogen_colours(source, setting, with, w); }, work);
        EXPECT_TRUE(same_vectors(plain, painted.colours, "colours"));
        EXPECT_TRUE(same_vectors(with, painted.colours, "colours"));
        EXPECT_TRUE(identical(source, before));

        std::vector<Vector> out(3, Vector(9, 9, 9, 9));
        const std::vector<Vector> earlier = out;
        expect_stops(
            [&](Work* w) {
                morphogen_colours(source, setting, out, w);
                out = earlier; // the full run set it
            },
            [&] {
                EXPECT_TRUE(same_vectors(out, earlier, "out"));
                EXPECT_TRUE(identical(source, before));
            });
    }
}

TEST(WorkHooks, ColoursByHeightIntoAnArrayOfTheirOwn) {
    const Mesh source = many_vertices();
    const Mesh before = copy_of(source);
    const std::vector<Vector> colours = {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0.5f, 1}, {1, 1, 1, 1}};
    for (const std::vector<float>& values :
         {std::vector<float>{0, 0.3f, 0.5f, 1}, {0.2f, 0.1f, 0.9f, 0.9f}, {0.5f}, {}}) {
        Mesh painted = copy_of(source);
        paint_by_height(painted, colours, values);
        std::vector<Vector> plain, with;
        paint_by_height(source, colours, values, plain);
        Work work;
        run_watched([&](Work* w) { paint_by_height(source, colours, values, with, w); }, work);
        EXPECT_TRUE(same_vectors(plain, painted.colours, "colours"));
        EXPECT_TRUE(same_vectors(with, painted.colours, "colours"));
        EXPECT_TRUE(identical(source, before)); // the box not built
    }
    std::vector<Vector> out(2, Vector(9, 9, 9, 9));
    const std::vector<Vector> earlier = out;
    expect_stops(
        [&](Work* w) {
            paint_by_height(source, colours, {0, 0.5f, 1}, out, w);
            out = earlier; // the full run set it
        },
        [&] {
            EXPECT_TRUE(same_vectors(out, earlier, "out"));
            EXPECT_TRUE(identical(source, before));
        });
}

// The bumpy grid in stripes of segments, with the w of its vertices set apart.
Mesh striped_grid(int n, int segments) {
    Mesh m = bumpy_grid(n);
    for (int i = 0; i < m.nf; ++i) m.faces[i].segment = (i / 97) % (segments + 1);
    for (int v = 0; v < m.nv; ++v) m.vertices[v].w = float(v % 7) - 3;
    return m;
}

std::vector<float> w_of(const Mesh& m) {
    std::vector<float> w;
    for (const Vector& p : m.vertices) w.push_back(p.w);
    return w;
}

TEST(WorkHooks, SegmentExportWritesTheSameFilesAndAStopReplacesNone) {
    const Mesh source = striped_grid(80, 5); // enough vertices for stops in the sort
    EdgeTraversal traversal;
    traversal.region_counter = 5;
    std::vector<std::string> names;
    for (int pass : {0, 1, 2, 3, 4, 5, -1}) names.push_back(segment_file_name(pass));

    TempDir plain_dir, with_dir, const_dir;
    Mesh plain = copy_of(source), with = copy_of(source);
    expect_same_console([&](Work* wk) {
        const TempDir& into = wk ? with_dir : plain_dir;
        EXPECT_TRUE(save_segments(wk ? with : plain, traversal, into.path.string(), wk).ok());
    });
    std::vector<float> w;
    {
        ConsoleCapture quiet;
        Work work;
        run_watched(
            [&](Work* wk) {
                EXPECT_TRUE(save_segments(source, traversal, const_dir.path.string(), w, wk).ok());
            },
            work);
    }
    EXPECT_TRUE(identical(with, plain));
    EXPECT_EQ(w, w_of(plain));
    EXPECT_NE(w, w_of(source));
    for (const std::string& name : names) {
        EXPECT_EQ(contents(with_dir.file(name)), contents(plain_dir.file(name))) << name;
        EXPECT_EQ(contents(const_dir.file(name)), contents(plain_dir.file(name))) << name;
    }

    // The passes' positions carry the w the mesh's would, read only or not.
    std::vector<SegmentMesh> read_only, in_place;
    std::vector<float> unused;
    for_each_segment_mesh(source, 5, unused,
                          [&](int, const SegmentMesh& s) { read_only.push_back(s); });
    Mesh written = copy_of(source);
    for_each_segment_mesh(written, 5, [&](int, const SegmentMesh& s) { in_place.push_back(s); });
    ASSERT_EQ(read_only.size(), in_place.size());
    for (size_t p = 0; p < in_place.size(); ++p)
        EXPECT_TRUE(same_vectors(read_only[p].positions, in_place[p].positions, "positions"));

    // Old files of every name; a stop leaves each as it was, and no temporary file.
    TempDir dir;
    for (const std::string& name : names) put(dir.file(name), "old " + name + "\n");
    const std::set<std::string> files(names.begin(), names.end());
    Mesh m;
    auto untouched = [&] {
        for (const std::string& name : names)
            EXPECT_EQ(contents(dir.file(name)), "old " + name + "\n") << name;
        EXPECT_EQ(names_in(dir), files);
        EXPECT_TRUE(identical(m, source));
    };
    auto restore = [&] {
        for (const std::string& name : names) put(dir.file(name), "old " + name + "\n");
    };
    expect_stops(
        [&](Work* wk) {
            m = copy_of(source);
            ConsoleCapture quiet;
            save_segments(m, traversal, dir.path.string(), wk);
            restore(); // the full run replaced them
            m = copy_of(source);
        },
        untouched);
    std::vector<float> kept = {1, 2, 3};
    expect_stops(
        [&](Work* wk) {
            m = copy_of(source);
            ConsoleCapture quiet;
            save_segments(m, traversal, dir.path.string(), kept, wk);
            restore();
            kept = {1, 2, 3};
        },
        [&] {
            untouched();
            EXPECT_EQ(kept, (std::vector<float>{1, 2, 3}));
        });
}

// With a file that cannot be written, the others are still written, and all are put in
// place only at the end.
TEST(WorkHooks, SegmentExportWithAFailingFile) {
    Mesh m = striped_grid(12, 2);
    EdgeTraversal traversal;
    traversal.region_counter = 2;
    TempDir dir;
    std::filesystem::create_directory(dir.file("object_1.obj"));
    ConsoleCapture console;
    Work work;
    SegmentFiles files = save_segments(m, traversal, dir.path.string(), &work);
    ASSERT_EQ(files.failures.size(), 1u);
    EXPECT_NE(files.failures[0].error.find(dir.file("object_1.obj")), std::string::npos);
    EXPECT_EQ(files.written,
              (std::vector<std::string>{dir.file("non-segemented.obj"), dir.file("object_2.obj"),
                                        dir.file("segemented.obj")}));
    EXPECT_NE(console.text().find("Saving: object_1.obj v:"), std::string::npos);
    EXPECT_EQ(names_in(dir), (std::set<std::string>{"non-segemented.obj", "object_1.obj",
                                                    "object_2.obj", "segemented.obj"}));
}

} // namespace work_hooks
