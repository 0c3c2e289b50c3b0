#include "game/picking.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "shapes/outline.h"
#include "view/unproject.h"

namespace puzzle {
namespace {

using Element = ScrollBar::Element;

// With a coarse depth buffer the depth under the pointer is never read; the
// fixed pick depth stands for it.
float PickDepth(const PickingState& picking, const ViewSetup& view) {
  return view.lowDepthPrecision ? FIXED_PICK_DEPTH : picking.cursorDepth;
}

// How far the depth under the pointer may lie from a piece's own depth for
// the piece to be the one seen there: one and a half spacings of resting
// depths.
constexpr double DEPTH_MATCH = 0.0000015;

bool Animating(const GameState& state) {
  return state.scatterRunning || state.settleRunning;
}

bool SelectionValid(const GameState& state) {
  return state.selected >= 0 && static_cast<std::size_t>(state.selected) < state.pieces.size();
}

// Pressing a box button and moving drags the thumb, as pressing the thumb
// does.
bool DragsThumb(const ScrollBar& bar) {
  return bar.pressed[ScrollBar::THUMB] || bar.pressed[ScrollBar::TO_START] ||
         bar.pressed[ScrollBar::PAGE_BACK] || bar.pressed[ScrollBar::PAGE_FORWARD] ||
         bar.pressed[ScrollBar::TO_END];
}

bool AnyPressed(const ScrollBar& bar) {
  return std::any_of(bar.pressed.begin(), bar.pressed.end(), [](bool p) { return p; });
}

bool PressedOver(const ScrollBar& bar, Element element) {
  return bar.pressed[element] && bar.hover[element];
}

void PressHovered(ScrollBar& bar) {
  static constexpr Element ORDER[] = {ScrollBar::THUMB,      ScrollBar::PAGE_BACK, ScrollBar::PAGE_FORWARD,
                                      ScrollBar::TO_START,   ScrollBar::TO_END,    ScrollBar::TRACK_BEFORE,
                                      ScrollBar::TRACK_AFTER};
  for (Element element : ORDER) {
    if (bar.hover[element]) {
      bar.pressed[element] = true;
      return;
    }
  }
  bar.pressed.fill(false);
}

// The pointer lies on the Prompt picture while it shows: nothing beneath it
// can be seen, so nothing is picked there.
bool OverPrompt(const PointerRecords& r) {
  const GameState& state = r.state;
  if (!state.promptShowing) return false;
  const double x = r.picking.cursorTable[0] + r.table.viewOffsetX;
  const double y = r.picking.cursorTable[1] + r.table.viewOffsetY;
  return std::fabs(x) <= state.halfPicW && std::fabs(y) <= state.halfPicH;
}

void Rescroll(PointerRecords& r) {
  UpdateScrollBars(r.state, r.table, r.bars, r.shell.cursorX, r.shell.cursorY, r.picking.edges);
}

// Selects the piece under client pixel (x, y) as hovering does: reads the
// depth there (unless it is fixed), unprojects the pointer and picks.
void HoverPick(PointerRecords& r, GraphicsPort& graphics, int x, int y) {
  PickingState& picking = r.picking;
  if (r.view.lowDepthPrecision) {
    picking.cursorDepth = FIXED_PICK_DEPTH;
  } else {
    picking.cursorDepth = graphics.ReadDepth(x, r.table.clientHeight - 1 - y);
  }
  picking.cursorTable = UnprojectPointer(r.table, r.view, x, y, picking.cursorDepth);
  picking.lastCursorTable = {picking.cursorTable[0], picking.cursorTable[1]};
  if (r.state.rotationLeft != 0) {
    // A turn keeps the selection; its piece may still be dragged.
    picking.pieceUnderPointer = SelectionValid(r.state) && OverPiece(PickDepth(picking, r.view));
    return;
  }
  picking.pieceUnderPointer = picking.cursorDepth != 1.0f && !OverPrompt(r) &&
                              PickPiece(r.state, r.options, r.view, r.table, picking);
}

void DragStep(PointerRecords& r, int x, int y) {
  PickingState& picking = r.picking;
  GameState& state = r.state;
  picking.cursorTable = UnprojectPointer(r.table, r.view, x, y, DRAG_DEPTH);
  // The depth under the pointer when the button went down decides whether a
  // piece was caught; it is not read again while the button is held.
  if (SelectionValid(state) && picking.pieceUnderPointer) {
    PiecePose& pose = state.pieces[static_cast<std::size_t>(state.selected)];
    pose.x = static_cast<float>(pose.x + (picking.cursorTable[0] - picking.lastCursorTable[0]));
    pose.y = static_cast<float>(pose.y + (picking.cursorTable[1] - picking.lastCursorTable[1]));
    state.gameChanged = true;
    r.shell.pieceMoved = true;
  }
  picking.lastCursorTable = {picking.cursorTable[0], picking.cursorTable[1]};
}

// Dragging the picture before Start: the thumbs move against the pointer, in
// proportion to how much of the picture lies outside the window.
void PanPicture(PointerRecords& r, Platform& platform) {
  GameState& state = r.state;
  PickingState& picking = r.picking;
  const int x = r.shell.cursorX;
  const int y = r.shell.cursorY;
  TableView& table = r.table;
  if (state.imageWidth > table.clientWidth) {
    platform.SetCursor(CursorShape::Move);
    ScrollBy(table,
             (picking.lastCursorX - x) * (table.clientWidth - table.thumbW) /
                 (state.imageWidth - table.clientWidth),
             0);
    picking.lastCursorX = r.shell.cursorX;
  }
  if (state.imageHeight > table.clientHeight) {
    platform.SetCursor(CursorShape::Move);
    ScrollBy(table, 0,
             (y - picking.lastCursorY) * (table.clientHeight - table.thumbH) /
                 (state.imageHeight - table.clientHeight));
    picking.lastCursorY = r.shell.cursorY;
  }
}

// The border of the client area scrolls the table under a dragged piece.
void SetEdgeScroll(PointerRecords& r) {
  EdgeScrollFlags& e = r.picking.edges;
  const GameState& state = r.state;
  const bool dragging =
      state.gameRunning && SelectionValid(state) && r.picking.pieceUnderPointer && r.shell.leftButtonDown;
  if (!dragging) {
    e = EdgeScrollFlags{};
    return;
  }
  const int x = r.shell.cursorX;
  const int y = r.shell.cursorY;
  const int right = r.table.clientWidth - 1;
  const int bottom = r.table.clientHeight - 1;
  if (x == 0 && y == 0) {
    e.edgeScrollLeft = e.edgeScrollUp = true;
  } else if (x == right && y == 0) {
    e.edgeScrollRight = e.edgeScrollUp = true;
  } else if (x == right && y == bottom) {
    e.edgeScrollRight = e.edgeScrollDown = true;
  } else if (x == 0) {
    e.edgeScrollLeft = true;
    if (y == bottom) {
      e.edgeScrollDown = true;
    } else {
      e.edgeScrollUp = e.edgeScrollDown = false;
    }
  } else if (x == right) {
    e.edgeScrollRight = true;
    e.edgeScrollUp = e.edgeScrollDown = false;
  } else {
    e.edgeScrollLeft = e.edgeScrollRight = false;
    if (y == 0) {
      e.edgeScrollUp = true;
    } else if (y == bottom) {
      e.edgeScrollDown = true;
    } else {
      e.edgeScrollUp = e.edgeScrollDown = false;
    }
  }
}

// Where the table point (dx, dy) from piece k's anchor lies against the
// piece's outline: inside it, and how far from the outline's line.
struct OutlinePlace {
  bool inside = false;
  double distance = 0;
};

OutlinePlace PlaceOnOutline(const OutlineParams& params, const PiecePose& pose, std::size_t k, double dx,
                            double dy) {
  OutlinePlace place{false, 1e30};
  if (params.columns == 0) return place;
  // The point in the piece's own axes, which turns and flips change.
  const double px = dx * pose.orient[0] + dy * pose.orient[1];
  const double py = dx * pose.orient[3] + dy * pose.orient[4];
  const auto i = static_cast<std::uint32_t>(k % params.columns);
  const auto j = static_cast<std::uint32_t>(k / params.columns);
  const std::vector<Point2> outline = PieceOutline(params, i, j);
  double nearest = 1e60;
  for (std::size_t a = 0, b = outline.size() - 1; a < outline.size(); b = a++) {
    const Point2& p = outline[a];
    const Point2& q = outline[b];
    if ((p.y > py) != (q.y > py) && px < (q.x - p.x) * (py - p.y) / (q.y - p.y) + p.x)
      place.inside = !place.inside;
    const double ex = q.x - p.x;
    const double ey = q.y - p.y;
    const double length = ex * ex + ey * ey;
    const double t = length > 0 ? std::clamp(((px - p.x) * ex + (py - p.y) * ey) / length, 0.0, 1.0) : 0.0;
    const double ox = p.x + t * ex - px;
    const double oy = p.y + t * ey - py;
    nearest = std::min(nearest, ox * ox + oy * oy);
  }
  place.distance = std::sqrt(nearest);
  return place;
}

// The scene depth at which the GL draws a layer of a resting piece: the
// mesh places it over the table in single precision and the model-view
// translation takes the table's depth off again, each step rounded to a
// float, so that layers a float step apart stay apart and equal ones meet.
float DrawnDepth(const PiecePose& pose, float offset) {
  const auto overTable = static_cast<float>(pose.z + TABLE_DEPTH);
  const auto vertex = static_cast<float>(pose.orient[8] * offset + overTable);
  return static_cast<float>(vertex - TABLE_DEPTH);
}

// The resting piece seen at the pixel whose centre unprojects to (wx, wy, wz)
// with the depth read there. Resting depths lie a millionth apart, about two
// float steps at the table's distance, and each edge loop one step in front
// of its face and one behind it; the depth buffer tells these layers apart.
// The piece seen has a face whose outline holds the pixel's centre, or (with
// edges) an edge passing within half a pixel of it, on the layer nearest the
// depth read. Where layers of two pieces meet, the depth test keeps the one
// drawn later: edges after all faces, a higher index after a lower one.
// Nothing where no outline is near: something else (the Prompt picture) is
// drawn there.
std::optional<std::size_t> PieceSeen(const GameState& state, const GameOptions& options, double zoom,
                                     std::size_t count, double wx, double wy, double wz) {
  // One screen pixel on the table.
  const double pixel = 2.0 * TABLE_DEPTH * state.pixelScale / NEAR_PLANE / zoom;
  // A pixel centre on a border (two pieces' common one, the picture's edge)
  // is the GL's to give to either side, and the faces of form 4, made of
  // parts, stray from the outline by a fraction of a pixel: a face is taken
  // within a pixel of its outline. No two faces share a layer, so the depth
  // read still names one of them.
  const double faceReach = pixel;
  const double edgeReach = options.showEdges ? pixel / 2 + pixel / 64 : -1.0;
  const double reach = 2.0 * state.halfCellDiag + pixel;
  const OutlineParams params = OutlineParamsFor(state, options);
  std::optional<std::size_t> found;
  double foundGap = DEPTH_MATCH;
  std::size_t foundOrder = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const PiecePose& pose = state.pieces[k];
    const double dx = wx - pose.x;
    const double dy = wy - pose.y;
    if (std::fabs(pose.z - wz) >= DEPTH_MATCH || dx * dx + dy * dy > reach * reach) continue;
    const OutlinePlace place = PlaceOnOutline(params, pose, k, dx, dy);
    const bool onEdge = place.distance <= edgeReach;
    for (const float offset : {0.0f, EDGE_OFFSET, -EDGE_OFFSET}) {
      const bool face = offset == 0.0f;
      if (face ? !place.inside && place.distance > faceReach : !onEdge) continue;
      const double gap = std::fabs(DrawnDepth(pose, offset) - wz);
      const std::size_t order = face ? k : count + k;
      // Layers closer than half a float step are one layer.
      constexpr double SAME_LAYER = 2e-7;
      if (gap < foundGap - SAME_LAYER || (gap < foundGap + SAME_LAYER && order > foundOrder)) {
        found = k;
        foundGap = std::min(gap, foundGap);
        foundOrder = order;
      }
    }
  }
  return found;
}

std::uint16_t ToCursor(int value, int size) {
  return static_cast<std::uint16_t>(std::clamp(value, 0, std::min(std::max(size - 1, 0), 0xFFFF)));
}

}  // namespace

