#include "view/unproject.h"

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

TEST(Unproject, TablePlaneHasItsKnownDepthAndOnePicturePixelPerScreenPixel) {
  const Frustum f = ViewOf(800, 600);
  EXPECT_NEAR(WindowDepthOf(f, -TABLE_DEPTH), 0.587648, 5e-7);
  EXPECT_NEAR(WindowDepthOf(f, -NEAR_PLANE), 0.0, 1e-12);
  EXPECT_NEAR(WindowDepthOf(f, -FAR_PLANE), 1.0, 1e-12);
  // A raised piece is still seen as a piece, just above the lower bound.
  EXPECT_GT(WindowDepthOf(f, 0.00001 - TABLE_DEPTH), 0.5876430273056);

  const Viewport viewport{800, 600};
  // On the table one screen pixel is one picture pixel: 2 T pixelScale / N.
  const double pixel = 2.0 * TABLE_DEPTH / 600.0 / NEAR_PLANE;
  const auto p = UnprojectWindow(f, viewport, 400 + 100, 300 - 50, WindowDepthOf(f, -TABLE_DEPTH));
  EXPECT_NEAR(p[2], -TABLE_DEPTH, 1e-9);
  EXPECT_NEAR(p[0], 100 * pixel, 1e-9);
  EXPECT_NEAR(p[1], -50 * pixel, 1e-9);
}

}  // namespace
}  // namespace puzzle
