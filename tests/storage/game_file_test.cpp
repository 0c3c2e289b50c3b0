#include "storage/game_file.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <bit>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "model/geometry.h"
#include "storage/atomic_file.h"
#include "storage/paths.h"
#include "storage/picture_writer.h"
#include "support/temp_folder.h"

namespace puzzle {
namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  return ReadWholeFile(path, 1 << 20).value_or(std::vector<std::uint8_t>{});
}

float FloatAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::bit_cast<float>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24);
}

void PutFloatAt(std::vector<std::uint8_t>& bytes, std::size_t at, float value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = std::bit_cast<std::uint32_t>(value) >> (8 * i) & 0xFF;
}

class GameFile : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  GameState state;
  GameOptions options;

  // A game of columns x rows on a 40 x 30 picture file, pieces turned and
  // moved in ways a float must keep exactly (-0 and a denormal included).
  void MakeGame(std::uint32_t columns, std::uint32_t rows) {
    state.imagePath = folder.File("picture.ppm");
    const std::vector<std::uint8_t> rgb(40 * 30 * 3, 128);
    ASSERT_TRUE(WriteBytes(state.imagePath, EncodePnm(40, 30, 3, rgb.data())));
    options.columns = columns;
    options.form = 3;
    options.bulge = 0.27f;
    options.gameRotate = options.game3D = true;
    state.rows = rows;
    state.pieceCount = columns * rows;
    state.pieces.assign(state.pieceCount, PiecePose{});
    for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
      const float f = static_cast<float>(k), c = std::cos(0.1f * f), s = std::sin(0.1f * f);
      state.pieces[k] = {
          {c, s, -0.0f, -s, c, 1e-40f, 0, 0, 1}, 0.01f * f - 0.3f, 0.2f - 0.003f * f, RestingDepth(k)};
    }
  }

  void Load(const std::string& path, GameState& into, GameOptions& intoOptions) {
    auto loaded = ReadGameFile(path).game;
    ASSERT_TRUE(loaded);
    InstallLoadedGame(std::move(*loaded), path, into, intoOptions);
  }
};

TEST_F(GameFile, LayoutOfATwelveByNineGame) {
  MakeGame(12, 9);
  state.imagePath = "pictures/abcdef.jpeg";  // 20 bytes
  const auto bytes = EncodeGameFile(state, options);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), 4788u);
  // Terminator, form, bulge 0.27f, columns, rows, rotation, 3D.
  const std::vector<std::uint8_t> header{0, 3, 0x71, 0x3D, 0x8A, 0x3E, 12, 0, 0, 0, 9, 0, 0, 0, 1, 1};
  EXPECT_EQ(std::vector<std::uint8_t>(bytes->begin() + 20, bytes->begin() + 36), header);
  EXPECT_EQ(FloatAt(*bytes, 36), state.pieces[0].orient[0]);
  EXPECT_EQ(FloatAt(*bytes, 36 + 43 * 44 + 4), state.pieces[43].orient[1]);
}

TEST_F(GameFile, PositionsAreNormalisedByScaleAndScroll) {
  MakeGame(2, 2);
  state.pixelScale = 1.0 / 600.0;
  state.pieces[1].x = 0.5f;
  const std::string path = folder.File("game.pzz");
  ASSERT_TRUE(WriteGameFile(path, state, options, 0.1f, 0.0f));
  EXPECT_EQ(FloatAt(ReadBytes(path), state.imagePath.size() + 16 + 44 + 36), 360.0f);

  GameState other;
  other.pixelScale = 1.0 / 768.0;
  other.selected = 4;  // beyond the loaded game
  GameOptions otherOptions;
  Load(path, other, otherOptions);
  EXPECT_EQ(std::tuple(other.pieces[1].x, other.selected), std::tuple(0.46875f, -1));
}

