#include "storage/settings.h"

#include <gtest/gtest.h>

#include <limits>

namespace puzzle {
namespace {

void ExpectDefaultsExceptColumns(const GameOptions& read) {
  const GameOptions defaults;
  EXPECT_EQ(read.form, defaults.form);
  EXPECT_EQ(read.bulge, defaults.bulge);
  EXPECT_EQ(read.angleStep, defaults.angleStep);
  EXPECT_EQ(read.scatterSeconds, defaults.scatterSeconds);
  EXPECT_EQ(read.showEdges, defaults.showEdges);
  EXPECT_EQ(read.showFrame, defaults.showFrame);
  EXPECT_EQ(read.showCentres, defaults.showCentres);
  EXPECT_EQ(read.colors, defaults.colors);
  EXPECT_EQ(read.brandedBackground, defaults.brandedBackground);
  EXPECT_EQ(read.gameRotate, defaults.gameRotate);
  EXPECT_EQ(read.game3D, defaults.game3D);
  EXPECT_EQ(read.gameDirectory, defaults.gameDirectory);
  EXPECT_EQ(read.imageDirectory, defaults.imageDirectory);
  EXPECT_EQ(read.windowRect, (std::array<std::int32_t, 4>{0, 0, 770, 570}));
}

// Options that differ from the defaults in every stored value.
GameOptions Changed() {
  GameOptions options;
  options.windowRect = {-20, 35, 1024, 700};
  options.columns = 17;
  options.form = 4;
  options.bulge = 0.41f;
  options.angleStep = 0.25f;
  options.scatterSeconds = 300;
  options.showEdges = false;
  options.showFrame = false;
  options.showCentres = true;
  options.colors = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 1.0f};
  options.brandedBackground = false;
  options.gameRotate = false;
  options.game3D = true;
  options.gameDirectory = "/home/anna/games";
  options.imageDirectory = "/home/anna/Картинки";
  return options;
}

TEST(Settings, FirstRunTakesEveryDefault) {
  MemorySettingsStore store;
  GameOptions options = Changed();
  ReadSettings(store, options);
  EXPECT_TRUE(options.firstRun);
  EXPECT_EQ(options.columns, 12u);
  ExpectDefaultsExceptColumns(options);
}

TEST(Settings, OnlyAStoredNumberGivesColumnsAndDefaults) {
  MemorySettingsStore store;
  store.values["Number"] = std::int64_t{20};
  GameOptions options = Changed();
  options.pendingColumns = 9;
  ReadSettings(store, options);
  EXPECT_FALSE(options.firstRun);
  EXPECT_EQ(options.columns, 20u);
  EXPECT_EQ(options.pendingColumns, 0u);
  ExpectDefaultsExceptColumns(options);
}

TEST(Settings, AWindowOfZerosGetsTheDefaultSize) {
  MemorySettingsStore store;
  store.values["Window"] = std::vector<std::int64_t>{0, 0, 0, 0};
  GameOptions options;
  ReadSettings(store, options);
  EXPECT_EQ(options.windowRect, (std::array<std::int32_t, 4>{0, 0, 770, 570}));
  store.values["Window"] = std::vector<std::int64_t>{100, 50, 0, 400};
  ReadSettings(store, options);
  EXPECT_EQ(options.windowRect, (std::array<std::int32_t, 4>{100, 50, 770, 400}));
}

TEST(Settings, WrittenOptionsReadBackUnchanged) {
  MemorySettingsStore store;
  const GameOptions written = Changed();
  WriteSettings(store, written);
  EXPECT_EQ(store.values.size(), 15u);
  EXPECT_EQ(SettingNames().size(), 15u);
  GameOptions read;
  ReadSettings(store, read);
  EXPECT_FALSE(read.firstRun);
  EXPECT_EQ(read.windowRect, written.windowRect);
  EXPECT_EQ(read.columns, written.columns);
  EXPECT_EQ(read.form, written.form);
  EXPECT_EQ(read.bulge, written.bulge);
  EXPECT_EQ(read.angleStep, written.angleStep);
  EXPECT_EQ(read.angleStepRad, AngleStepToRadians(0.25f));
  EXPECT_EQ(read.scatterSeconds, written.scatterSeconds);
  EXPECT_EQ(read.showEdges, written.showEdges);
  EXPECT_EQ(read.showFrame, written.showFrame);
  EXPECT_EQ(read.showCentres, written.showCentres);
  EXPECT_EQ(read.colors, written.colors);
  EXPECT_EQ(read.brandedBackground, written.brandedBackground);
  EXPECT_EQ(read.gameRotate, written.gameRotate);
  EXPECT_EQ(read.game3D, written.game3D);
  EXPECT_EQ(read.gameDirectory, written.gameDirectory);
  EXPECT_EQ(read.imageDirectory, written.imageDirectory);
  // Floats are kept by their shortest decimal form.
  EXPECT_EQ(std::get<double>(store.values["Bulge"]), 0.41);
}

TEST(Settings, NumberIsThePendingChoiceWhenOneWasMade) {
  MemorySettingsStore store;
  GameOptions options;
  options.columns = 8;
  WriteSettings(store, options);
  EXPECT_EQ(std::get<std::int64_t>(store.values["Number"]), 8);
  options.pendingColumns = 20;
  WriteSettings(store, options);
  EXPECT_EQ(std::get<std::int64_t>(store.values["Number"]), 20);
  GameOptions next;
  ReadSettings(store, next);
  EXPECT_EQ(next.columns, 20u);
}

TEST(Settings, ValuesOutOfRangeOrOfTheWrongKindTakeTheirDefaultAlone) {
  MemorySettingsStore store;
  WriteSettings(store, Changed());
  store.values["PuzzleForm"] = std::int64_t{7};
  store.values["Bulge"] = 5.0;
  store.values["Angle"] = 2.0;
  store.values["TimeScatter"] = std::int64_t{0};
  store.values["Colors"] = std::vector<double>{0, 0, 0.75, 1, 0, 0, 1, 1, 1.5};
  store.values["Number"] = 12.5;
  store.values["Edge"] = std::string("maybe");
  store.values["GameDirectory"] = std::string(PATH_CAPACITY, 'd');
  store.values["Window"] = std::vector<std::int64_t>{1, 2, 3};
  GameOptions options;
  ReadSettings(store, options);
  const GameOptions defaults;
  EXPECT_EQ(options.form, defaults.form);
  EXPECT_EQ(options.bulge, defaults.bulge);
  EXPECT_EQ(options.angleStep, defaults.angleStep);
  EXPECT_EQ(options.scatterSeconds, defaults.scatterSeconds);
  EXPECT_EQ(options.colors, defaults.colors);
  EXPECT_EQ(options.columns, defaults.columns);
  EXPECT_EQ(options.showEdges, defaults.showEdges);
  EXPECT_EQ(options.gameDirectory, defaults.gameDirectory);
  EXPECT_EQ(options.windowRect, defaults.windowRect);
  // Their neighbours keep what was stored.
  EXPECT_TRUE(options.showCentres);
  EXPECT_EQ(options.imageDirectory, "/home/anna/Картинки");

  store.values["TimeScatter"] = std::int64_t{301};
  store.values["Number"] = std::int64_t{1};
  store.values["Bulge"] = std::numeric_limits<double>::quiet_NaN();
  store.values["Window"] = std::vector<std::int64_t>{0, 0, -5, 400};
  ReadSettings(store, options);
  EXPECT_EQ(options.scatterSeconds, defaults.scatterSeconds);
  EXPECT_EQ(options.columns, defaults.columns);
  EXPECT_EQ(options.bulge, defaults.bulge);
  EXPECT_EQ(options.windowRect, defaults.windowRect);

  // The ends of the ranges are kept.
  store.values["TimeScatter"] = std::int64_t{1};
  store.values["Bulge"] = 0.21;
  store.values["Angle"] = 45.0;
  store.values["Edge"] = std::int64_t{0};
  ReadSettings(store, options);
  EXPECT_EQ(options.scatterSeconds, 1);
  EXPECT_EQ(options.bulge, 0.21f);
  EXPECT_EQ(options.angleStep, 45.0f);
  EXPECT_FALSE(options.showEdges);
}

}  // namespace
}  // namespace puzzle
