// The decisions behind the main window's commands and keys that need neither
// Qt nor GL: the busy guard, the game named on the command line, the scroll
// keys, the Number-of-pieces entry, the manual page and the About text. The window (app/) calls these and
// shows their results; they write only the records passed to them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/records.h"
#include "platform/platform.h"
#include "view/table_view.h"

namespace puzzle {

// Menu command identifiers of the main menu.
inline constexpr int CMD_LOAD_IMAGE = 99;
inline constexpr int CMD_OPEN = 100;
inline constexpr int CMD_SAVE = 101;
inline constexpr int CMD_SAVE_AS = 102;
inline constexpr int CMD_EXIT = 103;
inline constexpr int CMD_NUMBER_OF_PIECES = 104;
inline constexpr int CMD_OPTIONS = 105;
inline constexpr int CMD_HELP = 107;
inline constexpr int CMD_HELP_ONLINE = 1071;
inline constexpr int CMD_ABOUT = 108;
inline constexpr int CMD_START = 1000;
inline constexpr int CMD_PROMPT = 1001;
inline constexpr int CMD_CHECK = 1002;
inline constexpr int CMD_ZOOM_IN = 1010;
inline constexpr int CMD_ZOOM_OUT = 1011;
inline constexpr int CMD_ZOOM_ACTUAL = 1012;
inline constexpr int CMD_WHOLE_TABLE = 1013;

// The scatter or settle runs, or a piece is turning: most commands wait.
inline bool Busy(const GameState& state) {
  return state.scatterRunning || state.settleRunning || state.rotationLeft != 0;
}

// The game file named by a command line that ends in a quoted path whose
// name ends in "pzz" or "PZZ"; nothing for any other command line. The last
// character is taken to be the closing quote and is not examined.
std::optional<std::string> CommandLineGamePath(std::string_view commandLine);

enum class ScrollKey { PageUp, PageDown, End, Home, Left, Up, Right, Down };

// Moves scrollX/scrollY for one scroll key; with Ctrl or Alt held the page
// and end keys act horizontally, and an arrow key moves the table one screen
// pixel (or one thumb position where that is more). The caller then clamps
// with UpdateScrollBars.
void ApplyScrollKey(TableView& table, const GameState& state, ScrollKey key, bool modifierDown);

// The mouse wheel over the table: delta in eighths of a degree, 120 for one
// notch, positive away from the player. A notch scrolls forty screen pixels
// at every zoom: the vertical wheel as Up and Down, or with Shift as Left
// (away) and Right; a tilting wheel's horizontal delta as Left (away) and
// Right. The caller clamps with UpdateScrollBars, which keeps the
// table within its scroll room.
inline constexpr int WHEEL_NOTCH_DELTA = 120;
inline constexpr int WHEEL_NOTCH_STEPS = 40;
void ApplyWheel(TableView& table, const GameState& state, int deltaX, int deltaY, bool shiftDown);

// One whole notch of the wheel, +1 away from the player, -1 towards:
// pendingDelta gathers the wheel's deltas (a touchpad sends a notch in many
// small ones) and each call takes one notch from it; nothing before a whole
// notch.
std::optional<int> TakeWheelNotch(int& pendingDelta);

// The piece-menu turn the wheel makes on the piece the left button holds: the
// rotation game's step of 45 degrees, counter-clockwise for a notch away from
// the player. Nothing without the rotation game (which forgets what was
// gathered) or before a whole notch.
std::optional<int> TakeWheelTurn(const GameOptions& options, int& pendingDelta);

// The View menu and Ctrl with the wheel: a step in or out about client point
// (x, y) (pixels, y down), back to 100 % about the window's centre, or the
// whole table centred. Only for a running game and not while a piece is held
// (it would leave the pointer). Returns whether the zoom changed; the caller
// then runs UpdateScrollBars.
bool ZoomTable(TableView& table, const GameState& state, const GameOptions& options, std::int32_t thickness,
               int commandId, double x, double y, bool pieceHeld);

// A decimal number as the player typed it into a dialog: leading blanks and
// one sign are allowed, reading stops at the first non-digit, no digits give
// 0. Values beyond the int range saturate instead of overflowing, so a huge
// entry still reaches Start as a huge count and is refused there.
int ReadDecimal(std::string_view text);

// The text of the Number-of-pieces box on OK: a number of 2 or more becomes
// pendingColumns (columns stays until the next Start); anything else clears
// pendingColumns and tells the player. Returns whether it was taken.
bool TakeNumberOfPieces(GameOptions& options, Platform& platform, std::string_view text);

// Help On-Line and the link of Quick help: the manual (help) page in the
// desktop's browser; when nothing opens it, a message says where it lies.
void OpenManualPage(Platform& platform, bool russianUi, const std::string& location);

// The About box, formatted for the present language.
std::string AboutText(bool russianUi, std::string_view glVersion, std::int32_t maxTextureSize);
void ShowAbout(Platform& platform, bool russianUi, std::string_view glVersion, std::int32_t maxTextureSize);

// "Puzzle - New Image: cat.png 640 x 480" in the present language.
std::string NewImageTitle(bool russianUi, std::string_view fileTitle, std::int32_t width,
                          std::int32_t height);

}  // namespace puzzle
