#include "view/scrollbars.h"

#include <algorithm>
#include <cmath>

namespace puzzle {
namespace {

using Element = ScrollBar::Element;

// One half of the scroll update, written once for both directions: "size" is
// the client extent along the bar, "image" the picture's, "margin" the scroll
// room of a game, and the offsets/homes/positions are the coordinates along
// that direction.
struct Axis {
  std::int32_t& scroll;
  std::int32_t& halfRange;
  std::int32_t& previewSkip;
  float& viewOffset;
  float& backOffset;
  std::vector<float>& homes;
  float PiecePose::*position;
  std::int32_t size;
  std::int32_t image;
  std::int32_t margin;
  std::int32_t thumb;
  bool holdSelected;
  // Picture pixels of a game's table the client shows along the bar.
  double shown;
};

bool BarExists(const GameState& state, const Axis& axis) {
  return state.gameRunning ? axis.image + axis.margin > axis.shown : axis.image > axis.size;
}

void ShiftTable(GameState& state, Axis& axis, float delta, bool holdSelected) {
  for (float& home : axis.homes) {
    home += delta;
  }
  for (std::size_t i = 0; i < state.pieces.size(); ++i) {
    if (holdSelected && static_cast<std::int32_t>(i) == state.selected) {
      continue;
    }
    state.pieces[i].*axis.position += delta;
  }
}

// The update for one direction: clamp, then slide the table or the preview;
// false when the bar does not exist.
bool UpdateAxis(GameState& state, Axis axis) {
  if (!BarExists(state, axis)) {
    // Without room nothing scrolls: a key pressed now must not leave a
    // position that makes the view jump once a bar appears.
    axis.scroll = 0;
    if (axis.viewOffset != 0.0f) {
      ShiftTable(state, axis, axis.viewOffset, false);
      axis.viewOffset = 0;
      axis.backOffset = 0;
    }
    return false;
  }
  const std::int32_t range = axis.size - axis.thumb;
  // A thumb as long as the window (or longer) leaves no room to scroll; the
  // offsets below would divide by that room.
  axis.halfRange = range > 0 ? range / 2 : 0;
  if (axis.scroll >= axis.halfRange) {
    axis.scroll = axis.halfRange;
  } else if (axis.scroll <= -axis.halfRange) {
    axis.scroll = -axis.halfRange;
  }
  const std::int32_t excess = axis.image - axis.size;
  if (state.gameRunning) {
    double viewOffset = 0;
    double backOffset = 0;
    if (range > 0) {
      // The thumb's travel spans the room the zoomed window does not show.
      const double p = 2.0 * (axis.margin + (axis.image - axis.shown)) * axis.scroll;
      backOffset = (FAR_PLANE - 0.0001) * p * state.pixelScale / NEAR_PLANE / range;
      viewOffset = p * state.pixelScale * static_cast<double>(TABLE_DEPTH) / NEAR_PLANE / range;
    }
    axis.backOffset = static_cast<float>(backOffset);
    const float newView = static_cast<float>(viewOffset);
    const float delta = axis.viewOffset - newView;
    axis.viewOffset = newView;
    if (delta != 0.0f) {
      ShiftTable(state, axis, delta, axis.holdSelected);
    }
  } else {
    const std::int64_t scrolled = range > 0 ? static_cast<std::int64_t>(excess) * axis.scroll / range : 0;
    axis.previewSkip = static_cast<std::int32_t>(scrolled + excess / 2);
  }
  return true;
}

void SetHover(ScrollBar& bar, Element found) {
  bar.hover.fill(false);
  if (found == ScrollBar::ELEMENT_COUNT) {
    return;
  }
  bar.hover[found] = true;
}

void ShowCaptionOf(ScrollBars& bars, ScrollBar& bar, Element found) {
  if (found == ScrollBar::ELEMENT_COUNT || found == ScrollBar::THUMB) {
    return;
  }
  bars.vertical.captionOpacity.fill(0);
  bars.horizontal.captionOpacity.fill(0);
  bar.captionOpacity[found] = 255;
}

// The slopes of a triangle button's slanted edges. A thickness below 2 would
// make h zero; the edges then take the steepness of a 2-pixel bar.
struct Slopes {
  std::int32_t h, k1, k2;
};
Slopes TriangleSlopes(std::int32_t t) {
  const std::int32_t h = t / 2;
  const std::int32_t hDivisor = std::max(h, 1);
  return {h, (h + t) / (h - t - 3), (h + t) / hDivisor};
}

// Along the bar, "a" runs with the pointer coordinate that moves along it and
// "c" across it; low/high are the thumb's edges in client pixels. For the
// vertical bar the low end is the top.
Element HitElement(std::int32_t a, std::int32_t c, std::int32_t low, std::int32_t high, std::int32_t across,
                   std::int32_t t) {
  const auto [h, k1, k2] = TriangleSlopes(t);
  const std::int32_t d = c - (across - 3 - h);
  const bool onTrackSide = c >= across - t - 6;
  const bool inRow = across - t - 3 < c && c < across - 3;
  const std::int32_t startApex = low - 2 * t - h;
  const std::int32_t endApex = high + 2 * t + h;
  if (a <= low - 2 * t - h && onTrackSide) {
    return ScrollBar::TRACK_BEFORE;
  }
  if (a <= low - t && a > startApex - k1 * d && a > startApex - k2 * d) {
    return ScrollBar::TO_START;
  }
  if (low - t < a && a <= low && inRow) {
    return ScrollBar::PAGE_BACK;
  }
  if (low < a && a < high && inRow) {
    return ScrollBar::THUMB;
  }
  if (high <= a && a < high + t && inRow) {
    return ScrollBar::PAGE_FORWARD;
  }
  if (a >= high + t && a < endApex - k1 * d && a < endApex - k2 * d) {
    return ScrollBar::TO_END;
  }
  if (a >= high + 2 * t + h && onTrackSide) {
    return ScrollBar::TRACK_AFTER;
  }
  return ScrollBar::ELEMENT_COUNT;
}

// A bar that does not exist, or is not under the pointer, is neither shown
// nor hovered.
void Hide(ScrollBar& bar) {
  bar.zone = false;
  bar.hover.fill(false);
}

void HitTestVertical(const TableView& view, ScrollBars& bars, std::int32_t mx, std::int32_t my) {
  const std::int32_t w = view.clientWidth;
  const std::int32_t h = view.clientHeight;
  const std::int32_t t = bars.scrollBarThickness;
  if (mx <= w - 2 * t - 9 || my >= mx - w + h) {
    // Off the bar nothing is hovered, so that a button released elsewhere
    // does not act.
    Hide(bars.vertical);
    return;
  }
  bars.vertical.zone = true;
  bars.horizontal.zone = false;
  bars.horizontal.hover.fill(false);
  const std::int32_t top = bars.halfRangeY - view.scrollY;
  const std::int32_t bottom = (view.thumbH + h) / 2 - view.scrollY;
  const Element found = HitElement(my, mx, top, bottom, w, t);
  ShowCaptionOf(bars, bars.vertical, found);
  SetHover(bars.vertical, found);
}

void HitTestHorizontal(const TableView& view, ScrollBars& bars, std::int32_t mx, std::int32_t my) {
  const std::int32_t w = view.clientWidth;
  const std::int32_t h = view.clientHeight;
  const std::int32_t t = bars.scrollBarThickness;
  if (!(my > h - 2 * t - 9 && my > mx - w + h)) {
    Hide(bars.horizontal);
    return;
  }
  bars.horizontal.zone = true;
  bars.vertical.zone = false;
  bars.vertical.hover.fill(false);
  const std::int32_t left = bars.halfRangeX + view.scrollX;
  const std::int32_t right = (view.thumbW + w) / 2 + view.scrollX;
  const Element found = HitElement(mx, my, left, right, h, t);
  ShowCaptionOf(bars, bars.horizontal, found);
  SetHover(bars.horizontal, found);
}

enum Paint : std::uint8_t { GREEN, RED, YELLOW, BLACK };

void Recolour(ScrollBar& bar, const std::array<Paint, 6>& paints) {
  for (std::size_t k = 0; k < paints.size(); ++k) {
    const bool red = paints[k] == RED || paints[k] == YELLOW;
    const bool green = paints[k] == GREEN || paints[k] == YELLOW;
    bar.colours[k][0] = red ? 255 : 0;
    bar.colours[k][1] = green ? 255 : 0;
  }
}

void RecolourBar(ScrollBar& bar, bool vertical) {
  const auto hovered = std::find(bar.hover.begin(), bar.hover.end(), true);
  const auto element = static_cast<Element>(hovered - bar.hover.begin());
  switch (element) {
    case ScrollBar::TRACK_BEFORE:
    case ScrollBar::PAGE_BACK: Recolour(bar, {GREEN, GREEN, GREEN, RED, RED, RED}); break;
    case ScrollBar::TO_START: Recolour(bar, {BLACK, GREEN, GREEN, RED, RED, RED}); break;
    case ScrollBar::THUMB:
      Recolour(bar, vertical ? std::array<Paint, 6>{YELLOW, GREEN, GREEN, GREEN, GREEN, YELLOW}
                             : std::array<Paint, 6>{GREEN, GREEN, GREEN, GREEN, GREEN, GREEN});
      break;
    case ScrollBar::PAGE_FORWARD:
    case ScrollBar::TRACK_AFTER: Recolour(bar, {RED, RED, RED, GREEN, GREEN, GREEN}); break;
    case ScrollBar::TO_END: Recolour(bar, {RED, RED, RED, GREEN, GREEN, BLACK}); break;
    case ScrollBar::ELEMENT_COUNT: Recolour(bar, {YELLOW, YELLOW, YELLOW, YELLOW, YELLOW, YELLOW}); break;
  }
}

// The six places along a bar whose thumb centre lies at "centre" (half
// pixels) with half length "thumb"; "sign" is -1 for the vertical bar, whose
// elements run from the top down.
std::array<std::int32_t, 6> SliderPlaces(std::int32_t centre, std::int32_t thumb, std::int32_t t,
                                         std::int32_t sign) {
  return {centre - sign * (thumb + 5 * t), centre - sign * (thumb + 2 * t), centre - sign * thumb,
          centre + sign * thumb,           centre + sign * (thumb + 2 * t), centre + sign * (thumb + 5 * t)};
}

}  // namespace

void UpdateScrollBars(GameState& state, TableView& view, ScrollBars& bars, std::int32_t cursorX,
                      std::int32_t cursorY, const EdgeScrollFlags& edges) {
  const bool vertical = UpdateAxis(
      state,
      Axis{view.scrollY, bars.halfRangeY, bars.previewSkipY, view.viewOffsetY, view.backOffsetY, state.homeY,
           &PiecePose::y, view.clientHeight, state.imageHeight, view.scrollMarginY, view.thumbH,
           edges.edgeScrollUp || edges.edgeScrollDown, ShownTable(view.clientHeight, view)});
  if (vertical) {
    HitTestVertical(view, bars, cursorX, cursorY);
  } else {
    Hide(bars.vertical);
  }
  const bool horizontal =
      UpdateAxis(state, Axis{view.scrollX, bars.halfRangeX, bars.previewSkipX, view.viewOffsetX,
                             view.backOffsetX, state.homeX, &PiecePose::x, view.clientWidth, state.imageWidth,
                             view.scrollMarginX, view.thumbW, edges.edgeScrollLeft || edges.edgeScrollRight,
                             ShownTable(view.clientWidth, view)});
  if (horizontal) {
    HitTestHorizontal(view, bars, cursorX, cursorY);
  } else {
    Hide(bars.horizontal);
  }
}

void UpdateScrollBarColours(ScrollBars& bars) {
  if (bars.vertical.zone) {
    RecolourBar(bars.vertical, true);
  }
  if (bars.horizontal.zone) {
    RecolourBar(bars.horizontal, false);
  }
}

const ScrollBar* ShownBar(const ScrollBars& bars) {
  if (bars.horizontal.zone) {
    return &bars.horizontal;
  }
  if (bars.vertical.zone) {
    return &bars.vertical;
  }
  return nullptr;
}

bool ScrollHeldTrack(GameState& state, TableView& view, ScrollBars& bars, std::int32_t cursorX,
                     std::int32_t cursorY, const EdgeScrollFlags& edges) {
  const ScrollBar* bar = ShownBar(bars);
  if (bar == nullptr) {
    return false;
  }
  const bool horizontal = bar == &bars.horizontal;
  std::int32_t step = 0;
  if (bar->pressed[ScrollBar::TRACK_BEFORE]) {
    step = horizontal ? -1 : 1;
  } else if (bar->pressed[ScrollBar::TRACK_AFTER]) {
    step = horizontal ? 1 : -1;
  } else {
    return false;
  }
  ScrollBy(view, horizontal ? step : 0, horizontal ? 0 : step);
  UpdateScrollBars(state, view, bars, cursorX, cursorY, edges);
  return true;
}

ScrollBar::Element ShownCaption(const ScrollBars& bars) {
  const ScrollBar* bar = ShownBar(bars);
  if (bar == nullptr) {
    return ScrollBar::ELEMENT_COUNT;
  }
  for (int e = 0; e < ScrollBar::ELEMENT_COUNT; ++e) {
    if (bar->hover[static_cast<std::size_t>(e)] && bar->captionOpacity[static_cast<std::size_t>(e)] != 0) {
      return static_cast<Element>(e);
    }
  }
  return ScrollBar::ELEMENT_COUNT;
}

void FadeShownCaption(ScrollBars& bars, float framesPerSecond) {
  const Element element = ShownCaption(bars);
  if (element == ScrollBar::ELEMENT_COUNT) {
    return;
  }
  ScrollBar& bar = bars.horizontal.zone ? bars.horizontal : bars.vertical;
  std::int32_t drop = 3;
  if (!(&bar == &bars.horizontal && element == ScrollBar::TRACK_AFTER)) {
    // Truncated as the frame rate rules have it; above 80 frames per second
    // the step would be 0 and the caption would never fade, so the fractions
    // are gathered until a whole step is due.
    const double step = framesPerSecond > 0.0f ? 80.0 / framesPerSecond : 255.0;
    drop = static_cast<std::int32_t>(std::min(step, 255.0));
    if (drop == 0) {
      bars.captionFadeCarry += static_cast<float>(step);
      if (bars.captionFadeCarry >= 1.0f) {
        bars.captionFadeCarry -= 1.0f;
        drop = 1;
      }
    }
  }
  std::uint8_t& opacity = bar.captionOpacity[element];
  opacity = static_cast<std::uint8_t>(std::max(0, opacity - drop));
}

BarGeometry VerticalBarGeometry(const TableView& view, std::int32_t thickness) {
  const std::int32_t w = view.clientWidth;
  const std::int32_t t = thickness;
  BarGeometry g;
  g.along = SliderPlaces(2 * view.scrollY, view.thumbH, t, -1);
  g.acrossLow = w - 6 - 2 * t;
  g.acrossHigh = w - 6;
  g.acrossCentre = w - 6 - t;
  g.baseLow = w - 12 - 2 * t;
  g.baseHigh = w;
  return g;
}

BarGeometry HorizontalBarGeometry(const TableView& view, std::int32_t thickness) {
  const std::int32_t h = view.clientHeight;
  const std::int32_t t = thickness;
  BarGeometry g;
  g.along = SliderPlaces(2 * view.scrollX, view.thumbW, t, 1);
  g.acrossLow = 6 - h;
  g.acrossHigh = 6 - h + 2 * t;
  g.acrossCentre = 6 - h + t;
  g.baseLow = -h;
  g.baseHigh = 12 - h + 2 * t;
  return g;
}

}  // namespace puzzle
