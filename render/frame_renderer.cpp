#include "render/frame_renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>

#include "model/texts.h"
#include "render/gl_view.h"
#include "view/unproject.h"

namespace puzzle {
namespace {

void Colour(const Rgb8& c) {
  glColor3ub(c[0], c[1], c[2]);
}

// Places a bar point given along and across the bar (half pixels) on the
// overlay plane.
struct BarPainter {
  bool vertical;
  double scale;
  float depth = OVERLAY_DEPTH;

  void Vertex(std::int32_t along, std::int32_t across) const {
    const auto a = static_cast<float>(along * scale);
    const auto c = static_cast<float>(across * scale);
    if (vertical) {
      glVertex3f(c, a, depth);
    } else {
      glVertex3f(a, c, depth);
    }
  }
};

// Its lines are one logical pixel wide, as the bar's thickness is the
// platform's in logical pixels.
void DrawSlider(const ScrollBar& bar, const BarGeometry& g, const BarPainter& paint, double pixelRatio) {
  glColor3ub(0, 0, 0);
  glLineWidth(static_cast<float>(pixelRatio));
  glBegin(GL_LINES);
  for (std::size_t k = 1; k <= 4; ++k) {
    paint.Vertex(g.along[k], g.acrossLow);
    paint.Vertex(g.along[k], g.acrossHigh);
  }
  glEnd();

  glBegin(GL_LINE_LOOP);
  paint.Vertex(g.along[0], g.acrossCentre);
  paint.Vertex(g.along[1], g.baseHigh);
  paint.Vertex(g.along[1], g.acrossHigh);
  paint.Vertex(g.along[4], g.acrossHigh);
  paint.Vertex(g.along[4], g.baseHigh);
  paint.Vertex(g.along[5], g.acrossCentre);
  paint.Vertex(g.along[4], g.baseLow);
  paint.Vertex(g.along[4], g.acrossLow);
  paint.Vertex(g.along[1], g.acrossLow);
  paint.Vertex(g.along[1], g.baseLow);
  glEnd();

  // The boxes and the thumb: a gradient between the colours at their ends.
  glBegin(GL_QUADS);
  for (std::size_t k = 1; k <= 3; ++k) {
    Colour(bar.colours[k]);
    paint.Vertex(g.along[k], g.acrossLow);
    paint.Vertex(g.along[k], g.acrossHigh);
    Colour(bar.colours[k + 1]);
    paint.Vertex(g.along[k + 1], g.acrossHigh);
    paint.Vertex(g.along[k + 1], g.acrossLow);
  }
  glEnd();

  glBegin(GL_TRIANGLES);
  Colour(bar.colours[0]);
  paint.Vertex(g.along[0], g.acrossCentre);
  Colour(bar.colours[1]);
  paint.Vertex(g.along[1], g.baseLow);
  paint.Vertex(g.along[1], g.baseHigh);
  Colour(bar.colours[4]);
  paint.Vertex(g.along[4], g.baseLow);
  paint.Vertex(g.along[4], g.baseHigh);
  Colour(bar.colours[5]);
  paint.Vertex(g.along[5], g.acrossCentre);
  glEnd();
}

struct CaptionPlace {
  const UiText* text;
  double x;
  double y;
};

// Where the caption of an element goes, in scene units on the overlay plane.
CaptionPlace PlaceCaption(const FrameInputs& r, bool vertical, ScrollBar::Element element,
                          const BarGeometry& g) {
  const GameState& state = r.state;
  const TableView& table = r.table;
  const double s = state.pixelScale;
  // The captions' offsets are in logical pixels, as their glyphs are.
  const double b = state.backPixelScale * r.view.pixelRatio;
  const Frustum frustum = ResizedFrustum(r.view, table.clientWidth, table.clientHeight);
  const auto pointer = UnprojectWindow(frustum, Viewport{table.clientWidth, table.clientHeight},
                                       r.shell.cursorX, table.clientHeight - r.shell.cursorY, -0.1);
  if (vertical) {
    const double barLeft = g.acrossLow * s;
    const double centre = g.acrossCentre * s;
    switch (element) {
      case ScrollBar::TRACK_BEFORE: return {&texts::KEY_UP_ARROW, barLeft - 90 * b, pointer[1]};
      case ScrollBar::TO_START: return {&texts::KEY_HOME, centre - 75 * b, g.along[1] * s + 7 * b};
      case ScrollBar::PAGE_BACK: return {&texts::KEY_PAGE_UP, barLeft - 84 * b, g.along[2] * s};
      case ScrollBar::PAGE_FORWARD: return {&texts::KEY_PAGE_DOWN, barLeft - 115 * b, g.along[4] * s + 5 * b};
      case ScrollBar::TO_END: return {&texts::KEY_END, centre - 50 * b, g.along[5] * s + 5 * b};
      case ScrollBar::TRACK_AFTER: return {&texts::KEY_DOWN_ARROW, barLeft - 115 * b, pointer[1]};
      default: return {nullptr, 0, 0};
    }
  }
  const double barTop = g.acrossHigh * s;
  switch (element) {
    case ScrollBar::TRACK_BEFORE: return {&texts::KEY_LEFT_ARROW, pointer[0] - 5 * b, barTop + 9 * b};
    case ScrollBar::TO_START: return {&texts::KEY_CTRL_HOME, g.along[0] * s, barTop + 12 * b};
    case ScrollBar::PAGE_BACK: return {&texts::KEY_CTRL_PAGE_UP, g.along[1] * s, barTop + 9 * b};
    case ScrollBar::PAGE_FORWARD:
      return {&texts::KEY_CTRL_PAGE_DOWN, g.along[3] * s - 170 * b, barTop + 9 * b};
    case ScrollBar::TO_END: return {&texts::KEY_CTRL_END, g.along[3] * s - 77 * b, barTop + 12 * b};
    case ScrollBar::TRACK_AFTER: return {&texts::KEY_RIGHT_ARROW, pointer[0] - 3 * b, barTop + 9 * b};
    default: return {nullptr, 0, 0};
  }
}

void DrawPreview(const GameState& state, const TableView& table, const ScrollBars& bars,
                 const FrameTiming& timing) {
  const auto placement = PlacePreview(state, table, bars, timing);
  if (!placement) {
    return;
  }
  glRasterPos3f(placement->rasterX, placement->rasterY, PREVIEW_DEPTH);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, state.imageWidth);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, placement->skipRows);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, placement->skipColumns);
  glDrawPixels(placement->columns, placement->rows, GL_RGBA, GL_UNSIGNED_BYTE, placement->pixels);
  // The texture upload reads whole rows from the start of its block.
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

