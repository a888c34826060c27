#include "clipping/plane_widget_in_cube.h"

#include "clipping/plane_outline.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Each face's mode and its rest corners (cube corner indices) in order.
struct FacePlane {
    FaceMode mode;
    std::array<int, 4> corners;
};
constexpr FacePlane face_planes[plane_count] = {
    {FaceMode::Front, {0, 1, 3, 2}}, {FaceMode::Back, {6, 7, 5, 4}},
    {FaceMode::Right, {1, 5, 7, 3}}, {FaceMode::Left, {2, 6, 4, 0}},
    {FaceMode::Top, {4, 5, 1, 0}},   {FaceMode::Bottom, {3, 7, 6, 2}},
};

// Sign patterns of the cube corners K0 ... K7.
constexpr int corner_signs[8][3] = {{-1, 1, 1},  {1, 1, 1},  {-1, -1, 1},  {1, -1, 1},
                                    {-1, 1, -1}, {1, 1, -1}, {-1, -1, -1}, {1, -1, -1}};

} // namespace

const char* plane_name(int index) {
    static const char* const names[plane_count] = {"front", "back", "right",
                                                   "left",  "top",  "bottom"};
    return index >= 0 && index < plane_count ? names[index] : "none";
}

float cube_size_around(const Mesh& mesh) {
    const Vector &top = mesh.bbox[1], &c = mesh.centre;
    return std::max({0.0f, 4 * (top.x - c.x), 4 * (top.y - c.y), 4 * (top.z - c.z)});
}

void PlaneWidgetInCube::set_corners() {
    const float half[3] = {cube_size[0] / 2, cube_size[1] / 2, cube_size[2] / 2};
    for (int k = 0; k < 8; ++k)
        cube_corners[k] =
            Vector(float(corner_signs[k][0]) * half[0], float(corner_signs[k][1]) * half[1],
                   float(corner_signs[k][2]) * half[2]);
}

CutPlane PlaneWidgetInCube::default_plane(int i) const {
    const FacePlane& face = face_planes[i];
    std::array<Vector, 4> rest;
    for (int k = 0; k < 4; ++k) rest[k] = cube_corners[face.corners[k]];
    return CutPlane(rest, face.mode);
}

void PlaneWidgetInCube::place_all_planes() {
    set_corners();
    planes.clear();
    for (int i = 0; i < plane_count; ++i) planes.push_back(default_plane(i));
    outlines.assign(plane_count, {});
    selected.fill(-1);
}

void PlaneWidgetInCube::set_cube(float sx, float sy, float sz) {
    cube_size = {sx, sy, sz};
    place_all_planes();
}

void PlaneWidgetInCube::reset_all() {
    place_all_planes();
    rebuild_outlines();
}

void PlaneWidgetInCube::reset_selected() {
    set_corners();
    outlines.resize(planes.size());
    for (size_t i = 0; i < planes.size() && i < plane_count; ++i)
        if (selected[i] == 1) {
            planes[i] = default_plane(int(i));
            outlines[i].clear();
        }
    rebuild_outlines();
}

void PlaneWidgetInCube::toggle_plane(int i) {
    if (i < 0 || i >= int(planes.size()) || i >= plane_count) return;
    selected[i] = -selected[i];
    rebuild_outlines();
}

bool PlaneWidgetInCube::any_selected() const {
    return first_selected() >= 0;
}

int PlaneWidgetInCube::first_selected() const {
    for (int i = 0; i < plane_count; ++i)
        if (selected[i] == 1) return i;
    return -1;
}

void PlaneWidgetInCube::press(const Vector& position, PlaneButton button) {
    for (size_t i = 0; i < planes.size() && i < plane_count; ++i)
        if (selected[i] == 1) planes[i].press(position, button);
}

namespace {

bool finite_xyz(const Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Everything a plane clips and is drawn and saved with is a number.
bool finite_plane(const CutPlane& p) {
    auto all_finite = [](const auto& values) {
        return std::all_of(std::begin(values), std::end(values),
                           [](auto v) { return std::isfinite(v); });
    };
    return finite_xyz(p.normal) && finite_xyz(p.centre) && all_finite(p.equation) &&
           std::all_of(p.corners.begin(), p.corners.end(), finite_xyz) &&
           all_finite(p.arcball.transform) && all_finite(p.arcball.this_rotation) &&
           all_finite(p.arcball.last_rotation);
}

} // namespace

// Rebuilding once after the last plane gives the outlines a rebuild after each would.
// With no plane selected nothing moves and the outlines stay as they are. A plane with
// no direction (its corners coincide) would come out with a NaN normal, which would then
// spread through every later push and into its file: it keeps what it had instead.
void PlaneWidgetInCube::move(const Vector& position) {
    bool moved = false;
    for (size_t i = 0; i < planes.size() && i < plane_count; ++i)
        if (selected[i] == 1) {
            CutPlane before = planes[i];
            planes[i].update(position, cube_edge());
            if (!finite_plane(planes[i]) && finite_plane(before)) planes[i] = std::move(before);
            moved = true;
        }
    if (moved) rebuild_outlines();
}

void PlaneWidgetInCube::release() {
    for (size_t i = 0; i < planes.size() && i < plane_count; ++i)
        if (selected[i] == 1) planes[i].end_drag();
}

void PlaneWidgetInCube::rebuild_outlines() {
    outlines.resize(planes.size());
    for (size_t a = 0; a < planes.size(); ++a)
        outlines[a] = plane_outline(planes[a].normal, planes[a].centre, cube_corners);
}
