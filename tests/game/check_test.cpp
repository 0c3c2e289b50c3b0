#include "game/check.h"

#include <gtest/gtest.h>

#include "game/play_fixture.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

using testing::RunningGame;
using testing::ScriptedPlatform;

constexpr std::array<float, 9> TURNED_45{0.70710677f, 0.70710677f, 0, -0.70710677f, 0.70710677f, 0, 0, 0, 1};

TEST(CheckPieces, SettlesNearlyPlacedPiecesAndCongratulates) {
  GameState state = RunningGame(4, 3);
  ScriptedPlatform platform;
  GameOptions options;
  // min(halfCellW, halfCellH) = 0.1 is the settling distance.
  state.pieces[0].x += 0.06f;
  state.pieces[0].y -= 0.07f;
  state.pieces[11].x -= 0.099f;
  state.rotationLeft = 45;  // a turn under way does not stop Check

  ASSERT_EQ(CheckPieces(state, options, platform), 0u);
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    EXPECT_EQ(state.pieces[k].x, state.homeX[k]) << k;
    EXPECT_EQ(state.pieces[k].y, state.homeY[k]) << k;
  }
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Congratulations! \n It was a god game and you have won!");
  EXPECT_EQ(platform.shown[0].caption, "All right");
  EXPECT_EQ(platform.shown[0].icon, MessageIcon::None);
  EXPECT_EQ(platform.shown[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(platform.shown[0].owner, MessageOwner::None);
  EXPECT_TRUE(state.gameRunning);
  EXPECT_FALSE(state.gameChanged);
}

TEST(CheckPieces, ReportsCountAndTruncatedPercentage) {
  GameState state = RunningGame(7, 1);
  ScriptedPlatform platform;
  GameOptions options;
  for (std::uint32_t k : {1u, 3u, 6u}) state.pieces[k].y += 0.5f;
  ASSERT_EQ(CheckPieces(state, options, platform), 3u);
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Total errors found: 3 или 42%.");
  EXPECT_EQ(platform.shown[0].caption, "Found out errors:");
  EXPECT_EQ(platform.shown[0].icon, MessageIcon::Information);

  // The three now lie beside the picture and still count.
  options.russianUi = true;
  state.pieces[2].orient = TURNED_45;
  ASSERT_EQ(CheckPieces(state, options, platform), 4u);
  EXPECT_EQ(platform.shown[1].text, "Всего ошибок: 4 или 57%.");
  EXPECT_EQ(platform.shown[1].caption, "Найдено ошибок:");
}

TEST(CheckPieces, ATurnedPieceOnItsHomeIsMisplaced) {
  GameState state = RunningGame(10, 10);
  ScriptedPlatform platform;
  const GameOptions options;
  state.pieces[55].orient = TURNED_45;
  ASSERT_EQ(CheckPieces(state, options, platform), 1u);
  EXPECT_EQ(platform.shown[0].text, "Total errors found: 1 или 1%.");
  EXPECT_NE(state.pieces[55].x, state.homeX[55]);
  EXPECT_EQ(state.pieces[55].orient, TURNED_45);  // moved aside, not turned back
}

TEST(CheckPieces, SwappedMirrorPiecesAreBothMisplaced) {
  // Pieces 0 and 2 of a row of three lie at each other's home, mirror images
  // across the picture's centre line.
  GameState state = RunningGame(3, 2);
  ScriptedPlatform platform;
  const GameOptions options;
  std::swap(state.pieces[0].x, state.pieces[2].x);
  EXPECT_EQ(CheckPieces(state, options, platform), 2u);
}

TEST(CheckPieces, ClearsMisplacedPiecesIntoRowsAndColumnsAroundThePicture) {
  GameState state = RunningGame(4, 4);  // halfPicW = halfPicH = 0.4, cells 0.1
  ScriptedPlatform platform;
  const GameOptions options;
  // Scrolled: the picture's centre lies at (-0.5, 0.25) on the table.
  state.viewOffsetX = 0.5f;
  state.viewOffsetY = -0.25f;
  auto place = [&](std::size_t k, float x, float y) {
    state.pieces[k].x = x;
    state.pieces[k].y = y;
  };
  place(0, -0.9f, 0.0f);   // lower left
  place(1, -0.8f, 0.1f);   // lower left
  place(2, 0.0f, 0.0f);    // lower right
  place(3, 0.0f, 0.5f);    // upper right
  place(4, -1.0f, 0.6f);   // upper left
  place(5, -0.95f, 0.7f);  // upper left
  place(6, 0.2f, 0.6f);    // upper right
  place(7, 0.1f, -0.1f);   // lower right
  ASSERT_EQ(CheckPieces(state, options, platform), 8u);

  const float left = -0.4f - 0.5f;  // picture edges on the table
  const float right = 0.4f - 0.5f;
  const float bottom = -0.4f + 0.25f;
  const float top = 0.4f + 0.25f;
  // Under the picture, from its left edge rightwards, half a cell apart.
  EXPECT_FLOAT_EQ(state.pieces[0].x, left);
  EXPECT_FLOAT_EQ(state.pieces[1].x, left + 0.1f);
  EXPECT_FLOAT_EQ(state.pieces[0].y, bottom - 0.1f);
  EXPECT_FLOAT_EQ(state.pieces[1].y, bottom - 0.1f);
  // Right of the picture, from its bottom edge upwards.
  EXPECT_FLOAT_EQ(state.pieces[2].x, right + 0.1f);
  EXPECT_FLOAT_EQ(state.pieces[2].y, bottom);
  EXPECT_FLOAT_EQ(state.pieces[7].x, right + 0.1f);
  EXPECT_FLOAT_EQ(state.pieces[7].y, bottom + 0.1f);
  // Above the picture, from its right edge leftwards.
  EXPECT_FLOAT_EQ(state.pieces[3].x, right);
  EXPECT_FLOAT_EQ(state.pieces[6].x, right - 0.1f);
  EXPECT_FLOAT_EQ(state.pieces[3].y, top + 0.1f);
  // Left of the picture, from its top edge downwards.
  EXPECT_FLOAT_EQ(state.pieces[4].x, left - 0.1f);
  EXPECT_FLOAT_EQ(state.pieces[4].y, top);
  EXPECT_FLOAT_EQ(state.pieces[5].y, top - 0.1f);
  // Depths stay as they were.
  EXPECT_EQ(state.pieces[5].z, RestingDepth(5));
}

TEST(CheckPieces, RefusedOutsidePlay) {
  ScriptedPlatform platform;
  const GameOptions options;
  GameState idle = RunningGame(3, 2);
  idle.gameRunning = false;
  idle.pieces[0].x = 5;
  EXPECT_FALSE(CheckPieces(idle, options, platform));
  GameState scattering = RunningGame(3, 2);
  scattering.scatterRunning = true;
  EXPECT_FALSE(CheckPieces(scattering, options, platform));
  GameState settling = RunningGame(3, 2);
  settling.settleRunning = true;
  EXPECT_FALSE(CheckPieces(settling, options, platform));
  EXPECT_TRUE(platform.shown.empty());
  EXPECT_EQ(idle.pieces[0].x, 5.0f);
}

TEST(Prompt, NeedsAPictureTexture) {
  GameState state = RunningGame(3, 2);
  EXPECT_FALSE(ShowPrompt(state, 50));
  EXPECT_FALSE(state.promptShowing);
  state.frameTextures = {7, 8};
  EXPECT_TRUE(ShowPrompt(state, 50));
}

TEST(Prompt, HoldsOneSecondThenFadesOut) {
  GameState state = RunningGame(3, 2);
  state.stillTexture = 3;
  state.selected = 4;
  state.pieces[4].z = 0.00001f - TABLE_DEPTH;  // raised as selected
  ASSERT_TRUE(ShowPrompt(state, 50));
  EXPECT_TRUE(state.promptShowing);
  EXPECT_EQ(state.promptAlpha, 1.0f);
  EXPECT_EQ(state.promptHold, 50.0f);
  EXPECT_LT(state.pieces[0].z, -TABLE_DEPTH);
  EXPECT_EQ(state.pieces[4].z, RestingDepth(4));
  EXPECT_EQ(state.selected, 4);

  for (int frame = 0; frame < 50; ++frame) AdvancePrompt(state, 50);
  EXPECT_EQ(state.promptAlpha, 1.0f);
  AdvancePrompt(state, 50);
  EXPECT_LT(state.promptAlpha, 1.0f);

  // A second Prompt starts again from full opacity.
  ASSERT_TRUE(ShowPrompt(state, 50));
  EXPECT_EQ(state.promptAlpha, 1.0f);
  EXPECT_EQ(state.promptHold, 50.0f);

  // 0.002 per frame after the hold: about 495 frames to fall to 0.01.
  int frames = 0;
  while (state.promptShowing && frames < 1000) {
    AdvancePrompt(state, 50);
    ++frames;
  }
  EXPECT_GE(frames, 540);
  EXPECT_LE(frames, 550);
  EXPECT_LE(state.promptAlpha, 0.01f);
  EXPECT_EQ(state.pieces[0].z, -TABLE_DEPTH);
  const float alpha = state.promptAlpha;
  AdvancePrompt(state, 50);
  EXPECT_EQ(state.promptAlpha, alpha);
}

TEST(Prompt, WaitsForAMeasuredFrameRate) {
  GameState state = RunningGame(3, 2);
  state.stillTexture = 3;
  ASSERT_TRUE(ShowPrompt(state, 0));
  AdvancePrompt(state, 0);
  EXPECT_TRUE(state.promptShowing);
  EXPECT_EQ(state.promptAlpha, 1.0f);
  AdvancePrompt(state, 60);
  EXPECT_LT(state.promptAlpha, 1.0f);
  EXPECT_TRUE(state.promptShowing);
}

}  // namespace
}  // namespace puzzle
