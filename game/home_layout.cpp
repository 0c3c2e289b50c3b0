#include "game/home_layout.h"

#include "model/geometry.h"

namespace puzzle {

bool LayOutOnHomes(GameState& state, const GameOptions& options) {
  if (options.columns < 2 || state.imageWidth < 1 || state.imageHeight < 1) return false;
  if (options.columns > static_cast<std::uint32_t>(state.imageWidth)) return false;
  const std::uint32_t rows = GridRows(state.imageWidth, state.imageHeight, options.columns);
  const std::uint64_t count = static_cast<std::uint64_t>(rows) * options.columns;
  if (count > MAX_PIECES || options.form < 1 || options.form > 4) return false;

  state.rows = rows;
  state.pieceCount = static_cast<std::uint32_t>(count);
  ComputePictureHalfSizes(state);
  if (!ComputeCellsAndHomes(state, options)) return false;
  state.pieces.assign(state.pieceCount, PiecePose{});
  PutPiecesOnHomes(state);
  return true;
}

}  // namespace puzzle
