#include "render/unproject.h"

#include <gtest/gtest.h>

namespace puzzle {
namespace {

Frustum ViewOf(int w, int h) {
  ViewSetup view;
  view.creationWidth = w;
  view.creationHeight = h;
  GameState state;
  SetUpProjection(view, state);
  return ResizedFrustum(view, w, h);
}

TEST(Unproject, WindowPositionsComeBackAtTheirDepthAndPixelSize) {
  const Frustum f = ViewOf(800, 600);
  EXPECT_NEAR(WindowDepthOf(f, -TABLE_DEPTH), 0.587648, 5e-7);
  EXPECT_NEAR(WindowDepthOf(f, -NEAR_PLANE), 0.0, 1e-12);
  EXPECT_NEAR(WindowDepthOf(f, -FAR_PLANE), 1.0, 1e-12);
  // A raised piece is still seen as a piece, just above the lower bound.
  EXPECT_GT(WindowDepthOf(f, 0.00001 - TABLE_DEPTH), 0.5876430273056);

  const Viewport viewport{800, 600};
  for (double z : {-TABLE_DEPTH * 1.0, -5.704729, -5.0, -6.5}) {
    const auto p = UnprojectWindow(f, viewport, 400, 300, WindowDepthOf(f, z));
    EXPECT_NEAR(p[2], z, 1e-9);
    EXPECT_NEAR(p[0], 0.0, 1e-12);
    EXPECT_NEAR(p[1], 0.0, 1e-12);
  }
  // On the table one screen pixel is one picture pixel: 2 T pixelScale / N.
  const double pixel = 2.0 * TABLE_DEPTH / 600.0 / NEAR_PLANE;
  const auto p = UnprojectWindow(f, viewport, 400 + 100, 300 - 50, WindowDepthOf(f, -TABLE_DEPTH));
  EXPECT_NEAR(p[0], 100 * pixel, 1e-9);
  EXPECT_NEAR(p[1], -50 * pixel, 1e-9);
  // The left edge of the window lies at the frustum's edge scaled to the depth.
  const auto edge = UnprojectWindow(f, viewport, 0, 300, 0.0);
  EXPECT_NEAR(edge[0], f.left, 1e-12);
}

}  // namespace
}  // namespace puzzle
