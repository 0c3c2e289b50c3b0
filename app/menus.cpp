#include "app/menus.h"

#include <QAction>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>

#include "game/commands.h"
#include "model/texts.h"

namespace puzzle {

void MenuActions::Register(int commandId, QAction* action) {
  actions_[commandId] = action;
}

QAction* MenuActions::Find(int commandId) const {
  const auto it = actions_.find(commandId);
  return it == actions_.end() ? nullptr : it->second.data();
}

void MenuActions::SetEnabled(int commandId, bool enabled) {
  if (QAction* action = Find(commandId)) action->setEnabled(enabled);
}

bool RussianLocale(const QLocale& locale) {
  const QLocale::Language language = locale.language();
  return language == QLocale::Russian || language == QLocale::Ukrainian || language == QLocale::Belarusian;
}

QList<QKeySequence> StandardShortcuts(int commandId) {
  switch (commandId) {
    case CMD_OPEN: return {QKeySequence(Qt::CTRL | Qt::Key_O)};
    case CMD_SAVE: return {QKeySequence(Qt::CTRL | Qt::Key_S)};
    case CMD_SAVE_AS: return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)};
    case CMD_EXIT: return {QKeySequence(Qt::CTRL | Qt::Key_Q)};
    case CMD_HELP: return {QKeySequence(Qt::Key_F1)};
    case CMD_START: return {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_N)};
    case CMD_UNDO: return {QKeySequence(Qt::CTRL | Qt::Key_Z)};
    case CMD_REDO:
      return {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    default: return {};
  }
}

void BuildMainMenu(QMenuBar& bar, bool russianUi, MenuActions& actions,
                   const std::function<void(int)>& onCommand,
                   const std::function<void(QMenu&)>& fillRecentGames) {
  const auto add = [&](QWidget& parent, const UiText& text, int id) {
    auto* action = new QAction(QString::fromUtf8(Tr(text, russianUi)), &parent);
    QObject::connect(action, &QAction::triggered, &parent, [onCommand, id] { onCommand(id); });
    // The shortcut goes through the item itself, so a greyed item refuses it
    // and the command's own guard applies as from the menu.
    action->setShortcuts(StandardShortcuts(id));
    parent.addAction(action);
    actions.Register(id, action);
    return action;
  };
  const auto menu = [&](const UiText& title) { return bar.addMenu(QString::fromUtf8(Tr(title, russianUi))); };

  QMenu* file = menu(texts::MENU_FILE);
  add(*file, texts::MENU_LOAD_IMAGE, CMD_LOAD_IMAGE);
  add(*file, texts::MENU_OPEN, CMD_OPEN);
  add(*file, texts::MENU_SAVE, CMD_SAVE);
  add(*file, texts::MENU_SAVE_AS, CMD_SAVE_AS);
  // Filled each time it opens, from the remembered games that still exist.
  QMenu* recent = file->addMenu(QString::fromUtf8(Tr(texts::MENU_RECENT_GAMES, russianUi)));
  QObject::connect(recent, &QMenu::aboutToShow, recent,
                   [recent, fillRecentGames] { fillRecentGames(*recent); });
  file->addSeparator();
  add(*file, texts::MENU_EXIT, CMD_EXIT);

  QMenu* change = menu(texts::MENU_CHANGE);
  add(*change, texts::MENU_NUMBER_OF_PIECES, CMD_NUMBER_OF_PIECES);
  add(*change, texts::MENU_OPTIONS, CMD_OPTIONS);

  QMenu* help = menu(texts::MENU_HELP);
  add(*help, texts::MENU_HELP_ITEM, CMD_HELP);
  add(*help, texts::MENU_HELP_ONLINE, CMD_HELP_ONLINE);
  help->addSeparator();
  add(*help, texts::MENU_ABOUT, CMD_ABOUT);

  QMenu* game = menu(texts::MENU_GAME);
  add(*game, texts::MENU_START, CMD_START);
  add(*game, texts::MENU_PROMPT, CMD_PROMPT);
  add(*game, texts::MENU_CHECK, CMD_CHECK);

  // Nothing can be undone or redone before the first move.
  add(bar, texts::MENU_UNDO, CMD_UNDO)->setEnabled(false);
  add(bar, texts::MENU_REDO, CMD_REDO)->setEnabled(false);
}

namespace {

void FillMenu(QMenu& menu, const std::vector<PieceMenuItem>& items,
              const std::function<void(int)>& onCommand) {
  for (const PieceMenuItem& item : items) {
    switch (item.kind) {
      case PieceMenuItemKind::Separator: menu.addSeparator(); break;
      case PieceMenuItemKind::Submenu:
        FillMenu(*menu.addMenu(QString::fromStdString(item.text)), item.items, onCommand);
        break;
      case PieceMenuItemKind::Command: {
        const int id = item.commandId;
        menu.addAction(QString::fromStdString(item.text), &menu, [onCommand, id] { onCommand(id); });
        break;
      }
    }
  }
}

}  // namespace

QMenu* MakePieceMenu(const std::vector<PieceMenuItem>& items, QWidget* parent,
                     const std::function<void(int)>& onCommand) {
  auto* menu = new QMenu(parent);
  FillMenu(*menu, items, onCommand);
  return menu;
}

}  // namespace puzzle
