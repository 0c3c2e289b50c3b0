// One complete frame of the table, drawn again and again whenever the event
// queue is idle: the branded background and caption, the picture preview,
// the scroll bar under the pointer with its key caption, the cell centres,
// the pieces, the picture frame and the prompt. The drawing only reads the
// records, and brings the table-space vertices of the pieces' mesh up to
// their poses; every animation is advanced by the game (game/frame_steps.h)
// before and after it.
//
// The caller makes the GL context current, and swaps the buffers afterwards.
#pragma once

#include "game/frame_steps.h"
#include "game/picking.h"
#include "model/records.h"
#include "render/fonts.h"
#include "render/kept_layer.h"
#include "render/table_mesh.h"
#include "view/scrollbars.h"
#include "view/table_view.h"
#include "view/view.h"

namespace puzzle {

// What a frame is drawn from.
struct FrameInputs {
  const GameState& state;
  const GameOptions& options;
  const ViewSetup& view;
  const TableView& table;
  const ScrollBars& bars;
  const ShellInput& shell;
  const FrameTiming& timing;
  const Fonts& fonts;
  TableMesh& mesh;
};

inline FrameInputs DrawingInputs(const FrameRecords& records, const Fonts& fonts, TableMesh& mesh) {
  return {records.state, records.options, records.view, records.table, records.bars,
          records.shell, records.timing,  fonts,        mesh};
}

// Draws one frame as the records stand, every piece.
void DrawFrame(const FrameInputs& frame);

// Draws the same frame from the kept layer where it can: the layer (drawn
// again only when something in it changed) is copied to the screen, then the
// branded background and the held or turning piece are drawn over it. Where
// the copy could differ from the whole frame by a pixel (the prompt, the
// preview, a scroll bar, a moving piece that does not lie clear above the
// others or shows the table through itself) or the GL has no offscreen
// buffers, the frame is drawn whole. Where the layer's owner keeps the target
// (targetKept) and the last frame was this layer under the background, only
// the background and its caption are drawn, over that frame.
void DrawFrameKept(const FrameInputs& frame, KeptLayer& layer);

}  // namespace puzzle
