#include "render/gl_graphics_port.h"

#include <GL/gl.h>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

// Reading depths back is what picking on a real depth buffer runs on.
using GlGraphicsPortTest = testing::HeadlessGlTest;

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
  GlGraphicsPort port;
  ASSERT_TRUE(port.CaptureFrame(state));
  ASSERT_EQ(state.pixels.size(), 120u * 90u * 4u);
  EXPECT_EQ(PixelAt(state.pixels, 120, 119, 0), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
  EXPECT_EQ(PixelAt(state.pixels, 120, 0, 89), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));
  EXPECT_EQ(PixelAt(state.pixels, 120, 60, 45), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace puzzle
