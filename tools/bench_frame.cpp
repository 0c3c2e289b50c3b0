#include "tools/bench_frame.h"

#include <chrono>
#include <cstdio>

#include "game/commands.h"
#include "game/new_game.h"
#include "game/picking.h"
#include "platform/platform.h"
#include "render/gl_graphics_port.h"
#include "render/gl_view.h"
#include "render/kept_layer.h"
#include "render/table_mesh.h"
#include "tools/bench_reference.h"
#include "tools/headless_table.h"

namespace puzzle {
namespace {

constexpr int CLIENT_WIDTH = 800;
constexpr int CLIENT_HEIGHT = 600;
// A square picture of 100 columns makes 100 rows: the 10 000-piece limit.
constexpr int PICTURE_SIDE = 1000;
constexpr std::uint32_t COLUMNS = 100;
constexpr int LARGE_PICTURE_SIDE = 4096;
constexpr std::uint32_t LARGE_COLUMNS = 99;
constexpr int MEASURED_FRAMES = 30;
// A drag frame takes well under a millisecond: many, for a steady median.
constexpr int LEAST_FRAMES = 300;

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

void MakePicture(GameState& state, int side) {
  state.imageWidth = side;
  state.imageHeight = side;
  state.frameCount = 1;
  const auto pixels = static_cast<std::size_t>(side) * side;
  state.pixels.assign(pixels * 4 + 2, 0);
  for (std::size_t i = 0; i < pixels; ++i) {
    state.pixels[i * 4] = static_cast<std::uint8_t>(i % side * 250 / side);
    state.pixels[i * 4 + 1] = static_cast<std::uint8_t>(i / side * 250 / side);
    state.pixels[i * 4 + 2] = 128;
    state.pixels[i * 4 + 3] = 255;
  }
  state.pictureOpaque = true;
  state.imageFresh = true;
}

// A game of the picture cut into `columns` started on the table, its
// scatter long enough that every measured frame falls inside it; false, and
// why printed, when it cannot be had.
bool StartGame(HeadlessTable& table, int side, std::uint32_t columns, std::uint8_t form) {
  if (!table.Open(CLIENT_WIDTH, CLIENT_HEIGHT)) {
    std::fprintf(stderr, "frame: no headless GL context: %s\n", table.Error().c_str());
    return false;
  }
  MakePicture(table.state, side);
  table.options.columns = columns;
  table.options.pendingColumns = columns;
  table.options.form = form;
  table.options.scatterSeconds = 3600;
  BenchPlatform platform;
  GlGraphicsPort graphics(table.mesh);
  History history;
  if (!StartCommand(table.state, table.table, table.options, platform, graphics, table.bars, table.shell,
                    history)) {
    std::fprintf(stderr, "frame: the game could not be started\n");
    return false;
  }
  return true;
}

// One form's game: the scatter, a piece dragged at rest, a piece turning.
int BenchForm(std::uint8_t form) {
  HeadlessTable table;
  if (!StartGame(table, PICTURE_SIDE, COLUMNS, form)) return 1;
  ReferenceBuffers reference;
  if (!reference.Build(table.state, table.options)) {
    std::fprintf(stderr, "frame: the GL has no vertex buffers\n");
    return 1;
  }
  auto report = [form](const char* what, const FrameTimes& game, const FrameTimes& ref) {
    std::printf("form %d %-20s %10.1f %10.1f %10.1f %10.1f %10.1f %10.2f\n", static_cast<int>(form), what,
                1000.0 / game.median, 1000.0 / game.p95, game.median, game.p95, ref.median,
                game.median / ref.median);
  };

  // Every piece moves on every frame of the scatter. The reference draws the
  // pieces where the scatter had them when it was made.
  const auto [scatter, scatterRef] = TimeFramesInTurn(
      MEASURED_FRAMES, [&] { table.DrawFrame(NowMs()); }, [&] { reference.Draw(table.state.stillTexture); });
  report("scatter", scatter, scatterRef);
  if (!table.state.scatterRunning) std::printf("       (the scatter ended before its last frame)\n");

  // At rest, an inner piece held, raised as the pointer raises it, and
  // dragged a little each frame.
  table.state.scatterRunning = false;
  table.state.settleRunning = false;
  const std::uint32_t held = table.state.pieceCount / 2 + COLUMNS / 2;
  table.state.selected = static_cast<std::int32_t>(held);
  table.state.pieces[held].z = static_cast<float>(RAISE_DEPTH_PICK) - TABLE_DEPTH;
  table.shell.leftButtonDown = true;
  table.DrawFrame(NowMs());
  if (!reference.Build(table.state, table.options)) return 1;
  const auto dragFrame = [&] {
    table.state.pieces[held].x += 0.002f;
    table.DrawFrame(NowMs());
  };
  const auto [drag, dragRef] =
      TimeFramesInTurn(MEASURED_FRAMES, dragFrame, [&] { reference.Draw(table.state.stillTexture); });
  report("drag at rest", drag, dragRef);
  // The least a drag frame can cost, the kept layer copied and the one piece
  // drawn, taken in turn with drag frames (after a frame of every piece the
  // first copy finds the caches cold).
  const auto [dragAlone, least] = TimeFramesInTurn(LEAST_FRAMES, dragFrame, [&] {
    CopyKeptLayer(table.layer);
    glBindTexture(GL_TEXTURE_2D, table.state.stillTexture);
    DrawTablePiece(table.mesh, held, {0, 255, 0});
  });
  std::printf("form %d %-20s %10.1f %10.1f %10.2f %10.2f %10s %10s\n", static_cast<int>(form),
              "  drag, in turn", 1000.0 / dragAlone.median, 1000.0 / dragAlone.p95, dragAlone.median,
              dragAlone.p95, "", "");
  std::printf("form %d %-20s %10s %10s %10.2f %10.2f %10s %10s  (drag / this: %.2f)\n",
              static_cast<int>(form), "  copy + one piece", "", "", least.median, least.p95, "", "",
              dragAlone.median / least.median);

  // The same piece let go and turning in the plane, a long turn so that it
  // lasts every measured frame.
  table.shell.leftButtonDown = false;
  table.state.rotationLeft = 1e6f;
  table.state.turnInPlane = true;
  const auto [turn, turnRef] = TimeFramesInTurn(
      MEASURED_FRAMES, [&] { table.DrawFrame(NowMs()); }, [&] { reference.Draw(table.state.stillTexture); });
  report("turning piece", turn, turnRef);
  return 0;
}

}  // namespace

int BenchZoom() {
  HeadlessTable table;
  // 41-pixel cells: the most pieces, short of 10 000, the picture can make.
  if (!StartGame(table, LARGE_PICTURE_SIDE, LARGE_COLUMNS, 4)) return 1;
  table.state.scatterRunning = false;
  std::printf("zoom: a %d x %d picture in %u pieces at home, %d x %d, every piece drawn again each frame\n",
              LARGE_PICTURE_SIDE, LARGE_PICTURE_SIDE, table.state.pieceCount, CLIENT_WIDTH, CLIENT_HEIGHT);
  std::size_t triangles = 0, lines = 0;
  for (const TableMesh::Span& span : table.mesh.spans) {
    triangles += span.faceIndexCount / 3;
    lines += span.edgeIndexCount / 2;
  }
  std::printf("      each piece %.0f triangles and %.0f edge lines on average\n",
              static_cast<double>(triangles) / table.state.pieceCount,
              static_cast<double>(lines) / table.state.pieceCount);
  std::printf("%-27s %10s %10s %10s %10s\n", "", "median f/s", "p95 f/s", "median ms", "p95 ms");
  auto report = [](const char* what, double zoom, const FrameTimes& t) {
    std::printf("at %5.1f %% %-17s %10.1f %10.1f %10.1f %10.1f\n", zoom * 100, what, 1000.0 / t.median,
                1000.0 / t.p95, t.median, t.p95);
  };
  for (const int command : {CMD_ZOOM_ACTUAL, CMD_WHOLE_TABLE}) {
    ZoomTable(table.table, table.state, table.options, table.bars.scrollBarThickness, command, 0, 0, false);
    UpdateScrollBars(table.state, table.table, table.bars, -1, -1, table.edges);
    const auto [game, none] = TimeFramesInTurn(
        MEASURED_FRAMES,
        [&] {
          table.layer.valid = false;
          table.DrawFrame(NowMs());
        },
        [] {});
    report("game frame", table.table.zoom, game);
    // The pieces alone, those out of view left out as the game leaves them
    // out and, in turn, every piece drawn.
    const Frustum shown = TableFrustum(table.view, table.table);
    auto pieces = [&](const Frustum* frustum) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      LoadTableProjection(table.view, table.table);
      glBindTexture(GL_TEXTURE_2D, table.state.stillTexture);
      DrawTableMesh(table.mesh, table.state.pieceCount, -1, {}, -1, frustum);
    };
    const auto [culled, every] = TimeFramesInTurn(
        MEASURED_FRAMES, [&] { pieces(&shown); }, [&] { pieces(nullptr); });
    report("pieces in view", table.table.zoom, culled);
    report("every piece", table.table.zoom, every);
    // The same pieces in view without their edge lines, and the cleared
    // frame alone: where the frame's time goes.
    const bool edges = table.mesh.edges;
    const auto [faces, cleared] = TimeFramesInTurn(
        MEASURED_FRAMES,
        [&] {
          table.mesh.edges = false;
          pieces(&shown);
          table.mesh.edges = edges;
        },
        [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });
    report("faces in view", table.table.zoom, faces);
    report("cleared frame", table.table.zoom, cleared);
  }
  return 0;
}

int BenchFrame() {
  std::printf(
      "frame: a running game, %d x %d, %u pieces; game = frames of the game's renderer as the window\n",
      CLIENT_WIDTH, CLIENT_HEIGHT, COLUMNS * COLUMNS);
  std::printf(
      "       draws them (the step of the game included); reference = all the same triangles and edge\n");
  std::printf(
      "       lines drawn from one vertex buffer, one draw each, taken in turn with the game's frames\n");
  std::printf("%-27s %10s %10s %10s %10s %10s %10s\n", "", "median f/s", "p95 f/s", "median ms", "p95 ms",
              "ref ms", "ratio");
  for (const std::uint8_t form : {std::uint8_t{1}, std::uint8_t{4}}) {
    if (const int failed = BenchForm(form)) return failed;
  }
  return 0;
}

}  // namespace puzzle
