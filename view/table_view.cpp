#include "view/table_view.h"

#include <algorithm>
#include <cmath>

#include "model/geometry.h"

namespace puzzle {
namespace {

// Where one axis of a running game reaches, in screen pixels: the farthest
// piece plus one cell.
std::int32_t ScrollMargin(std::int32_t reach, std::int32_t imageSize, std::int32_t clientSize,
                          std::int32_t lastCase) {
  if (imageSize < clientSize) return reach > clientSize / 2 ? 2 * (reach - imageSize / 2) : 0;
  return reach > imageSize / 2 ? 2 * (reach - imageSize / 2) : lastCase;
}

// The room in screen pixels: a thumb is as long against the bar as the shown
// table against the whole room.
std::int64_t ZoomedRoom(std::int64_t room, double zoom) {
  return zoom == 1.0 ? room : std::llround(static_cast<double>(room) * zoom);
}

// One thumb after a resize; the scroll position keeps its relative place.
void RecomputeThumb(std::int32_t imageSize, std::int32_t margin, double zoom, std::int32_t clientSize,
                    std::int32_t previousClient, std::int32_t previousThumb, std::int32_t thickness,
                    std::int32_t& thumb, std::int32_t& scroll) {
  thumb = ThumbLength(clientSize, ZoomedRoom(std::int64_t{imageSize} + margin, zoom), thickness);
  const std::int32_t previousRange = previousClient - previousThumb;
  if (previousRange != 0) {
    scroll = static_cast<std::int32_t>(std::int64_t{clientSize - thumb} * scroll / previousRange);
  }
}

// Zoomed in, the table is at least what the window shows at 100 %, where
// the pieces roam: any point seen there can be zoomed about and scrolled to.
std::int32_t ZoomedInMargin(std::int32_t margin, std::int32_t image, std::int32_t client, double zoom) {
  return zoom > 1.0 ? std::max(margin, client - image) : margin;
}

}  // namespace

void SetClientSize(TableView& view, std::int32_t width, std::int32_t height) {
  view.clientWidth = std::max(1, width);
  view.clientHeight = std::max(1, height);
}

void ResetTableView(TableView& view) {
  view.scrollX = view.scrollY = 0;
  view.scrollMarginX = view.scrollMarginY = 0;
  view.viewOffsetX = view.viewOffsetY = 0;
  view.backOffsetX = view.backOffsetY = 0;
}

std::int32_t ThumbLength(std::int32_t client, std::int64_t room, std::int32_t thickness) {
  if (room <= 0) return thickness;
  return std::max(thickness, static_cast<std::int32_t>(std::int64_t{client} * client / room));
}

void MovePage(TableView& view, ScrollAxis axis, PageMove move) {
  if (axis == ScrollAxis::Horizontal) {
    switch (move) {
      case PageMove::Back: view.scrollX -= view.thumbW; break;
      case PageMove::Forward: view.scrollX += view.thumbW; break;
      case PageMove::ToStart: view.scrollX = (view.thumbW - view.clientWidth) / 2; break;
      case PageMove::ToEnd: view.scrollX = (view.clientWidth - view.thumbW) / 2; break;
    }
    return;
  }
  switch (move) {
    case PageMove::Back: view.scrollY += view.thumbH; break;
    case PageMove::Forward: view.scrollY -= view.thumbH; break;
    case PageMove::ToStart: view.scrollY = (view.clientHeight - view.thumbH) / 2; break;
    case PageMove::ToEnd: view.scrollY = (view.thumbH - view.clientHeight) / 2; break;
  }
}

void ScrollBy(TableView& view, std::int32_t dx, std::int32_t dy) {
  view.scrollX += dx;
  view.scrollY += dy;
}

namespace {

// Thumb positions for `pixels` screen pixels along one axis, as
// UpdateScrollBars maps positions to slides: the picture at 100 % before
// Start, the zoomed room after it. Without room the pixels stay as they are;
// UpdateScrollBars then holds the position at 0.
std::int32_t ThumbSteps(std::int32_t pixels, std::int32_t image, std::int32_t margin, std::int32_t client,
                        std::int32_t thumb, const TableView& view, bool running) {
  const double zoom = running ? view.zoom : 1.0;
  const double excess = running ? image + margin - ShownTable(client, view) : image - client;
  const std::int32_t range = client - thumb;
  if (pixels == 0 || excess <= 0 || range <= 0) return pixels;
  const double steps = std::clamp(std::round(pixels * range / (excess * zoom)), -static_cast<double>(range),
                                  static_cast<double>(range));
  if (steps != 0) return static_cast<std::int32_t>(steps);
  return pixels > 0 ? 1 : -1;
}

}  // namespace

void ScrollByScreenPixels(TableView& view, const GameState& state, std::int32_t dx, std::int32_t dy) {
  const bool running = state.gameRunning;
  view.scrollX +=
      ThumbSteps(dx, state.imageWidth, view.scrollMarginX, view.clientWidth, view.thumbW, view, running);
  view.scrollY +=
      ThumbSteps(dy, state.imageHeight, view.scrollMarginY, view.clientHeight, view.thumbH, view, running);
}

void BringThumbEdgeTo(TableView& view, ScrollAxis axis, bool before, std::int32_t pointer) {
  if (axis == ScrollAxis::Vertical) {
    view.scrollY = before ? (view.clientHeight - view.thumbH) / 2 - pointer
                          : (view.clientHeight + view.thumbH) / 2 - pointer;
  } else {
    view.scrollX = before ? (view.thumbW - view.clientWidth) / 2 + pointer
                          : pointer - (view.clientWidth + view.thumbW) / 2;
  }
}

void SetUpGameScrollRoom(TableView& view, const GameState& state, const GameOptions& options,
                         std::int32_t thickness) {
  const double shownW = ShownTable(view.clientWidth, view);
  const double shownH = ShownTable(view.clientHeight, view);
  std::int32_t m = 0;
  if (state.imageHeight > shownH || state.imageWidth > shownW) {
    m = static_cast<std::int32_t>(static_cast<std::uint32_t>(state.imageHeight) / state.rows +
                                  static_cast<std::uint32_t>(state.imageWidth) / options.columns);
  }
  view.scrollMarginX = ZoomedInMargin(m, state.imageWidth, view.clientWidth, view.zoom);
  view.scrollMarginY = ZoomedInMargin(m, state.imageHeight, view.clientHeight, view.zoom);
  const std::int64_t roomW = std::int64_t{state.imageWidth} + view.scrollMarginX;
  const std::int64_t roomH = std::int64_t{state.imageHeight} + view.scrollMarginY;
  if (static_cast<double>(roomW) > shownW)
    view.thumbW = ThumbLength(view.clientWidth, ZoomedRoom(roomW, view.zoom), thickness);
  if (static_cast<double>(roomH) > shownH)
    view.thumbH = ThumbLength(view.clientHeight, ZoomedRoom(roomH, view.zoom), thickness);
}

void SetUpPreviewThumbs(TableView& view, const GameState& state, std::int32_t thickness) {
  if (view.clientWidth < state.imageWidth) {
    view.thumbW = ThumbLength(view.clientWidth, state.imageWidth, thickness);
  }
  if (view.clientHeight < state.imageHeight) {
    view.thumbH = ThumbLength(view.clientHeight, state.imageHeight, thickness);
  }
}

PreviousClient CurrentClient(const TableView& view) {
  return {view.clientWidth, view.clientHeight, view.thumbW, view.thumbH};
}

void RecomputeScrollRoom(TableView& view, const GameState& state, const GameOptions& options,
                         const PreviousClient& previous, std::int32_t thickness) {
  const bool running = state.gameRunning;
  if (running && options.columns > 0 && state.rows > 0) {
    float maxX = -1;
    float maxY = -1;
    for (const PiecePose& pose : state.pieces) {
      maxX = std::max(maxX, std::fabs(pose.x + view.viewOffsetX));
      maxY = std::max(maxY, std::fabs(pose.y + view.viewOffsetY));
    }
    const auto cellPxW =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(state.imageWidth) / options.columns);
    const auto cellPxH =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(state.imageHeight) / state.rows);
    const std::int32_t m = std::max(cellPxW, cellPxH);
    const double k = 2.0 * HalfPixelOnTable(state.pixelScale);
    const auto reachX = static_cast<std::int32_t>(maxX / k + m);
    const auto reachY = static_cast<std::int32_t>(maxY / k + m);
    const auto shownW = static_cast<std::int32_t>(std::lround(ShownTable(view.clientWidth, view)));
    const auto shownH = static_cast<std::int32_t>(std::lround(ShownTable(view.clientHeight, view)));
    view.scrollMarginX = ZoomedInMargin(ScrollMargin(reachX, state.imageWidth, shownW, cellPxW + cellPxH),
                                        state.imageWidth, view.clientWidth, view.zoom);
    view.scrollMarginY = ZoomedInMargin(ScrollMargin(reachY, state.imageHeight, shownH, m), state.imageHeight,
                                        view.clientHeight, view.zoom);
  }
  const double zoom = running ? view.zoom : 1.0;
  if ((!running && state.imageWidth > view.clientWidth) ||
      (running && state.imageWidth + view.scrollMarginX > ShownTable(view.clientWidth, view))) {
    RecomputeThumb(state.imageWidth, view.scrollMarginX, zoom, view.clientWidth, previous.width,
                   previous.thumbW, thickness, view.thumbW, view.scrollX);
  }
  if ((!running && state.imageHeight > view.clientHeight) ||
      (running && state.imageHeight + view.scrollMarginY > ShownTable(view.clientHeight, view))) {
    RecomputeThumb(state.imageHeight, view.scrollMarginY, zoom, view.clientHeight, previous.height,
                   previous.thumbH, thickness, view.thumbH, view.scrollY);
  }
}

