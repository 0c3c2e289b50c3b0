#include "tools/bench_frame.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "game/new_game.h"
#include "platform/platform.h"
#include "render/gl_graphics_port.h"
#include "tools/headless_table.h"

namespace puzzle {
namespace {

constexpr int CLIENT_WIDTH = 800;
constexpr int CLIENT_HEIGHT = 600;
// A square picture of 100 columns makes 100 rows: the 10 000-piece limit.
constexpr int PICTURE_SIDE = 1000;
constexpr std::uint32_t COLUMNS = 100;
constexpr int WARM_UP_FRAMES = 2;
constexpr int MEASURED_FRAMES = 30;

std::uint32_t NowMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// Start asks nothing of a fresh table; any message would mean the game was
// refused, and is printed.
class BenchPlatform : public WindowlessPlatform {
 public:
  MessageAnswer ShowMessage(const Message& message) override {
    std::fprintf(stderr, "frame: %s\n", message.text.c_str());
    return MessageAnswer::Yes;
  }
  std::uint32_t TickMs() const override { return NowMs(); }
};

void MakePicture(GameState& state) {
  state.imageWidth = PICTURE_SIDE;
  state.imageHeight = PICTURE_SIDE;
  state.frameCount = 1;
  const auto pixels = static_cast<std::size_t>(PICTURE_SIDE) * PICTURE_SIDE;
  state.pixels.assign(pixels * 4 + 2, 0);
  for (std::size_t i = 0; i < pixels; ++i) {
    state.pixels[i * 4] = static_cast<std::uint8_t>(i % PICTURE_SIDE / 4);
    state.pixels[i * 4 + 1] = static_cast<std::uint8_t>(i / PICTURE_SIDE / 4);
    state.pixels[i * 4 + 2] = 128;
    state.pixels[i * 4 + 3] = 255;
  }
  state.imageFresh = true;
}

}  // namespace

int BenchFrame() {
  HeadlessTable table;
  if (!table.Open(CLIENT_WIDTH, CLIENT_HEIGHT)) {
    std::fprintf(stderr, "frame: no headless GL context: %s\n", table.Error().c_str());
    return 1;
  }
  MakePicture(table.state);
  table.options.columns = COLUMNS;
  table.options.pendingColumns = COLUMNS;
  // Long enough that every measured frame falls inside the scatter.
  table.options.scatterSeconds = 3600;
  BenchPlatform platform;
  GlGraphicsPort graphics;
  if (!StartCommand(table.state, table.table, table.options, platform, graphics, table.bars, table.shell)) {
    std::fprintf(stderr, "frame: the game could not be started\n");
    return 1;
  }

  for (int i = 0; i < WARM_UP_FRAMES; ++i) {
    table.DrawFrame(NowMs());
  }
  std::vector<double> frameMs;
  frameMs.reserve(MEASURED_FRAMES);
  const auto start = std::chrono::steady_clock::now();
  auto previous = start;
  for (int i = 0; i < MEASURED_FRAMES; ++i) {
    table.DrawFrame(NowMs());
    const auto now = std::chrono::steady_clock::now();
    frameMs.push_back(std::chrono::duration<double, std::milli>(now - previous).count());
    previous = now;
  }
  const double seconds = std::chrono::duration<double>(previous - start).count();
  std::sort(frameMs.begin(), frameMs.end());
  const double median = frameMs[frameMs.size() / 2];
  const double worst = frameMs.back();

  std::printf("frame: a running game during the scatter, %d x %d, %u pieces, form %d\n", CLIENT_WIDTH,
              CLIENT_HEIGHT, table.state.pieceCount, static_cast<int>(table.options.form));
  std::printf("%8s %10s %12s %10s %10s\n", "frames", "seconds", "frames/s", "median ms", "worst ms");
  std::printf("%8d %10.2f %12.2f %10.1f %10.1f\n", MEASURED_FRAMES, seconds, MEASURED_FRAMES / seconds,
              median, worst);
  std::printf("scatter still running after the last frame: %s\n", table.state.scatterRunning ? "yes" : "no");
  return 0;
}

}  // namespace puzzle
