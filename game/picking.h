// The mouse on the table: which piece is selected (the one under the pointer,
// raised above the rest), how it follows the pointer while the left button is
// held, what a release records for Undo, when the table scrolls under a piece
// dragged against the window edge, and what presses, releases and right
// clicks on the two scroll bars do.
//
// ShellInput and PickingState live in the application object. The window
// only forwards its mouse events to the handlers below, which write them,
// GameState (selected, piece positions and depths, gameChanged), the scroll
// position of TableView through its rules,
// the pressed flags of ScrollBars and the Undo history. Depths are read
// through GraphicsPort::ReadDepth, and only when the rules need one (not
// while the button is held).
#pragma once

#include <array>
#include <cstdint>

#include "game/history.h"
#include "model/graphics_port.h"
#include "model/records.h"
#include "platform/platform.h"
#include "view/scrollbars.h"
#include "view/table_view.h"
#include "view/view.h"

namespace puzzle {

// Window depths: a pointer is over a piece when the depth under it lies
// strictly between these. The lower bound is just below FIXED_PICK_DEPTH as a
// float, so that the fixed depth of low-precision picking counts as a piece.
inline constexpr double PIECE_DEPTH_LOW = 0.5876430273056;
inline constexpr double PIECE_DEPTH_HIGH = 0.999;
// A drag moves the piece by the pointer's motion on this window depth.
inline constexpr double DRAG_DEPTH = 0.5876430273056;
// Depths of the selected piece above the resting ones: depth picking finds it
// by its exact depth, distance picking only needs it drawn on top.
inline constexpr double RAISE_DEPTH_PICK = 0.00001;
inline constexpr double RAISE_DISTANCE_PICK = 0.0001;

// Shell flags of the main window that the rules read.
struct ShellInput {
  // The left button went down in the client area and has not come up.
  bool leftButtonDown = false;
  // Ctrl or Alt is held: the scroll keys act horizontally.
  bool modifierDown = false;
  // The selected piece was moved by the present press.
  bool pieceMoved = false;
  // The last pointer position in client pixels.
  std::uint16_t cursorX = 0;
  std::uint16_t cursorY = 0;
  // Wheel deltas over a held piece not yet turned into whole notches.
  int wheelTurnDelta = 0;
  // Wheel deltas with Ctrl not yet turned into whole zoom steps.
  int wheelZoomDelta = 0;
};

struct PickingState {
  // Window depth under the pointer at the last hover (1.0 = background).
  float cursorDepth = 0;
  // The pointer unprojected into the scene.
  std::array<double, 3> cursorTable{};
  // The selected piece lay under the pointer at the last pick: only then does
  // a press take it, and the wheel and the piece menu turn it.
  bool pieceUnderPointer = false;
  // x, y of the pointer's scene position at the last drag or hover step.
  std::array<double, 2> lastCursorTable{};
  // The move being recorded: where the piece lay when the button went down.
  HistoryEntry pendingEntry{};
  // The frame renderer scrolls one step per frame while one is set.
  EdgeScrollFlags edges;
  // Pointer position at the last scroll-thumb drag or picture-panning step.
  std::uint16_t lastCursorX = 0;
  std::uint16_t lastCursorY = 0;
};

// The records the pointer handlers read and write, gathered so that the
// window passes them in one go.
struct PointerRecords {
  GameState& state;
  const GameOptions& options;
  const ViewSetup& view;
  TableView& table;
  ShellInput& shell;
  PickingState& picking;
  ScrollBars& bars;
  History& history;
};

// The depth lies strictly inside the window of a piece.
bool OverPiece(double windowDepth);

// The scene point under client pixel (x, y) (y down) at the given window
// depth, with the present client size and projection.
std::array<double, 3> UnprojectPointer(const TableView& table, const ViewSetup& view, int x, int y,
                                       double windowDepth);

// Makes piece k the selected one as picking does: the previous selection
// goes back to its resting depth and k is raised above the rest by the
// picking mode's depth, unless the Prompt picture shows: nothing is raised
// through it.
void SelectPiece(GameState& state, const ViewSetup& view, std::int32_t k);

// Selects and raises the piece under cursorTable: the piece drawn there by
// the depth read (its face holds the pointer or its edge passes it; none
// where something else is drawn over the pieces), or with lowDepthPrecision
// the nearest centre within halfCellDiag (the lower index on a tie); near
// an outline means within a screen pixel at the table's zoom. Lowers
// the previously selected piece to its resting depth. Returns whether a piece
// lies under the pointer (it is then the selected one).
bool PickPiece(GameState& state, const GameOptions& options, const ViewSetup& view, const TableView& shown,
               const PickingState& picking);

// The pointer moved to client pixel (x, y): drags the selected piece while
// the left button is held, else selects the piece under the pointer; drags a
// scroll thumb or pans a fresh picture; updates the scroll bars; sets the
// edge-scroll flags while a piece is dragged against the client border. While
// the button is held the position is kept inside the client area.
void OnMouseMove(PointerRecords& records, Platform& platform, GraphicsPort& graphics, int x, int y);

// Keeps the pointer in the client area, presses the hovered scroll-bar
// element and takes the start of a move of the selected piece.
void OnLeftButtonDown(PointerRecords& records, Platform& platform);

// Frees the pointer, records a finished drag for Undo, runs the scroll-bar
// button that was pressed and released over itself, and clears the press.
void OnLeftButtonUp(PointerRecords& records, Platform& platform, GraphicsPort& graphics);

// Right press at client pixel (x, y): a click on a scroll track puts the thumb
// under the pointer; otherwise the piece under the pointer is selected, and
// nothing is where no piece lies.
// Returns whether the piece menu is to be shown at the pointer.
bool OnRightButtonDown(PointerRecords& records, GraphicsPort& graphics, int x, int y);

}  // namespace puzzle
