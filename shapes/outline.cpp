#include "shapes/outline.h"

#include <algorithm>
#include <cmath>

#include "model/geometry.h"

namespace puzzle {

namespace {

constexpr double PI = 3.141592653589793;
constexpr float DIAGONAL = 0.70710677f;
// Far above any real picture (a half circle of radius rho pixels gets about
// 2 rho segments); it only stops a damaged bulge or scale from asking for an
// unbounded number of points.
constexpr double MAX_ARC_SEGMENTS = 65536.0;

struct AngleEntry {
  float cosine;
  float sine;
  float radians;
};

// Exact cos/sin at multiples of 45 degrees so that arc ends meet straight
// runs, and the neighbouring piece's arc, at exactly the same points.
AngleEntry EntryFor(int degrees) {
  static constexpr float COS[8] = {1, DIAGONAL, 0, -DIAGONAL, -1, -DIAGONAL, 0, DIAGONAL};
  static constexpr float SIN[8] = {0, DIAGONAL, 1, DIAGONAL, 0, -DIAGONAL, -1, -DIAGONAL};
  const auto radians = static_cast<float>(degrees * (PI / 180.0));
  if (degrees % 45 != 0) {
    return {static_cast<float>(std::cos(static_cast<double>(radians))),
            static_cast<float>(std::sin(static_cast<double>(radians))), radians};
  }
  const int octant = ((degrees / 45) % 8 + 8) % 8;
  return {COS[octant], SIN[octant], radians};
}

// A side seen from outside the piece: u runs along the side in outline
// order, v points away from the piece, the origin is the midpoint of the
// whole cell side (which for a half side lies on the picture border).
// phi is the direction of v in degrees.
struct SideFrame {
  float mx;
  float my;
  int dx;
  int dy;
  int nx;
  int ny;
  int phi;
  float halfLength;
};

SideFrame FrameOf(const OutlineParams& p, Side side) {
  switch (side) {
    case Side::Bottom: return {0, -p.sy, 1, 0, 0, -1, 270, p.sx};
    case Side::Right: return {p.sx, 0, 0, 1, 1, 0, 0, p.sy};
    case Side::Top: return {0, p.sy, -1, 0, 0, 1, 90, p.sx};
    case Side::Left: return {-p.sx, 0, 0, -1, -1, 0, 180, p.sy};
  }
  return {};
}

bool Horizontal(Side side) {
  return side == Side::Bottom || side == Side::Top;
}

class SideWriter {
 public:
  SideWriter(std::vector<Point2>& out, const SideFrame& frame, double k) : out_(out), f_(frame), k_(k) {}

  void Point(double u, double v) { out_.push_back(ToPiece(u, v)); }

  enum class Portion { Whole, FirstHalf, SecondHalf };

  // An arc whose angles are measured from the side's outward direction. A
  // half is split at the middle angle of the whole arc as the piece frame
  // writes it, so a cut knob uses the same angles as the uncut one.
  void Arc(double uc, double vc, float r, int local0, int local1, Portion portion = Portion::Whole) {
    int deg0 = f_.phi + local0;
    int deg1 = f_.phi + local1;
    // Keep both angles in the table's range -135 .. 405.
    while (std::max(deg0, deg1) > 405) {
      deg0 -= 360;
      deg1 -= 360;
    }
    while (std::min(deg0, deg1) < -135) {
      deg0 += 360;
      deg1 += 360;
    }
    const int middle = (deg0 + deg1) / 2;
    if (portion == Portion::FirstHalf) deg1 = middle;
    if (portion == Portion::SecondHalf) deg0 = middle;
    const Point2 centre = ToPiece(uc, vc);
    EmitArc(out_, centre.x, centre.y, r, deg0, deg1, k_);
  }

 private:
  Point2 ToPiece(double u, double v) const {
    return {static_cast<float>(f_.mx + u * f_.dx + v * f_.nx),
            static_cast<float>(f_.my + u * f_.dy + v * f_.ny)};
  }

