#include "tools/bench_idle.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/home_layout.h"
#include "storage/game_file.h"
#include "storage/picture_writer.h"

extern char** environ;

namespace puzzle {
namespace {

using Clock = std::chrono::steady_clock;

// A square picture of 100 columns makes 100 rows: the 10 000-piece limit.
constexpr int PICTURE_SIDE = 1000;
constexpr std::uint32_t COLUMNS = 100;
// How long the window may take to draw its first frame, and the time it is
// then given to open the game and come to rest before the count starts
// (opening a 10 000-piece game and the frames after it take some ten seconds
// of a busy machine).
constexpr double START_SECONDS = 60;
constexpr double SETTLE_SECONDS = 3;
constexpr double SETTLE_GAME_SECONDS = 20;

struct IdleCase {
  bool withGame;
  bool background;
  int width;
  int height;
};

// A 10 000-piece game of form 4 under way: every piece face up on another
// piece's home, so that the table is full and nothing overlaps much.
bool WriteGame(const std::filesystem::path& folder) {
  GameState state;
  GameOptions options;
  state.imagePath = (folder / "picture.png").string();
  state.imageWidth = PICTURE_SIDE;
  state.imageHeight = PICTURE_SIDE;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(PICTURE_SIDE) * PICTURE_SIDE * 3);
  for (std::size_t i = 0; i < rgb.size() / 3; ++i) {
    rgb[3 * i] = static_cast<std::uint8_t>(i % PICTURE_SIDE / 4);
    rgb[3 * i + 1] = static_cast<std::uint8_t>(i / PICTURE_SIDE / 4);
    rgb[3 * i + 2] = 128;
  }
  if (!WriteBytes(state.imagePath, EncodeWithStb(StbFormat::Png, PICTURE_SIDE, PICTURE_SIDE, 3, rgb.data())))
    return false;
  options.columns = COLUMNS;
  options.form = 4;
  if (!LayOutOnHomes(state, options)) return false;
  std::vector<std::size_t> order(state.pieces.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (std::size_t k = 0; k < order.size(); ++k) {
    state.pieces[k].x = state.homeX[order[k]];
    state.pieces[k].y = state.homeY[order[k]];
  }
  return WriteGameFile((folder / "game.pzz").string(), state, options);
}

bool WriteSettings(const std::filesystem::path& configHome, const IdleCase& c) {
  std::filesystem::create_directories(configHome / "Quorvane");
  std::ofstream out(configHome / "Quorvane" / "Puzzle.conf");
  out << "[General]\nWindow=0, 0, " << c.width << ", " << c.height
      << "\nBackground=" << (c.background ? "true" : "false") << "\n";
  return static_cast<bool>(out);
}

// The game with the folder as its home and every per-user folder under it,
// its frame lines going to frames.log there; none when it cannot be started.
std::optional<pid_t> StartGame(const std::filesystem::path& program, const std::filesystem::path& folder,
                               bool withGame) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (name != "HOME" && name.rfind("XDG_", 0) != 0 && name != "PUZZLE_PRINT_FRAMES")
      environment.push_back(text);
  }
  const std::string home = folder.string();
  for (const char* own : {"HOME=", "XDG_CONFIG_HOME=/config", "XDG_DATA_HOME=/data", "XDG_STATE_HOME=/state",
                          "XDG_CACHE_HOME=/cache", "XDG_RUNTIME_DIR=/runtime"}) {
    const std::string assignment = own;
    const std::size_t equals = assignment.find('=');
    environment.push_back(assignment.substr(0, equals + 1) + home + assignment.substr(equals + 1));
  }
  std::filesystem::create_directories(folder / "runtime");
  std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
  environment.push_back("PUZZLE_PRINT_FRAMES=1");
  std::vector<char*> envp;
  for (std::string& text : environment) envp.push_back(text.data());
  envp.push_back(nullptr);

  std::vector<std::string> args{program.string()};
  if (withGame) args.push_back((folder / "game.pzz").string());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const std::string frames = (folder / "frames.log").string();
  const std::string errors = (folder / "errors.log").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, frames.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t child = 0;
  const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return std::nullopt;
  return child;
}

