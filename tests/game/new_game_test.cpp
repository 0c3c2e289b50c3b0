#include "game/new_game.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/texts.h"
#include "support/fake_graphics_port.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

using testing::FakeGraphicsPort;
using testing::ScriptedPlatform;

class StartTest : public ::testing::Test {
 protected:
  StartTest() {
    state.clientWidth = 800;
    state.clientHeight = 600;
    state.maxTextureSize = 2048;
    state.pixelScale = 1.0 / 600.0;
    graphics.watchedPlatform = &platform;
  }

  void LoadPicture(int w, int h) {
    state.imageWidth = w;
    state.imageHeight = h;
    state.pixels.assign(static_cast<std::size_t>(w) * h * 4, 0x40);
    state.imageFresh = true;
    state.gameRunning = false;
    state.stillTexture = 0;
  }

  bool Start() { return StartCommand(state, options, platform, graphics, bars, shell); }

  const Message& LastMessage() const { return platform.shown.back(); }

  GameState state;
  GameOptions options;
  ScriptedPlatform platform;
  FakeGraphicsPort graphics;
  ScrollBars bars;
  ShellInput shell;
};

TEST_F(StartTest, PicturesFrom32PixelsUpToTheTextureSizeAreAccepted) {
  LoadPicture(32, 32);
  EXPECT_TRUE(Start());
  EXPECT_TRUE(platform.shown.empty());

  LoadPicture(2048, 100);
  EXPECT_TRUE(Start());
  EXPECT_TRUE(platform.shown.empty());
  EXPECT_EQ(graphics.uploads, 2);
}

TEST_F(StartTest, PicturesOutsideTheLimitsAreRefusedWithTheirMessage) {
  LoadPicture(31, 100);
  EXPECT_FALSE(Start());
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(LastMessage().text, texts::IMAGE_TOO_SMALL.en);
  EXPECT_EQ(LastMessage().caption, "Error");
  EXPECT_EQ(LastMessage().buttons, MessageButtons::Ok);

  LoadPicture(100, 2049);
  EXPECT_FALSE(Start());
  ASSERT_EQ(platform.shown.size(), 2u);
  EXPECT_NE(LastMessage().text.find("should not exceed 2048 px."), std::string::npos);
  EXPECT_EQ(LastMessage().caption, "ERROR");

  options.russianUi = true;
  EXPECT_FALSE(Start());
  EXPECT_NE(LastMessage().text.find("не должна превышать 2048 px."), std::string::npos);

  EXPECT_EQ(graphics.uploads, 0);
  EXPECT_FALSE(state.gameRunning);
  EXPECT_TRUE(state.imageFresh);
}

TEST_F(StartTest, RowsFollowCellsOfAboutSquareShape) {
  LoadPicture(640, 480);
  ASSERT_TRUE(Start());
  EXPECT_EQ(state.rows, 9u);  // cells of 53 px
  EXPECT_EQ(state.pieceCount, 108u);
  EXPECT_EQ(state.pieces.size(), 108u);
  EXPECT_EQ(state.scatterVX.size(), 108u);
  EXPECT_EQ(state.angles.size(), 108u);

  LoadPicture(640, 40);
  ASSERT_TRUE(Start());
  EXPECT_EQ(state.rows, 2u);
  EXPECT_EQ(state.pieceCount, 24u);
}

TEST_F(StartTest, EveryPieceStartsOnItsHomeStackedByIndex) {
  LoadPicture(320, 320);
  options.columns = 10;
  ASSERT_TRUE(Start());
  ASSERT_EQ(state.pieceCount, 100u);
  EXPECT_FLOAT_EQ(state.pieces[0].z, -5.70463f);
  EXPECT_FLOAT_EQ(state.pieces[99].z, -5.704729f);
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    EXPECT_EQ(state.pieces[k].x, state.homeX[k]);
    EXPECT_EQ(state.pieces[k].y, state.homeY[k]);
    EXPECT_EQ(state.pieces[k].orient, IDENTITY_ORIENT);
    EXPECT_EQ(state.angles[k], 0.0f);
  }
  // Form 1: the first cell's centre lies half a cell inside the corner.
  EXPECT_FLOAT_EQ(state.homeX[0], state.halfCellW - state.halfPicW);
  EXPECT_FLOAT_EQ(state.homeY[99], state.halfPicH - state.halfCellH);
}

TEST_F(StartTest, TenThousandPiecesAreTheLimit) {
  LoadPicture(1000, 1000);
  options.columns = 100;  // cells of 10 px, 100 rows
  ASSERT_TRUE(Start());
  EXPECT_EQ(state.pieceCount, 10000u);
  EXPECT_TRUE(platform.shown.empty());
}

