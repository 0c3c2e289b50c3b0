#include "game/picking.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/fake_graphics_port.h"
#include "support/scripted_platform.h"
#include "view/unproject.h"

namespace puzzle {
namespace {

constexpr int W = 800;
constexpr int H = 600;
constexpr float HALF_CELL = 0.1f;
const float RAISED = static_cast<float>(0.00001 - TABLE_DEPTH);

// A running game on an 800 x 600 window whose depth buffer is simulated: a
// pixel shows the nearest piece whose square cell covers it, else the
// background.
class PickingTest : public ::testing::Test {
 protected:
  PickingTest() {
    view.creationWidth = W;
    view.creationHeight = H;
    SetUpProjection(view, state);
    table.clientWidth = W;
    table.clientHeight = H;
    state.imageWidth = 400;
    state.imageHeight = 300;
    state.halfCellW = state.halfCellH = HALF_CELL;
    state.halfCellDiag = std::sqrt(2.0f) * HALF_CELL;
    state.gameRunning = true;
    graphics.depthAt = [this](int x, int y) { return DepthAt(x, y); };
  }

  double Pixel() const { return 2.0 * TABLE_DEPTH * state.pixelScale / NEAR_PLANE; }
  int ClientX(double x) const { return static_cast<int>(std::lround(W / 2.0 + x / Pixel())); }
  int ClientY(double y) const { return static_cast<int>(std::lround(H / 2.0 - y / Pixel())); }

  void AddPiece(float x, float y) {
    state.pieces.push_back(PiecePose{.x = x, .y = y, .z = RestingDepth(state.pieceCount)});
    state.homeX.push_back(x);
    state.homeY.push_back(y);
    ++state.pieceCount;
  }

  float DepthAt(int x, int yFromBottom) const {
    const double tx = (x - W / 2.0) * Pixel();
    const double ty = (yFromBottom + 1 - H / 2.0) * Pixel();
    double nearest = -FAR_PLANE;
    for (const PiecePose& pose : state.pieces) {
      if (std::fabs(pose.x - tx) <= HALF_CELL && std::fabs(pose.y - ty) <= HALF_CELL && pose.z > nearest) {
        nearest = pose.z;
      }
    }
    if (nearest == -FAR_PLANE) return 1.0f;
    return static_cast<float>(WindowDepthOf(ResizedFrustum(view, W, H), nearest));
  }

  void MoveTo(int x, int y) { OnMouseMove(records, platform, graphics, x, y); }
  void Hover(float x, float y) { MoveTo(ClientX(x), ClientY(y)); }
  void Press() { OnLeftButtonDown(records, platform); }
  void Release() { OnLeftButtonUp(records, platform, graphics); }
  bool RightClick(int x, int y) { return OnRightButtonDown(records, graphics, x, y); }
  void Pick(double x, double y, double z) {
    picking.cursorTable = {x, y, z};
    PickPiece(state, options, view, picking);
  }

