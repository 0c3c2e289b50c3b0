#include "render/piece_lists.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <deque>
#include <map>

#include "model/geometry.h"

namespace puzzle {
namespace {

// Edge loops lie just in front of and just behind the face, so that a piece
// lying face down shows its outline too.
constexpr float EDGE_OFFSET = 5e-7f;

// ---- Cutting a region into triangles ---------------------------------------

// The GLU tessellator cuts any simple polygon exactly along its own points;
// the edge-flag callback makes it hand out plain triangles, which the lists
// then draw in one primitive.
struct TriangleSink {
  std::vector<Point2> triangles;
  // Points handed to GLU must stay where they are until the polygon is done.
  std::deque<std::array<GLdouble, 3>> extra;
};

void GLAPIENTRY SinkBegin(GLenum) {}
void GLAPIENTRY SinkEdgeFlag(GLboolean) {}
void GLAPIENTRY SinkEnd() {}
void GLAPIENTRY SinkVertex(void* vertex, void* polygon) {
  const auto* v = static_cast<const GLdouble*>(vertex);
  static_cast<TriangleSink*>(polygon)->triangles.push_back(
      {static_cast<float>(v[0]), static_cast<float>(v[1])});
}
// Only where the outline touches itself (a damaged bulge) do new points arise.
void GLAPIENTRY SinkCombine(GLdouble coords[3], void* /*vertexData*/[4], GLfloat /*weight*/[4],
                            void** outData, void* polygon) {
  auto* sink = static_cast<TriangleSink*>(polygon);
  sink->extra.push_back({coords[0], coords[1], 0.0});
  *outData = sink->extra.back().data();
}

class Triangulator {
 public:
  Triangulator() : tess_(gluNewTess()) {
    if (tess_ == nullptr) return;
    gluTessCallback(tess_, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(SinkBegin));
    gluTessCallback(tess_, GLU_TESS_EDGE_FLAG, reinterpret_cast<_GLUfuncptr>(SinkEdgeFlag));
    gluTessCallback(tess_, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(SinkEnd));
    gluTessCallback(tess_, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(SinkVertex));
    gluTessCallback(tess_, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(SinkCombine));
    gluTessNormal(tess_, 0, 0, 1);
  }
  ~Triangulator() {
    if (tess_ != nullptr) gluDeleteTess(tess_);
  }
  Triangulator(const Triangulator&) = delete;
  Triangulator& operator=(const Triangulator&) = delete;

  std::vector<Point2> Cut(const std::vector<Point2>& polygon) {
    TriangleSink sink;
    if (tess_ == nullptr || polygon.size() < 3) return {};
    std::vector<std::array<GLdouble, 3>> points;
    points.reserve(polygon.size());
    for (const Point2& p : polygon) {
      if (!points.empty() && points.back()[0] == p.x && points.back()[1] == p.y) continue;
      points.push_back({p.x, p.y, 0.0});
    }
    gluTessBeginPolygon(tess_, &sink);
    gluTessBeginContour(tess_);
    for (auto& p : points) gluTessVertex(tess_, p.data(), p.data());
    gluTessEndContour(tess_);
    gluTessEndPolygon(tess_);
    return std::move(sink.triangles);
  }

