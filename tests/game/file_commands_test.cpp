#include "game/file_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "game/file_command_fixture.h"
#include "game/new_game.h"
#include "storage/picture_writer.h"

namespace puzzle::testing {
namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct FileCommandsTest : FileCommandFixture {
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
    ASSERT_TRUE(StartCommand(state, table, options, platform, graphics, bars, shell, history));
    state.scatterRunning = false;
    state.pieces[5].x += 0.25f;
    state.gameChanged = true;
    platform.shown.clear();
  }

  int textureDeletions = 0;
};

TEST_F(FileCommandsTest, LoadNewImageTakesThePictureAndForgetsTheOldGame) {
  PlayedGame();
  history.undoHistory.push_back({});
  state.gameChanged = false;
  LoadPicture("dog.png", 1000, 40);
  EXPECT_EQ(title, "Puzzle - New Image: dog.png 1000 x 40");
  EXPECT_EQ(std::tuple(state.imageFresh, state.gameRunning, table.thumbW, textureDeletions),
            std::tuple(true, false, 800 * 800 / 1000, 2));
  EXPECT_TRUE(history.undoHistory.empty());
  EXPECT_FALSE(platform.menuEnabled.at(CMD_UNDO));
  EXPECT_EQ(options.imageDirectory, folder.Path().string());
  EXPECT_TRUE(platform.shown.empty());

  // A cancelled dialog keeps a held picture, or else empties the table.
  auto records = Records();
  LoadNewImage(records, platform, [](GameState&) {});
  EXPECT_EQ(std::tie(title, state.imageWidth), std::tuple("Puzzle - New Image: dog.png 1000 x 40", 1000));
  state = GameState{};
  state.imageWidth = 50;
  state.imageFresh = true;
  LoadNewImage(records, platform, [](GameState&) {});
  EXPECT_EQ(std::tie(title, state.imageWidth, state.imageFresh), std::tuple("Puzzle - QUORVANE", 0, false));
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
    EXPECT_EQ(std::tie(platform.shown[0].text, platform.shown[1].text, state.gameChanged),
              std::tuple("Save current Game?", "Failed to save file.", true));
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
  EXPECT_EQ(std::tuple(platform.shown[0].caption, platform.fileRequests.size()),
            std::tuple("ERROR", requests));
}

}  // namespace
// A picture gone from its stored path: found beside the game file, located
// by the player, or the game is left alone. What the file stores about the
// pieces is the same whichever picture path it carries.
TEST_F(FileCommandsTest, AGameWhosePictureMovedFindsItBesideTheGameOrWhereThePlayerSays) {
  enum class Where { Beside, Located, LocatedButUnreadable, Declined, DialogCancelled, StillThereButBroken };
  struct Case {
    const char* name;
    Where where;
    LoadResult result;
    std::vector<std::string> texts;  // the messages shown, in order
  };
  const std::string missing = "Изображение этой игры не найдено:\n";
  const Case cases[] = {
      {"beside the game", Where::Beside, LoadResult::Loaded, {}},
      {"located", Where::Located, LoadResult::Loaded, {"missing"}},
      {"located but unreadable",
       Where::LocatedButUnreadable,
       LoadResult::Failed,
       {"missing", "cannot open located"}},
      {"declined", Where::Declined, LoadResult::Declined, {"missing"}},
      {"dialog cancelled", Where::DialogCancelled, LoadResult::Declined, {"missing"}},
      {"still there but broken", Where::StillThereButBroken, LoadResult::Failed, {"cannot open stored"}},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state = GameState{};
    state.maxTextureSize = 4096;
    options = GameOptions{};
    options.columns = 4;
    history = History{};
    platform = ScriptedPlatform{};
    PlayedGame();
    // A folder of its own: a picture moved beside one game is not beside the next.
    const std::string gameFolder = folder.File("games" + std::to_string(++round));
    std::filesystem::create_directory(gameFolder);
    const std::string path = gameFolder + "/cat.pzz";
    ASSERT_TRUE(WriteGameFile(path, state, options));
    const std::string stored = state.imagePath;
    const std::string beside = gameFolder + "/cat.png";
    const std::string located = folder.File("elsewhere.png");
    const std::string broken = folder.File("broken.png");
    ASSERT_TRUE(WriteBytes(broken, std::vector<std::uint8_t>(64, 0xAB)));
    switch (c.where) {
      case Where::Beside: std::filesystem::rename(stored, beside); break;
      case Where::Located:
        std::filesystem::rename(stored, located);
        platform.openResults.push_back(located);
        break;
      case Where::LocatedButUnreadable:
        std::filesystem::remove(stored);
        platform.openResults.push_back(broken);
        break;
      case Where::Declined:
        std::filesystem::remove(stored);
        platform.answers.push_back(MessageAnswer::No);
        break;
      case Where::DialogCancelled: std::filesystem::remove(stored); break;
      case Where::StillThereButBroken:
        // Removed first: mingw's library refuses to copy over a file.
        std::filesystem::remove(stored);
        std::filesystem::copy_file(broken, stored);
        break;
    }
    const GameState before = state;
    options.russianUi = true;
    state.pieces[5].x += 1;  // the running game, to be kept on failure
    const float running = state.pieces[5].x;
    auto records = Records();
    EXPECT_EQ(LoadGame(records, platform, graphics, path), c.result);

    std::vector<std::string> texts;
    for (const Message& message : platform.shown) {
      if (message.text == missing + stored + "\n\nУказать, где оно?") {
        texts.push_back("missing");
        EXPECT_EQ(message.buttons, MessageButtons::YesNo);
      } else if (message.text == "Программа не смогла открыть файл " + broken) {
        texts.push_back("cannot open located");
      } else if (message.text == "Программа не смогла открыть файл " + stored) {
        texts.push_back("cannot open stored");
      } else {
        texts.push_back(message.text);
      }
    }
    EXPECT_EQ(texts, c.texts);
    if (c.where == Where::Located || c.where == Where::LocatedButUnreadable) {
      ASSERT_EQ(platform.fileRequests.size(), 2u);  // the picture dialog, after Load New Image's
      EXPECT_EQ(platform.fileRequests[1].filters.size(), 9u);
    }
    if (c.result != LoadResult::Loaded) {
      EXPECT_EQ(std::tie(state.pieces[5].x, state.imagePath), std::tie(running, stored));
      continue;
    }
    EXPECT_EQ(state.imagePath, c.where == Where::Beside ? beside : located);
    EXPECT_NEAR(state.pieces[5].x, before.pieces[5].x, 1e-6);
    // Saved again, the file differs only in the path it names.
    const auto first = ReadGameFile(path, state.imagePath);
    ASSERT_TRUE(first.game);
    const std::string again = gameFolder + "/again.pzz";
    ASSERT_TRUE(WriteGameFile(again, state, options));
    const auto reread = ReadGameFile(again);
    ASSERT_TRUE(reread.game);
    EXPECT_EQ(std::tie(reread.game->contents.imagePath, reread.game->contents.records),
              std::tie(state.imagePath, first.game->contents.records));
  }
}