void DrawCentres(const GameState& state, const GameOptions& options) {
  glPointSize(3.0f);
  glColor3f(options.colors[6], options.colors[7], options.colors[8]);
  const std::size_t count = std::min(state.homeX.size(), state.homeY.size());
  glBegin(GL_POINTS);
  for (std::size_t i = 0; i < count; ++i) {
    glVertex3f(state.homeX[i], state.homeY[i], 1e-5f - TABLE_DEPTH);
  }
  glEnd();
}

// The selected piece's edges show yellow, green while held.
std::array<std::uint8_t, 3> SelectedColour(const ShellInput& shell) {
  return shell.leftButtonDown ? std::array<std::uint8_t, 3>{0, 255, 0}
                              : std::array<std::uint8_t, 3>{255, 255, 0};
}

void DrawPieces(const FrameInputs& r, std::int32_t skipped) {
  const GameState& state = r.state;
  UpdateTableMesh(r.mesh, state.pieces);
  // One binding serves every piece.
  glBindTexture(GL_TEXTURE_2D, state.stillTexture);
  const Frustum shown = TableFrustum(r.view, r.table);
  DrawTableMesh(r.mesh, HeldPieces(state), state.selected, SelectedColour(r.shell), skipped, &shown);
}

void DrawPictureFrame(const GameState& state, const TableView& table, const GameOptions& options) {
  glLineWidth(2.5f);
  glColor3f(options.colors[3], options.colors[4], options.colors[5]);
  const float w = state.backHalfPicW;
  const float h = state.backHalfPicH;
  const float ox = table.backOffsetX;
  const float oy = table.backOffsetY;
  glBegin(GL_LINE_LOOP);
  glVertex3f(-w - ox, -h - oy, FRAME_DEPTH);
  glVertex3f(w - ox, -h - oy, FRAME_DEPTH);
  glVertex3f(w - ox, h - oy, FRAME_DEPTH);
  glVertex3f(-w - ox, h - oy, FRAME_DEPTH);
  glEnd();
}

