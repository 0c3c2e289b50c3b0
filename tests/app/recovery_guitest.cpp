#include <filesystem>
#include <tuple>

#include "game/commands.h"
#include "support/window_fixture.h"

namespace puzzle::testing {
namespace {

class RecoveryWindowTest : public WindowTest {
 protected:
  std::string StateFolder() const { return folder.File("state") + "/quorvane-puzzle"; }
  std::size_t Copies() const { return ListRecoveryCopies(StateFolder()).size(); }

  // The process ends as a crash would end it: no close, no save question.
  void Crash() {
    window.reset();
    app = Application{};
    platform.shown.clear();
  }

  // A game of 5 x 4 pieces with options of its own, moved and turned, until
  // its recovery copy is written.
  void PlayUntilCopied() {
    LoadPicture(WritePicture("cat.png", 200, 160));
    app.options.columns = 5;
    app.options.form = 3;
    app.options.gameRotate = true;
    app.options.bulge = 0.4f;
    StartAndSettle();
    app.state.pieces[3].x += 0.125f;
    app.state.pieces[7].y -= 0.25f;
    app.state.selected = 7;
    QTest::keyRelease(window->view(), Qt::Key_3);
    ASSERT_TRUE(RunFramesUntil([this] { return app.state.rotationLeft == 0; }));
    ASSERT_TRUE(RunFramesUntil([this] { return Copies() == 1; }, 100, 100));
  }
};

TEST_F(RecoveryWindowTest, AGameLostWithoutTheSaveQuestionComesBackOnceWithEveryPose) {
  Open();
  PlayUntilCopied();
  const auto playedFile =
      EncodeGameFile(app.state, app.options, app.table.viewOffsetX, app.table.viewOffsetY);
  Crash();

  platform.answers = {MessageAnswer::Yes};
  Open();
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].caption, "Unfinished game");
  EXPECT_NE(platform.shown[0].text.find("picture cat.png was not finished"), std::string::npos);
  ASSERT_TRUE(app.state.gameRunning);
  // The game file holds the grid, the form, the bulge, the modes and every
  // pose (turns bit for bit, positions as the file keeps them): saving the
  // restored game writes the very file the lost one would have.
  EXPECT_EQ(EncodeGameFile(app.state, app.options, app.table.viewOffsetX, app.table.viewOffsetY), playedFile);
  EXPECT_EQ(std::tuple(app.state.gameFilePath, window->windowTitle().toStdString(), Copies()),
            std::tuple("", "Puzzle - Загружена Игра: cat.png", 1u));

  // Exit asks the save question; No leaves nothing to recover.
  platform.shown.clear();
  platform.answers = {MessageAnswer::No};
  EXPECT_TRUE(window->close());
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(std::tuple(platform.shown[0].text, Copies()), std::tuple("Save current Game?", 0u));
  Crash();
  Open();
  EXPECT_EQ(std::tuple(platform.shown.size(), app.state.gameRunning), std::tuple(0u, false));
}

TEST_F(RecoveryWindowTest, SaveDropsTheCopyAndACommandLineGameLeavesIt) {
  Open();
  PlayUntilCopied();
  const std::string game = folder.File("game.pzz");
  platform.saveResults.push_back(game);
  window->Command(CMD_SAVE);
  EXPECT_EQ(Copies(), 0u) << "Save drops the copy";

  const auto moveUntilCopied = [this] {
    app.state.pieces[2].x += 0.5f;
    app.state.gameChanged = true;  // as the drag that moved it
    ASSERT_TRUE(RunFramesUntil([this] { return Copies() == 1; }, 100, 100));
  };
  moveUntilCopied();
  // Load New Image, the save question answered, the picture dialog
  // cancelled: the game given up has no copy until it changes again.
  platform.answers = {MessageAnswer::No};
  window->Command(CMD_LOAD_IMAGE);
  EXPECT_EQ(Copies(), 0u);
  moveUntilCopied();
  Crash();

  // A game on the command line wins and keeps the copy for later.
  app.state.gameFilePath = game;
  app.shell.commandLineGamePending = true;
  Open();
  EXPECT_EQ(std::tuple(platform.shown.size(), app.state.gameFilePath, Copies()), std::tuple(0u, game, 1u));
}

}  // namespace
}  // namespace puzzle::testing
