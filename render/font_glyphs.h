// Where the two fonts' glyph lists come from: the system's own font
// functions, behind one pair of calls. FreeType and fontconfig make them on
// Linux (fonts_freetype.cpp); wglUseFontBitmaps and wglUseFontOutlines on
// Windows (fonts_wgl.cpp). Used by BuildFonts only.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "render/fonts.h"

namespace puzzle {

// The families asked for, bold and upright; the system substitutes a similar
// face when one is missing.
inline constexpr const char* BITMAP_FONT_FAMILY = "Times New Roman";
inline constexpr const char* OUTLINE_FONT_FAMILY = "Vineta BT";
// Raster glyphs are made for a 16-pixel character cell (in logical pixels),
// as the key-help captions were laid out for; outline glyphs stand 0.0001 em
// deep.
inline constexpr int BITMAP_CELL_PIXELS = 16;
inline constexpr double EXTRUSION = 0.0001;

// Fills the 96 lists from base on (codes 32..127) with the bitmap font's
// raster glyphs for a cell of cellPixels device pixels, each moving the
// raster position on by its advance. On true, fontUsed names the font file
// or face actually used.
bool BuildBitmapGlyphLists(std::uint32_t base, int cellPixels, std::string& fontUsed);
// Fills the 96 lists with the outline font's extruded glyphs in em units,
// each moving on by its cell increment, and their metrics.
bool BuildOutlineGlyphLists(std::uint32_t base, std::array<GlyphMetrics, FONT_GLYPHS>& metrics,
                            std::string& fontUsed);

}  // namespace puzzle
