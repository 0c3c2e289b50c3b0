#include "storage/game_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "game/geometry.h"
#include "support/picture_files.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

namespace puzzle {
namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

float FloatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = bits << 8 | bytes[at + static_cast<std::size_t>(i)];
  return std::bit_cast<float>(bits);
}

void PutFloatAt(std::vector<std::uint8_t>& bytes, std::size_t at, float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

class GameFile : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  testing::ScriptedPlatform platform;
  GameState state;
  GameOptions options;

  // A running game of columns x rows on a 40 x 30 picture file, pieces
  // turned and moved in ways a float must keep exactly.
  void MakeGame(std::uint32_t columns, std::uint32_t rows, const std::string& pictureName = "picture.ppm") {
    state.imagePath = folder.File(pictureName);
    const std::vector<std::uint8_t> rgb(40 * 30 * 3, 128);
    ASSERT_TRUE(testing::WriteBytes(state.imagePath, testing::EncodePnm(40, 30, 3, rgb.data())));
    options.columns = columns;
    options.form = 3;
    options.bulge = 0.27f;
    options.gameRotate = true;
    options.game3D = true;
    state.rows = rows;
    state.pieceCount = columns * rows;
    state.pieces.assign(state.pieceCount, PiecePose{});
    for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
      PiecePose& pose = state.pieces[k];
      const float angle = 0.1f * static_cast<float>(k);
      pose.orient = {
          std::cos(angle), std::sin(angle), -0.0f, -std::sin(angle), std::cos(angle), 1e-40f, 0, 0, 1};
      pose.x = 0.01f * static_cast<float>(k) - 0.3f;
      pose.y = 0.2f - 0.003f * static_cast<float>(k);
      pose.z = RestingDepth(k);
    }
  }
};

TEST_F(GameFile, LayoutOfATwelveByNineGame) {
  MakeGame(12, 9, "abcdefghij.ppm");
  state.imagePath = state.imagePath.substr(state.imagePath.size() - 20);  // exactly 20 bytes
  const auto bytes = EncodeGameFile(state, options);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), 4788u);
  EXPECT_EQ((*bytes)[20], 0);
  EXPECT_EQ((*bytes)[21], 3);
  EXPECT_EQ(FloatAt(*bytes, 22), 0.27f);
  EXPECT_EQ((*bytes)[26], 12);
  EXPECT_EQ((*bytes)[27] | (*bytes)[28] | (*bytes)[29], 0);
  EXPECT_EQ((*bytes)[30], 9);
  EXPECT_EQ((*bytes)[34], 1);
  EXPECT_EQ((*bytes)[35], 1);
  EXPECT_EQ(FloatAt(*bytes, 36), state.pieces[0].orient[0]);
  EXPECT_EQ(FloatAt(*bytes, 36 + 43 * 44 + 4), state.pieces[43].orient[1]);
}

TEST_F(GameFile, PositionsAreNormalisedByScaleAndScroll) {
  MakeGame(2, 2);
  state.pixelScale = 1.0 / 600.0;
  state.viewOffsetX = 0.1f;
  state.pieces[1].x = 0.5f;
  const std::string path = folder.File("game.pzz");
  ASSERT_TRUE(WriteGameFile(path, state, options));
  const auto bytes = ReadBytes(path);
  const std::size_t record1 = state.imagePath.size() + 16 + 44;
  EXPECT_EQ(FloatAt(bytes, record1 + 36), 360.0f);

  GameState other;
  other.pixelScale = 1.0 / 768.0;
  other.viewOffsetX = 0.25f;
  other.scrollX = 40;
  GameOptions otherOptions;
  auto loaded = ReadGameFile(platform, path, false);
  ASSERT_TRUE(loaded);
  InstallLoadedGame(std::move(*loaded), path, other, otherOptions);
  EXPECT_EQ(other.pieces[1].x, 0.46875f);
  EXPECT_EQ(other.viewOffsetX, 0.0f);
  EXPECT_EQ(other.scrollX, 0);
}

