#include "game/history.h"

#include <gtest/gtest.h>

#include "game/play_fixture.h"
#include "game/rotation.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

using testing::RunningGame;
using testing::ScriptedPlatform;

// What the frame renderer leaves behind when a turn has been worked off.
void FinishTurn(GameState& state) {
  state.rotationLeft = 0;
  state.turnInPlane = state.flipAboutVertical = state.flipAboutHorizontal = false;
}

struct UndoRedo : ::testing::Test {
  GameState state = RunningGame(4, 3);
  History history;
  ScriptedPlatform platform;

  // A finished drag as the release records it.
  void Drag(int piece, float toX, float toY) {
    PiecePose& pose = state.pieces[static_cast<std::size_t>(piece)];
    PushUndo(history, platform, HistoryEntry{piece, KIND_MOVE, pose.x, pose.y});
    pose.x = toX;
    pose.y = toY;
  }
  bool UndoEnabled() { return platform.menuEnabled[CMD_UNDO]; }
  bool RedoEnabled() { return platform.menuEnabled[CMD_REDO]; }
};

TEST_F(UndoRedo, DragUndoneAndRedone) {
  state.pieces[5].x = 1;
  state.pieces[5].y = 1;
  Drag(5, 2, 3);
  EXPECT_TRUE(UndoEnabled());

  ASSERT_TRUE(Undo(state, history, platform));
  EXPECT_EQ(state.pieces[5].x, 1.0f);
  EXPECT_EQ(state.pieces[5].y, 1.0f);
  EXPECT_TRUE(history.undoHistory.empty());
  EXPECT_FALSE(UndoEnabled());
  EXPECT_TRUE(RedoEnabled());
  EXPECT_FALSE(Undo(state, history, platform));

  ASSERT_TRUE(Redo(state, history, platform));
  EXPECT_EQ(state.pieces[5].x, 2.0f);
  EXPECT_EQ(state.pieces[5].y, 3.0f);
  EXPECT_TRUE(history.redoHistory.empty());
  EXPECT_FALSE(RedoEnabled());
  EXPECT_TRUE(UndoEnabled());
  EXPECT_EQ(state.selected, -1);  // a move does not change the selection
  EXPECT_FALSE(state.gameChanged);
}

TEST_F(UndoRedo, TurnUndoneByTheOppositeTurn) {
  state.selected = 3;
  ASSERT_TRUE(RotateSelected(state, history, platform, 90, AXIS_IN_PLANE));
  // Refused while the turn still runs.
  EXPECT_FALSE(Undo(state, history, platform));
  EXPECT_EQ(history.undoHistory.size(), 1u);
  FinishTurn(state);

  state.selected = 7;
  ASSERT_TRUE(Undo(state, history, platform));
  EXPECT_EQ(state.selected, 3);
  EXPECT_EQ(state.rotationLeft, -90.0f);
  EXPECT_TRUE(state.turnInPlane);
  EXPECT_EQ(history.redoHistory.back().a, -90.0f);
  EXPECT_FALSE(Redo(state, history, platform));
  FinishTurn(state);

  ASSERT_TRUE(Redo(state, history, platform));
  EXPECT_EQ(state.rotationLeft, 90.0f);
  EXPECT_TRUE(state.turnInPlane);
  EXPECT_EQ(history.undoHistory.back().a, 90.0f);
  EXPECT_TRUE(history.redoHistory.empty());
}

TEST_F(UndoRedo, FlipsUndoneByTheSameFlip) {
  for (const float axis : {AXIS_HORIZONTAL, AXIS_VERTICAL}) {
    state.selected = 2;
    ASSERT_TRUE(RotateSelected(state, history, platform, 180, axis));
    FinishTurn(state);
    ASSERT_TRUE(Undo(state, history, platform));
    EXPECT_EQ(state.rotationLeft, 180.0f);
    EXPECT_EQ(state.flipAboutHorizontal, axis == AXIS_HORIZONTAL);
    EXPECT_EQ(state.flipAboutVertical, axis == AXIS_VERTICAL);
    EXPECT_FALSE(state.turnInPlane);
    FinishTurn(state);
    ASSERT_TRUE(Redo(state, history, platform));
    EXPECT_EQ(state.rotationLeft, 180.0f);
    EXPECT_EQ(state.flipAboutHorizontal, axis == AXIS_HORIZONTAL);
    FinishTurn(state);
  }
}

