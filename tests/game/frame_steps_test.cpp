#include "game/frame_steps.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>
#include <utility>

#include "storage/image_loader.h"

namespace puzzle {
namespace {

TEST(FrameTimingTest, RateFollowsTheTickAndSurvivesTheSameMillisecondAndWrapAround) {
  FrameTiming timing;
  AdvanceFrameTiming(timing, 1000);
  AdvanceFrameTiming(timing, 1020);
  EXPECT_FLOAT_EQ(timing.framesPerSecond, 50.0f);
  AdvanceFrameTiming(timing, 1020);
  EXPECT_EQ(std::pair(timing.framesPerSecond, timing.previousFrameTick), std::pair(50.0f, 1020u));

  timing.frameTick = 0xFFFFFFF6u;
  AdvanceFrameTiming(timing, 0);  // 10 ms across the wrap
  EXPECT_FLOAT_EQ(timing.framesPerSecond, 100.0f);
}

TEST(FrameTimingTest, AnimatedPictureShowsEachFrameLongerThanItsDelay) {
  GameState state;
  TableView table;
  state.frameCount = 3;
  state.frameDelays = {100, 200, 300};
  FrameTiming timing;
  std::uint32_t tick = 5000;
  AdvanceFrameTiming(timing, tick);
  timing.frameElapsed = 0;
  timing.frameIndex = 0;

  // Frames of 10 ms: a frame changes in the frame its time exceeds the delay.
  auto framesUntilChange = [&] {
    const std::int32_t start = timing.frameIndex;
    int frames = 0;
    for (; timing.frameIndex == start && frames < 1000; ++frames) {
      tick += 10;
      AdvanceFrameTiming(timing, tick);
      AdvanceAnimatedPicture(timing, state);
    }
    return frames;
  };
  for (std::int32_t frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(framesUntilChange(), state.frameDelays[static_cast<std::size_t>(frame)] / 10 + 1);
    EXPECT_EQ(timing.frameIndex, (frame + 1) % 3);
  }
  EXPECT_EQ(timing.frameElapsed, 0u);

  // A frame index left over from a longer or an animated picture starts
  // again at zero.
  for (const auto& [frames, index] : {std::pair{3, 4}, {1, 1}}) {
    state.frameCount = frames;
    timing.frameIndex = index;
    AdvanceAnimatedPicture(timing, state);
    EXPECT_EQ(timing.frameIndex, 0) << frames;
  }
}

TEST(FrameTimingTest, CaptionNeedsTheTimeOf5000FramesWithoutPointerMovesUnlessBranded) {
  GameOptions options;
  options.brandedBackground = false;
  FrameTiming timing;
  EXPECT_TRUE(IdleCaptionDue(timing, options, 10));  // shown from start-up
  timing.pointerMovedAt = 0xFFFFFF00u;               // the pointer moved; the tick wraps meanwhile
  EXPECT_FALSE(IdleCaptionDue(timing, options, 0xFFFFFF00u + 83333u));
  EXPECT_TRUE(IdleCaptionDue(timing, options, 0xFFFFFF00u + 83334u));
  options.brandedBackground = true;
  EXPECT_TRUE(IdleCaptionDue(timing, options, 0xFFFFFF00u));
}

// What the last frame says of the next: nothing at rest, at once while
// something moves, later for the background alone, an animated picture's next
// frame, the caption's return and what the frame's own end changed; and the steps the time between frames
// holds.
TEST(FrameTimingTest, NextFrameComesOnlyWhenThePictureChangesAndStepsFollowTheTime) {
  GameState state;
  GameOptions options;
  ViewSetup view;
  TableView table;
  ScrollBars bars;
  ShellInput shell;
  EdgeScrollFlags edges;
  FrameTiming timing;
  FrameRecords records{state, options, view, table, bars, shell, edges, timing};
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::optional<std::uint32_t> delay;
  };
  const Case cases[] = {
      {"at rest", [] {}, std::nullopt},
      {"scatter", [&] { state.scatterRunning = true; }, 0u},
      {"background alone", [&] { options.brandedBackground = true; }, BACKGROUND_FRAME_MS},
      {"animated picture",
       [&] {
         state.gameRunning = true;
         state.frameCount = 2;
         state.frameDelays = {100, 100};
         timing.frameElapsed = 30;
       },
       71u},
      {"caption to return", [&] { timing.pointerMovedAt = 1000; }, CAPTION_IDLE_MS - 500 + 1},
      // The frame that ends the hint was drawn with its piece still behind.
      {"hint ended after the frame was drawn",
       [&] {
         state.gameRunning = true;
         state.promptShowing = true;
         state.promptAlpha = 0.005f;
         FinishFrame(records, 1500);
       },
       0u},
      {"settle ended after the frame was drawn",
       [&] {
         state.gameRunning = true;
         state.settleRunning = true;
         FinishFrame(records, 1500);
       },
       0u},
  };
  for (const Case& c : cases) {
    state = GameState{};
    options.brandedBackground = false;
    timing = FrameTiming{};
    timing.captionDue = false;
    c.arrange();
    EXPECT_EQ(NextFrameDelay(records, 1500), c.delay) << c.what;
  }

