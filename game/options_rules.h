// The rules of the Options dialog without its widgets: how option values
// become control positions and texts and back, the live replacement rules of
// the scatter-time and colour fields, what Cancel keeps, and applying the
// options to a running game. The dialogs of both shells (options/ for Qt,
// win32/ for Windows) only move values between these records and their
// controls.
//
// Writers: TakeControls and RestoreSaved write GameOptions (the options the
// dialog shows); ApplyOptionsToGame writes angleStepRad and, for a running
// game, the cell measures and homes of GameState. Poses are never touched.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "game/commands.h"
#include "model/graphics_port.h"
#include "model/records.h"

namespace puzzle {

// The nine colour components as the dialog shows them, in the order of
// GameOptions::colors, 0-255.
using ColourBytes = std::array<std::uint8_t, 9>;

inline constexpr int SPEED_POSITION_MAX = 8;
// The bulge slider's ends: the stored bulge range in hundredths.
int BulgePositionMin();
int BulgePositionMax();
// While typing, the scatter time may take any stored value (1-300 seconds);
// applying brings it into 10-100.
inline constexpr int SCATTER_APPLIED_MIN = 10;
inline constexpr int SCATTER_APPLIED_MAX = 100;
inline constexpr int DEFAULT_BULGE_POSITION = 33;
inline constexpr int DEFAULT_SPEED_POSITION = 4;

// The bulge slider shows bulge x 100 to the nearest whole (0.33 shows 33).
int BulgeToPosition(float bulge);
float PositionToBulge(int position);
// The speed slider: the index of angleStep in ANGLE_STEPS. A value outside the
// table (only from an edited settings store) shows the nearest speed.
int AngleStepToPosition(float angleStep);
// The speed of a position; nothing for a position outside 0-8.
std::optional<float> PositionToAngleStep(int position);

// The default colour table x 255 truncated: 0, 0, 191, 255, 0, 0, 255, 255, 0.
std::uint8_t DefaultColourByte(std::size_t index);
ColourBytes ColourBytesOf(const GameOptions& options);

// A change of the scatter-time field. Either the value to store at once, or
// the text that replaces the field (whose own change then stores it). While
// the player is typing in it (typing) an empty or partial entry stays as it
// is and stores nothing; the field is put right once it loses the focus.
struct ScatterFieldChange {
  std::optional<std::int32_t> store;
  std::optional<std::string> replaceText;
};
ScatterFieldChange OnScatterFieldChanged(std::string_view text, bool typing);

// A change of colour field `index`: the byte to keep, and the text that
// replaces the field when the typed value is 256 or more (the default for
// that component). A negative value keeps its low 8 bits (-1 gives 255).
struct ColourFieldChange {
  std::uint8_t byte = 0;
  std::optional<std::string> replaceText;
};
ColourFieldChange OnColourFieldChanged(std::size_t index, std::string_view text);

// The options Cancel returns to: everything the dialog can change.
struct SavedOptions {
  std::uint8_t form = 1;
  float bulge = 0;
  float angleStep = 0;
  std::int32_t scatterSeconds = 0;
  bool showEdges = false;
  bool showFrame = false;
  bool showCentres = false;
  bool brandedBackground = false;
  bool gameRotate = false;
  bool game3D = false;
  std::array<float, 9> colors{};
};
SavedOptions SaveForCancel(const GameOptions& options);
void RestoreSaved(const SavedOptions& saved, GameOptions& options);

// The dialog's controls as plain values.
struct OptionsControls {
  int formButton = 0;  // 1-4 for the checked form button, 0 for none
  int bulgePosition = DEFAULT_BULGE_POSITION;
  int speedPosition = DEFAULT_SPEED_POSITION;
  std::string scatterText;
  bool showEdges = false;
  bool showFrame = false;
  bool showCentres = false;
  bool brandedBackground = false;
  bool gameRotate = false;
  bool game3D = false;
  std::array<std::string, 9> colourTexts;
};

// What the controls show when the dialog opens on these options.
OptionsControls ControlsFor(const GameOptions& options);
// Restore default: the default options in every control but the form buttons.
OptionsControls DefaultControls(const OptionsControls& current);

// Restore default beside the controls: the default bulge (the slider may
// already stand at 33 with a bulge that is not quite 0.33) and colours.
void RestoreDefaultValues(GameOptions& options, ColourBytes& colourBytes);

// Apply, reading the controls: writes the options and colorBytes, and
// replaces the scatter text by "10" or "100" when the time is outside 10-100.
// An unchecked form and a speed position outside 0-8 leave their option as
// it was.
void TakeControls(OptionsControls& controls, GameOptions& options, ColourBytes& colorBytes);

// GL work of applying: it sets the clear colour and rebuilds the meshes.
using TableGlWork = std::function<void(GraphicsPort&)>;
// Runs the work with the table's GL context current and the port that builds
// the piece meshes on it.
using WithTableGl = std::function<void(const TableGlWork&)>;

// The game side of Apply, with the table's GL context current: angleStepRad
// from angleStep; for a running game, the cell measures and homes for the
// present form and bulge (homes shifted by the view offsets) and new piece
// meshes. With a form outside 1-4 only the meshes are rebuilt. The poses are
// left where they are. False when the meshes could not be rebuilt.
bool ApplyOptionsToGame(GameState& state, const TableView& view, GameOptions& options, GraphicsPort& port);

// The game file keeps the form, the bulge and the rotation and 3D games with
// the pieces, so a running game whose options among these changed has
// changes a save would write.
void MarkGameFileOptionsChange(GameState& state, const GameOptions& before, const GameOptions& after);

}  // namespace puzzle
