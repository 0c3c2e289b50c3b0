#include "game/recovery.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "game/file_command_fixture.h"
#include "game/new_game.h"
#include "storage/atomic_file.h"
#include "storage/picture_writer.h"

namespace puzzle::testing {
namespace {

// The ticks at which the copy is written, for pieces that change on every
// frame from `from` to `until` (frames every 100 ms from `from` to `end`).
std::vector<std::uint32_t> WritesFor(std::uint32_t from, std::uint32_t until, std::uint32_t end) {
  RecoveryCadence cadence;
  std::vector<std::uint32_t> writes;
  for (std::uint32_t t = from; t != end; t += 100) {
    if (RecoveryWriteDue(cadence, t - from <= until - from, t)) writes.push_back(t - from);
  }
  return writes;
}

TEST(RecoveryCadence, OneCopyPerTwentySecondsOfChangesAndOneWhenTheyStop) {
  struct Case {
    const char* name;
    std::uint32_t start;
    std::uint32_t changesFor;
    std::vector<std::uint32_t> writes;  // relative to start
  };
  const Case cases[] = {
      {"a short drag", 5000, 300, {1300}},
      {"many changes within 20 s", 5000, 15000, {16000}},
      {"changes for 45 s", 5000, 45000, {20000, 40100, 46000}},
      {"across the wrap of the tick", 0xFFFFF000u, 25000, {20000, 26000}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WritesFor(c.start, c.start + c.changesFor, c.start + 60000), c.writes) << c.name;
  }
  RecoveryCadence still;
  for (std::uint32_t t = 0; t < 60000; t += 100) EXPECT_FALSE(RecoveryWriteDue(still, false, t));
}

struct RecoveryTest : FileCommandFixture {
  RecoveryTest() { keeper.path = RecoveryFilePath(folder.File("state"), 4242); }

  // A running game of 4 x 3 pieces on cat.png, scatter over.
  void RunningGame() {
    const std::vector<std::uint8_t> rgb(128 * 96 * 3, 200);
    ASSERT_TRUE(WriteBytes(picture, EncodeWithStb(StbFormat::Png, 128, 96, 3, rgb.data())));
    state.imagePath = picture;
    auto decoded = DecodePictureFile(picture);
    ASSERT_TRUE(decoded);
    TakePictureOver(state, std::move(*decoded));
    ASSERT_TRUE(StartCommand(state, table, options, platform, graphics, bars, shell, history));
    state.scatterRunning = false;
    DropRecovery(keeper, state);
  }

  // Frames every 100 ms for the given time, with the move made on the first.
  void Play(std::uint32_t ms, const std::function<void()>& move = {}) {
    if (move) move();
    for (std::uint32_t t = 0; t < ms; t += 100) {
      KeepRecovery(keeper, state, options, table, platform.tick);
      platform.Step(100);
    }
  }

  bool CopyExists() const { return std::filesystem::exists(keeper.path); }

