#include "view/view.h"

#include <algorithm>

namespace puzzle {

Frustum SetUpProjection(ViewSetup& view, GameState& state) {
  if (view.creationHeight == 0) view.creationHeight = 1;
  if (view.creationWidth == 0) view.creationWidth = 1;
  const double a = view.creationWidth;
  const double b = view.creationHeight;
  Frustum f{};
  if (a > b) {
    f = {-a / b, a / b, -1, 1, NEAR_PLANE, FAR_PLANE};
    state.pixelScale = 1.0 / b;
  } else {
    f = {-1, 1, -b / a, b / a, NEAR_PLANE, FAR_PLANE};
    state.pixelScale = 1.0 / a;
  }
  state.backPixelScale = static_cast<float>((FAR_PLANE - 1.5e-5) * state.pixelScale / NEAR_PLANE);
  return f;
}

Frustum ResizedFrustum(const ViewSetup& view, std::int32_t clientWidth, std::int32_t clientHeight) {
  const double m = std::max(1, std::min(view.creationWidth, view.creationHeight));
  const double w = clientWidth / m;
  const double h = clientHeight / m;
  return {-w, w, -h, h, NEAR_PLANE, FAR_PLANE};
}

void BuildBackgroundFan(ViewSetup& view, double pixelScale, std::int32_t width, std::int32_t height) {
  const double depth = NEAR_PLANE + 2 - 1e-5;
  const float x = static_cast<float>(width * pixelScale * depth / NEAR_PLANE);
  const float y = static_cast<float>(height * pixelScale * depth / NEAR_PLANE);
  // Corners walked clockwise on screen from the top-left one.
  const float cornerX[5] = {-x, x, x, -x, -x};
  const float cornerY[5] = {y, y, -y, -y, y};
  for (int edge = 0; edge < 4; ++edge) {
    const float dx = (cornerX[edge + 1] - cornerX[edge]) / 10;
    const float dy = (cornerY[edge + 1] - cornerY[edge]) / 10;
    for (int s = 0; s < 10; ++s) {
      const int k = edge * 10 + s;
      // The last segment of an edge ends exactly on the corner.
      view.fanX[2 * k] = cornerX[edge] + dx * static_cast<float>(s);
      view.fanY[2 * k] = cornerY[edge] + dy * static_cast<float>(s);
      view.fanX[2 * k + 1] = s == 9 ? cornerX[edge + 1] : cornerX[edge] + dx * static_cast<float>(s + 1);
      view.fanY[2 * k + 1] = s == 9 ? cornerY[edge + 1] : cornerY[edge] + dy * static_cast<float>(s + 1);
    }
  }
}

void PickFanScheme(ViewSetup& view, std::uint32_t tickMs) {
  static constexpr std::array<std::array<Rgb8, 3>, 16> SCHEMES{{
      {Rgb8{0, 255, 0}, Rgb8{125, 0, 255}, Rgb8{255, 0, 0}},
      {Rgb8{0, 225, 0}, Rgb8{125, 255, 0}, Rgb8{255, 0, 125}},
      {Rgb8{0, 0, 255}, Rgb8{0, 255, 125}, Rgb8{255, 0, 0}},
      {Rgb8{0, 125, 255}, Rgb8{125, 255, 0}, Rgb8{255, 0, 125}},  // also 16-19
      {Rgb8{0, 0, 255}, Rgb8{125, 0, 0}, Rgb8{255, 0, 0}},
      {Rgb8{0, 125, 255}, Rgb8{0, 255, 0}, Rgb8{255, 255, 0}},
      {Rgb8{125, 0, 255}, Rgb8{0, 255, 0}, Rgb8{255, 0, 225}},
      {Rgb8{0, 0, 125}, Rgb8{255, 0, 0}, Rgb8{0, 0, 0}},
      {Rgb8{255, 125, 255}, Rgb8{0, 255, 0}, Rgb8{0, 255, 255}},
      {Rgb8{255, 0, 255}, Rgb8{0, 255, 255}, Rgb8{255, 0, 125}},
      {Rgb8{0, 125, 255}, Rgb8{255, 255, 255}, Rgb8{255, 0, 0}},
      {Rgb8{0, 0, 125}, Rgb8{255, 255, 0}, Rgb8{255, 0, 0}},
      {Rgb8{125, 0, 0}, Rgb8{0, 255, 255}, Rgb8{0, 0, 255}},
      {Rgb8{0, 0, 125}, Rgb8{255, 255, 0}, Rgb8{255, 0, 255}},
      {Rgb8{125, 0, 0}, Rgb8{0, 255, 255}, Rgb8{255, 0, 255}},
      {Rgb8{0, 125, 0}, Rgb8{255, 0, 255}, Rgb8{255, 255, 0}},
  }};
  const std::uint32_t index = tickMs % 20;
  view.fanColours = SCHEMES[index >= 16 ? 3 : index];
}

void TurnFanColours(ViewSetup& view) {
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 3; ++i) {
      if (view.fanColours[c][i] == 0) view.fanCountingDown[c][i] = false;
      if (view.fanColours[c][i] == 255) view.fanCountingDown[c][i] = true;
    }
  }
}

void StepFanColours(ViewSetup& view) {
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 3; ++i) {
      auto& byte = view.fanColours[c][i];
      byte = static_cast<std::uint8_t>(view.fanCountingDown[c][i] ? byte - 1 : byte + 1);
    }
  }
}

}  // namespace puzzle
