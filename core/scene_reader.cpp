#include "core/scene_reader.h"

#include "core/big_arrays.h"
#include "core/child_process.h"
#include "core/console.h"
#include "core/mesh.h"
#include "core/mesh_file.h"
#include "core/reader_warnings.h"
#include "core/scene_counts.h"
#include "core/text_file.h"
#include "core/work.h"

#include <assimp/DefaultLogger.hpp>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/Logger.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace scene_reading {

// ---- What Assimp logs ----

// The warnings and errors Assimp logs during one read, kept as the file's warnings. The
// last is held back: a failed read logs its reason as an error just before it returns,
// and that reason is the failure's message, not a warning.
class LogSink {
  public:
    explicit LogSink(std::vector<std::string>& w) : warnings(w) {}
    void take(const char* message) {
        flush();
        held = message;
        while (!held.empty() && std::isspace((unsigned char)held.back())) held.pop_back();
        holding = true;
    }
    // Sends the message held back, unless it is `failure`.
    void finish(const std::string& failure) {
        if (holding && held != failure) warnings.push_back(held);
        holding = false;
    }

  private:
    void flush() {
        if (holding) warnings.push_back(held);
        holding = false;
    }
    std::vector<std::string>& warnings;
    std::string held;
    bool holding = false;
};

thread_local LogSink* thread_sink = nullptr;

// Assimp's logger, one for the program: warnings and errors go to the sink of the
// thread that logs them, when it has one (info and debug messages never do).
class SinkLogger : public Assimp::Logger {
  public:
    SinkLogger() : Logger(Logger::NORMAL) {}
    bool attachStream(Assimp::LogStream*, unsigned) override { return false; }
    bool detachStream(Assimp::LogStream*, unsigned) override { return false; }

  private:
    void OnDebug(const char*) override {}
    void OnVerboseDebug(const char*) override {}
    void OnInfo(const char*) override {}
    void OnWarn(const char* message) override { send(message); }
    void OnError(const char* message) override { send(message); }
    static void send(const char* message) {
        if (thread_sink) thread_sink->take(message);
    }
};

// Assimp's logger is global: it is set once, and each read's messages reach its own
// thread's sink, so that reads on several threads keep theirs apart; other threads'
// messages (an export's) are dropped, as Assimp's default logger drops them. It is set
// before a child is made to read, so that no child waits on another thread's setting.
void install_logger() {
    static std::once_flag installed;
    std::call_once(installed, [] { Assimp::DefaultLogger::set(new SinkLogger); });
}

// Sends this thread's Assimp messages to `sink` while it lives.
class LogScope {
  public:
    explicit LogScope(LogSink& sink) {
        install_logger();
        thread_sink = &sink;
    }
    ~LogScope() { thread_sink = nullptr; }
    LogScope(const LogScope&) = delete;
    LogScope& operator=(const LogScope&) = delete;
};

// ---- The files Assimp reads ----

// Bytes in memory as an Assimp stream, read only; a mapping it is given goes with it.
class ByteStream : public Assimp::IOStream {
  public:
    ByteStream(const char* bytes, size_t n, void* mapped = nullptr)
        : data(bytes), size(n), mapping(mapped) {}
    ~ByteStream() override {
        if (mapping) munmap(mapping, size);
    }
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    // A reader that asks for more at the end over and over is given up on (Assimp's
    // PLY reader does so forever on a header with no end): the exception ends the import
    // as Assimp's own errors do.
    size_t Read(void* out, size_t item, size_t count) override {
        if (at >= size && ++reads_at_end > max_reads_at_end)
            throw std::runtime_error("reading on past the end of the file");
        if (item == 0 || at >= size) return 0;
        size_t n = std::min(count, (size - at) / item);
        if (n) std::memcpy(out, data + at, n * item);
        at += n * item;
        return n;
    }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    // As Assimp's own memory stream: from the end counts back.
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        size_t base = origin == aiOrigin_SET ? 0 : origin == aiOrigin_CUR ? at : size;
        if (origin == aiOrigin_END) {
            if (offset > size) return aiReturn_FAILURE;
            at = size - offset;
        } else {
            if (offset > size - base) return aiReturn_FAILURE;
            at = base + offset;
        }
        return aiReturn_SUCCESS;
    }
    size_t Tell() const override { return at; }
    size_t FileSize() const override { return size; }
    void Flush() override {}

  private:
    static constexpr int max_reads_at_end = 1 << 16;
    const char* data;
    size_t size, at = 0;
    void* mapping;
    int reads_at_end = 0;
};

