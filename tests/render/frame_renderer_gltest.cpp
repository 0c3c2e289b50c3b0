#include "render/frame_renderer.h"

#include <GL/gl.h>

#include <cmath>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

constexpr int W = 400;
constexpr int H = 300;
constexpr float HALF_PIECE = 0.05f;

using Colour3 = std::array<std::uint8_t, 3>;
constexpr Colour3 BLACK{0, 0, 0};
constexpr Colour3 GREEN{0, 255, 0};
constexpr Colour3 RED{255, 0, 0};
constexpr Colour3 BLUE{0, 0, 255};

class FrameRendererTest : public testing::HeadlessGlTest {
 protected:
  ScrollBars bars;
  ShellInput shell;
  EdgeScrollFlags edges;
  Fonts fonts;
  FrameTiming timing;
  TableMesh mesh;
  std::uint32_t tick = 1000;

  void SetUp() override {
    OpenView(W, H);
    ASSERT_TRUE(BuildFonts(fonts, state.pixelScale));
    timing.pointerMovedAt = tick;
    options.brandedBackground = false;
    options.showFrame = false;
    options.showCentres = false;
    options.colors = {0, 0, 1, 1, 0, 0, 0, 1, 0};  // blue table, red frame, green centres
    SetClearColour(options);
  }
  void TearDown() override { DeleteFonts(fonts); }

  // Three square pieces in a row with their edges; no picture is bound, so
  // their faces show black.
  void LayPieces() {
    state.gameRunning = true;
    state.pieceCount = 3;
    state.pieces.assign(3, PiecePose{});
    state.homeX = {-0.3f, 0.0f, 0.3f};
    state.homeY = {0.1f, 0.1f, 0.1f};
    auto square = std::make_shared<PieceShape>();
    square->points = {{-HALF_PIECE, -HALF_PIECE},
                      {HALF_PIECE, -HALF_PIECE},
                      {HALF_PIECE, HALF_PIECE},
                      {-HALF_PIECE, HALF_PIECE}};
    square->triangles = {0, 1, 2, 0, 2, 3};
    square->outline = square->points;
    LayOutTableMesh(mesh, {square, square, square}, true);
    for (std::uint32_t i = 0; i < 3; ++i) {
      state.pieces[i].x = state.homeX[i];
      state.pieces[i].y = -0.1f;
      state.pieces[i].z = RestingDepth(i);
    }
  }

  // A picture whose red byte tells the row and green byte the column, both
  // halved so that they fit a byte.
  void Picture(int w, int h) {
    state.imageWidth = w;
    state.imageHeight = h;
    state.frameCount = 1;
    state.pixels.assign(static_cast<std::size_t>(w) * h * 4 + 2, 0);
    for (std::size_t at = 0; at + 2 < state.pixels.size(); at += 4) {
      state.pixels[at] = static_cast<std::uint8_t>(at / 4 / w / 2);
      state.pixels[at + 1] = static_cast<std::uint8_t>(at / 4 % w / 2);
      state.pixels[at + 3] = 255;
    }
    state.pictureOpaque = true;
    state.imageFresh = true;
  }

  std::vector<std::uint8_t> Frame() {
    FrameRecords records{state, options, view, table, bars, shell, edges, timing};
    tick += 16;
    AdvanceFrame(records, tick);
    DrawFrame(DrawingInputs(records, fonts, mesh));
    FinishFrame(records, tick);
    return context.ReadPixels();
  }

  // The pixel (column, row from the bottom) showing scene point (x, y) on the
  // plane at distance d.
  std::pair<int, int> PixelOf(double x, double y, double d = TABLE_DEPTH) const {
    const double unitsPerPixel = 2.0 * state.pixelScale * d / NEAR_PLANE;
    return {static_cast<int>(std::floor(W / 2.0 + x / unitsPerPixel)),
            static_cast<int>(std::floor(H / 2.0 + y / unitsPerPixel))};
  }

  static Colour3 Rgb(const std::vector<std::uint8_t>& rgba, std::pair<int, int> at) {
    const auto p = PixelAt(rgba, W, at.first, at.second);
    return {p[0], p[1], p[2]};
  }

  // A line through scene point (x, y) on the frame's plane shows red there
  // or one pixel further in by (dx, dy).
  bool FrameLineAt(const std::vector<std::uint8_t>& rgba, double x, double y, int dx, int dy) const {
    const auto at = PixelOf(x, y, -static_cast<double>(FRAME_DEPTH));
    return Rgb(rgba, at) == RED || Rgb(rgba, {at.first + dx, at.second + dy}) == RED;
  }

