#include "game/rotation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "model/texts.h"

namespace puzzle {

namespace {

struct TurnCommand {
  int commandId;
  Turn turn;
  const UiText* text;
};

// The menu ids of the 2D turns are the angles themselves, the negative ones
// one above them.
const std::array<TurnCommand, 8>& PlaneTurnCommands() {
  static const std::array<TurnCommand, 8> table{{
      {45, {45, AXIS_IN_PLANE}, &texts::PIECE_PLUS_45},
      {90, {90, AXIS_IN_PLANE}, &texts::PIECE_PLUS_90},
      {135, {135, AXIS_IN_PLANE}, &texts::PIECE_PLUS_135},
      {180, {180, AXIS_IN_PLANE}, &texts::PIECE_PLUS_180},
      {46, {-45, AXIS_IN_PLANE}, &texts::PIECE_MINUS_45},
      {91, {-90, AXIS_IN_PLANE}, &texts::PIECE_MINUS_90},
      {136, {-135, AXIS_IN_PLANE}, &texts::PIECE_MINUS_135},
      {181, {-180, AXIS_IN_PLANE}, &texts::PIECE_MINUS_180},
  }};
  return table;
}

PieceMenuItem Command(int commandId, const UiText& text, bool russian) {
  PieceMenuItem item;
  item.commandId = commandId;
  item.text = Tr(text, russian);
  return item;
}

PieceMenuItem Separator() {
  PieceMenuItem item;
  item.kind = PieceMenuItemKind::Separator;
  return item;
}

PieceMenuItem Submenu(const UiText& text, bool russian, std::vector<PieceMenuItem> items) {
  PieceMenuItem item;
  item.kind = PieceMenuItemKind::Submenu;
  item.text = Tr(text, russian);
  item.items = std::move(items);
  return item;
}

std::vector<PieceMenuItem> PlaneTurnItems(bool positive, bool russian) {
  std::vector<PieceMenuItem> items;
  for (const TurnCommand& command : PlaneTurnCommands()) {
    if ((command.turn.angle > 0) == positive)
      items.push_back(Command(command.commandId, *command.text, russian));
  }
  return items;
}

PiecePose* SelectedPose(GameState& state) {
  if (state.selected < 0) return nullptr;
  const auto index = static_cast<std::size_t>(state.selected);
  if (index >= HeldPieces(state)) return nullptr;
  return &state.pieces[index];
}

bool IsWholeTurnStep(float angle) {
  return std::isfinite(angle) && angle != 0 && std::fmod(angle, 45.0f) == 0;
}

}  // namespace

std::optional<Turn> TurnForCommand(int commandId) {
  for (const TurnCommand& command : PlaneTurnCommands()) {
    if (command.commandId == commandId) return command.turn;
  }
  if (commandId == piece_menu::FLIP_VERTICAL) return Turn{180, AXIS_VERTICAL};
  if (commandId == piece_menu::FLIP_HORIZONTAL) return Turn{180, AXIS_HORIZONTAL};
  return std::nullopt;
}

std::optional<Turn> TurnForDigit(int digit) {
  static const std::array<Turn, 10> table{{
      {180, AXIS_HORIZONTAL},
      {45, AXIS_IN_PLANE},
      {-45, AXIS_IN_PLANE},
      {90, AXIS_IN_PLANE},
      {-90, AXIS_IN_PLANE},
      {135, AXIS_IN_PLANE},
      {-135, AXIS_IN_PLANE},
      {180, AXIS_IN_PLANE},
      {-180, AXIS_IN_PLANE},
      {180, AXIS_VERTICAL},
  }};
  if (digit < 0 || digit > 9) return std::nullopt;
  return table[static_cast<std::size_t>(digit)];
}

std::vector<PieceMenuItem> BuildPieceMenu(const GameOptions& options) {
  const bool russian = options.russianUi;
  std::vector<PieceMenuItem> menu;
  menu.push_back(Command(piece_menu::ALIGN, texts::PIECE_ALIGN, russian));
  menu.push_back(Separator());
  if (options.gameRotate) {
    menu.push_back(Submenu(texts::PIECE_ROTATE_PLUS, russian, PlaneTurnItems(true, russian)));
    menu.push_back(Submenu(texts::PIECE_ROTATE_MINUS, russian, PlaneTurnItems(false, russian)));
    menu.push_back(Separator());
  }
  if (options.game3D) {
    menu.push_back(Submenu(texts::PIECE_ROTATE_3D, russian,
                           {Command(piece_menu::FLIP_VERTICAL, texts::PIECE_VERTICAL_AXIS, russian),
                            Command(piece_menu::FLIP_HORIZONTAL, texts::PIECE_HORIZONTAL_AXIS, russian)}));
    menu.push_back(Separator());
  }
  menu.push_back(Command(piece_menu::NEW_IMAGE, texts::PIECE_NEW_IMAGE, russian));
  menu.push_back(Command(piece_menu::SAVE, texts::PIECE_SAVE, russian));
  menu.push_back(Separator());
  menu.push_back(Command(piece_menu::EXIT, texts::PIECE_EXIT, russian));
  return menu;
}

void StartTurn(GameState& state, float angle, float axisCode) {
  state.turnInPlane = axisCode == AXIS_IN_PLANE;
  state.flipAboutVertical = axisCode == AXIS_VERTICAL;
  state.flipAboutHorizontal = !state.turnInPlane && !state.flipAboutVertical;
  state.rotationLeft = state.turnInPlane ? angle : 180.0f;
}

bool RotateSelected(GameState& state, History& history, Platform& platform, float angle, float axisCode) {
  if (state.rotationLeft != 0 || !state.gameRunning || state.scatterRunning || state.settleRunning) {
    return false;
  }
  if (SelectedPose(state) == nullptr) return false;
  // Undo tells the flips apart by the recorded code alone, so every other
  // non-zero code is recorded as the horizontal flip it performs.
  const float axis = axisCode == AXIS_IN_PLANE || axisCode == AXIS_VERTICAL ? axisCode : AXIS_HORIZONTAL;
  if (axis == AXIS_IN_PLANE && !IsWholeTurnStep(angle)) return false;
  StartTurn(state, angle, axis);
  PushUndo(history, platform, HistoryEntry{state.selected, KIND_ROTATION, angle, axis});
  state.gameChanged = true;
  return true;
}

bool AlignSelected(GameState& state, History& history, Platform& platform) {
  if (!state.gameRunning) return false;
  PiecePose* pose = SelectedPose(state);
  if (pose == nullptr) return false;
  const float tol = std::max(state.halfCellW, state.halfCellH);
  const std::size_t cells = HeldPieces(state);
  // The nearest qualifying centre, not a chain of jumps: with cells longer
  // than wide, neighbouring centres lie closer than the tolerance, and jumping
  // on from each reached centre would carry the piece to the end of its row.
  std::optional<std::size_t> target;
  float nearest = tol;
  for (std::size_t i = 0; i < cells; ++i) {
    const double dx = static_cast<double>(state.homeX[i]) - pose->x;
    const double dy = static_cast<double>(state.homeY[i]) - pose->y;
    const auto d = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    if (d < nearest) {
      nearest = d;
      target = i;
    }
  }
  if (!target) return false;
  PushUndo(history, platform, HistoryEntry{state.selected, KIND_MOVE, pose->x, pose->y});
  state.gameChanged = state.gameChanged || pose->x != state.homeX[*target] || pose->y != state.homeY[*target];
  pose->x = state.homeX[*target];
  pose->y = state.homeY[*target];
  return true;
}

}  // namespace puzzle
