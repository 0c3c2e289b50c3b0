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

#include "game/menus.h"
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

// The keys of a main-menu item as Qt names them; the first is the one shown.
QList<QKeySequence> Shortcuts(const MainMenuItem& item);

// Fills the bar from MainMenu() (game/menus.h); fillRecentGames fills the
// Recent games submenu each time it opens. Every item calls onCommand with
// its identifier and answers its shortcuts.
void BuildMainMenu(QMenuBar& bar, bool russianUi, MenuActions& actions,
                   const std::function<void(int)>& onCommand,
                   const std::function<void(QMenu&)>& fillRecentGames);

// The piece menu from its description, owned by parent; every command item
// calls onCommand with its identifier.
QMenu* MakePieceMenu(const std::vector<PieceMenuItem>& items, QWidget* parent,
                     const std::function<void(int)>& onCommand);

}  // namespace puzzle
