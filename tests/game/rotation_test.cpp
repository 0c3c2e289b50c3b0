#include "game/rotation.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "game/play_fixture.h"
#include "render/frame_steps.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

using testing::RunningGame;
using testing::ScriptedPlatform;

// The menu written out as one line per item, submenus indented, so that the
// whole layout is compared at once.
void Describe(const std::vector<PieceMenuItem>& items, const std::string& indent,
              std::vector<std::string>& out) {
  for (const PieceMenuItem& item : items) {
    switch (item.kind) {
      case PieceMenuItemKind::Separator: out.push_back(indent + "--"); break;
      case PieceMenuItemKind::Command:
        out.push_back(indent + item.text + " " + std::to_string(item.commandId));
        break;
      case PieceMenuItemKind::Submenu:
        out.push_back(indent + item.text + ":");
        Describe(item.items, indent + "  ", out);
        break;
    }
  }
}

std::vector<std::string> Describe(const GameOptions& options) {
  std::vector<std::string> out;
  Describe(BuildPieceMenu(options), "", out);
  return out;
}

TEST(PieceMenu, FollowsTheGameModesAtTheClick) {
  GameOptions options;
  options.gameRotate = false;
  options.game3D = false;
  EXPECT_EQ(Describe(options),
            (std::vector<std::string>{"&Align 95", "--", "&New Image 99", "&Save 101", "--", "&Exit 103"}));

  options.gameRotate = true;
  options.game3D = true;
  EXPECT_EQ(Describe(options), (std::vector<std::string>{"&Align 95",
                                                         "--",
                                                         "Rotate +:",
                                                         "  45° 45",
                                                         "  90° 90",
                                                         "  135° 135",
                                                         "  180° 180",
                                                         "Rotate —:",
                                                         "  —45° 46",
                                                         "  —90° 91",
                                                         "  —135° 136",
                                                         "  —180° 181",
                                                         "--",
                                                         "Rotate 3D:",
                                                         "  About Vertical axis 1831",
                                                         "  About Horizontal axis 1832",
                                                         "--",
                                                         "&New Image 99",
                                                         "&Save 101",
                                                         "--",
                                                         "&Exit 103"}));
}

TEST(PieceMenu, RussianWithFlipsOnly) {
  GameOptions options;
  options.russianUi = true;
  options.gameRotate = false;
  options.game3D = true;
  EXPECT_EQ(Describe(options),
            (std::vector<std::string>{"&Выровнять 95", "--", "Поворот 3D:", "  Вертикальная ось 1831",
                                      "  Горизонтальная ось 1832", "--", "&Новое изображение 99",
                                      "&Сохранить 101", "--", "&Выход 103"}));
}

