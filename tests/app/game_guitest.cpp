#include <QApplication>
#include <QMenuBar>
#include <QOpenGLContext>
#include <QPushButton>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "app/dialogs.h"
#include "app/menus.h"
#include "game/commands.h"
#include "game/picking.h"
#include "render/application_commands.h"
#include "support/window_fixture.h"

namespace puzzle::testing {
namespace {

constexpr const char* CONGRATULATIONS = "Congratulations! \n It was a god game and you have won!";

class GameWindowTest : public WindowTest {
 protected:
  // A 240 x 160 picture cut into 3 x 2 pieces of 80 pixels, scattering for a
  // second of the stepped clock.
  void SmallGame() {
    app.options.scatterSeconds = 1;
    app.options.pendingColumns = 3;
    Open();
    LoadPicture(WritePicture("quarters.png", 240, 160));
    ASSERT_TRUE(app.state.imageFresh);
    StartAndSettle();
    ASSERT_EQ(app.state.pieceCount, 6u);
  }

  // Moves the pointer over from; true when that selects piece k.
  bool Hover(QPoint from, std::uint32_t k) {
    QTest::mouseMove(window->view(), from);
    WaitFrames(1);
    return app.state.selected == static_cast<std::int32_t>(k);
  }

  // Drags the piece under from to to with real pointer events.
  void Drag(QPoint from, QPoint to) {
    QWidget* view = window->view();
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    constexpr int STEPS = 8;
    for (int i = 1; i <= STEPS; ++i) QTest::mouseMove(view, from + (to - from) * i / STEPS);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    WaitFrames(2);
  }

  // A new window for a game file named on the command line.
  void ReopenWithCommandLine(const std::string& path) {
    window.reset();
    app = Application{};
    app.state.gameFilePath = path;
    app.shell.commandLineGamePending = true;
    Open();
  }

  std::string Title() const { return window->windowTitle().toStdString(); }

  void ExpectPieces(const std::vector<PiecePose>& expected) {
    ASSERT_EQ(app.state.pieces.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
      const PiecePose &got = app.state.pieces[k], &want = expected[k];
      EXPECT_EQ(std::memcmp(got.orient.data(), want.orient.data(), sizeof want.orient), 0) << k;
      EXPECT_NEAR(got.x, want.x, 1e-6) << k;
      EXPECT_NEAR(got.y, want.y, 1e-6) << k;
    }
  }
};

// Scatter, the refused Starts, save and open, then the saved game named on a
// new window's command line. (Exit's question is the shortcut test's; a
// failing save behind Yes is the file commands' test.)
TEST_F(GameWindowTest, ScatterRestartSaveOpenAndTheCommandLineGame) {
  SmallGame();
  EXPECT_EQ(Title(), "Puzzle - New Image: quarters.png 240 x 160");
  const GameState& state = app.state;
  const double vx = app.table.clientWidth * state.pixelScale * TABLE_DEPTH / NEAR_PLANE;
  const double vy = app.table.clientHeight * state.pixelScale * TABLE_DEPTH / NEAR_PLANE;
  int away = 0;
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    const PiecePose& pose = state.pieces[k];
    if (std::fabs(pose.x - state.homeX[k]) > state.halfCellW) ++away;
    // The bounce box lies half a cell inside the visible table; a piece
    // overshoots it by at most one frame's move.
    EXPECT_LE(std::fabs(pose.x), vx - state.halfCellW + 0.015) << k;
    EXPECT_LE(std::fabs(pose.y), vy - state.halfCellH + 0.015) << k;
  }
  EXPECT_EQ(std::tuple(away > 0, state.gameChanged, state.pixels.size()), std::tuple(true, true, 0u));

  const std::vector<PiecePose> scattered = state.pieces;
  platform.answers = {MessageAnswer::No};
  window->Command(CMD_START);
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(std::tie(platform.shown[0].text, state.scatterRunning), std::tuple("Restart this game?", false));
  // 200 columns of one pixel give 200 x 160 = 32 000 pieces.
  app.options.pendingColumns = 200;
  window->Command(CMD_START);
  ASSERT_EQ(platform.shown.size(), 3u);
  EXPECT_EQ(platform.shown[2].text, "Too many of puzzles.\nNumber of puzzles should not exceed 10 000.");
  app.options.pendingColumns = 0;

