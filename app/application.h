// The application object: the one owner of every record of the running
// program. The window, the dialogs and the frame renderer receive references
// to the records they need; nothing else holds game state.
#pragma once

#include "game/records.h"
#include "render/view.h"

namespace puzzle {

struct Application {
  GameState state;
  GameOptions options;
  ViewSetup view;
};

}  // namespace puzzle
