// The rotation commands: turning and flipping the selected piece from the
// piece menu or the digit keys, &Align, and the piece menu itself as data.
//
// A command only sets a turn going (rotationLeft and one of the turn flags of
// GameState) and records it for Undo; the frame renderer works the turn off a
// step per frame and clears rotationLeft and the flag when it is done. Align
// writes the selected piece's position. The shell turns the menu data into
// its popup menu and routes the chosen command ids and the digit keys here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/history.h"
#include "model/records.h"
#include "platform/platform.h"

namespace puzzle {

// Command ids of the piece menu that are not turns. New Image, Save and Exit
// are the main menu's own commands and are handled as such.
namespace piece_menu {
inline constexpr int ALIGN = 95;
inline constexpr int NEW_IMAGE = 99;
inline constexpr int SAVE = 101;
inline constexpr int EXIT = 103;
inline constexpr int FLIP_VERTICAL = 1831;
inline constexpr int FLIP_HORIZONTAL = 1832;
}  // namespace piece_menu

// A turn as the commands give it: degrees (positive counter-clockwise on
// screen) and the axis code AXIS_IN_PLANE, AXIS_VERTICAL or AXIS_HORIZONTAL.
struct Turn {
  float angle = 0;
  float axisCode = AXIS_IN_PLANE;
};

// The turns behind the piece menu's command ids 45, 90, 135, 180 (positive),
// 46, 91, 136, 181 (negative), 1831 and 1832; nothing for any other id.
std::optional<Turn> TurnForCommand(int commandId);
// The digit keys 0-9, the same on the main block and the keypad: 1-8 turn by
// +45, -45, +90, -90, +135, -135, +180, -180, 9 flips about the vertical axis
// and 0 about the horizontal axis, whatever the game mode.
std::optional<Turn> TurnForDigit(int digit);

enum class PieceMenuItemKind { Command, Separator, Submenu };

struct PieceMenuItem {
  PieceMenuItemKind kind = PieceMenuItemKind::Command;
  int commandId = 0;                 // commands only
  std::string text;                  // UTF-8, '&' marks the mnemonic
  std::vector<PieceMenuItem> items;  // submenus only
};

// The piece menu as it must look at this right click: Align, the 2D turns
// only in a game with rotations, the flips only in a 3D game, then New Image,
// Save and Exit, in the language of the options. It is the same whether or
// not a game runs; its turn commands then do nothing.
std::vector<PieceMenuItem> BuildPieceMenu(const GameOptions& options);

// Turns or flips the selected piece, records the turn for Undo and marks the
// game changed (a save would write the new orientation). Refused
// (false, nothing changes) without a running game or a selected piece, while
// the scatter or settle phase runs or a turn is under way, and for an in-plane
// angle that is not a non-zero multiple of 45 degrees, which the renderer's
// steps could never bring to rest. Any non-zero axis code other than
// AXIS_VERTICAL is a flip about the horizontal axis, and is recorded so.
bool RotateSelected(GameState& state, History& history, Platform& platform, float angle, float axisCode);

// &Align: puts the selected piece exactly onto the nearest cell centre lying
// closer than the larger half cell side, and records the move for Undo; a
// piece that moves marks the game changed. False
// (nothing changes) without a game, a selected piece or such a cell.
bool AlignSelected(GameState& state, History& history, Platform& platform);

// Sets a turn of the selected piece going for the renderer, with no guard and
// no record: flips always turn by 180 degrees, an in-plane turn by angle.
// Used by the commands above and by Undo and Redo.
void StartTurn(GameState& state, float angle, float axisCode);

}  // namespace puzzle
