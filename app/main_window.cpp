#include "app/main_window.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QStyle>

#include "app/dialogs.h"
#include "game/check.h"
#include "game/commands.h"
#include "game/new_game.h"
#include "game/rotation.h"
#include "game/scatter.h"
#include "model/texts.h"
#include "options/options_dialog.h"
#include "render/application_commands.h"
#include "render/textures.h"
#include "resources/embedded.h"
#include "storage/atomic_file.h"
#include "storage/recovery_files.h"
#include "storage/settings.h"
#include "view/view.h"

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

// The digit a key stands for by where it lies, whatever the layout makes of
// it (AZERTY gives "&" for the 1 key, Shift gives "!"): the main row by its
// scan code where the window system tells it, the keypad and other keys by
// the key Qt reports.
std::optional<int> DigitOfKey(const QKeyEvent& key) {
  const QString system = QGuiApplication::platformName();
  // The X and Wayland key codes are the kernel's codes plus 8; the kernel
  // numbers the main row 1..9, 0 from 2 to 11.
  if (system == QLatin1String("xcb") || system.startsWith(QLatin1String("wayland"))) {
    const auto code = static_cast<int>(key.nativeScanCode()) - 8;
    if (code >= 2 && code <= 11) return (code - 1) % 10;
  }
  if (key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9) return key.key() - Qt::Key_0;
  return std::nullopt;
}

}  // namespace

MainWindow::MainWindow(Application& app, Platform& platform, ShellStorage storage, const QLocale& locale)
    : app_(app), platform_(platform), storage_(std::move(storage)), view_(new GameView(app, platform, this)) {
  app_.options.russianUi = RussianLocale(locale);
  if (app_.options.russianUi &&
      qtTexts_.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qtTexts_);
  BuildMainMenu(
      *menuBar(), app_.options.russianUi, menuActions_, [this](int id) { Command(id); },
      [this](QMenu& menu) { FillRecentGames(menu); });
  const auto icon = resources::WindowIconPng();
  QPixmap iconImage;
  if (iconImage.loadFromData(icon.data(), static_cast<uint>(icon.size()), "PNG")) setWindowIcon(iconImage);
  app_.shell.title = Tr(texts::START_TITLE, app_.options.russianUi);
  ShowTitle();
  setCentralWidget(view_);
  view_->installEventFilter(this);
  view_->onResized = [this](const PreviousClient& previous) { OnResized(previous); };
  // The turn ends inside a frame: the congratulation waits until it is drawn.
  view_->onTurnFinished = [this] {
    QMetaObject::invokeMethod(
        this, [this] { AnnounceIfFinished(app_.state, app_.options, platform_); }, Qt::QueuedConnection);
  };
  view_->afterFirstFrame = [this] {
    AfterFirstFrame(app_, platform_, view_->Graphics());
    ShowTitle();
    view_->RequestFrame();
  };
  const auto keepRecovery = [this] {
    KeepRecovery(app_.recovery, app_.state, app_.options, app_.table, platform_.TickMs());
    if (app_.recovery.cadence.pending && !recoveryTimer_.isActive()) recoveryTimer_.start();
  };
  recoveryTimer_.setSingleShot(true);
  recoveryTimer_.setInterval(1000);
  connect(&recoveryTimer_, &QTimer::timeout, this, keepRecovery);
  connect(view_, &GameView::frameSwapped, this, keepRecovery);
  // Whatever the player does anywhere in the game (the table, a menu, the
  // Options dialog) may change the table: it is drawn again once the event
  // is handled. At rest no event comes and nothing is drawn.
  qApp->installEventFilter(this);
  // The commands the scatter holds back wait under a busy pointer, so that
  // the player sees why they do nothing.
  connect(view_, &GameView::frameSwapped, this, [this] {
    const bool scattering = app_.state.scatterRunning || app_.state.settleRunning;
    if (scattering == busyPointer_) return;
    busyPointer_ = scattering;
    if (scattering) {
      setCursor(Qt::BusyCursor);
      view_->setCursor(Qt::BusyCursor);
    } else {
      unsetCursor();
      view_->unsetCursor();
    }
  });
  resize(800, 600);
  StartApplication(app_, storage_.settings);
  std::vector<ScreenRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->geometry();
    screens.push_back({area.x(), area.y(), area.width(), area.height()});
  }
  // A copy: placing the window writes windowRect again as it goes.
  const auto [left, top, width, height] = PlaceStoredWindow(app_.options.windowRect, screens);
  move(left, top);
  resize(width, height);
  // The table counts in device pixels: on a high-density screen the bars are
  // as thick as the desktop's.
  app_.bars.scrollBarThickness =
      static_cast<int>(std::lround(style()->pixelMetric(QStyle::PM_ScrollBarExtent) * devicePixelRatioF()));
}

