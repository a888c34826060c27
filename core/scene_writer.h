// Saving a mesh in the formats Vostrel writes, chosen by the file name's extension:
// OBJ by our own writer (Mesh::save_obj); binary glTF through Assimp's exporter; binary
// little-endian PLY, binary STL and OFF text by small writers of our own. Assimp has no
// OFF exporter, its binary PLY writes float colours under a header that declares uchar
// ones, and its binary STL, though right, takes fifteen times as long as ours and
// several times the file's size in memory, and cannot be stopped on the way.
//
// Only OBJ keeps the morphogens; STL and OFF keep no vertex colours. A file of another
// format is built whole in memory, then written through AtomicFile, so that a failed or
// stopped save leaves the file (and its folder) as it was. In a glTF file, vertices that
// share position and colour are written once and vertices no face uses are left out
// (Assimp's exporter joins them).
#pragma once

#include "core/io_result.h"

#include <span>
#include <string>

class Mesh;
class Work;

enum class SaveFormat { Unknown, Obj, Ply, Stl, Off, Glb };

struct SaveFormatInfo {
    SaveFormat format;
    const char* extension; // ".obj": lower case, with the dot
    const char* name;      // "OBJ", as dialogs list it
    const char* written;   // "OBJ text", as messages say what a file would become
    bool colours;          // keeps the vertex colours
    bool morphogens;       // keeps the morphogen names and values
};

// The formats written, in the order dialogs and messages list them: OBJ first.
std::span<const SaveFormatInfo> save_formats();
// The row of `format`; OBJ's for Unknown.
const SaveFormatInfo& format_info(SaveFormat format);

// The format the extension of `path`'s file name names (the text after its last dot, in
// any case); Unknown when it has no extension or one of a format not written.
SaveFormat extension_format(const std::string& path);
// extension_format, except OBJ for a file name without an extension: a device such as
// /dev/stdout, or a name left bare (written as OBJ, as it always was).
SaveFormat save_format(const std::string& path);

// The extensions of the formats written, as a list: ".obj, .ply, .stl, .off and .glb"
// (`last` joins the last two).
std::string save_extensions(const char* last = " and ");
// "ERROR: PATH: unknown mesh format; Vostrel writes .obj, .ply, .stl, .off and .glb".
IoResult unknown_save_format(const std::string& path);
// "" when a file of `format` keeps everything of `mesh` that a save writes (the colours
// only when `colours`); else the warning that names what is lost: "WARNING: PATH: the
// morphogens are not kept in PLY (only OBJ keeps them)".
std::string not_kept(const Mesh& mesh, const std::string& path, SaveFormat format, bool colours);

// Writes `mesh` to `path` as `format`, with the vertex colours when `colours` and the
// format keeps them (PLY: red, green and blue as uchar; glTF: COLOR_0). OBJ is exactly
// Mesh::save_obj. As that writer: a mesh without vertices or faces, or with a position
// (or written colour) that is not a finite number, is refused and nothing is written;
// progress and the outcome go to the console. What the format does not keep is said on
// standard error (not_kept) once the file is written. A stop asked of `work` throws
// WorkStopped and leaves the file as it was, with no temporary file beside it. Running
// out of memory is a failure: "ERROR: out of memory while writing PATH".
IoResult save_mesh_file(const Mesh& mesh, const std::string& path, SaveFormat format, bool colours,
                        Work* work = nullptr);
// The same in the format save_format(path) names; unknown_save_format when it names none.
IoResult save_mesh_file(const Mesh& mesh, const std::string& path, bool colours,
                        Work* work = nullptr);
