#include "render/frame_renderer.h"

#include <GL/gl.h>

#include <cmath>

#include "render/textures.h"
#include "support/headless_gl.h"

namespace puzzle {
namespace {

using testing::HeadlessGlTest;

constexpr int W = 400;
constexpr int H = 300;
constexpr float HALF_PIECE = 0.05f;

class FrameRendererTest : public HeadlessGlTest {
 protected:
  ScrollBars bars;
  ShellInput shell;
  EdgeScrollFlags edges;
  Fonts fonts;
  FrameTiming timing;
  std::uint32_t tick = 1000;

  void SetUp() override {
    OpenView(W, H);
    options.brandedBackground = false;
    options.showFrame = false;
    options.showCentres = false;
    options.colors = {0, 0, 1, 1, 0, 0, 0, 1, 0};  // blue table, red frame, green centres
    SetClearColour(options);
  }

  // Three pieces in a row whose lists fill a small square in the current
  // colour, as the real lists draw their outlines.
  void LayPieces() {
    state.gameRunning = true;
    state.pieceCount = 3;
    state.pieces.assign(3, PiecePose{});
    state.homeX = {-0.3f, 0.0f, 0.3f};
    state.homeY = {0.1f, 0.1f, 0.1f};
    state.pieceListBase = glGenLists(3);
    for (std::uint32_t i = 0; i < 3; ++i) {
      state.pieces[i].x = state.homeX[i];
      state.pieces[i].y = -0.1f;
      state.pieces[i].z = RestingDepth(i);
      glNewList(state.pieceListBase + i, GL_COMPILE);
      glBegin(GL_QUADS);
      glVertex3f(-HALF_PIECE, -HALF_PIECE, 0);
      glVertex3f(HALF_PIECE, -HALF_PIECE, 0);
      glVertex3f(HALF_PIECE, HALF_PIECE, 0);
      glVertex3f(-HALF_PIECE, HALF_PIECE, 0);
      glEnd();
      glEndList();
    }
  }

  std::vector<std::uint8_t> Frame() {
    FrameRecords records{state, options, view, bars, shell, edges, fonts, timing};
    tick += 16;
    RenderFrame(records, tick);
    return context.ReadPixels();
  }

  // The pixel (column, row from the bottom) showing scene point (x, y) on the
  // plane at distance d.
  std::pair<int, int> PixelOf(double x, double y, double d) const {
    const double unitsPerPixel = 2.0 * state.pixelScale * d / NEAR_PLANE;
    return {static_cast<int>(std::floor(W / 2.0 + x / unitsPerPixel)),
            static_cast<int>(std::floor(H / 2.0 + y / unitsPerPixel))};
  }

