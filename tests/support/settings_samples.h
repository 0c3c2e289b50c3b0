// Options for the settings stores' tests: a set that differs from the
// defaults in every stored value, and the values a store is given for them.
#pragma once

#include <map>
#include <string>

#include "storage/settings.h"

namespace puzzle::testing {

inline std::map<std::string, SettingValue> Stored(const GameOptions& options) {
  MemorySettingsStore store;
  WriteSettings(store, options);
  return store.values;
}

inline GameOptions Changed() {
  GameOptions options;
  options.windowRect = {-20, 35, 1024, 700};
  options.columns = 17;
  options.form = 4;
  options.bulge = 0.41f;
  options.angleStep = 0.25f;
  options.scatterSeconds = 300;
  options.showEdges = options.showFrame = options.brandedBackground = options.gameRotate = false;
  options.showCentres = options.game3D = true;
  options.colors = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 1.0f};
  options.gameDirectory = "/home/anna/games";
  options.imageDirectory = "/home/anna/Картинки";
  options.recentGames = {"/home/anna/games/b.pzz", "/home/anna/games/a.pzz"};
  return options;
}

}  // namespace puzzle::testing