MainWindow::~MainWindow() {
  // The table goes before the window's own object does.
  qApp->removeEventFilter(this);
}

void MainWindow::ShowTitle() {
  setWindowTitle(QString::fromStdString(app_.shell.title));
}

void MainWindow::Command(int commandId) {
  const bool ru = app_.options.russianUi;
  if (!RunCommand(app_, platform_, view_->Graphics(), commandId, [this] { view_->makeCurrent(); })) {
    switch (commandId) {
      case CMD_EXIT: close(); break;
      case CMD_NUMBER_OF_PIECES: OpenNumberOfPiecesDialog(this, app_.options, platform_); break;
      case CMD_OPTIONS:
        if (!Busy(app_.state)) OpenOptions();
        break;
      case CMD_HELP: OpenQuickHelpDialog(this, ru, platform_); break;
      case CMD_HELP_ONLINE: OpenManualPage(platform_, ru, HelpPageLocation(ru)); break;
      default: break;
    }
  }
  ShowTitle();
  view_->RequestFrame();
}

void MainWindow::FillRecentGames(QMenu& menu) {
  menu.clear();
  DropMissingRecentGames(app_.options.recentGames);
  const bool ru = app_.options.russianUi;
  if (app_.options.recentGames.empty()) {
    menu.addAction(QString::fromUtf8(Tr(texts::MENU_NO_RECENT_GAMES, ru)))->setEnabled(false);
    return;
  }
  for (const std::string& path : app_.options.recentGames) {
    // An ampersand in a path is shown, not taken for a mnemonic.
    const QString text = QString::fromStdString(path).replace(QLatin1Char('&'), QLatin1String("&&"));
    menu.addAction(text, this, [this, path] {
      OpenRecent(app_, platform_, view_->Graphics(), path);
      ShowTitle();
    });
  }
}

