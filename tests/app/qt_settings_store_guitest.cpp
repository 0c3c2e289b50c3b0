#include "app/qt_settings_store.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_folder.h"

namespace puzzle {
namespace {

TEST(QtSettingsStore, OptionsSurviveTheFileAsTypedValuesAndHandEditsFallBackAlone) {
  testing::TempFolder folder;
  const std::string path = folder.File("Puzzle.conf");
  GameOptions written;
  written.windowRect = {-8, 20, 900, 640};
  written.pendingColumns = 20;
  written.bulge = 0.38f;
  written.showCentres = true;
  written.colors[8] = 0.5f;
  written.imageDirectory = "/home/anna/My Pictures";
  {
    QtSettingsStore store(path);
    EXPECT_FALSE(store.Exists());
    WriteSettings(store, written);
  }
  std::ifstream file(path);
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  for (const char* line : {"Number=20\n", "Bulge=0.38\n", "Centres=true\n", "Window=-8, 20, 900, 640\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  GameOptions read;
  ReadSettings(QtSettingsStore(path), read);
  EXPECT_FALSE(read.firstRun);
  MemorySettingsStore expected, got;  // all 15 values compared as stored
  WriteSettings(expected, written);
  WriteSettings(got, read);
  EXPECT_EQ(got.values, expected.values);

  // Text that does not convert takes the default; its neighbours are read.
  const std::string edited = folder.File("Edited.conf");
  std::ofstream(edited) << "[General]\nNumber=twenty\nCentres=maybe\nTimeScatter=30\n";
  ReadSettings(QtSettingsStore(edited), read);
  EXPECT_EQ(read.columns, GameOptions{}.columns);
  EXPECT_FALSE(read.showCentres);
  EXPECT_EQ(read.scatterSeconds, 30);
}

}  // namespace
}  // namespace puzzle
