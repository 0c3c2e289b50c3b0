#include <QApplication>
#include <QMenu>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "game/commands.h"
#include "support/window_fixture.h"

namespace puzzle::testing {
namespace {

bool Snapped(const PiecePose& pose) {
  for (float v : pose.orient) {
    const float a = std::fabs(v);
    if (a != 0.0f && a != 1.0f && a != 0.70710677f) return false;
  }
  return true;
}

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

  // Drags the piece under from to to with real pointer events.
  void Drag(QPoint from, QPoint to) {
    QWidget* view = window->view();
    QTest::mouseMove(view, from);
    WaitFrames(1);
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    constexpr int STEPS = 8;
    for (int i = 1; i <= STEPS; ++i) {
      QTest::mouseMove(view, from + (to - from) * i / STEPS);
    }
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    WaitFrames(2);
  }
};

TEST_F(GameWindowTest, ScatterLeavesTheHomesStaysInTheBoxAndEndsSnapped) {
  SmallGame();
  EXPECT_EQ(window->windowTitle().toStdString(), "Puzzle - New Image: quarters.png 240 x 160");
  const GameState& state = app.state;
  const double vx = state.clientWidth * state.pixelScale * TABLE_DEPTH / NEAR_PLANE;
  const double vy = state.clientHeight * state.pixelScale * TABLE_DEPTH / NEAR_PLANE;
  int away = 0;
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    const PiecePose& pose = state.pieces[k];
    if (std::fabs(pose.x - state.homeX[k]) > state.halfCellW) ++away;
    // The bounce box lies half a cell inside the visible table; a piece
    // overshoots it by at most one frame's move.
    EXPECT_LE(std::fabs(pose.x), vx - state.halfCellW + 0.015) << k;
    EXPECT_LE(std::fabs(pose.y), vy - state.halfCellH + 0.015) << k;
    EXPECT_TRUE(Snapped(pose)) << k;
  }
  EXPECT_GT(away, 0);
  EXPECT_TRUE(state.gameChanged);
  EXPECT_TRUE(state.pixels.empty());
}

TEST_F(GameWindowTest, RestartDeclinedAndTooManyPiecesLeaveTheGame) {
  SmallGame();
  const std::vector<PiecePose> pieces = app.state.pieces;
  platform.answers = {MessageAnswer::No};
  window->Command(CMD_START);
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Restart this game?");
  EXPECT_FALSE(app.state.scatterRunning);

  // 200 columns of one pixel give 200 x 160 = 32 000 pieces.
  app.options.pendingColumns = 200;
  platform.answers = {MessageAnswer::Yes};
  window->Command(CMD_START);
  ASSERT_EQ(platform.shown.size(), 3u);
  EXPECT_EQ(platform.shown[2].text, "Too many of puzzles.\nNumber of puzzles should not exceed 10 000.");
  EXPECT_FALSE(app.state.scatterRunning);
  EXPECT_TRUE(app.state.gameRunning);
  EXPECT_EQ(app.state.pieceCount, 6u);
  EXPECT_EQ(app.options.columns, 3u);
  ASSERT_EQ(app.state.pieces.size(), pieces.size());
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    EXPECT_EQ(app.state.pieces[k].x, pieces[k].x);
    EXPECT_EQ(app.state.pieces[k].y, pieces[k].y);
  }
}

TEST_F(GameWindowTest, WholeGamePlayedWithTheMouseEndsInTheCongratulation) {
  app.options.gameRotate = false;
  SmallGame();
  GameState& state = app.state;
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
        QTest::mouseMove(window->view(), from);
        WaitFrames(1);
        if (state.selected != static_cast<std::int32_t>(k)) continue;
        Drag(from, PixelOf(state.homeX[k] + dx, state.homeY[k] + dy));
      }
    }
  }
  EXPECT_FALSE(app.history.undoHistory.empty());
  EXPECT_TRUE(platform.menuEnabled.at(CMD_UNDO));
  window->Command(CMD_CHECK);
  ASSERT_FALSE(platform.shown.empty());
  EXPECT_EQ(platform.shown.back().text, "Congratulations! \n It was a god game and you have won!");
  EXPECT_EQ(platform.shown.back().caption, "All right");
}

