// The view's modes, with the integer values the menus, the command line and stored
// settings use.
#pragma once

#include "core/camera.h" // Projection

// What a frame draws of the mesh; the values are the Render Mode menu's item identifiers.
enum class RenderMode : int {
    Wireframe = 0,
    WireframeDottedHiddenLines = 1,
    WireframeNoHiddenLines = 2,
    PolygonsWireframe = 3,
    Polygons = 4,
    Points = 5,
    FaceNormals = 6,
    BoundingBox = 7,
    Faces = 8, // flat faces in their own colours, marked faces highlighted
};
constexpr int render_mode_count = 9;

// What mouse motion drives.
enum class DragMode : int { None = -1, Rotate = 0, Planes = 1, Zoom = 2 };

// What the mouse works: the camera or the clipping planes.
enum class MouseTarget : int { Camera = 0, Planes = 1 };
