#include "model/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace puzzle {
namespace {

// A 3 x 2 grid on a picture of w x h pixels at pixelScale 1/600.
bool Homes(GameState& state, int w, int h, std::uint8_t form, float bulge = 0.25f, float viewOffsetX = 0,
           float viewOffsetY = 0) {
  state.imageWidth = w;
  state.imageHeight = h;
  state.rows = 2;
  state.pieceCount = 6;
  ComputePictureHalfSizes(state);
  GameOptions options;
  options.columns = 3;
  options.form = form;
  options.bulge = bulge;
  return ComputeCellsAndHomes(state, options, viewOffsetX, viewOffsetY);
}

TEST(GeometryRule, Form1CentresCellsAndKnobbedFormsAnchorOnTheEdges) {
  GameState state;
  ASSERT_TRUE(Homes(state, 300, 200, 1));
  EXPECT_FLOAT_EQ(state.halfCellW, state.halfPicW / 3);
  EXPECT_FLOAT_EQ(state.halfCellH, state.halfPicH / 2);
  EXPECT_NEAR(state.homeX[4], 0.0f, 1e-6f);  // column 1 of the upper row
  EXPECT_FLOAT_EQ(state.homeY[4], state.halfPicH / 2);
  EXPECT_FLOAT_EQ(state.homeX[0], -state.halfPicW + state.halfCellW);

  ASSERT_TRUE(Homes(state, 300, 200, 2));
  EXPECT_FLOAT_EQ(state.homeX[0], -state.halfPicW);
  EXPECT_FLOAT_EQ(state.homeY[0], -state.halfPicH);
  EXPECT_FLOAT_EQ(state.homeX[5], state.halfPicW);
  EXPECT_FLOAT_EQ(state.homeY[5], state.halfPicH);
  EXPECT_FLOAT_EQ(state.bulgeSpanX, 0.5f * state.halfCellW);
  EXPECT_FLOAT_EQ(state.bulgeHalfY, 0.25f * state.halfCellH);
  EXPECT_FLOAT_EQ(state.halfCellDiag, std::hypot(state.halfCellW, state.halfCellH));
}

TEST(GeometryRule, PictureSizeFollowsPixelScaleAndHomesFollowTheScroll) {
  GameState state;
  // Scrolled: the table has slid by (0.5, -0.25).
  ASSERT_TRUE(Homes(state, 600, 600, 3, 0.25f, 0.5f, -0.25f));
  // 600 pixels at pixelScale 1/600 span the near plane's full height.
  EXPECT_FLOAT_EQ(state.halfPicW, static_cast<float>(TABLE_DEPTH / NEAR_PLANE));
  EXPECT_FLOAT_EQ(state.homeX[0], -state.halfPicW - 0.5f);
  EXPECT_FLOAT_EQ(state.homeY[0], -state.halfPicH + 0.25f);

  GameState unknown;
  EXPECT_FALSE(Homes(unknown, 300, 200, 7));
  EXPECT_TRUE(unknown.homeX.empty());
  // Resting depths stack lower indices on top.
  EXPECT_FLOAT_EQ(RestingDepth(0), -5.70463f);
  EXPECT_FLOAT_EQ(RestingDepth(99), -5.704729f);
}

}  // namespace
}  // namespace puzzle
