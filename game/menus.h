// The main menu as data: its items, command identifiers, texts in both
// languages (with their '&' mnemonics), the keys that act as an item and
// which items start greyed. Both window shells build their menu bars from
// this one description; the piece menu's description is BuildPieceMenu
// (game/rotation.h). Nothing here is written at run time.
#pragma once

#include <vector>

#include "model/texts.h"

namespace puzzle {

// A key that acts as a menu item: Ctrl and Shift with a letter 'A'..'Z', a
// digit, '+', '-' or '=', or a function key F1..F12 (letter 0).
struct MenuShortcut {
  bool ctrl = false;
  bool shift = false;
  char letter = 0;
  int functionKey = 0;
};

// RecentGames is a submenu the shell fills each time it opens, from the
// remembered games that still exist.
enum class MainMenuItemKind { Command, Separator, Submenu, RecentGames };

struct MainMenuItem {
  MainMenuItemKind kind = MainMenuItemKind::Command;
  UiText text{"", ""};
  int commandId = 0;                    // commands only
  std::vector<MenuShortcut> shortcuts;  // commands only; the first is the one shown
  bool startsGreyed = false;            // greyed until the rules enable it (SetMenuItemEnabled)
  std::vector<MainMenuItem> items;      // submenus only
};

// The bar from left to right: File, Change, Help, Game and View, then Undo and
// Redo as items of the bar itself, greyed until there is a move to take back.
const std::vector<MainMenuItem>& MainMenu();

}  // namespace puzzle
