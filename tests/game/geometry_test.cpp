#include "game/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace puzzle {
namespace {

GameState Picture(int w, int h, std::uint32_t rows) {
  GameState state;
  state.pixelScale = 1.0 / 600.0;
  state.imageWidth = w;
  state.imageHeight = h;
  state.rows = rows;
  state.pieceCount = 3 * rows;
  ComputePictureHalfSizes(state);
  return state;
}

TEST(GeometryRule, Form1CentresCellsInsideThePicture) {
  GameState state = Picture(300, 200, 2);
  GameOptions options;
  options.columns = 3;
  options.form = 1;
  ASSERT_TRUE(ComputeCellsAndHomes(state, options));
  EXPECT_FLOAT_EQ(state.halfCellW, state.halfPicW / 3);
  EXPECT_FLOAT_EQ(state.halfCellH, state.halfPicH / 2);
  // Piece 4 sits in column 1 of the upper row.
  EXPECT_NEAR(state.homeX[4], 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(state.homeY[4], state.halfPicH / 2);
  EXPECT_FLOAT_EQ(state.homeX[0], -state.halfPicW + state.halfCellW);
}

TEST(GeometryRule, KnobbedFormsPutAnchorsOnThePictureEdges) {
  GameState state = Picture(300, 200, 2);
  GameOptions options;
  options.columns = 3;
  options.form = 2;
  options.bulge = 0.25f;
  ASSERT_TRUE(ComputeCellsAndHomes(state, options));
  EXPECT_FLOAT_EQ(state.homeX[0], -state.halfPicW);
  EXPECT_FLOAT_EQ(state.homeY[0], -state.halfPicH);
  EXPECT_FLOAT_EQ(state.homeX[5], state.halfPicW);
  EXPECT_FLOAT_EQ(state.homeY[5], state.halfPicH);
  EXPECT_FLOAT_EQ(state.bulgeSpanX, 0.5f * state.halfCellW);
  EXPECT_FLOAT_EQ(state.bulgeHalfY, 0.25f * state.halfCellH);
  EXPECT_FLOAT_EQ(state.halfCellDiag, std::hypot(state.halfCellW, state.halfCellH));
}

TEST(GeometryRule, PictureSizeFollowsPixelScaleAndHomesFollowTheScroll) {
  GameState state = Picture(600, 600, 2);
  // 600 pixels at pixelScale 1/600 span the near plane's full height.
  EXPECT_FLOAT_EQ(state.halfPicW, static_cast<float>(TABLE_DEPTH / NEAR_PLANE));
  state.viewOffsetX = 0.5f;
  state.viewOffsetY = -0.25f;
  GameOptions options;
  options.columns = 3;
  options.form = 3;
  ASSERT_TRUE(ComputeCellsAndHomes(state, options));
  EXPECT_FLOAT_EQ(state.homeX[0], -state.halfPicW - 0.5f);
  EXPECT_FLOAT_EQ(state.homeY[0], -state.halfPicH + 0.25f);
}

TEST(GeometryRule, RefusesUnknownFormsAndBuildsNoHomes) {
  GameState state = Picture(300, 200, 2);
  GameOptions options;
  options.columns = 3;
  options.form = 7;
  EXPECT_FALSE(ComputeCellsAndHomes(state, options));
  EXPECT_TRUE(state.homeX.empty());
}

TEST(Records, RestingDepthStacksLowerIndicesOnTop) {
  EXPECT_FLOAT_EQ(RestingDepth(0), -5.70463f);
  EXPECT_FLOAT_EQ(RestingDepth(99), -5.704729f);
}

}  // namespace
}  // namespace puzzle
