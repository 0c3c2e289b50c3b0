// The table's own scroll bars: which element the pointer is over, the colours
// the elements show, the key-help captions and their fading, and the scroll
// update that clamps scrollX/scrollY and slides the table (homes, pieces,
// picture frame) or the picture preview under the window.
//
// One ScrollBars record lives in the application object. Writers: the hover,
// zone, colour, caption and range fields only through the functions below;
// the pressed flags by the pointer handling (left button down/up);
// scrollBarThickness once by the window at creation. UpdateScrollBars is the
// only code that writes the view and background offsets of TableView.
#pragma once

#include <array>
#include <cstdint>

#include "model/records.h"
#include "view/table_view.h"
#include "view/view.h"

namespace puzzle {

struct ScrollBar {
  // The seven elements in the order they lie along the bar: for the vertical
  // bar from the top (upper track, to-top, page-up, thumb, page-down,
  // to-bottom, lower track), for the horizontal bar from the left.
  enum Element : int {
    TRACK_BEFORE,
    TO_START,
    PAGE_BACK,
    THUMB,
    PAGE_FORWARD,
    TO_END,
    TRACK_AFTER,
    ELEMENT_COUNT
  };

  // The pointer is in this bar's zone; the bar is drawn only then.
  bool zone = false;
  std::array<bool, ELEMENT_COUNT> hover{};
  std::array<bool, ELEMENT_COUNT> pressed{};
  // Colours at the six cross lines of the slider, in the element order: the
  // first triangle's apex, the outer end of the first box, both thumb ends,
  // the outer end of the second box, the second triangle's apex (V0..V5 or
  // H0..H5). Only red and green change after creation.
  std::array<Rgb8, 6> colours{Rgb8{255, 255, 0}, Rgb8{255, 255, 0}, Rgb8{255, 255, 0},
                              Rgb8{255, 255, 0}, Rgb8{255, 255, 0}, Rgb8{255, 255, 0}};
  // Opacity of the key-help caption of each element; the thumb has none and
  // stays 0.
  std::array<std::uint8_t, ELEMENT_COUNT> captionOpacity{};
};

struct ScrollBars {
  ScrollBar vertical;
  ScrollBar horizontal;
  // ScrollBarThickness: the desktop's scroll-bar height in pixels, used for
  // both bars.
  std::int32_t scrollBarThickness = 16;
  // Limits of scrollX and scrollY.
  std::int32_t halfRangeX = 0;
  std::int32_t halfRangeY = 0;
  // Columns and rows of a picture larger than the window that the preview
  // skips.
  std::int32_t previewSkipX = 0;
  std::int32_t previewSkipY = 0;
  // Fading steps below one per frame (faster than 80 frames per second) add
  // up here until a whole step is due.
  float captionFadeCarry = 0;
};

// The edge-scrolling flags of a drag (set by the drag handler): the dragged
// piece must stay under the pointer while the table slides.
struct EdgeScrollFlags {
  bool edgeScrollUp = false;
  bool edgeScrollDown = false;
  bool edgeScrollLeft = false;
  bool edgeScrollRight = false;
};

// Clamps scrollX/scrollY, moves homes and pieces (all but a dragged piece held
// by the edge flags) by the change of the view offsets and sets the frame's
// offsets during a game, or the preview's skipped columns and rows before one;
// then hit-tests the pointer (client pixels, y down) against both bars. A bar
// that no longer exists returns the table to its unscrolled place. Call after
// every change of the scroll position, client size, picture or game, and on
// every pointer move.
void UpdateScrollBars(GameState& state, TableView& view, ScrollBars& bars, std::int32_t cursorX,
                      std::int32_t cursorY, const EdgeScrollFlags& edges);

// Recolours the elements of the bar whose zone holds the pointer from its
// hover flags. Call on every pointer move after UpdateScrollBars.
void UpdateScrollBarColours(ScrollBars& bars);

// The bar to draw this frame: the horizontal one when both zones were set,
// nothing when neither is.
const ScrollBar* ShownBar(const ScrollBars& bars);

// A held track element of the shown bar scrolls one pixel per frame towards
// it; returns whether it did (UpdateScrollBars has then run).
bool ScrollHeldTrack(GameState& state, TableView& view, ScrollBars& bars, std::int32_t cursorX,
                     std::int32_t cursorY, const EdgeScrollFlags& edges);

// The caption due this frame: the hovered element of the shown bar when it
// has a caption that is still visible; ELEMENT_COUNT for none.
ScrollBar::Element ShownCaption(const ScrollBars& bars);
// After the shown caption was drawn: lowers its opacity by 80 / frame rate
// (the "Right Arrow" caption by 3), stopping at 0.
void FadeShownCaption(ScrollBars& bars, float framesPerSecond);

// The slider of one bar in half-pixel units from the window centre (x from
// -clientWidth to clientWidth, y from -clientHeight to clientHeight).
// "Along" runs with the bar (y for the vertical bar, x for the horizontal),
// "across" over it.
struct BarGeometry {
  // The places of colours[0..5] along the bar: the first triangle's apex, the
  // outer end of the first box, the thumb's ends, the outer end of the second
  // box, the second triangle's apex.
  std::array<std::int32_t, 6> along{};
  // The bar's two sides and its centre line (the track line and the apexes).
  std::int32_t acrossLow = 0;
  std::int32_t acrossHigh = 0;
  std::int32_t acrossCentre = 0;
  // The triangle bases are a little wider than the bar.
  std::int32_t baseLow = 0;
  std::int32_t baseHigh = 0;
};
BarGeometry VerticalBarGeometry(const TableView& view, std::int32_t thickness);
BarGeometry HorizontalBarGeometry(const TableView& view, std::int32_t thickness);

}  // namespace puzzle