TEST_F(GameFile, RoundTripRestoresTheGameBitForBit) {
  MakeGame(5, 4);
  state.pixelScale = 1.0 / 700.0;
  // Names outside ASCII open and save on every system.
  const std::string path = folder.File("партия в пазл.pzz");
  state.imagePath = folder.File("картинка.ppm");
  std::filesystem::rename(FileSystemPath(folder.File("picture.ppm")), FileSystemPath(state.imagePath));
  ASSERT_TRUE(WriteGameFile(path, state, options));
  GameState loaded;
  loaded.pixelScale = state.pixelScale;
  loaded.selected = 3;
  loaded.imageFresh = loaded.gameRunning = true;
  GameOptions loadedOptions;
  Load(path, loaded, loadedOptions);
  EXPECT_EQ(std::tuple(loaded.selected, loaded.fileTitle, loaded.pixels.size()),
            std::tuple(3, "партия в пазл.pzz", std::size_t{40 * 30 * 4}));
  EXPECT_FALSE(loaded.imageFresh || loaded.gameRunning);
  GameState expected = loaded;
  ComputePictureHalfSizes(expected);
  ASSERT_TRUE(ComputeCellsAndHomes(expected, loadedOptions));
  EXPECT_EQ(loaded.homeX, expected.homeX);
  for (std::uint32_t k = 0; k < 20; ++k) {
    EXPECT_EQ(std::memcmp(loaded.pieces[k].orient.data(), state.pieces[k].orient.data(), 36), 0) << k;
    EXPECT_EQ(loaded.pieces[k].z, RestingDepth(k)) << k;
  }
  // Saving the loaded game gives the same bytes: options, grid, path and
  // positions all came back.
  ASSERT_TRUE(WriteGameFile(folder.File("again.pzz"), loaded, loadedOptions));
  EXPECT_EQ(ReadBytes(folder.File("again.pzz")), ReadBytes(path));
}

TEST_F(GameFile, DamagedHostileOrOrphanedFilesAreRefused) {
  MakeGame(3, 2);
  const auto good = *EncodeGameFile(state, options);
  ASSERT_TRUE(ParseGameFile(good));
  const std::size_t n = state.imagePath.size();
  std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases{{"empty", {}}};
  auto with = [&](const char* name, auto change) {
    cases.emplace_back(name, good);
    change(cases.back().second);
  };
  with("cut short", [](auto& b) { b.pop_back(); });
  with("cut in the header", [n](auto& b) { b.resize(n + 10); });
  with("one byte too many", [](auto& b) { b.push_back(0); });
  with("no terminator in 260 bytes", [](auto& b) { b.assign(300, 'a'); });
  with("form 0", [n](auto& b) { b[n + 1] = 0; });
  with("form 5", [n](auto& b) { b[n + 1] = 5; });
  with("bulge too small", [n](auto& b) { PutFloatAt(b, n + 2, 0.2f); });
  with("bulge too large", [n](auto& b) { PutFloatAt(b, n + 2, 5.0f); });
  with("bulge not a number", [n](auto& b) { PutFloatAt(b, n + 2, NAN); });
  with("one column", [n](auto& b) { b[n + 6] = 1; });
  with("one row", [n](auto& b) { b[n + 10] = 1; });
  // 65536 x 65536 wraps a 32-bit product to 0, which matches an empty body.
  with("product wraps",
       [n](auto& b) { b.resize(n + 16), b[n + 6] = 0, b[n + 8] = 1, b[n + 10] = 0, b[n + 12] = 1; });
  with("more than 10 000 pieces",
       [n](auto& b) { b[n + 6] = 101, b[n + 10] = 100, b.resize(n + 16 + 44 * 10100); });
  with("infinite position", [n](auto& b) { PutFloatAt(b, n + 16 + 44 + 36, INFINITY); });
  with("orientation not a number", [n](auto& b) { PutFloatAt(b, n + 16 + 4, NAN); });
  // Orientations that would scale, skew or flatten a piece (piece 0 lies
  // unturned: the identity).
  auto orientation = [&](const char* name, std::initializer_list<std::pair<int, float>> entries) {
    with(name, [n, entries](auto& b) {
      for (const auto& [at, value] : entries) PutFloatAt(b, n + 16 + 4 * static_cast<std::size_t>(at), value);
    });
  };
  orientation("orientation scaled, one bit changed", {{0, 3.0f}});
  orientation("orientation zero", {{0, 0}, {4, 0}, {8, 0}});
  orientation("orientation skewed", {{1, 0.5f}});
  orientation("orientation flattened", {{8, 0}});
  orientation("orientation slightly long", {{0, 1.01f}});
  const std::string path = folder.File("hostile.pzz");
  for (const auto& [name, bytes] : cases) {
    EXPECT_FALSE(ParseGameFile(bytes)) << name;
    ASSERT_TRUE(WriteBytes(path, bytes));
    EXPECT_FALSE(ReadGameFile(path).game) << name;
  }
  const GameReadResult missing = ReadGameFile(folder.File("missing.pzz"));
  EXPECT_EQ(std::tuple(bool(missing.game), missing.failure), std::tuple(false, GameReadFailure::File));
  // A good file whose picture is gone is refused naming the picture.
  ASSERT_TRUE(WriteBytes(path, good));
  std::filesystem::remove(state.imagePath);
  const GameReadResult pictureGone = ReadGameFile(path);
  EXPECT_EQ(std::tuple(bool(pictureGone.game), pictureGone.failure, pictureGone.imagePath),
            std::tuple(false, GameReadFailure::Picture, state.imagePath));

  // A grid Start would not cut from the 40 x 30 picture.
  for (const auto& [columns, rows] : {std::pair(41u, 2u), std::pair(2u, 31u)}) {
    MakeGame(columns, rows);
    ASSERT_TRUE(WriteGameFile(path, state, options));
    const GameReadResult tooFine = ReadGameFile(path);
    EXPECT_EQ(std::tuple(bool(tooFine.game), tooFine.failure), std::tuple(false, GameReadFailure::File))
        << columns << " x " << rows;
  }

  // The ends of the bulge range, the largest grid and a mirrored piece
  // are accepted.
  auto edge = good;
  PutFloatAt(edge, n + 2, 0.45f);
  edge[n + 6] = 100, edge[n + 10] = 100;
  edge.resize(n + 16 + 44 * 10000);
  for (std::size_t k = 0; k < 10000; ++k) {
    for (std::size_t e = 0; e < 9; ++e) PutFloatAt(edge, n + 16 + 44 * k + 4 * e, e % 4 == 0 ? 1.0f : 0.0f);
  }
  PutFloatAt(edge, n + 16, -1.0f);
  EXPECT_TRUE(ParseGameFile(edge));
}