  std::string picture = folder.File("cat.png");
  RecoveryKeeper keeper;
};

TEST_F(RecoveryTest, ChangedPiecesAreWrittenAsTheGameFileWouldBe) {
  RunningGame();
  // Start's own scatter and raising a piece are no changes.
  Play(3000, [&] {
    state.scatterRunning = true;
    state.pieces[1].x += 1;
  });
  state.scatterRunning = false;
  Play(3000, [&] { state.pieces[2].z += 0.001f; });
  EXPECT_FALSE(CopyExists());
  // Nor is a game just put on the table from its file.
  state.gameChanged = false;
  Play(3000, [&] { keeper.seen.clear(); });
  EXPECT_FALSE(CopyExists());
  state.gameChanged = true;

  Play(3000, [&] { state.pieces[5].x += 0.25f; });
  ASSERT_TRUE(CopyExists());
  EXPECT_EQ(ReadWholeFile(keeper.path, 1 << 20), EncodeGameFile(state, options));

  // A turned piece is a change too; the copy follows it.
  Play(3000, [&] { state.pieces[3].orient = {0, 1, 0, -1, 0, 0, 0, 0, 1}; });
  EXPECT_EQ(ReadWholeFile(keeper.path, 1 << 20), EncodeGameFile(state, options));

  DropRecovery(keeper, state);
  EXPECT_FALSE(CopyExists());
  Play(3000);
  EXPECT_FALSE(CopyExists());
}

TEST_F(RecoveryTest, TheCopyFollowsTheHeldPieceAndTheOthers) {
  RunningGame();
  // While a piece is held the others are looked at as whole runs: a change
  // on either side of it, or of it alone, reaches the copy.
  const struct {
    std::int32_t held;
    std::size_t moved;
  } cases[] = {{5, 5}, {5, 4}, {5, 6}, {0, 0}, {0, 11}, {11, 11}, {11, 0}, {-1, 7}};
  for (const auto& c : cases) {
    state.selected = c.held;
    Play(3000, [&] { state.pieces[c.moved].y += 0.5f; });
    EXPECT_EQ(ReadWholeFile(keeper.path, 1 << 20), EncodeGameFile(state, options))
        << c.held << " " << c.moved;
  }
}

TEST_F(RecoveryTest, AFailedWriteIsSilentAndTriedAgainAtTheNextChange) {
  RunningGame();
  // The state folder is taken by a file, so the copy cannot be written.
  ASSERT_TRUE(WriteBytes(folder.File("state"), {1}));
  Play(3000, [&] { state.pieces[5].x += 0.25f; });
  EXPECT_FALSE(CopyExists());
  std::filesystem::remove(folder.File("state"));
  Play(3000);
  EXPECT_FALSE(CopyExists());
  Play(3000, [&] { state.pieces[6].y += 0.25f; });
  EXPECT_TRUE(CopyExists());
  EXPECT_TRUE(platform.shown.empty());
}

// Leaves a copy as a run with the given process id would, changed at the
// given time.
void LeaveCopy(const std::string& folder, std::int64_t processId, std::vector<std::uint8_t> bytes,
               int ageSeconds) {
  const std::string path = RecoveryFilePath(folder, processId);
  ASSERT_TRUE(WriteRecoveryFile(path, bytes));
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
}

TEST(RecoveryFiles, EveryCopyOfAGoneRunIsListedNewestFirstAndNothingElse) {
  TempFolder folder;
  const std::string state = folder.File("state");
  LeaveCopy(state, 11, {1}, 300);
  LeaveCopy(state, 12, {2}, 100);
  LeaveCopy(state, 13, {3}, 50);  // still running
  LeaveCopy(state, 14, {4}, 200);
  ASSERT_TRUE(WriteBytes(state + "/notes.pzz", {5}));
  ASSERT_TRUE(WriteBytes(state + "/recovery-x1.pzz", {6}));
#ifndef _WIN32
  std::filesystem::create_symlink(state + "/notes.pzz", RecoveryFilePath(state, 15));
#endif
  std::filesystem::create_directory(RecoveryFilePath(state, 16));

  std::vector<std::int64_t> offered;
  for (const RecoveryCopy& copy : LostRecoveryCopies(state, [](std::int64_t id) { return id == 13; }))
    offered.push_back(copy.processId);
  EXPECT_EQ(offered, (std::vector<std::int64_t>{12, 14, 11}));
  EXPECT_EQ(ListRecoveryCopies(state).size(), 4u);
  EXPECT_TRUE(LostRecoveryCopies(folder.File("none"), [](std::int64_t) { return false; }).empty());
  EXPECT_TRUE(GameProcessRunning(CurrentProcessId()));
}

#ifdef _WIN32
TEST(RecoveryFiles, TheFolderIsInTheLocalApplicationData) {
  const char* local = std::getenv("LOCALAPPDATA");
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(RecoveryFolder(), std::string(local) + "\\Quorvane\\Puzzle\\Recovery");
}

// A copy's process counts as running while it runs this very program: not
// once it has ended, nor when its id now belongs to another program. The
// processes are started suspended, so they never do anything.
TEST(RecoveryFiles, AProcessCountsAsRunningOnlyWhileItRunsThisGame) {
  auto start = [](std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &process));
    CloseHandle(process.hThread);
    return process;
  };
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  const PROCESS_INFORMATION game = start(L"\"" + self + L"\" --gtest_list_tests");
  const PROCESS_INFORMATION other = start(L"cmd.exe /c exit");
  EXPECT_TRUE(GameProcessRunning(game.dwProcessId));
  EXPECT_FALSE(GameProcessRunning(other.dwProcessId));
  for (const PROCESS_INFORMATION& process : {game, other}) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  EXPECT_FALSE(GameProcessRunning(game.dwProcessId));
  CloseHandle(game.hProcess);
  CloseHandle(other.hProcess);
  EXPECT_FALSE(GameProcessRunning(game.dwProcessId));
}
#else
TEST(RecoveryFiles, TheFolderFollowsTheStateHome) {
  const char* saved = std::getenv("XDG_STATE_HOME");
  const std::string previous = saved ? saved : "";
  setenv("XDG_STATE_HOME", "/somewhere/state", 1);
  EXPECT_EQ(RecoveryFolder(), "/somewhere/state/quorvane-puzzle");
  // A relative state home is ignored, as the base-directory rules ask.
  setenv("XDG_STATE_HOME", "state", 1);
  setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/home/player", 1);
  EXPECT_EQ(RecoveryFolder(), std::string(std::getenv("HOME")) + "/.local/state/quorvane-puzzle");
  if (saved) {
    setenv("XDG_STATE_HOME", previous.c_str(), 1);
  } else {
    unsetenv("XDG_STATE_HOME");
  }
}
#endif