TEST_F(GameWindowTest, SavedGameOpensAgainWithEveryPieceInPlace) {
  SmallGame();
  const std::vector<PiecePose> saved = app.state.pieces;
  const std::string gamePath = folder.File("game.pzz");
  platform.saveResults.push_back(gamePath);
  window->Command(CMD_SAVE_AS);
  ASSERT_TRUE(std::filesystem::exists(gamePath));
  EXPECT_FALSE(app.state.gameChanged);

  // Play on: a moved piece makes the game changed again; Open asks, No.
  app.state.pieces[0].x += 0.3f;
  app.state.gameChanged = true;
  platform.answers = {MessageAnswer::No};
  platform.openResults.push_back(gamePath);
  window->Command(CMD_OPEN);
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Save current Game?");
  EXPECT_EQ(platform.shown[0].buttons, MessageButtons::YesNo);
  ASSERT_EQ(app.state.pieces.size(), saved.size());
  for (std::size_t k = 0; k < saved.size(); ++k) {
    EXPECT_EQ(std::memcmp(app.state.pieces[k].orient.data(), saved[k].orient.data(), sizeof(saved[k].orient)),
              0);
    EXPECT_NEAR(app.state.pieces[k].x, saved[k].x, 1e-6);
    EXPECT_NEAR(app.state.pieces[k].y, saved[k].y, 1e-6);
  }
  EXPECT_TRUE(app.state.promptShowing);
  EXPECT_FALSE(platform.menuEnabled.at(CMD_REDO));
  EXPECT_EQ(window->windowTitle().toStdString(), "Puzzle - Загружена Игра: game.pzz");
  WaitFrames(3);
}

TEST_F(GameWindowTest, CancelAtExitKeepsTheWindow) {
  SmallGame();
  platform.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(platform.shown.back().buttons, MessageButtons::YesNoCancel);

  // While the pieces fly, Exit is refused without a question.
  platform.answers = {MessageAnswer::Yes};
  window->Command(CMD_START);
  ASSERT_TRUE(app.state.scatterRunning);
  const std::size_t shown = platform.shown.size();
  EXPECT_FALSE(window->close());
  EXPECT_EQ(platform.shown.size(), shown);
}

TEST_F(GameWindowTest, FailedSaveBehindYesKeepsTheGameAndSaysSo) {
  SmallGame();
  app.state.gameFilePath = folder.File("no-such-folder/game.pzz");
  const std::size_t requests = platform.fileRequests.size();
  platform.answers = {MessageAnswer::Yes};
  window->Command(CMD_LOAD_IMAGE);
  ASSERT_EQ(platform.shown.size(), 2u);
  EXPECT_EQ(platform.shown[1].text, "Failed to save file.");
  EXPECT_EQ(platform.fileRequests.size(), requests);
  EXPECT_TRUE(app.state.gameRunning);
  EXPECT_TRUE(app.state.gameChanged);

  platform.answers = {MessageAnswer::Yes};
  EXPECT_FALSE(window->close());
  EXPECT_EQ(platform.shown.back().text, "Failed to save file.");
}

TEST_F(GameWindowTest, GameNamedOnTheCommandLineOpensOnTheFirstFrame) {
  SmallGame();
  const std::string gamePath = folder.File("saved.pzz");
  platform.saveResults.push_back(gamePath);
  window->Command(CMD_SAVE_AS);
  const std::vector<PiecePose> saved = app.state.pieces;
  window.reset();

  app = Application{};
  app.state.gameFilePath = gamePath;
  app.shell.commandLineGamePending = true;
  platform.shown.clear();
  Open();
  EXPECT_TRUE(platform.shown.empty());
  EXPECT_TRUE(app.state.gameRunning);
  EXPECT_EQ(app.state.pieces[5].x, saved[5].x);
  EXPECT_EQ(app.options.gameDirectory, folder.Path().string());
  EXPECT_EQ(window->windowTitle().toStdString(), "Puzzle - Загружена Игра: saved.pzz");
  window.reset();

  app = Application{};
  app.state.gameFilePath = folder.File("gone.pzz");
  app.shell.commandLineGamePending = true;
  Open();
  WaitFrames(3);
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Failed to open file.");
  EXPECT_FALSE(app.state.gameRunning);
  EXPECT_TRUE(app.state.gameFilePath.empty());
}

}  // namespace
}  // namespace puzzle::testing

