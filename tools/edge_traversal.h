// EdgeTraversal: the view's edge traversal state, which grows a marked region of faces
// from the picked face, and the segment counter of the marked regions.
#pragma once

class EdgeTraversal {
  public:
    int region_counter = 0;
    int depth = 0;
    int angle = 0; // degrees
};
