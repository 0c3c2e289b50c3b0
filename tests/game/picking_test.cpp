#include "game/picking.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/unproject.h"
#include "support/fake_graphics_port.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

using testing::FakeGraphicsPort;
using testing::ScriptedPlatform;

constexpr int W = 800;
constexpr int H = 600;
constexpr float HALF_CELL = 0.1f;

// A running game on an 800 x 600 window whose depth buffer is simulated: a
// pixel shows the nearest piece whose square cell covers it, else the
// background.
class PickingTest : public ::testing::Test {
 protected:
  PickingTest() {
    view.creationWidth = W;
    view.creationHeight = H;
    SetUpProjection(view, state);
    state.clientWidth = W;
    state.clientHeight = H;
    state.imageWidth = 400;
    state.imageHeight = 300;
    state.halfCellW = state.halfCellH = HALF_CELL;
    state.halfCellDiag = std::sqrt(2.0f) * HALF_CELL;
    state.gameRunning = true;
    graphics.depthAt = [this](int x, int y) { return DepthAt(x, y); };
  }

  // Table units per screen pixel on the table.
  double Pixel() const { return 2.0 * TABLE_DEPTH * state.pixelScale / NEAR_PLANE; }

  void AddPiece(float x, float y) {
    PiecePose pose;
    pose.x = x;
    pose.y = y;
    pose.z = RestingDepth(state.pieceCount);
    state.pieces.push_back(pose);
    state.homeX.push_back(x);
    state.homeY.push_back(y);
    ++state.pieceCount;
  }

  // The client pixel over the table point (x, y).
  int ClientX(double x) const { return static_cast<int>(std::lround(W / 2.0 + x / Pixel())); }
  int ClientY(double y) const { return static_cast<int>(std::lround(H / 2.0 - y / Pixel())); }

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

  GameState state;
  GameOptions options;
  ViewSetup view;
  ShellInput shell;
  PickingState picking;
  ScrollBars bars;
  History history;
  PointerRecords records{state, options, view, shell, picking, bars, history};
  ScriptedPlatform platform;
  FakeGraphicsPort graphics;
};

const float RAISED = static_cast<float>(0.00001 - TABLE_DEPTH);

TEST_F(PickingTest, HoverSelectsTheTopPieceAndLowersThePreviousOne) {
  AddPiece(0.0f, 0.0f);
  AddPiece(0.05f, 0.0f);  // overlaps piece 0, which lies on top
  AddPiece(0.6f, 0.3f);

  // Piece 0 rests exactly on the table; its depth read back rounds to a
  // hair in front of it and must still count as a resting piece.
  Hover(0.03f, 0.0f);
  EXPECT_EQ(state.selected, 0);
  EXPECT_EQ(state.pieces[0].z, RAISED);
  EXPECT_EQ(state.pieces[1].z, RestingDepth(1));

  // Over the raised piece the selection stays.
  Hover(0.0f, 0.05f);
  EXPECT_EQ(state.selected, 0);
  EXPECT_EQ(state.pieces[0].z, RAISED);

  // Where only piece 1 shows, it takes over and piece 0 goes back to rest.
  Hover(0.13f, 0.0f);
  EXPECT_EQ(state.selected, 1);
  EXPECT_EQ(state.pieces[1].z, RAISED);
  EXPECT_EQ(state.pieces[0].z, RestingDepth(0));

  Hover(0.6f, 0.3f);
  EXPECT_EQ(state.selected, 2);
  EXPECT_EQ(state.pieces[1].z, RestingDepth(1));

  // The background selects nothing new: the last piece keeps the selection.
  Hover(-0.8f, -0.5f);
  EXPECT_EQ(state.selected, 2);
}

