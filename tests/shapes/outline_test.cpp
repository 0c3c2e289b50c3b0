#include "shapes/outline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <numbers>
#include <tuple>
#include <variant>

#include "model/geometry.h"

namespace puzzle {
namespace {

// A realistic arc fineness: the table scale of an 800 x 600 window.
const double K = HalfPixelOnTable(1.0 / 600.0);
constexpr double TOL = 1e-5;

OutlineParams Params(int form, float bulge, std::uint32_t columns, std::uint32_t rows, float sx, float sy) {
  return MakeOutlineParams(static_cast<std::uint8_t>(form), bulge, columns, rows, sx, sy, K);
}

// What a documented outline lists: plain points and arcs (centre, radius,
// start and end angle in degrees).
struct Pt {
  double x, y;
};
struct ArcSpec {
  double cx, cy, r;
  int deg0, deg1;
};
using Step = std::variant<Pt, ArcSpec>;

// Walks the closed outline, back to its first point, against the listed
// steps: points must match, an arc must start and end at the listed angles,
// keep every point on its circle and have about |delta| / 180 * r / K
// segments (an arc the wrong way round has far more).
void ExpectOutline(std::vector<Point2> outline, const std::vector<Step>& steps) {
  ASSERT_FALSE(outline.empty());
  outline.push_back(outline.front());
  const auto near = [&outline](std::size_t i, double x, double y) {
    return i < outline.size() && std::abs(outline[i].x - x) < TOL && std::abs(outline[i].y - y) < TOL;
  };
  std::size_t at = 0;
  for (const Step& step : steps) {
    if (const Pt* p = std::get_if<Pt>(&step)) {
      EXPECT_TRUE(near(at, p->x, p->y)) << "point " << at;
      ++at;
      continue;
    }
    const ArcSpec& a = std::get<ArcSpec>(step);
    const double rad0 = a.deg0 * std::numbers::pi / 180.0, rad1 = a.deg1 * std::numbers::pi / 180.0;
    // The float rounding of the rule may give one segment fewer or more than
    // the estimate, so the end point settles the count.
    const auto estimate = static_cast<std::size_t>(std::abs(a.deg1 - a.deg0) / 180.0 * a.r / K);
    std::size_t count = 0;
    for (std::size_t c = std::max<std::size_t>(2, estimate); c <= estimate + 2; ++c) {
      if (near(at + c - 1, a.cx + a.r * std::cos(rad1), a.cy + a.r * std::sin(rad1))) count = c;
    }
    ASSERT_NE(count, 0u) << "no arc end near point " << at + estimate;
    EXPECT_TRUE(near(at, a.cx + a.r * std::cos(rad0), a.cy + a.r * std::sin(rad0))) << "arc start " << at;
    for (std::size_t m = 1; m + 1 < count; ++m) {
      EXPECT_NEAR(std::hypot(outline[at + m].x - a.cx, outline[at + m].y - a.cy), a.r, TOL)
          << "arc point " << m;
    }
    at += count;
  }
  EXPECT_EQ(at, outline.size());
}

double SignedArea(const std::vector<Point2>& poly) {
  double area = 0;
  for (std::size_t k = 0; k < poly.size(); ++k) {
    const Point2 a = poly[k], b = poly[(k + 1) % poly.size()];
    area += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
  }
  return area / 2;
}

double Cross(Point2 o, Point2 a, Point2 b) {
  return (static_cast<double>(a.x) - o.x) * (static_cast<double>(b.y) - o.y) -
         (static_cast<double>(a.y) - o.y) * (static_cast<double>(b.x) - o.x);
}

// Closed segments ab and cd share at least one point.
bool SegmentsMeet(Point2 a, Point2 b, Point2 c, Point2 d) {
  auto within = [](Point2 s, Point2 e, Point2 p) {
    return std::min(s.x, e.x) <= p.x && p.x <= std::max(s.x, e.x) && std::min(s.y, e.y) <= p.y &&
           p.y <= std::max(s.y, e.y);
  };
  const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
  return (d1 * d2 < 0 && d3 * d4 < 0) || (d1 == 0 && within(c, d, a)) || (d2 == 0 && within(c, d, b)) ||
         (d3 == 0 && within(a, b, c)) || (d4 == 0 && within(a, b, d));
}

// Returns the index of the first segment that meets a non-adjacent one, or -1.
long FirstCrossing(const std::vector<Point2>& poly) {
  const std::size_t n = poly.size();
  for (std::size_t s = 0; s < n; ++s) {
    for (std::size_t t = s + 2; t < n; ++t) {
      if (s == 0 && t == n - 1) continue;  // the closing segment is adjacent to the first
      if (SegmentsMeet(poly[s], poly[s + 1], poly[t], poly[(t + 1) % n])) return static_cast<long>(s);
    }
  }
  return -1;
}

TEST(OutlineTest, CornerPieceExamplesOfTheThreeKnobbedForms) {
  const float sx = 0.5f, sy = 0.4f, b = 0.33f;
  const double bx = static_cast<double>(b) * sx, by = static_cast<double>(b) * sy;
  ExpectOutline(PieceOutline(Params(2, b, 4, 3, sx, sy), 0, 0),
                {Pt{0, 0}, Pt{sx - bx, 0}, Pt{sx - bx, 2 * by}, Pt{sx, 2 * by}, Pt{sx, sy}, Pt{2 * bx, sy},
                 Pt{2 * bx, sy + by}, Pt{0, sy + by}, Pt{0, 0}});

  // The rectangle corners listed before each quarter circle are the arcs' own
  // start points, so they appear once.
  ExpectOutline(PieceOutline(Params(3, b, 4, 3, sx, sy), 0, 0),
                {Pt{0, 0}, Pt{sx - by, 0}, ArcSpec{sx, by, by, 180, 90}, Pt{sx, sy},
                 ArcSpec{bx, sy, bx, 0, 90}, Pt{0, sy + bx}, Pt{0, 0}});

  const OutlineParams classic = Params(4, b, 4, 3, sx, sy);
  const double r = by;  // min(sx, sy) sets the radius on every side
  const double a = 0.7071067811865476 * r, c = r - a;
  EXPECT_NEAR(classic.classicR, r, 1e-7);
  ExpectOutline(PieceOutline(classic, 0, 0),
                {Pt{0, 0}, ArcSpec{sx - a, 0, r, 180, 45}, Pt{sx + c, a}, Pt{sx, sy}, Pt{a, sy - c},
                 ArcSpec{0, sy + a, r, -45, 90}, Pt{0, 0}});
}

TEST(OutlineTest, InnerAndBorderPiecesOfFormFour) {
  const float sx = 0.3f, sy = 0.45f, s = 0.4f;
  // Piece (2, 1) of a 4 x 4 grid has tabs left and right; with sx < sy the
  // radius is b*sx on the horizontal sides too.
  double r = 0.45f * sx, a = 0.7071067811865476 * r, c = r - a;
  ExpectOutline(PieceOutline(Params(4, 0.45f, 4, 4, sx, sy), 2, 1),
                {Pt{-sx, -sy}, Pt{-a, -sy - c}, ArcSpec{0, -sy + a, r, 225, -45}, Pt{a, -sy - c}, Pt{sx, -sy},
                 Pt{sx - c, -a}, ArcSpec{sx + a, 0, r, -135, 135}, Pt{sx - c, a}, Pt{sx, sy}, Pt{a, sy + c},
                 ArcSpec{0, sy - a, r, 405, 135}, Pt{-a, sy + c}, Pt{-sx, sy}, Pt{-sx + c, a},
                 ArcSpec{-sx - a, 0, r, 45, 315}, Pt{-sx + c, -a}, Pt{-sx, -sy}});

  // Border pieces cut their knobs through the knobs' centres.
  const OutlineParams p = Params(4, 0.33f, 5, 4, s, s);
  r = p.classicR;
  a = p.classicA;
  c = p.classicC;
  // Row 0 piece with odd parity keeps the upper halves of its side tabs.
  ExpectOutline(PieceOutline(p, 1, 0), {Pt{-s - a - r, 0}, ArcSpec{s + a, 0, r, 0, 135}, Pt{s - c, a},
                                        Pt{s, s}, Pt{a, s + c}, ArcSpec{0, s - a, r, 405, 135}, Pt{-a, s + c},
                                        Pt{-s, s}, Pt{-s + c, a}, ArcSpec{-s - a, 0, r, 45, 180}});
  // The top-right corner of a 5 x 4 grid (odd parity): a left half tab and a
  // bottom half blank, meeting the picture corner.
  ExpectOutline(PieceOutline(p, 4, 3), {Pt{-s, -s}, Pt{-a, -s - c}, ArcSpec{0, -s + a, r, 225, 90}, Pt{0, 0},
                                        ArcSpec{-s - a, 0, r, 180, 315}, Pt{-s + c, -a}, Pt{-s, -s}});
}

// Over many grids, square cells and not: in the knobbed forms every shared
// side is one polyline, the neighbour's side shifted by one cell and walked
// backwards; the pieces' signed areas add up to the picture; and where the
// cells are near square every outline is a simple counter-clockwise polygon.
TEST(OutlineTest, PiecesOfEveryGridFitTogether) {
  const struct {
    std::uint32_t columns, rows;
    float sx, sy;
    bool nearSquare;
  } grids[] = {{2, 2, 0.5f, 0.5f, true},   {3, 2, 0.6f, 0.25f, false}, {4, 3, 0.3f, 0.3f, true},
               {5, 4, 0.2f, 0.35f, false}, {5, 4, 0.3f, 0.26f, true},  {3, 3, 0.22f, 0.25f, true},
               {6, 5, 0.15f, 0.2f, false}, {12, 9, 0.1f, 0.1f, true}};
  for (int form = 1; form <= 4; ++form) {
    for (float b : {0.21f, 0.33f, 0.45f}) {
      for (const auto& g : grids) {
        const OutlineParams p = Params(form, b, g.columns, g.rows, g.sx, g.sy);
        SCOPED_TRACE(::testing::Message() << "form " << form << " b " << b << " grid " << g.columns << "x"
                                          << g.rows << " sx " << g.sx << " sy " << g.sy);
        double total = 0;
        for (std::uint32_t j = 0; j < g.rows; ++j) {
          for (std::uint32_t i = 0; i < g.columns; ++i) {
            SCOPED_TRACE(::testing::Message() << "piece (" << i << ", " << j << ")");
            const std::vector<Point2> outline = PieceOutline(p, i, j);
            total += SignedArea(outline);
            if (g.nearSquare) {
              EXPECT_GT(SignedArea(outline), 0);
              EXPECT_EQ(FirstCrossing(outline), -1);
            }
            if (form == 1) continue;
            const struct {
              bool exists;
              Side mine, theirs;
              std::uint32_t ni, nj;
              float dx, dy;
            } pairs[] = {{i + 1 < g.columns, Side::Right, Side::Left, i + 1, j, 2 * g.sx, 0},
                         {j + 1 < g.rows, Side::Top, Side::Bottom, i, j + 1, 0, 2 * g.sy}};
            for (const auto& pair : pairs) {
              if (!pair.exists) continue;
              const std::vector<Point2> mine = SidePolyline(p, i, j, pair.mine);
              const std::vector<Point2> theirs = SidePolyline(p, pair.ni, pair.nj, pair.theirs);
              ASSERT_EQ(mine.size(), theirs.size());
              ASSERT_GE(mine.size(), 4u);
              for (std::size_t k = 0; k < mine.size(); ++k) {
                const Point2 q = theirs[theirs.size() - 1 - k];
                ASSERT_NEAR(mine[k].x, q.x + pair.dx, TOL) << k;
                ASSERT_NEAR(mine[k].y, q.y + pair.dy, TOL) << k;
              }
            }
          }
        }
        // The knobbed forms' pieces sit on the cells' corners: one span fewer each way.
        const double spans = form == 1 ? 1.0 * g.columns * g.rows : (g.columns - 1.0) * (g.rows - 1.0);
        const double picture = spans * 4 * g.sx * g.sy;
        EXPECT_NEAR(total, picture, picture * 1e-5);
      }
    }
  }
}

TEST(OutlineTest, ArcsAreDividedByLengthWithExactEnds) {
  auto arc = [](float cx, float cy, float r, int deg0, int deg1, double k = 0.001) {
    std::vector<Point2> points;
    EmitArc(points, cx, cy, r, deg0, deg1, k);
    return points;
  };
  // A 45-degree arc needs r / K >= 8 for a second segment.
  EXPECT_EQ(arc(0, 0, 0.0079f, 0, 45).size(), 2u);
  EXPECT_EQ(arc(0, 0, 0.0081f, 0, 45).size(), 3u);

  // A half circle of radius rho half-pixels gets about rho segments, and
  // its ends come from the exact table.
  EXPECT_EQ(arc(0, 0, 0.1f, 0, 180).size(), 101u);
  // From 270 to 90 the float radians differ by a hair less than pi, and
  // |delta / pi| is held as a float before the product, so one segment less.
  const std::vector<Point2> half = arc(1.0f, 2.0f, 0.1f, 270, 90);
  ASSERT_EQ(half.size(), 100u);
  EXPECT_EQ(std::make_tuple(half.front().x, half.front().y, half.back().x, half.back().y),
            std::make_tuple(1.0f, 2.0f - 0.1f, 1.0f, 2.0f + 0.1f));
  EXPECT_LT(half[50].x, 1.0f - 0.09f);  // clockwise from 270 passes through 180

  // A damaged scale or bulge must not turn into an endless arc.
  for (double bad : {0.0, -1.0, std::nan("")}) EXPECT_EQ(arc(0, 0, 1.0f, 0, 90, bad).size(), 2u);
  EXPECT_LE(arc(0, 0, 1e30f, 0, 90).size(), 70000u);
}

}  // namespace
}  // namespace puzzle
