#include <GL/gl.h>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

using testing::HeadlessGlTest;

class BackgroundFanTest : public HeadlessGlTest {
 protected:
  // Clears to a colour the star never uses and draws it once.
  std::vector<std::uint8_t> DrawStar() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    view.fanColours = {Rgb8{255, 255, 255}, Rgb8{255, 255, 255}, Rgb8{255, 255, 255}};
    DrawBackgroundStar(view);
    return context.ReadPixels();
  }

  void ExpectCoversEveryPixel(const std::vector<std::uint8_t>& rgba, int width, int height) {
    int uncovered = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (PixelAt(rgba, width, x, y)[0] == 0) ++uncovered;
      }
    }
    EXPECT_EQ(uncovered, 0) << width << " x " << height;
    for (auto [x, y] : {std::pair{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}}) {
      EXPECT_EQ(PixelAt(rgba, width, x, y)[0], 255) << "corner " << x << ", " << y;
    }
  }
};

TEST_F(BackgroundFanTest, StarCoversTheWholeViewportCornersIncluded) {
  OpenView(800, 600);
  ExpectCoversEveryPixel(DrawStar(), 800, 600);
}

TEST_F(BackgroundFanTest, StarFollowsAResizeBeyondTheCreationSize) {
  OpenView(300, 400);
  ASSERT_TRUE(context.Resize(640, 200));
  state.clientWidth = 640;
  state.clientHeight = 200;
  ResizeGL(state, view);
  ExpectCoversEveryPixel(DrawStar(), 640, 200);
}

}  // namespace
}  // namespace puzzle
