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

// One thumb after a resize; the scroll position keeps its relative place.
void RecomputeThumb(std::int32_t imageSize, std::int32_t margin, std::int32_t clientSize,
                    std::int32_t previousClient, std::int32_t previousThumb, std::int32_t thickness,
                    std::int32_t& thumb, std::int32_t& scroll) {
  thumb = ThumbLength(clientSize, std::int64_t{imageSize} + margin, thickness);
  const std::int32_t previousRange = previousClient - previousThumb;
  if (previousRange != 0) {
    scroll = static_cast<std::int32_t>(std::int64_t{clientSize - thumb} * scroll / previousRange);
  }
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
  std::int32_t m = 0;
  if (state.imageHeight > view.clientHeight || state.imageWidth > view.clientWidth) {
    m = static_cast<std::int32_t>(static_cast<std::uint32_t>(state.imageHeight) / state.rows +
                                  static_cast<std::uint32_t>(state.imageWidth) / options.columns);
  }
  view.scrollMarginX = view.scrollMarginY = m;
  if (state.imageWidth + m > view.clientWidth) {
    view.thumbW = ThumbLength(view.clientWidth, std::int64_t{state.imageWidth} + m, thickness);
  }
  if (state.imageHeight + m > view.clientHeight) {
    view.thumbH = ThumbLength(view.clientHeight, std::int64_t{state.imageHeight} + m, thickness);
  }
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
    view.scrollMarginX = ScrollMargin(reachX, state.imageWidth, view.clientWidth, cellPxW + cellPxH);
    view.scrollMarginY = ScrollMargin(reachY, state.imageHeight, view.clientHeight, m);
  }
  if ((!running && state.imageWidth > view.clientWidth) ||
      (running && state.imageWidth + view.scrollMarginX > view.clientWidth)) {
    RecomputeThumb(state.imageWidth, view.scrollMarginX, view.clientWidth, previous.width, previous.thumbW,
                   thickness, view.thumbW, view.scrollX);
  }
  if ((!running && state.imageHeight > view.clientHeight) ||
      (running && state.imageHeight + view.scrollMarginY > view.clientHeight)) {
    RecomputeThumb(state.imageHeight, view.scrollMarginY, view.clientHeight, previous.height, previous.thumbH,
                   thickness, view.thumbH, view.scrollY);
  }
}

}  // namespace puzzle