TEST_F(StartTest, TooManyPiecesLeaveTheRunningGameAsItWas) {
  LoadPicture(1000, 1000);
  options.columns = 12;
  ASSERT_TRUE(Start());
  state.pieces[5].x = 0.25f;
  state.selected = 5;
  const GameState before = state;

  options.pendingColumns = 101;  // cells of 9 px: 111 rows, 11 211 pieces
  platform.answers.push_back(MessageAnswer::Yes);
  EXPECT_FALSE(Start());
  ASSERT_EQ(platform.shown.size(), 2u);
  EXPECT_EQ(LastMessage().text, texts::TOO_MANY_PIECES.en);
  EXPECT_EQ(LastMessage().caption, "ERROR");
  EXPECT_EQ(LastMessage().icon, MessageIcon::Stop);

  EXPECT_TRUE(state.gameRunning);
  EXPECT_EQ(state.pieceCount, before.pieceCount);
  EXPECT_EQ(state.rows, before.rows);
  EXPECT_EQ(options.columns, 12u);
  EXPECT_EQ(options.pendingColumns, 101u);
  EXPECT_EQ(state.pieces[5].x, 0.25f);
  EXPECT_EQ(state.selected, 5);
  EXPECT_EQ(state.homeX, before.homeX);
}

TEST_F(StartTest, MoreColumnsThanPixelsAreRefusedNamingTheWidth) {
  LoadPicture(40, 300);
  options.pendingColumns = 41;
  EXPECT_FALSE(Start());
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_NE(LastMessage().text.find("(40 px)"), std::string::npos);
  EXPECT_EQ(LastMessage().caption, "ERROR");
  EXPECT_FALSE(state.gameRunning);
  EXPECT_EQ(state.pieceCount, 0u);

  // The width itself is still a grid (cells of one pixel, 300 rows), and too
  // large a one.
  options.pendingColumns = 40;
  platform.answers.push_back(MessageAnswer::Yes);
  EXPECT_FALSE(Start());
  EXPECT_EQ(LastMessage().text, texts::TOO_MANY_PIECES.en);
}

TEST_F(StartTest, PendingColumnsAreTakenOverOnSuccess) {
  LoadPicture(640, 480);
  options.pendingColumns = 4;
  ASSERT_TRUE(Start());
  EXPECT_EQ(options.columns, 4u);
  EXPECT_EQ(options.pendingColumns, 0u);
  EXPECT_EQ(state.rows, 3u);  // cells of 160 px
}

TEST_F(StartTest, RestartDeclinedLeavesTheGameUntouched) {
  LoadPicture(640, 480);
  ASSERT_TRUE(Start());
  state.scatterRunning = false;
  state.pieces[3].x = 1.5f;
  state.gameChanged = false;

  platform.answers.push_back(MessageAnswer::No);
  EXPECT_FALSE(Start());
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(LastMessage().text, "Restart this game?");
  EXPECT_EQ(LastMessage().caption, "Restart or not restart: that is the question...");
  EXPECT_EQ(LastMessage().buttons, MessageButtons::YesNo);
  EXPECT_EQ(LastMessage().icon, MessageIcon::Question);
  EXPECT_EQ(state.pieces[3].x, 1.5f);
  EXPECT_FALSE(state.scatterRunning);
  EXPECT_FALSE(state.gameChanged);
  EXPECT_EQ(graphics.builds, 1);
}

TEST_F(StartTest, RestartRebuildsFromTheTexturesWithoutSizeChecks) {
  LoadPicture(640, 480);
  ASSERT_TRUE(Start());
  ASSERT_TRUE(state.pixels.empty());
  state.pieces[3].x = 1.5f;
  state.rotationLeft = 45;
  state.maxTextureSize = 64;  // the picture would no longer pass the checks

  platform.answers.push_back(MessageAnswer::Yes);
  ASSERT_TRUE(Start());
  EXPECT_EQ(graphics.uploads, 1);
  EXPECT_EQ(graphics.builds, 2);
  EXPECT_EQ(state.pieces[3].x, state.homeX[3]);
  EXPECT_EQ(state.rotationLeft, 0.0f);
  EXPECT_TRUE(state.scatterRunning);
}

TEST_F(StartTest, SuccessfulStartRunsTheGameAndDropsThePicture) {
  LoadPicture(640, 480);
  options.angleStep = 9;
  ASSERT_TRUE(Start());
  EXPECT_TRUE(state.gameRunning);
  EXPECT_TRUE(state.scatterRunning);
  EXPECT_TRUE(state.scatterClockReset);
  EXPECT_TRUE(state.gameChanged);
  EXPECT_FALSE(state.imageFresh);
  EXPECT_TRUE(state.pixels.empty());
  EXPECT_FALSE(state.capturedImage);
  EXPECT_FLOAT_EQ(options.angleStepRad, 9 * 0.017453292519943295f);
}

