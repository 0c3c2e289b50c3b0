// A running game laid out like form 1 (cells tiling the picture), every piece
// on its home and at rest, for the tests of the playing rules.
#pragma once

#include <cstdint>

#include "game/records.h"

namespace puzzle::testing {

inline GameState RunningGame(std::uint32_t columns, std::uint32_t rows, float halfCellW = 0.1f,
                             float halfCellH = 0.1f) {
  GameState state;
  state.rows = rows;
  state.pieceCount = columns * rows;
  state.halfCellW = halfCellW;
  state.halfCellH = halfCellH;
  state.halfPicW = static_cast<float>(columns) * halfCellW;
  state.halfPicH = static_cast<float>(rows) * halfCellH;
  state.pieces.resize(state.pieceCount);
  state.homeX.resize(state.pieceCount);
  state.homeY.resize(state.pieceCount);
  for (std::uint32_t j = 0; j < rows; ++j) {
    for (std::uint32_t i = 0; i < columns; ++i) {
      const std::uint32_t k = j * columns + i;
      state.homeX[k] = static_cast<float>(2 * i + 1) * halfCellW - state.halfPicW;
      state.homeY[k] = static_cast<float>(2 * j + 1) * halfCellH - state.halfPicH;
      state.pieces[k].x = state.homeX[k];
      state.pieces[k].y = state.homeY[k];
      state.pieces[k].z = RestingDepth(k);
    }
  }
  state.gameRunning = true;
  return state;
}

}  // namespace puzzle::testing