bool OverPiece(double windowDepth) {
  return windowDepth > PIECE_DEPTH_LOW && windowDepth < PIECE_DEPTH_HIGH;
}

std::array<double, 3> UnprojectPointer(const TableView& table, const ViewSetup& view, int x, int y,
                                       double windowDepth) {
  const Frustum frustum = TableFrustum(view, table);
  // The centre of the pixel, where the GL samples what it draws there.
  return UnprojectWindow(frustum, Viewport{table.clientWidth, table.clientHeight}, x + 0.5,
                         table.clientHeight - y - 0.5, windowDepth);
}

void SelectPiece(GameState& state, const ViewSetup& view, std::int32_t k) {
  if (SelectionValid(state) && state.selected != k) {
    const auto s = static_cast<std::uint32_t>(state.selected);
    state.pieces[s].z = RestingDepth(s);
  }
  state.selected = k;
  if (!SelectionValid(state) || state.promptShowing) return;
  const double raise = view.lowDepthPrecision ? RAISE_DISTANCE_PICK : RAISE_DEPTH_PICK;
  state.pieces[static_cast<std::size_t>(k)].z = static_cast<float>(raise - TABLE_DEPTH);
}

bool PickPiece(GameState& state, const GameOptions& options, const ViewSetup& view, const TableView& shown,
               const PickingState& picking) {
  const double table = TABLE_DEPTH;
  const double wx = picking.cursorTable[0];
  const double wy = picking.cursorTable[1];
  const double wz = picking.cursorTable[2];
  const std::size_t count = HeldPieces(state);

  if (!view.lowDepthPrecision) {
    // The raised piece lies nearer than the table; anything else is a resting
    // piece or the background. The top resting piece lies exactly on the
    // table, and a depth read back from the buffer may put it a rounding step
    // in front of it, so the test is half-way up to the raised depth. Its
    // edge lies in front of it; the scroll bars and captions far nearer.
    if (wz > RAISE_DEPTH_PICK / 2 - table) return SelectionValid(state) && wz < 2 * RAISE_DEPTH_PICK - table;
    if (SelectionValid(state)) {
      const auto s = static_cast<std::uint32_t>(state.selected);
      state.pieces[s].z = RestingDepth(s);
    }
    const std::optional<std::size_t> seen = PieceSeen(state, options, shown.zoom, count, wx, wy, wz);
    if (seen) SelectPiece(state, view, static_cast<std::int32_t>(*seen));
    return seen.has_value();
  }

  float best = 999999.0f;
  for (std::size_t k = 0; k < count; ++k) {
    const PiecePose& pose = state.pieces[k];
    const double dx = pose.x - wx;
    const double dy = pose.y - wy;
    const auto d = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    if (d > state.halfCellDiag || !(d < best)) continue;
    best = d;
    if (static_cast<std::int32_t>(k) != state.selected)
      SelectPiece(state, view, static_cast<std::int32_t>(k));
  }
  return best < 999999.0f;
}

