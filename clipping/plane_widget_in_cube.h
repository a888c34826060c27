// PlaneWidgetInCube: six clipping planes in a cube around the mesh, moved with the
// mouse, kept in .clp files.
//
// The planes start on the six faces of an axis-aligned cube centred on the origin of the
// frame the mesh is drawn in (the mesh is drawn shifted by minus its centre), so that
// nothing is clipped. A selected plane follows the mouse: the left button tilts it with
// vertical motion, the middle button with horizontal motion, the right button pushes it
// along its normal. Drawing the outlines and loading the planes into OpenGL live with
// the view's drawing (viewer/gl_clipping.h); this class is geometry only.
#pragma once

#include "clipping/cut_plane.h"
#include "core/io_result.h"
#include "core/mesh.h"
#include "core/vector.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

constexpr int plane_count = 6;

// Plane i as the panel names it: "front", "back", "right", "left", "top", "bottom";
// "none" for any other index.
const char* plane_name(int index);

// Edge of the cube put around a loaded mesh: four times the largest of its bounding
// box's half extents about its centre (corner 1 minus the centre), 0 at least.
float cube_size_around(const Mesh& mesh);

class PlaneWidgetInCube {
  public:
    // The cube's edge lengths: corners K0 ... K7 at the sign patterns (-,+,+), (+,+,+),
    // (-,-,+), (+,-,+), (-,+,-), (+,+,-), (-,-,-), (+,-,-) times half of them, and the six
    // planes on its faces (front, back, right, left, top, bottom). No plane is selected
    // and the outlines are empty until the next rebuild_outlines().
    void set_cube(float sx, float sy, float sz);
    void set_size(float s) { set_cube(s, s, s); }

    // Every plane back on its face, none selected; outlines rebuilt.
    void reset_all();
    // The selected planes back on their faces, still selected; outlines rebuilt.
    void reset_selected();
    // Selects or deselects plane i and rebuilds the outlines; other indices do nothing.
    void toggle_plane(int i);
    bool any_selected() const;
    // The lowest selected index, or -1.
    int first_selected() const;

    // The mouse on the selected planes, in index order (positions in window pixels,
    // y downwards). A move that would leave a plane with a value that is not finite (a
    // plane whose corners coincide, such as one read as zeros, has no normal) leaves that
    // plane as it was.
    void press(const Vector& position, PlaneButton button);
    void move(const Vector& position);
    void release();

    // Per plane, the polygon where it cuts the cube (see plane_outline).
    void rebuild_outlines();

    // The .clp file: "SIZE: 6", then one "P:" line of 69 values per plane. Saving goes
    // through a temporary file and refuses planes holding a value that is not finite,
    // writing nothing; loading refuses a file that does not give six whole planes and
    // then leaves every plane as it was. Failures print the console line and return the
    // error.
    IoResult save(const std::string& filename) const;
    IoResult load(const std::string& filename);

    std::vector<std::vector<Vector>> outlines;
    int show_all = 0; // 1: the outlines of unselected planes are drawn too
    std::array<float, 3> cube_size{0, 0, 0};
    // The cube's longest edge, which scales a push.
    float cube_edge() const { return std::max({cube_size[0], cube_size[1], cube_size[2]}); }
    std::array<Vector, 8> cube_corners;
    std::array<int, plane_count> selected{-1, -1, -1, -1, -1, -1}; // 1 selected, -1 not
    std::vector<CutPlane> planes;

  private:
    void set_corners();
    // Every plane on its face with an empty outline, none selected.
    void place_all_planes();
    CutPlane default_plane(int i) const;
};

// The .clp text of a plane set: "SIZE: " with the count, then per plane "P: " and its
// 69 values separated by blanks (floats with six significant digits).
std::string format_clp(const std::vector<CutPlane>& planes);
// Success when every value format_clp would write is a finite number; otherwise the
// error names `name`, the plane and the value.
IoResult check_finite_planes(const std::vector<CutPlane>& planes, const std::string& name);

// Reads .clp text over `planes` (the planes as they are). A line that reads as
// "SIZE: %i" must say 6, with nothing after, and replaces the planes by six blank ones;
// the n-th "P:" line must hold its 69 finite values and fills plane n - 1 (lines beyond
// the planes are ignored); other lines, those starting with "S" included, are skipped. The
// text is taken only when, at its end, every one of six planes has been filled since the
// last "SIZE:" line; otherwise `planes` is left alone and the error names `name` and the
// line.
IoResult parse_clp(std::string_view text, const std::string& name, std::vector<CutPlane>& planes);
