// The pace of the table's redraws. The window asks for a new frame as soon as
// the last one is shown; where the display waits for the screen's refresh
// that already holds the table to the screen's rate, but where it does not
// (a virtual display, a driver without vertical sync) the table would redraw
// as fast as the processor allows. The pacer keeps the frames on a grid of
// MAX_FRAMES_PER_SECOND slots a second: a frame asked for before its slot
// waits for it, a frame asked for at or after it is drawn at once.
//
// FramePacer lives in the application object and is written only here. The
// clock is the window's own steady clock in milliseconds, not the game's
// tick, so that a stepped game clock in tests does not stall the redraws.
#pragma once

#include <cstdint>
#include <optional>

namespace puzzle {

inline constexpr double MAX_FRAMES_PER_SECOND = 60.0;
inline constexpr double FRAME_PERIOD_MS = 1000.0 / MAX_FRAMES_PER_SECOND;

struct FramePacer {
  // Where the grid of slots starts; none before the first frame.
  std::optional<double> originMs;
  // Slots taken since then. Each slot's time is worked out afresh from the
  // count rather than summed, so that sixty slots span exactly one second.
  std::int64_t slotsTaken = 0;
};

// Milliseconds until the next frame may be drawn (0 when it may be drawn at
// nowMs).
double FrameDelay(const FramePacer& pacer, double nowMs);

// A frame is drawn at nowMs: it takes its slot. A frame more than a whole
// period behind its slot starts the grid afresh from now, so that a long
// pause is not followed by a burst of frames catching up.
void FrameDrawn(FramePacer& pacer, double nowMs);

}  // namespace puzzle
