#include "storage/qt_settings_store.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_folder.h"

namespace puzzle {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(QtSettingsStore, OptionsSurviveTheFileAsTypedValues) {
  testing::TempFolder folder;
  const std::string path = folder.File("Puzzle.conf");
  GameOptions written;
  written.windowRect = {-8, 20, 900, 640};
  written.pendingColumns = 20;
  written.bulge = 0.38f;
  written.angleStep = 1.5f;
  written.showCentres = true;
  written.colors[8] = 0.5f;
  written.imageDirectory = "/home/anna/My Pictures";
  {
    QtSettingsStore store(path);
    EXPECT_FALSE(store.Exists());
    WriteSettings(store, written);
  }
  const std::string text = ReadText(path);
  EXPECT_NE(text.find("Number=20\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Bulge=0.38\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Centres=true\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Window=-8, 20, 900, 640\n"), std::string::npos) << text;

  QtSettingsStore store(path);
  GameOptions read;
  ReadSettings(store, read);
  EXPECT_FALSE(read.firstRun);
  EXPECT_EQ(read.columns, 20u);
  EXPECT_EQ(read.windowRect, written.windowRect);
  EXPECT_EQ(read.bulge, 0.38f);
  EXPECT_EQ(read.angleStep, 1.5f);
  EXPECT_TRUE(read.showCentres);
  EXPECT_EQ(read.colors, written.colors);
  EXPECT_EQ(read.imageDirectory, written.imageDirectory);
}

TEST(QtSettingsStore, HandEditedValuesThatDoNotParseTakeTheirDefaults) {
  testing::TempFolder folder;
  const std::string path = folder.File("Puzzle.conf");
  std::ofstream(path) << "[General]\nNumber=twenty\nBulge=5.0\nEdge=maybe\nFrame=false\n"
                         "Colors=0, 0, 0.75\nWindow=12\nTimeScatter=30\nGameDirectory=/games\n";
  QtSettingsStore store(path);
  GameOptions read;
  ReadSettings(store, read);
  const GameOptions defaults;
  EXPECT_FALSE(read.firstRun);
  EXPECT_EQ(read.columns, defaults.columns);
  EXPECT_EQ(read.bulge, defaults.bulge);
  EXPECT_EQ(read.showEdges, defaults.showEdges);
  EXPECT_FALSE(read.showFrame);
  EXPECT_EQ(read.colors, defaults.colors);
  EXPECT_EQ(read.windowRect, defaults.windowRect);
  EXPECT_EQ(read.scatterSeconds, 30);
  EXPECT_EQ(read.gameDirectory, "/games");
}

}  // namespace
}  // namespace puzzle
