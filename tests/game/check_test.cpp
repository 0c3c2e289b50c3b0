#include "game/check.h"

#include <gtest/gtest.h>

#include "game/play_fixture.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

using testing::RunningGame;

constexpr std::array<float, 9> TURNED_45{0.70710677f, 0.70710677f, 0, -0.70710677f, 0.70710677f, 0, 0, 0, 1};

struct CheckTest : ::testing::Test {
  testing::ScriptedPlatform platform;
  GameOptions options;
  std::optional<std::uint32_t> Check(GameState& state) {
    return puzzle::CheckPieces(state, options, platform);
  }
};

TEST_F(CheckTest, SettlesNearlyPlacedPiecesAndCongratulates) {
  GameState state = RunningGame(4, 3);
  // min(halfCellW, halfCellH) = 0.1 is the settling distance.
  state.pieces[0].x += 0.06f;
  state.pieces[0].y -= 0.07f;
  state.pieces[11].x -= 0.099f;
  state.rotationLeft = 45;  // a turn under way does not stop Check
  ASSERT_EQ(Check(state), 0u);
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    EXPECT_EQ(state.pieces[k].x, state.homeX[k]) << k;
    EXPECT_EQ(state.pieces[k].y, state.homeY[k]) << k;
  }
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Congratulations! \n It was a god game and you have won!");
  EXPECT_EQ(platform.shown[0].caption, "All right");
  EXPECT_EQ(platform.shown[0].owner, MessageOwner::None);
  EXPECT_FALSE(state.gameChanged);
}

TEST_F(CheckTest, CountsMisplacedTurnedAndSwappedPiecesWithATruncatedPercentage) {
  GameState state = RunningGame(7, 1);
  for (std::uint32_t k : {1u, 3u, 6u}) state.pieces[k].y += 0.5f;
  ASSERT_EQ(Check(state), 3u);
  EXPECT_EQ(platform.shown.at(0).text, "Total errors found: 3 или 42%.");
  EXPECT_EQ(platform.shown[0].caption, "Found out errors:");
  EXPECT_EQ(platform.shown[0].icon, MessageIcon::Information);

  // The three now lie beside the picture and still count; a turned piece on
  // its home is moved aside, not turned back.
  options.russianUi = true;
  state.pieces[2].orient = TURNED_45;
  ASSERT_EQ(Check(state), 4u);
  EXPECT_EQ(platform.shown.at(1).text, "Всего ошибок: 4 или 57%.");
  EXPECT_EQ(platform.shown[1].caption, "Найдено ошибок:");
  EXPECT_NE(state.pieces[2].x, state.homeX[2]);
  EXPECT_EQ(state.pieces[2].orient, TURNED_45);

  // Pieces 0 and 2 of a row of three swapped: mirror images across the
  // picture's centre line, both misplaced.
  state = RunningGame(3, 2);
  std::swap(state.pieces[0].x, state.pieces[2].x);
  EXPECT_EQ(Check(state), 2u);
}

TEST_F(CheckTest, ClearsMisplacedPiecesIntoRowsAndColumnsAroundThePicture) {
  GameState state = RunningGame(4, 4);  // halfPicW = halfPicH = 0.4, cells 0.1
  // Scrolled: the picture's centre lies at (-0.5, 0.25) on the table.
  state.viewOffsetX = 0.5f;
  state.viewOffsetY = -0.25f;
  const float at[8][2] = {{-0.9f, 0.0f}, {-0.8f, 0.1f},   // lower left
                          {0.0f, 0.0f},  {0.0f, 0.5f},    // lower right, upper right
                          {-1.0f, 0.6f}, {-0.95f, 0.7f},  // upper left
                          {0.2f, 0.6f},  {0.1f, -0.1f}};  // upper right, lower right
  for (std::size_t k = 0; k < 8; ++k) {
    state.pieces[k].x = at[k][0];
    state.pieces[k].y = at[k][1];
  }
  ASSERT_EQ(Check(state), 8u);
  const float left = -0.4f - 0.5f, right = 0.4f - 0.5f, bottom = -0.4f + 0.25f, top = 0.4f + 0.25f;
  const float expected[8][2] = {
      {left, bottom - 0.1f},      {left + 0.1f, bottom - 0.1f},  // under, rightwards from the left edge
      {right + 0.1f, bottom},     {right, top + 0.1f},           // right, upwards; above, leftwards
      {left - 0.1f, top},         {left - 0.1f, top - 0.1f},     // left, downwards from the top edge
      {right - 0.1f, top + 0.1f}, {right + 0.1f, bottom + 0.1f}};
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_FLOAT_EQ(state.pieces[k].x, expected[k][0]) << k;
    EXPECT_FLOAT_EQ(state.pieces[k].y, expected[k][1]) << k;
  }
  EXPECT_EQ(state.pieces[5].z, RestingDepth(5));
}

TEST_F(CheckTest, RefusedOutsidePlay) {
  for (bool GameState::*phase :
       {&GameState::scatterRunning, &GameState::settleRunning, &GameState::imageFresh}) {
    GameState state = RunningGame(3, 2);
    state.*phase = true;
    state.gameRunning = phase != &GameState::imageFresh;
    state.pieces[0].x = 5;
    EXPECT_FALSE(Check(state));
    EXPECT_EQ(state.pieces[0].x, 5.0f);
  }
  EXPECT_TRUE(platform.shown.empty());
}

TEST(Prompt, NeedsAPictureHoldsOneSecondThenFadesOut) {
  GameState state = RunningGame(3, 2);
  EXPECT_FALSE(ShowPrompt(state, 50));
  EXPECT_FALSE(state.promptShowing);
  state.frameTextures = {7, 8};
  state.selected = 4;
  state.pieces[4].z = 0.00001f - TABLE_DEPTH;  // raised as selected
  ASSERT_TRUE(ShowPrompt(state, 50));
  EXPECT_LT(state.pieces[0].z, -TABLE_DEPTH);
  EXPECT_EQ(state.pieces[4].z, RestingDepth(4));
  EXPECT_EQ(state.selected, 4);
  for (int frame = 0; frame < 50; ++frame) AdvancePrompt(state, 50);
  EXPECT_EQ(state.promptAlpha, 1.0f);
  AdvancePrompt(state, 50);
  EXPECT_LT(state.promptAlpha, 1.0f);
  // A second Prompt starts again from full opacity; 0.002 per frame after
  // the hold falls to 0.01 in about 495 frames.
  ASSERT_TRUE(ShowPrompt(state, 50));
  int frames = 0;
  for (; state.promptShowing && frames < 1000; ++frames) AdvancePrompt(state, 50);
  EXPECT_GE(frames, 540);
  EXPECT_LE(frames, 550);
  EXPECT_EQ(state.pieces[0].z, -TABLE_DEPTH);
  // Without a measured frame rate the fading waits.
  ASSERT_TRUE(ShowPrompt(state, 0));
  AdvancePrompt(state, 0);
  EXPECT_EQ(state.promptAlpha, 1.0f);
  AdvancePrompt(state, 60);
  EXPECT_LT(state.promptAlpha, 1.0f);
}

}  // namespace
}  // namespace puzzle
