#include "render/table_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <new>
#include <utility>

#include "model/geometry.h"
#include "render/gl_api.h"

namespace puzzle {
namespace {

// ---- Cutting a region into triangles ---------------------------------------

// The GLU tessellator cuts any simple polygon exactly along its own points;
// the edge-flag callback makes it hand out plain triangles.
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

// ---- Form 4 face parts ---------------------------------------------------

// A face arc is cut at every multiple of 45 degrees, so a tab and the blank
// it fits into get the same points however each is split into parts.
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
// that line belongs to the tab's part).
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

// The regions of the twenty face parts, in FacePart order.
std::array<std::vector<Point2>, FACE_PART_COUNT> SharedRegions(const OutlineParams& p) {
  std::array<std::vector<Point2>, FACE_PART_COUNT> regions;
  auto region = [&regions](FacePart which) -> std::vector<Point2>& {
    return regions[static_cast<std::size_t>(which)];
  };
  for (int q = 0; q < 4; ++q) {
    region(static_cast<FacePart>(q)) = Quarter(p, q, false);
    region(static_cast<FacePart>(4 + q)) = Quarter(p, q, true);
  }
  const auto tabs = TabFigures(p);
  enum { BOTTOM, RIGHT, TOP, LEFT };
  region(FacePart::F0) = WholeTab(tabs[BOTTOM], p);
  region(FacePart::F1) = WholeTab(tabs[TOP], p);
  region(FacePart::F2) = WholeTab(tabs[LEFT], p);
  region(FacePart::F3) = WholeTab(tabs[RIGHT], p);
  for (std::size_t side = 0; side < 4; ++side) {
    regions[static_cast<std::size_t>(FacePart::H0) + 2 * side] = HalfTab(tabs[side], p, true);
    regions[static_cast<std::size_t>(FacePart::H0) + 2 * side + 1] = HalfTab(tabs[side], p, false);
  }
  return regions;
}

// Every piece with the same parity and the same borders has the same outline
// in its own frame, so outlines and faces are made once per kind of piece.
std::uint32_t ShapeKey(const OutlineParams& p, std::uint32_t i, std::uint32_t j) {
  return ((i + j) % 2) | (i == 0 ? 2u : 0u) | (i + 1 == p.columns ? 4u : 0u) | (j == 0 ? 8u : 0u) |
         (j + 1 == p.rows ? 16u : 0u);
}

// ---- Table-space vertices --------------------------------------------------

// Writes points, turned and moved by pose, at height z over the piece's own
// plane, as x, y, z triples from out on, z counted from the table's plane.
// Near the table a float resolves little more than the edge loops' offset
// and the gap between two pieces' depths; counted from the table's plane
// both keep their full size, as they do when the GL itself applies a
// piece's drawing matrix.
void Place(const PiecePose& pose, const std::vector<Point2>& points, float z, float* out) {
  const auto& o = pose.orient;
  const float overTable = pose.z + TABLE_DEPTH;
  for (const Point2& p : points) {
    out[0] = o[0] * p.x + o[3] * p.y + o[6] * z + pose.x;
    out[1] = o[1] * p.x + o[4] * p.y + o[7] * z + pose.y;
    out[2] = o[2] * p.x + o[5] * p.y + o[8] * z + overTable;
    out += 3;
  }
}

// Poses are compared as bytes: the vertices are made again on any change of
// a bit, so that a pose whose vertices were made is a byte-for-byte copy and
// whole runs of poses can be compared at once (PosesChangedExcept).
bool SamePose(const PiecePose& a, const PiecePose& b) {
  return std::memcmp(&a, &b, sizeof(PiecePose)) == 0;
}

// The face points of a kind once each, in the order the triangles first
// use them, so that neighbouring triangles share their vertices.
std::shared_ptr<const PieceShape> MakeShape(const PieceMesh& mesh) {
  auto shape = std::make_shared<PieceShape>();
  std::map<std::pair<float, float>, std::uint32_t> seen;
  shape->triangles.reserve(mesh.faceTriangles.size());
  for (const Point2& p : mesh.faceTriangles) {
    const auto [at, fresh] = seen.try_emplace({p.x, p.y}, static_cast<std::uint32_t>(shape->points.size()));
    if (fresh) shape->points.push_back(p);
    shape->triangles.push_back(at->second);
  }
  shape->outline = mesh.outline;
  return shape;
}

template <typename T>
std::size_t HeapOf(const std::vector<T>& v) {
  return v.capacity() * sizeof(T);
}

}  // namespace

std::vector<FacePart> Form4FaceParts(const OutlineParams& params, std::uint32_t i, std::uint32_t j) {
  const bool odd = (i + j) % 2 == 1;
  const bool firstColumn = i == 0, lastColumn = i + 1 == params.columns;
  const bool firstRow = j == 0, lastRow = j + 1 == params.rows;
  std::vector<FacePart> calls;
  // On a half side only the half on the picture's side of the border is kept.
  auto tab = [&](bool exists, bool fromLowEnd, bool fromHighEnd, FacePart whole, FacePart lowHalf,
                 FacePart highHalf) {
    if (!exists) return;
    calls.push_back(fromLowEnd ? highHalf : fromHighEnd ? lowHalf : whole);
  };
  if (!odd) {
    tab(!firstRow, firstColumn, lastColumn, FacePart::F0, FacePart::H0, FacePart::H1);
    tab(!lastRow, firstColumn, lastColumn, FacePart::F1, FacePart::H5, FacePart::H4);
  } else {
    tab(!firstColumn, firstRow, lastRow, FacePart::F2, FacePart::H7, FacePart::H6);
    tab(!lastColumn, firstRow, lastRow, FacePart::F3, FacePart::H2, FacePart::H3);
  }
  const int set = odd ? 4 : 0;
  const std::array<bool, 4> inside{!firstColumn && !firstRow, !lastColumn && !firstRow,
                                   !lastColumn && !lastRow, !firstColumn && !lastRow};
  for (int q = 0; q < 4; ++q) {
    if (inside[static_cast<std::size_t>(q)]) calls.push_back(static_cast<FacePart>(set + q));
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

std::vector<std::shared_ptr<const PieceMesh>> PieceMeshes(const OutlineParams& params) {
  std::vector<std::shared_ptr<const PieceMesh>> meshes;
  if (params.form < 1 || params.form > 4) return meshes;
  Triangulator triangulator;
  std::array<std::vector<Point2>, FACE_PART_COUNT> sharedFaces;
  if (params.form == 4) {
    const auto regions = SharedRegions(params);
    for (std::size_t k = 0; k < FACE_PART_COUNT; ++k) sharedFaces[k] = triangulator.Cut(regions[k]);
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
          for (const FacePart call : Form4FaceParts(params, i, j)) {
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

void LayOutTableMesh(TableMesh& mesh, std::vector<std::shared_ptr<const PieceShape>> shapes, bool edges) {
  ClearTableMesh(mesh);
  mesh.edges = edges;
  mesh.shapes = std::move(shapes);
  const std::size_t count = mesh.shapes.size();
  TableMesh::Span next;
  mesh.spans.reserve(count);
  for (const auto& shape : mesh.shapes) {
    TableMesh::Span& span = mesh.spans.emplace_back(next);
    span.faceIndexCount = static_cast<std::uint32_t>(shape->triangles.size());
    next.faceVertex += static_cast<std::uint32_t>(shape->points.size());
    next.faceIndex += span.faceIndexCount;
    if (edges) {
      const auto n = static_cast<std::uint32_t>(shape->outline.size());
      span.edgeIndexCount = 4 * n;
      next.edgeVertex += 2 * n;
      next.edgeIndex += 4 * n;
    }
  }
  mesh.faceTexCoords.assign(2 * static_cast<std::size_t>(next.faceVertex), 0.0f);
  mesh.faceIndices.resize(next.faceIndex);
  mesh.edgeIndices.resize(next.edgeIndex);
  for (std::size_t k = 0; k < count; ++k) {
    const PieceShape& shape = *mesh.shapes[k];
    const TableMesh::Span& span = mesh.spans[k];
    for (std::size_t m = 0; m < shape.triangles.size(); ++m) {
      mesh.faceIndices[span.faceIndex + m] = span.faceVertex + shape.triangles[m];
    }
    if (!edges) continue;
    const auto n = static_cast<std::uint32_t>(shape.outline.size());
    std::uint32_t* lines = mesh.edgeIndices.data() + span.edgeIndex;
    for (std::uint32_t loop = 0; loop < 2; ++loop) {
      const std::uint32_t first = span.edgeVertex + loop * n;
      for (std::uint32_t m = 0; m < n; ++m) {
        *lines++ = first + m;
        *lines++ = first + (m + 1) % n;
      }
    }
  }
  mesh.facePositions.resize(3 * static_cast<std::size_t>(next.faceVertex));
  mesh.edgePositions.resize(3 * static_cast<std::size_t>(next.edgeVertex));
  // The edges stand EDGE_OFFSET off the face; a hundredth more allows for the
  // rounding of the placed vertices and of turned orientations.
  float reach = 0;
  const PieceShape* last = nullptr;
  for (const auto& shape : mesh.shapes) {
    if (shape.get() == last) continue;
    last = shape.get();
    for (const auto* points : {&shape->points, &shape->outline}) {
      for (const Point2& p : *points) reach = std::max(reach, std::hypot(p.x, p.y));
    }
  }
  mesh.reach = (reach + (edges ? EDGE_OFFSET : 0.0f)) * 1.01f;
  mesh.madeFor.resize(count);
  mesh.made.assign(count, 0);
}

namespace {

bool FillTableMesh(TableMesh& mesh, const GameState& state, const GameOptions& options) {
  const std::uint32_t count = state.pieceCount;
  if (options.form < 1 || options.form > 4 || options.columns < 2 || state.rows < 2 ||
      static_cast<std::uint64_t>(options.columns) * state.rows != count || state.pieces.size() < count) {
    return false;
  }
  const auto meshes = PieceMeshes(OutlineParamsFor(state, options));
  if (meshes.size() != count) return false;

  std::map<const PieceMesh*, std::shared_ptr<const PieceShape>> kinds;
  std::vector<std::shared_ptr<const PieceShape>> shapes;
  shapes.reserve(count);
  for (const auto& kind : meshes) {
    auto& shape = kinds[kind.get()];
    if (!shape) shape = MakeShape(*kind);
    shapes.push_back(shape);
  }
  LayOutTableMesh(mesh, std::move(shapes), options.showEdges);
  mesh.opaquePicture = state.pictureOpaque;

  // The texture coordinates map a piece's own coordinates to the picture
  // texel under them at home: one picture pixel is 2K table units. Form 1
  // pins the cell's corners to its texture rectangle instead.
  const CellTexStep step = CellTexSteps(state, options);
  const double K = HalfPixelOnTable(state.pixelScale);
  const auto planeS = static_cast<float>(1.0 / (2.0 * state.textureWidth * K));
  const auto planeT = static_cast<float>(1.0 / (2.0 * state.textureHeight * K));
  for (std::uint32_t k = 0; k < count; ++k) {
    const PieceShape& shape = *mesh.shapes[k];
    const TableMesh::Span& span = mesh.spans[k];
    const auto i = static_cast<float>(k % options.columns), j = static_cast<float>(k / options.columns);
    float* tex = mesh.faceTexCoords.data() + 2 * static_cast<std::size_t>(span.faceVertex);
    for (const Point2& p : shape.points) {
      if (options.form == 1) {
        tex[0] = (p.x < 0 ? i : i + 1) * step.s;
        tex[1] = (p.y < 0 ? j : j + 1) * step.t;
      } else {
        tex[0] = p.x * planeS + i * step.s;
        tex[1] = p.y * planeT + j * step.t;
      }
      tex += 2;
    }
  }
  UpdateTableMesh(mesh, state.pieces);
  return true;
}

void RemakePiece(TableMesh& mesh, std::size_t k, const PiecePose& pose) {
  const PieceShape& shape = *mesh.shapes[k];
  const TableMesh::Span& span = mesh.spans[k];
  Place(pose, shape.points, 0.0f, mesh.facePositions.data() + 3 * static_cast<std::size_t>(span.faceVertex));
  if (mesh.edges) {
    float* edges = mesh.edgePositions.data() + 3 * static_cast<std::size_t>(span.edgeVertex);
    Place(pose, shape.outline, EDGE_OFFSET, edges);
    Place(pose, shape.outline, -EDGE_OFFSET, edges + 3 * shape.outline.size());
  }
  mesh.madeFor[k] = pose;
  mesh.made[k] = 1;
}

}  // namespace

bool BuildTableMesh(TableMesh& mesh, const GameState& state, const GameOptions& options) {
  ClearTableMesh(mesh);
  try {
    if (FillTableMesh(mesh, state, options)) return true;
  } catch (const std::bad_alloc&) {
  }
  ClearTableMesh(mesh);
  return false;
}

void UpdateTableMesh(TableMesh& mesh, const std::vector<PiecePose>& poses) {
  const std::size_t count = std::min(poses.size(), mesh.spans.size());
  for (std::size_t k = 0; k < count; ++k) {
    if (mesh.made[k] == 0 || !SamePose(poses[k], mesh.madeFor[k])) RemakePiece(mesh, k, poses[k]);
  }
}

void UpdateTablePiece(TableMesh& mesh, const std::vector<PiecePose>& poses, std::size_t k) {
  if (k < std::min(poses.size(), mesh.spans.size())) RemakePiece(mesh, k, poses[k]);
}

bool PosesChangedExcept(const TableMesh& mesh, const std::vector<PiecePose>& poses, std::int32_t except) {
  const std::size_t count = std::min(poses.size(), mesh.spans.size());
  if (std::memchr(mesh.made.data(), 0, count) != nullptr) return true;
  return !SamePoseBytesExcept(poses.data(), mesh.madeFor.data(), count, except);
}

namespace {

// Pieces [first, last) of the shared arrays, in index order.
struct PieceRange {
  std::size_t first;
  std::size_t last;
};

// The faces, then the edges of the given pieces, in the order the ranges
// come; piece `highlighted` has its edges in highlightColour.
void DrawPieceRanges(const TableMesh& mesh, const std::vector<PieceRange>& ranges, std::int32_t highlighted,
                     const std::array<std::uint8_t, 3>& highlightColour) {
  const auto faceVertices = static_cast<GLuint>(mesh.facePositions.size() / 3);
  const auto edgeVertices = static_cast<GLuint>(mesh.edgePositions.size() / 3);
  // The vertices of pieces [first, last) lie together: the range names only
  // them, as a GL copies the whole range of client arrays it is given.
  auto endVertex = [&](std::size_t last, std::uint32_t TableMesh::Span::*start, GLuint total) {
    return last < mesh.spans.size() ? static_cast<GLuint>(mesh.spans[last].*start) : total;
  };
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -TABLE_DEPTH);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, mesh.facePositions.data());
  glTexCoordPointer(2, GL_FLOAT, 0, mesh.faceTexCoords.data());
  // The face shows the texture alone; black where none is bound.
  glColor3ub(0, 0, 0);
  glEnable(GL_TEXTURE_2D);
  // The range spares the GL a pass over the indices to find the vertices
  // they use.
  for (const PieceRange& range : ranges) {
    const std::uint32_t from = mesh.spans[range.first].faceIndex;
    const TableMesh::Span& last = mesh.spans[range.last - 1];
    glDrawRangeElements(GL_TRIANGLES, mesh.spans[range.first].faceVertex,
                        endVertex(range.last, &TableMesh::Span::faceVertex, faceVertices) - 1,
                        static_cast<GLsizei>(last.faceIndex + last.faceIndexCount - from), GL_UNSIGNED_INT,
                        mesh.faceIndices.data() + from);
  }
  glDisable(GL_TEXTURE_2D);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);

  if (mesh.edges && !mesh.edgeIndices.empty()) {
    glLineWidth(1.0f);
    glVertexPointer(3, GL_FLOAT, 0, mesh.edgePositions.data());
    auto lines = [&](std::size_t first, std::size_t last) {
      if (last <= first) return;
      const std::uint32_t from = mesh.spans[first].edgeIndex;
      const TableMesh::Span& end = mesh.spans[last - 1];
      glDrawRangeElements(GL_LINES, mesh.spans[first].edgeVertex,
                          endVertex(last, &TableMesh::Span::edgeVertex, edgeVertices) - 1,
                          static_cast<GLsizei>(end.edgeIndex + end.edgeIndexCount - from), GL_UNSIGNED_INT,
                          mesh.edgeIndices.data() + from);
    };
    glColor3ub(0, 0, 0);
    for (const PieceRange& range : ranges) {
      const auto h = static_cast<std::size_t>(highlighted);
      if (highlighted >= 0 && h >= range.first && h < range.last) {
        lines(range.first, h);
        glColor3ub(highlightColour[0], highlightColour[1], highlightColour[2]);
        lines(h, h + 1);
        glColor3ub(0, 0, 0);
        lines(h + 1, range.last);
      } else {
        lines(range.first, range.last);
      }
    }
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glPopMatrix();
}

// Every vertex of a piece lies within `reach` of its centre, and the
// frustum (symmetric about the eye's axis, looking down -z) widens with
// depth: a piece whose box lies beyond the frustum's extent at the box's
// farthest depth shows nowhere.
bool OutsideFrustum(const PiecePose& pose, float reach, const Frustum& f) {
  const double farthest = reach - static_cast<double>(pose.z);
  if (farthest <= f.nearPlane) return true;
  const double k = farthest / f.nearPlane;
  return pose.x - reach > f.right * k || pose.x + reach < f.left * k || pose.y - reach > f.top * k ||
         pose.y + reach < f.bottom * k;
}

}  // namespace

void DrawTableMesh(const TableMesh& mesh, std::size_t count, std::int32_t highlighted,
                   const std::array<std::uint8_t, 3>& highlightColour, std::int32_t skipped,
                   const Frustum* shown) {
  count = std::min(count, mesh.spans.size());
  const auto skip = static_cast<std::size_t>(skipped);
  // Where the vertices were made they were made from madeFor.
  auto drawn = [&](std::size_t k) {
    return k != skip &&
           (shown == nullptr || mesh.made[k] == 0 || !OutsideFrustum(mesh.madeFor[k], mesh.reach, *shown));
  };
  // Runs of drawn pieces, one draw call each.
  std::vector<PieceRange> ranges;
  for (std::size_t k = 0; k < count;) {
    while (k < count && !drawn(k)) ++k;
    const std::size_t first = k;
    while (k < count && drawn(k)) ++k;
    if (k > first) ranges.push_back({first, k});
  }
  if (ranges.empty()) return;
  DrawPieceRanges(mesh, ranges, highlighted, highlightColour);
}

void DrawTablePiece(const TableMesh& mesh, std::size_t k, const std::array<std::uint8_t, 3>& edgeColour) {
  if (k >= mesh.spans.size()) return;
  DrawPieceRanges(mesh, {{k, k + 1}}, static_cast<std::int32_t>(k), edgeColour);
}

std::size_t TableMeshBytes(const TableMesh& mesh) {
  std::size_t bytes = HeapOf(mesh.shapes) + HeapOf(mesh.spans) + HeapOf(mesh.faceTexCoords) +
                      HeapOf(mesh.faceIndices) + HeapOf(mesh.edgeIndices) + HeapOf(mesh.facePositions) +
                      HeapOf(mesh.edgePositions) + HeapOf(mesh.madeFor) + HeapOf(mesh.made);
  std::vector<const PieceShape*> kinds;
  for (const auto& shape : mesh.shapes) kinds.push_back(shape.get());
  std::sort(kinds.begin(), kinds.end());
  kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
  for (const PieceShape* shape : kinds) {
    bytes += sizeof(PieceShape) + HeapOf(shape->points) + HeapOf(shape->triangles) + HeapOf(shape->outline);
  }
  return bytes;
}

void ClearTableMesh(TableMesh& mesh) {
  const std::uint32_t generation = mesh.generation;
  mesh = TableMesh{};
  mesh.generation = generation + 1;
}

}  // namespace puzzle
