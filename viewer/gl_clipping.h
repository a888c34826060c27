// The clipping planes in the frame: their outlines, and the six OpenGL clip planes.
#pragma once

#include "clipping/plane_widget_in_cube.h"

#include <functional>

// The outline of every selected plane in yellow, as a closed loop in the current line
// width with its points; with the first selected plane, and again when `show_all` is 1,
// the outlines of the unselected planes in grey, each as a loop of width 2, after which
// the line width is 1. While a plane is selected the cube's twelve edges are drawn first,
// in a pale blue, so that what a plane moves in shows once it has left the cube's faces.
// The lines are unlit.
void draw_clipping_planes(const PlaneWidgetInCube& planes);
// OpenGL clip plane i = the equation of plane i, under the current model-view matrix.
void load_clip_plane_equations(const PlaneWidgetInCube& planes);
void enable_clipping();
void disable_clipping();

// The frame's clipping layer: draws the planes (unclipped), loads their equations and
// enables the six clip planes, so that everything drawn after it is clipped. The planes
// are read when the layer runs.
std::function<void()> clipping_planes_layer(const PlaneWidgetInCube& planes);
