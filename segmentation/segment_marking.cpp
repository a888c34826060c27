// Marking: the marked faces become the next numbered segment, in one random colour.
#include "core/colour.h"
#include "core/mesh.h"
#include "segmentation/segments.h"
#include "tools/edge_traversal.h"

#include <cstdlib>

Vector segment_colour(int r) {
    float hue = float(r) / 32767.0f * 360.0f;
    // A hue that no sector covers leaves the colour as it starts: black.
    Vector colour(0.0f, 0.0f, 0.0f, 1.0f);
    hsv_to_rgb(hue, 1, 1, colour.x, colour.y, colour.z);
    return colour;
}

int mark_current(Mesh& mesh, EdgeTraversal& traversal) {
    ++traversal.region_counter;
    // The generator's range is taken as 0..32767 whatever RAND_MAX is, so that the hues
    // stay within 0..360.
    Vector colour = segment_colour(std::rand() % 32768);
    int joined = 0;
    for (Face& f : mesh.faces)
        if (f.marked == 1) {
            f.colour = colour;
            f.marked = 0;
            f.segment = traversal.region_counter;
            ++joined;
        }
    return joined;
}
