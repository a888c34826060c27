// What a frame draws of the mesh, with the integer values the Render Mode menu, the
// command line and stored settings use.
#pragma once

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