  const std::string gamePath = folder.File("game.pzz");
  platform.saveResults.push_back(gamePath);
  window->Command(CMD_SAVE_AS);
  ASSERT_TRUE(std::filesystem::exists(gamePath));
  EXPECT_FALSE(state.gameChanged);
  // Play on: a moved piece makes the game changed again; Open asks, No.
  app.state.pieces[0].x += 0.3f;
  app.state.gameChanged = true;
  platform.shown.clear();
  platform.answers = {MessageAnswer::No};
  platform.openResults.push_back(gamePath);
  window->Command(CMD_OPEN);
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(std::tie(platform.shown[0].text, platform.shown[0].buttons),
            std::tuple("Save current Game?", MessageButtons::YesNo));
  ExpectPieces(scattered);
  EXPECT_EQ(std::tuple(state.promptShowing, platform.menuEnabled.at(CMD_REDO), Title()),
            std::tuple(true, false, "Puzzle - Загружена Игра: game.pzz"));
  WaitFrames(3);

  // While the pieces fly the pointer is busy; Exit does not wait: the
  // scatter ends where the pieces are, and the save question follows.
  platform.answers = {MessageAnswer::Yes};
  window->Command(CMD_START);
  ASSERT_TRUE(state.scatterRunning);
  WaitFrames(2);
  EXPECT_EQ(window->cursor().shape(), Qt::BusyCursor);
  platform.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(window->close());
  EXPECT_FALSE(state.scatterRunning || state.settleRunning);
  EXPECT_EQ(platform.shown.back().buttons, MessageButtons::YesNoCancel);
  platform.shown.clear();
  ReopenWithCommandLine(gamePath);
  EXPECT_EQ(std::tuple(platform.shown.size(), app.state.gameRunning, app.options.gameDirectory, Title()),
            std::tuple(0u, true, folder.Path().string(), "Puzzle - Загружена Игра: game.pzz"));
  ExpectPieces(scattered);
  ReopenWithCommandLine(folder.File("gone.pzz"));
  WaitFrames(3);
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(std::tie(platform.shown[0].text, app.state.gameRunning, app.state.gameFilePath),
            std::tuple("Failed to open file.", false, ""));
}

// Each action alone on a game just opened from its file: whatever a save
// would write differently makes Exit ask the save question, and nothing else
// does.
TEST_F(GameWindowTest, ExitAsksAfterEveryChangeASaveWouldWrite) {
  app.options.gameRotate = true;
  app.options.game3D = true;
  SmallGame();
  GameState& state = app.state;
  // Every piece a little off its cell, so that Align and Check move it.
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    state.pieces[k].x = state.homeX[k] + state.halfCellW / 4;
    state.pieces[k].y = state.homeY[k];
  }
  const std::string game = folder.File("game.pzz");
  platform.saveResults.push_back(game);
  window->Command(CMD_SAVE_AS);
  const auto idle = [&] { ASSERT_TRUE(RunFramesUntil([&] { return !Busy(state); })); };
  constexpr int KEY_3 = -3;  // the digit key rather than a command
  struct Case {
    const char* name;
    std::vector<int> saved;  // commands before, then a save
    int action;
    bool asks;
  };
  // The wheel turns through the piece menu's command (its own test).
  const Case cases[] = {
      {"nothing", {}, 0, false},
      {"Prompt", {}, CMD_PROMPT, false},
      {"piece menu turn", {}, 90, true},
      {"piece menu flip", {}, piece_menu::FLIP_VERTICAL, true},
      {"digit key", {}, KEY_3, true},
      {"Align", {}, piece_menu::ALIGN, true},
      {"Check", {}, CMD_CHECK, true},
      {"Undo", {90}, CMD_UNDO, true},
      {"Redo", {90, CMD_UNDO}, CMD_REDO, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state.gameChanged = false;  // the last case's change is not the question here
    platform.openResults.push_back(game);
    window->Command(CMD_OPEN);
    SelectPiece(state, app.view, 1);
    for (int id : c.saved) {
      window->Command(id);
      idle();
    }
    if (!c.saved.empty()) window->Command(CMD_SAVE);
    ASSERT_FALSE(state.gameChanged);
    if (c.action == KEY_3) QTest::keyRelease(window->view(), Qt::Key_3);
    window->Command(c.action);
    idle();
    EXPECT_EQ(state.gameChanged, c.asks);
    if (!c.asks) continue;
    platform.shown.clear();
    platform.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(window->close());
    ASSERT_FALSE(platform.shown.empty());
    EXPECT_EQ(platform.shown.back().text, "Save current Game?");
  }
}

// The keys and the piece menu on a picked piece, then the whole game played
// with the mouse to the congratulation.
TEST_F(GameWindowTest, KeysPieceMenuAndAWholeGameToTheCongratulation) {
  app.options.gameRotate = false;
  app.options.game3D = false;
  SmallGame();
  GameState& state = app.state;
  const std::vector<PiecePose> settled = state.pieces;
  for (std::uint32_t k = 0; k < state.pieceCount && state.selected < 0; ++k) {
    Hover(PixelOf(state.pieces[k].x, state.pieces[k].y), k);
  }
  ASSERT_GE(state.selected, 0);
  const auto piece = static_cast<std::size_t>(state.selected);
  QWidget* view = window->view();
  // Turns start on the key's release; 9 flips even without turning in play.
  QTest::keyPress(view, Qt::Key_9);
  EXPECT_EQ(state.rotationLeft, 0.0f);
  QTest::keyRelease(view, Qt::Key_9);
  EXPECT_EQ(state.rotationLeft, 180.0f);
  ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
  // The keypad's 3 turns like the main block's 3.
  QTest::keyPress(view, Qt::Key_3, Qt::KeypadModifier);
  QTest::keyRelease(view, Qt::Key_3, Qt::KeypadModifier);
  EXPECT_EQ(state.rotationLeft, 90.0f);
  ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
  // The main row counts by where the key lies: the AZERTY 1 key ("&") and a
  // shifted 2 ("@") turn as 1 and 2 do. X reports the key codes 10 and 11.
  struct LaidOutKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;
    const char* text;
    float turn;
  };
  for (const LaidOutKey& k : {LaidOutKey{Qt::Key_Ampersand, Qt::NoModifier, 10, "&", 45.0f},
                              LaidOutKey{Qt::Key_At, Qt::ShiftModifier, 11, "@", -45.0f}}) {
    QKeyEvent release(QEvent::KeyRelease, k.key, k.modifiers, k.scanCode, 0, 0, QString::fromLatin1(k.text));
    QApplication::sendEvent(view, &release);
    EXPECT_EQ(state.rotationLeft, k.turn) << k.text;
    ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
  }
  for (int undo = 0; undo < 4; ++undo) {
    window->Command(CMD_UNDO);
    ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
  }
  EXPECT_EQ(state.pieces[piece].orient, settled[piece].orient);

