// The per-frame advance of the game: the frame clock and rate, the animated
// picture's frame switching, the idle count behind the branded caption, the
// background's colour cycling, held scroll tracks and edge scrolling during a
// drag, the turn or flip of the selected piece, the fading of the prompt and
// of the key captions, and the scatter. The window calls AdvanceFrame, then
// draws the frame from the records (render/), then FinishFrame, and then asks
// NextFrameDelay when the picture changes next: frames are drawn only while
// something moves, so a table at rest costs nothing. The animations that move
// a fixed amount per sixtieth of a second (turns, edge and held-track
// scrolling, the background's colours) take as many steps as the time since
// the last frame holds, so a slow frame does not slow them.
//
// FrameTiming lives in the application object and is written only here and by
// the pointer-move handler, which sets pointerMovedAt. AdvanceFrame and
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

// Time without pointer movement before the branded caption shows: 5000
// frames at sixty a second.
inline constexpr std::uint32_t CAPTION_IDLE_MS = 5000 * 1000 / 60;
// The time of one step of the animations that move once per sixtieth of a
// second, and the most steps one frame takes (a second's worth), so that a
// stalled frame does not make a turn or a scroll jump.
inline constexpr double ANIMATION_STEP_MS = 1000.0 / 60.0;
inline constexpr std::int32_t MAX_STEPS_PER_FRAME = 60;
// The pace of the frames while nothing but the branded background's colours
// moves: six steps of the colours a frame (a step is one level of 255), ten
// frames a second; the window composes each frame whole, which costs the
// software renderer more than the background itself.
inline constexpr std::uint32_t BACKGROUND_FRAME_MS = 100;

struct FrameTiming {
  std::uint32_t frameTick = 0;
  std::uint32_t previousFrameTick = 0;
  // Measured on every frame; the rate of the last frame whose tick advanced.
  // The fades divide by it, so it starts at a plausible rate instead of 0.
  float framesPerSecond = 60.0f;
  // The shown frame of an animated picture and how long it has been shown.
  std::int32_t frameIndex = 0;
  std::uint32_t frameElapsed = 0;
  // The tick of the pointer's last move; none until it first moves, so that
  // the caption shows from start-up.
  std::optional<std::uint32_t> pointerMovedAt;
  // The branded caption is due in the frame being drawn.
  bool captionDue = true;
  // Steps of the once-per-sixtieth animations in the frame being drawn, and
  // the fraction of a step carried to the next frame.
  std::int32_t stepsDue = 1;
  double stepCarry = 0;
  // The previous frame asked for this one at once (something was moving):
  // the time between them is animation time. After a rest the first frame
  // takes one step and keeps the last measured rate.
  bool moving = true;
  // The end of the frame stepped the table after it was drawn (the hint,
  // the scatter or its settle): one more frame shows where the step left it.
  bool redrawDue = false;
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

// Takes the frame's tick and, after a moving frame, measures the rate
// (unsigned difference, so the tick may wrap; the same millisecond keeps the
// previous rate) and the steps due; after a rest one step is due.
void AdvanceFrameTiming(FrameTiming& timing, std::uint32_t tickMs);

// After FinishFrame: milliseconds until the picture changes by itself (0: in
// the next frame the pacer allows; the background's slower pace; an animated
// picture's next frame; the branded caption's return), or none when nothing changes until the player
// acts. Records in timing whether the next frame follows at once.
std::optional<std::uint32_t> NextFrameDelay(FrameRecords& records, std::uint32_t tickMs);

// Shows the next frame of an animated picture once the present one
// has been shown longer than its delay, after the last frame the first again.
// A frame index left over from a picture with more frames starts again at 0.
void AdvanceAnimatedPicture(FrameTiming& timing, const GameState& state);

// Composes frame `frame` of a fresh animated picture into shownFrame for the
// preview, from the frame it holds when that is not later, else from the
// first. A damaged change leaves shownFrame empty.
void ComposePreviewFrame(GameState& state, std::int32_t frame);

// True when the branded caption is due at tickMs: with the branded
// background, or once the pointer has rested longer than CAPTION_IDLE_MS.
bool IdleCaptionDue(const FrameTiming& timing, const GameOptions& options, std::uint32_t tickMs);

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
  const std::uint8_t* pixels = nullptr;  // the shown frame, whole
};
// Nothing when no picture is held, it is not fresh, or the shown frame is not
// at hand whole.
std::optional<PreviewPlacement> PlacePreview(const GameState& state, const TableView& table,
                                             const ScrollBars& bars, const FrameTiming& timing);

}  // namespace puzzle
