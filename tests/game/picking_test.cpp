#include "game/picking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "game/frame_steps.h"
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
// background. The pieces are of form 1, squares of the cell, on a grid of
// 12 x 2.
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
    state.rows = 2;
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
  // The selection and the depths of pieces 0 and 1.
  std::tuple<int, float, float> Raised() const {
    return {state.selected, state.pieces[0].z, state.pieces[1].z};
  }
  void Pick(double x, double y, double z) {
    picking.cursorTable = {x, y, z};
    PickPiece(state, options, view, table, picking);
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
  EXPECT_EQ(Raised(), std::tuple(0, RAISED, RestingDepth(1)));
  Hover(0.0f, 0.05f);  // over the raised piece the selection stays
  EXPECT_EQ(state.selected, 0);
  Hover(0.13f, 0.0f);  // only piece 1 shows
  EXPECT_EQ(std::tuple(state.selected, state.pieces[1].z, state.pieces[0].z),
            std::tuple(1, RAISED, RestingDepth(0)));
}

// The outline test uses the form the pieces were cut with, not one an open
// Options dialog has chosen since: left of piece 0's anchor a form-1 piece
// lies, a form-2 piece of the first column does not.
TEST_F(PickingTest, OutlinesAreThoseOfTheFormThePiecesWereCutWith) {
  for (int k = 0; k < 7; ++k) AddPiece(0.2f * static_cast<float>(k), 0.0f);
  options.columns = 7;
  state.pieceForm = 1;
  options.form = 2;
  options.bulge = 0.45f;
  // The depth read back rounded to piece 1's.
  Pick(-0.05, 0.0, RestingDepth(1));
  EXPECT_EQ(Raised(), std::tuple(0, RAISED, RestingDepth(1)));
}

TEST_F(PickingTest, DistancePickingTakesTheNearestCentreAndTheLowerIndexOnATie) {
  view.lowDepthPrecision = true;
  AddPiece(-0.05f, 0.0f);
  AddPiece(0.05f, 0.0f);
  AddPiece(0.02f, 0.0f);
  Hover(0.0f, 0.0f);
  EXPECT_EQ(std::tuple(state.selected, state.pieces[2].z, graphics.depthReads),
            std::tuple(2, static_cast<float>(0.0001 - TABLE_DEPTH), 0));

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
  EXPECT_EQ(std::tie(entry.piece, entry.kind, entry.a, entry.b), std::tuple(0, KIND_MOVE, 0.0f, 0.0f));
  EXPECT_TRUE(platform.menuEnabled[CMD_UNDO]);

  Press();  // a click without a move records nothing
  Release();
  EXPECT_EQ(history.undoHistory.size(), 1u);

  // Beside every piece the selection stays, but a press there drags
  // nothing, and the piece menu acts on no piece.
  const float x = state.pieces[0].x;
  MoveTo(ClientX(-0.8), ClientY(-0.5));
  ASSERT_EQ(state.selected, 0);
  Press();
  MoveTo(ClientX(-0.8) + 30, ClientY(-0.5));
  Release();
  EXPECT_EQ(state.pieces[0].x, x);
  EXPECT_EQ(history.undoHistory.size(), 1u);
  EXPECT_TRUE(RightClick(ClientX(-0.8), ClientY(-0.5)));
  EXPECT_EQ(std::tuple(state.selected, state.pieces[0].z), std::tuple(-1, RestingDepth(0)));
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

// A picture of 1000 x 800 before Start in the 800 x 600 window, with 16-pixel
// bars: the thumbs are 640 and 450 long, scrollX runs over -80..80 and
// scrollY over -75..75. Horizontal bar on row 589: track 20, to-start 50,
// page-back 70, thumb 80-720, page-forward 730, to-end 750, track 770.
// Vertical bar in column 789 likewise by rows: 20, 50, 70, 75-525, 530, 550,
// 570.
class ScrollBarPointerTest : public PickingTest {
 protected:
  ScrollBarPointerTest() {
    state.gameRunning = false;
    state.imageWidth = 1000;
    state.imageHeight = 800;
    table.thumbW = 640;
    table.thumbH = 450;
    bars.scrollBarThickness = 16;
  }
  void StartAt(int scrollX, int scrollY) {
    table.scrollX = scrollX;
    table.scrollY = scrollY;
  }
};

TEST_F(ScrollBarPointerTest, ButtonsActOnAReleaseOverThemAndAMoveDragsTheThumb) {
  const struct {
    int x, y;      // pressed and released here
    int toX, toY;  // moved here in between when it differs
    int scrollX, scrollY;
  } cases[] = {
      {730, 589, 730, 589, 80, 0},   // page forward: + thumbW, clamped
      {70, 589, 70, 589, -80, 0},    // page back
      {50, 589, 50, 589, -80, 0},    // to start
      {750, 589, 750, 589, 80, 0},   // to end
      {789, 70, 789, 70, 0, 75},     // page up
      {789, 530, 789, 530, 0, -75},  // page down
      {789, 50, 789, 50, 0, 75},     // to top
      {789, 550, 789, 550, 0, -75},  // to bottom
      {400, 589, 430, 589, 30, 0},   // the thumb follows the pointer
      {789, 300, 789, 280, 0, 20},   // upward on the vertical bar
      {730, 589, 600, 589, -80, 0},  // a moved button drags and is not run
      {20, 589, 20, 589, 0, 0},      // a track acts only while held
      {400, 300, 500, 300, 0, 0},    // the table away from the bars
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y << " to " << c.toX << ", " << c.toY);
    StartAt(0, 0);
    MoveTo(c.x, c.y);
    Press();
    if (c.toX != c.x || c.toY != c.y) MoveTo(c.toX, c.toY);
    Release();
    EXPECT_EQ(std::pair(table.scrollX, table.scrollY), std::pair(c.scrollX, c.scrollY));
    EXPECT_EQ(std::count(bars.horizontal.pressed.begin(), bars.horizontal.pressed.end(), true) +
                  std::count(bars.vertical.pressed.begin(), bars.vertical.pressed.end(), true),
              0);
  }
}