// User and system time of the process, all its threads, in seconds.
std::optional<double> CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // The name in parentheses may hold spaces; the fields counted from the
  // state after it: utime and stime are the 12th and 13th.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::vector<std::string> fields;
  std::string field;
  for (char ch : stat.substr(close + 2)) {
    if (ch == ' ') {
      fields.push_back(field);
      field.clear();
    } else {
      field += ch;
    }
  }
  if (fields.size() < 13) return std::nullopt;
  const double ticks = std::stod(fields[11]) + std::stod(fields[12]);
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::size_t FramesDrawn(const std::filesystem::path& folder) {
  std::ifstream in(folder / "frames.log");
  return static_cast<std::size_t>(
      std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
}

bool Running(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == 0;
}

void Stop(pid_t pid) {
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
}

struct IdleFigures {
  double cpuSeconds = 0;
  std::size_t frames = 0;
};

// One case: the window started, given time to come to rest after its first
// frame, then left alone for `seconds`.
std::optional<IdleFigures> MeasureCase(const std::filesystem::path& program,
                                       const std::filesystem::path& folder, const IdleCase& c,
                                       double seconds) {
  if (!WriteSettings(folder / "config", c)) return std::nullopt;
  const auto pid = StartGame(program, folder, c.withGame);
  if (!pid) return std::nullopt;
  const auto started = Clock::now();
  while (FramesDrawn(folder) == 0) {
    if (!Running(*pid) || Clock::now() - started > std::chrono::duration<double>(START_SECONDS)) {
      Stop(*pid);
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::this_thread::sleep_for(
      std::chrono::duration<double>(c.withGame ? SETTLE_GAME_SECONDS : SETTLE_SECONDS));
  const auto cpuBefore = CpuSeconds(*pid);
  const std::size_t framesBefore = FramesDrawn(folder);
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const auto cpuAfter = CpuSeconds(*pid);
  const std::size_t framesAfter = FramesDrawn(folder);
  const bool lived = Running(*pid);
  Stop(*pid);
  if (!lived || !cpuBefore || !cpuAfter) return std::nullopt;
  return IdleFigures{*cpuAfter - *cpuBefore, framesAfter - framesBefore};
}

}  // namespace

int BenchIdle(double seconds, const std::string& game) {
  const std::filesystem::path program =
      game.empty()
          ? std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "app" / "puzzle"
          : std::filesystem::path(game);
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    std::fprintf(stderr, "idle: no DISPLAY; run the bench under xvfb-run -s \"-screen 0 1280x1024x24\"\n");
    return 1;
  }
  char folderName[] = "/tmp/puzzle-bench-idle-XXXXXX";
  if (mkdtemp(folderName) == nullptr) return 1;
  const std::filesystem::path folder(folderName);
  if (!WriteGame(folder)) {
    std::fprintf(stderr, "idle: the game file could not be made\n");
    std::filesystem::remove_all(folder);
    return 1;
  }
  std::printf("idle: %s on display %s, each window left alone for %.0f s once settled\n", program.c_str(),
              display, seconds);
  std::printf("%-24s %-12s %10s %10s %8s %9s\n", "table", "window", "background", "CPU s", "% core",
              "frames");
  int result = 0;
  for (const auto& [width, height] : {std::pair{800, 600}, std::pair{1280, 1024}}) {
    for (const bool background : {false, true}) {
      for (const bool withGame : {false, true}) {
        const IdleCase c{withGame, background, width, height};
        const auto figures = MeasureCase(program, folder, c, seconds);
        char window[32];
        std::snprintf(window, sizeof window, "%d x %d", width, height);
        const char* table = withGame ? "10 000 pieces at rest" : "no picture";
        if (figures) {
          std::printf("%-24s %-12s %10s %10.2f %8.1f %9zu\n", table, window, background ? "on" : "off",
                      figures->cpuSeconds, 100.0 * figures->cpuSeconds / seconds, figures->frames);
        } else {
          std::printf("%-24s %-12s %10s  failed (see the game's messages above)\n", table, window,
                      background ? "on" : "off");
          std::ifstream errors(folder / "errors.log");
          std::fprintf(stderr, "%s", std::string{std::istreambuf_iterator<char>(errors), {}}.c_str());
          result = 1;
        }
        std::fflush(stdout);
      }
    }
  }
  std::filesystem::remove_all(folder);
  return result;
}

}  // namespace puzzle
