// One complete frame of the table, drawn again and again whenever the event
// queue is idle; every animation (scatter and settle, turning and flipping,
// the prompt fade, edge scrolling, the background colours, animated
// pictures, fading key captions) advances by one step per call.
//
// RenderFrame writes: FrameTiming; the fan colours of ViewSetup; the scroll
// position, view offsets, piece poses and homes of GameState through the
// scroll update (held tracks, edge scrolling); the selected piece's pose and
// the turn fields (rotationLeft and its flags); the prompt fields and the
// scatter/settle fields through AdvancePrompt and AdvanceScatter; the caption
// opacities of ScrollBars. It reads everything else.
//
// The caller makes the GL context current, and swaps the buffers afterwards.
// A game named on the command line is opened by the shell before the first
// call (the file can only be read once the context exists), followed by
// UpdateScrollBars; the renderer itself never opens files.
#pragma once

#include <cstdint>

#include "game/frame_steps.h"
#include "game/picking.h"
#include "model/records.h"
#include "render/fonts.h"
#include "view/scrollbars.h"
#include "view/view.h"

namespace puzzle {

// The records one frame reads and advances, gathered so that the window and
// the tools pass them in one go.
struct FrameRecords {
  GameState& state;
  const GameOptions& options;
  ViewSetup& view;
  ScrollBars& bars;
  // leftButtonDown (the selected piece shows green while held) and the
  // pointer position for the scroll update and the arrow-key captions.
  const ShellInput& shell;
  // The edge-scrolling flags of a drag.
  const EdgeScrollFlags& edges;
  const Fonts& fonts;
  FrameTiming& timing;
};

// Draws one frame and advances every animation by one step. tickMs is the
// platform's millisecond tick for this frame.
void RenderFrame(FrameRecords& records, std::uint32_t tickMs);

// The scroll bar whose zone holds the pointer, with its key-help caption:
// outline, gradient fills, the held track's one-pixel scroll, and the caption
// fading by the frame rate. Part of RenderFrame; separate for the tools.
void DrawScrollBars(FrameRecords& records);

}  // namespace puzzle