TEST_F(StartTest, WaitCursorShowsDuringTheUploadAndFailuresEndTheGame) {
  LoadPicture(640, 480);
  ASSERT_TRUE(Start());
  EXPECT_EQ(graphics.cursorDuringUpload, CursorShape::Wait);
  EXPECT_EQ(platform.cursor, CursorShape::Arrow);

  // A failure while building leaves no playable game, and the cursor back.
  graphics.buildSucceeds = false;
  platform.answers.push_back(MessageAnswer::Yes);
  EXPECT_FALSE(Start());
  EXPECT_FALSE(state.gameRunning);
  EXPECT_EQ(platform.shown.size(), 1u);  // only the restart question

  LoadPicture(640, 480);
  EXPECT_FALSE(Start());
  EXPECT_EQ(graphics.cursorDuringUpload, CursorShape::Wait);
  EXPECT_EQ(platform.cursor, CursorShape::Arrow);
}

TEST_F(StartTest, ScatterSpeedSignFollowsTheParityAfterRaising) {
  EXPECT_FLOAT_EQ(ScatterSpeed(7), 0.0033f);  // 7 becomes 22
  EXPECT_FLOAT_EQ(ScatterSpeed(41), -0.00615f);
  EXPECT_FLOAT_EQ(ScatterSpeed(0), -0.00225f);   // 15, odd
  EXPECT_FLOAT_EQ(ScatterSpeed(14), -0.00435f);  // 29
  EXPECT_FLOAT_EQ(ScatterSpeed(15), -0.00225f);
  EXPECT_FLOAT_EQ(ScatterSpeed(98), 0.0147f);
  EXPECT_FLOAT_EQ(ScatterSpeed(99), -0.01485f);
}

TEST_F(StartTest, VelocitiesAreDrawnFromTheClockTwoPerPiece) {
  LoadPicture(640, 480);
  platform.tick = 987654;
  ASSERT_TRUE(Start());
  std::srand(987654);
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    const int a = std::rand() % 100;
    const int b = std::rand() % 100;
    ASSERT_EQ(state.scatterVX[k], ScatterSpeed(a)) << k;
    ASSERT_EQ(state.scatterVY[k], ScatterSpeed(b)) << k;
  }
}

TEST_F(StartTest, LargePictureGetsScrollRoomAndThumbs) {
  LoadPicture(1600, 1200);
  state.scrollX = 40;
  ASSERT_TRUE(Start());
  // Cells of 133 px: 9 rows; one cell height plus one cell width of room.
  EXPECT_EQ(state.scrollMarginX, 1200 / 9 + 1600 / 12);
  EXPECT_EQ(state.scrollMarginY, state.scrollMarginX);
  EXPECT_EQ(state.thumbW, 800 * 800 / (1600 + 266));
  EXPECT_EQ(state.thumbH, 600 * 600 / (1200 + 266));
  EXPECT_EQ(state.scrollX, 0);
  EXPECT_EQ(state.viewOffsetX, 0.0f);

  LoadPicture(640, 480);
  ASSERT_TRUE(Start());
  EXPECT_EQ(state.scrollMarginX, 0);
  EXPECT_EQ(state.scrollMarginY, 0);
}

TEST_F(StartTest, NothingLoadedPlaysOnACaptureOfTheWindow) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(graphics.captures, 1);
  EXPECT_TRUE(state.capturedImage);
  EXPECT_EQ(state.imageWidth, 800);
  EXPECT_EQ(state.imageHeight, 600);
  EXPECT_TRUE(state.gameRunning);
  EXPECT_TRUE(platform.shown.empty());

  // A restart keeps it a game that cannot be saved.
  platform.answers.push_back(MessageAnswer::Yes);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(state.capturedImage);
  EXPECT_EQ(graphics.captures, 1);
}

TEST_F(StartTest, CaptureNeedsTheBrandedBackgroundAndAUsableWindow) {
  options.brandedBackground = false;
  EXPECT_FALSE(Start());
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(LastMessage().text, "First you have to load an image.");
  EXPECT_EQ(LastMessage().caption, "Error");

  options.brandedBackground = true;
  state.clientWidth = 32;
  EXPECT_FALSE(Start());
  state.clientWidth = 2048;
  EXPECT_FALSE(Start());
  EXPECT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(graphics.captures, 0);

  state.clientWidth = 800;
  graphics.captureSucceeds = false;
  EXPECT_FALSE(Start());
  EXPECT_EQ(state.imageWidth, 0);
  EXPECT_FALSE(state.capturedImage);
  EXPECT_EQ(platform.shown.size(), 1u);
}

}  // namespace
}  // namespace puzzle