  const QPoint at = PixelOf(state.pieces[piece].x, state.pieces[piece].y);
  QTest::mouseClick(view, Qt::RightButton, {}, at);
  QMenu* menu = window->pieceMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(MenuText(menu->actions()), "&Align|-|&New Image|&Save|-|&Exit");
  menu->close();

  // Pieces may lie on one another: a piece is grabbed at its centre or near a
  // corner, wherever it shows, and a piece hidden now gets its turn once the
  // ones above it have gone home.
  const float reach = 0.7f;
  const std::array<std::array<float, 2>, 5> grips{
      {{0, 0}, {-reach, -reach}, {reach, -reach}, {-reach, reach}, {reach, reach}}};
  for (int pass = 0; pass < 6; ++pass) {
    for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
      for (const auto& [gx, gy] : grips) {
        const PiecePose& pose = state.pieces[k];
        if (std::fabs(pose.x - state.homeX[k]) < 1e-3f && std::fabs(pose.y - state.homeY[k]) < 1e-3f) break;
        const float dx = gx * state.halfCellW;
        const float dy = gy * state.halfCellH;
        const QPoint from = PixelOf(pose.x + dx, pose.y + dy);
        if (Hover(from, k)) Drag(from, PixelOf(state.homeX[k] + dx, state.homeY[k] + dy));
      }
    }
  }
  EXPECT_TRUE(platform.menuEnabled.at(CMD_UNDO));
  // The last drop finished the picture, which said so once by itself.
  EXPECT_EQ(std::count_if(platform.shown.begin(), platform.shown.end(),
                          [](const Message& message) { return message.text == CONGRATULATIONS; }),
            1);
  window->Command(CMD_CHECK);
  ASSERT_FALSE(platform.shown.empty());
  EXPECT_EQ(std::tie(platform.shown.back().text, platform.shown.back().caption),
            std::tuple(CONGRATULATIONS, "All right"));
}

