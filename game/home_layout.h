// A game with every piece on its home, as Start leaves it just before the
// scatter: what the headless renderer, the benchmark and the GL tests draw.
// Writes rows, pieceCount, the picture, cell and knob measures, the homes and
// the piece poses of GameState; reads the picture size and pixelScale.
#pragma once

#include "model/records.h"

namespace puzzle {

// The grid follows Start's rule: cells about square, `columns` across, at
// least two rows. False, leaving the pieces untouched, when the grid would
// have no cells, more than MAX_PIECES pieces or a form outside 1-4.
bool LayOutOnHomes(GameState& state, const GameOptions& options);

}  // namespace puzzle
