#include "render/fonts.h"

#include <GL/gl.h>

#include <algorithm>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

// Wide enough for the whole branded caption at its fixed size on the screen.
constexpr int W = 800;
constexpr int H = 256;

// The box of the lit pixels of a frame drawn over black.
struct Ink {
  int left = W, right = -1, bottom = H, top = -1;
};

class FontsTest : public testing::HeadlessGlTest {
 protected:
  Fonts fonts;

  void SetUp() override {
    OpenView(W, H);
    ASSERT_TRUE(BuildFonts(fonts, state.pixelScale));
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  void TearDown() override { DeleteFonts(fonts); }

  // Plain 2D drawing in [0, 1] x [0, 1] without depth.
  static void UseUnitSquare() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glColor3ub(255, 255, 255);
  }

  Ink InkOf(const std::vector<std::uint8_t>& pixels) const {
    Ink ink;
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        if (PixelAt(pixels, W, x, y)[0] == 0) continue;
        ink = {std::min(ink.left, x), std::max(ink.right, x), std::min(ink.bottom, y), std::max(ink.top, y)};
      }
    }
    return ink;
  }
};

TEST_F(FontsTest, OutlineGlyphKeepsItsHoleOpen) {
  UseUnitSquare();
  const GlyphMetrics& o = fonts.glyphMetrics['O' - 32];
  const float scale = 0.8f / std::max(o.blackBoxX, o.blackBoxY);
  glTranslatef(0.1f - o.originX * scale, 0.1f, 0.0f);
  glScalef(scale, scale, 1.0f);  // stretched by W / H on the screen, which changes no topology
  PrintOutlineText(fonts, "O");
  const auto pixels = context.ReadPixels();
  auto at = [&](float emX, float emY) {
    const float x = 0.1f + (emX - o.originX) * scale, y = 0.1f + emY * scale;
    return PixelAt(pixels, W, static_cast<int>(x * W), static_cast<int>(y * H))[0];
  };
  const float midY = o.originY - o.blackBoxY / 2;
  EXPECT_EQ(at(o.originX + o.blackBoxX / 2, midY), 0) << "the counter of the O is filled";
  EXPECT_EQ(at(o.originX + 0.03f, midY), 255) << "the left stroke is missing";
  EXPECT_EQ(at(o.originX + o.blackBoxX - 0.03f, midY), 255) << "the right stroke is missing";
}

// On a screen of two device pixels per logical pixel the glyphs are made
// for a cell twice as tall, not drawn from the small ones.
TEST_F(FontsTest, BitmapTextFitsItsSixteenPixelCellInLogicalPixels) {
  for (const int ratio : {1, 2}) {
    ASSERT_TRUE(BuildFonts(fonts, state.pixelScale, ratio));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    UseUnitSquare();
    glRasterPos2f(0.1f, 0.5f);
    PrintBitmapText(fonts, "Page Up");
    const Ink ink = InkOf(context.ReadPixels());
    ASSERT_GE(ink.top, 0) << "nothing was drawn";
    EXPECT_LE(ink.top - ink.bottom + 1, 16 * ratio) << ratio;
    EXPECT_GT(ink.top - ink.bottom + 1, 12 * ratio) << ratio;
    EXPECT_LT(ink.bottom, 128) << "the descender of g reaches below the baseline";
    EXPECT_GE(ink.top, 128 + 8 * ratio) << ratio;
    EXPECT_GE(ink.left, W / 10);
    EXPECT_GT(ink.right - ink.left, 30 * ratio) << ratio;
  }
}

TEST_F(FontsTest, BrandedCaptionIsCentredOnTheScreen) {
  glLoadIdentity();
  view.fanColours = {Rgb8{255, 255, 255}, Rgb8{255, 255, 255}, Rgb8{255, 255, 255}};
  DrawBrandedCaption(fonts, view);
  const Ink ink = InkOf(context.ReadPixels());
  ASSERT_GE(ink.right, 0) << "nothing was drawn";
  EXPECT_GT(ink.left, 0) << "the caption is cut at the left";
  EXPECT_LT(ink.right, W - 1) << "the caption is cut at the right";
  // Each glyph moves on by its cell increment, and the measured width centres it.
  EXPECT_GT(ink.right - ink.left, W / 2) << "the glyphs are drawn over one another";
  EXPECT_NEAR(ink.left + ink.right, W - 1, 16) << ink.left << " .. " << ink.right;
  EXPECT_NEAR(ink.top + ink.bottom, H - 1, 16) << ink.bottom << " .. " << ink.top;
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.0f) << "the caption left the matrix moved";
}

}  // namespace
}  // namespace puzzle
