// The view's modes, with the integer values the menus, the command line and stored
// settings use.
#pragma once

#include "core/camera.h"          // Projection
#include "document/render_mode.h" // RenderMode

// What mouse motion drives.
enum class DragMode : int { None = -1, Rotate = 0, Planes = 1, Zoom = 2, Pan = 3 };

// What the mouse works: the camera or the clipping planes.
enum class MouseTarget : int { Camera = 0, Planes = 1 };
