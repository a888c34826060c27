// Helpers of the document's tests: documents opened on small meshes or real files, and
// their whole state as text, so that "as it was" can be compared exactly.
#pragma once

#include "core/text_file.h"
#include "document/document.h"
#include "tests/test_util.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

// A document with its console silenced and a folder for its files.
struct DocumentFixture {
    TempDir dir;
    ConsoleCapture quiet;
    Document doc;

    // Opens OBJ (or, by the name, NET) text written to a file of the folder.
    Outcome open_text(const std::string& text, const std::string& name = "mesh.obj") {
        std::ofstream(dir.file(name)) << text;
        return doc.open(dir.file(name));
    }
    Outcome open_data(const std::string& name) { return doc.open(bundled_data(name)); }

    // The mesh as saved with its colours, byte for byte.
    std::string saved() {
        std::string path = dir.file("saved.obj"), text;
        if (!doc.save(path, true) || !read_file(path, text)) return "(not saved)";
        return text;
    }
};

inline std::string bits_of(const void* data, size_t bytes) {
    std::string s(static_cast<const char*>(data), bytes);
    return std::to_string(std::hash<std::string>{}(s)) + ":" + std::to_string(bytes);
}

inline std::string bits_of(const Vector& v) {
    return bits_of(&v.x, 4 * sizeof(float));
}

template <typename T>
std::string bits_of_all(const std::vector<T>& items,
                        const std::function<std::string(const T&)>& one) {
    std::string s;
    for (const T& item : items) s += one(item) + ",";
    return bits_of(s.data(), s.size());
}

// Everything an undo must bring back: the mesh saved, and what a save does not hold
// (normals, face records, the selection) and the tools' state, exactly.
inline std::string state_of(DocumentFixture& f) {
    const Document& d = f.doc;
    const Mesh& m = d.mesh;
    std::ostringstream s;
    s << f.saved();
    s << "\nnormals " << bits_of_all<Vector>(m.normals, [](const Vector& v) { return bits_of(v); });
    s << "\nfaces " << bits_of_all<Face>(m.faces, [](const Face& face) {
        std::ostringstream one;
        one << bits_of(face.normal) << bits_of(face.colour) << face.marked << "/" << face.segment
            << "/" << face.vindex[0];
        return one.str();
    });
    s << "\nselected " << m.selectedface << " extent " << bits_of(&m.extent, 4);
    s << "\nedges " << m.nedges << " current " << m.edge_list_current();
    const Mesh_Classifier& c = d.classifier;
    s << "\nclassifier " << c.patch_count << " " << c.clustered_count << " " << c.current_patch
      << " " << c.rebuild_flag << " "
      << bits_of(c.representatives.data(), c.representatives.size() * sizeof(int)) << " table "
      << c.table.n;
    for (const auto& row : c.memberships) s << bits_of(row.data(), row.size() * sizeof(float));
    s << "\ntraversal " << d.traversal.region_counter << " " << d.traversal.depth << " "
      << d.traversal.angle;
    s << "\nplanes " << format_clp(d.planes.planes) << d.planes.show_all;
    for (int sel : d.planes.selected) s << sel;
    for (const auto& outline : d.planes.outlines) s << outline.size();
    const MorphogenSetting& ms = d.morphogens;
    s << "\nmorphogens " << ms.mixmode << " " << ms.names.size();
    for (size_t i = 0; i < ms.colours.size(); ++i)
        s << " " << ms.colours[i].r << ms.tooglestates[i];
    s << "\nfilter " << d.filter.needs_reset << " " << d.filter.regions.size() << " "
      << bits_of(d.filter.centre);
    s << "\nrender " << int(d.render_mode);
    return s.str();
}
