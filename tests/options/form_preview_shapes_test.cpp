#include "options/form_preview_shapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace puzzle {
namespace {

constexpr Rgb GREEN{0, 255, 0};
constexpr Rgb BLACK{0, 0, 0};

PreviewInputs Inputs(int form) {
  PreviewInputs inputs;
  inputs.colours = {10, 20, 30, 200, 0, 0, 250, 250, 0};
  inputs.form = form;
  inputs.bulge = 0.45f;
  return inputs;
}

// The direction in the middle of an arc, in degrees counter-clockwise on
// screen from the positive x axis, 0-360.
double MiddleOf(const PreviewShape& arc) {
  const ArcSweep sweep = ArcSweepOf(arc);
  return std::fmod(sweep.startDegrees + sweep.spanDegrees / 2, 360.0);
}

std::vector<PreviewShape> OfKind(const std::vector<PreviewShape>& shapes, PreviewShapeKind kind) {
  std::vector<PreviewShape> found;
  std::copy_if(shapes.begin(), shapes.end(), std::back_inserter(found),
               [kind](const PreviewShape& s) { return s.kind == kind; });
  return found;
}

TEST(FormPreviewKnob, MeasuresFollowTheBulgeAndWidth) {
  const PreviewKnob big = PreviewKnobOf(400, 0.45f);
  EXPECT_EQ(big.r, 13);
  EXPECT_EQ(big.q, 7);
  EXPECT_EQ(big.s, 9);
  const PreviewKnob small = PreviewKnobOf(400, 0.21f);
  EXPECT_EQ(small.r, 6);
  EXPECT_EQ(small.q, 3);
  EXPECT_EQ(small.s, 4);
}

TEST(FormPreviewShapes, TheGreenMarkSurroundsTheChosenSlot) {
  // With a 200 x 50 preview one unit is one pixel.
  const auto shapes = FormPreviewShapes(200, 50, Inputs(3));
  const auto mark = std::find_if(shapes.begin(), shapes.end(), [](const PreviewShape& s) {
    return s.kind == PreviewShapeKind::Polyline && s.pen == GREEN;
  });
  ASSERT_NE(mark, shapes.end());
  const auto [left, right] =
      std::minmax_element(mark->points.begin(), mark->points.end(), [](auto a, auto b) { return a.x < b.x; });
  EXPECT_EQ(left->x, 103);
  EXPECT_EQ(right->x, 147);
  EXPECT_EQ(mark->points.front(), mark->points.back());

  const auto first = FormPreviewShapes(400, 100, Inputs(1));
  const auto firstMark = std::find_if(first.begin(), first.end(), [](const PreviewShape& s) {
    return s.kind == PreviewShapeKind::Polyline && s.pen == GREEN;
  });
  ASSERT_NE(firstMark, first.end());
  EXPECT_EQ(firstMark->points[0], (PreviewPoint{6, 6}));
  EXPECT_EQ(firstMark->points[2], (PreviewPoint{94, 94}));
}

TEST(FormPreviewShapes, BackgroundAndFrameTakeTheirColours) {
  const auto shapes = FormPreviewShapes(400, 100, Inputs(1));
  ASSERT_FALSE(shapes.empty());
  const PreviewShape& background = shapes.front();
  EXPECT_EQ(background.kind, PreviewShapeKind::Rectangle);
  EXPECT_EQ(background.brush, (Rgb{10, 20, 30}));
  EXPECT_EQ(background.right, 400);
  EXPECT_EQ(background.bottom, 100);
  const auto lines = OfKind(shapes, PreviewShapeKind::Polyline);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].pen, (Rgb{200, 0, 0}));
  EXPECT_EQ(lines[0].points[1], (PreviewPoint{398, 2}));
  EXPECT_EQ(SwatchColour(Inputs(1).colours, 2), (Rgb{250, 250, 0}));
}

TEST(FormPreviewShapes, EdgesAndFrameCanBeLeftOut) {
  PreviewInputs inputs = Inputs(2);
  inputs.showEdges = false;
  inputs.showFrame = false;
  const auto shapes = FormPreviewShapes(400, 100, inputs);
  EXPECT_TRUE(OfKind(shapes, PreviewShapeKind::Arc).empty());
  for (const PreviewShape& shape : shapes) {
    if (shape.kind != PreviewShapeKind::Polyline) {
      EXPECT_FALSE(shape.pen) << static_cast<int>(shape.kind);
    }
  }
  // Only the green mark is left of the lines.
  const auto lines = OfKind(shapes, PreviewShapeKind::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].pen, GREEN);

  const auto withEdges = FormPreviewShapes(400, 100, Inputs(2));
  EXPECT_EQ(OfKind(withEdges, PreviewShapeKind::Arc).size(), 8u);
  EXPECT_EQ(withEdges.front().pen, BLACK);
}