// The files of one read: the main file from memory; side files from disk, mapped, only
// when they are regular files and within side_file_limit in all. Nothing is written.
class SceneFiles : public Assimp::IOSystem {
  public:
    SceneFiles(const std::string& main_name, std::string_view main_bytes)
        : main(main_name), bytes(main_bytes) {}

    bool Exists(const char* file) const override {
        struct stat info;
        return main == file || stat(file, &info) == 0;
    }
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        if (!mode || std::strpbrk(mode, "wa+")) return nullptr;
        if (main == file) return new ByteStream(bytes.data(), bytes.size());
        return open_side(file);
    }
    void Close(Assimp::IOStream* stream) override { delete stream; }

    // Why the first side file refused was not read ("a.bin is a named pipe, not a
    // regular file"), or "".
    const std::string& refused() const { return refusal; }

  private:
    std::string main;
    std::string_view bytes;
    size_t side_bytes = 0;
    std::string refusal;

    Assimp::IOStream* refuse(const std::string& file, const std::string& why) {
        if (refusal.empty()) refusal = file + " " + why;
        return nullptr;
    }
    Assimp::IOStream* open_side(const std::string& file) {
        std::string why;
        int fd = open_regular_file(file, why);
        if (fd < 0) return refuse(file, why);
        struct stat info;
        bool known = fstat(fd, &info) == 0;
        size_t n = known ? size_t(info.st_size) : 0;
        if (known && n > side_file_limit - side_bytes) {
            ::close(fd);
            return refuse(file, "is beyond the " + std::to_string(side_file_limit >> 30) +
                                    " GiB read beside a scene file");
        }
        void* map = known && n ? mmap(nullptr, n, PROT_READ, MAP_PRIVATE, fd, 0) : nullptr;
        int error = errno;
        ::close(fd);
        if (!known || map == MAP_FAILED) return refuse(file, std::strerror(error));
        side_bytes += n;
        return new ByteStream(static_cast<const char*>(map), n, map);
    }
};

// Tells Assimp to give up once a stop is asked of the read.
class StopCheck : public Assimp::ProgressHandler {
  public:
    explicit StopCheck(Work* w) : work(w) {}
    bool Update(float) override { return !(work && work->stopped()); }

  private:
    Work* work;
};

// ---- From the scene to one mesh ----

struct Placement {
    const aiMesh* mesh;
    unsigned index; // in the scene's meshes
    aiMatrix4x4 transform;
};

IoResult failure(const std::string& name, const std::string& what) {
    return IoResult::failure("ERROR: " + name + ": " + what);
}

// Whether the mesh is there with the arrays its counts promise.
bool whole_mesh(const aiMesh* m) {
    if (!m || (m->mNumVertices && !m->mVertices) || (m->mNumFaces && !m->mFaces)) return false;
    for (unsigned f = 0; f < m->mNumFaces; ++f)
        if (m->mFaces[f].mNumIndices && !m->mFaces[f].mIndices) return false;
    return true;
}

