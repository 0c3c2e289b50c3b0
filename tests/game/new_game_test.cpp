#include "game/new_game.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>

#include "game/check.h"
#include "game/commands.h"
#include "game/picking.h"
#include "game/scatter.h"
#include "model/texts.h"
#include "support/fake_graphics_port.h"
#include "support/scripted_platform.h"
#include "view/unproject.h"

namespace puzzle {
namespace {

class StartTest : public ::testing::Test {
 protected:
  StartTest() {
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

  bool Start() { return StartCommand(state, table, options, platform, graphics, bars, shell, history); }
  const Message& LastMessage() const { return platform.shown.back(); }

  GameState state;
  TableView table{.clientWidth = 800, .clientHeight = 600};
  GameOptions options;
  testing::ScriptedPlatform platform;
  testing::FakeGraphicsPort graphics;
  ScrollBars bars;
  ShellInput shell;
  History history;
};

TEST_F(StartTest, PictureSizeLimitsGiveTheirMessages) {
  const struct {
    int w, h;
    bool russian;
    const char* message;  // empty when accepted
    const char* caption;
    bool driverRefuses = false;  // the GL cannot make the texture
  } cases[] = {{32, 32, false, "", ""},
               {2048, 100, false, "", ""},
               {31, 100, false, texts::IMAGE_TOO_SMALL.en, "Error"},
               {100, 2049, false, "should not exceed 2048 px.", "ERROR"},
               {100, 2049, true, "не должна превышать 2048 px.", "ERROR"},
               {64, 64, false, texts::TEXTURE_FAILED.en, "ERROR", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    platform.shown.clear();
    graphics.uploads = 0;
    graphics.uploadSucceeds = !c.driverRefuses;
    options.russianUi = c.russian;
    LoadPicture(c.w, c.h);
    const bool accepted = *c.message == '\0';
    EXPECT_EQ(Start(), accepted);
    EXPECT_EQ(std::make_pair(graphics.uploads, state.gameRunning),
              std::make_pair(accepted || c.driverRefuses ? 1 : 0, accepted));
    if (accepted) continue;
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_NE(LastMessage().text.find(c.message), std::string::npos);
    EXPECT_EQ(std::tie(LastMessage().caption, LastMessage().buttons, state.imageFresh),
              std::make_tuple(c.caption, MessageButtons::Ok, true));
  }
}

TEST_F(StartTest, CellsOfAboutSquareShapeEachPieceOnItsHome) {
  LoadPicture(640, 480);
  options.angleStep = 9;
  ASSERT_TRUE(Start());
  EXPECT_EQ(state.pieceCount, 108u);  // cells of 53 px: 9 rows
  EXPECT_TRUE(state.gameRunning && state.scatterRunning && state.scatterClockReset && state.gameChanged &&
              state.pixels.empty());
  EXPECT_FALSE(state.imageFresh || state.capturedImage);
  EXPECT_FLOAT_EQ(options.angleStepRad, 9 * 0.017453292519943295f);
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    EXPECT_EQ(std::tie(state.pieces[k].x, state.pieces[k].y, state.pieces[k].z),
              std::make_tuple(state.homeX[k], state.homeY[k], RestingDepth(k)));
  }
  LoadPicture(640, 40);
  ASSERT_TRUE(Start());
  EXPECT_EQ(state.pieceCount, 24u);  // 2 rows
  LoadPicture(640, 480);
  options.pendingColumns = 4;
  ASSERT_TRUE(Start());
  // Cells of 160 px: 3 rows.
  EXPECT_EQ(std::make_tuple(options.columns, options.pendingColumns, state.rows),
            std::make_tuple(4u, 0u, 3u));
}

TEST_F(StartTest, GridsOfMoreThanTenThousandPiecesOrPixelsAreRefused) {
  LoadPicture(1000, 1000);
  options.columns = 100;  // cells of 10 px, 100 rows
  ASSERT_TRUE(Start());
  EXPECT_EQ(state.pieceCount, 10000u);
  state.pieces[5].x = 0.25f;
  options.pendingColumns = 101;  // cells of 9 px: 111 rows
  EXPECT_FALSE(Start());
  EXPECT_EQ(std::tie(LastMessage().text, LastMessage().caption, LastMessage().icon),
            std::make_tuple(texts::TOO_MANY_PIECES.en, "ERROR", MessageIcon::Stop));
  // The running game and the waiting number stay as they were.
  EXPECT_EQ(std::make_tuple(state.gameRunning, state.pieceCount, options.columns, options.pendingColumns,
                            state.pieces[5].x),
            std::make_tuple(true, 10000u, 100u, 101u, 0.25f));

  // More columns than pixels are refused naming the width.
  platform.shown.clear();
  LoadPicture(40, 300);
  options.pendingColumns = 41;
  EXPECT_FALSE(Start());
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_NE(LastMessage().text.find("(40 px)"), std::string::npos);
  // Nothing of the refused grid is taken, and the picture is refused
  // before its texture is made: the preview still has it.
  EXPECT_EQ(std::make_pair(LastMessage().caption, state.rows), std::make_pair(std::string("ERROR"), 100u));
  EXPECT_EQ(std::make_tuple(graphics.uploads, state.stillTexture, state.pixels.size()),
            std::make_tuple(1, 0u, std::size_t{40 * 300 * 4}));
  // The width itself is still a grid (cells of one pixel, 300 rows), and too large a one.
  options.pendingColumns = 40;
  EXPECT_FALSE(Start());
  EXPECT_EQ(LastMessage().text, texts::TOO_MANY_PIECES.en);
}

// Every restart also empties both histories and greys Undo and Redo: the
// same grid would let old entries move the new game's pieces.
TEST_F(StartTest, RestartRebuildsFromTheTexturesWithoutSizeChecksAndEmptiesTheHistories) {
  LoadPicture(640, 480);
  ASSERT_TRUE(Start());
  EXPECT_EQ(std::make_pair(graphics.cursorDuringUpload, platform.cursor),
            std::make_pair(CursorShape::Wait, CursorShape::Arrow));
  state.pieces[3].x = 1.5f;
  state.rotationLeft = 45;
  state.maxTextureSize = 64;  // the picture would no longer pass the checks
  PushUndo(history, platform, HistoryEntry{3, KIND_MOVE, 0.5f, 0.5f});
  history.redoHistory.push_back(HistoryEntry{2, KIND_ROTATION, 90, AXIS_IN_PLANE});
  platform.menuEnabled[CMD_REDO] = true;
  // A declined restart keeps the game and what can be taken back in it.
  platform.answers = {MessageAnswer::No};
  EXPECT_FALSE(Start());
  EXPECT_TRUE(history.undoHistory.size() == 1 && platform.menuEnabled.at(CMD_UNDO));

  ASSERT_TRUE(Start());
  EXPECT_EQ(std::tie(LastMessage().caption, LastMessage().icon),
            std::make_tuple("Restart or not restart: that is the question...", MessageIcon::Question));
  EXPECT_EQ(std::make_tuple(graphics.uploads, graphics.builds, state.pieces[3].x, state.rotationLeft,
                            state.scatterRunning),
            std::make_tuple(1, 2, state.homeX[3], 0.0f, true));
  EXPECT_TRUE(history.undoHistory.empty() && history.redoHistory.empty());
  EXPECT_FALSE(platform.menuEnabled.at(CMD_UNDO) || platform.menuEnabled.at(CMD_REDO));

  // A failure while building leaves no playable game, says so, and gives
  // the cursor back.
  graphics.buildSucceeds = false;
  EXPECT_FALSE(Start());
  // Of messages, the three restart questions, then why.
  EXPECT_EQ(std::make_tuple(state.gameRunning, platform.shown.size(), platform.cursor),
            std::make_tuple(false, std::size_t{4}, CursorShape::Arrow));
  EXPECT_EQ(LastMessage().text, texts::OUT_OF_MEMORY.en);
}

TEST_F(StartTest, AfterCheckEveryPieceCanBeScrolledTo) {
  // 20 x 13 pieces on a picture that fits the window; all misplaced, so
  // Check lays them in rows far past the window's edges.
  LoadPicture(600, 400);
  options.pendingColumns = 20;
  ASSERT_TRUE(Start());
  ASSERT_EQ(state.pieceCount, 260u);
  state.scatterRunning = false;
  for (std::size_t k = 0; k < state.pieceCount; ++k) {
    const std::size_t other = (k + 21) % state.pieceCount;
    state.pieces[k].x = state.homeX[other];
    state.pieces[k].y = state.homeY[other];
  }
  ASSERT_EQ(CheckCommand(state, table, bars, shell, options, platform), 260u);

  // Half the window in table units: a piece is seen when its centre is
  // within that of the window's centre.
  const double halfW = table.clientWidth * state.pixelScale * TABLE_DEPTH / NEAR_PLANE;
  const double halfH = table.clientHeight * state.pixelScale * TABLE_DEPTH / NEAR_PLANE;
  std::vector<bool> seen(state.pieceCount, false);
  for (PageMove x : {PageMove::ToStart, PageMove::ToEnd}) {
    for (PageMove y : {PageMove::ToStart, PageMove::ToEnd}) {
      // From one end in steps of a third of the window, so that no band
      // between the ends is left out.
      MovePage(table, ScrollAxis::Horizontal, x);
      MovePage(table, ScrollAxis::Vertical, y);
      for (int step = 0; step < 400; ++step) {
        UpdateScrollBars(state, table, bars, 0, 0, EdgeScrollFlags{});
        for (std::size_t k = 0; k < state.pieceCount; ++k) {
          if (std::abs(state.pieces[k].x) <= halfW && std::abs(state.pieces[k].y) <= halfH) seen[k] = true;
        }
        const std::int32_t dx = x == PageMove::ToStart ? 5 : -5, dy = y == PageMove::ToStart ? -5 : 5;
        ScrollBy(table, step % 2 == 0 ? dx : 0, step % 2 == 0 ? 0 : dy);
      }
    }
  }
  for (std::size_t k = 0; k < state.pieceCount; ++k) EXPECT_TRUE(seen[k]) << "piece " << k;
}

// A picture several windows large: the whole table shows every piece after
// the scatter and after Check; a zoom step about a piece keeps it under the
// pointer, which unprojects through the zoomed frustum onto the piece, at
// every scale and scroll position the steps pass.
TEST_F(StartTest, WholeTableShowsEveryPieceAndZoomKeepsThePointerOnItsPiece) {
  LoadPicture(2000, 1500);
  options.pendingColumns = 30;
  ASSERT_TRUE(Start());
  EndScatterNow(state, options);
  const double pixel = 2.0 * TABLE_DEPTH * state.pixelScale / NEAR_PLANE;
  const std::int32_t t = bars.scrollBarThickness;
  const auto screen = [&](std::size_t k) {
    return std::pair{table.clientWidth / 2.0 + state.pieces[k].x / pixel * table.zoom,
                     table.clientHeight / 2.0 - state.pieces[k].y / pixel * table.zoom};
  };
  const auto zoom = [&](int command, std::pair<double, double> at) {
    ZoomTable(table, state, options, t, command, at.first, at.second, false);
    UpdateScrollBars(state, table, bars, 0, 0, EdgeScrollFlags{});
  };
  for (const bool checked : {false, true}) {
    if (checked) {
      for (std::size_t k = 0; k < state.pieceCount; ++k) {
        state.pieces[k].x = state.homeX[(k + 31) % state.pieceCount];
        state.pieces[k].y = state.homeY[(k + 31) % state.pieceCount];
      }
      CheckCommand(state, table, bars, shell, options, platform);
    }
    zoom(CMD_WHOLE_TABLE, {0, 0});
    EXPECT_LT(table.zoom, 0.5);
    const double reach = 2.0 * state.halfCellDiag / pixel * table.zoom - 0.01;
    for (std::size_t k = 0; k < state.pieceCount; ++k) {
      const auto [x, y] = screen(k);
      EXPECT_TRUE(x >= reach && x <= table.clientWidth - reach && y >= reach &&
                  y <= table.clientHeight - reach)
          << checked << " piece " << k << " at " << x << ", " << y;
    }
    // In and out again, each step about another piece. Where the room lets
    // the thumb move freely the piece stays under the pointer within half a
    // thumb pixel's worth of table.
    for (std::size_t step = 0; step < 16; ++step) {
      const std::size_t k = (step * 97 + 13) % state.pieceCount;
      const auto at = screen(k);
      if (at.first < 0 || at.second < 0 || at.first >= table.clientWidth || at.second >= table.clientHeight)
        continue;
      zoom(step < 8 ? CMD_ZOOM_IN : CMD_ZOOM_OUT, at);
      const auto [x, y] = screen(k);
      const auto kept = [&](std::int32_t image, std::int32_t margin, std::int32_t client, std::int32_t thumb,
                            std::int32_t scroll, std::int32_t halfRange, double got, double want) {
        const double excess = (image + margin) * table.zoom - client;
        if (excess <= 0 || std::abs(scroll) >= halfRange) return;
        EXPECT_NEAR(got, want, 0.5 * excess / (client - thumb) + 0.5) << step;
      };
      kept(state.imageWidth, table.scrollMarginX, table.clientWidth, table.thumbW, table.scrollX,
           bars.halfRangeX, x, at.first);
      kept(state.imageHeight, table.scrollMarginY, table.clientHeight, table.thumbH, table.scrollY,
           bars.halfRangeY, y, at.second);
      const Frustum frustum = TableFrustum(ViewSetup{.creationWidth = 800, .creationHeight = 600}, table);
      const auto back = UnprojectWindow(frustum, Viewport{table.clientWidth, table.clientHeight}, x,
                                        table.clientHeight - y, WindowDepthOf(frustum, -TABLE_DEPTH));
      EXPECT_NEAR(back[0], state.pieces[k].x, 1e-5);
      EXPECT_NEAR(back[1], state.pieces[k].y, 1e-5);
    }
  }
}

// The wheel scrolls forty screen pixels a notch and an arrow key the least
// a thumb position allows, at every zoom; on a picture several windows large
// a thumb position is several table pixels.
TEST_F(StartTest, TheWheelAndArrowsScrollByScreenPixelsAtEveryZoom) {
  const struct {
    int w, h;
    double zoom, arrowMost;  // arrowMost: screen pixels of one thumb position
  } cases[] = {{2000, 1500, 0.5, 2}, {2000, 1500, 1.0, 3.1}, {2000, 1500, 2.0, 6.2}, {900, 700, 1.0, 1.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << " at " << c.zoom);
    LoadPicture(c.w, c.h);
    table = TableView{.clientWidth = 800, .clientHeight = 600, .zoom = c.zoom};
    ASSERT_TRUE(Start());
    EndScatterNow(state, options);
    const double pixel = 2.0 * TABLE_DEPTH * state.pixelScale / NEAR_PLANE;
    for (const bool shift : {false, true}) {
      float& offset = shift ? table.viewOffsetX : table.viewOffsetY;
      const auto moved = [&](const auto& scroll) {
        const float before = offset;
        scroll();
        UpdateScrollBars(state, table, bars, 0, 0, EdgeScrollFlags{});
        return std::abs(offset - before) / pixel * c.zoom;
      };
      EXPECT_NEAR(moved([&] { ApplyWheel(table, state, 0, -120, shift); }), 40.0, 3.0);
      const double arrow =
          moved([&] { ApplyScrollKey(table, state, shift ? ScrollKey::Right : ScrollKey::Down, false); });
      EXPECT_TRUE(arrow > 0 && arrow <= c.arrowMost) << arrow;
    }
  }
}

TEST_F(StartTest, ScrollKeysDoNothingWhereThereIsNoRoom) {
  LoadPicture(600, 400);  // fits the window: no bars
  ASSERT_TRUE(Start());
  state.scatterRunning = false;
  for (ScrollKey key : {ScrollKey::Right, ScrollKey::Right, ScrollKey::Up, ScrollKey::End}) {
    ApplyScrollKey(table, state, key, true);
    UpdateScrollBars(state, table, bars, 0, 0, EdgeScrollFlags{});
    EXPECT_EQ(std::make_pair(table.scrollX, table.scrollY), std::make_pair(0, 0));
  }
  // A smaller window then gives room: the view stays on the picture's centre.
  const PreviousClient previous = CurrentClient(table);
  SetClientSize(table, 300, 200);
  RecomputeScrollRoom(table, state, options, previous, bars.scrollBarThickness);
  UpdateScrollBars(state, table, bars, 0, 0, EdgeScrollFlags{});
  EXPECT_EQ(std::make_pair(table.viewOffsetX, table.viewOffsetY), std::make_pair(0.0f, 0.0f));
}

TEST(ScatterSpeedTest, TheDrawIsRaisedBy15AndItsParityGivesTheSign) {
  EXPECT_FLOAT_EQ(ScatterSpeed(7), 0.0033f);
  EXPECT_FLOAT_EQ(ScatterSpeed(41), -0.00615f);
  EXPECT_FLOAT_EQ(ScatterSpeed(98), 0.0147f);
}

TEST_F(StartTest, NothingLoadedPlaysOnACaptureOfTheWindow) {
  options.brandedBackground = false;
  EXPECT_FALSE(Start());
  EXPECT_EQ(LastMessage().text, "First you have to load an image.");
  options.brandedBackground = true;
  table.clientWidth = 2048;  // larger than a texture
  EXPECT_FALSE(Start());
  EXPECT_EQ(graphics.captures, 0);
  table.clientWidth = 800;
  ASSERT_TRUE(Start());
  EXPECT_EQ(std::make_pair(state.imageWidth, state.imageHeight), std::make_pair(800, 600));
  // A restart keeps it a game that cannot be saved, without a new capture.
  ASSERT_TRUE(Start());
  EXPECT_EQ(std::make_tuple(state.capturedImage, graphics.captures, platform.shown.size()),
            std::make_tuple(true, 1, std::size_t{2}));
}

}  // namespace
}  // namespace puzzle
