#include "game/form_preview_shapes.h"

#include <cmath>
#include <numbers>

namespace puzzle {

namespace {

constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb GREEN{0, 255, 0};

// Maps the preview's units to pixels and collects the shapes.
class PreviewBuilder {
 public:
  PreviewBuilder(int width, int height) : width_(width), height_(height) {}

  int X(int units) const { return PreviewX(width_, units); }
  int Y(int units) const { return PreviewY(height_, units); }

  void Rectangle(std::optional<Rgb> pen, Rgb brush, int left, int top, int right, int bottom) {
    shapes_.push_back({PreviewShapeKind::Rectangle, pen, brush, left, top, right, bottom, {}});
  }
  void Disc(Rgb brush, int cx, int cy, int radius) {
    shapes_.push_back({PreviewShapeKind::Ellipse,
                       std::nullopt,
                       brush,
                       cx - radius,
                       cy - radius,
                       cx + radius,
                       cy + radius,
                       {}});
  }
  void Polygon(std::optional<Rgb> pen, Rgb brush, std::vector<PreviewPoint> points) {
    shapes_.push_back({PreviewShapeKind::Polygon, pen, brush, 0, 0, 0, 0, std::move(points)});
  }
  // A closed line through the corners of a box given in units.
  void Outline(Rgb pen, int left, int top, int right, int bottom, int shift) {
    const PreviewPoint a{X(left) + shift, Y(top)};
    const PreviewPoint b{X(right) + shift, Y(top)};
    const PreviewPoint c{X(right) + shift, Y(bottom)};
    const PreviewPoint d{X(left) + shift, Y(bottom)};
    shapes_.push_back({PreviewShapeKind::Polyline, pen, std::nullopt, 0, 0, 0, 0, {a, b, c, d, a}});
  }
  // The arc of the circle of `radius` about (cx, cy), from the direction of
  // `from` counter-clockwise to that of `to`.
  void Arc(Rgb pen, int cx, int cy, int radius, PreviewPoint from, PreviewPoint to) {
    shapes_.push_back({PreviewShapeKind::Arc,
                       pen,
                       std::nullopt,
                       cx - radius,
                       cy - radius,
                       cx + radius,
                       cy + radius,
                       {from, to}});
  }

  std::vector<PreviewShape> Take() { return std::move(shapes_); }

