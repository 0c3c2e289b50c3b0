// The menu commands and the frames as every window shell runs them on the application
// object, and leaving the game. A shell turns its menu items, keys and close
// box into these calls and answers with its own windows only what needs one
// (Exit, Number of pieces, Options, Help, Help On-Line). Each call writes
// what the rules it calls write.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "game/file_commands.h"
#include "game/options_rules.h"
#include "game/picking.h"
#include "platform/platform.h"
#include "render/application.h"
#include "storage/settings.h"

namespace puzzle {

// Before the window shows: the recovery copy's place (stale temporaries of
// earlier runs go), the stored options, and the command line's game kept
// only when one was named.
void StartApplication(Application& app, const SettingsStore& settings);

FileCommandRecords FileRecordsOf(Application& app);
PointerRecords PointerRecordsOf(Application& app);

// A command of the main menu or the piece menu, with its guard. False, with
// nothing done, for the commands the shell answers itself (see above) and
// for ids of no command. makeCurrent makes the table's context current
// before the picture's textures go.
bool RunCommand(Application& app, Platform& platform, GraphicsPort& graphics, int commandId,
                const std::function<void()>& makeCurrent);

// The wheel over the table. With Ctrl it zooms about (x, y), in the
// table's device pixels, so that the table point under the pointer stays
// there; over a piece the left button holds it turns that piece, each turn a
// piece menu command given to runCommand (so its guards and its Undo record
// are the menu's); otherwise it scrolls, sideways with Shift.
void WheelOnTable(Application& app, int deltaX, int deltaY, bool ctrl, bool shift, double x, double y,
                  const std::function<void(int)>& runCommand);

// A game of the Recent games submenu; nothing while the scatter runs or a
// piece turns.
void OpenRecent(Application& app, Platform& platform, GraphicsPort& graphics, const std::string& path);

// The first frame is shown: the game named on the command line opens, or
// else a game an earlier run left unfinished is offered.
void AfterFirstFrame(Application& app, Platform& platform, GraphicsPort& graphics);

// Exit or the close box. The scatter ends where it is and a running game
// asks the save question; false (nothing written) when the player stays.
// Else the recovery copy goes and the settings are written.
bool LeaveGame(Application& app, Platform& platform, SettingsStore& settings);

// The table's side of the Options dialog's Apply, with the table's GL context
// current: the clear colour, the running game reshaped for the options, and
// the game marked changed when the options its file keeps moved since the
// last Apply (applied, which then takes the options).
void ApplyOptionsOnTable(GameState& state, const TableView& table, GameOptions& options, GameOptions& applied,
                         GraphicsPort& port);

// The window's GL context was made and is current: the client size (device
// pixels) and, once per run, the scale of a pixel; the screen's device
// pixels per logical pixel; the driver's limits and version; the table's GL
// state and fonts.
void StartTableGl(Application& app, int clientWidth, int clientHeight, double pixelRatio);

// The window may have moved to a screen of another density (context
// current): the fonts are made again for its pixel ratio.
void FollowPixelRatio(Application& app, double pixelRatio);

// The client area changed (clientWidth/Height and the projection are already
// updated); previous is the size and thumbs from before.
void TableResized(Application& app, Platform& platform, const PreviousClient& previous);

// One frame with the context current: the game advanced to tick and drawn.
// nowMs is the frame pacer's clock. Returns how long the game wants to wait
// before the next frame, or nothing while the table rests; turnFinished says
// a turn of the selected piece came to rest in this frame.
std::optional<std::uint32_t> DrawTableFrame(Application& app, std::uint32_t tick, double nowMs,
                                            bool& turnFinished);

}  // namespace puzzle