namespace puzzle::testing {
namespace {

TEST_F(GameWindowTest, DigitKeysTurnAndFlipTheSelectedPieceOnRelease) {
  app.options.gameRotate = false;
  SmallGame();
  ASSERT_FALSE(app.options.game3D);
  GameState& state = app.state;
  for (std::uint32_t k = 0; k < state.pieceCount && state.selected < 0; ++k) {
    QTest::mouseMove(window->view(), PixelOf(state.pieces[k].x, state.pieces[k].y));
    WaitFrames(1);
  }
  ASSERT_GE(state.selected, 0);
  const auto piece = static_cast<std::size_t>(state.selected);
  QWidget* view = window->view();
  QTest::keyPress(view, Qt::Key_9);
  EXPECT_EQ(state.rotationLeft, 0.0f);
  QTest::keyRelease(view, Qt::Key_9);
  EXPECT_EQ(state.rotationLeft, 180.0f);
  EXPECT_TRUE(state.flipAboutVertical);
  ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
  EXPECT_EQ(state.pieces[piece].orient[0], -1.0f);
  EXPECT_EQ(state.pieces[piece].orient[8], -1.0f);
  // The keypad's 3 turns like the main block's 3.
  QTest::keyPress(view, Qt::Key_3, Qt::KeypadModifier);
  QTest::keyRelease(view, Qt::Key_3, Qt::KeypadModifier);
  EXPECT_EQ(state.rotationLeft, 90.0f);
  EXPECT_TRUE(state.turnInPlane);
  EXPECT_EQ(app.history.undoHistory.size(), 2u);
  ASSERT_TRUE(RunFramesUntil([&] { return state.rotationLeft == 0; }));
}

}  // namespace
}  // namespace puzzle::testing

namespace puzzle::testing {
namespace {

// The piece menu as text, submenus in brackets.
std::string MenuItems(QMenu* menu) {
  std::string text;
  for (QAction* action : menu->actions()) {
    if (!text.empty()) text += '|';
    if (action->isSeparator()) {
      text += '-';
    } else if (action->menu() != nullptr) {
      text += action->text().toStdString() + '[' + MenuItems(action->menu()) + ']';
    } else {
      text += action->text().toStdString();
    }
  }
  return text;
}

TEST_F(GameWindowTest, RightClickOnAPieceOpensThePieceMenuForIt) {
  app.options.game3D = true;
  SmallGame();
  GameState& state = app.state;
  const std::uint32_t k = 4;
  // Off its home by a quarter cell, so that Align has something to do.
  state.pieces[k].x = state.homeX[k] + state.halfCellW / 2;
  state.pieces[k].y = state.homeY[k];
  for (std::uint32_t other = 0; other < state.pieceCount; ++other) {
    if (other != k) state.pieces[other].x = state.homeX[k] + 5 * state.halfCellW + 0.5f * static_cast<float>(other);
  }
  WaitFrames(2);
  const QPoint at = PixelOf(state.pieces[k].x, state.pieces[k].y);
  QTest::mouseMove(window->view(), at);
  WaitFrames(1);
  QTest::mouseClick(window->view(), Qt::RightButton, {}, at);
  QMenu* menu = window->pieceMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(state.selected, static_cast<std::int32_t>(k));
  EXPECT_EQ(MenuItems(menu),
            "&Align|-|Rotate +[45°|90°|135°|180°]|Rotate —[—45°|—90°|—135°|—180°]|-|"
            "Rotate 3D[About Vertical axis|About Horizontal axis]|-|&New Image|&Save|-|&Exit");
  menu->actions().first()->trigger();
  menu->close();
  EXPECT_EQ(state.pieces[k].x, state.homeX[k]);
  EXPECT_EQ(state.pieces[k].y, state.homeY[k]);
  ASSERT_EQ(app.history.undoHistory.size(), 1u);
  EXPECT_EQ(app.history.undoHistory.back().piece, static_cast<std::int32_t>(k));
  window->Command(CMD_UNDO);
  EXPECT_EQ(state.pieces[k].x, state.homeX[k] + state.halfCellW / 2);
}

}  // namespace
}  // namespace puzzle::testing
