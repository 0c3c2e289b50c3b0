#include "game/menus.h"

#include "game/commands.h"
#include "platform/platform.h"

namespace puzzle {

namespace {

MenuShortcut Ctrl(char letter, bool shift = false) {
  return {true, shift, letter, 0};
}
MenuShortcut FunctionKey(int number) {
  return {false, false, 0, number};
}

MainMenuItem Command(const UiText& text, int commandId, std::vector<MenuShortcut> shortcuts = {},
                     bool startsGreyed = false) {
  return {MainMenuItemKind::Command, text, commandId, std::move(shortcuts), startsGreyed, {}};
}

MainMenuItem Separator() {
  return {MainMenuItemKind::Separator, {"", ""}, 0, {}, false, {}};
}

MainMenuItem Submenu(const UiText& text, std::vector<MainMenuItem> items) {
  return {MainMenuItemKind::Submenu, text, 0, {}, false, std::move(items)};
}

}  // namespace

const std::vector<MainMenuItem>& MainMenu() {
  static const std::vector<MainMenuItem> menu{
      Submenu(texts::MENU_FILE, {Command(texts::MENU_LOAD_IMAGE, CMD_LOAD_IMAGE),
                                 Command(texts::MENU_OPEN, CMD_OPEN, {Ctrl('O')}),
                                 Command(texts::MENU_SAVE, CMD_SAVE, {Ctrl('S')}),
                                 Command(texts::MENU_SAVE_AS, CMD_SAVE_AS, {Ctrl('S', true)}),
                                 {MainMenuItemKind::RecentGames, texts::MENU_RECENT_GAMES, 0, {}, false, {}},
                                 Separator(),
                                 Command(texts::MENU_EXIT, CMD_EXIT, {Ctrl('Q')})}),
      Submenu(texts::MENU_CHANGE, {Command(texts::MENU_NUMBER_OF_PIECES, CMD_NUMBER_OF_PIECES),
                                   Command(texts::MENU_OPTIONS, CMD_OPTIONS)}),
      Submenu(texts::MENU_HELP, {Command(texts::MENU_HELP_ITEM, CMD_HELP, {FunctionKey(1)}),
                                 Command(texts::MENU_HELP_ONLINE, CMD_HELP_ONLINE), Separator(),
                                 Command(texts::MENU_ABOUT, CMD_ABOUT)}),
      Submenu(texts::MENU_GAME,
              {Command(texts::MENU_START, CMD_START, {FunctionKey(5), Ctrl('N')}),
               Command(texts::MENU_PROMPT, CMD_PROMPT), Command(texts::MENU_CHECK, CMD_CHECK)}),
      Submenu(texts::MENU_VIEW, {Command(texts::MENU_ZOOM_IN, CMD_ZOOM_IN, {Ctrl('+'), Ctrl('=')}),
                                 Command(texts::MENU_ZOOM_OUT, CMD_ZOOM_OUT, {Ctrl('-')}),
                                 Command(texts::MENU_ZOOM_ACTUAL, CMD_ZOOM_ACTUAL, {Ctrl('0')}),
                                 Command(texts::MENU_WHOLE_TABLE, CMD_WHOLE_TABLE, {Ctrl('9')})}),
      Command(texts::MENU_UNDO, CMD_UNDO, {Ctrl('Z')}, true),
      Command(texts::MENU_REDO, CMD_REDO, {Ctrl('Y'), Ctrl('Z', true)}, true),
  };
  return menu;
}

}  // namespace puzzle
