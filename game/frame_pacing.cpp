#include "game/frame_pacing.h"

#include <algorithm>

namespace puzzle {
namespace {

double NextSlotMs(const FramePacer& pacer) {
  return *pacer.originMs + static_cast<double>(pacer.slotsTaken) * 1000.0 / MAX_FRAMES_PER_SECOND;
}

}  // namespace

double FrameDelay(const FramePacer& pacer, double nowMs) {
  if (!pacer.originMs) return 0;
  return std::max(0.0, NextSlotMs(pacer) - nowMs);
}

void FrameDrawn(FramePacer& pacer, double nowMs) {
  if (!pacer.originMs || nowMs >= NextSlotMs(pacer) + FRAME_PERIOD_MS) {
    pacer.originMs = nowMs;
    pacer.slotsTaken = 1;
    return;
  }
  // Drawn within its slot, or early (a redraw the window itself asked for,
  // on a resize or an exposure): the next slot follows this one's.
  ++pacer.slotsTaken;
}

}  // namespace puzzle