TEST_F(PickingTest, ADepthRoundedByTheDrawingStillFindsItsPiece) {
  for (int k = 0; k < 7; ++k) AddPiece(0.2f * static_cast<float>(k), 0.0f);
  options.columns = 7;
  state.rows = 2;
  // Closer in depth to piece 5 than to piece 6, but not at its depth.
  picking.cursorTable = {1.02, 0.01, RestingDepth(5) - 4.5e-7};
  PickPiece(state, options, view, picking);
  EXPECT_EQ(state.selected, 5);
  EXPECT_EQ(state.pieces[5].z, RAISED);

  // A depth rounded all the way to the neighbour's: the outline that holds
  // the pointer decides.
  picking.cursorTable = {0.75, -0.05, RestingDepth(3)};
  PickPiece(state, options, view, picking);
  EXPECT_EQ(state.selected, 4);
  EXPECT_EQ(state.pieces[5].z, RestingDepth(5));

  // A piece too far from the pointer to lie under it is never taken for it.
  picking.cursorTable = {0.4, 0.0, RestingDepth(5) + 3e-7};
  PickPiece(state, options, view, picking);
  EXPECT_EQ(state.selected, 4);
  EXPECT_EQ(state.pieces[4].z, RestingDepth(4));
}

TEST_F(PickingTest, DistancePickingTakesTheNearestCentreAndTheLowerIndexOnATie) {
  view.lowDepthPrecision = true;
  AddPiece(-0.05f, 0.0f);
  AddPiece(0.05f, 0.0f);
  AddPiece(0.02f, 0.0f);

  // Half-way between pieces 0 and 1 piece 2 is nearest.
  Hover(0.0f, 0.0f);
  EXPECT_EQ(state.selected, 2);
  EXPECT_EQ(state.pieces[2].z, static_cast<float>(0.0001 - TABLE_DEPTH));
  EXPECT_EQ(graphics.depthReads, 0);

  state.pieces[2].x = 0.5f;
  state.pieces[2].z = RestingDepth(2);
  state.selected = -1;
  picking.cursorTable = {0.0, 0.0, 0.0};
  PickPiece(state, options, view, picking);
  EXPECT_EQ(state.selected, 0);

  // Beyond halfCellDiag of every centre nothing changes.
  Hover(-0.7f, 0.4f);
  EXPECT_EQ(state.selected, 0);
}

TEST_F(PickingTest, DragThenReleaseRecordsOneMoveFromTheStart) {
  AddPiece(0.0f, 0.0f);
  AddPiece(0.5f, 0.0f);
  Hover(0.0f, 0.0f);
  ASSERT_EQ(state.selected, 0);
  const int x0 = ClientX(0.0);
  const int y0 = ClientY(0.0);

  OnLeftButtonDown(records, platform);
  EXPECT_TRUE(platform.confined);
  const int readsAtPress = graphics.depthReads;
  MoveTo(x0 + 30, y0);
  MoveTo(x0 + 50, y0 - 20);
  EXPECT_EQ(graphics.depthReads, readsAtPress);  // no reads while held
  EXPECT_TRUE(shell.pieceMoved);
  EXPECT_TRUE(state.gameChanged);
  // The drag depth lies a hair in front of the table, so a pixel there is a
  // hair smaller.
  EXPECT_NEAR(state.pieces[0].x, 50 * Pixel(), 50 * Pixel() * 1e-5);
  EXPECT_NEAR(state.pieces[0].y, 20 * Pixel(), 20 * Pixel() * 1e-5);
  EXPECT_EQ(state.pieces[1].x, 0.5f);

  OnLeftButtonUp(records, platform, graphics);
  EXPECT_FALSE(platform.confined);
  EXPECT_FALSE(shell.leftButtonDown);
  EXPECT_FALSE(shell.pieceMoved);
  ASSERT_EQ(history.undoHistory.size(), 1u);
  const HistoryEntry& entry = history.undoHistory.back();
  EXPECT_EQ(entry.piece, 0);
  EXPECT_EQ(entry.kind, KIND_MOVE);
  EXPECT_EQ(entry.a, 0.0f);
  EXPECT_EQ(entry.b, 0.0f);
  EXPECT_TRUE(platform.menuEnabled[CMD_UNDO]);

  // A click without a move records nothing.
  OnLeftButtonDown(records, platform);
  OnLeftButtonUp(records, platform, graphics);
  EXPECT_EQ(history.undoHistory.size(), 1u);
}