TEST_F(FileCommandsTest, OnlyAnOpenedGameEmptiesBothHistories) {
  PlayedGame();
  const std::string path = folder.File("cat.pzz");
  ASSERT_TRUE(WriteGameFile(path, state, options));
  state.gameChanged = false;
  PushUndo(history, platform, HistoryEntry{5, KIND_MOVE, 0, 0});
  history.redoHistory.push_back(HistoryEntry{2, KIND_MOVE, 0, 0});
  platform.menuEnabled[CMD_REDO] = true;
  auto records = Records();

  platform.openResults = {folder.File("no-such-game.pzz")};
  OpenCommand(records, platform, graphics);
  EXPECT_EQ(history.undoHistory.size(), 1u);
  EXPECT_TRUE(platform.menuEnabled.at(CMD_UNDO));

  platform.openResults = {path};
  OpenCommand(records, platform, graphics);
  EXPECT_TRUE(history.undoHistory.empty() && history.redoHistory.empty());
  EXPECT_FALSE(platform.menuEnabled.at(CMD_UNDO) || platform.menuEnabled.at(CMD_REDO));
}

TEST_F(FileCommandsTest, SaveAsNeverWritesAGameOverAPicture) {
  PlayedGame();
  const std::vector<std::uint8_t> photo{'p', 'h', 'o', 't', 'o'};
  ASSERT_TRUE(WriteBytes(folder.File("big.png"), photo));
  ASSERT_TRUE(WriteGameFile(folder.File("old.pzz"), state, options));
  const auto oldGame = ReadBytes(folder.File("old.pzz"));
  const struct {
    const char* typed;
    std::vector<MessageAnswer> answers;  // to the replace questions
    std::vector<const char*> retyped;    // in the dialog after No
    const char* written;                 // nothing when the save gives up
  } cases[] = {
      {"big.png", {}, {}, "big.png.pzz"},
      {"game", {}, {}, "game.pzz"},
      {"Kept.PZZ", {}, {}, "Kept.PZZ"},
      {"old.pzz", {MessageAnswer::Yes}, {}, "old.pzz"},
      {"old", {MessageAnswer::No}, {"other.pzz"}, "other.pzz"},
      {"old.pzz", {MessageAnswer::No}, {}, nullptr},  // then the dialog cancelled
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    ASSERT_TRUE(WriteGameFile(folder.File("old.pzz"), state, options));
    state.gameFilePath.clear();
    platform.shown.clear();
    platform.fileRequests.clear();
    platform.answers.assign(c.answers.begin(), c.answers.end());
    platform.saveResults = {folder.File(c.typed)};
    for (const char* name : c.retyped) platform.saveResults.push_back(folder.File(name));
    auto records = Records();
    SaveCommand(records, platform, true);

    EXPECT_EQ(ReadBytes(folder.File("big.png")), photo);
    ASSERT_EQ(platform.shown.size(), c.answers.size());
    if (!c.answers.empty()) {
      EXPECT_EQ(platform.shown[0].text,
                folder.File("old.pzz") + " already exists.\nDo you want to replace it?");
      EXPECT_EQ(platform.shown[0].buttons, MessageButtons::YesNo);
    }
    // After No the dialog comes back on the name that was refused.
    const auto refusals = std::count(c.answers.begin(), c.answers.end(), MessageAnswer::No);
    ASSERT_EQ(platform.fileRequests.size(), static_cast<std::size_t>(refusals) + 1);
    if (refusals > 0) {
      EXPECT_EQ(platform.fileRequests[1].initialPath, folder.File("old.pzz"));
    }
    if (c.written == nullptr) {
      EXPECT_TRUE(state.gameFilePath.empty());
      EXPECT_EQ(ReadBytes(folder.File("old.pzz")), oldGame);
      continue;
    }
    EXPECT_EQ(state.gameFilePath, folder.File(c.written));
    EXPECT_TRUE(std::filesystem::exists(folder.File(c.written)));
  }
}