TEST_F(UndoRedo, RefusedDuringTheScatterAndSettlePhases) {
  Drag(1, 0.5f, 0.5f);
  ASSERT_TRUE(Undo(state, history, platform));
  Drag(1, 0.7f, 0.7f);
  for (bool GameState::*phase : {&GameState::scatterRunning, &GameState::settleRunning}) {
    state.*phase = true;
    EXPECT_FALSE(Undo(state, history, platform));
    EXPECT_FALSE(Redo(state, history, platform));
    state.*phase = false;
  }
  EXPECT_EQ(state.pieces[1].x, 0.7f);
  EXPECT_EQ(history.undoHistory.size(), 1u);
  EXPECT_EQ(history.redoHistory.size(), 1u);
}

TEST_F(UndoRedo, NewActionKeepsTheRedoEntry) {
  const float homeX = state.pieces[4].x;
  Drag(4, 0.9f, 0.9f);
  ASSERT_TRUE(Undo(state, history, platform));
  EXPECT_EQ(state.pieces[4].x, homeX);
  Drag(6, -0.9f, -0.9f);
  EXPECT_EQ(history.redoHistory.size(), 1u);
  EXPECT_TRUE(RedoEnabled());

  ASSERT_TRUE(Redo(state, history, platform));
  EXPECT_EQ(state.pieces[4].x, 0.9f);
  EXPECT_EQ(state.pieces[6].x, -0.9f);
  EXPECT_EQ(history.undoHistory.size(), 2u);
  // Undo now takes back the redone drag first, then the later one.
  ASSERT_TRUE(Undo(state, history, platform));
  EXPECT_EQ(state.pieces[4].x, homeX);
  EXPECT_EQ(state.pieces[6].x, -0.9f);
}

TEST_F(UndoRedo, EntriesOfAnEarlierLargerGameAreDropped) {
  // Played on 4 x 3, then started again with 2 x 2 pieces; Start keeps the
  // histories.
  const float piece1FromX = state.pieces[1].x;
  const float piece1FromY = state.pieces[1].y;
  Drag(1, 0.25f, 0.25f);
  Drag(11, 0.5f, 0.5f);
  state.selected = 9;
  ASSERT_TRUE(RotateSelected(state, history, platform, 45, AXIS_IN_PLANE));
  FinishTurn(state);
  state = RunningGame(2, 2);
  state.pieces[1].x = 0.3f;

  // The turn of piece 9 and the drag of piece 11 are skipped; the drag of
  // piece 1 is the one taken back.
  ASSERT_TRUE(Undo(state, history, platform));
  EXPECT_EQ(state.selected, -1);
  EXPECT_EQ(state.rotationLeft, 0.0f);
  EXPECT_FALSE(state.turnInPlane);
  EXPECT_EQ(state.pieces[1].x, piece1FromX);
  EXPECT_EQ(state.pieces[1].y, piece1FromY);
  EXPECT_TRUE(history.undoHistory.empty());
  EXPECT_FALSE(UndoEnabled());
  ASSERT_EQ(history.redoHistory.size(), 1u);
  EXPECT_EQ(history.redoHistory.back().piece, 1);

  // Only stale entries left: nothing happens and the item goes grey.
  history.redoHistory.push_back(HistoryEntry{12, KIND_MOVE, 9, 9});
  history.redoHistory.push_front(HistoryEntry{40, KIND_ROTATION, 90, AXIS_IN_PLANE});
  ASSERT_TRUE(Redo(state, history, platform));
  EXPECT_EQ(history.redoHistory.size(), 1u);
  EXPECT_FALSE(Redo(state, history, platform));
  EXPECT_TRUE(history.redoHistory.empty());
  EXPECT_FALSE(RedoEnabled());
  EXPECT_EQ(state.rotationLeft, 0.0f);
}

}  // namespace
}  // namespace puzzle