TEST_F(ScrollBarPointerTest, AHeldTrackScrollsEachFrameUntilTheRelease) {
  StartAt(0, 0);
  MoveTo(770, 589);
  Press();
  EXPECT_TRUE(bars.horizontal.pressed[ScrollBar::TRACK_AFTER]);
  for (int frame = 0; frame < 3; ++frame) ScrollHeldTrack(state, table, bars, 770, 589, picking.edges);
  EXPECT_EQ(table.scrollX, 3);
  Release();
  EXPECT_FALSE(ScrollHeldTrack(state, table, bars, 770, 589, picking.edges));
  EXPECT_EQ(table.scrollX, 3);
}

// A right click on a track brings the near edge of the thumb under the
// pointer and shows no menu; elsewhere on a bar it is an ordinary right click.
TEST_F(ScrollBarPointerTest, RightClickOnATrackBringsTheThumbEdgeThere) {
  const struct {
    int x, y;
    int scrollX, scrollY;
  } cases[] = {
      {770, 589, 50, 0},   // track after the thumb: its right edge at 770
      {20, 589, -60, 0},   // track before: its left edge at 20
      {789, 20, 0, 55},    // upper track: its top edge at row 20
      {789, 570, 0, -45},  // lower track: its bottom edge at row 570
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
    StartAt(0, 0);
    MoveTo(c.x, c.y);
    EXPECT_FALSE(RightClick(c.x, c.y));
    EXPECT_EQ(std::pair(table.scrollX, table.scrollY), std::pair(c.scrollX, c.scrollY));
  }
  StartAt(0, 0);
  MoveTo(400, 589);  // on the thumb
  EXPECT_TRUE(RightClick(400, 589));
  EXPECT_EQ(table.scrollX, 0);
}

// A piece dragged to the window's border sets the edge flags, one step of
// scrolling per frame, as long as it stays there and the button is held.
TEST_F(PickingTest, APieceDraggedToTheBorderScrollsTheTableUntilItLeavesOrIsDropped) {
  state.imageWidth = 1000;
  state.imageHeight = 800;
  table.thumbW = 640;
  table.thumbH = 450;
  AddPiece(0.0f, 0.0f);
  Hover(0.0f, 0.0f);
  ASSERT_EQ(state.selected, 0);
  Press();
  MoveTo(-40, ClientY(0.0));  // beyond the border: taken as x = 0
  EXPECT_EQ(shell.cursorX, 0);
  EXPECT_TRUE(picking.edges.edgeScrollLeft);
  EXPECT_FALSE(picking.edges.edgeScrollRight || picking.edges.edgeScrollUp || picking.edges.edgeScrollDown);
  const float held = state.pieces[0].x;
  for (int frame = 0; frame < 4; ++frame)
    EdgeScrollStep(state, table, bars, picking.edges, shell.cursorX, shell.cursorY);
  EXPECT_EQ(table.scrollX, -4);
  EXPECT_EQ(state.pieces[0].x, held);  // the dragged piece stays under the pointer
  MoveTo(W - 1, 0);                    // the top-right corner
  EXPECT_TRUE(picking.edges.edgeScrollRight && picking.edges.edgeScrollUp);
  EXPECT_FALSE(picking.edges.edgeScrollDown);
  MoveTo(300, 200);  // off the border
  EXPECT_FALSE(picking.edges.edgeScrollLeft || picking.edges.edgeScrollRight || picking.edges.edgeScrollUp ||
               picking.edges.edgeScrollDown);
  MoveTo(0, 200);
  EXPECT_TRUE(picking.edges.edgeScrollLeft);
  Release();
  EXPECT_FALSE(picking.edges.edgeScrollLeft);
  MoveTo(0, 200);  // without the button nothing scrolls
  EXPECT_FALSE(picking.edges.edgeScrollLeft);
}

}  // namespace
}  // namespace puzzle
