#include "game/history.h"

#include <cstddef>

#include "game/commands.h"
#include "game/picking.h"
#include "game/rotation.h"

namespace puzzle {

namespace {

// Start, Open and Load New Image empty both histories, so every entry names a
// piece of the present game; this only keeps a damaged entry from reaching
// past the piece array.
bool Applicable(const GameState& state, const HistoryEntry& entry) {
  if (entry.kind != KIND_MOVE && entry.kind != KIND_ROTATION) return false;
  if (entry.piece < 0) return false;
  const auto index = static_cast<std::size_t>(entry.piece);
  return index < HeldPieces(state);
}

// What takes the action back again: a move back to where the piece lies now,
// a turn by the opposite angle (a flip is its own reverse; the code stays).
HistoryEntry Reverse(const GameState& state, const HistoryEntry& entry) {
  HistoryEntry reverse = entry;
  if (entry.kind == KIND_ROTATION) {
    reverse.a = -entry.a;
  } else {
    const PiecePose& pose = state.pieces[static_cast<std::size_t>(entry.piece)];
    reverse.a = pose.x;
    reverse.b = pose.y;
  }
  return reverse;
}

// Entries in either history hold the opposite of the turn they stand for.
// The turned piece becomes the selection the way a hover makes it one: were
// the old selection left raised, its depth would no longer name it and the
// pointer could never take it again.
void Apply(GameState& state, const ViewSetup& view, const HistoryEntry& entry) {
  if (entry.kind == KIND_ROTATION) {
    SelectPiece(state, view, entry.piece);
    StartTurn(state, -entry.a, entry.b);
  } else {
    PiecePose& pose = state.pieces[static_cast<std::size_t>(entry.piece)];
    pose.x = entry.a;
    pose.y = entry.b;
  }
}

// Undo and Redo are mirror images: the latest entry of one history is
// applied and its reverse kept in the other.
bool Replay(GameState& state, const ViewSetup& view, std::deque<HistoryEntry>& from, int fromItem,
            std::deque<HistoryEntry>& to, int toItem, Platform& platform) {
  if (from.empty() || Busy(state) || !Applicable(state, from.back())) return false;
  const HistoryEntry entry = from.back();
  to.push_back(Reverse(state, entry));
  from.pop_back();
  if (to.size() == 1) platform.SetMenuItemEnabled(toItem, true);
  if (from.empty()) platform.SetMenuItemEnabled(fromItem, false);
  Apply(state, view, entry);
  state.gameChanged = true;
  return true;
}

}  // namespace

void PushUndo(History& history, Platform& platform, const HistoryEntry& entry) {
  if (history.undoHistory.empty()) platform.SetMenuItemEnabled(CMD_UNDO, true);
  history.undoHistory.push_back(entry);
}

void ClearHistories(History& history, Platform& platform) {
  history.undoHistory.clear();
  history.redoHistory.clear();
  platform.SetMenuItemEnabled(CMD_UNDO, false);
  platform.SetMenuItemEnabled(CMD_REDO, false);
}

bool Undo(GameState& state, const ViewSetup& view, History& history, Platform& platform) {
  return Replay(state, view, history.undoHistory, CMD_UNDO, history.redoHistory, CMD_REDO, platform);
}

bool Redo(GameState& state, const ViewSetup& view, History& history, Platform& platform) {
  return Replay(state, view, history.redoHistory, CMD_REDO, history.undoHistory, CMD_UNDO, platform);
}

}  // namespace puzzle
