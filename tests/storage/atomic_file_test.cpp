#include "storage/atomic_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <set>

#include "storage/game_file.h"
#include "storage/image_loader.h"
#include "storage/paths.h"
#include "storage/picture_writer.h"
#include "support/temp_folder.h"

namespace puzzle {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
// Runs read and says whether it came back within two seconds. A reader stuck
// on the FIFO is released by a writer that opens and closes it at once.
bool ReturnsAtOnce(const std::string& fifo, const std::function<bool()>& read, bool& result) {
  auto pending = std::async(std::launch::async, read);
  if (pending.wait_for(std::chrono::seconds(2)) == std::future_status::ready) {
    result = pending.get();
    return true;
  }
  const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
  pending.wait();
  return false;
}

std::vector<std::uint8_t> GameNaming(const std::string& picture) {
  std::vector<std::uint8_t> bytes(picture.begin(), picture.end());
  bytes.push_back(0);
  // Form 1, bulge 0.33, 2 x 2 pieces, no rotation, flat.
  bytes.insert(bytes.end(), {1, 0xC3, 0xF5, 0xA8, 0x3E, 2, 0, 0, 0, 2, 0, 0, 0, 0, 0});
  for (int piece = 0; piece < 4; ++piece) {
    // Unturned: 1.0f on the orientation's diagonal, the rest 0.
    for (int entry = 0; entry < 11; ++entry) {
      const bool one = entry == 0 || entry == 4 || entry == 8;
      bytes.insert(bytes.end(), {0, 0, std::uint8_t(one ? 0x80 : 0), std::uint8_t(one ? 0x3F : 0)});
    }
  }
  return bytes;
}
#endif

TEST(OnlyRegularFiles, AFifoOrFolderIsRefusedWithoutWaiting) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs in folders; Saving.AnyNameSaves... refuses a folder there";
#else
  testing::TempFolder folder;
  const std::string fifo = folder.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, folder.File("link-to-pipe"));
  const std::string game = folder.File("game.pzz");
  ASSERT_TRUE(WriteBytes(game, GameNaming(fifo)));
  struct Case {
    const char* name;
    std::function<bool()> read;
  };
  const Case cases[] = {
      {"file", [&] { return ReadWholeFile(fifo, 1 << 20).has_value(); }},
      {"link", [&] { return ReadWholeFile(folder.File("link-to-pipe"), 1 << 20).has_value(); }},
      {"folder", [&] { return ReadWholeFile(folder.Path().string(), 1 << 20).has_value(); }},
      {"picture", [&] { return DecodePictureFile(fifo).has_value(); }},
      {"game file", [&] { return ReadGameFile(fifo).game.has_value(); }},
      {"picture of a game", [&] { return ReadGameFile(game).game.has_value(); }},
  };
  for (const auto& [name, read] : cases) {
    SCOPED_TRACE(name);
    bool read_ = true;
    EXPECT_TRUE(ReturnsAtOnce(fifo, read, read_));
    EXPECT_FALSE(read_);
  }
  EXPECT_EQ(ReadGameFile(game).failure, GameReadFailure::Picture);
#endif
}

TEST(OnlyRegularFiles, AFileBeyondTheLimitIsRefused) {
  testing::TempFolder folder;
  const std::string path = folder.File("data");
  ASSERT_TRUE(WriteBytes(path, std::vector<std::uint8_t>(100, 1)));
  EXPECT_TRUE(ReadWholeFile(path, 100));
  EXPECT_FALSE(ReadWholeFile(path, 99));
}

// What a save leaves behind: the file's bits, and whether the old contents
// are still there.
TEST(Saving, KeepsTheFilesNatureAndRefusesWhatAUserCouldNotWrite) {
#ifdef _WIN32
  GTEST_SKIP()
      << "Windows files have no permission bits and no FIFOs; Saving.AnyNameSaves... tests its rules";
#else
  testing::TempFolder folder;
  const std::vector<std::uint8_t> old{1, 2, 3}, fresh{4, 5};
  auto make = [&](const std::string& name, fs::perms perms) {
    const std::string path = folder.File(name);
    EXPECT_TRUE(WriteBytes(path, old));
    fs::permissions(path, perms);
    return path;
  };
  struct Case {
    const char* name;
    std::string path;
    bool saved;
    fs::perms perms;  // of the file saved to, afterwards
  };
  using P = fs::perms;
  const std::string target = make("target.pzz", P::owner_read | P::owner_write);
  const std::string link = folder.File("link.pzz");
  fs::create_symlink(target, link);
  const std::string fifo = folder.File("pipe.pzz");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string linkToFifo = folder.File("link-to-pipe.pzz");
  fs::create_symlink(fifo, linkToFifo);
  const Case cases[] = {
      {"private file", make("private.pzz", P::owner_read | P::owner_write), true,
       P::owner_read | P::owner_write},
      {"shared file", make("shared.pzz", P::owner_read | P::owner_write | P::group_write | P::others_read),
       true, P::owner_read | P::owner_write | P::group_write | P::others_read},
      {"link", link, true, P::owner_read | P::owner_write},
      {"link to a fifo", linkToFifo, false, P::owner_read | P::owner_write},
      {"fifo", fifo, false, P::owner_read | P::owner_write},
  };
  for (const auto& [name, path, saved, perms] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(WriteFileAtomically(path, fresh), saved);
    const auto status = fs::status(path);
    EXPECT_EQ(status.permissions(), perms);
    if (status.type() == fs::file_type::regular) {
      EXPECT_EQ(*ReadWholeFile(path, 10), saved ? fresh : old);
    }
  }
  // The link is still a link, to the file that now holds the save, and the
  // FIFO is still a FIFO.
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(*ReadWholeFile(target, 10), fresh);
  EXPECT_TRUE(fs::is_fifo(fifo));
  // No temporary file is left behind.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.Path())) ++entries;
  EXPECT_EQ(entries, 6u);
#endif
}