// The standard keys go through the menu items, and each command keeps its
// own guard.
TEST_F(GameWindowTest, StandardShortcutsActAsTheirMenuItems) {
  SmallGame();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->view()->setFocus();
  const auto press = [&](const char* keys) {
    QTest::keySequence(window.get(), QKeySequence(keys));
    QCoreApplication::processEvents();
  };
  GameState& state = app.state;

  // Save and Save As ask for a file while the game has none.
  const std::string gamePath = folder.File("keys.pzz");
  platform.saveResults.push_back(gamePath);
  press("Ctrl+S");
  ASSERT_TRUE(std::filesystem::exists(gamePath));
  EXPECT_EQ(state.gameFilePath, gamePath);
  const std::size_t requests = platform.fileRequests.size();
  press("Ctrl+Shift+S");
  EXPECT_EQ(platform.fileRequests.size(), requests + 1);

  // A drag, undone and redone from the keyboard.
  for (std::uint32_t k = 0; k < state.pieceCount && state.selected < 0; ++k)
    Hover(PixelOf(state.pieces[k].x, state.pieces[k].y), k);
  ASSERT_GE(state.selected, 0);
  const auto piece = static_cast<std::size_t>(state.selected);
  const PiecePose before = state.pieces[piece];
  const QPoint from = PixelOf(before.x, before.y);
  Drag(from, from + QPoint(30, 20));
  const PiecePose moved = state.pieces[piece];
  ASSERT_NE(moved.x, before.x);
  // The scripted platform only records what the Qt one would grey, so Undo
  // is still greyed here though the drag can be undone: it refuses its key.
  // After each key the menu shows what the platform was told.
  const auto pressShown = [&](const char* keys) {
    press(keys);
    for (int id : {CMD_UNDO, CMD_REDO}) window->menuActions().SetEnabled(id, platform.menuEnabled.at(id));
  };
  pressShown("Ctrl+Z");
  EXPECT_EQ(state.pieces[piece].x, moved.x);
  pressShown("Ctrl+Z");
  EXPECT_EQ(state.pieces[piece].x, before.x);
  pressShown("Ctrl+Y");
  EXPECT_EQ(state.pieces[piece].x, moved.x);
  pressShown("Ctrl+Z");
  press("Ctrl+Shift+Z");
  EXPECT_EQ(state.pieces[piece].x, moved.x);

  // Open, with the save question of the changed game.
  platform.shown.clear();
  platform.answers = {MessageAnswer::No};
  platform.openResults.push_back(gamePath);
  press("Ctrl+O");
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(std::tuple(platform.shown[0].text, Title()),
            std::tuple("Save current Game?", "Puzzle - Загружена Игра: keys.pzz"));

  press("F1");
  EXPECT_NE(window->findChild<QPushButton*>(MANUAL_BUTTON_NAME), nullptr);

  // Start from either key; while the pieces fly Save refuses.
  for (const char* keys : {"F5", "Ctrl+N"}) {
    platform.answers = {MessageAnswer::Yes};
    press(keys);
    EXPECT_TRUE(state.scatterRunning) << keys;
    ASSERT_TRUE(RunFramesUntil([&] { return !state.scatterRunning && !state.settleRunning; }));
  }
  window->Command(CMD_START);
  ASSERT_TRUE(state.scatterRunning);
  const std::size_t requestsWhileBusy = platform.fileRequests.size();
  const std::size_t messagesWhileBusy = platform.shown.size();
  press("Ctrl+Shift+S");
  EXPECT_EQ(std::pair(platform.fileRequests.size(), platform.shown.size()),
            std::pair(requestsWhileBusy, messagesWhileBusy));

  // Exit ends the scatter and asks about the changed game; Cancel keeps the
  // window.
  platform.answers = {MessageAnswer::Cancel};
  press("Ctrl+Q");
  EXPECT_EQ(platform.shown.back().buttons, MessageButtons::YesNoCancel);
  EXPECT_TRUE(window->isVisible());
  platform.answers = {MessageAnswer::No};
  press("Ctrl+Q");
  EXPECT_FALSE(window->isVisible());
}

