#include "document/input_files.h"
#include "core/file_names.h"

namespace {

const char* kind_name(FileKind kind) {
    switch (kind) {
    case FileKind::Mesh:
        return "the mesh";
    case FileKind::Heightmap:
        return "the heightmap";
    case FileKind::ColourMap:
        return "the colour map";
    case FileKind::Table:
        return "the shortest path table";
    case FileKind::Planes:
        return "the clipping planes";
    case FileKind::Morphogens:
        return "the morphogen setting";
    case FileKind::Image:
        return "the image";
    }
    return "";
}

} // namespace

IoResult InputFiles::allow_writing(const std::string& path, FileKind kind) const {
    for (size_t k = 0; k < paths.size(); ++k) {
        FileKind open = FileKind(k);
        if (open == kind || !names_one_file(path, paths[k])) continue;
        return IoResult::failure("ERROR: " + path + " is the file of " + kind_name(open) +
                                 " in use; saving " + kind_name(kind) + " there would replace it");
    }
    return IoResult::success();
}
