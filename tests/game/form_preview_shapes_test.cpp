#include "game/form_preview_shapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace puzzle {
namespace {

constexpr Rgb GREEN{0, 255, 0};

PreviewInputs Inputs(int form) {
  return {.colours = {10, 20, 30, 200, 0, 0, 250, 250, 0}, .form = form, .bulge = 0.45f};
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

TEST(FormPreviewShapes, TheGreenMarkSurroundsTheChosenSlot) {
  // With a 200 x 50 preview one unit is one pixel.
  auto markOf = [](int width, int height, int form) {
    const auto lines = OfKind(FormPreviewShapes(width, height, Inputs(form)), PreviewShapeKind::Polyline);
    const auto mark = std::find_if(lines.begin(), lines.end(), [](const auto& s) { return s.pen == GREEN; });
    return mark == lines.end() ? std::vector<PreviewPoint>{} : mark->points;
  };
  const auto mark = markOf(200, 50, 3);
  ASSERT_FALSE(mark.empty());
  const auto [left, right] =
      std::minmax_element(mark.begin(), mark.end(), [](auto a, auto b) { return a.x < b.x; });
  EXPECT_EQ(std::make_pair(left->x, right->x), std::make_pair(103, 147));
  EXPECT_EQ(mark.front(), mark.back());
  const auto first = markOf(400, 100, 1);
  ASSERT_GE(first.size(), 3u);
  EXPECT_EQ(std::make_pair(first[0], first[2]), std::make_pair(PreviewPoint{6, 6}, PreviewPoint{94, 94}));
}

TEST(FormPreviewShapes, ArcsOutlineTheOuterKnobsAndTheInnerHoles) {
  const auto arcs = OfKind(FormPreviewShapes(400, 100, Inputs(1)), PreviewShapeKind::Arc);
  ASSERT_EQ(arcs.size(), 8u);
  // Form 3 left knob: from straight up over the left to straight down.
  const ArcSweep left = ArcSweepOf(arcs[0]);
  EXPECT_EQ(std::make_pair(left.startDegrees, left.spanDegrees), std::make_pair(90.0, 180.0));
  // Form 3's right knob bulges right, its top and bottom holes curve into the
  // piece; form 4's knobs bulge outward, its sockets inward. The middles are
  // compared the short way round the circle.
  const std::pair<double, double> middles[] = {{0, 1e-9}, {270, 5},  {90, 1e-9}, {90, 5},
                                               {270, 5},  {0, 1e-9}, {180, 1e-9}};
  for (std::size_t k = 1; k < arcs.size(); ++k)
    EXPECT_NEAR(std::remainder(MiddleOf(arcs[k]) - middles[k - 1].first, 360.0), 0, middles[k - 1].second)
        << k;
  EXPECT_GT(ArcSweepOf(arcs[4]).spanDegrees, 180);
}

}  // namespace
}  // namespace puzzle
