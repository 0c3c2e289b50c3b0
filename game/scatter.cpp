#include "game/scatter.h"

#include <algorithm>

#include "model/orientation.h"

namespace puzzle {

namespace {

// The scatter moves poses by its own arrays and never reads the homes: the
// shortest of those arrays bounds its loops.
std::size_t PieceLimit(const GameState& state) {
  return std::min({static_cast<std::size_t>(state.pieceCount), state.pieces.size(), state.angles.size(),
                   state.scatterVX.size(), state.scatterVY.size()});
}

// One step of a spin; true when the piece turned.
bool TurnOneStep(PiecePose& pose, float& angle, const GameOptions& options) {
  float a = angle;
  bool turned = true;
  if (a > 0.0f && a < 180.0f) {
    RotatePose(pose, 0.0f, 0.0f, 1.0f, options.angleStepRad);
    a -= options.angleStep;
  } else if (a >= 180.0f) {
    RotatePose(pose, 0.0f, 0.0f, 1.0f, -options.angleStepRad);
    a += options.angleStep;
  } else if (a < 0.0f) {
    RotatePose(pose, 0.0f, 1.0f, 0.0f, options.angleStepRad);
    a += options.angleStep;
  } else {
    turned = false;
  }
  if (a == 360.0f) a = 0.0f;
  angle = a;
  return turned;
}

// Reverses the velocity at a wall; a piece that bounces while still may be
// set spinning.
void Bounce(float& position, float& velocity, float limit, float& angle, const GameOptions& options,
            std::uint32_t tickMs) {
  if (position > limit) {
    position = limit;
  } else if (position < -limit) {
    position = -limit;
  } else {
    return;
  }
  velocity = -velocity;
  if (options.gameRotate && angle == 0.0f) RandomTurnAngle(angle, options.game3D, tickMs);
}

}  // namespace

void RandomTurnAngle(float& angle, bool game3D, std::uint32_t tickMs) {
  static constexpr float TURNS[7] = {315.0f, 45.0f, 90.0f, 135.0f, 180.0f, 225.0f, 270.0f};
  const std::uint32_t r = tickMs % 10u;
  if (r < 7u) {
    angle = TURNS[r];
  } else {
    angle = game3D ? -180.0f : 180.0f;
  }
}

void SpinStep(GameState& state, const GameOptions& options, std::uint32_t i) {
  if (i >= PieceLimit(state)) return;
  float& angle = state.angles[i];
  TurnOneStep(state.pieces[i], angle, options);
  if (angle > -0.125f && angle < 0.125f) angle = 0.0f;
}

void ScatterStep(GameState& state, const TableView& view, const GameOptions& options, std::uint32_t tickMs) {
  const auto visibleX =
      static_cast<float>(view.clientWidth * state.pixelScale * static_cast<double>(TABLE_DEPTH) / NEAR_PLANE);
  const auto visibleY = static_cast<float>(view.clientHeight * state.pixelScale *
                                           static_cast<double>(TABLE_DEPTH) / NEAR_PLANE);
  const bool narrower = state.imageWidth < view.clientWidth;
  const bool lower = state.imageHeight < view.clientHeight;
  // A picture that fits lets the pieces roam the visible table, half a cell
  // from its edge; a larger one keeps them over the picture.
  const float boxX = narrower ? visibleX - state.halfCellW : state.halfPicW;
  const float boxY = narrower ? (lower ? visibleY - state.halfCellH : state.halfPicH - state.halfCellH)
                              : (lower ? visibleY - state.halfCellH : state.halfPicH);

  const std::size_t count = PieceLimit(state);
  for (std::size_t i = 0; i < count; ++i) {
    PiecePose& pose = state.pieces[i];
    pose.x += state.scatterVX[i];
    pose.y += state.scatterVY[i];
    Bounce(pose.x, state.scatterVX[i], boxX, state.angles[i], options, tickMs);
    Bounce(pose.y, state.scatterVY[i], boxY, state.angles[i], options, tickMs);
    if (options.gameRotate && state.angles[i] != 0.0f)
      SpinStep(state, options, static_cast<std::uint32_t>(i));
  }
}

void SettleTurns(GameState& state, const GameOptions& options) {
  const std::size_t count = PieceLimit(state);
  bool allDone = true;
  for (std::size_t i = 0; i < count; ++i) {
    if (TurnOneStep(state.pieces[i], state.angles[i], options)) allDone = false;
  }
  if (!allDone) return;
  for (PiecePose& pose : state.pieces) SnapOrientation(pose);
  state.settleRunning = false;
}

void EndScatterNow(GameState& state, const GameOptions& options) {
  if (!state.scatterRunning && !state.settleRunning) return;
  state.scatterRunning = false;
  state.settleRunning = true;
  // A spin is at most a turn and a half of steps; a step too small to finish
  // one in time leaves the snap to settle it.
  for (int step = 0; step < 4096 && state.settleRunning; ++step) SettleTurns(state, options);
  if (!state.settleRunning) return;
  for (PiecePose& pose : state.pieces) SnapOrientation(pose);
  std::fill(state.angles.begin(), state.angles.end(), 0.0f);
  state.settleRunning = false;
}

void AdvanceScatter(GameState& state, const TableView& view, const GameOptions& options,
                    std::uint32_t tickMs) {
  // The clock runs only with the scatter: were it left running in play it
  // would start a settle phase every scatterSeconds and snap a piece in the
  // middle of its turn.
  if (state.scatterRunning) {
    ScatterStep(state, view, options, tickMs);
    if (state.scatterClockReset) {
      state.scatterStartTick = tickMs;
      state.scatterClockReset = false;
    }
    const std::uint32_t elapsed = tickMs - state.scatterStartTick;
    if (static_cast<std::int64_t>(elapsed) > static_cast<std::int64_t>(options.scatterSeconds) * 1000) {
      state.scatterClockReset = true;
      state.scatterRunning = false;
      state.settleRunning = true;
    }
  }
  if (state.settleRunning) SettleTurns(state, options);
}

}  // namespace puzzle