TEST(FormPreviewShapes, KnobsAndSocketsSitWhereTheFormsNeedThem) {
  const int w = 400;
  const int h = 100;
  const PreviewKnob k = PreviewKnobOf(w, 0.45f);
  const auto shapes = FormPreviewShapes(w, h, Inputs(1));
  const auto discs = OfKind(shapes, PreviewShapeKind::Ellipse);
  ASSERT_EQ(discs.size(), 8u);
  auto centreOf = [](const PreviewShape& d) {
    return PreviewPoint{(d.left + d.right) / 2, (d.top + d.bottom) / 2};
  };
  // Form 3: knobs in the centres colour left and right, holes in the
  // background colour top and bottom.
  EXPECT_EQ(centreOf(discs[0]), (PreviewPoint{220, 50}));
  EXPECT_EQ(discs[0].brush, (Rgb{250, 250, 0}));
  EXPECT_EQ(centreOf(discs[2]), (PreviewPoint{250, 20}));
  EXPECT_EQ(discs[2].brush, (Rgb{10, 20, 30}));
  EXPECT_EQ(discs[0].right - discs[0].left, 2 * k.r);
  // Form 4: knobs standing above the top and below the bottom edge, sockets
  // inside the left and right edges.
  EXPECT_EQ(centreOf(discs[4]), (PreviewPoint{350, 20 - k.r + k.q}));
  EXPECT_EQ(centreOf(discs[5]), (PreviewPoint{350, 80 + k.r - k.q}));
  EXPECT_EQ(centreOf(discs[6]), (PreviewPoint{320 - k.q + k.r, 50}));
  EXPECT_EQ(discs[6].brush, (Rgb{10, 20, 30}));
  EXPECT_EQ(centreOf(discs[7]), (PreviewPoint{380 + k.q - k.r, 50}));

  const auto polygons = OfKind(shapes, PreviewShapeKind::Polygon);
  ASSERT_EQ(polygons.size(), 2u);
  EXPECT_EQ(polygons[0].points.size(), 20u);
  EXPECT_EQ(polygons[0].points[2], (PreviewPoint{150 - k.r, 80 + k.r}));
  EXPECT_EQ(polygons[1].points[6], (PreviewPoint{380 + k.q, 50 + k.s}));
}

TEST(FormPreviewShapes, ArcsOutlineTheOuterKnobsAndTheInnerHoles) {
  const auto arcs = OfKind(FormPreviewShapes(400, 100, Inputs(1)), PreviewShapeKind::Arc);
  ASSERT_EQ(arcs.size(), 8u);
  // Form 3 left knob: from straight up over the left to straight down.
  const ArcSweep left = ArcSweepOf(arcs[0]);
  EXPECT_DOUBLE_EQ(left.startDegrees, 90);
  EXPECT_DOUBLE_EQ(left.spanDegrees, 180);
  EXPECT_NEAR(MiddleOf(arcs[1]), 0, 1e-9);   // right knob bulges right
  EXPECT_NEAR(MiddleOf(arcs[2]), 270, 5);    // top hole curves into the piece
  EXPECT_NEAR(MiddleOf(arcs[3]), 90, 1e-9);  // bottom hole curves into the piece
  // Form 4: knobs bulge outward, sockets inward.
  EXPECT_NEAR(MiddleOf(arcs[4]), 90, 5);
  EXPECT_NEAR(MiddleOf(arcs[5]), 270, 5);
  const double leftSocket = MiddleOf(arcs[6]);
  EXPECT_TRUE(leftSocket < 1e-9 || leftSocket > 360 - 1e-9) << leftSocket;
  EXPECT_NEAR(MiddleOf(arcs[7]), 180, 1e-9);
  EXPECT_GT(ArcSweepOf(arcs[4]).spanDegrees, 180);
}

TEST(FormPreviewArcs, EqualDirectionsGiveTheFullCircle) {
  PreviewShape arc;
  arc.kind = PreviewShapeKind::Arc;
  arc.left = 0;
  arc.top = 0;
  arc.right = 20;
  arc.bottom = 20;
  arc.points = {{20, 10}, {30, 10}};
  EXPECT_DOUBLE_EQ(ArcSweepOf(arc).spanDegrees, 360);
  arc.points = {{10, 20}, {20, 10}};  // straight down to the right: a quarter
  EXPECT_DOUBLE_EQ(ArcSweepOf(arc).startDegrees, 270);
  EXPECT_DOUBLE_EQ(ArcSweepOf(arc).spanDegrees, 90);
}

}  // namespace
}  // namespace puzzle
