// The main menu bar in the language chosen at start, and the registry of its
// actions by command identifier. The registry is what a Platform
// implementation uses to grey or enable an item (Undo, Redo); the window owns
// both the bar and the registry.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

#include "game/rotation.h"

class QAction;
class QLocale;
class QMenu;
class QMenuBar;
class QWidget;

namespace puzzle {

class MenuActions {
 public:
  void Register(int commandId, QAction* action);
  // Null for an identifier without an item (or one already destroyed).
  QAction* Find(int commandId) const;
  void SetEnabled(int commandId, bool enabled);

 private:
  std::map<int, QPointer<QAction>> actions_;
};

// Russian, Ukrainian and Belarusian users get the Russian texts.
bool RussianLocale(const QLocale& locale);

// The desktop's usual keys for a main-menu command (Ctrl+O Open, F5 or
// Ctrl+N Start, ...); none for the others.
QList<QKeySequence> StandardShortcuts(int commandId);

// Fills the bar: File (with its Recent games submenu, which fillRecentGames
// fills each time it opens), Change, Help and Game, then the top-level Undo
// and Redo items, which start greyed. Every item calls onCommand with its
// identifier and answers its standard shortcuts.
void BuildMainMenu(QMenuBar& bar, bool russianUi, MenuActions& actions,
                   const std::function<void(int)>& onCommand,
                   const std::function<void(QMenu&)>& fillRecentGames);

// The piece menu from its description, owned by parent; every command item
// calls onCommand with its identifier.
QMenu* MakePieceMenu(const std::vector<PieceMenuItem>& items, QWidget* parent,
                     const std::function<void(int)>& onCommand);

}  // namespace puzzle
