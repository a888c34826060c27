// CutPlane: one clipping plane on a face of the clipping cube. Its own ArcBall tilts it
// about the two axes lying in its face, and a vertical drag of the right button pushes it
// along its normal; the corners, normal, centre and equation follow from that.
#pragma once

#include "core/arcball.h"
#include "core/vector.h"

#include <array>

// The cube face a plane starts on; also the `constraint` of its ArcBall, which turns the
// drag axis into one of the two axes lying in that face.
enum class FaceMode : int {
    Front = 1,  // z = +sz/2
    Back = 2,   // z = -sz/2
    Right = 3,  // x = +sx/2
    Left = 4,   // x = -sx/2
    Top = 5,    // y = +sy/2
    Bottom = 6, // y = -sy/2
};

// The mouse button pressed on a selected plane: the codes its ArcBall keeps in `axis_lock`.
enum class PlaneButton : int {
    Left = 1,   // tilts with vertical mouse motion
    Middle = 2, // tilts with horizontal mouse motion
    Right = 3,  // pushes along the normal with vertical mouse motion
};

// Plane through p1, p2, p3: A, B and C from the corners widened to double, D rounded to
// single precision before it is negated. OpenGL keeps A x + B y + C z + D >= 0, which for
// corners running counter-clockwise seen from outside is the side away from the viewer.
std::array<double, 4> plane_equation(const Vector& p1, const Vector& p2, const Vector& p3);

class CutPlane {
  public:
    // All corners zero, as a plane file's "SIZE:" line makes them until its "P:" line
    // fills them in.
    CutPlane();
    // On a cube face: the ArcBall constrained to the face, the current corners, normal,
    // centre and equation set from the rest corners.
    CutPlane(const std::array<Vector, 4>& rest, FaceMode mode);

    // A press on the selected plane at a window position (y downwards).
    void press(Vector position, PlaneButton button);
    // Follows the mouse to `p` (tilt or push, after the pressed button), then recomputes
    // the corners from the rest corners and everything that depends on them. A push
    // moves 0.1 x cube / 256 per pixel, `cube` being the clipping cube's edge.
    void update(Vector p, float cube = 256);
    void end_drag();

    Vector normal;                    // unit normal, out of the cube for the default planes
    Vector centre;                    // mean of the four current corners
    std::array<double, 4> equation{}; // A, B, C, D through current corners 0, 1, 2
    ArcBall arcball;                  // rotation and translation; constraint = face mode
    Vector last_position;             // window position of the last press or push step
    std::array<Vector, 4> rest_corners;
    std::array<Vector, 4> corners;
};
