#include "render/fonts.h"

#include <GL/gl.h>

#include <algorithm>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

// Wide enough for the whole branded caption at its fixed size on the screen.
constexpr int W = 800;
constexpr int H = 256;

class FontsTest : public testing::HeadlessGlTest {
 protected:
  Fonts fonts;

  void SetUp() override {
    OpenView(W, H);
    ASSERT_TRUE(BuildFonts(fonts, state.pixelScale));
  }
  void TearDown() override { DeleteFonts(fonts); }

  // Plain 2D drawing in [0, 1] x [0, 1] over a black, depth-free frame.
  static void UseUnitSquare() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3ub(255, 255, 255);
  }
};

TEST_F(FontsTest, EveryCodeHasAListInBothFonts) {
  for (int k = 0; k < FONT_GLYPHS; ++k) {
    EXPECT_TRUE(glIsList(fonts.bitmapFontBase + static_cast<GLuint>(k))) << "bitmap " << k + 32;
    EXPECT_TRUE(glIsList(fonts.outlineFontBase + static_cast<GLuint>(k))) << "outline " << k + 32;
  }
  EXPECT_FALSE(fonts.bitmapFontFile.empty());
  EXPECT_FALSE(fonts.outlineFontFile.empty());
}

TEST_F(FontsTest, CaptionWidthIsTheSumOfItsCellIncrements) {
  float sum = 0;
  for (char ch : CAPTION_TEXT) sum += fonts.glyphMetrics[static_cast<std::size_t>(ch - 32)].cellIncX;
  EXPECT_EQ(fonts.captionWidth, sum);
  // Glyphs are measured in em units: an upper-case letter is well under one em.
  const GlyphMetrics& w = fonts.glyphMetrics['W' - 32];
  EXPECT_GT(w.cellIncX, 0.5f);
  EXPECT_LT(w.cellIncX, 1.2f);
  EXPECT_GT(w.blackBoxY, 0.5f);
  EXPECT_LT(w.blackBoxY, 1.0f);
  EXPECT_EQ(fonts.captionScale, static_cast<float>(96 * state.pixelScale));
  EXPECT_FLOAT_EQ(fonts.captionOrigin[1], static_cast<float>(-48 * state.pixelScale * w.blackBoxY));
}

TEST_F(FontsTest, OutlineListAdvancesByTheCellIncrement) {
  glLoadIdentity();
  PrintOutlineText(fonts, "AV");
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_FLOAT_EQ(m[12], fonts.glyphMetrics['A' - 32].cellIncX + fonts.glyphMetrics['V' - 32].cellIncX);
  EXPECT_FLOAT_EQ(m[13], 0.0f);
}

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

TEST_F(FontsTest, BitmapTextFitsItsSixteenPixelCell) {
  UseUnitSquare();
  glRasterPos2f(0.1f, 0.5f);
  PrintBitmapText(fonts, "Page Up");
  const auto pixels = context.ReadPixels();
  int top = -1, bottom = H, left = W, right = -1;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      if (PixelAt(pixels, W, x, y)[0] == 0) continue;
      top = std::max(top, y);
      bottom = std::min(bottom, y);
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  ASSERT_GE(top, 0) << "nothing was drawn";
  EXPECT_LE(top - bottom + 1, 16);
  EXPECT_LT(bottom, 128) << "the descender of g reaches below the baseline";
  EXPECT_GE(top, 128 + 8);
  EXPECT_GE(left, W / 10);
  EXPECT_GT(right - left, 30);
}

TEST_F(FontsTest, BrandedCaptionIsCentredOnTheScreen) {
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  view.fanColours = {Rgb8{255, 255, 255}, Rgb8{255, 255, 255}, Rgb8{255, 255, 255}};
  DrawBrandedCaption(fonts, view);
  const auto pixels = context.ReadPixels();
  int left = W, right = -1, bottom = H, top = -1;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      if (PixelAt(pixels, W, x, y)[0] == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      bottom = std::min(bottom, y);
      top = std::max(top, y);
    }
  }
  ASSERT_GE(right, 0) << "nothing was drawn";
  EXPECT_GT(left, 0) << "the caption is cut at the left";
  EXPECT_LT(right, W - 1) << "the caption is cut at the right";
  EXPECT_NEAR(left + right, W - 1, 16) << left << " .. " << right;
  EXPECT_NEAR(top + bottom, H - 1, 16) << bottom << " .. " << top;
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.0f) << "the caption left the matrix moved";
}

}  // namespace
}  // namespace puzzle
