#include "core/scene_writer.h"
#include "core/savable.h"

#include "core/atomic_file.h"
#include "core/console.h"
#include "core/mesh.h"
#include "core/obj_text.h"
#include "core/work.h"

#include <algorithm>
#include <assimp/Exporter.hpp>
#include <assimp/scene.h>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

namespace {

constexpr SaveFormatInfo format_table[] = {
    {SaveFormat::Obj, ".obj", "OBJ", "OBJ text", true, true},
    {SaveFormat::Ply, ".ply", "PLY", "binary PLY", true, false},
    {SaveFormat::Stl, ".stl", "STL", "binary STL", false, false},
    {SaveFormat::Off, ".off", "OFF", "OFF text", false, false},
    {SaveFormat::Glb, ".glb", "glTF binary", "binary glTF", true, false},
};

bool has_morphogens(const Mesh& mesh) {
    return !mesh.morphogen_names.empty() ||
           std::any_of(mesh.morphogens.begin(), mesh.morphogens.end(),
                       [](const std::vector<float>& row) { return !row.empty(); });
}

float unit_channel(float c) {
    return std::clamp(c, 0.0f, 1.0f);
}

// Four bytes of `bits`, least significant first, whatever the machine's order.
char* put_le32(char* out, uint32_t bits) {
    out[0] = char(bits);
    out[1] = char(bits >> 8);
    out[2] = char(bits >> 16);
    out[3] = char(bits >> 24);
    return out + 4;
}

char* put_le_float(char* out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return put_le32(out, bits);
}

// A progress step and stop every 2^14 vertices and faces, about a millisecond of work.
constexpr int writer_step_bits = 14;

// Binary little-endian PLY: x, y, z as float, with `colours` red, green and blue as
// uchar (0 to 255), and triangles as a uchar count and int indices.
std::string ply_bytes(const Mesh& mesh, bool colours, Work* work) {
    std::string header = "ply\nformat binary_little_endian 1.0\ncomment written by Vostrel\n"
                         "element vertex " +
                         std::to_string(mesh.nv) +
                         "\nproperty float x\nproperty float y\nproperty float z\n";
    if (colours) header += "property uchar red\nproperty uchar green\nproperty uchar blue\n";
    header += "element face " + std::to_string(mesh.nf) +
              "\nproperty list uchar int vertex_indices\nend_header\n";
    const size_t vertex_size = colours ? 15 : 12, face_size = 13;
    std::string out(header.size() + vertex_size * size_t(mesh.nv) + face_size * size_t(mesh.nf),
                    '\0');
    char* p = std::copy(header.begin(), header.end(), out.data());
    const int64_t steps = int64_t(mesh.nv) + mesh.nf;
    for (int v = 0; v < mesh.nv; ++v) {
        advance_every(work, v, steps, writer_step_bits);
        const Vector& x = mesh.vertices[v];
        p = put_le_float(put_le_float(put_le_float(p, x.x), x.y), x.z);
        if (!colours) continue;
        const Vector& c = mesh.colours[v];
        for (float channel : {c.x, c.y, c.z}) *p++ = char(std::lround(unit_channel(channel) * 255));
    }
    for (int i = 0; i < mesh.nf; ++i) {
        advance_every(work, int64_t(mesh.nv) + i, steps, writer_step_bits);
        *p++ = 3;
        for (int k = 0; k < 3; ++k) p = put_le32(p, uint32_t(mesh.faces[i].vindex[k]));
    }
    return out;
}

// The unit normal of the triangle (a, b, c) by the right-hand rule, as STL readers
// expect it; 0 0 0 for a triangle without area.
Vector right_hand_normal(const Vector& a, const Vector& b, const Vector& c) {
    Vector n;
    n.cross(Vector(b.x - a.x, b.y - a.y, b.z - a.z), Vector(c.x - a.x, c.y - a.y, c.z - a.z));
    float length = n.length();
    if (!(length > 0) || !std::isfinite(length)) return Vector(0, 0, 0);
    return Vector(n.x / length, n.y / length, n.z / length);
}

// Binary STL: an 80-byte header that does not begin with "solid" (else readers take the
// file for text), the triangle count, then per triangle its normal, its corners and an
// attribute count of 0, little-endian.
std::string stl_bytes(const Mesh& mesh, Work* work) {
    constexpr size_t header_size = 80, face_size = 50;
    std::string out(header_size + 4 + face_size * size_t(mesh.nf), '\0');
    const char title[] = "binary STL written by Vostrel";
    std::copy(title, title + sizeof title - 1, out.data());
    char* p = put_le32(out.data() + header_size, uint32_t(mesh.nf));
    for (int i = 0; i < mesh.nf; ++i) {
        advance_every(work, i, mesh.nf, writer_step_bits);
        const int* corners = mesh.faces[i].vindex;
        const Vector &a = mesh.vertices[corners[0]], &b = mesh.vertices[corners[1]],
                     &c = mesh.vertices[corners[2]];
        for (const Vector& v : {right_hand_normal(a, b, c), a, b, c})
            p = put_le_float(put_le_float(put_le_float(p, v.x), v.y), v.z);
        p += 2; // the attribute count, 0
    }
    return out;
}

void append_index(std::string& out, int n) {
    char buf[16];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

// OFF text: the counts, a line "x y z" per vertex (six significant digits, as OBJ),
// then "3 a b c" per face with indices from 0.
std::string off_text(const Mesh& mesh, Work* work) {
    std::string out = "OFF\n";
    out.reserve(size_t(mesh.nv) * 30 + size_t(mesh.nf) * 24 + 64);
    append_index(out, mesh.nv);
    out += ' ';
    append_index(out, mesh.nf);
    out += " 0\n";
    const int64_t steps = int64_t(mesh.nv) + mesh.nf;
    for (int v = 0; v < mesh.nv; ++v) {
        advance_every(work, v, steps, writer_step_bits);
        const Vector& x = mesh.vertices[v];
        for (float value : {x.x, x.y, x.z}) {
            append_obj_number(out, value);
            out += ' ';
        }
        out.back() = '\n';
    }
    for (int i = 0; i < mesh.nf; ++i) {
        advance_every(work, int64_t(mesh.nv) + i, steps, writer_step_bits);
        out += '3';
        for (int k = 0; k < 3; ++k) {
            out += ' ';
            append_index(out, mesh.faces[i].vindex[k]);
        }
        out += '\n';
    }
    return out;
}

// `mesh` as a scene of one mesh for Assimp's exporters: positions, with `colours` the
// vertex colours (within 0 to 1, alpha 1), the triangles and one plain material (glTF
// needs one).
std::unique_ptr<aiScene> assimp_scene(const Mesh& mesh, bool colours, Work* work) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode;
    scene->mRootNode->mNumMeshes = 1;
    scene->mRootNode->mMeshes = new unsigned[1]{0};
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial*[1]();
    scene->mMaterials[0] = new aiMaterial;
    scene->mNumMeshes = 1;
    scene->mMeshes = new aiMesh*[1]();
    scene->mMeshes[0] = new aiMesh;
    aiMesh& m = *scene->mMeshes[0];
    m.mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    m.mMaterialIndex = 0;
    m.mNumVertices = unsigned(mesh.nv);
    m.mVertices = new aiVector3D[size_t(mesh.nv)];
    if (colours) m.mColors[0] = new aiColor4D[size_t(mesh.nv)];
    const int64_t steps = int64_t(mesh.nv) + mesh.nf;
    for (int v = 0; v < mesh.nv; ++v) {
        advance_every(work, v, steps, writer_step_bits);
        const Vector &x = mesh.vertices[v], &c = mesh.colours[v];
        m.mVertices[v] = aiVector3D(x.x, x.y, x.z);
        if (colours)
            m.mColors[0][v] = aiColor4D(unit_channel(c.x), unit_channel(c.y), unit_channel(c.z), 1);
    }
    m.mFaces = new aiFace[size_t(mesh.nf)];
    m.mNumFaces = unsigned(mesh.nf);
    for (int i = 0; i < mesh.nf; ++i) {
        advance_every(work, int64_t(mesh.nv) + i, steps, writer_step_bits);
        const int* corners = mesh.faces[i].vindex;
        m.mFaces[i].mIndices =
            new unsigned[3]{unsigned(corners[0]), unsigned(corners[1]), unsigned(corners[2])};
        m.mFaces[i].mNumIndices = 3;
    }
    return scene;
}

IoResult write_failure(const char* what, const std::string& path, const std::string& why) {
    console_printf(" FAILED\n");
    return IoResult::failure("ERROR: could not " + std::string(what) + " " + path + ": " + why);
}

// `size` bytes at `data` as the file `path`, through AtomicFile, with the messages of the
// OBJ writer.
IoResult write_whole_file(const std::string& path, const void* data, size_t size) {
    AtomicFile file(path);
    if (!file.is_open()) return write_failure("create a file beside", path, std::strerror(errno));
    if (!file.write(static_cast<const char*>(data), size) || !file.commit())
        return write_failure("write", path, std::strerror(errno));
    console_printf(" done...\n");
    return IoResult::success();
}

// The file made by Assimp's exporter `id` ("glb2") from `mesh`.
IoResult export_through_assimp(const Mesh& mesh, const std::string& path, const char* id,
                               bool colours, Work* work) {
    std::unique_ptr<aiScene> scene;
    {
        Stage building(work, 0, 0.2);
        scene = assimp_scene(mesh, colours, work);
    }
    checkpoint(work);
    Assimp::Exporter exporter;
    const aiExportDataBlob* blob;
    {
        Stage exporting(work, 0.2, 0.9);
        blob = exporter.ExportToBlob(scene.get(), id);
    }
    scene.reset(); // the blob is all that is needed now
    if (!blob || blob->next)
        return write_failure("write", path,
                             blob ? std::string("Assimp made more than one file")
                                  : "Assimp: " + std::string(exporter.GetErrorString()));
    checkpoint(work); // the last stop: from here the file is written whole
    return write_whole_file(path, blob->data, blob->size);
}

IoResult write_in_format(const Mesh& mesh, const std::string& path, SaveFormat format, bool colours,
                         Work* work) {
    Stage whole(work, 0, 1);
    std::string bytes;
    switch (format) {
    case SaveFormat::Stl:
        bytes = stl_bytes(mesh, work);
        break;
    case SaveFormat::Glb:
        return export_through_assimp(mesh, path, "glb2", colours, work);
    case SaveFormat::Ply:
        bytes = ply_bytes(mesh, colours, work);
        break;
    case SaveFormat::Off:
        bytes = off_text(mesh, work);
        break;
    case SaveFormat::Obj:
    case SaveFormat::Unknown:
        return unknown_save_format(path); // not reached: save_mesh_file takes those
    }
    checkpoint(work); // the last stop: from here the file is written whole
    return write_whole_file(path, bytes.data(), bytes.size());
}

} // namespace

