#include "game/file_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "game/new_game.h"
#include "storage/picture_writer.h"
#include "support/fake_graphics_port.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

namespace puzzle::testing {
namespace {

struct FileCommandsTest : ::testing::Test {
  FileCommandsTest() {
    table.clientWidth = 800;
    table.clientHeight = 600;
    state.maxTextureSize = 4096;
    options.columns = 4;
  }
  FileCommandRecords Records() { return {state, options, history, table, bars, shell, edges, title, 50.0f}; }

  // Loads a one-colour picture file of width x height.
  void LoadPicture(const std::string& name, int width, int height) {
    const std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 200);
    ASSERT_TRUE(WriteBytes(folder.File(name), EncodeWithStb(StbFormat::Png, width, height, 3, rgb.data())));
    platform.openResults.push_back(folder.File(name));
    auto records = Records();
    LoadNewImage(records, platform, [this](GameState& s) {
      ++textureDeletions;
      s.stillTexture = 0;
    });
  }

  // A changed game of 4 x 3 pieces, one piece moved.
  void PlayedGame() {
    LoadPicture("cat.png", 128, 96);
    ASSERT_TRUE(StartCommand(state, table, options, platform, graphics, bars, shell));
    state.scatterRunning = false;
    state.pieces[5].x += 0.25f;
    state.gameChanged = true;
    platform.shown.clear();
  }

  TempFolder folder;
  GameState state;
  TableView table;
  GameOptions options;
  History history;
  ScrollBars bars;
  ShellInput shell;
  EdgeScrollFlags edges;
  std::string title;
  ScriptedPlatform platform;
  FakeGraphicsPort graphics;
  int textureDeletions = 0;
};

TEST_F(FileCommandsTest, LoadNewImageTakesThePictureAndForgetsTheOldGame) {
  PlayedGame();
  history.undoHistory.push_back({});
  state.gameChanged = false;
  LoadPicture("dog.png", 1000, 40);
  EXPECT_EQ(title, "Puzzle - New Image: dog.png 1000 x 40");
  EXPECT_TRUE(state.imageFresh);
  EXPECT_FALSE(state.gameRunning);
  EXPECT_EQ(table.thumbW, 800 * 800 / 1000);
  EXPECT_EQ(textureDeletions, 2);
  EXPECT_TRUE(history.undoHistory.empty());
  EXPECT_FALSE(platform.menuEnabled.at(CMD_UNDO));
  EXPECT_EQ(options.imageDirectory, folder.Path().string());
  EXPECT_TRUE(platform.shown.empty());

  // A cancelled dialog keeps a held picture, or else empties the table.
  auto records = Records();
  LoadNewImage(records, platform, [](GameState&) {});
  EXPECT_EQ(title, "Puzzle - New Image: dog.png 1000 x 40");
  EXPECT_EQ(state.imageWidth, 1000);
  state = GameState{};
  state.imageWidth = 50;
  state.imageFresh = true;
  LoadNewImage(records, platform, [](GameState&) {});
  EXPECT_EQ(title, "Puzzle - QUORVANE");
  EXPECT_EQ(state.imageWidth, 0);
  EXPECT_FALSE(state.imageFresh);
}

TEST_F(FileCommandsTest, SaveQuestionAnswersAndAFailedSaveBehindYes) {
  PlayedGame();
  auto records = Records();
  // Yes, then the save dialog cancelled: Exit stays, Open goes on unsaved.
  platform.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
  EXPECT_FALSE(PromptForSave(records, platform, SaveAsker::Exit));
  EXPECT_TRUE(PromptForSave(records, platform, SaveAsker::Open));
  EXPECT_EQ(platform.shown.back().buttons, MessageButtons::YesNo);
  EXPECT_TRUE(state.gameChanged);

  state.gameFilePath = folder.File("missing-folder/game.pzz");
  for (SaveAsker asker : {SaveAsker::LoadNewImage, SaveAsker::Open, SaveAsker::Exit}) {
    platform.shown.clear();
    platform.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(PromptForSave(records, platform, asker));
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].text, "Save current Game?");
    EXPECT_EQ(platform.shown[1].text, "Failed to save file.");
    EXPECT_TRUE(state.gameChanged);
  }

  platform.answers = {MessageAnswer::No};
  EXPECT_TRUE(PromptForSave(records, platform, SaveAsker::Exit));
  EXPECT_FALSE(state.gameChanged);
  const std::size_t asked = platform.shown.size();
  EXPECT_TRUE(PromptForSave(records, platform, SaveAsker::Exit));  // nothing changed: no question
  EXPECT_EQ(platform.shown.size(), asked);
}

TEST_F(FileCommandsTest, GameOnAScreenCaptureIsNeverSaved) {
  PlayedGame();
  state.capturedImage = true;
  auto records = Records();
  const std::size_t requests = platform.fileRequests.size();
  EXPECT_TRUE(PromptForSave(records, platform, SaveAsker::Exit));
  SaveCommand(records, platform, false);
  SaveCommand(records, platform, true);
  ASSERT_EQ(platform.shown.size(), 2u);
  EXPECT_EQ(platform.shown[0].text, "Cannot save this game.\nPlease load an image and restart the game.");
  EXPECT_EQ(platform.shown[0].caption, "ERROR");
  EXPECT_EQ(platform.fileRequests.size(), requests);
}

}  // namespace
TEST_F(FileCommandsTest, AGameWhosePictureIsGoneNamesThePictureAndChangesNothing) {
  PlayedGame();
  const std::string path = folder.File("cat.pzz");
  ASSERT_TRUE(WriteGameFile(path, state, options));
  const GameState before = state;
  std::filesystem::remove(state.imagePath);
  options.russianUi = true;
  auto records = Records();
  EXPECT_FALSE(LoadGame(records, platform, graphics, path));
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Программа не смогла открыть файл " + before.imagePath);
  EXPECT_EQ(platform.shown[0].icon, MessageIcon::Stop);
  EXPECT_EQ(state.pieces[5].x, before.pieces[5].x);
}

TEST(PictureDialog, OffersTheNineFiltersFromTheImageFolder) {
  ScriptedPlatform platform;
  GameOptions options;
  options.imageDirectory = "/pictures";
  EXPECT_FALSE(ChooseAndDecodePicture(platform, options));
  EXPECT_EQ(platform.fileRequests.at(0).startDirectory, "/pictures");
  ASSERT_EQ(platform.fileRequests[0].filters.size(), 9u);
  EXPECT_EQ(platform.fileRequests[0].filters[0].patterns.size(), 10u);  // every format's patterns
}

}  // namespace puzzle::testing