TEST_F(GameFile, RoundTripRestoresTheGame) {
  MakeGame(5, 4);
  state.pixelScale = 1.0 / 700.0;
  state.selected = 3;
  const std::string path = folder.File("round trip.pzz");
  ASSERT_TRUE(WriteGameFile(path, state, options));

  GameState loadedState;
  loadedState.pixelScale = state.pixelScale;
  loadedState.selected = 3;
  loadedState.imageFresh = true;
  loadedState.gameRunning = true;
  GameOptions loadedOptions;
  auto loaded = ReadGameFile(platform, path, false);
  ASSERT_TRUE(loaded);
  InstallLoadedGame(std::move(*loaded), path, loadedState, loadedOptions);

  EXPECT_EQ(loadedOptions.columns, 5u);
  EXPECT_EQ(loadedOptions.form, 3);
  EXPECT_EQ(loadedOptions.bulge, 0.27f);
  EXPECT_TRUE(loadedOptions.gameRotate);
  EXPECT_TRUE(loadedOptions.game3D);
  EXPECT_EQ(loadedState.rows, 4u);
  EXPECT_EQ(loadedState.pieceCount, 20u);
  EXPECT_EQ(loadedState.selected, 3);
  EXPECT_EQ(loadedState.imagePath, state.imagePath);
  EXPECT_EQ(loadedState.fileTitle, "round trip.pzz");
  EXPECT_EQ(loadedState.imageWidth, 40);
  EXPECT_EQ(loadedState.pixels.size(), 40u * 30 * 4);
  EXPECT_FALSE(loadedState.imageFresh);
  EXPECT_FALSE(loadedState.gameRunning);
  EXPECT_TRUE(platform.shown.empty());

  GameState expectedGeometry = loadedState;
  ComputePictureHalfSizes(expectedGeometry);
  ASSERT_TRUE(ComputeCellsAndHomes(expectedGeometry, loadedOptions));
  EXPECT_EQ(loadedState.homeX, expectedGeometry.homeX);
  EXPECT_EQ(loadedState.homeY, expectedGeometry.homeY);
  EXPECT_EQ(loadedState.halfCellW, expectedGeometry.halfCellW);

  for (std::uint32_t k = 0; k < 20; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(std::memcmp(loadedState.pieces[k].orient.data(), state.pieces[k].orient.data(), 36), 0);
    EXPECT_NEAR(loadedState.pieces[k].x, state.pieces[k].x, 1e-6f);
    EXPECT_NEAR(loadedState.pieces[k].y, state.pieces[k].y, 1e-6f);
    EXPECT_EQ(loadedState.pieces[k].z, RestingDepth(k));
  }

  // Saving the loaded game again gives the same bytes.
  const std::string again = folder.File("again.pzz");
  ASSERT_TRUE(WriteGameFile(again, loadedState, loadedOptions));
  EXPECT_EQ(ReadBytes(again), ReadBytes(path));
}

TEST_F(GameFile, ASelectedPieceBeyondTheLoadedGameIsDropped) {
  MakeGame(2, 3);
  const std::string path = folder.File("small.pzz");
  ASSERT_TRUE(WriteGameFile(path, state, options));
  GameState other;
  other.selected = 6;
  GameOptions otherOptions;
  auto loaded = ReadGameFile(platform, path, false);
  ASSERT_TRUE(loaded);
  InstallLoadedGame(std::move(*loaded), path, other, otherOptions);
  EXPECT_EQ(other.selected, -1);
}

TEST_F(GameFile, DamagedAndHostileFilesAreRefused) {
  MakeGame(3, 2);
  const auto good = *EncodeGameFile(state, options);
  ASSERT_TRUE(ParseGameFile(good));
  const std::size_t n = state.imagePath.size();

  std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases;
  auto with = [&](const char* name, auto change) {
    auto bytes = good;
    change(bytes);
    cases.emplace_back(name, bytes);
  };
  with("cut short", [](auto& b) { b.pop_back(); });
  with("cut in the header", [n](auto& b) { b.resize(n + 10); });
  with("one byte too many", [](auto& b) { b.push_back(0); });
  with("no terminator in 260 bytes", [](auto& b) { b.assign(300, 'a'); });
  with("form 0", [n](auto& b) { b[n + 1] = 0; });
  with("form 5", [n](auto& b) { b[n + 1] = 5; });
  with("bulge too small", [n](auto& b) { PutFloatAt(b, n + 2, 0.2f); });
  with("bulge too large", [n](auto& b) { PutFloatAt(b, n + 2, 5.0f); });
  with("bulge not a number", [n](auto& b) { PutFloatAt(b, n + 2, std::numeric_limits<float>::quiet_NaN()); });
  with("one column", [n](auto& b) { b[n + 6] = 1; });
  with("one row", [n](auto& b) { b[n + 10] = 1; });
  // 65536 x 65536 wraps a 32-bit product to 0, which matches an empty body.
  with("product wraps", [n](auto& b) {
    b.resize(n + 16);
    b[n + 6] = 0, b[n + 8] = 1, b[n + 10] = 0, b[n + 12] = 1;
  });
  with("more than 10 000 pieces", [n](auto& b) {
    b[n + 6] = 101, b[n + 10] = 100;
    b.resize(n + 16 + 44 * 10100);
  });
  with("infinite position",
       [n](auto& b) { PutFloatAt(b, n + 16 + 44 + 36, std::numeric_limits<float>::infinity()); });
  with("orientation not a number",
       [n](auto& b) { PutFloatAt(b, n + 16 + 4, std::numeric_limits<float>::quiet_NaN()); });
  cases.emplace_back("empty", std::vector<std::uint8_t>{});
  for (const auto& [name, bytes] : cases) {
    EXPECT_FALSE(ParseGameFile(bytes)) << name;
    const std::string path = folder.File("hostile.pzz");
    ASSERT_TRUE(testing::WriteBytes(path, bytes));
    EXPECT_FALSE(ReadGameFile(platform, path, false)) << name;
  }
  EXPECT_TRUE(platform.shown.empty());
  EXPECT_FALSE(ReadGameFile(platform, folder.File("missing.pzz"), false));

  // The ends of the bulge range and the largest grid are accepted.
  auto edge = good;
  PutFloatAt(edge, n + 2, 0.45f);
  EXPECT_TRUE(ParseGameFile(edge));
  edge[n + 6] = 100, edge[n + 10] = 100;
  edge.resize(n + 16 + 44 * 10000);
  EXPECT_TRUE(ParseGameFile(edge));
}

