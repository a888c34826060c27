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

// Vertices of the same position and colour, bit for bit, as one: an open-addressed
// table of indices into the vertices kept, which are appended in the order first met.
class Welder {
  public:
    // The index of the vertex at `p` with colour `c`, whose hash is `h` (hash(p, c)).
    int add(const Vector& p, const Vector& c, size_t h) {
        if ((positions.size() + 1) * 2 > slots.size()) grow();
        const size_t mask = slots.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
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

    // Room for `n` vertices met, of which as few as a sixth (a closed STL mesh's) or as
    // many as all may be distinct: the table is made for half, growing once at most.
    void reserve(size_t n) {
        reserve_big(positions, n);
        reserve_big(colours, n);
        slots.assign(std::bit_ceil(std::max<size_t>(1024, n)), -1);
    }

    // Brings the slot where a vertex of hash `h` starts its search into the cache.
    void prefetch(size_t h) const { __builtin_prefetch(&slots[h & (slots.size() - 1)], 1); }

    static size_t hash(const Vector& p, const Vector& c) {
        uint64_t h = 0;
        for (float f : {p.x, p.y, p.z, c.x, c.y, c.z})
            h = (h ^ std::bit_cast<uint32_t>(f)) * 0x9E3779B97F4A7C15ull;
        return size_t(h ^ (h >> 29));
    }

    std::vector<Vector> positions, colours;

  private:
    std::vector<int> slots; // -1 for an empty one

    static bool same(const Vector& a, const Vector& b) {
        return std::bit_cast<uint32_t>(a.x) == std::bit_cast<uint32_t>(b.x) &&
               std::bit_cast<uint32_t>(a.y) == std::bit_cast<uint32_t>(b.y) &&
               std::bit_cast<uint32_t>(a.z) == std::bit_cast<uint32_t>(b.z);
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
    void send(ChildOutput& out, const std::vector<std::string>& warnings) const;

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
    welder.reserve(size_t(vertices));
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
        !colour.is_finite())
        return failure(name, "a material colour is not a finite number (mesh " +
                                 std::to_string(p.index) + ")");
    welded.resize(m.mNumVertices);
    // In blocks, whose table slots are all asked for before the first is searched, so
    // that the cache misses of a block overlap.
    constexpr unsigned block = 64;
    Vector positions[block], colours[block];
    size_t hashes[block];
    for (unsigned first = 0; first < m.mNumVertices; first += block) {
        const unsigned count = std::min(block, m.mNumVertices - first);
        for (unsigned k = 0; k < count; ++k, ++done) {
            advance_every(work, done, total);
            const unsigned v = first + k;
            aiVector3D q = p.transform * m.mVertices[v];
            positions[k] = Vector(plain_zero(q.x), plain_zero(q.y), plain_zero(q.z));
            auto where = [&] {
                return " (mesh " + std::to_string(p.index) + ", vertex " + std::to_string(v) + ")";
            };
            if (!positions[k].is_finite())
                return failure(name, "a position is not a finite number" + where());
            if (by_vertex) {
                const aiColor4D& c = m.mColors[0][v];
                colour = Vector(plain_zero(c.r * colour_scale), plain_zero(c.g * colour_scale),
                                plain_zero(c.b * colour_scale), 1.0f);
                if (!colour.is_finite())
                    return failure(name, "a colour is not a finite number" + where());
            }
            colours[k] = colour;
            hashes[k] = Welder::hash(positions[k], colour);
            welder.prefetch(hashes[k]);
        }
        for (unsigned k = 0; k < count; ++k)
            welded[first + k] = welder.add(positions[k], colours[k], hashes[k]);
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

// The child writes its outcome in the machine's own layout (both ends are the same
// program): the length of a head, the head, then, for a file read, the welded vertices,
// their colours and the triangles. The head holds how many warnings there were, the
// texts of those that will be shown, whether the file was read, and then the failure's
// message or the counts of the arrays.
void put_size(std::string& out, uint64_t n) {
    out.append(reinterpret_cast<const char*>(&n), sizeof n);
}
void put_text(std::string& out, const std::string& text) {
    put_size(out, text.size());
    out.append(text);
}

// The head up to the counts of the arrays.
std::string outcome_head(const std::vector<std::string>& warnings, const IoResult& result) {
    std::string head;
    put_size(head, warnings.size());
    const size_t shown = std::min(warnings.size(), size_t(ReaderWarnings::shown));
    put_size(head, shown);
    for (size_t k = 0; k < shown; ++k) put_text(head, warnings[k]);
    put_size(head, result.ok);
    if (!result) put_text(head, result.error);
    return head;
}

void send_head(ChildOutput& out, const std::string& head) {
    uint64_t length = head.size();
    out.write(&length, sizeof length);
    out.write(head.data(), head.size());
}

template <typename T>
void send_array(ChildOutput& out, const std::vector<T>& v) {
    out.write(v.data(), v.size() * sizeof(T));
}

void SceneJoin::send(ChildOutput& out, const std::vector<std::string>& warnings) const {
    std::string head = outcome_head(warnings, IoResult::success());
    put_size(head, welder.positions.size());
    put_size(head, triangles.size());
    send_head(out, head);
    send_array(out, welder.positions);
    send_array(out, welder.colours);
    send_array(out, triangles);
}

// Takes the head apart again; a count beyond what is left makes it not whole.
class Unpacker {
  public:
    explicit Unpacker(std::string_view bytes) : rest(bytes) {}
    bool whole() const { return ok; }
    uint64_t size() {
        uint64_t n = 0;
        if (rest.size() < sizeof n) return ok = false, 0;
        std::memcpy(&n, rest.data(), sizeof n);
        rest.remove_prefix(sizeof n);
        return n;
    }
    std::string text() {
        uint64_t n = size();
        if (n > rest.size()) return ok = false, std::string();
        std::string t(rest.substr(0, size_t(n)));
        rest.remove_prefix(size_t(n));
        return t;
    }

  private:
    std::string_view rest;
    bool ok = true;
};

struct Outcome {
    uint64_t warnings = 0; // of which the first are in `shown`
    std::vector<std::string> shown;
    IoResult result;
    std::vector<Vector> positions, colours;
    std::vector<std::array<int, 3>> triangles;
};

template <typename T>
bool receive_array(ChildInput& in, std::vector<T>& v, uint64_t n) {
    reserve_big(v, size_t(n));
    v.resize(size_t(n));
    return in.read(static_cast<void*>(v.data()), v.size() * sizeof(T));
}

// What the child sends, as far as it is whole and within the counts a mesh may have.
bool receive(ChildInput& in, Outcome& o) {
    uint64_t length = 0;
    if (!in.read(&length, sizeof length) || length > (uint64_t(1) << 26)) return false;
    std::string head(size_t(length), '\0');
    if (!in.read(head.data(), head.size())) return false;
    Unpacker u(head);
    o.warnings = u.size();
    for (uint64_t k = u.size(); k > 0 && u.whole(); --k) o.shown.push_back(u.text());
    if (!u.size()) {
        o.result = IoResult::failure(u.text());
        return u.whole();
    }
    const uint64_t nv = u.size(), nf = u.size();
    if (!u.whole() || nv > uint64_t(INT32_MAX) || nf > uint64_t(INT32_MAX)) return false;
    if (!receive_array(in, o.positions, nv) || !receive_array(in, o.colours, nv) ||
        !receive_array(in, o.triangles, nf))
        return false;
    for (const auto& t : o.triangles)
        for (int v : t)
            if (v < 0 || uint64_t(v) >= nv) return false;
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
// sent to `out`.
IoResult import_and_join(std::string_view bytes, const std::string& name, Work& work,
                         std::vector<std::string>& warnings, ChildOutput& out) {
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
    join.send(out, warnings);
    return IoResult::success();
}

// The import and the join, as the child makes them, and their outcome sent to `out`.
void import_scene(std::string_view bytes, const std::string& name, Work& work, ChildOutput& out) {
    std::vector<std::string> warnings;
    IoResult r;
    try {
        r = import_and_join(bytes, name, work, warnings, out);
    } catch (const std::bad_alloc&) {
        r = out_of_memory(name);
    } catch (const std::length_error&) {
        r = out_of_memory(name);
    }
    if (!r) send_head(out, outcome_head(warnings, r));
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
    Outcome o;
    ChildOutcome child =
        run_in_child([&](ChildOutput& out, Work& w) { import_scene(bytes, name, w, out); },
                     [&](ChildInput& in) { return receive(in, o); }, work);
    if (child.end != ChildEnd::Finished)
        return failure(name, "Assimp's reader failed on the file: " + child.why);
    ReaderWarnings warnings(name);
    for (uint64_t k = 0; k < o.warnings; ++k) // past the shown ones, only counted
        warnings.warn(k < o.shown.size() ? std::string_view(o.shown[k]) : std::string_view());
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