  std::array<std::uint8_t, 3> Rgb(const std::vector<std::uint8_t>& rgba, std::pair<int, int> at) const {
    const auto p = PixelAt(rgba, W, at.first, at.second);
    return {p[0], p[1], p[2]};
  }
};

using Colour3 = std::array<std::uint8_t, 3>;
constexpr Colour3 BLACK{0, 0, 0};
constexpr Colour3 YELLOW{255, 255, 0};
constexpr Colour3 GREEN{0, 255, 0};
constexpr Colour3 RED{255, 0, 0};
constexpr Colour3 BLUE{0, 0, 255};

TEST_F(FrameRendererTest, PiecesAreDrawnAtTheirPosesInTheirSelectionColours) {
  LayPieces();
  state.selected = 1;
  auto frame = Frame();
  EXPECT_EQ(Rgb(frame, PixelOf(-0.3, -0.1, TABLE_DEPTH)), BLACK);
  EXPECT_EQ(Rgb(frame, PixelOf(0.0, -0.1, TABLE_DEPTH)), YELLOW);
  EXPECT_EQ(Rgb(frame, PixelOf(0.3, -0.1, TABLE_DEPTH)), BLACK);
  // Beside the pieces the table shows.
  EXPECT_EQ(Rgb(frame, PixelOf(0.15, -0.1, TABLE_DEPTH)), BLUE);
  EXPECT_EQ(Rgb(frame, PixelOf(0.0, 0.1, TABLE_DEPTH)), BLUE);

  shell.leftButtonDown = true;
  state.pieces[2].x = -0.15f;
  frame = Frame();
  EXPECT_EQ(Rgb(frame, PixelOf(0.0, -0.1, TABLE_DEPTH)), GREEN);
  EXPECT_EQ(Rgb(frame, PixelOf(-0.15, -0.1, TABLE_DEPTH)), BLACK);
  EXPECT_EQ(Rgb(frame, PixelOf(0.3, -0.1, TABLE_DEPTH)), BLUE);
}

TEST_F(FrameRendererTest, CentresAndPictureFrameFollowTheirOptions) {
  LayPieces();
  state.backHalfPicW = 0.5f;
  state.backHalfPicH = 0.4f;
  const double frameDistance = -static_cast<double>(FRAME_DEPTH);
  auto frame = Frame();
  EXPECT_EQ(Rgb(frame, PixelOf(0.3, 0.1, TABLE_DEPTH)), BLUE);
  EXPECT_EQ(Rgb(frame, PixelOf(0.0, 0.4, frameDistance)), BLUE);

  options.showCentres = true;
  options.showFrame = true;
  frame = Frame();
  for (const float x : state.homeX) {
    EXPECT_EQ(Rgb(frame, PixelOf(x, 0.1, TABLE_DEPTH)), GREEN) << x;
  }
  // The frame's top and right sides, and nothing inside it.
  const auto top = PixelOf(0.0, 0.4, frameDistance);
  const bool topDrawn = Rgb(frame, top) == RED || Rgb(frame, {top.first, top.second - 1}) == RED;
  EXPECT_TRUE(topDrawn);
  const auto right = PixelOf(0.5, 0.0, frameDistance);
  const bool rightDrawn = Rgb(frame, right) == RED || Rgb(frame, {right.first - 1, right.second}) == RED;
  EXPECT_TRUE(rightDrawn);
  EXPECT_EQ(Rgb(frame, PixelOf(0.2, 0.3, frameDistance)), BLUE);

  // Scrolled, the frame moves against the scroll.
  state.backOffsetX = 0.1f;
  frame = Frame();
  const auto shifted = PixelOf(0.4, 0.0, frameDistance);
  const bool shiftedDrawn =
      Rgb(frame, shifted) == RED || Rgb(frame, {shifted.first - 1, shifted.second}) == RED;
  EXPECT_TRUE(shiftedDrawn);
}

TEST_F(FrameRendererTest, TurnAndScatterAdvanceOneStepPerFrame) {
  LayPieces();
  state.selected = 0;
  state.rotationLeft = 90.0f;
  state.turnInPlane = true;
  state.scatterRunning = true;
  state.scatterClockReset = true;
  options.gameRotate = false;
  options.scatterSeconds = 10;
  state.scatterVX = {0.01f, 0.0f, 0.0f};
  state.scatterVY = {0.0f, 0.0f, 0.0f};
  state.angles = {0.0f, 0.0f, 0.0f};
  state.halfCellW = 0.05f;
  state.halfCellH = 0.05f;
  Frame();
  EXPECT_EQ(state.rotationLeft, 90.0f - options.angleStep);
  EXPECT_FLOAT_EQ(state.pieces[0].x, -0.29f);
  EXPECT_FALSE(state.scatterClockReset);

  // Without a game nothing turns, but the scatter clock still runs.
  state.gameRunning = false;
  Frame();
  EXPECT_EQ(state.rotationLeft, 90.0f - options.angleStep);
}

class PreviewFrameTest : public FrameRendererTest {
 protected:
  // A picture whose red byte tells the row and green byte the column, both
  // halved so that they fit a byte.
  void Picture(int w, int h) {
    state.imageWidth = w;
    state.imageHeight = h;
    state.frameCount = 1;
    state.pixels.assign(static_cast<std::size_t>(w) * h * 4 + 2, 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::size_t at = (static_cast<std::size_t>(y) * w + x) * 4;
        state.pixels[at] = static_cast<std::uint8_t>(y / 2);
        state.pixels[at + 1] = static_cast<std::uint8_t>(x / 2);
        state.pixels[at + 3] = 255;
      }
    }
    state.imageFresh = true;
  }
};

TEST_F(PreviewFrameTest, SmallPictureIsShownUnscaledInTheMiddle) {
  Picture(100, 60);
  const auto frame = Frame();
  const int left = W / 2 - 50;
  const int bottom = H / 2 - 30;
  EXPECT_EQ(Rgb(frame, {left, bottom}), (Colour3{0, 0, 0}));
  EXPECT_EQ(Rgb(frame, {left + 99, bottom + 59}), (Colour3{29, 49, 0}));
  EXPECT_EQ(Rgb(frame, {left - 1, bottom}), BLUE);
  EXPECT_EQ(Rgb(frame, {left, bottom + 60}), BLUE);
}

TEST_F(PreviewFrameTest, LargePictureShowsTheRowsAndColumnsTheScrollChose) {
  Picture(500, 400);  // 100 rows and columns more than the window
  state.thumbW = W * W / 500;
  state.thumbH = 224;  // an even scroll room of 76
  state.scrollX = W;   // clamped to the far right
  state.scrollY = -H;  // and the bottom
  UpdateScrollBars(state, bars, 0, 0, edges);
  ASSERT_EQ(bars.previewSkipX, 100);
  ASSERT_EQ(bars.previewSkipY, 0);
  auto frame = Frame();
  EXPECT_EQ(Rgb(frame, {0, 0}), (Colour3{0, 50, 0}));
  EXPECT_EQ(Rgb(frame, {W - 1, H - 1}), (Colour3{149, 249, 0}));

  state.scrollY = H;  // the top rows
  UpdateScrollBars(state, bars, 0, 0, edges);
  frame = Frame();
  EXPECT_EQ(Rgb(frame, {0, 0}), (Colour3{50, 50, 0}));
  EXPECT_EQ(Rgb(frame, {W - 1, H - 1}), (Colour3{199, 249, 0}));
}

TEST_F(FrameRendererTest, HoveredScrollBarIsDrawnWithItsColours) {
  state.imageWidth = 500;
  state.imageHeight = 400;
  state.thumbW = 320;
  state.thumbH = 225;
  bars.scrollBarThickness = 16;
  shell.cursorX = W - 11;
  shell.cursorY = H / 2;  // on the vertical thumb
  UpdateScrollBars(state, bars, shell.cursorX, shell.cursorY, edges);
  UpdateScrollBarColours(bars);
  ASSERT_TRUE(bars.vertical.hover[ScrollBar::THUMB]);
  auto frame = Frame();
  EXPECT_EQ(Rgb(frame, {W - 11, H / 2}), GREEN);
  EXPECT_EQ(Rgb(frame, {W / 2, H / 2}), BLUE);
  EXPECT_EQ(Rgb(frame, {W / 2, 8}), BLUE);  // no horizontal bar

  // A held upper track scrolls one pixel per frame while drawn.
  bars.vertical.pressed[ScrollBar::TRACK_BEFORE] = true;
  Frame();
  Frame();
  EXPECT_EQ(state.scrollY, 2);

  // Off the bar nothing is drawn.
  shell.cursorX = W / 2;
  UpdateScrollBars(state, bars, shell.cursorX, shell.cursorY, edges);
  frame = Frame();
  EXPECT_EQ(Rgb(frame, {W - 11, H / 2}), BLUE);
}

}  // namespace
}  // namespace puzzle

