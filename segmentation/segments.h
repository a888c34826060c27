// Segments: marked faces turned into numbered, coloured segments, and the segments
// written out one OBJ file each ("Save ALL...").
#pragma once

#include "core/io_result.h"
#include "core/vector.h"

#include <functional>
#include <string>
#include <vector>

class Mesh;
class EdgeTraversal;
class Work;

// The colour of a new segment from a value r of the random generator, 0..32767: the
// hue r / 32767 * 360 in single precision at full saturation and value, alpha 1. 32767
// gives hue 360, which no sector covers, so that segment is black.
Vector segment_colour(int r);

// Hands out the next segment number (traversal.region_counter + 1, even when no face is
// marked) and gives it, with one colour from segment_colour(rand() % 32768), to every
// marked face, clearing its mark. rand() is never seeded, so a run gives the same
// colours every time. Returns the number of faces that joined the segment.
int mark_current(Mesh& mesh, EdgeTraversal& traversal);

// The name of an export file: pass 0 holds the faces in no segment, pass g > 0 the
// faces of segment g, and pass -1 every face in a segment.
std::string segment_file_name(int pass);
// That file in `folder` (empty: the working folder).
std::string segment_file_path(const std::string& folder, int pass);
// Every file the export writes into `folder`, in the order written.
std::vector<std::string> segment_file_paths(const std::string& folder, int region_counter);

// One export file: its distinct positions in order of first use and three indices into
// them per face, in the mesh's corner order.
struct SegmentMesh {
    std::vector<Vector> positions;
    std::vector<int> corners;
};

// Calls `visit` for pass 0, 1, ..., region_counter and then -1 (see segment_file_name),
// in that order, with the faces of the pass taken in index order. Positions with equal
// x, y and z are one entry whatever their w (0 and -0 are equal; NaN coordinates equal
// each other). As the export always has, the w of the mesh vertex that gave a position
// its entry is set to the entry's index (as a float), so after the last pass each
// written vertex carries its index in the last file that held it. Faces with a corner
// outside the vertices are left out. O(nv log nv) once plus the corners of each pass.
//
// A stop asked of `work` (in the sort, every few thousand faces, and in whatever `visit`
// passes it to) throws WorkStopped; with a Work, the mesh's w values are set only once
// every pass is done, so a stop leaves the mesh as it was.
void for_each_segment_mesh(Mesh& mesh, int region_counter,
                           const std::function<void(int pass, const SegmentMesh&)>& visit,
                           Work* work = nullptr);
// The same with the mesh only read: `w` receives the w of every vertex (nv values) as
// the export would leave it, once every pass is done, and the positions carry the w the
// mesh's would.
void for_each_segment_mesh(const Mesh& mesh, int region_counter, std::vector<float>& w,
                           const std::function<void(int pass, const SegmentMesh&)>& visit,
                           Work* work = nullptr);

// The file text of a segment: "v x y z" per position (six significant digits) and per
// face "f c/c/c b/b/b a/a/a" for its indices a, b, c counted from 1: the corners
// reversed, so each face's winding is flipped. The text is appended to `out`; `flush`,
// when given, is called each time `out` has grown past a megabyte (it writes and empties
// it), and a false from it ends the text there with false. A stop asked of `work` throws
// WorkStopped.
bool append_segment_obj(std::string& out, const SegmentMesh& segment,
                        const std::function<bool(std::string&)>& flush = nullptr,
                        Work* work = nullptr);

// What save_segments did: the files written, and one failure per file it could not
// write, in the order tried.
struct SegmentFiles {
    std::string folder;
    std::vector<std::string> written; // paths
    std::vector<IoResult> failures;
    bool ok() const { return failures.empty(); }
};

// Writes every pass of for_each_segment_mesh as segment_file_name(pass) in `folder`
// (empty: the working folder), replacing existing files through a temporary file and a
// rename, so a failed write leaves the old file as it was. Prints
// "Saving: NAME v:N f:M" before each file (M counts corner indices, three per face)
// and an error line for each file that fails, then goes on with the next. Every file is
// written whole to its temporary file before any is renamed into place, so a stop asked
// of `work` (which throws WorkStopped) replaces none of them and leaves no temporary.
SegmentFiles save_segments(Mesh& mesh, const EdgeTraversal& traversal,
                           const std::string& folder = {}, Work* work = nullptr);
// The same with the mesh only read: the w values it would get go into `w`, as
// for_each_segment_mesh gives them.
SegmentFiles save_segments(const Mesh& mesh, const EdgeTraversal& traversal,
                           const std::string& folder, std::vector<float>& w, Work* work = nullptr);
