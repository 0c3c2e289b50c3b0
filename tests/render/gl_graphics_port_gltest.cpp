#include "render/gl_graphics_port.h"

#include <GL/gl.h>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

class GlGraphicsPortTest : public testing::HeadlessGlTest {
 protected:
  GlGraphicsPort port;
};

TEST_F(GlGraphicsPortTest, CaptureReadsTheFrameBottomRowFirst) {
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
  EXPECT_EQ(PixelAt(state.pixels, 120, 119, 0), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
  EXPECT_EQ(PixelAt(state.pixels, 120, 0, 89), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));
  EXPECT_EQ(PixelAt(state.pixels, 120, 60, 45), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST_F(GlGraphicsPortTest, DepthOfTheTablePlaneIsWhatTheProjectionPredicts) {
  OpenView(200, 200);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glBegin(GL_QUADS);
  glVertex3f(-1, -1, -TABLE_DEPTH);
  glVertex3f(1, -1, -TABLE_DEPTH);
  glVertex3f(1, 1, -TABLE_DEPTH);
  glVertex3f(-1, 1, -TABLE_DEPTH);
  glEnd();
  const double n = NEAR_PLANE, f = FAR_PLANE, z = TABLE_DEPTH;
  const double expected = (f / (f - n)) * (1 - n / z);
  EXPECT_NEAR(port.ReadDepth(100, 100), expected, 1e-5);
  EXPECT_NEAR(port.ReadDepth(100, 100), 0.587648, 1e-5);
  EXPECT_EQ(port.ReadDepth(0, 0), 1.0f) << "a corner outside the quad keeps the cleared depth";
}

}  // namespace
}  // namespace puzzle
