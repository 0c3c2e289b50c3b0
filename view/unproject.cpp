#include "view/unproject.h"

namespace puzzle {

std::array<double, 3> UnprojectWindow(const Frustum& frustum, Viewport viewport, double winX, double winY,
                                      double winZ) {
  const double n = frustum.nearPlane;
  const double f = frustum.farPlane;
  const double ndcX = 2.0 * winX / viewport.width - 1.0;
  const double ndcY = 2.0 * winY / viewport.height - 1.0;
  const double ndcZ = 2.0 * winZ - 1.0;
  // Inverse of the frustum's depth mapping; the eye looks down -z.
  const double z = -2.0 * f * n / ((f + n) - ndcZ * (f - n));
  const double x = -z * (ndcX * (frustum.right - frustum.left) + (frustum.right + frustum.left)) / (2.0 * n);
  const double y = -z * (ndcY * (frustum.top - frustum.bottom) + (frustum.top + frustum.bottom)) / (2.0 * n);
  return {x, y, z};
}

double WindowDepthOf(const Frustum& frustum, double z) {
  const double n = frustum.nearPlane;
  const double f = frustum.farPlane;
  const double ndcZ = (f + n) / (f - n) + 2.0 * f * n / ((f - n) * z);
  return 0.5 * (ndcZ + 1.0);
}

}  // namespace puzzle
