// Where the window looks at the table: the client size, the scroll position
// and the thumbs of both bars, the scroll room a running game adds around the
// picture, and the offsets by which the table (homes, pieces, picture frame)
// has slid under the window.
//
// While a game is on the table the window shows it at a zoom (screen pixels
// per picture pixel) about the window's centre; the picture before Start is
// always shown one to one. The zoom is not part of a game: Start and an
// opened game keep the one the player chose.
//
// One TableView lives in the application object. It is written only by the
// functions of this header and by UpdateScrollBars (view/scrollbars.h), which
// clamps the scroll position and alone writes the view and background
// offsets. Everything else reads it.
#pragma once

#include <cstdint>

#include "model/records.h"
#include "view/view.h"

namespace puzzle {

struct TableView {
  // The client area in device pixels; never below one pixel.
  std::int32_t clientWidth = 1;
  std::int32_t clientHeight = 1;
  // Thumb positions in pixels from the middle of their travel; x grows to the
  // right, y upwards.
  std::int32_t scrollX = 0;
  std::int32_t scrollY = 0;
  // Pixels of table beyond the picture that a running game lets the bars
  // reach, both sides together.
  std::int32_t scrollMarginX = 0;
  std::int32_t scrollMarginY = 0;
  std::int32_t thumbW = 0;
  std::int32_t thumbH = 0;
  // How far the table has slid: the pieces' and homes' share in table units,
  // and the picture frame's at the background depth.
  float viewOffsetX = 0;
  float viewOffsetY = 0;
  float backOffsetX = 0;
  float backOffsetY = 0;
  // Screen pixels per picture pixel during a game.
  double zoom = 1.0;
};

// The zoom's limits and its step: 100 % is one of the steps.
inline constexpr double ZOOM_STEP = 1.25;
inline constexpr double ZOOM_MAX = 4.0;

enum class ScrollAxis { Horizontal, Vertical };
enum class PageMove { Back, Forward, ToStart, ToEnd };

// The window's client area changed (or was first measured).
void SetClientSize(TableView& view, std::int32_t width, std::int32_t height);

// A table seen afresh: unscrolled, without scroll room, nothing slid. Used
// where the homes are built anew (Start, an opened game) or no game is left
// (a new picture).
void ResetTableView(TableView& view);

// A thumb in proportion to how much of the room (picture plus scroll room)
// the client shows, never shorter than the bar is thick.
std::int32_t ThumbLength(std::int32_t client, std::int64_t room, std::int32_t thickness);

// Page Up/Down, Home and End, from the keys and from the bars' buttons alike:
// a page is one thumb length; the ends put the thumb at the end of its
// travel. On the vertical bar "back" and "start" are the top.
void MovePage(TableView& view, ScrollAxis axis, PageMove move);

// Whole pixels of scrolling, x to the right and y upwards: arrow keys, held
// tracks, edge scrolling, thumb drags and panning the preview.
void ScrollBy(TableView& view, std::int32_t dx, std::int32_t dy);

// Screen pixels of scrolling, x to the right and y upwards, as whole thumb
// positions: the wheel and the arrow keys move the shown table as far at
// every zoom and picture size. A position slides the table by the room the
// window does not show over the thumb's travel, so a move takes at least one.
void ScrollByScreenPixels(TableView& view, const GameState& state, std::int32_t dx, std::int32_t dy);

// A right click on a track brings the thumb's near edge under the pointer
// (client pixels, y down); `before` names the track above or left of the
// thumb.
void BringThumbEdgeTo(TableView& view, ScrollAxis axis, bool before, std::int32_t pointer);

// Start: a picture larger than the window gets a cell of scroll room on every
// side, and the bars that then exist get thumbs in proportion.
void SetUpGameScrollRoom(TableView& view, const GameState& state, const GameOptions& options,
                         std::int32_t thickness);

// A new picture before Start: thumbs for the bars its size needs.
void SetUpPreviewThumbs(TableView& view, const GameState& state, std::int32_t thickness);

// The client size and thumbs before a resize, so that thumbs keep their
// relative place.
struct PreviousClient {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::int32_t thumbW = 0;
  std::int32_t thumbH = 0;
};
PreviousClient CurrentClient(const TableView& view);

// After a resize or an opened game: the scroll room of a running game from
// where its pieces lie, then both thumbs and scroll positions. The caller runs
// UpdateScrollBars afterwards.
void RecomputeScrollRoom(TableView& view, const GameState& state, const GameOptions& options,
                         const PreviousClient& previous, std::int32_t thickness);

// Picture pixels of a running game's table that a client extent shows.
double ShownTable(std::int32_t client, const TableView& view);

// The frustum the game's table (pieces, homes, frame, prompt) is drawn and
// picked with: the window's, narrowed by the zoom about the window's centre.
// Scroll bars, captions, the preview and the background keep the window's.
Frustum TableFrustum(const ViewSetup& setup, const TableView& view);

// The zoom at which the whole table -- the picture's frame and every piece,
// about the picture's centre, where the scroll room is centred too -- fits
// the client; never above 1.
double WholeTableZoom(const GameState& state, const TableView& view);

// The zoom `steps` steps of ZOOM_STEP away (negative: smaller), on the grid
// of powers of the step, kept between `smallest` (at most 1) and ZOOM_MAX.
double SteppedZoom(double zoom, int steps, double smallest);

// Sets the zoom of a running game and the scroll room it needs, keeping the
// table point under client position (x, y) (pixels, y down) at that place as
// far as the scroll room and whole thumb positions allow. The caller runs
// UpdateScrollBars afterwards.
void ZoomAbout(TableView& view, const GameState& state, const GameOptions& options, std::int32_t thickness,
               double zoom, double x, double y);

}  // namespace puzzle
