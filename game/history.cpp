#include "game/history.h"

namespace puzzle {

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

}  // namespace puzzle