void OnMouseMove(PointerRecords& r, Platform& platform, GraphicsPort& graphics, int x, int y) {
  GameState& state = r.state;
  ShellInput& shell = r.shell;
  PickingState& picking = r.picking;
  // While the button is held the pointer is confined to the client area; a
  // position outside it is taken as the nearest border pixel, so that the
  // edge rules below see x = 0 or W - 1.
  shell.cursorX = ToCursor(x, r.table.clientWidth);
  shell.cursorY = ToCursor(y, r.table.clientHeight);
  const int cx = shell.cursorX;
  const int cy = shell.cursorY;

  if (!Animating(state) && state.gameRunning) {
    if (shell.leftButtonDown) {
      DragStep(r, cx, cy);
    } else {
      HoverPick(r, graphics, cx, cy);
    }
  }

  ScrollBar& horizontal = r.bars.horizontal;
  ScrollBar& vertical = r.bars.vertical;
  if (horizontal.zone && DragsThumb(horizontal)) {
    ScrollBy(r.table, cx - picking.lastCursorX, 0);
    picking.lastCursorX = shell.cursorX;
  } else if (vertical.zone && DragsThumb(vertical)) {
    ScrollBy(r.table, 0, picking.lastCursorY - cy);
    picking.lastCursorY = shell.cursorY;
  } else if (shell.leftButtonDown && state.imageFresh && !state.gameRunning && !AnyPressed(horizontal) &&
             !AnyPressed(vertical)) {
    PanPicture(r, platform);
  } else {
    picking.lastCursorX = shell.cursorX;
    picking.lastCursorY = shell.cursorY;
  }

  Rescroll(r);
  UpdateScrollBarColours(r.bars);
  SetEdgeScroll(r);
}