TEST_F(PickingTest, PressOnTheBackgroundDragsNothing) {
  AddPiece(0.0f, 0.0f);
  Hover(0.0f, 0.0f);
  Hover(0.7f, 0.4f);  // background: piece 0 stays selected
  ASSERT_EQ(state.selected, 0);
  OnLeftButtonDown(records, platform);
  MoveTo(ClientX(0.7) + 40, ClientY(0.4));
  MoveTo(0, ClientY(0.4));
  EXPECT_EQ(state.pieces[0].x, 0.0f);
  EXPECT_FALSE(shell.pieceMoved);
  EXPECT_FALSE(picking.edges.edgeScrollLeft);
  OnLeftButtonUp(records, platform, graphics);
  EXPECT_TRUE(history.undoHistory.empty());
}

TEST_F(PickingTest, DraggingAgainstTheBorderSetsTheEdgeFlags) {
  AddPiece(0.0f, 0.0f);
  Hover(0.0f, 0.0f);
  OnLeftButtonDown(records, platform);

  MoveTo(-25, 300);  // beyond the left border: held at x = 0
  EXPECT_EQ(shell.cursorX, 0);
  EXPECT_TRUE(picking.edges.edgeScrollLeft);
  EXPECT_FALSE(picking.edges.edgeScrollUp || picking.edges.edgeScrollDown);

  MoveTo(W + 10, -5);  // the top-right corner
  EXPECT_TRUE(picking.edges.edgeScrollRight);
  EXPECT_TRUE(picking.edges.edgeScrollUp);

  MoveTo(400, H - 1);
  EXPECT_FALSE(picking.edges.edgeScrollLeft || picking.edges.edgeScrollRight);
  EXPECT_TRUE(picking.edges.edgeScrollDown);

  MoveTo(400, 300);
  EXPECT_FALSE(picking.edges.edgeScrollLeft || picking.edges.edgeScrollRight || picking.edges.edgeScrollUp ||
               picking.edges.edgeScrollDown);

  // Releasing at the border stops the scrolling.
  MoveTo(0, 300);
  ASSERT_TRUE(picking.edges.edgeScrollLeft);
  OnLeftButtonUp(records, platform, graphics);
  EXPECT_FALSE(picking.edges.edgeScrollLeft);

  // Without a press the border means nothing.
  MoveTo(0, 0);
  EXPECT_FALSE(picking.edges.edgeScrollLeft || picking.edges.edgeScrollUp);
}

TEST_F(PickingTest, NothingIsPickedDuringTheScatterOrATurn) {
  AddPiece(0.0f, 0.0f);
  AddPiece(0.5f, 0.0f);
  state.scatterRunning = true;
  Hover(0.0f, 0.0f);
  EXPECT_EQ(state.selected, -1);
  EXPECT_EQ(graphics.depthReads, 0);
  state.scatterRunning = false;
  state.settleRunning = true;
  Hover(0.0f, 0.0f);
  EXPECT_EQ(state.selected, -1);
  state.settleRunning = false;

  Hover(0.0f, 0.0f);
  ASSERT_EQ(state.selected, 0);
  // A turn keeps the selection, but the turning piece can still be dragged.
  state.rotationLeft = 90;
  Hover(0.5f, 0.0f);
  EXPECT_EQ(state.selected, 0);
  EXPECT_FALSE(OnRightButtonDown(records, graphics, ClientX(0.5), ClientY(0.0)));
  EXPECT_EQ(state.selected, 0);
  Hover(0.0f, 0.0f);
  OnLeftButtonDown(records, platform);
  MoveTo(ClientX(0.0) + 10, ClientY(0.0));
  EXPECT_GT(state.pieces[0].x, 0.0f);
}

TEST_F(PickingTest, RightClickPicksThePieceUnderThePointerForTheMenu) {
  AddPiece(0.0f, 0.0f);
  AddPiece(0.5f, 0.0f);
  Hover(0.0f, 0.0f);
  EXPECT_TRUE(OnRightButtonDown(records, graphics, ClientX(0.5), ClientY(0.0)));
  EXPECT_EQ(state.selected, 1);

  // The menu also opens with no game (its commands then do nothing).
  state.gameRunning = false;
  EXPECT_TRUE(OnRightButtonDown(records, graphics, ClientX(0.0), ClientY(0.0)));
  EXPECT_EQ(state.selected, 1);
}

