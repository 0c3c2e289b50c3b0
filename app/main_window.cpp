#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStyle>

#include "app/dialogs.h"
#include "game/check.h"
#include "game/commands.h"
#include "game/rotation.h"
#include "game/texts.h"
#include "render/view.h"

namespace puzzle {
namespace {

std::optional<ScrollKey> ScrollKeyOf(int key) {
  switch (key) {
    case Qt::Key_PageUp: return ScrollKey::PageUp;
    case Qt::Key_PageDown: return ScrollKey::PageDown;
    case Qt::Key_End: return ScrollKey::End;
    case Qt::Key_Home: return ScrollKey::Home;
    case Qt::Key_Left: return ScrollKey::Left;
    case Qt::Key_Up: return ScrollKey::Up;
    case Qt::Key_Right: return ScrollKey::Right;
    case Qt::Key_Down: return ScrollKey::Down;
    default: return std::nullopt;
  }
}

}  // namespace

MainWindow::MainWindow(Application& app, Platform& platform, const QLocale& locale)
    : app_(app), platform_(platform), view_(new GameView(app, platform, this)) {
  app_.options.russianUi = RussianLocale(locale);
  BuildMainMenu(*menuBar(), app_.options.russianUi, menuActions_, [this](int id) { Command(id); });
  setWindowTitle(QString::fromUtf8(Tr(texts::START_TITLE, app_.options.russianUi)));
  setCentralWidget(view_);
  view_->installEventFilter(this);
  view_->onResized = [this](const PreviousClient& previous) { OnResized(previous); };
  app_.bars.scrollBarThickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  app_.options.angleStepRad = AngleStepToRadians(app_.options.angleStep);
  if (!app_.shell.commandLineGamePending) app_.state.gameFilePath.clear();
  resize(800, 600);
}

void MainWindow::Command(int commandId) {
  GameState& state = app_.state;
  GameOptions& options = app_.options;
  const bool ru = options.russianUi;
  if (const auto turn = TurnForCommand(commandId)) {
    RotateSelected(state, app_.history, platform_, turn->angle, turn->axisCode);
    return;
  }
  switch (commandId) {
    case CMD_CHECK:
      if (state.gameRunning && !state.scatterRunning && !state.settleRunning)
        CheckPieces(state, options, platform_);
      break;
    case CMD_UNDO: Undo(state, app_.history, platform_); break;
    case CMD_REDO: Redo(state, app_.history, platform_); break;
    case piece_menu::ALIGN:
      if (state.gameRunning && state.selected >= 0) AlignSelected(state, app_.history, platform_);
      break;
    case CMD_EXIT: close(); break;
    case CMD_NUMBER_OF_PIECES: OpenNumberOfPiecesDialog(this, options, platform_); break;
    case CMD_HELP: OpenQuickHelpDialog(this, ru, platform_); break;
    case CMD_HELP_ONLINE: platform_.OpenPage(HelpPageLocation(ru)); break;
    case CMD_ABOUT: ShowAbout(platform_, ru, app_.shell.glVersion, state.maxTextureSize); break;
    default: break;
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_) {
    switch (event->type()) {
      case QEvent::KeyPress: return OnKeyPress(static_cast<QKeyEvent*>(event)->key());
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Turns act once per release, not per auto-repeat.
        if (key->isAutoRepeat()) return true;
        return OnKeyRelease(key->key());
      }
      default: break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::OnKeyPress(int key) {
  if (key == Qt::Key_Control || key == Qt::Key_Alt) {
    app_.shell.modifierDown = true;
    return false;
  }
  const auto scroll = ScrollKeyOf(key);
  if (!scroll) return false;
  ApplyScrollKey(app_.state, *scroll, app_.shell.modifierDown);
  ScrollBarsChanged();
  return true;
}

bool MainWindow::OnKeyRelease(int key) {
  if (key == Qt::Key_Control || key == Qt::Key_Alt) {
    app_.shell.modifierDown = false;
    return false;
  }
  if (key < Qt::Key_0 || key > Qt::Key_9) return false;
  // The keypad sends the same keys with the keypad modifier: both act alike.
  if (const auto turn = TurnForDigit(key - Qt::Key_0))
    RotateSelected(app_.state, app_.history, platform_, turn->angle, turn->axisCode);
  return true;
}

void MainWindow::ScrollBarsChanged() {
  UpdateScrollBars(app_.state, app_.bars, app_.shell.cursorX, app_.shell.cursorY, app_.edges);
}

void MainWindow::OnResized(const PreviousClient& previous) {
  app_.bars.vertical.zone = false;
  app_.bars.horizontal.zone = false;
  RecomputeScrollRoom(app_.state, app_.options, previous, app_.bars.scrollBarThickness);
  ScrollBarsChanged();
  PickFanScheme(app_.view, platform_.TickMs());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (app_.state.gameRunning && Busy(app_.state)) {
    event->ignore();
    return;
  }
  event->accept();
}

void MainWindow::RememberPlacement() {
  app_.options.windowRect = {x(), y(), width(), height()};
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  RememberPlacement();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  RememberPlacement();
}

}  // namespace puzzle
