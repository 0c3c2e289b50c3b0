#include "app/menus.h"

#include <QAction>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>

#include "game/menus.h"
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

QList<QKeySequence> Shortcuts(const MainMenuItem& item) {
  QList<QKeySequence> keys;
  for (const MenuShortcut& shortcut : item.shortcuts) {
    // Qt numbers the letters, digits, '+', '-' and '=' by their characters.
    const int key = shortcut.letter != 0 ? shortcut.letter : Qt::Key_F1 + shortcut.functionKey - 1;
    Qt::KeyboardModifiers modifiers;
    if (shortcut.ctrl) modifiers |= Qt::ControlModifier;
    if (shortcut.shift) modifiers |= Qt::ShiftModifier;
    keys.push_back(QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key))));
  }
  return keys;
}

void BuildMainMenu(QMenuBar& bar, bool russianUi, MenuActions& actions,
                   const std::function<void(int)>& onCommand,
                   const std::function<void(QMenu&)>& fillRecentGames) {
  const auto text = [russianUi](const UiText& uiText) { return QString::fromUtf8(Tr(uiText, russianUi)); };
  // parent is the bar for its own items (Undo, Redo), else a menu.
  const auto add = [&](QWidget& parent, const MainMenuItem& item, const auto& self) -> void {
    switch (item.kind) {
      case MainMenuItemKind::Separator: static_cast<QMenu&>(parent).addSeparator(); break;
      case MainMenuItemKind::RecentGames: {
        QMenu* recent = static_cast<QMenu&>(parent).addMenu(text(item.text));
        QObject::connect(recent, &QMenu::aboutToShow, recent,
                         [recent, fillRecentGames] { fillRecentGames(*recent); });
        break;
      }
      case MainMenuItemKind::Submenu: {
        QMenu* menu = &parent == &bar ? bar.addMenu(text(item.text))
                                      : static_cast<QMenu&>(parent).addMenu(text(item.text));
        for (const MainMenuItem& child : item.items) self(*menu, child, self);
        break;
      }
      case MainMenuItemKind::Command: {
        auto* action = new QAction(text(item.text), &parent);
        const int id = item.commandId;
        QObject::connect(action, &QAction::triggered, &parent, [onCommand, id] { onCommand(id); });
        // The shortcut goes through the item itself, so a greyed item refuses
        // it and the command's own guard applies as from the menu.
        action->setShortcuts(Shortcuts(item));
        action->setEnabled(!item.startsGreyed);
        parent.addAction(action);
        actions.Register(id, action);
        break;
      }
    }
  };
  for (const MainMenuItem& item : MainMenu()) add(bar, item, add);
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