  GameState state;
  TableView table;
  GameOptions options;
  ViewSetup view;
  ShellInput shell;
  PickingState picking;
  ScrollBars bars;
  History history;
  PointerRecords records{state, options, view, table, shell, picking, bars, history};
  testing::ScriptedPlatform platform;
  testing::FakeGraphicsPort graphics;
};

TEST_F(PickingTest, HoverRaisesTheTopPieceAndLowersThePreviousOne) {
  AddPiece(0.0f, 0.0f);
  AddPiece(0.05f, 0.0f);  // overlaps piece 0, which lies on top
  AddPiece(0.6f, 0.3f);
  // Piece 0 rests exactly on the table; its depth read back rounds to a hair
  // in front of it and must still count as a resting piece.
  Hover(0.03f, 0.0f);
  EXPECT_EQ(state.selected, 0);
  EXPECT_EQ(state.pieces[0].z, RAISED);
  EXPECT_EQ(state.pieces[1].z, RestingDepth(1));
  Hover(0.0f, 0.05f);  // over the raised piece the selection stays
  EXPECT_EQ(state.selected, 0);
  Hover(0.13f, 0.0f);  // only piece 1 shows
  EXPECT_EQ(state.selected, 1);
  EXPECT_EQ(state.pieces[1].z, RAISED);
  EXPECT_EQ(state.pieces[0].z, RestingDepth(0));
  Hover(-0.8f, -0.5f);  // the background keeps the last selection
  EXPECT_EQ(state.selected, 1);
}

TEST_F(PickingTest, RoundedDepthsStillFindThePieceUnderThePointer) {
  for (int k = 0; k < 7; ++k) AddPiece(0.2f * static_cast<float>(k), 0.0f);
  options.columns = 7;
  state.rows = 2;
  Pick(1.02, 0.01, RestingDepth(5) - 4.5e-7);  // nearer piece 5's depth than piece 6's
  EXPECT_EQ(state.selected, 5);
  EXPECT_EQ(state.pieces[5].z, RAISED);
  // Rounded all the way to the neighbour's depth: the outline holding the
  // pointer decides.
  Pick(0.75, -0.05, RestingDepth(3));
  EXPECT_EQ(state.selected, 4);
  EXPECT_EQ(state.pieces[5].z, RestingDepth(5));
  // A piece too far from the pointer to lie under it is never taken for it.
  Pick(0.4, 0.0, RestingDepth(5) + 3e-7);
  EXPECT_EQ(state.selected, 4);
  EXPECT_EQ(state.pieces[4].z, RestingDepth(4));
}

TEST_F(PickingTest, DistancePickingTakesTheNearestCentreAndTheLowerIndexOnATie) {
  view.lowDepthPrecision = true;
  AddPiece(-0.05f, 0.0f);
  AddPiece(0.05f, 0.0f);
  AddPiece(0.02f, 0.0f);
  Hover(0.0f, 0.0f);
  EXPECT_EQ(state.selected, 2);
  EXPECT_EQ(state.pieces[2].z, static_cast<float>(0.0001 - TABLE_DEPTH));
  EXPECT_EQ(graphics.depthReads, 0);

  state.pieces[2] = PiecePose{.x = 0.5f, .z = RestingDepth(2)};
  state.selected = -1;
  Pick(0.0, 0.0, 0.0);
  EXPECT_EQ(state.selected, 0);
  Hover(-0.7f, 0.4f);  // beyond halfCellDiag of every centre
  EXPECT_EQ(state.selected, 0);
}

TEST_F(PickingTest, DragThenReleaseRecordsOneMoveFromTheStart) {
  AddPiece(0.0f, 0.0f);
  AddPiece(0.5f, 0.0f);
  Hover(0.0f, 0.0f);
  ASSERT_EQ(state.selected, 0);
  Press();
  EXPECT_TRUE(platform.confined);
  const int readsAtPress = graphics.depthReads;
  MoveTo(ClientX(0.0) + 30, ClientY(0.0));
  MoveTo(ClientX(0.0) + 50, ClientY(0.0) - 20);
  EXPECT_EQ(graphics.depthReads, readsAtPress);  // no reads while held
  EXPECT_TRUE(shell.pieceMoved);
  EXPECT_TRUE(state.gameChanged);
  // The drag depth lies a hair in front of the table: a pixel there is a hair smaller.
  EXPECT_NEAR(state.pieces[0].x, 50 * Pixel(), 50 * Pixel() * 1e-5);
  EXPECT_NEAR(state.pieces[0].y, 20 * Pixel(), 20 * Pixel() * 1e-5);
  EXPECT_EQ(state.pieces[1].x, 0.5f);
  Release();
  EXPECT_FALSE(platform.confined || shell.leftButtonDown || shell.pieceMoved);
  const HistoryEntry& entry = history.undoHistory.at(0);
  EXPECT_EQ(entry.piece, 0);
  EXPECT_EQ(entry.kind, KIND_MOVE);
  EXPECT_EQ(entry.a, 0.0f);
  EXPECT_EQ(entry.b, 0.0f);
  EXPECT_TRUE(platform.menuEnabled[CMD_UNDO]);

  Press();  // a click without a move records nothing
  Release();
  EXPECT_EQ(history.undoHistory.size(), 1u);
}

TEST_F(PickingTest, NothingIsPickedDuringTheScatterOrATurnButTheMenuPicks) {
  AddPiece(0.0f, 0.0f);
  AddPiece(0.5f, 0.0f);
  for (bool GameState::*phase : {&GameState::scatterRunning, &GameState::settleRunning}) {
    state.*phase = true;
    Hover(0.0f, 0.0f);
    EXPECT_EQ(state.selected, -1);
    state.*phase = false;
  }
  EXPECT_EQ(graphics.depthReads, 0);
  EXPECT_TRUE(RightClick(ClientX(0.5), ClientY(0.0)));  // the menu's piece
  EXPECT_EQ(state.selected, 1);
  Hover(0.0f, 0.0f);
  ASSERT_EQ(state.selected, 0);
  state.rotationLeft = 90;  // a turn keeps the selection
  Hover(0.5f, 0.0f);
  EXPECT_FALSE(RightClick(ClientX(0.5), ClientY(0.0)));
  EXPECT_EQ(state.selected, 0);
}

}  // namespace
}  // namespace puzzle