std::span<const SaveFormatInfo> save_formats() {
    return format_table;
}

const SaveFormatInfo& format_info(SaveFormat format) {
    for (const SaveFormatInfo& f : format_table)
        if (f.format == format) return f;
    return format_table[0];
}

SaveFormat extension_format(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = char(std::tolower((unsigned char)c));
    for (const SaveFormatInfo& f : format_table)
        if (extension == f.extension) return f.format;
    return SaveFormat::Unknown;
}

SaveFormat save_format(const std::string& path) {
    if (std::filesystem::path(path).extension().empty()) return SaveFormat::Obj;
    return extension_format(path);
}

std::string save_extensions(const char* last) {
    std::string list;
    const size_t n = std::size(format_table);
    for (size_t i = 0; i < n; ++i)
        list += (i == 0 ? "" : i + 1 == n ? last : ", ") + std::string(format_table[i].extension);
    return list;
}

IoResult unknown_save_format(const std::string& path) {
    return IoResult::failure("ERROR: " + path + ": unknown mesh format; Vostrel writes " +
                             save_extensions());
}

std::string not_kept(const Mesh& mesh, const std::string& path, SaveFormat format, bool colours) {
    const SaveFormatInfo& f = format_info(format);
    bool colours_lost = colours && !f.colours && mesh.nv > 0;
    bool morphogens_lost = !f.morphogens && has_morphogens(mesh);
    if (!colours_lost && !morphogens_lost) return {};
    std::string lost = colours_lost && morphogens_lost ? "the vertex colours and the morphogens"
                       : colours_lost                  ? "the vertex colours"
                                                       : "the morphogens";
    return "WARNING: " + path + ": " + lost + " are not kept in " + f.name +
           (morphogens_lost ? " (only OBJ keeps them)" : "");
}

IoResult save_mesh_file(const Mesh& mesh, const std::string& path, SaveFormat format, bool colours,
                        Work* work) {
    if (format == SaveFormat::Unknown) return unknown_save_format(path);
    if (format == SaveFormat::Obj) return mesh.save_obj(path, colours, work);
    const bool written_colours = colours && format_info(format).colours;
    if (IoResult r = check_savable(mesh, path, written_colours, false); !r) return r;
    console_printf("\tMESH: Saving %s...", path.c_str());
    IoResult r;
    try {
        r = write_in_format(mesh, path, format, written_colours, work);
    } catch (const WorkStopped&) {
        console_printf(" stopped\n");
        throw;
    } catch (const std::bad_alloc&) {
        console_printf(" FAILED\n");
        return IoResult::failure("ERROR: out of memory while writing " + path);
    }
    if (std::string warning = not_kept(mesh, path, format, colours); r && !warning.empty())
        std::fprintf(stderr, "%s\n", warning.c_str());
    return r;
}

IoResult save_mesh_file(const Mesh& mesh, const std::string& path, bool colours, Work* work) {
    return save_mesh_file(mesh, path, save_format(path), colours, work);
}