// The meshes the node tree places, in the order a depth-first walk meets them (a
// node's meshes before its children's), each with its node's accumulated transform. A
// node met a second time is passed over, so that a malformed tree cannot loop.
IoResult place_meshes(const aiScene& scene, const std::string& name, std::vector<Placement>& out) {
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> stack;
    std::unordered_set<const aiNode*> met;
    if (scene.mRootNode) stack.emplace_back(scene.mRootNode, aiMatrix4x4());
    while (!stack.empty()) {
        auto [node, parent] = stack.back();
        stack.pop_back();
        if (!met.insert(node).second) continue;
        aiMatrix4x4 transform = parent * node->mTransformation;
        for (unsigned k = 0; node->mMeshes && k < node->mNumMeshes; ++k) {
            unsigned m = node->mMeshes[k];
            if (!scene.mMeshes || m >= scene.mNumMeshes || !whole_mesh(scene.mMeshes[m]))
                return failure(name, "a node places mesh " + std::to_string(m) +
                                         ", which the scene does not hold whole");
            out.push_back({scene.mMeshes[m], m, transform});
        }
        for (unsigned c = node->mNumChildren; node->mChildren && c-- > 0;)
            if (node->mChildren[c]) stack.emplace_back(node->mChildren[c], transform);
    }
    return IoResult::success();
}

// Whether a material is one an importer made up: named "DefaultMaterial", or without a
// name and white (glTF's for primitives without a material; a file's own unnamed white
// material shows as uncoloured too, which is near enough).
bool made_up_material(const aiString& name, const aiColor4D& c) {
    if (std::strcmp(name.C_Str(), AI_DEFAULT_MATERIAL_NAME) == 0) return true;
    return name.length == 0 && c.r == 1 && c.g == 1 && c.b == 1;
}

// The colour material `index` of the scene gives: its diffuse colour, else its base
// colour. False when it has neither, and for a material an importer made up.
bool material_colour(const aiScene& scene, unsigned index, Vector& colour) {
    if (index >= scene.mNumMaterials || !scene.mMaterials[index]) return false;
    const aiMaterial& m = *scene.mMaterials[index];
    aiColor4D c;
    if (m.Get(AI_MATKEY_COLOR_DIFFUSE, c) != AI_SUCCESS &&
        m.Get(AI_MATKEY_BASE_COLOR, c) != AI_SUCCESS)
        return false;
    aiString name;
    if (m.Get(AI_MATKEY_NAME, name) != AI_SUCCESS) name.Clear();
    if (made_up_material(name, c)) return false;
    colour = Vector(c.r, c.g, c.b, 1.0f);
    return true;
}

// Whether files of the format carry materials of their own: PLY, STL and OFF files get
// one their importer makes up (white or grey, named or not), never theirs.
bool has_own_materials(const std::string& extension) {
    return extension != "ply" && extension != "stl" && extension != "off";
}

// 1/255 when a per-vertex colour component of a placed mesh exceeds 1 (colours given as
// 0..255), else 1.
float vertex_colour_scale(const std::vector<Placement>& placed) {
    for (const Placement& p : placed) {
        if (!p.mesh->HasVertexColors(0)) continue;
        const aiColor4D* c = p.mesh->mColors[0];
        for (unsigned v = 0; v < p.mesh->mNumVertices; ++v)
            if (c[v].r > 1 || c[v].g > 1 || c[v].b > 1) return 1.0f / 255.0f;
    }
    return 1.0f;
}

