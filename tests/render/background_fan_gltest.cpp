#include <GL/gl.h>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

class BackgroundFanTest : public testing::HeadlessGlTest {
 protected:
  // Draws the star in white over black, once, and expects every pixel of the
  // client lit, corners included.
  void ExpectStarCoversTheClient() {
    const int width = state.clientWidth, height = state.clientHeight;
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

TEST_F(BackgroundFanTest, StarCoversTheWholeViewportAlsoAfterAResizeBeyondTheCreationSize) {
  OpenView(800, 600);
  ExpectStarCoversTheClient();
  ASSERT_TRUE(context.Resize(1000, 200));
  state.clientWidth = 1000;
  state.clientHeight = 200;
  ResizeGL(state, view);
  ExpectStarCoversTheClient();
}

}  // namespace
}  // namespace puzzle
