// The Undo and Redo histories: every finished drag, Align and turn of one
// piece, used as two stacks. Owned by the application object; only the rules
// (drag release, turns, Align, Undo, Redo, and emptying after Load New Image or
// Open, and at Start) write them, and they keep the Undo and Redo menu items in
// step.
#pragma once

#include <cstdint>
#include <deque>

#include "model/records.h"
#include "platform/platform.h"
#include "view/view.h"

namespace puzzle {

inline constexpr std::uint8_t KIND_MOVE = 't';
inline constexpr std::uint8_t KIND_ROTATION = 'r';

// Axis codes of a rotation entry.
inline constexpr float AXIS_IN_PLANE = 0.0f;
inline constexpr float AXIS_VERTICAL = 1.0f;
inline constexpr float AXIS_HORIZONTAL = 2.0f;

struct HistoryEntry {
  std::int32_t piece = 0;
  std::uint8_t kind = KIND_MOVE;
  // A move: the x and y to put the piece back to. A rotation: the angle in
  // degrees and the axis code.
  float a = 0;
  float b = 0;
};

struct History {
  std::deque<HistoryEntry> undoHistory;
  std::deque<HistoryEntry> redoHistory;
};

// Records a new action; the redo history is left as it is.
void PushUndo(History& history, Platform& platform, const HistoryEntry& entry);
// Empties both histories and greys both menu items.
void ClearHistories(History& history, Platform& platform);

// Undo takes the latest action back (a move puts the piece back, a turn
// starts the opposite turn, a flip the same flip again) and keeps its reverse
// for Redo; Redo does the same from the redo history. Either marks the game
// changed. A turn selects its
// piece as picking does (the old selection lowered, the piece raised). Both
// are refused (false, nothing changes) when their history is empty, while
// the scatter or settle phase runs or a turn is under way.
bool Undo(GameState& state, const ViewSetup& view, History& history, Platform& platform);
bool Redo(GameState& state, const ViewSetup& view, History& history, Platform& platform);

}  // namespace puzzle