namespace puzzle {
namespace {

class FrameTextTest : public FrameRendererTest {
 protected:
  void SetUp() override {
    FrameRendererTest::SetUp();
    ASSERT_TRUE(BuildFonts(fonts, state.pixelScale));
  }
  void TearDown() override { DeleteFonts(fonts); }

  // Pixels of the frame that are not the table's blue, within the columns
  // [fromX, toX).
  int Marked(const std::vector<std::uint8_t>& frame, int fromX, int toX) const {
    int marked = 0;
    for (int y = 0; y < H; ++y) {
      for (int x = fromX; x < toX; ++x) {
        if (Rgb(frame, {x, y}) != BLUE) ++marked;
      }
    }
    return marked;
  }
};

TEST_F(FrameTextTest, KeyCaptionShowsBesideTheBarAndFades) {
  state.imageWidth = 500;
  state.imageHeight = 400;
  state.thumbW = 320;
  state.thumbH = 224;
  timing.idleFrames = 0;
  shell.cursorX = W - 11;
  shell.cursorY = H / 2;  // thumb: no caption
  UpdateScrollBars(state, bars, shell.cursorX, shell.cursorY, edges);
  EXPECT_EQ(Marked(Frame(), 0, W - 40), 0);

  shell.cursorY = 270;  // page-down button: "Page Down"
  UpdateScrollBars(state, bars, shell.cursorX, shell.cursorY, edges);
  ASSERT_TRUE(bars.vertical.hover[ScrollBar::PAGE_FORWARD]);
  EXPECT_GT(Marked(Frame(), 0, W - 40), 20);
  EXPECT_LT(bars.vertical.captionOpacity[ScrollBar::PAGE_FORWARD], 255);
}

TEST_F(FrameTextTest, BrandedCaptionAfterALongIdleTime) {
  timing.idleFrames = 0;
  EXPECT_EQ(Marked(Frame(), 0, W), 0);
  timing.idleFrames = CAPTION_IDLE_FRAMES;
  EXPECT_GT(Marked(Frame(), 0, W), 100);
  timing.idleFrames = 0;  // the pointer moved
  EXPECT_EQ(Marked(Frame(), 0, W), 0);
}

TEST_F(FrameRendererTest, PromptShowsThePictureOverThePiecesAndStartsItsHold) {
  LayPieces();
  state.imageWidth = 64;
  state.imageHeight = 64;
  state.frameCount = 1;
  state.pixels.assign(64 * 64 * 4 + 2, 0);
  for (std::size_t i = 0; i < 64 * 64; ++i) {
    state.pixels[i * 4] = 255;
    state.pixels[i * 4 + 3] = 255;
  }
  ASSERT_TRUE(UploadPictureTexture(state));
  state.halfPicW = 0.4f;
  state.halfPicH = 0.3f;
  state.promptShowing = true;
  state.promptAlpha = 1.0f;
  state.promptHold = 50.0f;
  auto frame = Frame();
  EXPECT_EQ(Rgb(frame, PixelOf(0.0, -0.1, TABLE_DEPTH)), RED);
  EXPECT_EQ(Rgb(frame, PixelOf(0.0, 0.35, TABLE_DEPTH)), BLUE);
  EXPECT_EQ(state.promptHold, 49.0f);

  state.promptShowing = false;
  frame = Frame();
  EXPECT_EQ(Rgb(frame, PixelOf(0.0, -0.1, TABLE_DEPTH)), BLACK);
}

}  // namespace
}  // namespace puzzle