 private:
  GLUtesselator* tess_;
};

void EmitTriangles(const std::vector<Point2>& triangles) {
  glBegin(GL_TRIANGLES);
  for (const Point2& p : triangles) glVertex3f(p.x, p.y, 0.0f);
  glEnd();
}

// keepTexCoord (form 1): the texture coordinate the face left current. The
// lines are drawn untextured, so repeating it changes nothing on the screen,
// but it keeps the vertex layout of the list the same from face to lines,
// which spares the GL a second vertex store per list (ten times the memory).
void EmitEdgeLoops(const std::vector<Point2>& outline, const Point2* keepTexCoord = nullptr) {
  glLineWidth(1.0f);
  for (const float z : {EDGE_OFFSET, -EDGE_OFFSET}) {
    glBegin(GL_LINE_LOOP);
    if (keepTexCoord != nullptr) glTexCoord2f(keepTexCoord->x, keepTexCoord->y);
    for (const Point2& p : outline) glVertex3f(p.x, p.y, z);
    glEnd();
  }
}

// ---- Form 4 shared faces ---------------------------------------------------

// A face arc is cut at every multiple of 45 degrees, so a tab and the blank
// it fits into get the same points however each is split into lists.
void AddFaceArc(std::vector<Point2>& out, Point2 centre, float r, int deg0, int deg1, double K) {
  const int step = deg1 > deg0 ? 45 : -45;
  for (int d = deg0; d != deg1; d += step) {
    std::vector<Point2> piece;
    EmitArc(piece, centre.x, centre.y, r, d, d + step, K);
    const bool joined = !out.empty() && d != deg0;
    out.insert(out.end(), piece.begin() + (joined ? 1 : 0), piece.end());
  }
}

struct TabFigure {
  Point2 centre;
  int deg0;
  int deg1;
  Point2 neck1;  // next to the arc's start
  Point2 neck2;  // next to the arc's end
};

// Bottom, right, top and left tab of the classic form, as laid along the sides.
std::array<TabFigure, 4> TabFigures(const OutlineParams& p) {
  const float sx = p.sx, sy = p.sy, a = p.classicA, c = p.classicC;
  return {{
      {{0, -sy - a}, 135, 405, {-a, -sy + c}, {a, -sy + c}},
      {{sx + a, 0}, -135, 135, {sx - c, -a}, {sx - c, a}},
      {{0, sy + a}, -45, 225, {a, sy - c}, {-a, sy - c}},
      {{-sx - a, 0}, 45, 315, {-sx + c, a}, {-sx + c, -a}},
  }};
}

std::vector<Point2> WholeTab(const TabFigure& t, const OutlineParams& p) {
  std::vector<Point2> region{{0, 0}, t.neck1};
  AddFaceArc(region, t.centre, p.classicR, t.deg0, t.deg1, p.K);
  region.push_back(t.neck2);
  return region;
}

std::vector<Point2> HalfTab(const TabFigure& t, const OutlineParams& p, bool first) {
  const int middle = (t.deg0 + t.deg1) / 2;
  std::vector<Point2> region{t.centre};
  if (first) {
    region.push_back({0, 0});
    region.push_back(t.neck1);
    AddFaceArc(region, t.centre, p.classicR, t.deg0, middle, p.K);
  } else {
    AddFaceArc(region, t.centre, p.classicR, middle, t.deg1, p.K);
    region.push_back(t.neck2);
    region.push_back({0, 0});
  }
  return region;
}

// One quarter of a piece: from the anchor along the axis to the blank's
// deepest point, round the blank to the side line, out to its neck, to the
// cell corner, to the tab's neck and back to the anchor (the wedge beyond
// that line belongs to the tab's list).
std::vector<Point2> Quarter(const OutlineParams& p, int quarter, bool blanksTopBottom) {
  static constexpr std::array<std::array<int, 2>, 4> SIGNS{{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}};
  const float ex = static_cast<float>(SIGNS[static_cast<std::size_t>(quarter)][0]);
  const float ey = static_cast<float>(SIGNS[static_cast<std::size_t>(quarter)][1]);
  const float sx = p.sx, sy = p.sy, a = p.classicA, c = p.classicC;
  std::vector<Point2> region{{0, 0}};
  Point2 blankNeck, tabNeck;
  if (!blanksTopBottom) {
    const int deepest = ex > 0 ? 180 : 0;
    const int end = ex > 0 ? (ey > 0 ? 45 : 315) : (ey > 0 ? 135 : -135);
    AddFaceArc(region, {ex * (sx - a), 0}, p.classicR, deepest, end, p.K);
    blankNeck = {ex * (sx + c), ey * a};
    tabNeck = {ex * a, ey * (sy - c)};
  } else {
    const int deepest = ey > 0 ? 270 : 90;
    const int end = ey > 0 ? (ex > 0 ? 405 : 135) : (ex > 0 ? -45 : 225);
    AddFaceArc(region, {0, ey * (sy - a)}, p.classicR, deepest, end, p.K);
    blankNeck = {ex * a, ey * (sy + c)};
    tabNeck = {ex * (sx - c), ey * a};
  }
  region.push_back(blankNeck);
  region.push_back({ex * sx, ey * sy});
  region.push_back(tabNeck);
  return region;
}

// The regions of the twenty shared lists, in SharedList order.
std::array<std::vector<Point2>, SHARED_LIST_COUNT> SharedRegions(const OutlineParams& p) {
  std::array<std::vector<Point2>, SHARED_LIST_COUNT> regions;
  auto region = [&regions](SharedList which) -> std::vector<Point2>& {
    return regions[static_cast<std::size_t>(which)];
  };
  for (int q = 0; q < 4; ++q) {
    region(static_cast<SharedList>(q)) = Quarter(p, q, false);
    region(static_cast<SharedList>(4 + q)) = Quarter(p, q, true);
  }
  const auto tabs = TabFigures(p);
  enum { BOTTOM, RIGHT, TOP, LEFT };
  region(SharedList::F0) = WholeTab(tabs[BOTTOM], p);
  region(SharedList::F1) = WholeTab(tabs[TOP], p);
  region(SharedList::F2) = WholeTab(tabs[LEFT], p);
  region(SharedList::F3) = WholeTab(tabs[RIGHT], p);
  for (std::size_t side = 0; side < 4; ++side) {
    regions[static_cast<std::size_t>(SharedList::H0) + 2 * side] = HalfTab(tabs[side], p, true);
    regions[static_cast<std::size_t>(SharedList::H0) + 2 * side + 1] = HalfTab(tabs[side], p, false);
  }
  return regions;
}

// ---- Piece lists -----------------------------------------------------------

// Every piece with the same parity and the same borders has the same outline
// in its own frame, so outlines and faces are made once per kind of piece.
std::uint32_t ShapeKey(const OutlineParams& p, std::uint32_t i, std::uint32_t j) {
  return ((i + j) % 2) | (i == 0 ? 2u : 0u) | (i + 1 == p.columns ? 4u : 0u) | (j == 0 ? 8u : 0u) |
         (j + 1 == p.rows ? 16u : 0u);
}

struct Shape {
  std::vector<Point2> outline;
  std::vector<Point2> face;       // forms 2 and 3: triangles
  std::vector<SharedList> calls;  // form 4
};

void CompileForm1(const OutlineParams& p, const CellTexStep& step, std::uint32_t i, std::uint32_t j,
                  const std::vector<Point2>& outline, bool edges) {
  const float s0 = static_cast<float>(i) * step.s, s1 = static_cast<float>(i + 1) * step.s;
  const float t0 = static_cast<float>(j) * step.t, t1 = static_cast<float>(j + 1) * step.t;
  glEnable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  glTexCoord2f(s0, t0);
  glVertex3f(-p.sx, -p.sy, 0.0f);
  glTexCoord2f(s1, t0);
  glVertex3f(p.sx, -p.sy, 0.0f);
  glTexCoord2f(s1, t1);
  glVertex3f(p.sx, p.sy, 0.0f);
  glTexCoord2f(s0, t1);
  glVertex3f(-p.sx, p.sy, 0.0f);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  const Point2 lastTexCoord{s0, t1};
  if (edges) EmitEdgeLoops(outline, &lastTexCoord);
}

}  // namespace

std::vector<SharedList> Form4FaceLists(const OutlineParams& params, std::uint32_t i, std::uint32_t j) {
  const bool odd = (i + j) % 2 == 1;
  const bool firstColumn = i == 0, lastColumn = i + 1 == params.columns;
  const bool firstRow = j == 0, lastRow = j + 1 == params.rows;
  std::vector<SharedList> calls;
  // On a half side only the half on the picture's side of the border is kept.
  auto tab = [&](bool exists, bool fromLowEnd, bool fromHighEnd, SharedList whole, SharedList lowHalf,
                 SharedList highHalf) {
    if (!exists) return;
    calls.push_back(fromLowEnd ? highHalf : fromHighEnd ? lowHalf : whole);
  };
  if (!odd) {
    tab(!firstRow, firstColumn, lastColumn, SharedList::F0, SharedList::H0, SharedList::H1);
    tab(!lastRow, firstColumn, lastColumn, SharedList::F1, SharedList::H5, SharedList::H4);
  } else {
    tab(!firstColumn, firstRow, lastRow, SharedList::F2, SharedList::H7, SharedList::H6);
    tab(!lastColumn, firstRow, lastRow, SharedList::F3, SharedList::H2, SharedList::H3);
  }
  const int set = odd ? 4 : 0;
  const std::array<bool, 4> inside{!firstColumn && !firstRow, !lastColumn && !firstRow,
                                   !lastColumn && !lastRow, !firstColumn && !lastRow};
  for (int q = 0; q < 4; ++q) {
    if (inside[static_cast<std::size_t>(q)]) calls.push_back(static_cast<SharedList>(set + q));
  }
  return calls;
}

CellTexStep CellTexSteps(const GameState& state, const GameOptions& options) {
  const double across = options.form == 1 ? options.columns : options.columns - 1.0;
  const double up = options.form == 1 ? state.rows : state.rows - 1.0;
  CellTexStep step;
  if (state.textureWidth > 0 && across > 0) {
    step.s = static_cast<float>(static_cast<double>(state.imageWidth) / state.textureWidth / across);
  }
  if (state.textureHeight > 0 && up > 0) {
    step.t = static_cast<float>(static_cast<double>(state.imageHeight) / state.textureHeight / up);
  }
  return step;
}

bool BuildPieceLists(GameState& state, const GameOptions& options) {
  DeletePieceLists(state);
  const std::uint32_t count = state.pieceCount;
  const std::uint32_t base = count > 0 ? glGenLists(static_cast<GLsizei>(count)) : 0;
  if (base == 0) return false;
  state.pieceListBase = base;
  state.pieceListCount = count;
  if (options.form < 1 || options.form > 4 || options.columns < 2 || state.rows < 2 ||
      static_cast<std::uint64_t>(options.columns) * state.rows != count) {
    DeletePieceLists(state);
    return false;
  }

  const OutlineParams params = OutlineParamsFor(state, options);
  const CellTexStep step = CellTexSteps(state, options);
  Triangulator triangulator;
  if (options.form == 4) {
    const std::uint32_t shared = glGenLists(static_cast<GLsizei>(SHARED_LIST_COUNT));
    if (shared == 0) {
      DeletePieceLists(state);
      return false;
    }
    state.sharedListBase = shared;
    const auto regions = SharedRegions(params);
    for (std::uint32_t k = 0; k < SHARED_LIST_COUNT; ++k) {
      glNewList(shared + k, GL_COMPILE);
      EmitTriangles(triangulator.Cut(regions[k]));
      glEndList();
    }
  }

  // The texture planes map a piece's own coordinates to the picture texel
  // under them at home: one picture pixel is 2K table units.
  const double K = HalfPixelOnTable(state.pixelScale);
  const std::array<GLfloat, 4> planeS{static_cast<GLfloat>(1.0 / (2.0 * state.textureWidth * K)), 0, 0, 0};
  const std::array<GLfloat, 4> planeT{0, static_cast<GLfloat>(1.0 / (2.0 * state.textureHeight * K)), 0, 0};

  std::map<std::uint32_t, Shape> shapes;
  for (std::uint32_t j = 0; j < state.rows; ++j) {
    for (std::uint32_t i = 0; i < options.columns; ++i) {
      auto [entry, fresh] = shapes.try_emplace(ShapeKey(params, i, j));
      Shape& shape = entry->second;
      if (fresh) {
        shape.outline = PieceOutline(params, i, j);
        if (options.form == 4) {
          shape.calls = Form4FaceLists(params, i, j);
        } else if (options.form != 1) {
          shape.face = triangulator.Cut(shape.outline);
        }
      }
      glNewList(base + j * options.columns + i, GL_COMPILE);
      if (options.form == 1) {
        CompileForm1(params, step, i, j, shape.outline, options.showEdges);
      } else {
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
        std::array<GLfloat, 4> s = planeS, t = planeT;
        s[3] = static_cast<float>(i) * step.s;
        t[3] = static_cast<float>(j) * step.t;
        glTexGenfv(GL_S, GL_OBJECT_PLANE, s.data());
        glTexGenfv(GL_T, GL_OBJECT_PLANE, t.data());
        glEnable(GL_TEXTURE_2D);
        if (options.form == 4) {
          for (const SharedList call : shape.calls)
            glCallList(state.sharedListBase + static_cast<GLuint>(call));
        } else {
          EmitTriangles(shape.face);
        }
        glDisable(GL_TEXTURE_2D);
        if (options.showEdges) EmitEdgeLoops(shape.outline);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
      }
      glEndList();
    }
  }
  return true;
}

std::vector<std::shared_ptr<const PieceMesh>> PieceMeshes(const OutlineParams& params) {
  std::vector<std::shared_ptr<const PieceMesh>> meshes;
  if (params.form < 1 || params.form > 4) return meshes;
  Triangulator triangulator;
  std::array<std::vector<Point2>, SHARED_LIST_COUNT> sharedFaces;
  if (params.form == 4) {
    const auto regions = SharedRegions(params);
    for (std::size_t k = 0; k < SHARED_LIST_COUNT; ++k) sharedFaces[k] = triangulator.Cut(regions[k]);
  }
  std::map<std::uint32_t, std::shared_ptr<const PieceMesh>> kinds;
  meshes.reserve(static_cast<std::size_t>(params.columns) * params.rows);
  for (std::uint32_t j = 0; j < params.rows; ++j) {
    for (std::uint32_t i = 0; i < params.columns; ++i) {
      auto& mesh = kinds[ShapeKey(params, i, j)];
      if (!mesh) {
        auto made = std::make_shared<PieceMesh>();
        made->outline = PieceOutline(params, i, j);
        if (params.form == 1) {
          const float sx = params.sx, sy = params.sy;
          made->faceTriangles = {{-sx, -sy}, {sx, -sy}, {sx, sy}, {-sx, -sy}, {sx, sy}, {-sx, sy}};
        } else if (params.form == 4) {
          for (const SharedList call : Form4FaceLists(params, i, j)) {
            const auto& part = sharedFaces[static_cast<std::size_t>(call)];
            made->faceTriangles.insert(made->faceTriangles.end(), part.begin(), part.end());
          }
        } else {
          made->faceTriangles = triangulator.Cut(made->outline);
        }
        mesh = std::move(made);
      }
      meshes.push_back(mesh);
    }
  }
  return meshes;
}

void DeletePieceLists(GameState& state) {
  if (state.pieceListBase != 0 && state.pieceListCount > 0 && glIsList(state.pieceListBase)) {
    glDeleteLists(state.pieceListBase, static_cast<GLsizei>(state.pieceListCount));
  }
  if (state.sharedListBase != 0 && glIsList(state.sharedListBase)) {
    glDeleteLists(state.sharedListBase, static_cast<GLsizei>(SHARED_LIST_COUNT));
  }
  state.pieceListBase = 0;
  state.pieceListCount = 0;
  state.sharedListBase = 0;
}

}  // namespace puzzle
