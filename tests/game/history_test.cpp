#include "game/history.h"

#include <gtest/gtest.h>

#include "game/play_fixture.h"
#include "game/rotation.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

struct UndoRedo : ::testing::Test {
  GameState state = testing::RunningGame(4, 3);
  History history;
  testing::ScriptedPlatform platform;

  // A finished drag as the release records it.
  void Drag(int piece, float toX, float toY) {
    PiecePose& pose = state.pieces[static_cast<std::size_t>(piece)];
    PushUndo(history, platform, HistoryEntry{piece, KIND_MOVE, pose.x, pose.y});
    pose.x = toX;
    pose.y = toY;
  }
  // A turn on piece, then what the frame renderer leaves when it is worked off.
  void Turn(int piece, float angle, float axis) {
    state.selected = piece;
    ASSERT_TRUE(RotateSelected(state, history, platform, angle, axis));
    Finish();
  }
  void Finish() {
    state.rotationLeft = 0;
    state.turnInPlane = state.flipAboutVertical = state.flipAboutHorizontal = false;
  }
  bool Undo() { return puzzle::Undo(state, history, platform); }
  bool Redo() { return puzzle::Redo(state, history, platform); }
  bool UndoEnabled() { return platform.menuEnabled[CMD_UNDO]; }
  bool RedoEnabled() { return platform.menuEnabled[CMD_REDO]; }
};

TEST_F(UndoRedo, DragUndoneAndRedoneWithTheMenuItemsInStep) {
  state.pieces[5].x = 1;
  state.pieces[5].y = 1;
  Drag(5, 2, 3);
  EXPECT_TRUE(UndoEnabled());
  ASSERT_TRUE(Undo());
  EXPECT_EQ(state.pieces[5].x, 1.0f);
  EXPECT_EQ(state.pieces[5].y, 1.0f);
  EXPECT_FALSE(UndoEnabled());
  EXPECT_TRUE(RedoEnabled());
  EXPECT_FALSE(Undo());
  ASSERT_TRUE(Redo());
  EXPECT_EQ(state.pieces[5].x, 2.0f);
  EXPECT_EQ(state.pieces[5].y, 3.0f);
  EXPECT_TRUE(history.redoHistory.empty());
  EXPECT_FALSE(RedoEnabled());
  EXPECT_TRUE(UndoEnabled());
  EXPECT_EQ(state.selected, -1);  // a move does not change the selection
  EXPECT_FALSE(state.gameChanged);

  for (bool GameState::*phase : {&GameState::scatterRunning, &GameState::settleRunning}) {
    state.*phase = true;  // refused while the pieces fly or settle
    EXPECT_FALSE(Undo());
    state.*phase = false;
  }
  EXPECT_EQ(state.pieces[5].x, 2.0f);
  EXPECT_TRUE(Undo());
}

TEST_F(UndoRedo, TurnUndoneByTheOppositeTurnButNotWhileTurning) {
  state.selected = 3;
  ASSERT_TRUE(RotateSelected(state, history, platform, 90, AXIS_IN_PLANE));
  EXPECT_FALSE(Undo());
  EXPECT_EQ(history.undoHistory.size(), 1u);
  Finish();
  state.selected = 7;
  ASSERT_TRUE(Undo());
  EXPECT_EQ(state.selected, 3);
  EXPECT_EQ(state.rotationLeft, -90.0f);
  EXPECT_TRUE(state.turnInPlane);
  EXPECT_EQ(history.redoHistory.back().a, -90.0f);
  EXPECT_FALSE(Redo());
  Finish();
  ASSERT_TRUE(Redo());
  EXPECT_EQ(state.rotationLeft, 90.0f);
  EXPECT_TRUE(state.turnInPlane);
  EXPECT_EQ(history.undoHistory.back().a, 90.0f);
}

TEST_F(UndoRedo, FlipsUndoneByTheSameFlip) {
  for (const float axis : {AXIS_HORIZONTAL, AXIS_VERTICAL}) {
    Turn(2, 180, axis);
    for (bool undo : {true, false}) {
      ASSERT_TRUE(undo ? Undo() : Redo());
      EXPECT_EQ(state.rotationLeft, 180.0f);
      EXPECT_EQ(state.flipAboutHorizontal, axis == AXIS_HORIZONTAL);
      EXPECT_EQ(state.flipAboutVertical, axis == AXIS_VERTICAL);
      EXPECT_FALSE(state.turnInPlane);
      Finish();
    }
  }
}

TEST_F(UndoRedo, EntriesOfAnEarlierLargerGameAreDropped) {
  // Played on 4 x 3, then started again with 2 x 2 pieces; Start keeps the histories.
  const PiecePose piece1 = state.pieces[1];
  Drag(1, 0.25f, 0.25f);
  Drag(11, 0.5f, 0.5f);
  Turn(9, 45, AXIS_IN_PLANE);
  state = testing::RunningGame(2, 2);
  state.pieces[1].x = 0.3f;

  // The turn of piece 9 and the drag of piece 11 are skipped.
  ASSERT_TRUE(Undo());
  EXPECT_EQ(state.selected, -1);
  EXPECT_EQ(state.rotationLeft, 0.0f);
  EXPECT_EQ(state.pieces[1].x, piece1.x);
  EXPECT_EQ(state.pieces[1].y, piece1.y);
  EXPECT_FALSE(UndoEnabled());
  ASSERT_EQ(history.redoHistory.size(), 1u);

  // Only stale entries left: nothing happens and the item goes grey.
  history.redoHistory.push_back(HistoryEntry{12, KIND_MOVE, 9, 9});
  history.redoHistory.push_front(HistoryEntry{40, KIND_ROTATION, 90, AXIS_IN_PLANE});
  ASSERT_TRUE(Redo());
  EXPECT_FALSE(Redo());
  EXPECT_TRUE(history.redoHistory.empty());
  EXPECT_FALSE(RedoEnabled());
  EXPECT_EQ(state.rotationLeft, 0.0f);
}

}  // namespace
}  // namespace puzzle