void OnLeftButtonDown(PointerRecords& r, Platform& platform) {
  platform.ConfineCursor(true);
  r.shell.leftButtonDown = true;
  if (r.bars.vertical.zone) {
    PressHovered(r.bars.vertical);
  } else if (r.bars.horizontal.zone) {
    PressHovered(r.bars.horizontal);
  }
  const GameState& state = r.state;
  if (SelectionValid(state) && r.picking.pieceUnderPointer) {
    const PiecePose& pose = state.pieces[static_cast<std::size_t>(state.selected)];
    r.picking.pendingEntry = HistoryEntry{state.selected, KIND_MOVE, pose.x, pose.y};
  }
}

void OnLeftButtonUp(PointerRecords& r, Platform& platform, GraphicsPort& graphics) {
  GameState& state = r.state;
  ShellInput& shell = r.shell;
  platform.SetCursor(CursorShape::Arrow);
  platform.ConfineCursor(false);

  // The press began outside the client area: nothing was caught, so the
  // release selects like a hover.
  if (!shell.leftButtonDown && !Animating(state) && state.gameRunning) {
    HoverPick(r, graphics, shell.cursorX, shell.cursorY);
  }

  if (shell.pieceMoved) {
    PushUndo(r.history, platform, r.picking.pendingEntry);
    shell.pieceMoved = false;
  }

  const ScrollBar& h = r.bars.horizontal;
  const ScrollBar& v = r.bars.vertical;
  // The bars' page and end buttons act as the keys do.
  constexpr std::array<std::pair<Element, PageMove>, 4> BUTTONS{{{ScrollBar::PAGE_BACK, PageMove::Back},
                                                                 {ScrollBar::PAGE_FORWARD, PageMove::Forward},
                                                                 {ScrollBar::TO_START, PageMove::ToStart},
                                                                 {ScrollBar::TO_END, PageMove::ToEnd}}};
  bool scrolled = false;
  for (const auto& [bar, axis] :
       {std::pair{&h, ScrollAxis::Horizontal}, std::pair{&v, ScrollAxis::Vertical}}) {
    for (const auto& [element, move] : BUTTONS) {
      if (!scrolled && PressedOver(*bar, element)) {
        MovePage(r.table, axis, move);
        scrolled = true;
      }
    }
  }

  shell.leftButtonDown = false;
  r.bars.horizontal.pressed.fill(false);
  r.bars.vertical.pressed.fill(false);
  // Edge scrolling lasts only as long as the drag.
  r.picking.edges = EdgeScrollFlags{};
  if (scrolled) Rescroll(r);
}