bool finite_rgb(const Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Vertices of the same position and colour, bit for bit, as one: an open-addressed
// table of indices into the vertices kept, which are appended in the order first met.
class Welder {
  public:
    // The index of the vertex at `p` with colour `c`.
    int add(const Vector& p, const Vector& c) {
        if ((positions.size() + 1) * 2 > slots.size()) grow();
        const size_t mask = slots.size() - 1;
        for (size_t i = hash(p, c) & mask;; i = (i + 1) & mask) {
            int at = slots[i];
            if (at < 0) {
                slots[i] = int(positions.size());
                positions.push_back(p);
                colours.push_back(c);
                return slots[i];
            }
            if (same(positions[size_t(at)], p) && same(colours[size_t(at)], c)) return at;
        }
    }

    std::vector<Vector> positions, colours;

  private:
    std::vector<int> slots; // -1 for an empty one

    static bool same(const Vector& a, const Vector& b) {
        return std::bit_cast<uint32_t>(a.x) == std::bit_cast<uint32_t>(b.x) &&
               std::bit_cast<uint32_t>(a.y) == std::bit_cast<uint32_t>(b.y) &&
               std::bit_cast<uint32_t>(a.z) == std::bit_cast<uint32_t>(b.z);
    }
    static size_t hash(const Vector& p, const Vector& c) {
        uint64_t h = 0;
        for (float f : {p.x, p.y, p.z, c.x, c.y, c.z})
            h = (h ^ std::bit_cast<uint32_t>(f)) * 0x9E3779B97F4A7C15ull;
        return size_t(h ^ (h >> 29));
    }
    void grow() {
        slots.assign(std::max<size_t>(1024, slots.size() * 2), -1);
        const size_t mask = slots.size() - 1;
        for (size_t v = 0; v < positions.size(); ++v) {
            size_t i = hash(positions[v], colours[v]) & mask;
            while (slots[i] >= 0) i = (i + 1) & mask;
            slots[i] = int(v);
        }
    }
};

// A zero of either sign as +0, so that -0 and 0 weld.
float plain_zero(float f) {
    return f == 0 ? 0.0f : f;
}

// The placed meshes joined into one set of welded vertices and fanned triangles.
class SceneJoin {
  public:
    SceneJoin(const aiScene& s, const std::string& file, Work* w)
        : scene(s), name(file), materials(has_own_materials(scene_extension(file))), work(w) {}

    IoResult join(const std::vector<Placement>& placed, std::vector<std::string>& warnings);
    void pack(std::string& out) const;

  private:
    const aiScene& scene;
    const std::string& name;
    bool materials; // whether material colours are the file's
    Work* work;
    Welder welder;
    std::vector<std::array<int, 3>> triangles;
    std::vector<int> welded; // per vertex of the mesh being added
    float colour_scale = 1;
    int64_t done = 0, total = 0;

    IoResult check_repeats(uint64_t vertices, uint64_t fan) const;
    IoResult add_vertices(const Placement& p);
    IoResult add_faces(const Placement& p);
};

IoResult SceneJoin::join(const std::vector<Placement>& placed, std::vector<std::string>& warnings) {
    uint64_t vertices = 0, fan = 0, skipped = 0;
    for (const Placement& p : placed) {
        vertices += p.mesh->mNumVertices;
        for (unsigned f = 0; f < p.mesh->mNumFaces; ++f) {
            unsigned n = p.mesh->mFaces[f].mNumIndices;
            if (n >= 3)
                fan += n - 2;
            else
                ++skipped;
        }
    }
    if (vertices > uint64_t(INT32_MAX)) return failure(name, "too many vertices");
    if (fan > uint64_t(INT32_MAX)) return failure(name, "too many faces");
    if (IoResult r = check_repeats(vertices, fan); !r) return r;
    reserve_big(triangles, size_t(fan));
    total = int64_t(vertices + fan);
    colour_scale = vertex_colour_scale(placed);
    for (const Placement& p : placed) {
        if (IoResult r = add_vertices(p); !r) return r;
        if (IoResult r = add_faces(p); !r) return r;
    }
    if (skipped)
        warnings.push_back(std::to_string(skipped) +
                           (skipped == 1 ? " point or line" : " points and lines") + " left out");
    return IoResult::success();
}

// Nodes may place a mesh many times (instancing), but a small file may not multiply into
// a mesh beyond memory: what is placed is at most 64 times the scene's own vertices and
// faces, plus 2^24 of each.
IoResult SceneJoin::check_repeats(uint64_t vertices, uint64_t fan) const {
    uint64_t own_vertices = 0, own_fan = 0;
    for (unsigned i = 0; scene.mMeshes && i < scene.mNumMeshes; ++i) {
        const aiMesh* m = scene.mMeshes[i];
        if (!whole_mesh(m)) continue;
        own_vertices += m->mNumVertices;
        for (unsigned f = 0; f < m->mNumFaces; ++f)
            own_fan += m->mFaces[f].mNumIndices >= 3 ? m->mFaces[f].mNumIndices - 2 : 0;
    }
    constexpr uint64_t slack = uint64_t(1) << 24;
    if (vertices > 64 * own_vertices + slack || fan > 64 * own_fan + slack)
        return failure(name, "the nodes place " + std::to_string(vertices) + " vertices and " +
                                 std::to_string(fan) + " triangles, more than 64 times the " +
                                 "scene's own " + std::to_string(own_vertices) + " and " +
                                 std::to_string(own_fan));
    return IoResult::success();
}

IoResult SceneJoin::add_vertices(const Placement& p) {
    const aiMesh& m = *p.mesh;
    Vector colour = default_vertex_colour();
    const bool by_vertex = m.HasVertexColors(0);
    if (!by_vertex && materials && material_colour(scene, m.mMaterialIndex, colour) &&
        !finite_rgb(colour))
        return failure(name, "a material colour is not a finite number (mesh " +
                                 std::to_string(p.index) + ")");
    welded.resize(m.mNumVertices);
    for (unsigned v = 0; v < m.mNumVertices; ++v, ++done) {
        advance_every(work, done, total);
        aiVector3D q = p.transform * m.mVertices[v];
        Vector position(plain_zero(q.x), plain_zero(q.y), plain_zero(q.z));
        auto where = [&] {
            return " (mesh " + std::to_string(p.index) + ", vertex " + std::to_string(v) + ")";
        };
        if (!finite_rgb(position))
            return failure(name, "a position is not a finite number" + where());
        if (by_vertex) {
            const aiColor4D& c = m.mColors[0][v];
            colour = Vector(plain_zero(c.r * colour_scale), plain_zero(c.g * colour_scale),
                            plain_zero(c.b * colour_scale), 1.0f);
            if (!finite_rgb(colour))
                return failure(name, "a colour is not a finite number" + where());
        }
        welded[v] = welder.add(position, colour);
    }
    return IoResult::success();
}

// Fans of (0, k, k + 1), or (0, k + 1, k) under a mirroring transform.
IoResult SceneJoin::add_faces(const Placement& p) {
    const aiMesh& m = *p.mesh;
    const bool mirrored = p.transform.Determinant() < 0;
    for (unsigned f = 0; f < m.mNumFaces; ++f) {
        const aiFace& face = m.mFaces[f];
        if (face.mNumIndices < 3) continue;
        for (unsigned k = 0; k < face.mNumIndices; ++k)
            if (face.mIndices[k] >= m.mNumVertices)
                return failure(name, "a face corner (" + std::to_string(face.mIndices[k]) +
                                         ") is outside mesh " + std::to_string(p.index) + "'s " +
                                         std::to_string(m.mNumVertices) + " vertices");
        const int first = welded[face.mIndices[0]];
        for (unsigned k = 1; k + 1 < face.mNumIndices; ++k, ++done) {
            advance_every(work, done, total);
            int b = welded[face.mIndices[k]], c = welded[face.mIndices[k + 1]];
            triangles.push_back(mirrored ? std::array{first, c, b} : std::array{first, b, c});
        }
    }
    return IoResult::success();
}

// ---- The outcome, from the child to the caller ----

// The child's outcome, in the machine's own layout (both ends are the same program):
// the warnings, whether it read the file, then the failure's message or the welded
// vertices, their colours and the triangles.
void put_size(std::string& out, uint64_t n) {
    out.append(reinterpret_cast<const char*>(&n), sizeof n);
}
template <typename T>
void put_array(std::string& out, const T* values, size_t n) {
    put_size(out, n);
    out.append(reinterpret_cast<const char*>(values), n * sizeof(T));
}
void put_text(std::string& out, const std::string& text) {
    put_array(out, text.data(), text.size());
}

void SceneJoin::pack(std::string& out) const {
    put_array(out, welder.positions.data(), welder.positions.size());
    put_array(out, welder.colours.data(), welder.colours.size());
    put_array(out, triangles.data(), triangles.size());
}

// Takes the outcome apart again; any count beyond what is left makes it not whole.
class Unpacker {
  public:
    explicit Unpacker(std::string_view bytes) : rest(bytes) {}
    bool whole() const { return ok && rest.empty(); }
    uint64_t size() {
        uint64_t n = 0;
        if (rest.size() < sizeof n) return ok = false, 0;
        std::memcpy(&n, rest.data(), sizeof n);
        rest.remove_prefix(sizeof n);
        return n;
    }
    template <typename T>
    void array(std::vector<T>& v) {
        uint64_t n = size();
        if (!ok || n > rest.size() / sizeof(T)) return void(ok = false);
        reserve_big(v, size_t(n));
        v.resize(size_t(n));
        std::memcpy(static_cast<void*>(v.data()), rest.data(), size_t(n) * sizeof(T));
        rest.remove_prefix(size_t(n) * sizeof(T));
    }
    std::string text() {
        std::vector<char> chars;
        array(chars);
        return std::string(chars.begin(), chars.end());
    }

  private:
    std::string_view rest;
    bool ok = true;
};

struct Outcome {
    std::vector<std::string> warnings;
    IoResult result;
    std::vector<Vector> positions, colours;
    std::vector<std::array<int, 3>> triangles;
};

void pack(std::string& out, const std::vector<std::string>& warnings, const IoResult& result) {
    put_size(out, warnings.size());
    for (const std::string& w : warnings) put_text(out, w);
    put_size(out, result.ok);
    if (!result) put_text(out, result.error);
}

bool unpack(std::string_view bytes, Outcome& o) {
    Unpacker in(bytes);
    const uint64_t warnings = in.size();
    if (warnings > bytes.size()) return false;
    for (uint64_t k = 0; k < warnings; ++k) o.warnings.push_back(in.text());
    if (!in.size()) {
        o.result = IoResult::failure(in.text());
        return in.whole();
    }
    in.array(o.positions);
    in.array(o.colours);
    in.array(o.triangles);
    const size_t nv = o.positions.size();
    if (!in.whole() || o.colours.size() != nv || nv > size_t(INT32_MAX) ||
        o.triangles.size() > size_t(INT32_MAX))
        return false;
    for (const auto& t : o.triangles)
        for (int v : t)
            if (v < 0 || size_t(v) >= nv) return false;
    return true;
}

void fill(Mesh& mesh, Outcome& o) {
    const int nv = int(o.positions.size()), nf = int(o.triangles.size());
    console_printf("nv: %d, nf: %d\n", nv, nf);
    mesh.selectedface = -1;
    mesh.nv = nv;
    mesh.vertices = std::move(o.positions);
    mesh.colours = std::move(o.colours);
    assign_big(mesh.normals, size_t(nv), Vector());
    assign_big(mesh.texcoords, size_t(nv), Vector());
    mesh.alloc_faces(nf);
    for (int i = 0; i < nf; ++i)
        std::copy(o.triangles[size_t(i)].begin(), o.triangles[size_t(i)].end(),
                  mesh.faces[size_t(i)].vindex);
    mesh.link_faces();
}

// "ERROR: NAME: REASON", with why a side file was not read when one was refused.
IoResult import_failure(const std::string& name, std::string reason, const std::string& refused) {
    if (reason == "std::bad_alloc") return out_of_memory(name);
    if (reason.empty()) reason = "not a file Assimp reads";
    if (!refused.empty()) reason += " (" + refused + ")";
    return failure(name, reason);
}

// Assimp's import and the join of what it placed; on success the whole outcome is
// packed into `out`.
IoResult import_and_join(std::string_view bytes, const std::string& name, Work& work,
                         std::vector<std::string>& warnings, std::string& out) {
    Assimp::Importer importer; // owns the two handlers below
    auto* files = new SceneFiles(name, bytes);
    importer.SetIOHandler(files);
    importer.SetProgressHandler(new StopCheck(&work));
    const aiScene* scene = nullptr;
    {
        Stage importing(&work, 0, 0.6);
        LogSink sink(warnings);
        LogScope scope(sink);
        // No post-processing: Assimp's validation would refuse a point cloud, and what it
        // checks that matters here (indices within arrays, arrays there) is checked below.
        scene = importer.ReadFile(name, 0);
        sink.finish(scene ? std::string() : std::string(importer.GetErrorString()));
    }
    work.checkpoint(); // Assimp gives up on a stop; it is taken here
    if (!scene) return import_failure(name, importer.GetErrorString(), files->refused());
    if (!files->refused().empty()) warnings.push_back(files->refused() + "; not read");
    Stage joining(&work, 0.6, 1);
    std::vector<Placement> placed;
    if (IoResult r = place_meshes(*scene, name, placed); !r) return r;
    SceneJoin join(*scene, name, &work);
    if (IoResult r = join.join(placed, warnings); !r) return r;
    pack(out, warnings, IoResult::success());
    join.pack(out);
    return IoResult::success();
}

// The import and the join, as the child makes them: the outcome packed into `out`.
void import_scene(std::string_view bytes, const std::string& name, Work& work, std::string& out) {
    std::vector<std::string> warnings;
    IoResult r;
    try {
        r = import_and_join(bytes, name, work, warnings, out);
    } catch (const std::bad_alloc&) {
        r = out_of_memory(name);
    } catch (const std::length_error&) {
        r = out_of_memory(name);
    }
    if (r) return;
    out.clear();
    pack(out, warnings, r);
}

} // namespace scene_reading