TEST(PieceMenu, DigitKeysGiveTheTurnsOfTheMenuCommands) {
  const std::pair<int, int> keyAndCommand[] = {{1, 45},  {2, 46},  {3, 90},  {4, 91},   {5, 135},
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

TEST(RotateSelected, SetsTheTurnGoingAndRecordsIt) {
  GameState state = RunningGame(3, 2);
  History history;
  ScriptedPlatform platform;
  state.selected = 4;
  ASSERT_TRUE(RotateSelected(state, history, platform, -135, AXIS_IN_PLANE));
  EXPECT_EQ(state.rotationLeft, -135.0f);
  EXPECT_TRUE(state.turnInPlane);
  EXPECT_FALSE(state.flipAboutVertical || state.flipAboutHorizontal);
  EXPECT_TRUE(platform.menuEnabled[CMD_UNDO]);
  ASSERT_EQ(history.undoHistory.size(), 1u);
  const HistoryEntry& entry = history.undoHistory.back();
  EXPECT_EQ(entry.piece, 4);
  EXPECT_EQ(entry.kind, KIND_ROTATION);
  EXPECT_EQ(entry.a, -135.0f);
  EXPECT_EQ(entry.b, AXIS_IN_PLANE);
  EXPECT_FALSE(state.gameChanged);
  EXPECT_EQ(state.pieces[4].orient, IDENTITY_ORIENT);  // the renderer turns it
}

TEST(RotateSelected, FlipsAlwaysTurnByHalfARound) {
  GameState state = RunningGame(3, 2);
  History history;
  ScriptedPlatform platform;
  state.selected = 0;
  ASSERT_TRUE(RotateSelected(state, history, platform, 180, AXIS_VERTICAL));
  EXPECT_EQ(state.rotationLeft, 180.0f);
  EXPECT_TRUE(state.flipAboutVertical);
  EXPECT_FALSE(state.turnInPlane || state.flipAboutHorizontal);

  state.rotationLeft = 0;
  state.flipAboutVertical = false;
  // Any other code flips about the horizontal axis and is recorded so, so
  // that Undo repeats the same flip.
  ASSERT_TRUE(RotateSelected(state, history, platform, 90, 3.0f));
  EXPECT_EQ(state.rotationLeft, 180.0f);
  EXPECT_TRUE(state.flipAboutHorizontal);
  EXPECT_EQ(history.undoHistory.back().b, AXIS_HORIZONTAL);
}

TEST(RotateSelected, RefusedWhenBusyOrWithoutAPiece) {
  ScriptedPlatform platform;
  History history;
  const auto refused = [&](GameState state, float angle) {
    const GameState before = state;
    const bool done = RotateSelected(state, history, platform, angle, AXIS_IN_PLANE);
    return !done && state.rotationLeft == before.rotationLeft && !state.turnInPlane &&
           history.undoHistory.empty();
  };
  GameState game = RunningGame(3, 2);
  game.selected = 1;

  GameState noSelection = game;
  noSelection.selected = -1;
  EXPECT_TRUE(refused(noSelection, 90));
  GameState notRunning = game;
  notRunning.gameRunning = false;
  EXPECT_TRUE(refused(notRunning, 90));
  GameState scattering = game;
  scattering.scatterRunning = true;
  EXPECT_TRUE(refused(scattering, 90));
  GameState settling = game;
  settling.settleRunning = true;
  EXPECT_TRUE(refused(settling, 90));
  GameState turning = game;
  turning.rotationLeft = 30;
  turning.flipAboutVertical = true;
  EXPECT_FALSE(RotateSelected(turning, history, platform, 90, AXIS_IN_PLANE));
  EXPECT_EQ(turning.rotationLeft, 30.0f);
  EXPECT_TRUE(history.undoHistory.empty());
  // Angles the renderer's steps could never bring to rest.
  EXPECT_TRUE(refused(game, 0));
  EXPECT_TRUE(refused(game, 10));
  EXPECT_TRUE(platform.menuEnabled.empty());
}

TEST(AlignSelected, SnapsOntoANearbyCellAndRecordsTheMove) {
  GameState state = RunningGame(3, 2);
  History history;
  ScriptedPlatform platform;
  state.selected = 0;
  // Near the centre of cell 4, not the piece's own home: any cell will do.
  state.pieces[0].x = state.homeX[4] + 0.06f;
  state.pieces[0].y = state.homeY[4] - 0.07f;
  const float fromX = state.pieces[0].x;
  const float fromY = state.pieces[0].y;
  ASSERT_TRUE(AlignSelected(state, history, platform));
  EXPECT_EQ(state.pieces[0].x, state.homeX[4]);
  EXPECT_EQ(state.pieces[0].y, state.homeY[4]);
  ASSERT_EQ(history.undoHistory.size(), 1u);
  EXPECT_EQ(history.undoHistory.back().kind, KIND_MOVE);
  EXPECT_EQ(history.undoHistory.back().a, fromX);
  EXPECT_EQ(history.undoHistory.back().b, fromY);
  EXPECT_TRUE(platform.menuEnabled[CMD_UNDO]);
}

TEST(AlignSelected, DoesNothingBeyondTheTolerance) {
  GameState state = RunningGame(3, 2);
  History history;
  ScriptedPlatform platform;
  state.selected = 2;
  // On a cell corner: 0.14 from the nearest centres, the tolerance is 0.1.
  state.pieces[2].x = state.homeX[2] + 0.1f;
  state.pieces[2].y = state.homeY[2] + 0.1f;
  EXPECT_FALSE(AlignSelected(state, history, platform));
  state.pieces[2].x = state.halfPicW + 0.5f;
  state.pieces[2].y = 0;
  EXPECT_FALSE(AlignSelected(state, history, platform));
  EXPECT_EQ(state.pieces[2].x, state.halfPicW + 0.5f);
  EXPECT_TRUE(history.undoHistory.empty());
  state.selected = -1;
  EXPECT_FALSE(AlignSelected(state, history, platform));
}

TEST(AlignSelected, TallCellsTakeTheNearestCentreInOneMove) {
  // Cells three times as high as wide: the centres of a row lie 0.2 apart,
  // closer than the tolerance of 0.3, so jumping on from each reached centre
  // would carry the piece to the end of its row.
  GameState state = RunningGame(6, 2, 0.1f, 0.3f);
  History history;
  ScriptedPlatform platform;
  state.selected = 7;
  state.pieces[7].x = state.homeX[2] + 0.02f;
  state.pieces[7].y = state.homeY[2] + 0.01f;
  ASSERT_TRUE(AlignSelected(state, history, platform));
  EXPECT_EQ(state.pieces[7].x, state.homeX[2]);
  EXPECT_EQ(state.pieces[7].y, state.homeY[2]);
  EXPECT_EQ(history.undoHistory.size(), 1u);
}

// The commands together with the renderer's per-frame turn step.
void PlayOut(GameState& state, const GameOptions& options) {
  for (int frame = 0; frame < 1000 && state.rotationLeft != 0; ++frame) AdvanceTurn(state, options);
}

TEST(TurnsPlayedOut, EightEighthTurnsComeBackExactly) {
  GameState state = RunningGame(3, 2);
  History history;
  ScriptedPlatform platform;
  GameOptions options;
  options.angleStep = 1.5f;
  options.angleStepRad = AngleStepToRadians(1.5f);
  state.selected = 1;
  for (int turn = 0; turn < 8; ++turn) {
    ASSERT_TRUE(RotateSelected(state, history, platform, 45, AXIS_IN_PLANE));
    PlayOut(state, options);
    EXPECT_EQ(state.pieces[1].orient == IDENTITY_ORIENT, turn == 7) << turn;
  }
  EXPECT_EQ(history.undoHistory.size(), 8u);
}

TEST(TurnsPlayedOut, UndoAndRedoTurnThePieceBackAndAgain) {
  GameState state = RunningGame(3, 2);
  History history;
  ScriptedPlatform platform;
  const GameOptions options;
  state.selected = 5;
  ASSERT_TRUE(RotateSelected(state, history, platform, 90, AXIS_IN_PLANE));
  PlayOut(state, options);
  const std::array<float, 9> quarter{0, 1, 0, -1, 0, 0, 0, 0, 1};
  EXPECT_EQ(state.pieces[5].orient, quarter);
  ASSERT_TRUE(Undo(state, history, platform));
  PlayOut(state, options);
  EXPECT_EQ(state.pieces[5].orient, IDENTITY_ORIENT);
  ASSERT_TRUE(Redo(state, history, platform));
  PlayOut(state, options);
  EXPECT_EQ(state.pieces[5].orient, quarter);

  // Key 9 flips whatever the game mode; its Undo flips the piece face up.
  ASSERT_TRUE(Undo(state, history, platform));
  PlayOut(state, options);
  const auto flip = TurnForDigit(9);
  ASSERT_TRUE(RotateSelected(state, history, platform, flip->angle, flip->axisCode));
  PlayOut(state, options);
  EXPECT_EQ(state.pieces[5].orient, (std::array<float, 9>{-1, 0, 0, 0, 1, 0, 0, 0, -1}));
  ASSERT_TRUE(Undo(state, history, platform));
  PlayOut(state, options);
  EXPECT_EQ(state.pieces[5].orient, IDENTITY_ORIENT);
}

}  // namespace
}  // namespace puzzle