void DrawPrompt(const GameState& state, const TableView& table) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, state.stillTexture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  const float w = state.halfPicW;
  const float h = state.halfPicH;
  const float ox = table.viewOffsetX;
  const float oy = table.viewOffsetY;
  glColor4f(1.0f, 1.0f, 1.0f, state.promptAlpha);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-w - ox, -h - oy, -TABLE_DEPTH);
  glTexCoord2f(state.texMaxS, 0.0f);
  glVertex3f(w - ox, -h - oy, -TABLE_DEPTH);
  glTexCoord2f(state.texMaxS, state.texMaxT);
  glVertex3f(w - ox, h - oy, -TABLE_DEPTH);
  glTexCoord2f(0.0f, state.texMaxT);
  glVertex3f(-w - ox, h - oy, -TABLE_DEPTH);
  glEnd();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glDisable(GL_TEXTURE_2D);
}

void DrawScrollBars(const FrameInputs& r) {
  const ScrollBars& bars = r.bars;
  const ScrollBar* bar = ShownBar(bars);
  if (bar == nullptr) {
    return;
  }
  const TableView& table = r.table;
  const bool vertical = bar == &bars.vertical;
  const std::int32_t t = bars.scrollBarThickness;
  const BarGeometry g = vertical ? VerticalBarGeometry(table, t) : HorizontalBarGeometry(table, t);
  const double s = r.state.pixelScale;

  glColor3ub(0, 0, 0);
  glLineWidth(static_cast<float>(2.0 * r.view.pixelRatio));
  glBegin(GL_LINES);
  const BarPainter track{vertical, s, SCROLL_LINE_DEPTH};
  const std::int32_t extent = vertical ? table.clientHeight : table.clientWidth;
  track.Vertex(-extent, g.acrossCentre);
  track.Vertex(extent, g.acrossCentre);
  glEnd();

  DrawSlider(*bar, g, BarPainter{vertical, s}, r.view.pixelRatio);

  const ScrollBar::Element element = ShownCaption(bars);
  if (element == ScrollBar::ELEMENT_COUNT) {
    return;
  }
  const CaptionPlace place = PlaceCaption(r, vertical, element, g);
  if (place.text == nullptr) {
    return;
  }
  glColor4ub(0, 0, 0, bar->captionOpacity[element]);
  glRasterPos3f(static_cast<float>(place.x), static_cast<float>(place.y), OVERLAY_DEPTH);
  PrintBitmapText(r.fonts, Tr(*place.text, r.options.russianUi));
}

// The frame in the order the pieces' depth ties need, without piece
// `skipped`, the branded background and caption only with backdrop.
void DrawScene(const FrameInputs& r, bool backdrop, std::int32_t skipped) {
  const GameState& state = r.state;
  const GameOptions& options = r.options;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  LoadWindowProjection(r.view, r.table);

  if (backdrop && options.brandedBackground) {
    DrawBackgroundStar(r.view);
  }
  if (backdrop && r.timing.captionDue) {
    DrawBrandedCaption(r.fonts, r.view);
  }
  DrawPreview(state, r.table, r.bars, r.timing);
  DrawScrollBars(r);

  if (state.gameRunning) {
    LoadTableProjection(r.view, r.table);
    if (options.showCentres) {
      DrawCentres(state, options);
    }
    DrawPieces(r, skipped);
    if (options.showFrame) {
      DrawPictureFrame(state, r.table, options);
    }
    if (state.promptShowing) {
      DrawPrompt(state, r.table);
    }
  }
}

// The piece drawn over the kept layer: the selected one while it is held or
// turns; none at rest.
std::int32_t MovingPiece(const FrameInputs& r) {
  const GameState& state = r.state;
  const bool moving = r.shell.leftButtonDown || state.rotationLeft != 0.0f;
  if (!moving || state.selected < 0 || static_cast<std::size_t>(state.selected) >= HeldPieces(state) ||
      static_cast<std::size_t>(state.selected) >= r.mesh.spans.size())
    return -1;
  return state.selected;
}