double ShownTable(std::int32_t client, const TableView& view) {
  return client / view.zoom;
}

Frustum TableFrustum(const ViewSetup& setup, const TableView& view) {
  Frustum f = ResizedFrustum(setup, view.clientWidth, view.clientHeight);
  if (view.zoom == 1.0) return f;
  f.left /= view.zoom;
  f.right /= view.zoom;
  f.bottom /= view.zoom;
  f.top /= view.zoom;
  return f;
}

double WholeTableZoom(const GameState& state, const TableView& view) {
  const double pixel = 2.0 * HalfPixelOnTable(state.pixelScale);
  // A piece reaches no farther from its centre than picking looks for it.
  const double reach = 2.0 * state.halfCellDiag;
  double halfW = state.imageWidth / 2.0;
  double halfH = state.imageHeight / 2.0;
  const std::size_t count = HeldPieces(state);
  for (std::size_t k = 0; k < count; ++k) {
    const PiecePose& pose = state.pieces[k];
    halfW = std::max(halfW, (std::fabs(pose.x + view.viewOffsetX) + reach) / pixel);
    halfH = std::max(halfH, (std::fabs(pose.y + view.viewOffsetY) + reach) / pixel);
  }
  return std::min({1.0, view.clientWidth / (2.0 * halfW), view.clientHeight / (2.0 * halfH)});
}

