#include "storage/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <tuple>

#include "storage/picture_writer.h"
#include "support/settings_samples.h"
#include "support/temp_folder.h"

namespace puzzle {
namespace {

// The 16 stored options, to be compared as a whole.
auto Fields(const GameOptions& o) {
  return std::tie(o.windowRect, o.columns, o.form, o.bulge, o.angleStep, o.scatterSeconds, o.showEdges,
                  o.showFrame, o.showCentres, o.colors, o.brandedBackground, o.gameRotate, o.game3D,
                  o.gameDirectory, o.imageDirectory, o.recentGames);
}

using testing::Changed;
using testing::Stored;

TEST(Settings, AnEmptyStoreOrOneWithOnlyANumberGivesTheDefaults) {
  MemorySettingsStore store;
  GameOptions options = Changed();
  ReadSettings(store, options);
  EXPECT_TRUE(options.firstRun);
  EXPECT_EQ(Fields(options), Fields(GameOptions{}));

  store.values["Number"] = std::int64_t{20};
  options = Changed();
  options.pendingColumns = 9;
  ReadSettings(store, options);
  EXPECT_FALSE(options.firstRun);
  EXPECT_EQ(options.pendingColumns, 0u);
  GameOptions expected;
  expected.columns = 20;
  EXPECT_EQ(Fields(options), Fields(expected));
}

TEST(Settings, WrittenOptionsReadBackWithThePendingNumber) {
  GameOptions written = Changed();
  EXPECT_EQ(std::get<std::int64_t>(Stored(written)["Number"]), 17);  // no pending choice: columns
  written.pendingColumns = 20;
  MemorySettingsStore store;
  WriteSettings(store, written);
  EXPECT_EQ(store.values.size(), SettingNames().size());
  GameOptions read;
  ReadSettings(store, read);
  EXPECT_FALSE(read.firstRun);
  written.columns = 20;
  EXPECT_EQ(Fields(read), Fields(written));
  EXPECT_EQ(read.angleStepRad, AngleStepToRadians(0.25f));
  EXPECT_EQ(std::get<double>(store.values["Bulge"]), 0.41);  // the shortest decimal form
}

TEST(Settings, ValuesOutOfRangeOrOfTheWrongKindTakeTheirDefaultAlone) {
  const std::pair<const char*, SettingValue> bad[] = {
      {"PuzzleForm", std::int64_t{7}},
      {"Bulge", 5.0},
      {"Bulge", std::numeric_limits<double>::quiet_NaN()},
      {"Angle", 2.0},
      {"TimeScatter", std::int64_t{0}},
      {"TimeScatter", std::int64_t{301}},
      {"Colors", std::vector<double>{0, 0, 0.75, 1, 0, 0, 1, 1, 1.5}},
      {"Number", 12.5},
      {"Number", std::int64_t{1}},
      {"Edge", std::string("maybe")},
      {"GameDirectory", std::string(PATH_CAPACITY, 'd')},
      {"Window", std::vector<std::int64_t>{1, 2, 3}},
      {"Window", std::vector<std::int64_t>{0, 0, -5, 400}},
      {"RecentGames", std::string("/home/anna/games/a.pzz")},
      {"Window", std::vector<std::int64_t>{0, 0, 0, 0}}};  // zeros: the default window
  for (const auto& [name, value] : bad) {
    SCOPED_TRACE(name);
    MemorySettingsStore store;
    WriteSettings(store, Changed());
    store.values[name] = value;
    GameOptions read;
    ReadSettings(store, read);
    auto expected = Stored(Changed());
    expected[name] = Stored(GameOptions{})[name];
    EXPECT_EQ(Stored(read), expected);
  }

  // The ends of the ranges are kept, a flag may be stored as a number, and
  // only a zero side of a window takes the default size.
  MemorySettingsStore store;
  store.values = {
      {"TimeScatter", std::int64_t{1}}, {"Bulge", 0.21}, {"Angle", 45.0}, {"Edge", std::int64_t{0}}};
  store.values["Window"] = std::vector<std::int64_t>{100, 50, 0, 400};
  GameOptions options;
  ReadSettings(store, options);
  EXPECT_EQ(std::tuple(options.scatterSeconds, options.bulge, options.angleStep, options.showEdges),
            std::tuple(1, 0.21f, 45.0f, false));
  EXPECT_EQ(options.windowRect, (std::array<std::int32_t, 4>{100, 50, 770, 400}));
}

TEST(Settings, RecentGamesKeepTheLatestEightOnceEachAndReadBackWithoutUnusableEntries) {
  testing::TempFolder folder;
  std::vector<std::string> recent;
  for (int i = 0; i < 10; ++i) RememberRecentGame(recent, folder.File("g" + std::to_string(i) + ".pzz"));
  RememberRecentGame(recent, folder.File("g5.pzz"));
  ASSERT_EQ(recent.size(), RECENT_GAMES_KEPT);
  // g0 and g1 fell off the end, g5 moved up.
  EXPECT_EQ(std::tie(recent[0], recent[1], recent[7]),
            std::tuple(folder.File("g5.pzz"), folder.File("g9.pzz"), folder.File("g2.pzz")));
  EXPECT_EQ(std::count(recent.begin(), recent.end(), folder.File("g5.pzz")), 1);

  // A relative path is remembered where it is now, not where the game may
  // later be started.
  std::vector<std::string> relative;
  RememberRecentGame(relative, "sub/../x.pzz");
  ASSERT_EQ(relative.size(), 1u);
  EXPECT_EQ(relative[0], (std::filesystem::current_path() / "x.pzz").string());

  // Only the files that exist stay in the menu.
  ASSERT_TRUE(WriteBytes(folder.File("g5.pzz"), {1}));
  ASSERT_TRUE(WriteBytes(folder.File("g4.pzz"), {1}));
  std::filesystem::create_directory(folder.File("g9.pzz"));  // a folder is no game
  DropMissingRecentGames(recent);
  EXPECT_EQ(recent, (std::vector<std::string>{folder.File("g5.pzz"), folder.File("g4.pzz")}));

  // Stored entries that are empty, too long or hold a zero are left out
  // alone, and no more than eight are read.
  MemorySettingsStore store;
  std::vector<std::string> stored{"", std::string(PATH_CAPACITY, 'p'), std::string("a\0b", 3)};
  for (int i = 0; i < 10; ++i) stored.push_back("/g" + std::to_string(i) + ".pzz");
  store.values["RecentGames"] = stored;
  GameOptions options;
  ReadSettings(store, options);
  ASSERT_EQ(options.recentGames.size(), RECENT_GAMES_KEPT);
  EXPECT_EQ(std::tie(options.recentGames.front(), options.recentGames.back()),
            std::tuple("/g0.pzz", "/g7.pzz"));

  // Written by a second window: its own games first, then those the store
  // holds now, once each, eight in all.
  GameOptions second;
  second.recentGames = {"/mine.pzz", "/g3.pzz"};
  WriteSettings(store, second);
  ReadSettings(store, options);
  EXPECT_EQ(options.recentGames, (std::vector<std::string>{"/mine.pzz", "/g3.pzz", "/g0.pzz", "/g1.pzz",
                                                           "/g2.pzz", "/g4.pzz", "/g5.pzz", "/g6.pzz"}));
}

// Two screens side by side; a stored window that does not fit one of them,
// or shows on none, opens at the default place and size.
TEST(Settings, AStoredWindowTooLargeOrOffEveryScreenOpensAtTheDefault) {
  const ScreenRect screens[] = {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
  const auto fallback = GameOptions{}.windowRect;
  using Rect = std::array<std::int32_t, 4>;
  constexpr std::int32_t MAX = std::numeric_limits<std::int32_t>::max();
  struct Case {
    Rect stored;
    bool kept;
  };
  const Case cases[] = {
      {{100, 50, 900, 640}, true},    {{-8, -20, 1280, 1024}, true},  // a little off the edge
      {{2000, 100, 1900, 900}, true},                                 // on the second screen only
      {{0, 0, MAX, MAX}, false},      {{0, 0, 1921, 600}, false},     // wider than either
      {{MAX, MAX, 800, 600}, false},  {{-5000, 0, 800, 600}, false},
      {{3200, 0, 800, 600}, false},  // just past the right edge
  };
  for (const auto& [stored, kept] : cases) {
    SCOPED_TRACE(stored[0]);
    EXPECT_EQ(PlaceStoredWindow(stored, screens), kept ? stored : fallback);
  }
  EXPECT_EQ(PlaceStoredWindow({100, 50, 900, 640}, {}), fallback);
}

}  // namespace
}  // namespace puzzle