// Drawn last over the layer, piece m hides what lies beneath exactly as it
// did drawn among the others: it lies above every resting piece (a flip
// does not), and its texels are opaque (an opaque picture, and not at the
// picture's edge, where the texture filter reaches into the transparent
// padding of a texture larger than the picture).
bool DrawnLastAlike(const FrameInputs& r, std::int32_t m) {
  const GameState& state = r.state;
  const PiecePose& pose = state.pieces[static_cast<std::size_t>(m)];
  if (pose.z <= -TABLE_DEPTH || (state.rotationLeft != 0.0f && !state.turnInPlane)) return false;
  if (!r.mesh.opaquePicture) return false;
  if (state.textureWidth == state.imageWidth && state.textureHeight == state.imageHeight) return true;
  const std::uint32_t rows = std::max<std::uint32_t>(state.rows, 1);
  const std::uint32_t columns = std::max<std::uint32_t>(state.pieceCount / rows, 1);
  const auto k = static_cast<std::uint32_t>(m);
  const std::uint32_t i = k % columns, j = k / columns;
  return i > 0 && j > 0 && i + 1 < columns && j + 1 < rows;
}

KeptLayerKey KeyOf(const FrameInputs& r, std::int32_t moving) {
  KeptLayerKey key;
  key.meshGeneration = r.mesh.generation;
  key.moving = moving;
  key.selected = r.state.selected;
  key.selectedColour = SelectedColour(r.shell);
  key.texture = r.state.stillTexture;
  key.frameIndex = r.timing.frameIndex;
  key.width = r.table.clientWidth;
  key.height = r.table.clientHeight;
  key.branded = r.options.brandedBackground;
  // With the branded background the caption is drawn over the layer.
  key.captionDue = r.timing.captionDue && !key.branded;
  key.showCentres = r.options.showCentres;
  key.showFrame = r.options.showFrame;
  key.colors = r.options.colors;
  key.backOffsetX = r.table.backOffsetX;
  key.backOffsetY = r.table.backOffsetY;
  key.zoom = r.table.zoom;
  return key;
}

}  // namespace

void DrawFrame(const FrameInputs& r) {
  DrawScene(r, true, -1);
}

void DrawFrameKept(const FrameInputs& r, KeptLayer& layer) {
  const GameState& state = r.state;
  const std::int32_t m = MovingPiece(r);
  const bool usable = !layer.unavailable && state.gameRunning && !state.promptShowing && !state.imageFresh &&
                      ShownBar(r.bars) == nullptr && !r.mesh.spans.empty() && (m < 0 || DrawnLastAlike(r, m));
  const bool shown = layer.shown;
  layer.shown = false;
  if (!usable) {
    layer.valid = false;
    DrawFrame(r);
    return;
  }
  const KeptLayerKey key = KeyOf(r, m);
  const bool branded = r.options.brandedBackground;
  bool onTarget = false;
  if (!layer.valid || !(layer.key == key) || PosesChangedExcept(r.mesh, state.pieces, m)) {
    const auto target = BeginKeptLayer(layer, r.table.clientWidth, r.table.clientHeight);
    if (!target) {
      DrawFrame(r);
      return;
    }
    // The branded background changes every frame: it is drawn over the
    // layer, where its depth leaves it behind everything else.
    DrawScene(r, !branded, m);
    EndKeptLayer(*target);
    layer.key = key;
    layer.valid = true;
  } else {
    // The target shows this layer under the last frame's background and
    // caption: drawn again at their own depths they replace exactly their
    // own pixels, and the pieces in front of them stay as they are.
    onTarget = layer.targetKept && shown && m < 0;
  }
  if (!onTarget && !CopyKeptLayer(layer)) {
    DrawFrame(r);
    return;
  }
  glLoadIdentity();
  if (branded) {
    LoadWindowProjection(r.view, r.table);
    DrawBackgroundStar(r.view);
    if (r.timing.captionDue) DrawBrandedCaption(r.fonts, r.view);
  }
  if (m >= 0) {
    LoadTableProjection(r.view, r.table);
    // Every other piece is as the layer has it.
    UpdateTablePiece(r.mesh, state.pieces, static_cast<std::size_t>(m));
    glBindTexture(GL_TEXTURE_2D, state.stillTexture);
    DrawTablePiece(r.mesh, static_cast<std::size_t>(m), SelectedColour(r.shell));
  }
  layer.shown = m < 0;
}

}  // namespace puzzle
