#include "game/frame_steps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/check.h"
#include "game/scatter.h"
#include "model/orientation.h"
#include "storage/image_loader.h"

namespace puzzle {

void AdvanceFrameTiming(FrameTiming& timing, std::uint32_t tickMs) {
  timing.previousFrameTick = timing.frameTick;
  timing.frameTick = tickMs;
  if (!timing.moving) {
    timing.stepsDue = 1;
    timing.stepCarry = 0;
    return;
  }
  const std::uint32_t elapsed = timing.frameTick - timing.previousFrameTick;
  if (elapsed != 0) timing.framesPerSecond = 1000.0f / static_cast<float>(elapsed);
  // At least one step a frame, as many as the time holds when frames come
  // slower than sixty a second; a frame that came early banks nothing.
  const double due = timing.stepCarry + elapsed / ANIMATION_STEP_MS;
  const double whole = std::max(1.0, std::floor(due));
  timing.stepCarry = std::clamp(due - whole, 0.0, 1.0);
  timing.stepsDue = static_cast<std::int32_t>(std::min(whole, static_cast<double>(MAX_STEPS_PER_FRAME)));
}

void AdvanceAnimatedPicture(FrameTiming& timing, const GameState& state) {
  if (timing.frameIndex < 0 || timing.frameIndex >= std::max(state.frameCount, 1)) {
    timing.frameIndex = 0;
    timing.frameElapsed = 0;
  }
  if (state.frameCount <= 1) {
    return;
  }
  timing.frameElapsed += timing.frameTick - timing.previousFrameTick;
  const auto index = static_cast<std::size_t>(timing.frameIndex);
  const std::uint32_t delay = index < state.frameDelays.size() ? state.frameDelays[index] : 0;
  if (timing.frameElapsed > delay) {
    timing.frameIndex = timing.frameIndex + 1 < state.frameCount ? timing.frameIndex + 1 : 0;
    timing.frameElapsed = 0;
  }
}

void ComposePreviewFrame(GameState& state, std::int32_t frame) {
  const auto width = static_cast<std::size_t>(state.imageWidth);
  const std::size_t frameBytes = width * static_cast<std::size_t>(state.imageHeight) * 4;
  if (frame == state.shownFrameIndex && state.shownFrame.size() == frameBytes) return;
  if (state.shownFrameIndex < 0 || frame < state.shownFrameIndex || state.shownFrame.size() != frameBytes) {
    state.shownFrameIndex = -1;
    if (state.pixels.size() < frameBytes) {
      state.shownFrame.clear();
      return;
    }
    state.shownFrame.assign(state.pixels.begin(),
                            state.pixels.begin() + static_cast<std::ptrdiff_t>(frameBytes));
    state.shownFrameIndex = 0;
  }
  std::uint8_t* canvas = state.shownFrame.data();
  const bool whole = WalkFrameChanges(
      state.pixels, state.imageWidth, state.imageHeight, state.shownFrameIndex, frame,
      [&](const FrameChange& change) {
        const auto row = static_cast<std::size_t>(change.width) * 4;
        for (std::int32_t r = 0; r < change.height; ++r) {
          std::memcpy(
              canvas +
                  ((static_cast<std::size_t>(change.y + r)) * width + static_cast<std::size_t>(change.x)) * 4,
              change.rgba + static_cast<std::size_t>(r) * row, row);
        }
      });
  state.shownFrameIndex = whole ? frame : -1;
  if (!whole) state.shownFrame.clear();
}

bool IdleCaptionDue(const FrameTiming& timing, const GameOptions& options, std::uint32_t tickMs) {
  return options.brandedBackground || !timing.pointerMovedAt ||
         tickMs - *timing.pointerMovedAt > CAPTION_IDLE_MS;
}

void EdgeScrollStep(GameState& state, TableView& table, ScrollBars& bars, const EdgeScrollFlags& edges,
                    std::int32_t cursorX, std::int32_t cursorY) {
  if (edges.edgeScrollUp || edges.edgeScrollDown) {
    ScrollBy(table, 0, edges.edgeScrollUp ? 1 : -1);
    UpdateScrollBars(state, table, bars, cursorX, cursorY, edges);
  }
  if (edges.edgeScrollLeft || edges.edgeScrollRight) {
    ScrollBy(table, edges.edgeScrollLeft ? -1 : 1, 0);
    UpdateScrollBars(state, table, bars, cursorX, cursorY, edges);
  }
}

void AdvanceTurn(GameState& state, const GameOptions& options) {
  if (state.rotationLeft == 0.0f || state.selected < 0 ||
      static_cast<std::size_t>(state.selected) >= state.pieces.size()) {
    return;
  }
  PiecePose& pose = state.pieces[static_cast<std::size_t>(state.selected)];
  // The remaining angle is always a whole number of steps, unless angleStep
  // was changed under a running turn; the last step then turns only what is
  // left, so that the turn still ends at exactly 0.
  float step = options.angleStep;
  float radians = options.angleStepRad;
  if (std::fabs(state.rotationLeft) < step) {
    step = std::fabs(state.rotationLeft);
    radians = AngleStepToRadians(step);
  }
  if (state.turnInPlane) {
    if (state.rotationLeft >= 0.0f) {
      RotatePose(pose, 0, 0, 1, radians);
      state.rotationLeft -= step;
    } else {
      RotatePose(pose, 0, 0, 1, -radians);
      state.rotationLeft += step;
    }
  } else if (state.flipAboutVertical) {
    RotatePose(pose, 0, 1, 0, radians);
    state.rotationLeft -= step;
  } else if (state.flipAboutHorizontal) {
    RotatePose(pose, 1, 0, 0, radians);
    state.rotationLeft -= step;
  }
  if (state.rotationLeft == 0.0f) {
    state.turnInPlane = false;
    state.flipAboutVertical = false;
    state.flipAboutHorizontal = false;
    SnapOrientation(pose);
  }
}

std::optional<PreviewPlacement> PlacePreview(const GameState& state, const TableView& table,
                                             const ScrollBars& bars, const FrameTiming& timing) {
  const std::int32_t w = state.imageWidth;
  const std::int32_t h = state.imageHeight;
  if (!state.imageFresh || state.pixels.empty() || w <= 0 || h <= 0) {
    return std::nullopt;
  }
  const bool animated = state.frameCount > 1;
  const std::vector<std::uint8_t>& shown = animated ? state.shownFrame : state.pixels;
  const std::size_t frameBytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
  if (shown.size() < frameBytes || (animated && state.shownFrameIndex != timing.frameIndex)) {
    return std::nullopt;
  }
  const std::int32_t cw = table.clientWidth;
  const std::int32_t ch = table.clientHeight;
  const double s = state.pixelScale;
  PreviewPlacement p;
  p.pixels = shown.data();
  if (w > cw) {
    p.rasterX = static_cast<float>(-cw * s);
    p.skipColumns = std::clamp(bars.previewSkipX, 0, w - cw);
    p.columns = std::min(cw, w - p.skipColumns);
  } else {
    p.rasterX = static_cast<float>(-w * s);
    p.columns = w;
  }
  if (h > ch) {
    p.rasterY = static_cast<float>(-ch * s);
    p.skipRows = std::clamp(bars.previewSkipY, 0, h - ch);
    p.rows = ch;
  } else {
    p.rasterY = static_cast<float>(-h * s);
    p.rows = h;
  }
  return p;
}

void AdvanceFrame(FrameRecords& r, std::uint32_t tickMs) {
  GameState& state = r.state;
  AdvanceFrameTiming(r.timing, tickMs);
  AdvanceAnimatedPicture(r.timing, state);
  if (state.imageFresh && state.frameCount > 1) ComposePreviewFrame(state, r.timing.frameIndex);
  if (r.options.brandedBackground) TurnFanColours(r.view);
  r.timing.captionDue = IdleCaptionDue(r.timing, r.options, tickMs);
  const std::int32_t steps = r.timing.stepsDue;
  // Only a bar that shows can be held.
  for (std::int32_t k = 0; k < steps && ShownBar(r.bars) != nullptr; ++k)
    ScrollHeldTrack(state, r.table, r.bars, r.shell.cursorX, r.shell.cursorY, r.edges);
  if (state.gameRunning) {
    for (std::int32_t k = 0; k < steps; ++k)
      EdgeScrollStep(state, r.table, r.bars, r.edges, r.shell.cursorX, r.shell.cursorY);
    for (std::int32_t k = 0; k < steps && state.rotationLeft != 0.0f; ++k) AdvanceTurn(state, r.options);
  }
}

void FinishFrame(FrameRecords& r, std::uint32_t tickMs) {
  GameState& state = r.state;
  if (r.options.brandedBackground) {
    // The steps the frame skipped bounce as they would have frame by frame.
    StepFanColours(r.view);
    for (std::int32_t k = 1; k < r.timing.stepsDue; ++k) {
      TurnFanColours(r.view);
      StepFanColours(r.view);
    }
  }
  FadeShownCaption(r.bars, r.timing.framesPerSecond);
  const bool hintShowing = state.gameRunning && state.promptShowing;
  const bool scattering = state.scatterRunning || state.settleRunning;
  if (hintShowing) AdvancePrompt(state, r.timing.framesPerSecond);
  AdvanceScatter(state, r.table, r.options, tickMs);
  // These steps change the table after it was drawn: when they end here (the
  // hint gone and its piece back at its depth, the settle's last turn and
  // snap), one more frame shows where they left it.
  r.timing.redrawDue = hintShowing || scattering;
}

std::optional<std::uint32_t> NextFrameDelay(FrameRecords& r, std::uint32_t tickMs) {
  const GameState& state = r.state;
  const ScrollBar* bar = ShownBar(r.bars);
  const ScrollBar::Element caption = ShownCaption(r.bars);
  const bool heldTrack =
      bar != nullptr && (bar->pressed[ScrollBar::TRACK_BEFORE] || bar->pressed[ScrollBar::TRACK_AFTER]);
  const bool edgeScroll =
      r.edges.edgeScrollUp || r.edges.edgeScrollDown || r.edges.edgeScrollLeft || r.edges.edgeScrollRight;
  const bool moving =
      state.scatterRunning || state.settleRunning ||
      (state.gameRunning && (state.promptShowing || state.rotationLeft != 0.0f || edgeScroll)) || heldTrack ||
      (caption != ScrollBar::ELEMENT_COUNT && bar->captionOpacity[caption] > 0) || r.timing.redrawDue;
  r.timing.moving = moving || r.options.brandedBackground;
  if (moving) return 0;
  // The background's colours move by one a sixtieth of a second whatever the
  // frame rate; alone, they are drawn at a slower pace, a few steps a frame,
  // where a step is too small to see.
  std::optional<std::uint32_t> delay;
  if (r.options.brandedBackground) delay = BACKGROUND_FRAME_MS;
  if (state.frameCount > 1 && (state.gameRunning || state.imageFresh)) {
    // The shown frame changes once it has been shown longer than its delay.
    const auto index = static_cast<std::size_t>(std::max(r.timing.frameIndex, 0));
    const std::uint32_t shownFor = index < state.frameDelays.size() ? state.frameDelays[index] : 0;
    const std::uint32_t next = shownFor >= r.timing.frameElapsed ? shownFor - r.timing.frameElapsed + 1 : 0;
    delay = delay ? std::min(*delay, next) : next;
  }
  if (!r.timing.captionDue && r.timing.pointerMovedAt) {
    const std::uint32_t rested = tickMs - *r.timing.pointerMovedAt;
    const std::uint32_t returns = rested <= CAPTION_IDLE_MS ? CAPTION_IDLE_MS - rested + 1 : 0;
    delay = delay ? std::min(*delay, returns) : returns;
  }
  return delay;
}

}  // namespace puzzle
