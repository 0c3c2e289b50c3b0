#include "game/rotation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/play_fixture.h"
#include "render/frame_steps.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

// The menu as text: items with their command, submenus in brackets.
std::string Describe(const std::vector<PieceMenuItem>& items) {
  std::string text;
  for (const PieceMenuItem& item : items) {
    text += text.empty() ? "" : "|";
    if (item.kind == PieceMenuItemKind::Separator) text += "-";
    if (item.kind == PieceMenuItemKind::Command) text += item.text + " " + std::to_string(item.commandId);
    if (item.kind == PieceMenuItemKind::Submenu) text += item.text + "[" + Describe(item.items) + "]";
  }
  return text;
}

TEST(PieceMenu, FollowsTheGameModesAndTheLanguage) {
  GameOptions options;
  options.gameRotate = options.game3D = true;
  EXPECT_EQ(
      Describe(BuildPieceMenu(options)),
      "&Align 95|-|Rotate +[45° 45|90° 90|135° 135|180° 180]|Rotate —[—45° 46|—90° 91|—135° 136|—180° 181]|"
      "-|Rotate 3D[About Vertical axis 1831|About Horizontal axis 1832]|-|&New Image 99|&Save 101|-|&Exit "
      "103");
  options.russianUi = true;
  options.gameRotate = options.game3D = false;
  EXPECT_EQ(Describe(BuildPieceMenu(options)),
            "&Выровнять 95|-|&Новое изображение 99|&Сохранить 101|-|&Выход 103");
}

TEST(PieceMenu, DigitKeysGiveTheTurnsOfTheMenuCommands) {
  const int keyAndCommand[][2] = {{1, 45},  {2, 46},  {3, 90},  {4, 91},   {5, 135},
                                  {6, 136}, {7, 180}, {8, 181}, {9, 1831}, {0, 1832}};
  for (const auto& [digit, commandId] : keyAndCommand) {
    const auto key = TurnForDigit(digit);
    const auto command = TurnForCommand(commandId);
    ASSERT_TRUE(key && command) << digit;
    EXPECT_EQ(key->angle, command->angle) << digit;
    EXPECT_EQ(key->axisCode, command->axisCode) << digit;
  }
  EXPECT_EQ(TurnForCommand(46)->angle, -45.0f);
  EXPECT_EQ(TurnForCommand(1831)->axisCode, AXIS_VERTICAL);
  EXPECT_EQ(TurnForCommand(1832)->axisCode, AXIS_HORIZONTAL);
  EXPECT_FALSE(TurnForCommand(piece_menu::ALIGN));
  EXPECT_FALSE(TurnForDigit(10));
}

struct Play : ::testing::Test {
  GameState state = testing::RunningGame(3, 2);
  History history;
  testing::ScriptedPlatform platform;
  GameOptions options;

  bool Rotate(float angle, float axis) { return RotateSelected(state, history, platform, angle, axis); }
  bool Align() { return AlignSelected(state, history, platform); }
  // The renderer's per-frame turn steps until the turn is worked off.
  void PlayOut() {
    for (int frame = 0; frame < 1000 && state.rotationLeft != 0; ++frame) AdvanceTurn(state, options);
  }
  void Place(std::size_t k, float x, float y) {
    state.pieces[k].x = x;
    state.pieces[k].y = y;
  }
};

TEST_F(Play, RotateRefusedWhenBusyOrUnfinishableElseStartsAndRecordsTheTurn) {
  EXPECT_FALSE(Rotate(90, AXIS_IN_PLANE));  // nothing selected
  state.selected = 4;
  for (float angle : {0.0f, 10.0f}) EXPECT_FALSE(Rotate(angle, AXIS_IN_PLANE)) << angle;
  for (bool GameState::*busy : {&GameState::scatterRunning, &GameState::settleRunning}) {
    state.*busy = true;
    EXPECT_FALSE(Rotate(90, AXIS_IN_PLANE));
    state.*busy = false;
  }
  EXPECT_TRUE(history.undoHistory.empty());
  EXPECT_TRUE(platform.menuEnabled.empty());

  ASSERT_TRUE(Rotate(-135, AXIS_IN_PLANE));
  EXPECT_EQ(state.rotationLeft, -135.0f);
  EXPECT_TRUE(state.turnInPlane);
  EXPECT_FALSE(state.flipAboutVertical || state.flipAboutHorizontal || state.gameChanged);
  EXPECT_TRUE(platform.menuEnabled[CMD_UNDO]);
  const HistoryEntry& entry = history.undoHistory.at(0);
  EXPECT_EQ(entry.piece, 4);
  EXPECT_EQ(entry.kind, KIND_ROTATION);
  EXPECT_EQ(entry.a, -135.0f);
  EXPECT_EQ(entry.b, AXIS_IN_PLANE);
  EXPECT_FALSE(Rotate(90, AXIS_IN_PLANE));  // while turning
  EXPECT_EQ(state.rotationLeft, -135.0f);

  // Any other axis code flips about the horizontal axis, by half a round, and
  // is recorded so, so that Undo repeats the same flip.
  state.rotationLeft = 0;
  state.turnInPlane = false;
  ASSERT_TRUE(Rotate(90, 3.0f));
  EXPECT_EQ(state.rotationLeft, 180.0f);
  EXPECT_TRUE(state.flipAboutHorizontal);
  EXPECT_EQ(history.undoHistory.back().b, AXIS_HORIZONTAL);
}