const std::vector<std::string>& scene_extensions() {
    static const std::vector<std::string> list = [] {
        std::string all;
        Assimp::Importer().GetExtensionList(all); // "*.3d;*.3ds;..."
        std::vector<std::string> out;
        for (size_t at = 0; at < all.size();) {
            size_t end = std::min(all.find(';', at), all.size());
            std::string ext = all.substr(at, end - at);
            at = end + 1;
            if (ext.rfind("*.", 0) == 0) ext.erase(0, 2);
            for (char& c : ext) c = char(std::tolower((unsigned char)c));
            if (!ext.empty() && ext != "obj") out.push_back(ext);
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }();
    return list;
}

std::string scene_extension(const std::string& file_name) {
    std::string lower = file_name.substr(std::min(file_name.size(), file_name.rfind('/') + 1));
    for (char& c : lower) c = char(std::tolower((unsigned char)c));
    std::string best;
    for (const std::string& ext : scene_extensions()) {
        if (ext.size() <= best.size() || lower.size() < ext.size() + 1) continue;
        if (lower.compare(lower.size() - ext.size() - 1, std::string::npos, "." + ext) == 0)
            best = ext;
    }
    return best;
}

IoResult read_scene_bytes(Mesh& mesh, std::string_view bytes, const std::string& name, Work* work) {
    using namespace scene_reading;
    if (IoResult r = check_declared_counts(bytes, scene_extension(name), name, work); !r) return r;
    install_logger();
    // Assimp's readers are not safe on every file: one run past its arrays or crashed on
    // inputs found by fuzzing. It reads in a child, so that such a file is a failure.
    ChildOutcome child =
        run_in_child([&](std::string& out, Work& w) { import_scene(bytes, name, w, out); }, work);
    Outcome o;
    if (child.end != ChildEnd::Finished)
        return failure(name, "Assimp's reader failed on the file: " + child.why);
    if (!unpack(child.output, o))
        return failure(name, "Assimp's reader failed on the file: its outcome came garbled");
    ReaderWarnings warnings(name);
    for (const std::string& w : o.warnings) warnings.warn(w);
    if (!o.result) return o.result;
    fill(mesh, o);
    return IoResult::success();
}

IoResult read_scene_file(Mesh& mesh, const std::string& path, Work* work) {
    FileText file;
    if (!file.open(path, non_regular_file_limit, FileContent::Bytes))
        return open_failure("ERROR: Opening File: " + path, file);
    console_printf("Opening: %s\n", path.c_str());
    return read_scene_bytes(mesh, file.text(), path, work);
}
