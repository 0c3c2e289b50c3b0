// The "meshes" section of puzzle-bench: for 100, 1 000 and 10 000 pieces in
// each form, the time of BuildTableMesh, the heap the mesh takes, and the
// mean and 95th-percentile time of a frame of all pieces at 800 x 600 drawn
// by the game's renderer from the mesh; beside it the same triangles and
// edge lines drawn from one vertex buffer in one call each, the reference
// for what the GL can do.
#include "tools/bench_meshes.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "game/home_layout.h"
#include "render/table_mesh.h"
#include "tools/bench_reference.h"
#include "tools/headless_table.h"

namespace puzzle {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int VIEW_WIDTH = 800;
constexpr int VIEW_HEIGHT = 600;

// Pictures that fit the view and cut, by Start's rule, into exactly the
// wanted number of pieces.
struct BenchCase {
  std::uint32_t pieces;
  std::int32_t width;
  std::int32_t height;
  std::uint32_t columns;
  int frames;
};
constexpr BenchCase CASES[] = {{100, 600, 600, 10, 40}, {1000, 640, 400, 40, 30}, {10000, 700, 700, 100, 15}};

void NoisePicture(GameState& state, std::int32_t width, std::int32_t height) {
  std::mt19937 random(1);
  state.imageWidth = width;
  state.imageHeight = height;
  state.frameCount = 1;
  state.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (std::size_t k = 0; k < state.pixels.size(); ++k) {
    state.pixels[k] = k % 4 == 3 ? 255 : static_cast<std::uint8_t>(random());
  }
  state.pictureOpaque = true;
}

}  // namespace

int BenchMeshes() {
  HeadlessTable table;
  if (!table.Open(VIEW_WIDTH, VIEW_HEIGHT)) {
    std::fprintf(stderr, "meshes: no headless OpenGL: %s\n", table.Error().c_str());
    return 1;
  }
  std::printf(
      "meshes: %d x %d, edges on; frame = the game's renderer drawing every piece from the table mesh;\n",
      VIEW_WIDTH, VIEW_HEIGHT);
  std::printf(
      "        reference = the same triangles and edge lines from one vertex buffer, one draw each\n");
  std::printf("%-5s %7s %10s %10s %12s %11s %12s %11s %7s\n", "form", "pieces", "build ms", "mesh KiB",
              "frame mean", "frame p95", "ref mean", "ref p95", "ratio");
  std::uint32_t tick = 1000;
  for (const BenchCase& c : CASES) {
    for (std::uint8_t form = 1; form <= 4; ++form) {
      GameState& state = table.state;
      GameOptions& options = table.options;
      ClearTableMesh(table.mesh);
      NoisePicture(state, c.width, c.height);
      options.form = form;
      options.columns = c.columns;
      options.showFrame = false;
      options.showCentres = false;
      if (!LayOutOnHomes(state, options) || state.pieceCount != c.pieces || !table.PrepareGame()) {
        std::fprintf(stderr, "meshes: cannot lay out %u pieces in form %d\n", c.pieces, form);
        return 1;
      }
      ClearTableMesh(table.mesh);
      glFinish();
      const auto start = Clock::now();
      BuildTableMesh(table.mesh, state, options);
      glFinish();
      const double buildMs = MillisecondsSince(start);
      const double meshKiB = static_cast<double>(TableMeshBytes(table.mesh)) / 1024.0;

      ReferenceBuffers reference;
      if (!reference.Build(state, options)) {
        std::fprintf(stderr, "meshes: the GL has no vertex buffers\n");
        return 1;
      }
      const auto [game, direct] = TimeFramesInTurn(
          c.frames, [&] { table.DrawFrame(tick += 16); }, [&] { reference.Draw(state.stillTexture); });
      std::printf("%-5d %7u %10.1f %10.0f %12.2f %11.2f %12.2f %11.2f %7.2f\n", form, state.pieceCount,
                  buildMs, meshKiB, game.mean, game.p95, direct.mean, direct.p95, game.mean / direct.mean);
      std::fflush(stdout);
    }
  }
  return 0;
}

}  // namespace puzzle
