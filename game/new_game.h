// Start (Game -> Start): turns the loaded picture, or with nothing loaded a
// capture of the branded background, into a fresh game whose pieces lie on
// their homes and are about to scatter; the same command restarts a running
// game after asking.
//
// StartGame writes the grid, piece, home and scatter fields of GameState,
// resets the TableView, takes pendingColumns over into columns and sets angleStepRad;
// the run flags that follow a successful Start are set by StartCommand, which
// is all the window's command dispatch calls.
#pragma once

#include <cstdint>

#include "game/history.h"
#include "game/picking.h"
#include "model/graphics_port.h"
#include "model/records.h"
#include "platform/platform.h"
#include "view/scrollbars.h"

namespace puzzle {

// The scatter speed of one random draw (0-99), in table units per frame:
// draws below 15 are raised by 15, the sign follows the parity of the result.
float ScatterSpeed(int draw);

// Whether a picture of width x height can be played: at least 32 pixels a
// side, so that pieces have some size, and no side beyond the texture limit.
// Tells the player why not. Start and the opening of a game file both ask.
bool PictureFitsTheGame(std::int32_t width, std::int32_t height, std::int32_t maxTextureSize,
                        Platform& platform, bool russianUi);

// Once its texture is made, a still picture lives on in the texture alone;
// an animated one keeps its frames, which the texture shows one at a time.
void DropStillPicture(GameState& state);

// Sets up a new game. Returns false when refused (a message says why when the
// player can act on it), when the restart is declined, or when the game could
// not be built; a refusal before the grid is built leaves a running game as
// it was, a failure while building it clears gameRunning. The pointer
// position of shell is used for the scroll-bar pointer test.
bool StartGame(GameState& state, TableView& table, GameOptions& options, Platform& platform,
               GraphicsPort& graphics, ScrollBars& bars, const ShellInput& shell);

// Start: StartGame and, when it succeeds, the game runs, the scatter
// clock is taken anew at the next frame, the decoded picture is dropped (the
// textures hold it now), the game counts as changed and both histories are
// emptied: their entries name places of the game that was replaced.
bool StartCommand(GameState& state, TableView& table, GameOptions& options, Platform& platform,
                  GraphicsPort& graphics, ScrollBars& bars, const ShellInput& shell, History& history);

}  // namespace puzzle