// The wheel over the table: scrolling (the scroll room clamps it as it does
// the keys); with Ctrl a zoom about the pointer that keeps the piece under it
// there, Ctrl+0 back to the frame of 100 %; over a held piece a turn that
// Undo takes back.
TEST_F(GameWindowTest, TheWheelScrollsZoomsAndTurnsTheHeldPiece) {
  Open();
  LoadPicture(WritePicture("large.png", 2000, 1500));
  const TableView& table = app.table;
  // The window is made anew below: the view is looked up at each turn.
  const auto wheel = [&](QPoint at, QPoint delta, Qt::KeyboardModifiers modifiers) {
    QWidget* view = window->view();
    QWheelEvent event(at, view->mapToGlobal(at), {}, delta, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(view, &event);
  };
  const QPoint middle(window->view()->width() / 2, window->view()->height() / 2);
  // A notch is forty picture pixels of the preview, fewer thumb positions.
  const std::int32_t skipX = app.bars.previewSkipX, skipY = app.bars.previewSkipY;
  wheel(middle, {0, 120}, Qt::NoModifier);
  EXPECT_NEAR(std::abs(app.bars.previewSkipY - skipY), 40, 2);
  EXPECT_LT(table.scrollY, 40);
  wheel(middle, {0, -120}, Qt::ShiftModifier);
  EXPECT_NEAR(std::abs(app.bars.previewSkipX - skipX), 40, 2);

  window.reset();
  app = Application{};
  settings.values.clear();
  app.options.gameRotate = true;
  // The colour cycling would tell frames apart.
  app.options.brandedBackground = false;
  SmallGame();
  GameState& state = app.state;
  for (std::uint32_t k = 0; k < state.pieceCount && state.selected < 0; ++k)
    Hover(PixelOf(state.pieces[k].x, state.pieces[k].y), k);
  ASSERT_GE(state.selected, 0);
  const auto piece = static_cast<std::size_t>(state.selected);
  const QPoint at = PixelOf(state.pieces[piece].x, state.pieces[piece].y);
  WaitFrames(2);
  const QImage reference = window->view()->grabFramebuffer();
  for (const int delta : {120, 120, -120, 120}) wheel(at, {0, delta}, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(table.zoom, ZOOM_STEP * ZOOM_STEP);
  EXPECT_EQ(state.rotationLeft, 0.0f);
  const QPoint zoomed = PixelOf(state.pieces[piece].x, state.pieces[piece].y);
  EXPECT_LE((zoomed - at).manhattanLength(), 2);
  EXPECT_TRUE(Hover(at + QPoint(1, 0), static_cast<std::uint32_t>(piece)));
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->view()->setFocus();
  QTest::keySequence(window.get(), QKeySequence("Ctrl+0"));
  QCoreApplication::processEvents();
  EXPECT_EQ(std::tuple(table.zoom, state.rotationLeft), std::tuple(1.0, 0.0f));
  Hover(at, static_cast<std::uint32_t>(piece));
  WaitFrames(2);
  EXPECT_EQ(CountDifferent(window->view()->grabFramebuffer(), reference), 0);

  // Beside the pieces, or over a piece not held, the wheel turns nothing.
  wheel({2, 2}, {0, 120}, Qt::NoModifier);
  wheel(at, {0, 120}, Qt::NoModifier);
  EXPECT_EQ(state.rotationLeft, 0.0f);
  const auto orient = state.pieces[piece].orient;
  state.gameChanged = false;
  QTest::mousePress(window->view(), Qt::LeftButton, {}, at);
  wheel(at, {0, -120}, Qt::NoModifier);
  QTest::mouseRelease(window->view(), Qt::LeftButton, {}, at);
  EXPECT_EQ(std::tuple(state.rotationLeft, state.gameChanged), std::tuple(-45.0f, true));  // a save writes it
  ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
  EXPECT_NE(state.pieces[piece].orient, orient);
  EXPECT_TRUE(platform.menuEnabled.at(CMD_UNDO));
  window->Command(CMD_UNDO);
  ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
  EXPECT_EQ(state.pieces[piece].orient, orient);

  // Every piece home and one turned away and back: the turn that finishes
  // the picture brings the congratulation, once. (The end of the Undo turn
  // is judged first, on the table as it was.)
  WaitFrames(2);
  for (std::uint32_t k = 0; k < state.pieceCount; ++k)
    state.pieces[k] = {IDENTITY_ORIENT, state.homeX[k], state.homeY[k], state.pieces[k].z};
  platform.shown.clear();
  // The pointer reads the depth of the frame last drawn: the pieces must
  // show at home first.
  WaitFrames(2);
  const QPoint home = PixelOf(state.homeX[piece], state.homeY[piece]);
  Hover(home + QPoint(3, 3), static_cast<std::uint32_t>(piece));
  ASSERT_TRUE(Hover(home, static_cast<std::uint32_t>(piece)));
  for (int delta : {120, -120}) {
    QTest::mousePress(window->view(), Qt::LeftButton, {}, home);
    wheel(home, {0, delta}, Qt::NoModifier);
    QTest::mouseRelease(window->view(), Qt::LeftButton, {}, home);
    EXPECT_NE(state.rotationLeft, 0.0f);
    ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
    WaitFrames(2);
  }
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].caption, "All right");

  // Without the rotation game the wheel turns nothing.
  app.options.gameRotate = false;
  QTest::mousePress(window->view(), Qt::LeftButton, {}, home);
  wheel(home, {0, 120}, Qt::NoModifier);
  QTest::mouseRelease(window->view(), Qt::LeftButton, {}, home);
  EXPECT_EQ(state.rotationLeft, 0.0f);
}

