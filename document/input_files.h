// The files the document has open as inputs, by kind: the mesh's, the heightmap, the
// colour map being edited, the loaded table, the plane file and the morphogen setting.
// A save in the window may replace a file of its own kind (the mesh saved over the mesh
// it came from, the colour map over itself) but never a file of another kind.
#pragma once

#include "core/io_result.h"

#include <array>
#include <string>

enum class FileKind { Mesh, Heightmap, ColourMap, Table, Planes, Morphogens, Image };

class InputFiles {
  public:
    // `path` is now the document's input of `kind` ("" when it has none).
    void note(FileKind kind, const std::string& path) { paths[size_t(kind)] = path; }
    const std::string& input(FileKind kind) const { return paths[size_t(kind)]; }
    // A failure naming both when writing a file of `kind` to `path` would replace an input
    // of another kind.
    IoResult allow_writing(const std::string& path, FileKind kind) const;

  private:
    std::array<std::string, size_t(FileKind::Image) + 1> paths;
};
