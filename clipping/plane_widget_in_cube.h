// PlaneWidgetInCube: six clipping planes in a cube around the mesh, moved with the
// mouse, kept in .clp files.
#pragma once

class PlaneWidgetInCube {
  public:
};