// A saved game whose picture now lies beside it opens, and so does a game
// from the recent games, which lists only files that still exist.
TEST_F(GameWindowTest, AMovedPictureIsFoundAndRecentGamesReopen) {
  SmallGame();
  const std::string games = folder.File("tom & jerry");
  std::filesystem::create_directory(games);
  const std::string gamePath = games + "/moved.pzz";
  const std::string gonePath = folder.File("gone.pzz");
  for (const std::string& path : {gonePath, gamePath}) {
    platform.saveResults.push_back(path);
    window->Command(CMD_SAVE_AS);
  }
  std::filesystem::remove(gonePath);
  const std::vector<PiecePose> saved = app.state.pieces;
  // Where the picture is looked for, and what declining to look does, is the
  // file commands' test; here the game is opened from the recent games.
  std::filesystem::rename(app.state.imagePath, games + "/quarters.png");

  QMenu* recent = nullptr;
  for (QAction* action : window->menuBar()->actions().front()->menu()->actions()) {
    if (action->menu() != nullptr) recent = action->menu();
  }
  ASSERT_NE(recent, nullptr);
  emit recent->aboutToShow();
  ASSERT_EQ(recent->actions().size(), 1);
  EXPECT_EQ(recent->actions().front()->text().toStdString(), folder.File("tom && jerry/moved.pzz"));
  EXPECT_EQ(app.options.recentGames, std::vector<std::string>{gamePath});

  app.state.pieces[0].x += 0.3f;
  app.state.gameChanged = true;
  platform.shown.clear();
  platform.answers = {MessageAnswer::No};
  recent->actions().front()->trigger();
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(std::tuple(platform.shown[0].text, app.state.imagePath, Title()),
            std::tuple("Save current Game?", games + "/quarters.png", "Puzzle - Загружена Игра: moved.pzz"));
  ExpectPieces(saved);
  WaitFrames(2);

  // Kept by the settings store for the next run.
  EXPECT_TRUE(window->close());
  EXPECT_EQ(std::get<std::vector<std::string>>(settings.values.at("RecentGames")),
            std::vector<std::string>{gamePath});
}

