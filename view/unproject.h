// Turning a window position back into the scene and a scene depth into a
// window depth, as the fixed projection of the table does it. Pure maths on
// the frustum of view/view.h, so that picking and the key-help captions
// need no GL matrices: the model-view matrix of the table is the identity
// (every piece loads its own matrix and pops it again).
#pragma once

#include <array>

#include "view/view.h"

namespace puzzle {

struct Viewport {
  int width = 1;
  int height = 1;
};

// The scene point (x, y, z) seen at window position (winX, winY) -- winY
// counted from the bottom row -- at window depth winZ (0 near .. 1 far).
std::array<double, 3> UnprojectWindow(const Frustum& frustum, Viewport viewport, double winX, double winY,
                                      double winZ);

// The window depth (0 near .. 1 far) at which the depth buffer holds a
// surface at scene depth z (negative, between the near and far planes).
double WindowDepthOf(const Frustum& frustum, double z);

}  // namespace puzzle
