#include "view/scrollbars.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "game/frame_steps.h"

namespace puzzle {
namespace {

// An 800 x 600 window with 16-pixel bars over a picture larger than it in
// both directions: the thumbs are 640 and 450 pixels, so scrollX runs over
// -80..80 and scrollY over -75..75.
class ScrollBarsTest : public ::testing::Test {
 protected:
  GameState state;
  TableView table{.clientWidth = 800, .clientHeight = 600, .thumbW = 640, .thumbH = 450};
  ScrollBars bars;  // bars of the usual 16 pixels
  EdgeScrollFlags edges;

  void SetUp() override {
    state.imageWidth = 1000;
    state.imageHeight = 800;
  }

  void Point(int x, int y) {
    UpdateScrollBars(state, table, bars, x, y, edges);
    UpdateScrollBarColours(bars);
  }

  // A running game of three pieces whose homes and positions differ.
  void StartGame() {
    state.gameRunning = true;
    table.scrollMarginX = table.scrollMarginY = 0;
    state.pieces.resize(3);
    state.homeX = {-0.5f, 0.0f, 0.5f};
    state.homeY = {-0.25f, 0.0f, 0.25f};
    for (std::size_t i = 0; i < 3; ++i) {
      state.pieces[i].x = state.homeX[i] + 0.01f;
      state.pieces[i].y = state.homeY[i] - 0.01f;
    }
  }
};

// The picture is 200 rows taller than the window, with an even scroll room
// of 150: the preview skips from 0 to 200 rows.
TEST_F(ScrollBarsTest, ScrollIsClampedAndPreviewRowsRunFromTheBottomToTheTop) {
  const struct {
    int x, y, clampedX, clampedY, skipX, skipY;
  } cases[] = {{-1000, 1000, -80, 75, 0, 200}, {80, -76, 80, -75, 200, 0}, {80, 0, 80, 0, 200, 100}};
  for (const auto& c : cases) {
    table.scrollX = c.x;
    table.scrollY = c.y;
    Point(0, 0);
    EXPECT_EQ(std::make_tuple(table.scrollX, table.scrollY, bars.previewSkipX, bars.previewSkipY),
              std::make_tuple(c.clampedX, c.clampedY, c.skipX, c.skipY));
  }
}

TEST_F(ScrollBarsTest, ScrollingAGameSlidesHomesAndPiecesButNotTheDraggedPiece) {
  StartGame();
  state.selected = 1;
  const float draggedY = state.pieces[1].y, otherY = state.pieces[0].y, homeY = state.homeY[0];
  edges.edgeScrollUp = true;
  table.scrollY = 10;
  Point(400, 300);

  // p = 2 * 200 * 10 pixels of half-pixel scroll room over R = 150.
  const double p = 2.0 * 200 * 10;
  const float expectedView = static_cast<float>(p * state.pixelScale * TABLE_DEPTH / NEAR_PLANE / 150);
  EXPECT_FLOAT_EQ(table.viewOffsetY, expectedView);
  EXPECT_FLOAT_EQ(table.backOffsetY,
                  static_cast<float>((FAR_PLANE - 0.0001) * p * state.pixelScale / NEAR_PLANE / 150));
  EXPECT_FLOAT_EQ(state.pieces[0].y, otherY - expectedView);
  EXPECT_FLOAT_EQ(state.homeY[0], homeY - expectedView);
  EXPECT_EQ(std::make_pair(state.pieces[1].y, table.viewOffsetX), std::make_pair(draggedY, 0.0f));

  // Without the edge flag the selected piece moves along with the rest.
  edges.edgeScrollUp = false;
  table.scrollY = 0;
  Point(400, 300);
  EXPECT_EQ(table.viewOffsetY, 0.0f);
  EXPECT_FLOAT_EQ(state.pieces[0].y, otherY);
  EXPECT_FLOAT_EQ(state.pieces[1].y, draggedY + expectedView);

  // An edge scroll steps one pixel, up winning over down, under the held piece.
  const PiecePose held = state.pieces[1], other = state.pieces[0];
  const float home = state.homeY[0];
  edges.edgeScrollUp = edges.edgeScrollDown = edges.edgeScrollLeft = true;
  EdgeScrollStep(state, table, bars, edges, 0, 0);
  EXPECT_EQ(std::make_pair(table.scrollX, table.scrollY), std::make_pair(-1, 1));
  EXPECT_TRUE(state.pieces[0].x > other.x && state.pieces[0].y < other.y);
  EXPECT_NEAR(state.homeY[0] - home, state.pieces[0].y - other.y, 1e-6f);
  EXPECT_EQ(std::make_pair(state.pieces[1].x, state.pieces[1].y), std::make_pair(held.x, held.y));
}

// No room is left when the picture fits again, when the thumb takes the
// whole height and when the bars are thicker than the window: the table
// returns to its place and scrolls nothing.
TEST_F(ScrollBarsTest, WithoutRoomTheTableReturnsToItsPlaceAndScrollsNothing) {
  StartGame();
  table.scrollX = 40;
  Point(400, 300);
  ASSERT_NE(table.viewOffsetX, 0.0f);
  bars.horizontal.zone = true;
  table.clientWidth = 1200;
  Point(400, 300);
  EXPECT_EQ(std::make_tuple(table.scrollX, table.viewOffsetX, table.backOffsetX),
            std::make_tuple(0, 0.0f, 0.0f));
  EXPECT_FLOAT_EQ(state.homeX[2], 0.5f);
  EXPECT_FLOAT_EQ(state.pieces[2].x, 0.51f);
  EXPECT_FALSE(bars.horizontal.zone) << "a bar that is gone is shown";

  for (const auto& [thumbH, scrollY] : {std::pair{600, 5}, std::pair{700, -5}}) {
    table.thumbH = thumbH;
    table.scrollY = scrollY;
    Point(400, 300);
    EXPECT_EQ(std::make_tuple(table.scrollY, table.viewOffsetY, table.backOffsetY),
              std::make_tuple(0, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(state.pieces[0].y, -0.26f);
  }

  state.gameRunning = false;
  Point(400, 300);
  EXPECT_EQ(bars.previewSkipY, 100);  // centred
}

TEST_F(ScrollBarsTest, PointerFindsTheZoneAndTheElementUnderIt) {
  // Vertical: thumb from row 75 to 525; boxes 16 rows on either side; the
  // triangles reach 24 rows further. Horizontal: thumb from column 80 to
  // 720. The bottom-right corner is split by the diagonal my = mx - W + H.
  using enum ScrollBar::Element;
  constexpr auto NONE = ELEMENT_COUNT;
  const struct {
    int x, y;
    bool vertical, horizontal;
    ScrollBar::Element element;
  } cases[] = {{789, 20, true, false, TRACK_BEFORE},  {789, 50, true, false, TO_START},
               {789, 70, true, false, PAGE_BACK},     {789, 300, true, false, THUMB},
               {789, 530, true, false, PAGE_FORWARD}, {789, 550, true, false, TO_END},
               {789, 570, true, false, TRACK_AFTER},  {770, 300, true, false, NONE},
               {30, 589, false, true, TRACK_BEFORE},  {400, 589, false, true, THUMB},
               {725, 589, false, true, PAGE_FORWARD}, {770, 589, false, true, TRACK_AFTER},
               {790, 595, false, true, TRACK_AFTER},  {795, 590, true, false, TRACK_AFTER},
               {795, 595, false, false, NONE},        {400, 300, false, false, NONE}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
    Point(c.x, c.y);
    EXPECT_EQ(std::make_pair(bars.vertical.zone, bars.horizontal.zone),
              std::make_pair(c.vertical, c.horizontal));
    const ScrollBar& bar = c.horizontal ? bars.horizontal : bars.vertical;
    for (int e = 0; e < ScrollBar::ELEMENT_COUNT; ++e)
      EXPECT_EQ(bar.hover[std::size_t(e)], e == c.element) << e;
  }
  EXPECT_EQ(ShownBar(bars), nullptr);
  // The slider moves with the scroll position.
  table.scrollY = -75;
  Point(789, 70);
  EXPECT_TRUE(bars.vertical.hover[ScrollBar::TRACK_BEFORE]);
  Point(789, 140);
  EXPECT_TRUE(bars.vertical.hover[ScrollBar::PAGE_BACK]);
  // Leaving the bar leaves nothing hovered: a release there presses nothing.
  Point(400, 140);
  EXPECT_FALSE(bars.vertical.hover[ScrollBar::PAGE_BACK]);
}

TEST_F(ScrollBarsTest, ColoursFollowTheHoveredElementOfTheShownBarOnly) {
  Point(789, 70);  // page-up
  const Rgb8 green{0, 255, 0}, red{255, 0, 0}, yellow{255, 255, 0}, black{0, 0, 0};
  EXPECT_EQ(bars.vertical.colours, (std::array<Rgb8, 6>{green, green, green, red, red, red}));
  Point(789, 50);  // to-top
  EXPECT_EQ(bars.vertical.colours, (std::array<Rgb8, 6>{black, green, green, red, red, red}));
  Point(789, 300);  // thumb
  EXPECT_EQ(bars.vertical.colours, (std::array<Rgb8, 6>{yellow, green, green, green, green, yellow}));

  Point(400, 589);  // horizontal thumb; the vertical bar keeps its colours
  EXPECT_EQ(bars.horizontal.colours, (std::array<Rgb8, 6>{green, green, green, green, green, green}));
  EXPECT_EQ(bars.vertical.colours[0], yellow);
  Point(770, 300);  // in the vertical zone but on no element
  EXPECT_EQ(bars.vertical.colours, (std::array<Rgb8, 6>{yellow, yellow, yellow, yellow, yellow, yellow}));
}

int FramesToFade(ScrollBars& bars, float framesPerSecond) {
  int frames = 0;
  for (; ShownCaption(bars) != ScrollBar::ELEMENT_COUNT && frames < 100000; ++frames) {
    FadeShownCaption(bars, framesPerSecond);
  }
  return frames;
}

TEST_F(ScrollBarsTest, OnlyTheLatestCaptionShowsAndFadesByTheFrameRate) {
  const auto& pageDown = bars.vertical.captionOpacity[ScrollBar::PAGE_FORWARD];
  Point(789, 530);
  EXPECT_EQ(std::make_pair(+pageDown, ShownCaption(bars)), std::make_pair(255, ScrollBar::PAGE_FORWARD));
  Point(789, 300);  // thumb: no caption of its own, the old one stays
  EXPECT_EQ(std::make_pair(+pageDown, ShownCaption(bars)), std::make_pair(255, ScrollBar::ELEMENT_COUNT));
  Point(70, 589);  // page-back on the other bar
  EXPECT_EQ(std::make_pair(+pageDown, +bars.horizontal.captionOpacity[ScrollBar::PAGE_BACK]),
            std::make_pair(0, 255));

  Point(789, 530);
  EXPECT_EQ(FramesToFade(bars, 60.0f), 255);
  EXPECT_EQ(pageDown, 0);

  Point(789, 530);
  FadeShownCaption(bars, 30.0f);
  EXPECT_EQ(pageDown, 253);
  EXPECT_EQ(FramesToFade(bars, 30.0f) + 1, 128);
  FadeShownCaption(bars, 30.0f);
  EXPECT_EQ(pageDown, 0);

  // "Right Arrow" loses 3 whatever the rate.
  Point(770, 589);
  EXPECT_EQ(FramesToFade(bars, 10.0f), 85);

  // Faster than 80 frames per second the caption still fades, in about the
  // same time as at 80.
  Point(789, 530);
  EXPECT_NEAR(FramesToFade(bars, 160.0f), 510, 1);
}

}  // namespace
}  // namespace puzzle
