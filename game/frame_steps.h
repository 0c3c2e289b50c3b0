// The per-frame advance of the game: the frame clock and rate, the animated
// picture's frame switching, the idle count behind the branded caption, the
// background's colour cycling, held scroll tracks and edge scrolling during a
// drag, the turn or flip of the selected piece, the fading of the prompt and
// of the key captions, and the scatter. Every animation moves by one step
// per drawn frame: the window calls AdvanceFrame, then draws the frame from
// the records (render/), then FinishFrame.
//
// FrameTiming lives in the application object and is written only here and by
// the pointer-move handler, which sets idleFrames to 0. AdvanceFrame and
// FinishFrame write what FrameRecords names, each through the rule of its
// own header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "game/picking.h"
#include "model/records.h"
#include "view/scrollbars.h"
#include "view/table_view.h"
#include "view/view.h"

namespace puzzle {

// Frames drawn without pointer movement before the branded caption shows.
inline constexpr std::int32_t CAPTION_IDLE_FRAMES = 5000;

struct FrameTiming {
  std::uint32_t frameTick = 0;
  std::uint32_t previousFrameTick = 0;
  // Measured on every frame; the rate of the last frame whose tick advanced.
  // The fades divide by it, so it starts at a plausible rate instead of 0.
  float framesPerSecond = 60.0f;
  // The shown frame of an animated picture and how long it has been shown.
  std::int32_t frameIndex = 0;
  std::uint32_t frameElapsed = 0;
  // Starts above the limit so that the caption shows from start-up until the
  // pointer first moves.
  std::int32_t idleFrames = CAPTION_IDLE_FRAMES + 1;
  // The branded caption is due in the frame being drawn.
  bool captionDue = true;
};

// The records one frame reads and advances, gathered so that the window and
// the tools pass them in one go.
struct FrameRecords {
  GameState& state;
  const GameOptions& options;
  ViewSetup& view;
  TableView& table;
  ScrollBars& bars;
  // leftButtonDown (the selected piece shows green while held) and the
  // pointer position for the scroll update and the arrow-key captions.
  const ShellInput& shell;
  // The edge-scrolling flags of a drag.
  const EdgeScrollFlags& edges;
  FrameTiming& timing;
};

// Everything that moves before the frame is drawn: the clock, the animated
// picture, the idle count, the background colours, a held track and edge
// scrolling, and the turning piece.
void AdvanceFrame(FrameRecords& records, std::uint32_t tickMs);

// Everything that moves once the frame shows it: the key caption and the
// prompt fade by the frame rate, the background colours step on, and the
// scatter and settle phases run.
void FinishFrame(FrameRecords& records, std::uint32_t tickMs);

// Takes the frame's tick and measures the rate (unsigned difference,
// so the tick may wrap); the same millisecond keeps the previous rate.
void AdvanceFrameTiming(FrameTiming& timing, std::uint32_t tickMs);

// Shows the next frame of an animated picture once the present one
// has been shown longer than its delay, after the last frame the first again.
// A frame index left over from a picture with more frames starts again at 0.
void AdvanceAnimatedPicture(FrameTiming& timing, const GameState& state);

// Byte offset of frame k in the picture's pixel block (every frame is
// followed by its two delay bytes).
std::size_t FramePixelOffset(const GameState& state, std::int32_t frameIndex);

// Counts one more idle frame; true when the branded caption is due.
bool AdvanceIdleCaption(FrameTiming& timing, const GameOptions& options);

// One pixel of edge scrolling per set direction (up before down,
// left before right), each followed by the scroll update that keeps the
// dragged piece under the pointer.
void EdgeScrollStep(GameState& state, TableView& table, ScrollBars& bars, const EdgeScrollFlags& edges,
                    std::int32_t cursorX, std::int32_t cursorY);

// Turns or flips the selected piece by one angleStep of the
// remaining rotationLeft; at exactly 0 clears the turn flags and snaps the
// orientation. Nothing moves while no piece is selected.
void AdvanceTurn(GameState& state, const GameOptions& options);

// How the unscaled picture preview is drawn. The raster position is
// in scene units on the preview plane; the rows and columns skipped keep the
// read inside the frame's pixels, and the width stops at the window's edge.
struct PreviewPlacement {
  float rasterX = 0;
  float rasterY = 0;
  std::int32_t skipColumns = 0;
  std::int32_t skipRows = 0;
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  std::size_t pixelOffset = 0;  // start of the shown frame in state.pixels
};
// Nothing when no picture is held, it is not fresh, or the pixel block is too
// short for the shown frame.
std::optional<PreviewPlacement> PlacePreview(const GameState& state, const TableView& table,
                                             const ScrollBars& bars, const FrameTiming& timing);

}  // namespace puzzle
