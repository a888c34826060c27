// Reading the mesh formats of other programs through Assimp: PLY, STL, OFF, glTF 2,
// Collada, 3DS, FBX and the rest Assimp reads. OBJ is not among them: it keeps our own
// reader, as NET does.
//
// A scene becomes one mesh: every mesh the node tree places, its positions moved by
// the node's accumulated transform; polygons become fans of triangles (0, k, k + 1) as
// in the OBJ reader (in reverse order under a mirroring transform, so that a mirrored
// copy faces the way its original does); points and lines are left out. Vertices of
// the same position and colour, bit for bit, become one, numbered in the order first
// met, so that a format that repeats corners per face (STL) has the connectivity the
// tools need. A vertex's colour is the file's per-vertex colour (divided by 255 when
// any component exceeds 1, as the OBJ reader does), else its material's diffuse or
// base colour, else the grey of a file without colours. None of Assimp's own
// post-processing is used, so that the result is the same whatever Assimp's defaults.
#pragma once

#include "core/io_result.h"

#include <string>
#include <string_view>
#include <vector>

class Mesh;
class Work;

// Side files (a .gltf's buffers) are read only when they are regular files, and up to
// this many bytes in all for one read, so that a scene cannot make Assimp copy a huge
// file into memory.
constexpr size_t side_file_limit = size_t(2) << 30;

// The extensions read through Assimp, in lower case without the dot ("3ds", "dae",
// "mesh.xml", "ply", ...), sorted: Assimp's list less "obj".
const std::vector<std::string>& scene_extensions();

// The one of scene_extensions() that `file_name` ends in after a dot, in any case ("ply"
// for "cube.PLY"; the longer of two, "mesh.xml" over "xml"); "" for none.
std::string scene_extension(const std::string& file_name);

// Reads the file `path` into `mesh`, which must be empty and is written only once the
// file is read whole. The file itself is read as FileText reads it (a regular file
// mapped, a pipe up to its limit, a device refused); declared counts that the file's
// size cannot hold are refused before Assimp sees them (check_declared_counts). A
// failure names the file and Assimp's reason: "ERROR: PATH: reason". What Assimp warns
// of goes to the file's ReaderWarnings; a position or colour that is not a finite number
// is a failure. A stop asked of `work` leaves the mesh empty and throws WorkStopped.
IoResult read_scene_file(Mesh& mesh, const std::string& path, Work* work = nullptr);

// The same over the main file's bytes in memory: `name` gives the format by its
// extension and stands for the file in messages; side files are looked for beside it.
IoResult read_scene_bytes(Mesh& mesh, std::string_view bytes, const std::string& name,
                          Work* work = nullptr);