// A game whose picture is wider and taller than the window: both bars exist.
class ScrollBarPressTest : public PickingTest {
 protected:
  ScrollBarPressTest() {
    AddPiece(0.0f, 0.0f);
    state.imageWidth = 2000;
    state.imageHeight = 1500;
    state.scrollMarginX = state.scrollMarginY = 100;
    state.thumbW = 300;  // halfRangeX 250
    state.thumbH = 200;  // halfRangeY 200
  }
};

TEST_F(ScrollBarPressTest, RightClickOnATrackBringsTheThumbEdgeUnderThePointer) {
  MoveTo(700, H - 10);
  ASSERT_TRUE(bars.horizontal.zone);
  ASSERT_TRUE(bars.horizontal.hover[ScrollBar::TRACK_AFTER]);
  EXPECT_FALSE(OnRightButtonDown(records, graphics, 700, H - 10));
  EXPECT_EQ(state.scrollX, 150);
  EXPECT_EQ((state.thumbW + W) / 2 + state.scrollX, 700);
  EXPECT_EQ(state.selected, -1);

  MoveTo(W - 10, 40);
  ASSERT_TRUE(bars.vertical.hover[ScrollBar::TRACK_BEFORE]);
  EXPECT_FALSE(OnRightButtonDown(records, graphics, W - 10, 40));
  EXPECT_EQ(state.scrollY, (H - state.thumbH) / 2 - 40);
}

TEST_F(ScrollBarPressTest, ReleasingOverThePressedButtonActs) {
  // The horizontal thumb starts in the middle: its page-forward box lies
  // just right of it.
  const int right = (state.thumbW + W) / 2;
  MoveTo(right + 5, H - 10);
  ASSERT_TRUE(bars.horizontal.hover[ScrollBar::PAGE_FORWARD]);
  OnLeftButtonDown(records, platform);
  EXPECT_TRUE(bars.horizontal.pressed[ScrollBar::PAGE_FORWARD]);
  OnLeftButtonUp(records, platform, graphics);
  EXPECT_EQ(state.scrollX, 250);  // one thumb, clamped to the range
  EXPECT_FALSE(bars.horizontal.pressed[ScrollBar::PAGE_FORWARD]);
  EXPECT_GT(state.viewOffsetX, 0.0f);

  // Pressed, then released elsewhere: nothing.
  const int left = bars.halfRangeX + state.scrollX;
  MoveTo(left - 5, H - 10);
  ASSERT_TRUE(bars.horizontal.hover[ScrollBar::PAGE_BACK]);
  OnLeftButtonDown(records, platform);
  bars.horizontal.hover.fill(false);
  OnLeftButtonUp(records, platform, graphics);
  EXPECT_EQ(state.scrollX, 250);
}

TEST_F(ScrollBarPressTest, DraggingTheThumbFollowsThePointer) {
  const int centre = W / 2;
  MoveTo(centre, H - 10);
  ASSERT_TRUE(bars.horizontal.hover[ScrollBar::THUMB]);
  OnLeftButtonDown(records, platform);
  MoveTo(centre + 30, H - 10);
  EXPECT_EQ(state.scrollX, 30);
  MoveTo(centre + 20, H - 12);
  EXPECT_EQ(state.scrollX, 20);
  OnLeftButtonUp(records, platform, graphics);
  MoveTo(centre + 60, H - 10);
  EXPECT_EQ(state.scrollX, 20);
}

TEST_F(ScrollBarPressTest, AFreshPictureIsPannedAgainstThePointer) {
  state.gameRunning = false;
  state.imageFresh = true;
  state.imageWidth = 1600;
  state.thumbW = 400;
  MoveTo(100, 300);
  OnLeftButtonDown(records, platform);
  MoveTo(60, 300);
  // 40 pixels to the left move the thumb by 40 x 400 / 800 to the right.
  EXPECT_EQ(state.scrollX, 20);
  EXPECT_EQ(platform.cursor, CursorShape::Move);
  OnLeftButtonUp(records, platform, graphics);
  EXPECT_EQ(platform.cursor, CursorShape::Arrow);
}

}  // namespace
}  // namespace puzzle
