// The glyph lists made from the fonts fontconfig finds, with FreeType's
// outlines and bitmaps; see render/font_glyphs.h.
#include <GL/gl.h>
#include <GL/glu.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "render/font_glyphs.h"

namespace puzzle {
namespace {
// Curves are flattened until no chord strays more than this from the curve
// (em units): below a pixel even at the caption's largest size.
constexpr double FLATNESS = 0.0005;
constexpr int MAX_CURVE_SEGMENTS = 64;

struct FontFile {
  std::string path;
  int index = 0;
};

// The best installed match for a bold, upright face of the family; fontconfig
// substitutes a similar face when the family itself is missing.
std::optional<FontFile> MatchFont(const char* family) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::optional<FontFile> found;
  FcChar8* file = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    found = FontFile{reinterpret_cast<const char*>(file), index};
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return found;
}

// Owns a FreeType library and one face for the length of a build.
class FaceHandle {
 public:
  explicit FaceHandle(const FontFile& file) {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return;
    }
    if (FT_New_Face(library_, file.path.c_str(), file.index, &face_) != 0) face_ = nullptr;
  }
  ~FaceHandle() {
    if (face_ != nullptr) FT_Done_Face(face_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }
  FaceHandle(const FaceHandle&) = delete;
  FaceHandle& operator=(const FaceHandle&) = delete;
  FT_Face get() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// A character cell height maps to an em size through the face's Windows
// ascent and descent, which is how a cell height was always interpreted.
double EmPixelsForCell(FT_Face face, int cellPixels) {
  double cellUnits = static_cast<double>(face->ascender - face->descender);
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
    cellUnits = static_cast<double>(os2->usWinAscent + os2->usWinDescent);
  }
  if (cellUnits <= 0) return cellPixels;
  return cellPixels * static_cast<double>(face->units_per_EM) / cellUnits;
}

bool BuildBitmapGlyphs(FT_Face face, std::uint32_t base, int cellPixels) {
  const double emPixels = EmPixelsForCell(face, cellPixels);
  if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(emPixels * 64)), 72, 72) != 0)
    return false;
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  std::vector<GLubyte> rows;
  for (int k = 0; k < FONT_GLYPHS; ++k) {
    const FT_ULong code = static_cast<FT_ULong>(FONT_FIRST_CODE + k);
    glNewList(base + static_cast<GLuint>(k), GL_COMPILE);
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) == 0 &&
        face->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      const FT_GlyphSlot glyph = face->glyph;
      const FT_Bitmap& bitmap = glyph->bitmap;
      const std::size_t rowBytes = (bitmap.width + 7) / 8;
      rows.assign(std::max<std::size_t>(1, rowBytes * bitmap.rows), 0);
      // FreeType delivers rows top-down, glBitmap takes them bottom-up.
      for (unsigned r = 0; r < bitmap.rows; ++r) {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(r) * bitmap.pitch;
        std::copy_n(source, rowBytes,
                    rows.begin() + static_cast<std::ptrdiff_t>((bitmap.rows - 1 - r) * rowBytes));
      }
      glBitmap(static_cast<GLsizei>(bitmap.width), static_cast<GLsizei>(bitmap.rows),
               static_cast<GLfloat>(-glyph->bitmap_left),
               static_cast<GLfloat>(static_cast<int>(bitmap.rows) - glyph->bitmap_top),
               static_cast<GLfloat>(glyph->advance.x) / 64.0f, 0.0f, rows.data());
    }
    glEndList();
  }
  glPopClientAttrib();
  return true;
}

using Point = std::array<double, 2>;
using Contour = std::vector<Point>;

// Collects a glyph outline as closed polylines in em units, its curves cut
// into chords no farther than FLATNESS from them.
struct OutlineFlattener {
  double em = 1;
  std::vector<Contour> contours;
  Point pen{};