TEST_F(GameFile, MissingPictureIsReportedByName) {
  MakeGame(2, 2);
  const std::string path = folder.File("moved.pzz");
  ASSERT_TRUE(WriteGameFile(path, state, options));
  std::filesystem::remove(state.imagePath);

  EXPECT_FALSE(ReadGameFile(platform, path, true));
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Программа не смогла открыть файл " + state.imagePath);
  EXPECT_EQ(platform.shown[0].caption, "ERROR. Ошибка открытия файла изображения.");
  EXPECT_EQ(platform.shown[0].icon, MessageIcon::Stop);

  // An empty path is named as such first.
  state.imagePath.clear();
  ASSERT_TRUE(WriteGameFile(path, state, options));
  platform.shown.clear();
  EXPECT_FALSE(ReadGameFile(platform, path, false));
  ASSERT_EQ(platform.shown.size(), 2u);
  EXPECT_EQ(platform.shown[0].text, "Incorrect path or Image's name.");
  EXPECT_EQ(platform.shown[1].text, "Cannot open image file ");
  EXPECT_EQ(platform.shown[1].caption, "ERROR.");
}

TEST_F(GameFile, SavingReplacesTheOldFileOnlyWhenComplete) {
  MakeGame(2, 2);
  const std::string path = folder.File("game.pzz");
  ASSERT_TRUE(testing::WriteBytes(path, {1, 2, 3}));
  ASSERT_TRUE(WriteGameFile(path, state, options));
  EXPECT_EQ(ReadBytes(path), *EncodeGameFile(state, options));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);

  // A game that cannot be written back whole is not written at all.
  const auto before = ReadBytes(path);
  GameState unsaved = state;
  unsaved.imagePath.assign(PATH_CAPACITY, 'p');
  EXPECT_FALSE(WriteGameFile(path, unsaved, options));
  unsaved = state;
  unsaved.pieces.pop_back();
  EXPECT_FALSE(WriteGameFile(path, unsaved, options));
  EXPECT_EQ(ReadBytes(path), before);
}

// Folder permissions do not bind root, so the failures are made in ways
// that hold for every user: a write cut short by the file-size limit (as on
// a full disk), a parent "folder" that is a file, a target that is a folder.
TEST_F(GameFile, AFailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
  MakeGame(2, 2);
  const std::string path = folder.File("game.pzz");
  const std::vector<std::uint8_t> old{9, 9, 9};
  ASSERT_TRUE(testing::WriteBytes(path, old));
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64;
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteGameFile(path, state, options);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written);

  EXPECT_FALSE(WriteGameFile(path + "/inside.pzz", state, options));
  const std::string occupied = folder.File("occupied.pzz");
  std::filesystem::create_directories(occupied + "/inside");
  EXPECT_FALSE(WriteGameFile(occupied, state, options));
  EXPECT_TRUE(std::filesystem::is_directory(occupied + "/inside"));
  EXPECT_FALSE(WriteGameFile(folder.File("no such folder/game.pzz"), state, options));
  EXPECT_EQ(ReadBytes(path), old);
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) entries += entry.exists();
  EXPECT_EQ(entries, 3u);  // picture, game, occupied
}

}  // namespace
}  // namespace puzzle
