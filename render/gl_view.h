// The GL side of the fixed view: the state every frame relies on, the
// projection, and the branded background star. Needs a current
// compatibility-profile context.
#pragma once

#include "model/records.h"
#include "view/table_view.h"
#include "view/view.h"

namespace puzzle {

// Once, after the context is made: clear colour from the background option,
// depth test, smooth shading, blending, the projection and pixelScale, and
// the background fan for the present client size.
void InitGL(GameState& state, const TableView& table, const GameOptions& options, ViewSetup& view);
// After every change of the client size.
void ResizeGL(const GameState& state, const TableView& table, ViewSetup& view);

void SetClearColour(const GameOptions& options);

// The projection of what is fixed to the window (background, preview, scroll
// bars, captions) and that of the game's table at its zoom.
void LoadWindowProjection(const ViewSetup& view, const TableView& table);
void LoadTableProjection(const ViewSetup& view, const TableView& table);

// Reads the depth bits of the framebuffer bound now (the one the table is
// drawn into, which is not the window's default framebuffer) and sets
// lowDepthPrecision for 16 bits or fewer. True when the player is to be told
// that the video mode is obsolete: low precision on the first run.
bool CheckDepthPrecision(ViewSetup& view, const GameOptions& options);

// The star of 40 smooth-shaded opaque triangles behind everything, in the
// colours the frame's advance has cycled to.
void DrawBackgroundStar(const ViewSetup& view);

}  // namespace puzzle