  Point ToEm(const FT_Vector* v) const {
    return {static_cast<double>(v->x) / em, static_cast<double>(v->y) / em};
  }
  void Add(const Point& p) {
    if (contours.empty()) contours.emplace_back();
    Contour& c = contours.back();
    if (c.empty() || c.back() != p) c.push_back(p);
    pen = p;
  }
  static int Segments(double bend) {
    const int n = static_cast<int>(std::ceil(std::sqrt(bend / FLATNESS)));
    return std::clamp(n, 1, MAX_CURVE_SEGMENTS);
  }

  static int MoveTo(const FT_Vector* to, void* user) {
    auto* self = static_cast<OutlineFlattener*>(user);
    self->contours.emplace_back();
    self->Add(self->ToEm(to));
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* user) {
    auto* self = static_cast<OutlineFlattener*>(user);
    self->Add(self->ToEm(to));
    return 0;
  }
  static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* self = static_cast<OutlineFlattener*>(user);
    const Point p0 = self->pen, c = self->ToEm(control), p1 = self->ToEm(to);
    // A chord of a quadratic strays at most |p0 - 2c + p1| / (4 n^2).
    const double bend = std::hypot(p0[0] - 2 * c[0] + p1[0], p0[1] - 2 * c[1] + p1[1]) / 4;
    const int n = Segments(bend);
    for (int k = 1; k <= n; ++k) {
      const double t = static_cast<double>(k) / n, u = 1 - t;
      self->Add({u * u * p0[0] + 2 * u * t * c[0] + t * t * p1[0],
                 u * u * p0[1] + 2 * u * t * c[1] + t * t * p1[1]});
    }
    return 0;
  }
  static int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto* self = static_cast<OutlineFlattener*>(user);
    const Point p0 = self->pen, c1 = self->ToEm(control1), c2 = self->ToEm(control2), p1 = self->ToEm(to);
    // A chord of a cubic strays at most 3 max|second difference| / (4 n^2).
    const double bend = 0.75 * std::max(std::hypot(p0[0] - 2 * c1[0] + c2[0], p0[1] - 2 * c1[1] + c2[1]),
                                        std::hypot(c1[0] - 2 * c2[0] + p1[0], c1[1] - 2 * c2[1] + p1[1]));
    const int n = Segments(bend);
    for (int k = 1; k <= n; ++k) {
      const double t = static_cast<double>(k) / n, u = 1 - t;
      const double a = u * u * u, b = 3 * u * u * t, d = 3 * u * t * t, e = t * t * t;
      self->Add(
          {a * p0[0] + b * c1[0] + d * c2[0] + e * p1[0], a * p0[1] + b * c1[1] + d * c2[1] + e * p1[1]});
    }
    return 0;
  }
};

// The GLU tessellator hands its output straight to GL, so a tessellated face
// is compiled into the list that is open; the points it invents where
// contours cross live until the polygon is done.
struct TessellationScratch {
  std::deque<std::array<GLdouble, 3>> points;
  double z = 0;
};

void GLAPIENTRY TessBegin(GLenum type) {
  glBegin(type);
}
void GLAPIENTRY TessVertex(void* vertex) {
  glVertex3dv(static_cast<const GLdouble*>(vertex));
}
void GLAPIENTRY TessEnd() {
  glEnd();
}
void GLAPIENTRY TessCombine(GLdouble coords[3], void* /*vertexData*/[4], GLfloat /*weight*/[4],
                            void** outData, void* polygonData) {
  auto* scratch = static_cast<TessellationScratch*>(polygonData);
  scratch->points.push_back({coords[0], coords[1], scratch->z});
  *outData = scratch->points.back().data();
}

void EmitFace(GLUtesselator* tess, const std::vector<Contour>& contours, double z, double normalZ) {
  TessellationScratch scratch;
  scratch.z = z;
  for (const Contour& c : contours) {
    for (const Point& p : c) scratch.points.push_back({p[0], p[1], z});
  }
  gluTessNormal(tess, 0, 0, normalZ);
  gluTessBeginPolygon(tess, &scratch);
  std::size_t at = 0;
  for (const Contour& c : contours) {
    gluTessBeginContour(tess);
    for (std::size_t k = 0; k < c.size(); ++k, ++at)
      gluTessVertex(tess, scratch.points[at].data(), scratch.points[at].data());
    gluTessEndContour(tess);
  }
  gluTessEndPolygon(tess);
}

