// Check and Prompt, the two helps of the Game menu. Check settles pieces that
// lie near their own home, counts the misplaced ones, clears them out beside
// the picture and reports the count, or congratulates the player: it is the
// only victory test. Prompt shows the whole picture over the table and lets it
// fade; the frame renderer advances the fade once per drawn frame.
//
// These functions write piece positions and depths and the prompt fields of
// GameState (CheckCommand also the TableView, through its rules); they record
// nothing in the Undo history. A Check that moves a piece marks the game
// changed.
#pragma once

#include <cstdint>
#include <optional>

#include "game/picking.h"
#include "model/records.h"
#include "platform/platform.h"
#include "view/scrollbars.h"
#include "view/table_view.h"

namespace puzzle {

// Check. Refused (nothing happens, nothing is returned) unless a game
// runs outside the scatter and settle phases; a turn under way does not stop
// it. Shows the error count and percentage, or the congratulation, and
// returns the number of misplaced pieces.
std::optional<std::uint32_t> CheckPieces(GameState& state, const TableView& view, const GameOptions& options,
                                         Platform& platform);

// Every piece lies where Check would find it placed (the same tolerances,
// an unturned orientation), in a running game outside the scatter and settle
// phases with no turn under way. Moves nothing.
bool AllPiecesInPlace(const GameState& state);

// After a drop, Align, finished turn, Undo or Redo: when the picture is now
// complete, settles every piece exactly on its home (marking the game
// changed if one moved) and shows Check's congratulation, unless it has been
// shown since the table was last seen unfinished. A table still moving is
// left alone. Writes finishAnnounced; returns whether it spoke.
bool AnnounceIfFinished(GameState& state, const GameOptions& options, Platform& platform);

// Check from the menu: CheckPieces, then the scroll room is measured again
// from where the pieces lie, as after a resize, so that every piece laid
// aside past the window's edges can be scrolled to. shell gives the pointer
// for the bars' hover test.
std::optional<std::uint32_t> CheckCommand(GameState& state, TableView& view, ScrollBars& bars,
                                          const ShellInput& shell, const GameOptions& options,
                                          Platform& platform);

// Prompt, also used when a game has been loaded. Refused (false) while
// no picture texture exists. framesPerSecond is the frame renderer's measured
// rate: the picture stays opaque for that many frames.
bool ShowPrompt(GameState& state, float framesPerSecond);

// One frame of the hint, run by the frame renderer right after it has drawn
// the hint: after the hold the opacity falls by 0.1 per second; once it is
// nearly gone the hint ends and piece 0 returns to the table depth. Does
// nothing while no hint shows.
void AdvancePrompt(GameState& state, float framesPerSecond);

}  // namespace puzzle