  std::vector<Point2>& out_;
  const SideFrame& f_;
  double k_;
};

// Form 2: a rectangle of half width w along the side and depth d across it;
// against the border it keeps its size and spans s = 2w from the border.
void RectangularSide(SideWriter& w, const OutlineParams& p, Side side, const PieceSide& info, double length) {
  const bool horizontal = Horizontal(side);
  const double half = horizontal ? p.bulgeHalfX : p.bulgeHalfY;
  const double span = horizontal ? p.bulgeSpanX : p.bulgeSpanY;
  const double depth = (horizontal ? p.bulgeHalfY : p.bulgeHalfX) * (info.tab ? 1.0 : -1.0);
  switch (info.kind) {
    case SideKind::Full:
      w.Point(-length, 0);
      w.Point(-half, 0);
      w.Point(-half, depth);
      w.Point(half, depth);
      w.Point(half, 0);
      w.Point(length, 0);
      break;
    case SideKind::HalfFromBorder:
      w.Point(0, depth);
      w.Point(span, depth);
      w.Point(span, 0);
      w.Point(length, 0);
      break;
    case SideKind::HalfToBorder:
      w.Point(-length, 0);
      w.Point(-span, 0);
      w.Point(-span, depth);
      w.Point(0, depth);
      break;
    default: break;
  }
}

// Form 3: a half disc of radius r on a full side; against the border a
// rectangle r long and r deep followed by a quarter disc, square at the
// border and round at the inner end.
void RoundSide(SideWriter& w, const OutlineParams& p, Side side, const PieceSide& info, double length) {
  const float r = Horizontal(side) ? p.bulgeHalfX : p.bulgeHalfY;
  const double depth = info.tab ? r : -static_cast<double>(r);
  switch (info.kind) {
    case SideKind::Full:
      w.Point(-length, 0);
      if (info.tab) {
        w.Arc(0, 0, r, -90, 90);
      } else {
        w.Arc(0, 0, r, 270, 90);
      }
      w.Point(length, 0);
      break;
    case SideKind::HalfFromBorder:
      w.Point(0, depth);
      if (info.tab) {
        w.Arc(r, 0, r, 0, 90);
      } else {
        w.Arc(r, 0, r, 180, 90);
      }
      w.Point(length, 0);
      break;
    case SideKind::HalfToBorder:
      w.Point(-length, 0);
      if (info.tab) {
        w.Arc(-r, 0, r, -90, 0);
      } else {
        w.Arc(-r, 0, r, 270, 180);
      }
      w.Point(0, depth);
      break;
    default: break;
  }
}

// Form 4: three quarters of a circle on a neck whose points lie c off the
// side line towards the tab's owner; the border cuts a half side's knob
// through its circle centre.
void ClassicSide(SideWriter& w, const OutlineParams& p, const PieceSide& info, double length) {
  const float r = p.classicR;
  const double a = p.classicA;
  const double neck = info.tab ? -static_cast<double>(p.classicC) : p.classicC;
  const double centre = info.tab ? a : -a;
  // Tab arcs run -135 -> 135 through the outermost point at 0; blank arcs
  // 315 -> 45 through the deepest point at 180.
  const int from = info.tab ? -135 : 315;
  const int to = info.tab ? 135 : 45;
  switch (info.kind) {
    case SideKind::Full:
      w.Point(-length, 0);
      w.Point(-a, neck);
      w.Arc(0, centre, r, from, to);
      w.Point(a, neck);
      w.Point(length, 0);
      break;
    case SideKind::HalfFromBorder:
      w.Arc(0, centre, r, from, to, SideWriter::Portion::SecondHalf);
      w.Point(a, neck);
      w.Point(length, 0);
      break;
    case SideKind::HalfToBorder:
      w.Point(-length, 0);
      w.Point(-a, neck);
      w.Arc(0, centre, r, from, to, SideWriter::Portion::FirstHalf);
      break;
    default: break;
  }
}

bool ValidPiece(const OutlineParams& p, std::uint32_t i, std::uint32_t j) {
  return p.form >= 1 && p.form <= 4 && p.columns >= 2 && p.rows >= 2 && i < p.columns && j < p.rows;
}

Side Next(Side side) {
  return static_cast<Side>((static_cast<int>(side) + 1) % 4);
}
Side Previous(Side side) {
  return static_cast<Side>((static_cast<int>(side) + 3) % 4);
}

// Where side begins if nothing else decides it: the corner of the kept cell
// part at its start.
Point2 StartCorner(const PieceSides& sides, Side side) {
  switch (side) {
    case Side::Bottom: return {sides.left, sides.bottom};
    case Side::Right: return {sides.right, sides.bottom};
    case Side::Top: return {sides.right, sides.top};
    case Side::Left: return {sides.left, sides.top};
  }
  return {};
}

// Every side but a border side, which borrows its ends from its neighbours.
std::vector<Point2> ShapedSide(const OutlineParams& p, const PieceSides& sides, Side side) {
  std::vector<Point2> out;
  const PieceSide& info = sides.side[static_cast<std::size_t>(side)];
  const SideFrame frame = FrameOf(p, side);
  SideWriter w(out, frame, p.K);
  const double length = frame.halfLength;
  switch (p.form) {
    case 1:
      w.Point(-length, 0);
      w.Point(length, 0);
      break;
    case 2: RectangularSide(w, p, side, info, length); break;
    case 3: RoundSide(w, p, side, info, length); break;
    case 4: ClassicSide(w, p, info, length); break;
    default: break;
  }
  return out;
}

std::vector<Point2> Polyline(const OutlineParams& p, const PieceSides& sides, Side side) {
  if (sides.side[static_cast<std::size_t>(side)].kind != SideKind::Border) return ShapedSide(p, sides, side);
  const Side before = Previous(side);
  const Side after = Next(side);
  Point2 start = StartCorner(sides, side);
  Point2 end = StartCorner(sides, after);
  if (sides.side[static_cast<std::size_t>(before)].kind != SideKind::Border) {
    start = ShapedSide(p, sides, before).back();
  }
  if (sides.side[static_cast<std::size_t>(after)].kind != SideKind::Border) {
    end = ShapedSide(p, sides, after).front();
  }
  return {start, end};
}

}  // namespace

OutlineParams MakeOutlineParams(std::uint8_t form, float bulge, std::uint32_t columns, std::uint32_t rows,
                                float sx, float sy, double K) {
  OutlineParams p;
  p.form = form;
  p.bulge = bulge;
  p.columns = columns;
  p.rows = rows;
  p.sx = sx;
  p.sy = sy;
  p.K = K;
  const double b = bulge;
  p.bulgeSpanX = static_cast<float>(2.0 * b * sx);
  p.bulgeHalfY = static_cast<float>(b * sy);
  p.bulgeSpanY = static_cast<float>(2.0 * b * sy);
  p.bulgeHalfX = static_cast<float>(b * sx);
  p.classicR = static_cast<float>(b * std::min(sx, sy));
  p.classicA = static_cast<float>(0.7071067811865476 * p.classicR);
  p.classicC = static_cast<float>(0.2928932188134525 * p.classicR);
  return p;
}

OutlineParams OutlineParamsFor(const GameState& state, const GameOptions& options) {
  OutlineParams p = MakeOutlineParams(state.pieceForm, state.pieceBulge, options.columns, state.rows,
                                      state.halfCellW, state.halfCellH, HalfPixelOnTable(state.pixelScale));
  p.bulgeHalfX = state.bulgeHalfX;
  p.bulgeHalfY = state.bulgeHalfY;
  p.bulgeSpanX = state.bulgeSpanX;
  p.bulgeSpanY = state.bulgeSpanY;
  return p;
}

PieceSides DescribePiece(const OutlineParams& params, std::uint32_t i, std::uint32_t j) {
  PieceSides sides;
  sides.left = -params.sx;
  sides.right = params.sx;
  sides.bottom = -params.sy;
  sides.top = params.sy;
  if (!ValidPiece(params, i, j) || params.form == 1) return sides;

  const bool firstColumn = i == 0;
  const bool lastColumn = i + 1 == params.columns;
  const bool firstRow = j == 0;
  const bool lastRow = j + 1 == params.rows;
  if (firstColumn) sides.left = 0;
  if (lastColumn) sides.right = 0;
  if (firstRow) sides.bottom = 0;
  if (lastRow) sides.top = 0;

  // A side perpendicular to the border becomes a half side; which end
  // touches the border follows from the counter-clockwise walk.
  const auto kind = [](bool onBorder, bool startsOnBorder, bool endsOnBorder) {
    if (onBorder) return SideKind::Border;
    if (startsOnBorder) return SideKind::HalfFromBorder;
    if (endsOnBorder) return SideKind::HalfToBorder;
    return SideKind::Full;
  };
  auto& s = sides.side;
  s[static_cast<std::size_t>(Side::Bottom)].kind = kind(firstRow, firstColumn, lastColumn);
  s[static_cast<std::size_t>(Side::Right)].kind = kind(lastColumn, firstRow, lastRow);
  s[static_cast<std::size_t>(Side::Top)].kind = kind(lastRow, lastColumn, firstColumn);
  s[static_cast<std::size_t>(Side::Left)].kind = kind(firstColumn, lastRow, firstRow);

  const bool even = (i + j) % 2 == 0;
  s[static_cast<std::size_t>(Side::Bottom)].tab = even;
  s[static_cast<std::size_t>(Side::Top)].tab = even;
  s[static_cast<std::size_t>(Side::Right)].tab = !even;
  s[static_cast<std::size_t>(Side::Left)].tab = !even;
  return sides;
}

void EmitArc(std::vector<Point2>& out, float cx, float cy, float r, int deg0, int deg1, double K) {
  const AngleEntry start = EntryFor(deg0);
  const AngleEntry end = EntryFor(deg1);
  const float delta = end.radians - start.radians;
  const auto turns = static_cast<float>(std::fabs(delta / PI));
  const double wanted = static_cast<double>(turns * r) / K;
  int n = 0;
  if (std::isfinite(wanted) && wanted > 0) n = static_cast<int>(std::min(wanted, MAX_ARC_SEGMENTS));

  const double x0 = cx;
  const double y0 = cy;
  const double radius = r;
  out.push_back(
      {static_cast<float>(x0 + radius * start.cosine), static_cast<float>(y0 + radius * start.sine)});
  for (int m = 1; m < n; ++m) {
    const float angle = start.radians + static_cast<float>(m) * delta / static_cast<float>(n);
    out.push_back({static_cast<float>(x0 + radius * std::cos(static_cast<double>(angle))),
                   static_cast<float>(y0 + radius * std::sin(static_cast<double>(angle)))});
  }
  out.push_back({static_cast<float>(x0 + radius * end.cosine), static_cast<float>(y0 + radius * end.sine)});
}

std::vector<Point2> SidePolyline(const OutlineParams& params, std::uint32_t i, std::uint32_t j, Side side) {
  if (!ValidPiece(params, i, j)) return {};
  return Polyline(params, DescribePiece(params, i, j), side);
}

std::vector<Point2> PieceOutline(const OutlineParams& params, std::uint32_t i, std::uint32_t j) {
  if (!ValidPiece(params, i, j)) return {};
  const PieceSides sides = DescribePiece(params, i, j);
  std::vector<Point2> outline;
  for (Side side : {Side::Bottom, Side::Right, Side::Top, Side::Left}) {
    const std::vector<Point2> part = Polyline(params, sides, side);
    // The last point of each side is the first of the next.
    outline.insert(outline.end(), part.begin(), part.end() - 1);
  }
  return outline;
}

}  // namespace puzzle
