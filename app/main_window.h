// The one top-level window: title, menus and the GL table. It turns window
// events, menu commands, keys and pointer events into calls on the rules with
// the records of the application object, and shows their results. It decides
// nothing a rule could decide.
#pragma once

#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QTranslator>
#include <QWheelEvent>
#include <functional>
#include <optional>

#include "app/game_view.h"
#include "app/menus.h"
#include "game/file_commands.h"
#include "platform/platform.h"
#include "render/application.h"
#include "storage/settings.h"

namespace puzzle {

class OptionsDialog;

// What outlives a run: the settings store, read when the window is made and
// written at exit, and the registration of game files with the desktop,
// renewed at exit after the settings (tests leave it out).
struct ShellStorage {
  SettingsStore& settings;
  std::function<void()> registerGameFiles;
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // The language is chosen once, here, from locale; then the settings are
  // read and place the window. The platform answers every question the
  // window asks the player (the Qt one, or a scripted one in tests).
  MainWindow(Application& app, Platform& platform, ShellStorage storage,
             const QLocale& locale = QLocale::system());
  ~MainWindow() override;

  GameView* view() const { return view_; }
  MenuActions& menuActions() { return menuActions_; }
  // The piece menu now showing, if any.
  QMenu* pieceMenu() const { return pieceMenu_; }

  // A command of the main menu or the piece menu, with its guard.
  void Command(int commandId);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowTitle();
  void OnResized(const PreviousClient& previous);
  bool OnKeyPress(int key);
  bool OnKeyRelease(int key, std::optional<int> digit);
  bool OnMouse(QEvent* event);
  void ShowPieceMenu(const QPoint& globalPosition);
  void OpenOptions();
  void RememberPlacement();
  void ScrollBarsChanged();
  void FillRecentGames(QMenu& menu);
  bool OnWheel(const QWheelEvent& wheel);

  Application& app_;
  Platform& platform_;
  ShellStorage storage_;
  MenuActions menuActions_;
  GameView* view_;
  QPointer<QMenu> pieceMenu_;
  // The busy pointer shows while the scatter runs.
  bool busyPointer_ = false;
  QPointer<OptionsDialog> optionsDialog_;
  // Looks at the pieces again while a recovery copy is pending, for the
  // write once they rest, when no frame is drawn to do it.
  QTimer recoveryTimer_;
  // Qt's own texts (standard buttons, file dialogs, colour chooser) in the
  // interface's language; installed only for Russian, so an English
  // interface stays English whatever the system's language.
  QTranslator qtTexts_;
};

}  // namespace puzzle