 private:
  int width_;
  int height_;
  std::vector<PreviewShape> shapes_;
};

}  // namespace

PreviewInputs PreviewInputsOf(const GameOptions& options, const ColourBytes& colours) {
  return {colours, options.form, options.bulge, options.showEdges, options.showFrame};
}

PreviewKnob PreviewKnobOf(int width, float bulge) {
  PreviewKnob knob;
  knob.r = static_cast<int>(width * 3.0 / 40.0 * static_cast<double>(bulge));
  knob.q = static_cast<int>(2.0 * knob.r * 0.2928932188134525);
  knob.s = static_cast<int>(0.7071067811865476 * knob.r);
  return knob;
}

Rgb SwatchColour(const ColourBytes& colours, int swatch) {
  const auto base = static_cast<std::size_t>(swatch) * 3;
  return {colours[base], colours[base + 1], colours[base + 2]};
}

bool ChooseSwatchColour(Platform& platform, ColourBytes& colours, std::array<Rgb, 16>& customColours,
                        int swatch) {
  for (int c = 0; c < 3; ++c) customColours[static_cast<std::size_t>(c)] = SwatchColour(colours, c);
  const auto chosen = platform.ChooseColour(SwatchColour(colours, swatch), customColours);
  if (!chosen) return false;
  for (std::size_t component = 0; component < 3; ++component)
    colours[static_cast<std::size_t>(swatch) * 3 + component] = (*chosen)[component];
  return true;
}

std::vector<PreviewShape> FormPreviewShapes(int width, int height, const PreviewInputs& inputs) {
  PreviewBuilder b(width, height);
  const Rgb background = SwatchColour(inputs.colours, 0);
  const Rgb frame = SwatchColour(inputs.colours, 1);
  const Rgb centres = SwatchColour(inputs.colours, 2);
  const std::optional<Rgb> edge = inputs.showEdges ? std::optional<Rgb>(BLACK) : std::nullopt;
  const auto [r, q, s] = PreviewKnobOf(width, inputs.bulge);
  auto X = [&b](int units) { return b.X(units); };
  auto Y = [&b](int units) { return b.Y(units); };

  b.Rectangle(edge, background, 0, 0, width, height);
  if (inputs.showFrame) b.Outline(frame, 1, 1, 199, 49, 0);
  b.Outline(GREEN, 3, 3, 47, 47, (inputs.form - 1) * X(50));

  // Form 1: a plain square.
  b.Rectangle(edge, centres, X(10), Y(10), X(40), Y(40));

  // Form 2: square knobs on the top and bottom edges, square notches in the
  // left and right edges.
  b.Polygon(edge, centres,
            {{X(60), Y(40)},         {X(75) - r, Y(40)},     {X(75) - r, Y(40) + r}, {X(75) + r, Y(40) + r},
             {X(75) + r, Y(40)},     {X(90), Y(40)},         {X(90), Y(25) + r},     {X(90) - r, Y(25) + r},
             {X(90) - r, Y(25) - r}, {X(90), Y(25) - r},     {X(90), Y(10)},         {X(75) + r, Y(10)},
             {X(75) + r, Y(10) - r}, {X(75) - r, Y(10) - r}, {X(75) - r, Y(10)},     {X(60), Y(10)},
             {X(60), Y(25) - r},     {X(60) + r, Y(25) - r}, {X(60) + r, Y(25) + r}, {X(60), Y(25) + r}});

  // Form 3: round knobs left and right, round holes top and bottom; the
  // arcs outline the outer half of each knob and the inner part of each hole.
  b.Rectangle(edge, centres, X(110), Y(10), X(140), Y(40));
  b.Disc(centres, X(110), Y(25), r);
  b.Disc(centres, X(140), Y(25), r);
  b.Disc(background, X(125), Y(10), r);
  b.Disc(background, X(125), Y(40), r);
  if (edge) {
    b.Arc(*edge, X(110), Y(25), r, {X(110), Y(25) - r}, {X(110), Y(25) + r});
    b.Arc(*edge, X(140), Y(25), r, {X(140), Y(25) + r}, {X(140), Y(25) - r});
    b.Arc(*edge, X(125), Y(10), r, {0, Y(40)}, {X(200), Y(40)});
    b.Arc(*edge, X(125), Y(40), r, {X(200), Y(40)}, {0, Y(40)});
  }

  // Form 4: necked knobs standing on the top and bottom edges, sockets in
  // the left and right edges.
  b.Polygon(
      edge, centres,
      {{X(160), Y(40)},         {X(175) - s, Y(40) - q}, {X(175) - s, Y(40)},     {X(175) + s, Y(40)},
       {X(175) + s, Y(40) - q}, {X(190), Y(40)},         {X(190) + q, Y(25) + s}, {X(190), Y(25) + s},
       {X(190), Y(25) - s},     {X(190) + q, Y(25) - s}, {X(190), Y(10)},         {X(175) + s, Y(10) + q},
       {X(175) + s, Y(10)},     {X(175) - s, Y(10)},     {X(175) - s, Y(10) + q}, {X(160), Y(10)},
       {X(160) - q, Y(25) - s}, {X(160), Y(25) - s},     {X(160), Y(25) + s},     {X(160) - q, Y(25) + s}});
  const int topKnobY = Y(10) - r + q;
  const int bottomKnobY = Y(40) + r - q;
  const int leftSocketX = X(160) - q + r;
  const int rightSocketX = X(190) + q - r;
  b.Disc(centres, X(175), topKnobY, r);
  b.Disc(centres, X(175), bottomKnobY, r);
  b.Disc(background, leftSocketX, Y(25), r);
  b.Disc(background, rightSocketX, Y(25), r);
  if (edge) {
    b.Arc(*edge, X(175), topKnobY, r, {X(175) + s, Y(10)}, {X(176) - s, Y(10)});
    b.Arc(*edge, X(175), bottomKnobY, r, {X(176) - s, Y(40)}, {X(175) + s, Y(40)});
    b.Arc(*edge, leftSocketX, Y(25), r, {X(160), Y(25) + s}, {X(160), Y(25) - s});
    b.Arc(*edge, rightSocketX, Y(25), r, {X(190), Y(25) - s}, {X(190), Y(25) + s});
  }
  return b.Take();
}

ArcSweep ArcSweepOf(const PreviewShape& arc) {
  const double cx = (arc.left + arc.right) / 2.0;
  const double cy = (arc.top + arc.bottom) / 2.0;
  // Screen y grows downward, so it is negated to count angles
  // counter-clockwise as seen on the screen.
  auto direction = [&](const PreviewPoint& p) {
    double degrees = std::atan2(-(p.y - cy), p.x - cx) * 180.0 / std::numbers::pi;
    if (degrees < 0) degrees += 360.0;
    return degrees;
  };
  const double start = direction(arc.points[0]);
  double span = direction(arc.points[1]) - start;
  if (span <= 0) span += 360.0;
  return {start, span};
}

}  // namespace puzzle
