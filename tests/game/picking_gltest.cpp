// Start and picking on a real depth buffer: the pieces are cut and drawn by
// the game's own texture, piece lists and frame renderer, and the pointer
// finds them through the depth read back from the frame.
#include <gtest/gtest.h>

#include <cmath>

#include "game/new_game.h"
#include "game/picking.h"
#include "render/frame_renderer.h"
#include "render/gl_graphics_port.h"
#include "support/headless_gl.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

constexpr int W = 400;
constexpr int H = 300;

class PickingOnGlTest : public testing::HeadlessGlTest {
 protected:
  void SetUp() override {
    OpenView(W, H);
    options.brandedBackground = false;
    options.columns = 6;
    state.maxTextureSize = 2048;
    // A 240 x 160 picture: cells of 40 px, 6 x 4 pieces.
    state.imageWidth = 240;
    state.imageHeight = 160;
    state.pixels.assign(240u * 160u * 4u, 0);
    for (std::size_t i = 0; i < state.pixels.size(); i += 4) {
      state.pixels[i] = static_cast<std::uint8_t>(i % 251);
      state.pixels[i + 3] = 255;
    }
    state.imageFresh = true;
    ASSERT_TRUE(StartCommand(state, options, platform, port, bars, shell));
    ASSERT_EQ(state.pieceCount, 24u);
    // The pieces stay on their homes: no scatter.
    state.scatterRunning = false;
    Frame();
  }

  void Frame() {
    FrameRecords frame{state, options, view, bars, shell, picking.edges, fonts, timing};
    tick += 16;
    RenderFrame(frame, tick);
  }

  double Pixel() const { return 2.0 * TABLE_DEPTH * state.pixelScale / NEAR_PLANE; }
  int ClientX(double x) const { return static_cast<int>(std::lround(W / 2.0 + x / Pixel())); }
  int ClientY(double y) const { return static_cast<int>(std::lround(H / 2.0 - y / Pixel())); }

  // Moves the pointer over the table point (x, y) and draws the next frame,
  // as the window does between events.
  void Hover(double x, double y) {
    OnMouseMove(records, platform, port, ClientX(x), ClientY(y));
    Frame();
  }
  void HoverHome(std::uint32_t k) { Hover(state.homeX[k], state.homeY[k]); }

  testing::ScriptedPlatform platform;
  GlGraphicsPort port;
  ScrollBars bars;
  ShellInput shell;
  PickingState picking;
  History history;
  Fonts fonts;
  FrameTiming timing;
  std::uint32_t tick = 1000;
  PointerRecords records{state, options, view, shell, picking, bars, history};
};

TEST_F(PickingOnGlTest, EveryPieceIsFoundUnderThePointer) {
  for (std::uint32_t k : {0u, 5u, 9u, 18u, 23u, 0u}) {
    HoverHome(k);
    EXPECT_EQ(state.selected, static_cast<std::int32_t>(k));
    EXPECT_EQ(state.pieces[k].z, static_cast<float>(RAISE_DEPTH_PICK - TABLE_DEPTH));
  }
  // Only one piece is raised at a time.
  for (std::uint32_t k = 1; k < state.pieceCount; ++k) {
    EXPECT_EQ(state.pieces[k].z, RestingDepth(k)) << k;
  }
}

TEST_F(PickingOnGlTest, OverlappingPiecesGiveTheOneOnTop) {
  // Piece 7 half over piece 8: the lower index lies on top.
  state.pieces[7].x = (state.homeX[7] + state.homeX[8]) / 2;
  Frame();
  Hover(state.homeX[8] - state.halfCellW / 2, state.homeY[8]);
  EXPECT_EQ(state.selected, 7);
  // Beyond piece 7's edge piece 8 shows.
  Hover(state.homeX[8] + state.halfCellW * 0.8, state.homeY[8]);
  EXPECT_EQ(state.selected, 8);
}

TEST_F(PickingOnGlTest, DraggedPieceFollowsThePointerAndIsRecorded) {
  HoverHome(2);
  ASSERT_EQ(state.selected, 2);
  const float startX = state.pieces[2].x;
  const float startY = state.pieces[2].y;
  const int x0 = ClientX(state.homeX[2]);
  const int y0 = ClientY(state.homeY[2]);

  OnLeftButtonDown(records, platform);
  for (int step = 1; step <= 10; ++step) {
    OnMouseMove(records, platform, port, x0 + 7 * step, y0 - 3 * step);
    Frame();
  }
  OnLeftButtonUp(records, platform, port);
  Frame();

  EXPECT_NEAR(state.pieces[2].x - startX, 70 * Pixel(), 0.5 * Pixel());
  EXPECT_NEAR(state.pieces[2].y - startY, 30 * Pixel(), 0.5 * Pixel());
  ASSERT_EQ(history.undoHistory.size(), 1u);
  EXPECT_EQ(history.undoHistory[0].piece, 2);
  EXPECT_EQ(history.undoHistory[0].a, startX);
  EXPECT_EQ(history.undoHistory[0].b, startY);

  // The raised piece keeps the selection where it now lies; its old place
  // is the background and selects nothing else.
  Hover(state.pieces[2].x, state.pieces[2].y);
  EXPECT_EQ(state.selected, 2);
  Hover(startX, startY - state.halfCellH / 2);
  EXPECT_EQ(state.selected, 2);
  EXPECT_EQ(picking.cursorDepth, 1.0f);
}

}  // namespace
}  // namespace puzzle
