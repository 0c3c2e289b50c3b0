#include "shapes/home_layout.h"

#include "game/geometry.h"

namespace puzzle {

bool LayOutOnHomes(GameState& state, const GameOptions& options) {
  if (options.columns < 2 || state.imageWidth < 1 || state.imageHeight < 1) return false;
  const std::uint32_t cell = static_cast<std::uint32_t>(state.imageWidth) / options.columns;
  if (cell == 0) return false;
  std::uint32_t rows = static_cast<std::uint32_t>(state.imageHeight) / cell;
  if (rows < 2) rows = 2;
  const std::uint64_t count = static_cast<std::uint64_t>(rows) * options.columns;
  if (count > MAX_PIECES || options.form < 1 || options.form > 4) return false;

  state.rows = rows;
  state.pieceCount = static_cast<std::uint32_t>(count);
  ComputePictureHalfSizes(state);
  if (!ComputeCellsAndHomes(state, options)) return false;
  state.pieces.assign(state.pieceCount, PiecePose{});
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    state.pieces[k].x = state.homeX[k];
    state.pieces[k].y = state.homeY[k];
    state.pieces[k].z = RestingDepth(k);
  }
  return true;
}

}  // namespace puzzle