double SteppedZoom(double zoom, int steps, double smallest) {
  // The grid position of the present zoom, a zoom between two steps (the
  // whole table's) counting as the step beyond it in the direction taken.
  const double at = std::log(zoom) / std::log(ZOOM_STEP);
  const double k = steps > 0 ? std::floor(at + 1e-9) + steps : std::ceil(at - 1e-9) + steps;
  return std::clamp(std::pow(ZOOM_STEP, k), std::min(smallest, 1.0), ZOOM_MAX);
}

namespace {

// The thumb position that slides the table `offset` picture pixels from the
// picture's centre, as UpdateScrollBars maps positions to offsets.
std::int32_t ScrollForOffset(double offset, std::int32_t image, std::int32_t margin, double shown,
                             std::int32_t client, std::int32_t thumb) {
  const double excess = image + margin - shown;
  const std::int32_t range = client - thumb;
  if (excess <= 0 || range <= 0) return 0;
  return static_cast<std::int32_t>(std::lround(offset * range / excess));
}

}  // namespace

void ZoomAbout(TableView& view, const GameState& state, const GameOptions& options, std::int32_t thickness,
               double zoom, double x, double y) {
  const double pixel = 2.0 * HalfPixelOnTable(state.pixelScale);
  // The pointer from the window's centre in screen pixels, y up, and the
  // picture pixel under it counted from the picture's centre.
  const double dx = x - view.clientWidth / 2.0;
  const double dy = view.clientHeight / 2.0 - y;
  const double tableX = dx / view.zoom + view.viewOffsetX / pixel;
  const double tableY = dy / view.zoom + view.viewOffsetY / pixel;
  const PreviousClient previous = CurrentClient(view);
  view.zoom = zoom;
  RecomputeScrollRoom(view, state, options, previous, thickness);
  view.scrollX = ScrollForOffset(tableX - dx / zoom, state.imageWidth, view.scrollMarginX,
                                 ShownTable(view.clientWidth, view), view.clientWidth, view.thumbW);
  view.scrollY = ScrollForOffset(tableY - dy / zoom, state.imageHeight, view.scrollMarginY,
                                 ShownTable(view.clientHeight, view), view.clientHeight, view.thumbH);
}

}  // namespace puzzle
