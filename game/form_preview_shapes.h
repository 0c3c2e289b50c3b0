// The schematic drawing of the four piece forms in the Options dialog, as a
// list of plain shapes in pixels. All positions come from the same integer
// arithmetic (x in 200ths of the width, y in 50ths of the height, truncated,
// then pixel offsets), so the drawing is tested without a display and each
// shell paints the same list (QPainter in options/, GDI in win32/). Owns
// nothing; reads the dialog's colour bytes and the options it is given.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "game/options_rules.h"
#include "platform/platform.h"

namespace puzzle {

struct PreviewInputs {
  ColourBytes colours{};  // background, frame, centres; R, G, B each
  int form = 1;
  float bulge = 0.33f;
  bool showEdges = true;
  bool showFrame = true;
};

PreviewInputs PreviewInputsOf(const GameOptions& options, const ColourBytes& colours);

// x of `units` 200ths of the width and y of `units` 50ths of the height.
constexpr int PreviewX(int width, int units) {
  return width * units / 200;
}
constexpr int PreviewY(int height, int units) {
  return height * units / 50;
}

// Knob radius r, and q and s derived from it, in pixels.
struct PreviewKnob {
  int r = 0;
  int q = 0;
  int s = 0;
};
PreviewKnob PreviewKnobOf(int width, float bulge);

struct PreviewPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PreviewPoint&) const = default;
};

enum class PreviewShapeKind { Rectangle, Ellipse, Polygon, Polyline, Arc };

// Rectangles, ellipses and arc boxes span left..right-1 and top..bottom-1.
// An arc runs counter-clockwise on screen from the direction of points[0] to
// that of points[1], seen from the centre of its box.
struct PreviewShape {
  PreviewShapeKind kind = PreviewShapeKind::Rectangle;
  std::optional<Rgb> pen;    // a 1-pixel line; nothing for no outline
  std::optional<Rgb> brush;  // the fill; nothing for lines and arcs
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  std::vector<PreviewPoint> points;
};

// Everything drawn in a preview of width x height pixels, back to front.
std::vector<PreviewShape> FormPreviewShapes(int width, int height, const PreviewInputs& inputs);

// Colour of swatch 0 (background), 1 (frame) or 2 (centres).
Rgb SwatchColour(const ColourBytes& colours, int swatch);

// Select beside swatch `swatch`: the platform's colour chooser, offering the
// three present colours first; the other thirteen custom colours keep what
// the player put there. True, with the chosen components in colours, when a
// colour was chosen; the dialog then shows them in its fields.
bool ChooseSwatchColour(Platform& platform, ColourBytes& colours, std::array<Rgb, 16>& customColours,
                        int swatch);

// Start direction and counter-clockwise span of an arc in degrees, angles
// counted counter-clockwise on screen from the positive x axis. Equal
// directions give the full circle.
struct ArcSweep {
  double startDegrees = 0;
  double spanDegrees = 0;
};
ArcSweep ArcSweepOf(const PreviewShape& arc);

}  // namespace puzzle
