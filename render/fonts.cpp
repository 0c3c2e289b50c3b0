#include "render/fonts.h"

#include <GL/gl.h>

#include <cmath>
#include <string>

#include "render/font_glyphs.h"
#include "view/view.h"

namespace puzzle {
namespace {

// Calls the lists of a font for the printable bytes of text, with the list
// offsets counted from the font's own base so no name arithmetic can wrap.
void CallGlyphLists(std::uint32_t base, std::string_view text) {
  if (base == 0) return;
  std::array<GLubyte, 64> offsets{};
  glPushAttrib(GL_LIST_BIT);
  glListBase(base);
  std::size_t count = 0;
  for (const char ch : text) {
    const int code = static_cast<unsigned char>(ch);
    if (code < FONT_FIRST_CODE || code >= FONT_FIRST_CODE + FONT_GLYPHS) continue;
    offsets[count++] = static_cast<GLubyte>(code - FONT_FIRST_CODE);
    if (count == offsets.size()) {
      glCallLists(static_cast<GLsizei>(count), GL_UNSIGNED_BYTE, offsets.data());
      count = 0;
    }
  }
  if (count > 0) glCallLists(static_cast<GLsizei>(count), GL_UNSIGNED_BYTE, offsets.data());
  glPopAttrib();
}

std::uint32_t ReserveGlyphLists() {
  return glGenLists(FONT_GLYPHS);
}

}  // namespace

bool BuildFonts(Fonts& fonts, double pixelScale, double pixelRatio) {
  DeleteFonts(fonts);
  bool built = true;

  if (const std::uint32_t base = ReserveGlyphLists();
      base != 0 && BuildBitmapGlyphLists(base, static_cast<int>(std::lround(BITMAP_CELL_PIXELS * pixelRatio)),
                                         fonts.bitmapFontFile)) {
    fonts.bitmapFontBase = base;
  } else {
    if (base != 0) glDeleteLists(base, FONT_GLYPHS);
    fonts.bitmapFontFile.clear();
    built = false;
  }

  if (const std::uint32_t base = ReserveGlyphLists();
      base != 0 && BuildOutlineGlyphLists(base, fonts.glyphMetrics, fonts.outlineFontFile)) {
    fonts.outlineFontBase = base;
  } else {
    if (base != 0) glDeleteLists(base, FONT_GLYPHS);
    fonts.glyphMetrics = {};
    fonts.outlineFontFile.clear();
    built = false;
  }

  float width = 0;
  for (const char ch : CAPTION_TEXT)
    width += fonts.glyphMetrics[static_cast<std::size_t>(ch - FONT_FIRST_CODE)].cellIncX;
  fonts.captionWidth = width;
  // The caption is laid out in logical pixels.
  const double logicalPixel = pixelScale * pixelRatio;
  fonts.captionScale = static_cast<float>(96 * logicalPixel);
  const double firstHeight =
      fonts.glyphMetrics[static_cast<std::size_t>(CAPTION_TEXT[0] - FONT_FIRST_CODE)].blackBoxY;
  fonts.captionOrigin = {static_cast<float>(-48 * logicalPixel * width + 0.0005 * width),
                         static_cast<float>(-48 * logicalPixel * firstHeight),
                         static_cast<float>(static_cast<double>(BACKGROUND_DEPTH) + 1.2e-5)};
  return built;
}

void DeleteFonts(Fonts& fonts) {
  if (fonts.bitmapFontBase != 0) glDeleteLists(fonts.bitmapFontBase, FONT_GLYPHS);
  if (fonts.outlineFontBase != 0) glDeleteLists(fonts.outlineFontBase, FONT_GLYPHS);
  fonts = Fonts{};
}

void PrintBitmapText(const Fonts& fonts, std::string_view text) {
  CallGlyphLists(fonts.bitmapFontBase, text);
}

void PrintOutlineText(const Fonts& fonts, std::string_view text) {
  CallGlyphLists(fonts.outlineFontBase, text);
}

void DrawBrandedCaption(const Fonts& fonts, const ViewSetup& view) {
  if (fonts.outlineFontBase == 0) return;
  const auto& [c0, c1, c2] = view.fanColours;
  const auto [ox, oy, oz] = fonts.captionOrigin;
  const float s = fonts.captionScale;
  // Three copies, each a little taller and further back, give the caption a
  // layered shadow whose colours cycle with the background.
  glPushMatrix();
  glTranslatef(ox, oy, oz);
  glColor3ub(c2[0], c2[1], c2[2]);
  glPushMatrix();
  glTranslatef(0.008f * ox, 0.0f, 2e-5f);
  glScalef(s, s, 1.0f);
  PrintOutlineText(fonts, CAPTION_TEXT);
  glPopMatrix();
  glColor3ub(c1[0], c1[1], c1[2]);
  glPushMatrix();
  glTranslatef(0.004f * ox, 0.0f, 1e-5f);
  glScalef(s, 1.08f * s, 1.0f);
  PrintOutlineText(fonts, CAPTION_TEXT);
  glPopMatrix();
  glColor3ub(c0[0], c0[1], c0[2]);
  glPushMatrix();
  glScalef(s, 1.14f * s, 1.0f);
  PrintOutlineText(fonts, CAPTION_TEXT);
  glPopMatrix();
  glPopMatrix();
}

}  // namespace puzzle
