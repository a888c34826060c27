// The normal filters' search sphere in the frame, drawn in mesh coordinates (the frame
// centres it on the mesh with everything else).
#pragma once

#include "core/vector.h"
#include "segmentation/mean_shift.h"

#include <GL/gl.h>

// The filter's current search sphere (its centre and radius.x): red and half
// transparent, then its outlines in black, inner side only (front faces culled). Draws
// nothing while the mesh has no vertices or the radius is 0 (before any run). Leaves
// lighting on after a sphere, off otherwise.
void draw_window(const MeanShift& filter);

// A sphere of centre c and radius r in n bands, each band one primitive of the given
// kind (GL_QUAD_STRIP, GL_LINE_LOOP): latitudes run from -pi/2 through 3 pi/2, so the
// surface is covered twice. Per corner: normal, texture coordinate, vertex.
void draw_sphere(const Vector& c, float r, int n, GLenum primitive);
