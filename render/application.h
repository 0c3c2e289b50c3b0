// The application object: the one owner of every record of the running
// program. The window, the dialogs and the frame renderer receive references
// to the records they need; nothing else holds game state.
//
// Writers: the window shell (app/ or win32/) writes the fields of ShellState
// and, through the rules it calls, everything else; each rule header says
// which fields it writes.
#pragma once

#include <string>

#include "game/frame_pacing.h"
#include "game/frame_steps.h"
#include "game/history.h"
#include "game/picking.h"
#include "game/recovery.h"
#include "model/records.h"
#include "platform/platform.h"
#include "render/fonts.h"
#include "render/kept_layer.h"
#include "render/table_mesh.h"
#include "view/scrollbars.h"
#include "view/table_view.h"
#include "view/view.h"

namespace puzzle {

// What the main window itself keeps between events.
struct ShellState {
  // The game named on the command line waits for the first frame, when the
  // GL context exists to take its picture.
  bool commandLineGamePending = false;
  // The driver's version string, read once the context exists (About box).
  std::string glVersion;
  // The window title as last set.
  std::string title;
};

struct Application {
  GameState state;
  GameOptions options;
  ViewSetup view;
  TableView table;
  History history;
  ScrollBars bars;
  ShellInput input;
  PickingState picking;
  FrameTiming timing;
  FramePacer pacer;
  Fonts fonts;
  TableMesh mesh;
  KeptLayer layer;
  ShellState shell;
  RecoveryKeeper recovery;
  // The colour chooser's custom colours, kept for the whole run (Options).
  std::array<Rgb, 16> customColours{};
};

}  // namespace puzzle
