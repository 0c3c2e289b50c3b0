// The two display-list fonts of the game and the branded caption drawn with
// them. The bitmap font (raster glyphs, best match of "Times New Roman" bold,
// 16 px cells) prints the key-help captions of the scroll bars; the outline
// font (extruded polygon glyphs, best match of "Vineta BT" bold, in em units)
// draws the branded caption over the background.
//
// The Fonts record is written only by BuildFonts and DeleteFonts; the frame
// renderer and the scroll-bar captions read it. Fonts are made once per GL
// context: the window calls BuildFonts right after InitGL, with the context
// current, and DeleteFonts before the context goes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace puzzle {

struct ViewSetup;

inline constexpr int FONT_FIRST_CODE = 32;
inline constexpr int FONT_GLYPHS = 96;  // codes 32..127

// The caption over the branded background: 27 upper-case characters, drawn
// only with the outline font.
inline constexpr std::string_view CAPTION_TEXT = "WWW.QUORVANE.EXAMPLE/PUZZLE";
static_assert(CAPTION_TEXT.size() == 27);

// Measures of one outline glyph in em units (1.0 = the font's em height).
// The origin is the upper-left corner of the black box, relative to the pen.
struct GlyphMetrics {
  float blackBoxX = 0;
  float blackBoxY = 0;
  float originX = 0;
  float originY = 0;
  float cellIncX = 0;
  float cellIncY = 0;
};

struct Fonts {
  // First of the 96 lists of each font, for code 32; 0 when not built. The
  // list of code c is base + (c - 32), so callers set glListBase(base - 32)
  // and call the lists with the text's bytes.
  std::uint32_t bitmapFontBase = 0;
  std::uint32_t outlineFontBase = 0;
  std::array<GlyphMetrics, FONT_GLYPHS> glyphMetrics{};
  // Font files actually used, after fontconfig's substitutions.
  std::string bitmapFontFile;
  std::string outlineFontFile;
  // The caption's width in em units (sum of its cell increments), its scale
  // and origin on the background plane; all follow from pixelScale and the
  // pixel ratio.
  float captionWidth = 0;
  float captionScale = 0;
  std::array<float, 3> captionOrigin{};
};

// Makes both fonts with the current GL context, their glyphs rasterised for
// pixelRatio device pixels per logical pixel (ViewSetup::pixelRatio) so that
// text keeps its logical size, sharp, on a dense screen. False when
// fontconfig finds no usable font file or no list names can be reserved; the
// fonts are then left unbuilt (base 0) and drawing with them does nothing.
bool BuildFonts(Fonts& fonts, double pixelScale, double pixelRatio = 1.0);
// Deletes the lists of both fonts (the context must still be current).
void DeleteFonts(Fonts& fonts);

// Draws text (codes 32..127; others are skipped) with the bitmap font at the
// current raster position; the caller sets colour and raster position.
void PrintBitmapText(const Fonts& fonts, std::string_view text);
// Draws text with the outline font at the current model-view transform, one
// em per unit, advancing along x.
void PrintOutlineText(const Fonts& fonts, std::string_view text);

// The layered branded caption in the three colours of the background fan,
// over the current model-view matrix (which it leaves unchanged).
void DrawBrandedCaption(const Fonts& fonts, const ViewSetup& view);

}  // namespace puzzle
