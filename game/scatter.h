// The scatter after Start and the settle phase that follows it: pieces drift
// at a constant per-frame velocity inside a bounce box, may start spinning
// (or flip face down in a 3D game) at a bounce, and when the scatter time is
// over every spin is finished and all orientations are snapped. The frame
// renderer calls AdvanceScatter once per frame and nothing else of this file.
// Writes pieces (x, y, orientation), angles, scatterVX/VY, scatterRunning,
// settleRunning, scatterClockReset and scatterStartTick of GameState.
#pragma once

#include <cstdint>

#include "model/records.h"
#include "view/table_view.h"

namespace puzzle {

// The spin a bounce sets, in degrees, chosen by the millisecond tick: a
// multiple of 45 (180 most often); in a 3D game -180, a flip about the
// vertical axis, in place of three of the four 180s.
void RandomTurnAngle(float& angle, bool game3D, std::uint32_t tickMs);

// Works one angleStep off the spin of piece i. Spins in (0, 180) turn
// positively, [180, 360) negatively towards 360, negative ones flip about the
// vertical axis; a remainder within 0.125 of 0 (or exactly 360) ends the spin.
void SpinStep(GameState& state, const GameOptions& options, std::uint32_t i);

// Moves every piece by one frame, bouncing off the box that keeps the pieces
// on the visible table (a picture smaller than the window) or over the
// picture (a larger one). tickMs feeds the spins drawn at bounces.
void ScatterStep(GameState& state, const TableView& view, const GameOptions& options, std::uint32_t tickMs);

// One frame of the settle phase: advances every unfinished spin; once none is
// left, snaps every orientation and clears settleRunning.
void SettleTurns(GameState& state, const GameOptions& options);

// Ends the scatter and the settle phase at once, the pieces where they lie:
// every spin is worked off in one go and the orientations snapped, as the
// settle phase would leave them (so that the window can close at once).
void EndScatterNow(GameState& state, const GameOptions& options);

// The frame's share of scatter and settle: a scatter step while the scatter
// runs, the scatter clock (armed by scatterClockReset, expiring after
// scatterSeconds, measured as an unsigned difference so the tick may wrap),
// and a settle step while settling, already in the frame the scatter stops.
void AdvanceScatter(GameState& state, const TableView& view, const GameOptions& options,
                    std::uint32_t tickMs);

}  // namespace puzzle