void EmitWalls(const std::vector<Contour>& contours) {
  for (const Contour& c : contours) {
    glBegin(GL_QUAD_STRIP);
    for (std::size_t k = 0; k <= c.size(); ++k) {
      const Point& p = c[k % c.size()];
      glVertex3d(p[0], p[1], 0.0);
      glVertex3d(p[0], p[1], -EXTRUSION);
    }
    glEnd();
  }
}

bool BuildOutlineGlyphs(FT_Face face, std::uint32_t base, std::array<GlyphMetrics, FONT_GLYPHS>& metrics) {
  if (face->units_per_EM == 0) return false;
  GLUtesselator* tess = gluNewTess();
  if (tess == nullptr) return false;
  gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(TessBegin));
  gluTessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(TessVertex));
  gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(TessEnd));
  gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(TessCombine));
  // Contours of outline fonts fill by the non-zero rule: holes run the other way.
  gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);

  const double em = face->units_per_EM;
  FT_Outline_Funcs funcs{};
  funcs.move_to = &OutlineFlattener::MoveTo;
  funcs.line_to = &OutlineFlattener::LineTo;
  funcs.conic_to = &OutlineFlattener::ConicTo;
  funcs.cubic_to = &OutlineFlattener::CubicTo;
  for (int k = 0; k < FONT_GLYPHS; ++k) {
    const FT_ULong code = static_cast<FT_ULong>(FONT_FIRST_CODE + k);
    OutlineFlattener flattener;
    flattener.em = em;
    GlyphMetrics m;
    if (FT_Load_Char(face, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0) {
      const FT_GlyphSlot glyph = face->glyph;
      if (glyph->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Decompose(&glyph->outline, &funcs, &flattener);
      const auto inEm = [em](FT_Pos units) { return static_cast<float>(static_cast<double>(units) / em); };
      m.blackBoxX = inEm(glyph->metrics.width);
      m.blackBoxY = inEm(glyph->metrics.height);
      m.originX = inEm(glyph->metrics.horiBearingX);
      m.originY = inEm(glyph->metrics.horiBearingY);
      m.cellIncX = inEm(glyph->advance.x);
      m.cellIncY = inEm(glyph->advance.y);
    }
    std::erase_if(flattener.contours, [](Contour& c) {
      if (c.size() > 1 && c.front() == c.back()) c.pop_back();
      return c.size() < 3;
    });
    metrics[static_cast<std::size_t>(k)] = m;
    glNewList(base + static_cast<GLuint>(k), GL_COMPILE);
    if (!flattener.contours.empty()) {
      EmitFace(tess, flattener.contours, 0.0, 1.0);
      EmitFace(tess, flattener.contours, -EXTRUSION, -1.0);
      EmitWalls(flattener.contours);
    }
    glTranslatef(m.cellIncX, m.cellIncY, 0.0f);
    glEndList();
  }
  gluDeleteTess(tess);
  return true;
}

}  // namespace

bool BuildBitmapGlyphLists(std::uint32_t base, int cellPixels, std::string& fontUsed) {
  const auto file = MatchFont(BITMAP_FONT_FAMILY);
  if (!file) return false;
  FaceHandle face(*file);
  if (face.get() == nullptr || !BuildBitmapGlyphs(face.get(), base, cellPixels)) return false;
  fontUsed = file->path;
  return true;
}

bool BuildOutlineGlyphLists(std::uint32_t base, std::array<GlyphMetrics, FONT_GLYPHS>& metrics,
                            std::string& fontUsed) {
  const auto file = MatchFont(OUTLINE_FONT_FAMILY);
  if (!file) return false;
  FaceHandle face(*file);
  if (face.get() == nullptr || !BuildOutlineGlyphs(face.get(), base, metrics)) return false;
  fontUsed = file->path;
  return true;
}

}  // namespace puzzle