TEST_F(RecoveryTest, EveryLostGameIsOfferedNewestFirstAndOnlyNoForgetsOne) {
  RunningGame();
  state.pieces[5].x += 0.25f;
  state.pieces[3].orient = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  const auto bytes = *EncodeGameFile(state, options);
  const std::string state_folder = folder.File("state");
  const auto played = state.pieces;
  state.pieces[5].x += 0.5f;

  // Two games lost together: No forgets the newer, Yes brings the older back
  // without a game file, changed, and its copy becomes this run's own.
  LeaveCopy(state_folder, 77, bytes, 60);
  LeaveCopy(state_folder, 78, *EncodeGameFile(state, options), 30);
  platform.answers = {MessageAnswer::No, MessageAnswer::Yes};
  options.gameDirectory = "/games";
  options.columns = 9;
  state = GameState{};
  state.maxTextureSize = 4096;
  auto records = Records();
  EXPECT_TRUE(OfferRecoveredGame(records, platform, graphics, keeper, 4242));
  ASSERT_EQ(platform.shown.size(), 2u);
  for (const Message& question : platform.shown) {
    EXPECT_EQ(question.text.rfind("The game with the picture cat.png was not finished (last changed ", 0), 0u)
        << question.text;
    EXPECT_EQ(question.buttons, MessageButtons::YesNoCancel);
  }
  ASSERT_EQ(state.pieces.size(), played.size());
  for (std::size_t k = 0; k < played.size(); ++k) {
    EXPECT_EQ(state.pieces[k].orient, played[k].orient) << k;
    EXPECT_FLOAT_EQ(state.pieces[k].x, played[k].x) << k;
  }
  EXPECT_EQ(std::tie(options.columns, state.gameRunning, state.gameChanged, state.gameFilePath),
            std::tuple(4u, true, true, ""));
  EXPECT_EQ(std::tie(options.gameDirectory, title), std::tuple("/games", "Puzzle - Загружена Игра: cat.png"));
  EXPECT_TRUE(CopyExists());
  EXPECT_EQ(ListRecoveryCopies(state_folder).size(), 1u);
}

TEST_F(RecoveryTest, ACopyIsKeptUnlessThePlayerSaysNo) {
  RunningGame();
  const auto bytes = *EncodeGameFile(state, options);
  const std::string state_folder = folder.File("state");
  const std::string copy = RecoveryFilePath(state_folder, 77);
  const std::string game = folder.File("game.pzz");
  const std::string question = "The game with the picture cat.png was not finished";
  struct Case {
    const char* name;
    std::function<void()> spoil;
    std::deque<MessageAnswer> answers;
    std::vector<std::string> messages;  // the start of each
  };
  const Case cases[] = {
      {"not now, with a second copy not asked about",
       [&] {
         LeaveCopy(state_folder, 77, bytes, 10);
         LeaveCopy(state_folder, 76, bytes, 20);
       },
       {MessageAnswer::Cancel},
       {question}},
      {"picture gone, not located",
       [&] {
         EXPECT_TRUE(std::filesystem::remove(RecoveryFilePath(state_folder, 76)));
         std::filesystem::remove(picture);
       },
       {MessageAnswer::Yes, MessageAnswer::No},
       {question, "The picture of this game was not found"}},
      {"picture unreadable",
       [&] {
         ASSERT_TRUE(WriteBytes(picture, {1, 2, 3}));
       },
       {MessageAnswer::Yes},
       {question, "Cannot open image file " + picture, "Failed to open file."}},
      {"truncated",
       [&] {
         LeaveCopy(state_folder, 77, {bytes.begin(), bytes.end() - 3}, 10);
       },
       {},
       {"The unfinished game kept in " + copy + " cannot be read: it is not a complete game file."}},
#ifndef _WIN32
      {"not readable by its owner",
       [&] {
         LeaveCopy(state_folder, 77, bytes, 10);
         std::filesystem::permissions(copy, std::filesystem::perms::none);
       },
       {},
       {"The unfinished game kept in " + copy + " cannot be read: Permission denied."}},
      {"a link in the copy's place",
       [&] {
         std::filesystem::remove(copy);
         ASSERT_TRUE(WriteBytes(game, bytes));
         std::filesystem::create_symlink(game, copy);
       },
       {},
       {}},
#endif
  };
  for (const Case& c : cases) {
    c.spoil();
    platform.shown.clear();
    platform.answers = c.answers;
    auto records = Records();
    EXPECT_FALSE(OfferRecoveredGame(records, platform, graphics, keeper, 4242)) << c.name;
    ASSERT_EQ(platform.shown.size(), c.messages.size()) << c.name;
    for (std::size_t i = 0; i < c.messages.size(); ++i)
      EXPECT_EQ(platform.shown[i].text.rfind(c.messages[i], 0), 0u)
          << c.name << ": " << platform.shown[i].text;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(copy))) << c.name;
    EXPECT_TRUE(state.gameRunning) << c.name << ": the game on the table stays";
  }
#ifdef _WIN32
  std::printf(
      "Not run on Windows: a copy its owner may not read and a link in its place, which the "
      "permission bits and links of this system cannot make.\n");
#else
  // Nor does this run's copy go through the link to the game it leads to.
  keeper.path = copy;
  Play(3000, [&] { state.pieces[5].x += 0.25f; });
  EXPECT_EQ(ReadWholeFile(game, 1 << 20), bytes);
#endif
}

}  // namespace
}  // namespace puzzle::testing
