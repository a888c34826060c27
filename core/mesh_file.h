// Loading a mesh file as the viewer does: the reader chosen by the name's extension,
// then the derived-data builds and the face orientation.
#pragma once

#include "core/mesh.h"

#include <string>

// Scene: a format read through Assimp (scene_reader.h).
enum class MeshFormat { None, Obj, Net, Scene };

// Obj or Net for "obj" or "net" (any case) found in the last four characters of the
// name; else Scene for an extension Assimp reads (scene_extension); else None.
MeshFormat mesh_format(const std::string& file_name);

// The name of the format a file of that name is read as, for people: "OBJ", "NET",
// "PLY", "STL", "OFF", "glTF", "glTF binary", "Collada", "3DS", "FBX", another scene
// format's extension in capitals ("X3D"); "" for None.
std::string mesh_format_name(const std::string& file_name);

// The extensions a mesh is read from, with the dot, as a file dialog's filter lists
// them: "*.net *.obj *.3d *.3ds ...".
std::string mesh_file_filter();

// Reads `path` into `mesh` (cleared first), leaving it empty on failure. Running out of
// memory is such a failure: "ERROR: out of memory while reading PATH". A stop asked of
// `work` leaves the mesh empty too, and throws WorkStopped.
IoResult read_mesh_file(Mesh& mesh, const std::string& path, Work* work = nullptr);
IoResult out_of_memory(const std::string& path);

// The builds a freshly read mesh gets: centre, centroids, edges, normals and box,
// then the face orientation and the normals once more. A stop is taken between the
// builds, within the edge list's, and before the orientation: the positions and corners
// stay as they were, and the builds done stay current (Mesh::build).
void build_loaded_mesh(Mesh& mesh, Work* work = nullptr);

// read_mesh_file then build_loaded_mesh, reporting an allocation failure in either. A
// stop in either leaves the mesh empty and throws WorkStopped.
IoResult load_mesh_file(Mesh& mesh, const std::string& path, Work* work = nullptr);