// Names are UTF-8 inside the game and any of them saves, Cyrillic ones too;
// a read-only file or a folder is refused by the rules of both systems, the
// old file stays whole and no temporary file is left.
TEST(Saving, AnyNameSavesAndReadOnlyFilesOrFoldersAreRefused) {
  testing::TempFolder folder;
  const std::vector<std::uint8_t> old{1, 2, 3}, fresh{4, 5};
  const std::string cyrillicFolder = folder.File("Картины");
  fs::create_directories(FileSystemPath(cyrillicFolder));
  auto make = [&](const std::string& name, bool readOnly) {
    const std::string path = folder.File(name);
    EXPECT_TRUE(WriteFileAtomically(path, old));
    if (readOnly) fs::permissions(FileSystemPath(path), fs::perms::owner_read);
    return path;
  };
  struct Case {
    const char* name;
    std::string path;
    bool saved;
    bool regular;
  };
  const Case cases[] = {
      {"plain file", make("game.pzz", false), true, true},
      {"Cyrillic name", make("игра.pzz", false), true, true},
      {"new file in a Cyrillic folder", cyrillicFolder + "/новая.pzz", true, true},
      {"read-only file", make("только чтение.pzz", true), false, true},
      {"folder", cyrillicFolder, false, false},
  };
  for (const auto& [name, path, saved, regular] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(WriteFileAtomically(path, fresh), saved);
    EXPECT_EQ(RegularOrAbsent(path), regular);
    if (regular) {
      EXPECT_EQ(ReadWholeFile(path, 10), saved ? fresh : old);
    }
  }
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(folder.Path())) ++entries;
  EXPECT_EQ(entries, 5u);
}

// A save killed after writing its temporary file (here by the file size
// limit, as a full disk quota would) leaves it behind; the next save to the
// same file removes it, and the tidy-up at start removes one a day old.
TEST(Saving, WhatAKilledSaveLeftIsRemovedByTheNextSaveOrWhenStale) {
#ifdef _WIN32
  GTEST_SKIP() << "a save is killed here through fork and a file size limit, which Windows lacks";
#else
  testing::TempFolder folder;
  auto killedSave = [&](const std::string& name) {
    const pid_t child = ::fork();
    if (child == 0) {
      const rlimit noCore{0, 0}, small{1000, 1000};
      ::setrlimit(RLIMIT_CORE, &noCore);
      ::setrlimit(RLIMIT_FSIZE, &small);
      WriteFileAtomically(folder.File(name), std::vector<std::uint8_t>(1 << 20, 7));
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
  };
  auto entries = [&] {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.Path())) names.insert(entry.path().filename());
    return names;
  };
  killedSave("game.pzz");
  ASSERT_EQ(entries().size(), 1u);
  RemoveStaleTemporaries(folder.Path().string(), std::chrono::hours(24));
  ASSERT_TRUE(WriteFileAtomically(folder.File("other.pzz"), std::vector<std::uint8_t>{1}));
  EXPECT_EQ(entries().size(), 2u) << "a fresh temporary of another file stays";
  ASSERT_TRUE(WriteFileAtomically(folder.File("game.pzz"), std::vector<std::uint8_t>{2}));
  EXPECT_EQ(entries(), (std::set<std::string>{"game.pzz", "other.pzz"}));

  killedSave("third.pzz");
  for (const auto& entry : fs::directory_iterator(folder.Path()))
    fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::hours(25));
  RemoveStaleTemporaries(folder.Path().string(), std::chrono::hours(24));
  EXPECT_EQ(entries(), (std::set<std::string>{"game.pzz", "other.pzz"}));
#endif
}

}  // namespace
}  // namespace puzzle
