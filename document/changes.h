// What a document operation changed, for the window to repaint, reframe and tell its
// panels by, and the outcome of an operation: what changed and, on failure, why.
#pragma once

#include "core/io_result.h"

#include <string>

enum class Change : unsigned {
    Geometry = 1u << 0,    // the mesh was replaced: other vertices and faces
    Colours = 1u << 1,     // vertex or face colours
    FaceNormals = 1u << 2, // face normals (the filters)
    Marks = 1u << 3,       // face marks or segments
    Selection = 1u << 4,   // the selected face
    Planes = 1u << 5,      // the clipping planes
    Camera = 1u << 6,      // a new mesh to frame
    ToolLists = 1u << 7,   // what the panels list: the morphogens, the number of patches
    RenderMode = 1u << 8,
    Projection = 1u << 9,
    History = 1u << 10, // what Undo and Redo offer
};

class Changes {
  public:
    constexpr Changes() = default;
    constexpr Changes(Change c) : bits(unsigned(c)) {}

    constexpr bool has(Change c) const { return (bits & unsigned(c)) != 0; }
    constexpr bool any() const { return bits != 0; }
    constexpr Changes without(Changes other) const { return from_bits(bits & ~other.bits); }
    constexpr Changes& operator|=(Changes other) {
        bits |= other.bits;
        return *this;
    }
    friend constexpr Changes operator|(Changes a, Changes b) { return a |= b; }
    friend constexpr bool operator==(Changes, Changes) = default;

  private:
    static constexpr Changes from_bits(unsigned b) {
        Changes c;
        c.bits = b;
        return c;
    }
    unsigned bits = 0;
};

constexpr Changes operator|(Change a, Change b) {
    return Changes(a) | Changes(b);
}

// Everything a new mesh changes.
constexpr Changes mesh_replaced = Change::Geometry | Change::Colours | Change::FaceNormals |
                                  Change::Marks | Change::Selection | Change::ToolLists;

struct Outcome {
    Changes changed;
    IoResult result;
    std::string note; // on success, what the operation reports (the window's status bar)

    explicit operator bool() const { return bool(result); }
    const std::string& error() const { return result.error; }

    static Outcome done(Changes changed) { return {changed, IoResult::success(), {}}; }
    static Outcome failure(std::string message, Changes changed = {}) {
        return {changed, IoResult::failure(std::move(message)), {}};
    }
    static Outcome from(const IoResult& r, Changes changed = {}) { return {changed, r, {}}; }
};