bool OnRightButtonDown(PointerRecords& r, GraphicsPort& graphics, int x, int y) {
  GameState& state = r.state;
  const ScrollBar& h = r.bars.horizontal;
  const ScrollBar& v = r.bars.vertical;
  // A right click on a track brings the thumb's near edge under the pointer.
  bool scrolled = true;
  if (v.hover[ScrollBar::TRACK_BEFORE] || v.hover[ScrollBar::TRACK_AFTER]) {
    BringThumbEdgeTo(r.table, ScrollAxis::Vertical, v.hover[ScrollBar::TRACK_BEFORE], y);
  } else if (h.hover[ScrollBar::TRACK_BEFORE] || h.hover[ScrollBar::TRACK_AFTER]) {
    BringThumbEdgeTo(r.table, ScrollAxis::Horizontal, h.hover[ScrollBar::TRACK_BEFORE], x);
  } else {
    scrolled = false;
  }
  if (scrolled) {
    Rescroll(r);
    return false;
  }

  const bool inClient = x >= 0 && y >= 0 && x < r.table.clientWidth && y < r.table.clientHeight;
  if (!inClient || state.rotationLeft != 0) return false;

  // The menu acts on the piece under the pointer, and on none where there is
  // none.
  if (!Animating(state) && state.gameRunning && !r.shell.leftButtonDown) {
    HoverPick(r, graphics, x, y);
    if (!r.picking.pieceUnderPointer) SelectPiece(state, r.view, -1);
  }
  return true;
}

}  // namespace puzzle
