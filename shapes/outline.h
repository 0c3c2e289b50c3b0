// Piece outlines: the closed polygon that bounds every piece in its own plane,
// for the four piece forms, and the arc rule that sets how finely knobs are
// divided. Pure geometry with no state: the result depends only on the form,
// the bulge, the grid, the cell and knob measures and the arc fineness K, all
// copied into OutlineParams. The table mesh (render/table_mesh.h) and the form
// preview read these functions; nothing here writes a record.
//
// Piece frame: table units, x right, y up, the face in z = 0, the origin at
// the piece's anchor (its home point). Outlines run counter-clockwise with no
// repeated closing point.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/records.h"

namespace puzzle {

struct Point2 {
  float x = 0;
  float y = 0;
};

// Everything an outline depends on. The knob measures of forms 2 and 3 are
// the stored GameState values, so that every reader cuts the same knobs; the
// classic (form 4) measures are derived once here for the same reason.
struct OutlineParams {
  std::uint8_t form = 1;
  float bulge = 0.33f;
  std::uint32_t columns = 2;
  std::uint32_t rows = 2;
  float sx = 0;  // halfCellW
  float sy = 0;  // halfCellH
  // Half a picture pixel on the table (HalfPixelOnTable); arcs get about one
  // segment per pi * K of length.
  double K = 0;
  // Forms 2 and 3: b*sx, b*sy, 2b*sx, 2b*sy.
  float bulgeHalfX = 0;
  float bulgeHalfY = 0;
  float bulgeSpanX = 0;
  float bulgeSpanY = 0;
  // Form 4: the knob radius r = b * min(sx, sy) on every side, a = r / sqrt 2
  // (circle centre offset from the side line, half the neck width) and
  // c = r - a (how far the neck points lie off the side line).
  float classicR = 0;
  float classicA = 0;
  float classicC = 0;
};

// Reads the grid, the cell and knob measures and K of the current game, with
// the form and bulge its cells were laid out with.
OutlineParams OutlineParamsFor(const GameState& state, const GameOptions& options);

// Builds the parameters from the bare measures, deriving the knob measures by
// the same arithmetic as the table geometry rule (used by the form preview
// and by tests).
OutlineParams MakeOutlineParams(std::uint8_t form, float bulge, std::uint32_t columns, std::uint32_t rows,
                                float sx, float sy, double K);

// Sides in the order an outline meets them.
enum class Side : std::uint8_t { Bottom = 0, Right = 1, Top = 2, Left = 3 };

enum class SideKind : std::uint8_t {
  Straight,        // form 1: corner to corner, no knob
  Border,          // on the picture border: straight, no knob
  Full,            // cell corner to cell corner, knob in the middle
  HalfFromBorder,  // starts on the picture border (the anchor's line), ends at a cell corner
  HalfToBorder,    // starts at a cell corner, ends on the picture border
};

struct PieceSide {
  SideKind kind = SideKind::Straight;
  // Tab (knob sticking out) or blank (hollow); meaningless for Straight and
  // Border sides. Piece (i, j) with (i + j) even has tabs on its top and
  // bottom sides and blanks on its left and right sides; odd is the reverse,
  // so the two pieces on a shared side always pair a tab with a blank.
  bool tab = false;
};

// Which sides of piece (i, j) exist and what they carry, and the part of the
// cell the piece keeps: x in [left, right], y in [bottom, top]. Border pieces
// keep only the part inside the picture (0 replaces -sx, sx, -sy or sy).
struct PieceSides {
  std::array<PieceSide, 4> side{};  // indexed by Side
  float left = 0;
  float right = 0;
  float bottom = 0;
  float top = 0;
};

PieceSides DescribePiece(const OutlineParams& params, std::uint32_t i, std::uint32_t j);

// Appends the polyline of one arc around (cx, cy). deg0 and deg1 are whole
// multiples of 45 degrees (-135 .. 405); the arc runs counter-clockwise when
// deg1 > deg0 and clockwise otherwise. The end points come from a table of
// exact single-precision cos/sin values, so arcs meet straight runs and each
// other exactly. n = trunc(|delta / pi| * r / K) segments (|delta / pi| held
// as a float), the inner points at deg0 + m * delta / n in single-precision
// radians; n <= 1 gives the two end points only. Emits n + 1 points (or 2).
//
// Other angles take their cos/sin from the library, without that guarantee.
// A damaged K (zero, negative, not a number) gives the two end points and
// an absurd radius at most 65536 segments, never an unbounded polyline.
//
// Splitting an arc at multiples of 45 degrees (as the face fans do) gives the
// same end points as the whole arc at those angles, and points on the same
// circle in between, but generally not the same inner points: the whole arc
// and its pieces are divided separately.
void EmitArc(std::vector<Point2>& out, float cx, float cy, float r, int deg0, int deg1, double K);

// The polyline of one side of piece (i, j), in outline order, from its first
// point to its last. Consecutive sides share their joining point: the last
// point of one side is the first point of the next. A border side runs
// straight between the points where its neighbouring sides leave the border
// (or the picture corner). Empty for a form outside 1-4.
std::vector<Point2> SidePolyline(const OutlineParams& params, std::uint32_t i, std::uint32_t j, Side side);

// The closed outline of piece (i, j): the four side polylines joined, starting
// with the first point of the bottom side. Empty for a form outside 1-4.
std::vector<Point2> PieceOutline(const OutlineParams& params, std::uint32_t i, std::uint32_t j);

}  // namespace puzzle
