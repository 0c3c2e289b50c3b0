#include "game/options_rules.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "model/geometry.h"
#include "storage/settings.h"

namespace puzzle {

// Rounded, not truncated: most hundredths are not exact floats (0.29f lies
// just below 0.29), and truncating would show one less and lower the bulge by
// 0.01 at every OK.
int BulgeToPosition(float bulge) {
  return static_cast<int>(std::lround(static_cast<double>(bulge) * 100.0));
}

int BulgePositionMin() {
  return static_cast<int>(std::lround(RangeOf("Bulge").min * 100.0));
}

int BulgePositionMax() {
  return static_cast<int>(std::lround(RangeOf("Bulge").max * 100.0));
}

float PositionToBulge(int position) {
  return static_cast<float>(position / 100.0);
}

int AngleStepToPosition(float angleStep) {
  int nearest = 0;
  for (std::size_t i = 0; i < ANGLE_STEPS.size(); ++i) {
    if (ANGLE_STEPS[i] == angleStep) return static_cast<int>(i);
    if (std::fabs(ANGLE_STEPS[i] - angleStep) <
        std::fabs(ANGLE_STEPS[static_cast<std::size_t>(nearest)] - angleStep)) {
      nearest = static_cast<int>(i);
    }
  }
  return nearest;
}

std::optional<float> PositionToAngleStep(int position) {
  if (position < 0 || position > SPEED_POSITION_MAX) return std::nullopt;
  return ANGLE_STEPS[static_cast<std::size_t>(position)];
}

std::uint8_t DefaultColourByte(std::size_t index) {
  return static_cast<std::uint8_t>(DEFAULT_COLORS[index] * 255.0);
}

ColourBytes ColourBytesOf(const GameOptions& options) {
  ColourBytes bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    // A stored colour outside 0-1 must not wrap around.
    const double scaled = std::clamp(static_cast<double>(options.colors[i]), 0.0, 1.0) * 255.0;
    bytes[i] = static_cast<std::uint8_t>(scaled);
  }
  return bytes;
}

ScatterFieldChange OnScatterFieldChanged(std::string_view text, bool typing) {
  const int n = ReadDecimal(text);
  const SettingRange typed = RangeOf("TimeScatter");
  if (n >= typed.min && n <= typed.max) return {n, std::nullopt};
  // Replacing the text under the player's fingers turns a cleared field into
  // "10" before the first digit lands (typing 25 would give 300).
  if (typing) return {};
  if (n < typed.min) return {std::nullopt, std::to_string(SCATTER_APPLIED_MIN)};
  return {std::nullopt, std::to_string(static_cast<int>(typed.max))};
}

ColourFieldChange OnColourFieldChanged(std::size_t index, std::string_view text) {
  const int n = ReadDecimal(text);
  if (n < 256) return {static_cast<std::uint8_t>(n & 0xFF), std::nullopt};
  const std::uint8_t fallback = DefaultColourByte(index);
  return {fallback, std::to_string(fallback)};
}

namespace {

// The six check boxes, named alike in the options, the saved options and the
// controls.
template <typename From, typename To>
void CopyCheckBoxes(const From& from, To& to) {
  to.showEdges = from.showEdges;
  to.showFrame = from.showFrame;
  to.showCentres = from.showCentres;
  to.brandedBackground = from.brandedBackground;
  to.gameRotate = from.gameRotate;
  to.game3D = from.game3D;
}

// Everything the dialog can change, one list for saving and restoring.
template <typename From, typename To>
void CopyDialogFields(const From& from, To& to) {
  to.form = from.form;
  to.bulge = from.bulge;
  to.angleStep = from.angleStep;
  to.scatterSeconds = from.scatterSeconds;
  CopyCheckBoxes(from, to);
  to.colors = from.colors;
}

}  // namespace

SavedOptions SaveForCancel(const GameOptions& options) {
  SavedOptions saved;
  CopyDialogFields(options, saved);
  return saved;
}

void RestoreSaved(const SavedOptions& saved, GameOptions& options) {
  CopyDialogFields(saved, options);
}

OptionsControls ControlsFor(const GameOptions& options) {
  OptionsControls controls;
  controls.formButton = options.form >= 1 && options.form <= 4 ? options.form : 0;
  controls.bulgePosition = BulgeToPosition(options.bulge);
  controls.speedPosition = AngleStepToPosition(options.angleStep);
  controls.scatterText = std::to_string(options.scatterSeconds);
  CopyCheckBoxes(options, controls);
  const ColourBytes bytes = ColourBytesOf(options);
  for (std::size_t i = 0; i < bytes.size(); ++i) controls.colourTexts[i] = std::to_string(bytes[i]);
  return controls;
}

OptionsControls DefaultControls(const OptionsControls& current) {
  OptionsControls controls = ControlsFor(GameOptions{});
  controls.formButton = current.formButton;
  return controls;
}

void TakeControls(OptionsControls& controls, GameOptions& options, ColourBytes& colorBytes) {
  if (controls.formButton >= 1 && controls.formButton <= 4) {
    options.form = static_cast<std::uint8_t>(controls.formButton);
  }
  options.bulge = PositionToBulge(controls.bulgePosition);
  if (const auto step = PositionToAngleStep(controls.speedPosition)) options.angleStep = *step;

  int seconds = ReadDecimal(controls.scatterText);
  if (seconds < SCATTER_APPLIED_MIN) {
    seconds = SCATTER_APPLIED_MIN;
    controls.scatterText = std::to_string(seconds);
  } else if (seconds > SCATTER_APPLIED_MAX) {
    seconds = SCATTER_APPLIED_MAX;
    controls.scatterText = std::to_string(seconds);
  }
  options.scatterSeconds = seconds;

  CopyCheckBoxes(controls, options);

  for (std::size_t i = 0; i < colorBytes.size(); ++i) {
    colorBytes[i] = static_cast<std::uint8_t>(ReadDecimal(controls.colourTexts[i]) & 0xFF);
    options.colors[i] = static_cast<float>(colorBytes[i] / 255.0);
  }
}

bool ApplyOptionsToGame(GameState& state, const TableView& view, GameOptions& options, GraphicsPort& port) {
  options.angleStepRad = AngleStepToRadians(options.angleStep);
  if (!state.gameRunning) return true;
  // A form outside 1-4 keeps the old homes; the meshes are rebuilt anyway.
  ComputeCellsAndHomes(state, options, view.viewOffsetX, view.viewOffsetY);
  return port.BuildPieceMeshes(state, options);
}

void MarkGameFileOptionsChange(GameState& state, const GameOptions& before, const GameOptions& after) {
  if (!state.gameRunning) return;
  if (std::tie(before.form, before.bulge, before.gameRotate, before.game3D) !=
      std::tie(after.form, after.bulge, after.gameRotate, after.game3D))
    state.gameChanged = true;
}

void RestoreDefaultValues(GameOptions& options, ColourBytes& colourBytes) {
  options.bulge = GameOptions{}.bulge;
  for (std::size_t i = 0; i < colourBytes.size(); ++i) colourBytes[i] = DefaultColourByte(i);
}

}  // namespace puzzle