TEST_F(FileCommandsTest, AChosenPictureThatDoesNotDecodeIsNamedAndChangesNothing) {
  const std::vector<std::uint8_t> text{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'};
  ASSERT_TRUE(WriteBytes(folder.File("notes.png"), text));
  platform.openResults = {folder.File("notes.png")};
  auto records = Records();
  LoadNewImage(records, platform, [](GameState&) {});
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Cannot open image file " + folder.File("notes.png"));
  EXPECT_EQ(platform.shown[0].icon, MessageIcon::Stop);
  EXPECT_EQ(std::tie(title, state.imageWidth), std::tuple("Puzzle - QUORVANE", 0));
}

// Start's picture checks hold for a game file too, and a refusal leaves the
// running game in place.
TEST_F(FileCommandsTest, AGameWhosePictureStartWouldRefuseChangesNothing) {
  PlayedGame();
  const std::string path = folder.File("cat.pzz");
  ASSERT_TRUE(WriteGameFile(path, state, options));
  const GameState before = state;
  struct Case {
    int width, height;
    const char* message;
  };
  const Case cases[] = {
      {31, 200, "The width and the height of the image must be at least 32 pixels."},
      {4097, 40,
       "Too large picture.\nThe maximal length or width of a picture for this game on your computer should "
       "not exceed 4096 px."},
  };
  for (const auto& [width, height, message] : cases) {
    SCOPED_TRACE(width);
    const std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 9);
    ASSERT_TRUE(WriteBytes(before.imagePath, EncodePnm(width, height, 3, rgb.data())));
    platform.shown.clear();
    auto records = Records();
    EXPECT_EQ(LoadGame(records, platform, graphics, path), LoadResult::Failed);
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text, message);
    EXPECT_EQ(std::tie(state.imageWidth, state.pieces[5].x, state.gameRunning),
              std::tuple(before.imageWidth, before.pieces[5].x, true));
  }
}

// The new game's texture and meshes are made before it replaces anything:
// when either fails the running game keeps its pieces, options and texture,
// and its meshes are made again.
TEST_F(FileCommandsTest, AGameWhoseTextureOrMeshesCannotBeMadeLeavesTheRunningGame) {
  PlayedGame();
  const std::string path = folder.File("cat.pzz");
  options.form = 2;
  ASSERT_TRUE(WriteGameFile(path, state, options));
  options.form = 3;
  const GameState before = state;
  auto records = Records();
  graphics.uploadSucceeds = false;
  const auto kept = [&] { return std::tie(state.stillTexture, state.pieces[5].x, options.form); };
  EXPECT_EQ(LoadGame(records, platform, graphics, path), LoadResult::Failed);
  EXPECT_EQ(kept(), std::tuple(before.stillTexture, before.pieces[5].x, 3));
  EXPECT_TRUE(graphics.releasedTextures.empty());
  graphics.uploadSucceeds = true;
  graphics.buildSucceeds = false;
  EXPECT_EQ(LoadGame(records, platform, graphics, path), LoadResult::Failed);
  EXPECT_EQ(kept(), std::tuple(before.stillTexture, before.pieces[5].x, 3));
  EXPECT_EQ(graphics.builtForm, 3);
  EXPECT_TRUE(state.gameRunning);
  // What the failed open made is released, and only that.
  EXPECT_EQ(graphics.releasedTextures, (std::vector<std::uint32_t>{std::uint32_t(graphics.uploads)}));

  graphics.buildSucceeds = true;
  EXPECT_EQ(LoadGame(records, platform, graphics, path), LoadResult::Loaded);
  EXPECT_EQ(std::tuple(state.stillTexture, options.form), std::tuple(std::uint32_t(graphics.uploads), 2));
  EXPECT_EQ(graphics.releasedTextures.back(), before.stillTexture);
}

}  // namespace puzzle::testing
