// Shared by the tests that apply options: a small running game and the
// options the dialog changes.
#pragma once

#include <gtest/gtest.h>

#include <tuple>

#include "model/geometry.h"

namespace puzzle::testing {

// A running 3 x 2 game in form 1 on a 300 x 200 picture, every piece turned
// a quarter and moved off its home.
inline void StartSmallGame(GameState& state, GameOptions& options) {
  options.columns = 3;
  options.form = 1;
  state.rows = 2;
  state.pieceCount = 6;
  state.imageWidth = 300;
  state.imageHeight = 200;
  ComputePictureHalfSizes(state);
  ASSERT_TRUE(ComputeCellsAndHomes(state, options));
  state.pieces.resize(6);
  for (std::uint32_t k = 0; k < 6; ++k) {
    state.pieces[k].x = 0.1f * static_cast<float>(k);
    state.pieces[k].y = -0.05f * static_cast<float>(k);
    state.pieces[k].z = RestingDepth(k);
    state.pieces[k].orient = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  }
  state.gameRunning = true;
}

// Every option the dialog can change, to compare at once.
inline auto DialogFields(const GameOptions& o) {
  return std::tie(o.form, o.bulge, o.angleStep, o.scatterSeconds, o.showEdges, o.showFrame, o.showCentres,
                  o.brandedBackground, o.gameRotate, o.game3D, o.colors);
}

}  // namespace puzzle::testing