// Folder permissions do not bind root, so saves are made to fail in ways
// that hold for every user: a write cut short by the file-size limit (as on
// a full disk) or a target held open, a parent "folder" that is a file, a
// target that is a folder.
TEST_F(GameFile, SavingReplacesTheOldFileOnlyWhenComplete) {
  MakeGame(2, 2);
  const std::string path = folder.File("game.pzz");
  ASSERT_TRUE(WriteBytes(path, {1, 2, 3}));
  ASSERT_TRUE(WriteGameFile(path, state, options));
  const auto saved = ReadBytes(path);
  EXPECT_EQ(saved, *EncodeGameFile(state, options));
#ifdef _WIN32
  // A process has no file-size limit there; a replace fails instead while
  // another program holds the file open without letting it be replaced.
  const HANDLE held = CreateFileW(std::filesystem::path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const bool written = WriteGameFile(path, state, options);
  CloseHandle(held);
#else
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);

  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit before = limit;
  limit.rlim_cur = 64;
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const bool written = WriteGameFile(path, state, options);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, handler);
#endif
  EXPECT_FALSE(written);
  const std::string occupied = folder.File("occupied.pzz");
  std::filesystem::create_directories(occupied + "/inside");
  EXPECT_FALSE(WriteGameFile(occupied, state, options));
  EXPECT_TRUE(std::filesystem::is_directory(occupied + "/inside"));
  EXPECT_FALSE(WriteGameFile(path + "/inside.pzz", state, options));
  // A game that cannot be written back whole is not written at all.
  GameState unsaved = state;
  unsaved.imagePath.assign(PATH_CAPACITY, 'p');
  EXPECT_FALSE(WriteGameFile(path, unsaved, options));
  unsaved.imagePath = state.imagePath;
  unsaved.pieces.pop_back();
  EXPECT_FALSE(WriteGameFile(path, unsaved, options));

  EXPECT_EQ(ReadBytes(path), saved);
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) entries += entry.exists();
  EXPECT_EQ(entries, 3u);  // picture, game, occupied: no temporary file is left
}

}  // namespace
}  // namespace puzzle
