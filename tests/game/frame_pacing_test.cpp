#include "game/frame_pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace puzzle {
namespace {

// A window that asks for a frame every askEveryMs (1: as fast as it can) on
// a clock stepped by one millisecond; a frame asked for is drawn as soon as
// the pacer lets it. Returns the draw times.
std::vector<int> DrawTimes(int askEveryMs, int untilMs, int pauseFrom = -1, int pauseTo = -1) {
  FramePacer pacer;
  std::vector<int> drawn;
  int askedAt = 0;
  bool waiting = true;
  for (int now = 0; now < untilMs; ++now) {
    if (now >= pauseFrom && now < pauseTo) continue;
    if (!waiting && now - askedAt >= askEveryMs) {
      waiting = true;
      askedAt = now;
    }
    if (waiting && FrameDelay(pacer, now) == 0) {
      FrameDrawn(pacer, now);
      drawn.push_back(now);
      waiting = false;
      askedAt = now;
    }
  }
  return drawn;
}

// The most frames drawn in any one second.
int MostInASecond(const std::vector<int>& drawn) {
  int most = 0;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const auto end = std::lower_bound(drawn.begin(), drawn.end(), drawn[i] + 1000);
    most = std::max(most, static_cast<int>(end - (drawn.begin() + static_cast<std::ptrdiff_t>(i))));
  }
  return most;
}

TEST(FramePacing, AFastWindowGetsSixtyFramesASecondAndNoMore) {
  const auto drawn = DrawTimes(1, 10000);
  EXPECT_EQ(MostInASecond(drawn), 60);
  EXPECT_GE(drawn.size(), 599u);
  for (std::size_t i = 1; i < drawn.size(); ++i) EXPECT_GE(drawn[i] - drawn[i - 1], 16) << i;
}

TEST(FramePacing, AWindowAtOrBelowSixtyIsNeverHeldBack) {
  for (int every : {17, 20, 33, 100}) {
    SCOPED_TRACE(every);
    const auto drawn = DrawTimes(every, 5000);
    ASSERT_FALSE(drawn.empty());
    for (std::size_t i = 1; i < drawn.size(); ++i) ASSERT_EQ(drawn[i] - drawn[i - 1], every) << i;
  }
}

TEST(FramePacing, AfterAPauseTheFirstFrameComesAtOnceWithoutABurst) {
  const auto drawn = DrawTimes(1, 3000, 1000, 1500);
  const auto resumed = std::lower_bound(drawn.begin(), drawn.end(), 1500);
  ASSERT_NE(resumed, drawn.end());
  EXPECT_EQ(*resumed, 1500);
  for (auto it = resumed + 1; it != drawn.end(); ++it) EXPECT_GE(*it - *(it - 1), 16);
  EXPECT_LE(MostInASecond(drawn), 60);
}

}  // namespace
}  // namespace puzzle
