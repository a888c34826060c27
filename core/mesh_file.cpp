#include "core/mesh_file.h"

#include "core/scene_reader.h"
#include "core/work.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <utility>

namespace {

bool ends_with_extension(const std::string& name, const char* ext) {
    size_t from = name.size() >= 4 ? name.size() - 4 : 0;
    auto tail = name.begin() + from;
    return std::search(tail, name.end(), ext, ext + 3, [](char a, char b) {
               return std::tolower((unsigned char)a) == b;
           }) != name.end();
}

} // namespace

MeshFormat mesh_format(const std::string& file_name) {
    if (ends_with_extension(file_name, "obj")) return MeshFormat::Obj;
    if (ends_with_extension(file_name, "net")) return MeshFormat::Net;
    if (!scene_extension(file_name).empty()) return MeshFormat::Scene;
    return MeshFormat::None;
}

std::string mesh_format_name(const std::string& file_name) {
    static constexpr std::pair<const char*, const char*> names[] = {
        {"ply", "PLY"},         {"stl", "STL"},     {"off", "OFF"}, {"gltf", "glTF"},
        {"glb", "glTF binary"}, {"dae", "Collada"}, {"3ds", "3DS"}, {"fbx", "FBX"},
    };
    switch (mesh_format(file_name)) {
    case MeshFormat::None:
        return "";
    case MeshFormat::Obj:
        return "OBJ";
    case MeshFormat::Net:
        return "NET";
    case MeshFormat::Scene:
        break;
    }
    std::string ext = scene_extension(file_name);
    for (auto [extension, name] : names)
        if (ext == extension) return name;
    for (char& c : ext) c = char(std::toupper((unsigned char)c));
    return ext;
}

std::string mesh_file_filter() {
    std::string filter = "*.net *.obj";
    for (const std::string& ext : scene_extensions()) filter += " *." + ext;
    return filter;
}

IoResult out_of_memory(const std::string& path) {
    return IoResult::failure("ERROR: out of memory while reading " + path);
}

namespace {

// Runs `read` and turns an allocation failure into a reported one, leaving `mesh`
// empty (and its memory released).
template <typename Read>
IoResult guarding_memory(Mesh& mesh, const std::string& path, Read read) {
    try {
        return read();
    } catch (const std::bad_alloc&) {
        mesh.clear();
        return out_of_memory(path);
    }
}

IoResult read_by_format(Mesh& mesh, const std::string& path, Work* work) {
    IoResult r;
    switch (mesh_format(path)) {
    case MeshFormat::Obj:
        r = mesh.load_obj(path, work);
        break;
    case MeshFormat::Net:
        r = mesh.load_net(path, work);
        break;
    case MeshFormat::Scene:
        r = read_scene_file(mesh, path, work);
        break;
    case MeshFormat::None:
        return IoResult::failure("ERROR: " + path +
                                 ": unknown mesh format (expected .obj, .net, .ply, .stl, .off, "
                                 ".gltf, .glb, .dae, .3ds, .fbx or another format Assimp reads)");
    }
    return r;
}

} // namespace

IoResult read_mesh_file(Mesh& mesh, const std::string& path, Work* work) {
    mesh.clear();
    IoResult r = guarding_memory(mesh, path, [&] { return read_by_format(mesh, path, work); });
    if (!r) mesh.clear();
    return r;
}

void build_loaded_mesh(Mesh& mesh, Work* work) {
    {
        Stage builds(work, 0, 0.7);
        mesh.build({MESH_CENTRE, MESH_CENTROIDS, MESH_EDGE_LIST, MESH_VERTEX_NORMALS, MESH_BB},
                   work);
    }
    // The last stop: the orientation and the normals after it go together.
    checkpoint(work);
    Stage rest(work, 0.7, 1);
    mesh.orient_faces();
    mesh.build({MESH_VERTEX_NORMALS});
}

IoResult load_mesh_file(Mesh& mesh, const std::string& path, Work* work) {
    IoResult r;
    {
        Stage reading(work, 0, 0.6);
        r = read_mesh_file(mesh, path, work);
    }
    if (r) {
        Stage building(work, 0.6, 1);
        try {
            r = guarding_memory(mesh, path, [&] {
                build_loaded_mesh(mesh, work);
                return IoResult::success();
            });
        } catch (const WorkStopped&) {
            mesh.clear();
            throw;
        }
    }
    return r;
}
