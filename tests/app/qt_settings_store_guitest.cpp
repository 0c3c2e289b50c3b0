#include "app/qt_settings_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <tuple>

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
  EXPECT_EQ(std::tuple(read.columns, read.showCentres, read.scatterSeconds),
            std::tuple(GameOptions{}.columns, false, 30));
}

// What sits where the settings file should be decides whether the store
// reads and writes it: a link to a regular file is followed and stays a
// link; a FIFO or a link to one is neither read (which would block) nor
// replaced.
TEST(QtSettingsStore, OnlyARegularFileOrALinkToOneIsReadAndWritten) {
  testing::TempFolder folder;
  const std::string target = folder.File("target.conf");
  std::ofstream(target) << "[General]\nNumber=20\n";
  const std::string link = folder.File("link.conf");
  std::filesystem::create_symlink(target, link);
  const std::string fifo = folder.File("pipe.conf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string linkToFifo = folder.File("link-to-pipe.conf");
  std::filesystem::create_symlink(fifo, linkToFifo);
  GameOptions written;
  written.columns = 33;
  struct Case {
    std::string path;
    bool used;
  };
  const Case cases[] = {{link, true}, {fifo, false}, {linkToFifo, false}};
  for (const auto& [path, used] : cases) {
    SCOPED_TRACE(path);
    GameOptions read;
    auto pending = std::async(std::launch::async, [&] {
      QtSettingsStore store(path);
      ReadSettings(store, read);
      WriteSettings(store, written);
      store.Flush();
    });
    if (pending.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // releases a blocked reader
      if (fd >= 0) ::close(fd);
      pending.wait();
      ADD_FAILURE() << "blocked";
    }
    EXPECT_EQ(std::tuple(read.columns, read.firstRun), std::tuple(used ? 20u : GameOptions{}.columns, !used));
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  GameOptions again;
  ReadSettings(QtSettingsStore(target), again);
  EXPECT_EQ(again.columns, 33u);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo) && std::filesystem::is_symlink(linkToFifo));
}

}  // namespace
}  // namespace puzzle
