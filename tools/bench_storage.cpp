// The "storage" section of puzzle-bench. Each figure is the median of
// several runs, so that one slow run (a cold cache, another process) does
// not decide it.
#include "tools/bench_storage.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <vector>

#include "storage/game_file.h"
#include "storage/image_loader.h"
#include "storage/picture_writer.h"

namespace puzzle {
namespace {

using Clock = std::chrono::steady_clock;

// Median milliseconds of runs calls; false as soon as one call fails.
bool Measure(int runs, const std::function<bool()>& call, double& medianMs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    if (!call()) return false;
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  medianMs = times[static_cast<std::size_t>(runs / 2)];
  return true;
}

std::vector<std::uint8_t> NoisyGradient(int width, int height, int channels, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * channels);
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        const int base = (c == 0   ? x * 255 / width
                          : c == 1 ? y * 255 / height
                                   : (x + y) * 127 / (width + height));
        pixels[at++] =
            static_cast<std::uint8_t>(std::clamp(base + static_cast<int>(random() % 9) - 4, 0, 255));
      }
    }
  }
  return pixels;
}

bool BenchGameFile(const std::filesystem::path& folder) {
  constexpr std::uint32_t COLUMNS = 100;
  constexpr std::uint32_t ROWS = 100;
  GameState state;
  GameOptions options;
  state.imagePath = (folder / "picture.png").string();
  const auto rgb = NoisyGradient(64, 64, 3, 1);
  if (!WriteBytes(state.imagePath, EncodeWithStb(StbFormat::Png, 64, 64, 3, rgb.data()))) {
    return false;
  }
  options.columns = COLUMNS;
  options.form = 4;
  state.rows = ROWS;
  state.pieceCount = COLUMNS * ROWS;
  state.pieces.resize(state.pieceCount);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> position(-1.0f, 1.0f);
  for (PiecePose& pose : state.pieces) {
    pose.x = position(random);
    pose.y = position(random);
  }
  const std::string path = (folder / "game.pzz").string();
  double writeMs = 0;
  double parseMs = 0;
  double readMs = 0;
  if (!Measure(
          21, [&] { return WriteGameFile(path, state, options); }, writeMs))
    return false;
  std::ifstream file(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                        std::istreambuf_iterator<char>()};
  if (!Measure(
          21, [&] { return ParseGameFile(bytes).has_value(); }, parseMs))
    return false;
  if (!Measure(
          21, [&] { return ReadGameFile(path).game.has_value(); }, readMs))
    return false;
  std::printf("game file, 10 000 pieces (%zu bytes):\n", bytes.size());
  std::printf("  write (encode, flush to disk, rename)   %9.3f ms\n", writeMs);
  std::printf("  read and check (from memory)            %9.3f ms\n", parseMs);
  std::printf("  read from disk with its 64 x 64 picture %9.3f ms\n", readMs);
  return true;
}

bool BenchPng() {
  constexpr int SIDE = 4096;
  const auto rgba = NoisyGradient(SIDE, SIDE, 4, 2);
  const auto png = EncodeWithStb(StbFormat::Png, SIDE, SIDE, 4, rgba.data());
  double decodeMs = 0;
  if (!Measure(
          3, [&] { return DecodePicture(png).has_value(); }, decodeMs))
    return false;
  std::printf("PNG 4096 x 4096 RGBA (%zu bytes):\n", png.size());
  std::printf("  decode and flip                         %9.3f ms\n", decodeMs);
  return true;
}

bool BenchGif() {
  constexpr int WIDTH = 320;
  constexpr int HEIGHT = 240;
  constexpr int FRAMES = 100;
  std::vector<Rgb24> palette;
  for (int i = 0; i < 256; ++i) {
    palette.push_back(
        {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7)});
  }
  std::vector<GifFrame> frames;
  for (int f = 0; f < FRAMES; ++f) {
    GifFrame frame{std::vector<std::uint8_t>(WIDTH * HEIGHT), 4};
    for (int y = 0; y < HEIGHT; ++y) {
      for (int x = 0; x < WIDTH; ++x)
        frame.indices[static_cast<std::size_t>(y * WIDTH + x)] = static_cast<std::uint8_t>(x + y + f * 3);
    }
    frames.push_back(std::move(frame));
  }
  const auto gif = EncodeGif(WIDTH, HEIGHT, palette, frames);
  double decodeMs = 0;
  if (!Measure(
          3, [&] { return DecodePicture(gif).has_value(); }, decodeMs))
    return false;
  std::printf("GIF 320 x 240, 100 frames (%zu bytes):\n", gif.size());
  std::printf("  decode and flip all frames              %9.3f ms\n", decodeMs);
  return true;
}

}  // namespace

int BenchStorage() {
  const auto folder = std::filesystem::temp_directory_path() / ("puzzle-bench-" + std::to_string(::getpid()));
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const bool measured = !error && BenchGameFile(folder) && BenchPng() && BenchGif();
  std::filesystem::remove_all(folder, error);
  if (!measured) std::printf("storage: a step failed\n");
  return measured ? 0 : 1;
}

}  // namespace puzzle
