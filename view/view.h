// The fixed projection of the table and the values derived from it: the depth
// planes, the creation size that fixes pixelScale for the whole run, the
// background fan and the cycling colours of the branded background. Written
// by the window code at creation and on resize (InitGL/ResizeGL) and by the
// frame renderer (colour cycling); read by every drawing and picking rule.
#pragma once

#include <array>
#include <cstdint>

#include "model/records.h"

namespace puzzle {

inline constexpr float BACKGROUND_DEPTH = -6.70462f;
inline constexpr float FRAME_DEPTH = -6.7045302f;
inline constexpr float PREVIEW_DEPTH = -4.70473f;
inline constexpr float SCROLL_LINE_DEPTH = -4.704632f;
inline constexpr float OVERLAY_DEPTH = -4.704631f;
inline constexpr float FIXED_PICK_DEPTH = 0.587643f;
inline constexpr int FAN_SEGMENTS = 40;

using Rgb8 = std::array<std::uint8_t, 3>;

struct ViewSetup {
  std::int32_t creationWidth = 1;
  std::int32_t creationHeight = 1;
  // The creation size has been taken from the first GL context.
  bool creationFixed = false;
  // The granted depth buffer has 16 bits or fewer: picking uses
  // FIXED_PICK_DEPTH instead of reading depths.
  bool lowDepthPrecision = false;
  // Device pixels per logical pixel of the window's screen (2 on a screen
  // at 200 %). The table is drawn in device pixels; what stays fixed to the
  // window (the branded caption, the key help) is sized in logical pixels.
  double pixelRatio = 1.0;
  std::array<float, 2 * FAN_SEGMENTS> fanX{};
  std::array<float, 2 * FAN_SEGMENTS> fanY{};
  // C0 (centre), C1 and C2 of the branded background and, per byte, whether
  // it is counting down.
  std::array<Rgb8, 3> fanColours{Rgb8{0, 125, 255}, Rgb8{125, 255, 0}, Rgb8{255, 0, 125}};
  std::array<std::array<bool, 3>, 3> fanCountingDown{};
};

// The frustum for a client of the given size: half extents on the near plane.
struct Frustum {
  double left, right, bottom, top, nearPlane, farPlane;
};

// Fixes pixelScale and backPixelScale from the creation size (a height of 0
// is taken as 1) and returns the creation-time frustum.
Frustum SetUpProjection(ViewSetup& view, GameState& state);
// The frustum after a resize: same scale, more or less of the table.
Frustum ResizedFrustum(const ViewSetup& view, std::int32_t clientWidth, std::int32_t clientHeight);

// Cuts the border of the visible area at the background depth into 40
// segments, clockwise from the top-left corner, ten per edge.
void BuildBackgroundFan(ViewSetup& view, double pixelScale, std::int32_t width, std::int32_t height);

// New colours for the branded background, chosen by the tick modulo 20.
void PickFanScheme(ViewSetup& view, std::uint32_t tickMs);

// One frame of colour cycling: each byte bounces between 0 and 255.
void TurnFanColours(ViewSetup& view);
void StepFanColours(ViewSetup& view);

}  // namespace puzzle
