#include <GL/gl.h>

#include "game/home_layout.h"
#include "game/picking.h"
#include "render/gl_graphics_port.h"
#include "support/headless_gl.h"
#include "support/scripted_platform.h"
#include "view/unproject.h"

namespace puzzle {
namespace {

using Rgba = std::array<std::uint8_t, 4>;

class GlViewTest : public testing::HeadlessGlTest {
 protected:
  TableMesh mesh;
  GlGraphicsPort port{mesh};

  // Draws the star in white over black, once, and expects every pixel of the
  // client lit, corners included.
  void ExpectStarCoversTheClient() {
    const int width = table.clientWidth, height = table.clientHeight;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    view.fanColours = {Rgb8{255, 255, 255}, Rgb8{255, 255, 255}, Rgb8{255, 255, 255}};
    DrawBackgroundStar(view);
    const std::vector<std::uint8_t> rgba = context.ReadPixels();
    int uncovered = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) uncovered += PixelAt(rgba, width, x, y)[0] != 255;
    }
    EXPECT_EQ(uncovered, 0) << width << " x " << height;
  }
};

TEST_F(GlViewTest, StarCoversTheWholeViewportAlsoAfterAResizeBeyondTheCreationSize) {
  OpenView(800, 600);
  ExpectStarCoversTheClient();
  ASSERT_TRUE(context.Resize(1000, 200));
  SetClientSize(table, 1000, 200);
  ResizeGL(state, table, view);
  ExpectStarCoversTheClient();
}

// The depth bits are those of the framebuffer the table is drawn into. With
// an old card's 16 bits the player is warned on the first run, and a hover
// selects by distance without reading the depth buffer (it is never drawn
// here) and raises the piece by the distance-picking step.
TEST_F(GlViewTest, SixteenDepthBitsPickByDistanceAndWarnOnTheFirstRun) {
  using Depth = HeadlessContext::DepthFormat;
  for (const Depth depth : {Depth::Bits24, Depth::Bits16}) {
    const bool low = depth == Depth::Bits16;
    OpenView(400, 300, depth);
    EXPECT_EQ(context.DepthBits() <= 16, low);
    options.firstRun = false;
    EXPECT_FALSE(CheckDepthPrecision(view, options));
    options.firstRun = true;
    EXPECT_EQ(CheckDepthPrecision(view, options), low);
    EXPECT_EQ(view.lowDepthPrecision, low);
  }

  state.imageWidth = 200;
  state.imageHeight = 100;
  options.columns = 4;
  ASSERT_TRUE(LayOutOnHomes(state, options));
  state.gameRunning = true;
  ShellInput shell;
  PickingState picking;
  ScrollBars bars;
  History history;
  PointerRecords records{state, options, view, table, shell, picking, bars, history};
  testing::ScriptedPlatform platform;
  const double k = 2.0 * TABLE_DEPTH * state.pixelScale / NEAR_PLANE;
  for (const std::uint32_t piece : {5u, 2u}) {
    const PiecePose& pose = state.pieces[piece];
    OnMouseMove(records, platform, port, static_cast<int>(200 + pose.x / k),
                static_cast<int>(150 - pose.y / k));
    EXPECT_EQ(state.selected, static_cast<std::int32_t>(piece));
    EXPECT_EQ(state.pieces[piece].z, static_cast<float>(RAISE_DISTANCE_PICK - TABLE_DEPTH));
  }
  EXPECT_EQ(state.pieces[5].z, RestingDepth(5));
}

// Picking unprojects by the depth model; the real depth buffer must agree.
TEST_F(GlViewTest, DepthOfTheTablePlaneIsWhatTheProjectionPredicts) {
  OpenView(200, 200);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glTranslatef(0, 0, -TABLE_DEPTH);
  glRectf(-1, -1, 1, 1);
  EXPECT_NEAR(port.ReadDepth(100, 100), WindowDepthOf(ResizedFrustum(view, 200, 200), -TABLE_DEPTH), 1e-5);
  EXPECT_EQ(port.ReadDepth(0, 0), 1.0f) << "a corner outside the quad keeps the cleared depth";
}

// The colour capture a game on the screen starts from.
TEST_F(GlViewTest, CaptureReadsTheFrameBottomRowFirst) {
  OpenView(120, 90);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // A red bottom row and a green left column mark the orientation.
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 120, 1);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glScissor(0, 1, 1, 89);
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);

  state.imageWidth = 120;
  state.imageHeight = 90;
  ASSERT_TRUE(port.CaptureFrame(state));
  ASSERT_EQ(state.pixels.size(), 120u * 90u * 4u);
  EXPECT_EQ(PixelAt(state.pixels, 120, 119, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(PixelAt(state.pixels, 120, 0, 89), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(PixelAt(state.pixels, 120, 60, 45), (Rgba{0, 0, 0, 0}));
}

}  // namespace
}  // namespace puzzle