  // Pixels that are not the table's blue, within the columns [fromX, toX).
  static int Marked(const std::vector<std::uint8_t>& frame, int fromX, int toX) {
    int marked = 0;
    for (int y = 0; y < H; ++y) {
      for (int x = fromX; x < toX; ++x) marked += Rgb(frame, {x, y}) != BLUE;
    }
    return marked;
  }
};

// Whether the frame and the centres show at all, and the selection colours,
// are seen in the table references; these never scroll.
TEST_F(FrameRendererTest, PictureFrameMovesAgainstTheScroll) {
  LayPieces();
  options.showFrame = true;
  state.backHalfPicW = 0.5f;
  state.backHalfPicH = 0.4f;
  EXPECT_TRUE(FrameLineAt(Frame(), 0.5, 0.0, -1, 0));
  table.backOffsetX = 0.1f;
  const auto frame = Frame();
  EXPECT_TRUE(FrameLineAt(frame, 0.4, 0.0, -1, 0));
  EXPECT_FALSE(FrameLineAt(frame, 0.5, 0.0, -1, 0));
}

TEST_F(FrameRendererTest, FreshPictureIsShownUnscaledOrThroughTheScrolledWindow) {
  Picture(100, 60);  // in the middle of the window
  auto frame = Frame();
  const int left = W / 2 - 50, bottom = H / 2 - 30;
  EXPECT_EQ((std::array{Rgb(frame, {left, bottom}), Rgb(frame, {left + 99, bottom + 59}),
                        Rgb(frame, {left - 1, bottom}), Rgb(frame, {left, bottom + 60})}),
            (std::array{BLACK, Colour3{29, 49, 0}, BLUE, BLUE}));

  Picture(500, 400);  // 100 rows and columns more than the window
  table.thumbW = W * W / 500;
  table.thumbH = 224;  // an even scroll room of 76
  table.scrollX = W;   // clamped to the far right
  table.scrollY = -H;  // and the bottom
  UpdateScrollBars(state, table, bars, 0, 0, edges);
  ASSERT_EQ(std::pair(bars.previewSkipX, bars.previewSkipY), std::pair(100, 0));
  frame = Frame();
  EXPECT_EQ((std::array{Rgb(frame, {0, 0}), Rgb(frame, {W - 1, H - 1})}),
            (std::array{Colour3{0, 50, 0}, Colour3{149, 249, 0}}));

  table.scrollY = H;  // the top rows
  UpdateScrollBars(state, table, bars, 0, 0, edges);
  frame = Frame();
  EXPECT_EQ((std::array{Rgb(frame, {0, 0}), Rgb(frame, {W - 1, H - 1})}),
            (std::array{Colour3{50, 50, 0}, Colour3{199, 249, 0}}));
}

TEST_F(FrameRendererTest, HoveredScrollBarShowsItsColoursAndKeyCaption) {
  state.imageWidth = 500;
  state.imageHeight = 400;
  table.thumbW = 320;
  table.thumbH = 224;
  bars.scrollBarThickness = 16;
  auto pointAt = [&](std::uint16_t x, std::uint16_t y) {
    shell.cursorX = x;
    shell.cursorY = y;
    UpdateScrollBars(state, table, bars, x, y, edges);
    UpdateScrollBarColours(bars);
  };
  pointAt(W - 11, H / 2);  // the vertical thumb: green, and no caption
  ASSERT_TRUE(bars.vertical.hover[ScrollBar::THUMB]);
  auto frame = Frame();
  EXPECT_EQ(Rgb(frame, {W - 11, H / 2}), GREEN);
  EXPECT_EQ(Marked(frame, 0, W - 40), 0);
  EXPECT_EQ(Rgb(frame, {W / 2, 8}), BLUE);  // no horizontal bar

  pointAt(W - 11, 270);  // page-down button: "Page Down", fading
  ASSERT_TRUE(bars.vertical.hover[ScrollBar::PAGE_FORWARD]);
  EXPECT_GT(Marked(Frame(), 0, W - 40), 20);
  EXPECT_LT(bars.vertical.captionOpacity[ScrollBar::PAGE_FORWARD], 255);

  pointAt(W / 2, H / 2);  // off the bar nothing is drawn
  EXPECT_EQ(Rgb(Frame(), {W - 11, H / 2}), BLUE);
}

// The hint over the pieces is compared in the Prompt table reference; the
// frame also counts the hint's hold down.
TEST_F(FrameRendererTest, EachFrameCountsThePromptsHoldDown) {
  LayPieces();
  state.promptShowing = true;
  state.promptAlpha = 1.0f;
  state.promptHold = 50.0f;
  Frame();
  EXPECT_EQ(state.promptHold, 49.0f);
}

}  // namespace
}  // namespace puzzle