// A table at rest draws nothing; the pointer over a piece draws it raised.
// With the branded background off the caption shows only while the pointer
// rests: a move hides it, and it returns once the game's clock has run
// through the idle time.
TEST_F(GameWindowTest, ARestingTableDrawsNothingUntilThePointerMovesAndTheCaptionReturnsAfterItsIdleTime) {
  app.options.brandedBackground = false;
  SmallGame();
  GameView* view = window->view();
  EXPECT_TRUE(app.timing.captionDue);
  const QImage withCaption = view->grabFramebuffer();
  QTest::mouseMove(view, QPoint(2, 2));
  WaitFrames(2);
  EXPECT_FALSE(app.timing.captionDue);
  const QImage bare = view->grabFramebuffer();
  EXPECT_GT(CountDifferent(withCaption, bare), 100);

  const std::uint64_t resting = view->FramesDrawn();
  QTest::qWait(2500);
  EXPECT_EQ(view->FramesDrawn(), resting);
  QSignalSpy swapped(view, &GameView::frameSwapped);
  QTest::mouseMove(view, PixelOf(app.state.pieces[0].x, app.state.pieces[0].y));
  EXPECT_TRUE(swapped.wait(2000));
  EXPECT_GE(app.state.selected, 0);

  // Counting the whole idle spell on the real clock would take minutes.
  platform.Step(CAPTION_IDLE_MS - 100);
  WaitFrames(1);
  EXPECT_FALSE(app.timing.captionDue);
  platform.Step(200);
  WaitFrames(1);
  EXPECT_TRUE(app.timing.captionDue);
  EXPECT_GT(CountDifferent(view->grabFramebuffer(), bare), 100);
}

// The table moved into another window keeps its GL context, with the
// picture's textures and the pieces, and looks as before.
TEST_F(GameWindowTest, TheTableMovedIntoAnotherWindowLooksAsBefore) {
  app.options.brandedBackground = false;
  SmallGame();
  GameView* view = window->view();
  QTest::mouseMove(view, QPoint(1, 1));
  WaitFrames(2);
  const QImage before = view->grabFramebuffer();
  QWidget other;
  other.resize(view->size());
  view->setParent(&other);
  view->move(0, 0);
  other.show();
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  WaitFrames(2);
  EXPECT_LT(CountDifferent(before, view->grabFramebuffer()), 50);
  window->setCentralWidget(view);
}

// A screen at 200 % (the main sets Qt's scale for this suite).
using DoubleDensityWindowTest = GameWindowTest;

TEST_F(DoubleDensityWindowTest, TheTableFillsTheWindowAClickPicksAndTheCaptionKeepsItsLogicalSize) {
  app.options.scatterSeconds = 1;
  app.options.pendingColumns = 3;
  Open();
  GameView* view = window->view();
  ASSERT_EQ(view->devicePixelRatioF(), 2.0) << "run by its own filter, the main sets QT_SCALE_FACTOR=2";
  const QImage frame = view->grabFramebuffer();
  EXPECT_EQ(std::tuple(app.table.clientWidth, app.table.clientHeight, frame.size()),
            std::tuple(2 * view->width(), 2 * view->height(), 2 * view->size()));
  // The branded background reaches every corner: no quarter is left black.
  for (const QPoint corner : {QPoint(2, 2), QPoint(frame.width() - 3, 2), QPoint(2, frame.height() - 3),
                              QPoint(frame.width() - 3, frame.height() - 3)})
    EXPECT_NE(frame.pixel(corner) & 0xffffff, 0u) << corner.x() << ", " << corner.y();

  // The caption over a plain background, with glyphs made for the screen
  // and for one device pixel per logical pixel: twice as wide and as tall.
  app.options.brandedBackground = false;
  const auto captionInk = [&](double ratio) {
    view->makeCurrent();
    FollowPixelRatio(app, ratio);
    WaitFrames(2);
    const QImage shown = view->grabFramebuffer();
    QRect ink;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x)
        if (shown.pixel(x, y) != shown.pixel(0, 0)) ink |= QRect(x, y, 1, 1);
    }
    return ink;
  };
  const QRect single = captionInk(1.0), dense = captionInk(2.0);
  ASSERT_GT(single.width(), 100);
  EXPECT_NEAR(dense.width(), 2 * single.width(), 4);
  EXPECT_NEAR(dense.height(), 2 * single.height(), 4);

  // The pointer over the top piece picks it, and a drag takes it along.
  LoadPicture(WritePicture("quarters.png", 240, 160));
  StartAndSettle();
  GameState& state = app.state;
  const auto centre = [&](std::size_t k) { return PixelOf(state.pieces[k].x, state.pieces[k].y); };
  std::uint32_t piece = 0;
  while (piece < state.pieceCount && !Hover(centre(piece) / 2, piece)) ++piece;
  ASSERT_LT(piece, state.pieceCount);
  const QPoint to = centre(piece) / 2 + QPoint(30, 20);
  Drag(centre(piece) / 2, to);
  EXPECT_LE((centre(piece) - 2 * to).manhattanLength(), 3);
}

}  // namespace
}  // namespace puzzle::testing