void MainWindow::OpenOptions() {
  // One Options dialog at a time: its Cancel restores the options it found.
  if (optionsDialog_) {
    optionsDialog_->raise();
    optionsDialog_->activateWindow();
    return;
  }
  optionsDialog_ = new OptionsDialog(this, app_.options, app_.state, app_.table, platform_,
                                     app_.customColours, [this](const TableGlWork& work) {
                                       view_->makeCurrent();
                                       work(view_->Graphics());
                                     });
  optionsDialog_->show();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::Leave: view_->RequestFrame(); break;
    case QEvent::MouseMove:
      if (watched == view_) view_->RequestFrame();
      break;
    default: break;
  }
  if (watched == view_) {
    switch (event->type()) {
      case QEvent::KeyPress: return OnKeyPress(static_cast<QKeyEvent*>(event)->key());
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Turns act once per release, not per auto-repeat.
        if (key->isAutoRepeat()) return true;
        // Ctrl with a digit is the View menu's (Ctrl+0), not a turn.
        const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
        return OnKeyRelease(key->key(), ctrl ? std::nullopt : DigitOfKey(*key));
      }
      case QEvent::MouseMove:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease: return OnMouse(event);
      case QEvent::Wheel: return OnWheel(*static_cast<QWheelEvent*>(event));
      // A shortcut's dialog takes the key release of Ctrl: the table must not
      // go on believing it held.
      case QEvent::FocusOut: app_.input.modifierDown = false; break;
      default: break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::OnMouse(QEvent* event) {
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const int x = view_->DevicePixels(mouse->position().x());
  const int y = view_->DevicePixels(mouse->position().y());
  auto records = PointerRecordsOf(app_);
  GraphicsPort& graphics = view_->Graphics();
  switch (event->type()) {
    case QEvent::MouseMove:
      // A moving pointer means someone is playing: the branded caption waits
      // for the next idle spell.
      app_.timing.pointerMovedAt = platform_.TickMs();
      OnMouseMove(records, platform_, graphics, x, y);
      // While a piece is held the pointer stays over the table, so that the
      // drag rules see it on the border and scroll the table.
      if (app_.input.leftButtonDown && !view_->rect().contains(mouse->position().toPoint())) {
        const QPoint inside(std::clamp(mouse->position().toPoint().x(), 0, view_->width() - 1),
                            std::clamp(mouse->position().toPoint().y(), 0, view_->height() - 1));
        QCursor::setPos(view_->mapToGlobal(inside));
      }
      break;
    case QEvent::MouseButtonPress:
      if (mouse->button() == Qt::LeftButton) {
        // The press acts where the pointer is now, even without a move first.
        OnMouseMove(records, platform_, graphics, x, y);
        OnLeftButtonDown(records, platform_);
      } else if (mouse->button() == Qt::RightButton) {
        if (OnRightButtonDown(records, graphics, x, y)) ShowPieceMenu(mouse->globalPosition().toPoint());
      }
      break;
    case QEvent::MouseButtonRelease:
      if (mouse->button() == Qt::LeftButton) {
        // Only a drop can finish the picture; a click that moved nothing says
        // nothing.
        const bool dropped = app_.input.pieceMoved;
        OnLeftButtonUp(records, platform_, graphics);
        if (dropped) AnnounceIfFinished(app_.state, app_.options, platform_);
      }
      break;
    default: return false;
  }
  return true;
}

bool MainWindow::OnWheel(const QWheelEvent& wheel) {
  const QPoint delta = wheel.angleDelta();
  WheelOnTable(app_, delta.x(), delta.y(), wheel.modifiers().testFlag(Qt::ControlModifier),
               wheel.modifiers().testFlag(Qt::ShiftModifier), view_->DevicePixels(wheel.position().x()) + 0.5,
               view_->DevicePixels(wheel.position().y()) + 0.5, [this](int id) { Command(id); });
  return true;
}

void MainWindow::ShowPieceMenu(const QPoint& globalPosition) {
  if (pieceMenu_) pieceMenu_->close();
  pieceMenu_ = MakePieceMenu(BuildPieceMenu(app_.options), this, [this](int id) { Command(id); });
  pieceMenu_->setAttribute(Qt::WA_DeleteOnClose);
  // Not modal: the table keeps drawing while the menu is open.
  pieceMenu_->popup(globalPosition);
}

bool MainWindow::OnKeyPress(int key) {
  if (key == Qt::Key_Control || key == Qt::Key_Alt) {
    app_.input.modifierDown = true;
    return false;
  }
  const auto scroll = ScrollKeyOf(key);
  if (!scroll) return false;
  ApplyScrollKey(app_.table, app_.state, *scroll, app_.input.modifierDown);
  ScrollBarsChanged();
  return true;
}

bool MainWindow::OnKeyRelease(int key, std::optional<int> digit) {
  if (key == Qt::Key_Control || key == Qt::Key_Alt) {
    app_.input.modifierDown = false;
    return false;
  }
  if (!digit) return false;
  // The keypad's digits act as the main row's.
  if (const auto turn = TurnForDigit(*digit))
    RotateSelected(app_.state, app_.history, platform_, turn->angle, turn->axisCode);
  return true;
}

void MainWindow::ScrollBarsChanged() {
  UpdateScrollBars(app_.state, app_.table, app_.bars, app_.input.cursorX, app_.input.cursorY,
                   app_.picking.edges);
}

void MainWindow::OnResized(const PreviousClient& previous) {
  TableResized(app_, platform_, previous);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!LeaveGame(app_, platform_, storage_.settings)) {
    event->ignore();
    return;
  }
  if (storage_.registerGameFiles) storage_.registerGameFiles();
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
