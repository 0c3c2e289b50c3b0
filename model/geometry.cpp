#include "model/geometry.h"

#include <algorithm>
#include <cmath>

namespace puzzle {

std::uint32_t GridRows(std::int32_t imageWidth, std::int32_t imageHeight, std::uint32_t columns) {
  const std::uint32_t cell = static_cast<std::uint32_t>(imageWidth) / columns;
  return std::max<std::uint32_t>(2, static_cast<std::uint32_t>(imageHeight) / cell);
}

double HalfPixelOnTable(double pixelScale) {
  return static_cast<double>(TABLE_DEPTH) * pixelScale / NEAR_PLANE;
}

void ComputePictureHalfSizes(GameState& state) {
  const double onTable = HalfPixelOnTable(state.pixelScale);
  const double onBack = (FAR_PLANE - 0.0001) * state.pixelScale / NEAR_PLANE;
  state.halfPicW = static_cast<float>(state.imageWidth * onTable);
  state.halfPicH = static_cast<float>(state.imageHeight * onTable);
  state.backHalfPicW = static_cast<float>(state.imageWidth * onBack);
  state.backHalfPicH = static_cast<float>(state.imageHeight * onBack);
}

bool ComputeCellsAndHomes(GameState& state, const GameOptions& options, float viewOffsetX,
                          float viewOffsetY) {
  const std::uint32_t columns = options.columns;
  const std::uint32_t rows = state.rows;
  if (options.form < 1 || options.form > 4 || columns < 2 || rows < 2) return false;

  // Form 1 centres cells inside the picture; the knobbed forms put the
  // anchors on a lattice whose outer nodes are the picture's edges.
  state.pieceForm = options.form;
  state.pieceBulge = options.bulge;
  const bool lattice = options.form != 1;
  const double spansX = lattice ? columns - 1.0 : columns;
  const double spansY = lattice ? rows - 1.0 : rows;
  state.halfCellW = static_cast<float>(state.halfPicW / spansX);
  state.halfCellH = static_cast<float>(state.halfPicH / spansY);
  if (lattice) {
    const double b = options.bulge;
    state.bulgeSpanX = static_cast<float>(2.0 * b * state.halfCellW);
    state.bulgeHalfY = static_cast<float>(b * state.halfCellH);
    state.bulgeSpanY = static_cast<float>(2.0 * b * state.halfCellH);
    state.bulgeHalfX = static_cast<float>(b * state.halfCellW);
  }
  state.halfCellDiag = static_cast<float>(std::sqrt(static_cast<double>(state.halfCellW) * state.halfCellW +
                                                    static_cast<double>(state.halfCellH) * state.halfCellH));

  const std::size_t count = static_cast<std::size_t>(columns) * rows;
  state.homeX.assign(count, 0.0f);
  state.homeY.assign(count, 0.0f);
  const double offset = lattice ? 0.0 : 1.0;
  for (std::uint32_t j = 0; j < rows; ++j) {
    for (std::uint32_t i = 0; i < columns; ++i) {
      const std::size_t k = static_cast<std::size_t>(j) * columns + i;
      state.homeX[k] =
          static_cast<float>((2.0 * i + offset) * state.halfCellW - state.halfPicW - viewOffsetX);
      state.homeY[k] =
          static_cast<float>((2.0 * j + offset) * state.halfCellH - state.halfPicH - viewOffsetY);
    }
  }
  return true;
}

void PutPiecesOnHomes(GameState& state) {
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    PiecePose& pose = state.pieces[k];
    pose.orient = IDENTITY_ORIENT;
    pose.x = state.homeX[k];
    pose.y = state.homeY[k];
    pose.z = RestingDepth(k);
  }
}

}  // namespace puzzle
