#include "game/scatter.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "model/orientation.h"

namespace puzzle {
namespace {

constexpr float D = 0.70710677f;

const TableView table{.clientWidth = 800, .clientHeight = 600};

// An 800 x 600 window showing a picture of the given size, with pieces at
// the centre of the table.
GameState MakeState(std::uint32_t pieces, std::int32_t imageWidth, std::int32_t imageHeight) {
  GameState state;
  state.imageWidth = imageWidth;
  state.imageHeight = imageHeight;
  state.halfPicW = 0.5f;
  state.halfPicH = 0.4f;
  state.halfCellW = 0.1f;
  state.halfCellH = 0.08f;
  state.pieceCount = pieces;
  state.pieces.resize(pieces);
  state.angles = state.scatterVX = state.scatterVY = std::vector<float>(pieces, 0.0f);
  return state;
}

GameOptions Options(bool rotate, bool threeD) {
  GameOptions options;
  options.gameRotate = rotate;
  options.game3D = threeD;
  options.angleStep = 3;
  options.angleStepRad = AngleStepToRadians(3);
  return options;
}

TEST(ScatterTest, PiecesBounceAtTheEdgesOfTheBox) {
  // Half the visible table, less half a cell.
  const auto visible = [](double pixels) {
    return static_cast<float>(pixels / 600.0 * TABLE_DEPTH / NEAR_PLANE);
  };
  const float roamX = visible(800) - 0.1f;
  const float roamY = visible(600) - 0.08f;
  const struct {
    std::int32_t w, h;
    float boxX, boxY;
  } cases[] = {{400, 300, roamX, roamY},
               {400, 600, roamX, 0.4f - 0.08f},
               {800, 300, 0.5f, roamY},
               {1000, 700, 0.5f, 0.4f}};
  for (const auto& c : cases) {
    GameState state = MakeState(2, c.w, c.h);
    state.pieces[0].x = c.boxX - 0.005f;
    state.scatterVX[0] = 0.01f;
    state.scatterVY[0] = 0.001f;
    // The second piece runs far out towards the lower left in one frame.
    state.scatterVX[1] = state.scatterVY[1] = -100;
    ScatterStep(state, table, Options(false, false), 0);
    SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h);
    EXPECT_EQ(std::make_tuple(state.pieces[0].x, state.pieces[0].y, state.scatterVX[0], state.scatterVY[0]),
              std::make_tuple(c.boxX, 0.001f, -0.01f, 0.001f));
    EXPECT_EQ(std::make_tuple(state.pieces[1].x, state.pieces[1].y, state.scatterVX[1], state.scatterVY[1]),
              std::make_tuple(-c.boxX, -c.boxY, 100.0f, 100.0f));
  }
}

TEST(ScatterTest, WithoutRotationsNothingTurns) {
  GameState state = MakeState(3, 400, 300);
  state.scatterVX = {0.05f, 0.1f, 0.15f};
  state.scatterVY = {-0.07f, -0.07f, -0.07f};
  for (std::uint32_t frame = 0; frame < 500; ++frame) ScatterStep(state, table, Options(false, true), frame);
  EXPECT_EQ(state.angles, std::vector<float>(3, 0.0f));
  for (const PiecePose& pose : state.pieces) EXPECT_EQ(pose.orient, IDENTITY_ORIENT);
}

TEST(ScatterTest, ACornerBounceDrawsOneSpinFromTheTickAndStartsIt) {
  GameState state = MakeState(1, 400, 300);
  state.scatterVX[0] = state.scatterVY[0] = 100;
  ScatterStep(state, table, Options(true, false), 42);
  EXPECT_EQ(state.angles[0], 87.0f);
  state.angles[0] = 0;
  state.pieces[0] = PiecePose{};
  ScatterStep(state, table, Options(true, true), 9);  // with 3D the draw of 180 flips
  EXPECT_EQ(state.angles[0], -177.0f);
  // Turned about the vertical axis.
  EXPECT_TRUE(state.pieces[0].orient[0] < 1.0f && state.pieces[0].orient[4] == 1.0f);
}

TEST(ScatterTest, SpinsTakeTheirFramesAndEndTurnedBySameAngle) {
  const struct {
    float angle;
    int frames;
    std::array<float, 9> orient;
  } cases[] = {{90, 30, {0, 1, 0, -1, 0, 0, 0, 0, 1}},
               {270, 30, {0, -1, 0, 1, 0, 0, 0, 0, 1}},
               {315, 15, {D, -D, 0, D, D, 0, 0, 0, 1}},
               {180, 60, {-1, 0, 0, 0, -1, 0, 0, 0, 1}},
               {-180, 60, {-1, 0, 0, 0, 1, 0, 0, 0, -1}}};  // the 3D flip leaves it face down
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    GameState state = MakeState(1, 400, 300);
    state.angles[0] = c.angle;
    int frames = 0;
    for (; state.angles[0] != 0.0f && frames < 1000; ++frames) SpinStep(state, Options(true, true), 0);
    SnapOrientation(state.pieces[0]);
    EXPECT_EQ(std::tie(frames, state.pieces[0].orient), std::tie(c.frames, c.orient));
  }
}

TEST(ScatterTest, ScatterStopsAfterItsTimeAcrossTheTickWrapThenSettles) {
  GameState state = MakeState(1, 400, 300);
  GameOptions options = Options(false, false);
  options.scatterSeconds = 2;
  state.scatterVX[0] = 0.001f;
  state.angles[0] = 90;  // a spin left over from the scatter
  state.scatterRunning = state.scatterClockReset = true;
  const std::uint32_t start = 0xFFFFFF00u;
  AdvanceScatter(state, table, options, start);
  AdvanceScatter(state, table, options, start + 2000u);
  EXPECT_TRUE(state.scatterRunning);
  EXPECT_EQ(state.pieces[0].x, 0.002f);
  AdvanceScatter(state, table, options, start + 2001u);
  EXPECT_TRUE(!state.scatterRunning && state.settleRunning && state.scatterClockReset);
  EXPECT_EQ(state.angles[0], 87.0f);  // the first settle step ran in the same frame
  const float stoppedAt = state.pieces[0].x;
  int frames = 1;
  for (; state.settleRunning && frames < 100; ++frames)
    AdvanceScatter(state, table, options, start + 2001u + 20u * static_cast<std::uint32_t>(frames));
  EXPECT_EQ(std::make_pair(frames, state.pieces[0].x), std::make_pair(31, stoppedAt));
  EXPECT_EQ(state.pieces[0].orient, (std::array<float, 9>{0, 1, 0, -1, 0, 0, 0, 0, 1}));
}

}  // namespace
}  // namespace puzzle
