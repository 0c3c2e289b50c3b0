// The table geometry rule: how a picture size and a grid become half picture
// sizes, cell measures, knob measures and the home of every piece. Start, the
// game-file reader and applying options all use these two functions and no
// other arithmetic of their own.
#pragma once

#include "model/records.h"

namespace puzzle {

// Start's grid: cells about square, `columns` across, at least two rows.
// Needs 1 <= columns <= imageWidth.
std::uint32_t GridRows(std::int32_t imageWidth, std::int32_t imageHeight, std::uint32_t columns);

// Half a picture pixel on the table, the unit that sets the fineness of arcs.
double HalfPixelOnTable(double pixelScale);

// Writes halfPicW/H and backHalfPicW/H from the picture size and pixelScale.
void ComputePictureHalfSizes(GameState& state);

// Writes the cell measures, halfCellDiag, the knob measures (forms 2-4) and
// homeX/homeY for columns x state.rows pieces, shifted by the offsets by
// which the table has slid under the window (0 for an unscrolled table).
// homeX and homeY are made anew for pieceCount entries. Returns false, and
// builds no homes, for a form outside 1-4 or a grid below 2 x 2.
bool ComputeCellsAndHomes(GameState& state, const GameOptions& options, float viewOffsetX = 0,
                          float viewOffsetY = 0);

// The assembled picture: every piece of the (already sized) pieces array
// unturned on its home, piece k at resting depth k, so lower indices lie on
// top.
void PutPiecesOnHomes(GameState& state);

}  // namespace puzzle
