// The glyph lists made by Windows itself: wglUseFontBitmaps and
// wglUseFontOutlines on the fonts the font mapper picks for the families
// asked for (it substitutes a similar face for a missing one); see
// render/font_glyphs.h.
#include <windows.h>

#include <GL/gl.h>

#include <filesystem>

#include "render/font_glyphs.h"
#include "storage/paths.h"

namespace puzzle {
namespace {

// A font selected into the current GL context's device context for the
// length of a build; the previous font is put back afterwards.
class SelectedFont {
 public:
  SelectedFont(const char* family, int height, int width)
      : deviceContext_(wglGetCurrentDC()),
        font_(CreateFontW(height, width, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                          CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          FileSystemPath(family).c_str())) {
    if (deviceContext_ != nullptr && font_ != nullptr) previous_ = SelectObject(deviceContext_, font_);
  }
  ~SelectedFont() {
    if (previous_ != nullptr) SelectObject(deviceContext_, previous_);
    if (font_ != nullptr) DeleteObject(font_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

  HDC DeviceContext() const { return previous_ != nullptr ? deviceContext_ : nullptr; }
  // The face the mapper chose.
  std::string Face() const {
    wchar_t face[LF_FACESIZE] = {};
    if (GetTextFaceW(deviceContext_, LF_FACESIZE, face) == 0) return {};
    return Utf8Path(std::filesystem::path(face));
  }

 private:
  HDC deviceContext_;
  HFONT font_;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace

bool BuildBitmapGlyphLists(std::uint32_t base, int cellPixels, std::string& fontUsed) {
  SelectedFont font(BITMAP_FONT_FAMILY, cellPixels, 0);
  if (font.DeviceContext() == nullptr ||
      !wglUseFontBitmapsW(font.DeviceContext(), FONT_FIRST_CODE, FONT_GLYPHS, base)) {
    return false;
  }
  fontUsed = font.Face();
  return true;
}

bool BuildOutlineGlyphLists(std::uint32_t base, std::array<GlyphMetrics, FONT_GLYPHS>& metrics,
                            std::string& fontUsed) {
  SelectedFont font(OUTLINE_FONT_FAMILY, 16, 0);
  GLYPHMETRICSFLOAT glyphs[FONT_GLYPHS] = {};
  if (font.DeviceContext() == nullptr ||
      !wglUseFontOutlinesW(font.DeviceContext(), FONT_FIRST_CODE, FONT_GLYPHS, base, 0.0f,
                           static_cast<float>(EXTRUSION), WGL_FONT_POLYGONS, glyphs)) {
    return false;
  }
  for (std::size_t k = 0; k < metrics.size(); ++k) {
    const GLYPHMETRICSFLOAT& g = glyphs[k];
    metrics[k] = {g.gmfBlackBoxX,       g.gmfBlackBoxY, g.gmfptGlyphOrigin.x,
                  g.gmfptGlyphOrigin.y, g.gmfCellIncX,  g.gmfCellIncY};
  }
  fontUsed = font.Face();
  return true;
}

}  // namespace puzzle