TEST_F(Play, AlignSnapsOntoTheNearestCellWithinTolerance) {
  state.selected = 0;
  // Near the centre of cell 4, not the piece's own home: any cell will do.
  Place(0, state.homeX[4] + 0.06f, state.homeY[4] - 0.07f);
  const PiecePose from = state.pieces[0];
  ASSERT_TRUE(Align());
  EXPECT_EQ(state.pieces[0].x, state.homeX[4]);
  EXPECT_EQ(state.pieces[0].y, state.homeY[4]);
  ASSERT_EQ(history.undoHistory.size(), 1u);
  EXPECT_EQ(history.undoHistory.back().kind, KIND_MOVE);
  EXPECT_EQ(history.undoHistory.back().a, from.x);
  EXPECT_EQ(history.undoHistory.back().b, from.y);
  EXPECT_TRUE(platform.menuEnabled[CMD_UNDO]);

  // On a cell corner (0.14 from the nearest centres, the tolerance is 0.1)
  // or off the picture nothing moves.
  state.selected = 2;
  Place(2, state.homeX[2] + 0.1f, state.homeY[2] + 0.1f);
  EXPECT_FALSE(Align());
  Place(2, state.halfPicW + 0.5f, 0);
  EXPECT_FALSE(Align());
  EXPECT_EQ(state.pieces[2].x, state.halfPicW + 0.5f);
  state.selected = -1;
  EXPECT_FALSE(Align());
  EXPECT_EQ(history.undoHistory.size(), 1u);

  // Cells three times as high as wide: the centres of a row lie 0.2 apart,
  // within the tolerance of 0.3; the nearest is taken in one move, not a
  // walk to the end of the row.
  state = testing::RunningGame(6, 2, 0.1f, 0.3f);
  state.selected = 7;
  Place(7, state.homeX[2] + 0.02f, state.homeY[2] + 0.01f);
  ASSERT_TRUE(Align());
  EXPECT_EQ(state.pieces[7].x, state.homeX[2]);
  EXPECT_EQ(state.pieces[7].y, state.homeY[2]);
}

TEST_F(Play, EightEighthTurnsComeBackExactly) {
  options.angleStep = 1.5f;
  options.angleStepRad = AngleStepToRadians(1.5f);
  state.selected = 1;
  for (int turn = 0; turn < 8; ++turn) {
    ASSERT_TRUE(Rotate(45, AXIS_IN_PLANE));
    PlayOut();
    EXPECT_EQ(state.pieces[1].orient == IDENTITY_ORIENT, turn == 7) << turn;
  }
}

TEST_F(Play, UndoAndRedoPlayTheTurnBackAndAgain) {
  state.selected = 5;
  ASSERT_TRUE(Rotate(90, AXIS_IN_PLANE));
  PlayOut();
  const std::array<float, 9> quarter{0, 1, 0, -1, 0, 0, 0, 0, 1};
  EXPECT_EQ(state.pieces[5].orient, quarter);
  ASSERT_TRUE(Undo(state, history, platform));
  PlayOut();
  EXPECT_EQ(state.pieces[5].orient, IDENTITY_ORIENT);
  ASSERT_TRUE(Redo(state, history, platform));
  PlayOut();
  EXPECT_EQ(state.pieces[5].orient, quarter);

  // Key 9 flips whatever the game mode; its Undo flips the piece face up.
  ASSERT_TRUE(Undo(state, history, platform));
  PlayOut();
  const auto flip = TurnForDigit(9);
  ASSERT_TRUE(Rotate(flip->angle, flip->axisCode));
  PlayOut();
  EXPECT_EQ(state.pieces[5].orient, (std::array<float, 9>{-1, 0, 0, 0, 1, 0, 0, 0, -1}));
  ASSERT_TRUE(Undo(state, history, platform));
  PlayOut();
  EXPECT_EQ(state.pieces[5].orient, IDENTITY_ORIENT);
}

}  // namespace
}  // namespace puzzle