  // After a rest one step; then as many as the time holds, at least one.
  timing = FrameTiming{};
  timing.moving = false;
  AdvanceFrameTiming(timing, 10000);
  EXPECT_EQ(timing.stepsDue, 1);
  timing.moving = true;
  for (const auto& [elapsed, steps] :
       {std::pair{50u, 3}, {10u, 1}, {25u, 1}, {25u, 2}, {5000u, MAX_STEPS_PER_FRAME}}) {
    AdvanceFrameTiming(timing, timing.frameTick + elapsed);
    EXPECT_EQ(timing.stepsDue, steps) << elapsed;
  }
}

class TurnTest : public ::testing::Test {
 protected:
  GameState state;
  TableView table;
  GameOptions options;

  void SetUp() override {
    state.pieces.resize(2);
    state.selected = 1;
  }
  void UseStep(float degrees) {
    options.angleStep = degrees;
    options.angleStepRad = AngleStepToRadians(degrees);
  }
  int FramesToFinish() {
    int frames = 0;
    for (; state.rotationLeft != 0.0f && frames < 10000; ++frames) AdvanceTurn(state, options);
    return frames;
  }
};

TEST_F(TurnTest, TurnsTakeOneStepAFrameAboutTheirAxisAndEndSnapped) {
  const struct {
    float degrees, step;
    bool GameState::*flag;
    int frames;
    std::array<float, 9> orient;
  } cases[] = {
      // The x axis ends pointing down the table, the y axis right; exactly.
      {-90, 3, &GameState::turnInPlane, 30, {0, -1, 0, 1, 0, 0, 0, 0, 1}},
      {180, 45, &GameState::flipAboutVertical, 4, {-1, 0, 0, 0, 1, 0, 0, 0, -1}},
      {180, 45, &GameState::flipAboutHorizontal, 4, {1, 0, 0, 0, -1, 0, 0, 0, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.frames);
    state.pieces[1].orient = IDENTITY_ORIENT;
    UseStep(c.step);
    state.rotationLeft = c.degrees;
    state.*c.flag = true;
    EXPECT_EQ(std::tuple(FramesToFinish(), state.*c.flag, state.pieces[1].orient, state.pieces[0].orient),
              std::tuple(c.frames, false, c.orient, IDENTITY_ORIENT));
  }
}

TEST_F(TurnTest, PendingTurnWaitsForASelectedPieceAndEndsAtZeroWhenTheStepChanges) {
  UseStep(0.5f);
  state.rotationLeft = 45.0f;
  state.turnInPlane = true;
  state.selected = -1;
  AdvanceTurn(state, options);
  EXPECT_EQ(state.rotationLeft, 45.0f);
  state.selected = 1;
  for (int i = 0; i < 3; ++i) AdvanceTurn(state, options);  // 43.5 left
  UseStep(9.0f);
  EXPECT_EQ(std::tuple(FramesToFinish(), state.turnInPlane, state.pieces[0].orient),
            std::tuple(5, false, IDENTITY_ORIENT));
  EXPECT_FLOAT_EQ(state.pieces[1].orient[0], 0.70710677f);
}

// Where the fresh picture is drawn is checked on the screen by the frame
// renderer's test; these are the limits it cannot see.
TEST(PreviewTest, ShownPartStaysInsideThePictureAndItsCurrentFrame) {
  GameState state;
  TableView table;
  ScrollBars bars;
  FrameTiming timing;
  table.clientWidth = 800;
  table.clientHeight = 600;
  auto picture = [&](int w, int h, int frames) {
    state.imageWidth = w;
    state.imageHeight = h;
    state.frameCount = frames;
    // The first frame and empty changes.
    state.pixels.assign(static_cast<std::size_t>(w) * h * 4 + (frames - 1) * FRAME_CHANGE_HEADER, 0);
    state.imageFresh = true;
  };
  picture(1000, 800, 1);
  // Stale skips from an earlier picture never reach outside this one.
  bars.previewSkipX = 5000;
  bars.previewSkipY = -3;
  auto p = PlacePreview(state, table, bars, timing);
  ASSERT_TRUE(p);
  EXPECT_EQ(std::tie(p->skipColumns, p->columns, p->skipRows, p->rows), std::tuple(200, 800, 0, 600));
  state.imageFresh = false;
  EXPECT_FALSE(PlacePreview(state, table, bars, timing));

  // An animation is shown from the frame composed for it, and only that.
  picture(10, 10, 3);
  timing.frameIndex = 2;
  EXPECT_FALSE(PlacePreview(state, table, bars, timing));
  state.pixels[399] = 7;
  ComposePreviewFrame(state, 2);
  p = PlacePreview(state, table, bars, timing);
  ASSERT_TRUE(p);
  EXPECT_EQ(std::pair(p->pixels, state.shownFrame[399]),
            std::pair(static_cast<const std::uint8_t*>(state.shownFrame.data()), std::uint8_t{7}));
  state.pixels.resize(state.pixels.size() - 3);  // the last change cut short
  ComposePreviewFrame(state, 1);
  EXPECT_FALSE(PlacePreview(state, table, bars, timing));
}

}  // namespace
}  // namespace puzzle
