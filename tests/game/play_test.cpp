// The rules of play on a running game: the piece menu and turns, Align,
// Undo and Redo, Check and Prompt.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "game/check.h"
#include "game/frame_steps.h"
#include "game/history.h"
#include "game/picking.h"
#include "game/rotation.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

constexpr const char* CONGRATULATIONS = "Congratulations! \n It was a god game and you have won!";
constexpr std::array<float, 9> TURNED_45{0.70710677f, 0.70710677f, 0, -0.70710677f, 0.70710677f, 0, 0, 0, 1};

// A running game laid out like form 1 (cells tiling the picture), every
// piece on its home and at rest.
GameState RunningGame(std::uint32_t columns, std::uint32_t rows, float halfCellW = 0.1f,
                      float halfCellH = 0.1f) {
  GameState state;
  state.rows = rows;
  state.pieceCount = columns * rows;
  state.halfCellW = halfCellW;
  state.halfCellH = halfCellH;
  state.halfPicW = static_cast<float>(columns) * halfCellW;
  state.halfPicH = static_cast<float>(rows) * halfCellH;
  state.pieces.resize(state.pieceCount);
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    state.homeX.push_back(static_cast<float>(2 * (k % columns) + 1) * halfCellW - state.halfPicW);
    state.homeY.push_back(static_cast<float>(2 * (k / columns) + 1) * halfCellH - state.halfPicH);
    state.pieces[k].x = state.homeX[k];
    state.pieces[k].y = state.homeY[k];
    state.pieces[k].z = RestingDepth(k);
  }
  state.gameRunning = true;
  return state;
}

// The menu as text: items with their command, submenus in brackets.
std::string Describe(const std::vector<PieceMenuItem>& items) {
  std::string text;
  for (const PieceMenuItem& item : items) {
    text += text.empty() ? "" : "|";
    if (item.kind == PieceMenuItemKind::Separator) text += "-";
    if (item.kind == PieceMenuItemKind::Command) text += item.text + " " + std::to_string(item.commandId);
    if (item.kind == PieceMenuItemKind::Submenu) text += item.text + "[" + Describe(item.items) + "]";
  }
  return text;
}

TEST(PieceMenu, FollowsTheGameModesAndTheLanguageAndMatchesTheDigitKeys) {
  GameOptions options;
  options.gameRotate = options.game3D = true;
  EXPECT_EQ(
      Describe(BuildPieceMenu(options)),
      "&Align 95|-|Rotate +[45° 45|90° 90|135° 135|180° 180]|Rotate —[—45° 46|—90° 91|—135° 136|—180° 181]|"
      "-|Rotate 3D[About Vertical axis 1831|About Horizontal axis 1832]|-|&New Image 99|&Save 101|-|&Exit "
      "103");
  options.russianUi = true;
  options.gameRotate = options.game3D = false;
  EXPECT_EQ(Describe(BuildPieceMenu(options)),
            "&Выровнять 95|-|&Новое изображение 99|&Сохранить 101|-|&Выход 103");

  // The digit keys give the turns of the menu commands.
  const int keyAndCommand[][2] = {{1, 45},  {2, 46},  {3, 90},  {4, 91},   {5, 135},
                                  {6, 136}, {7, 180}, {8, 181}, {9, 1831}, {0, 1832}};
  for (const auto& [digit, commandId] : keyAndCommand) {
    const auto key = TurnForDigit(digit);
    const auto command = TurnForCommand(commandId);
    ASSERT_TRUE(key && command) << digit;
    EXPECT_TRUE(key->angle == command->angle && key->axisCode == command->axisCode) << digit;
  }
  EXPECT_EQ(TurnForCommand(46)->angle, -45.0f);
  EXPECT_EQ(TurnForCommand(1832)->axisCode, AXIS_HORIZONTAL);
  EXPECT_FALSE(TurnForCommand(piece_menu::ALIGN) || TurnForDigit(10));
}

struct Play : ::testing::Test {
  GameState state = RunningGame(3, 2);
  TableView table;
  ViewSetup view;
  History history;
  testing::ScriptedPlatform platform;
  GameOptions options;

  bool Rotate(float angle, float axis) { return RotateSelected(state, history, platform, angle, axis); }
  bool Align() { return AlignSelected(state, history, platform); }
  bool Undo() { return puzzle::Undo(state, view, history, platform); }
  bool Redo() { return puzzle::Redo(state, view, history, platform); }
  std::optional<std::uint32_t> Check() { return CheckPieces(state, table, options, platform); }
  bool UndoEnabled() { return platform.menuEnabled[CMD_UNDO]; }
  bool RedoEnabled() { return platform.menuEnabled[CMD_REDO]; }
  // The renderer's per-frame turn steps until the turn is worked off.
  void PlayOut() {
    for (int frame = 0; frame < 1000 && state.rotationLeft != 0; ++frame) AdvanceTurn(state, options);
  }
  std::pair<float, float> At(std::size_t k) const { return {state.pieces[k].x, state.pieces[k].y}; }
  std::pair<float, float> Home(std::size_t k) const { return {state.homeX[k], state.homeY[k]}; }
  void Place(std::size_t k, float x, float y) {
    state.pieces[k].x = x;
    state.pieces[k].y = y;
  }
  // A finished drag as the release records it.
  void Drag(int piece, float toX, float toY) {
    const PiecePose& pose = state.pieces[static_cast<std::size_t>(piece)];
    PushUndo(history, platform, HistoryEntry{piece, KIND_MOVE, pose.x, pose.y});
    Place(static_cast<std::size_t>(piece), toX, toY);
  }
};

TEST_F(Play, RotateRefusedWhenBusyOrUnfinishableElseStartsAndRecordsTheTurn) {
  EXPECT_FALSE(Rotate(90, AXIS_IN_PLANE));  // nothing selected
  state.selected = 4;
  for (float angle : {0.0f, 10.0f}) EXPECT_FALSE(Rotate(angle, AXIS_IN_PLANE)) << angle;
  for (bool GameState::*busy : {&GameState::scatterRunning, &GameState::settleRunning}) {
    state.*busy = true;
    EXPECT_FALSE(Rotate(90, AXIS_IN_PLANE));
    state.*busy = false;
  }
  EXPECT_TRUE(history.undoHistory.empty());
  EXPECT_TRUE(platform.menuEnabled.empty());

  ASSERT_TRUE(Rotate(-135, AXIS_IN_PLANE));
  EXPECT_EQ(state.rotationLeft, -135.0f);
  EXPECT_TRUE(state.turnInPlane);
  EXPECT_FALSE(state.flipAboutVertical || state.flipAboutHorizontal);
  EXPECT_TRUE(platform.menuEnabled[CMD_UNDO]);
  EXPECT_EQ(history.undoHistory.at(0).piece, 4);
  EXPECT_FALSE(Rotate(90, AXIS_IN_PLANE));  // while turning
  EXPECT_EQ(state.rotationLeft, -135.0f);

  // Any other axis code flips about the horizontal axis, by half a round, and
  // is recorded so, so that Undo repeats the same flip.
  state.rotationLeft = 0;
  state.turnInPlane = false;
  ASSERT_TRUE(Rotate(90, 3.0f));
  EXPECT_EQ(state.rotationLeft, 180.0f);
  EXPECT_TRUE(state.flipAboutHorizontal);
  EXPECT_EQ(history.undoHistory.back().b, AXIS_HORIZONTAL);
}

TEST_F(Play, AlignSnapsOntoTheNearestCellWithinTolerance) {
  state.selected = 0;
  // Near the centre of cell 4, not the piece's own home: any cell will do.
  Place(0, state.homeX[4] + 0.06f, state.homeY[4] - 0.07f);
  const PiecePose from = state.pieces[0];
  ASSERT_TRUE(Align());
  EXPECT_EQ(At(0), Home(4));
  ASSERT_EQ(history.undoHistory.size(), 1u);
  const HistoryEntry& entry = history.undoHistory[0];
  EXPECT_EQ(std::tie(entry.kind, entry.a, entry.b), std::tuple(KIND_MOVE, from.x, from.y));

  // On a cell corner (0.14 from the nearest centres, the tolerance is 0.1)
  // or off the picture nothing moves.
  state.selected = 2;
  Place(2, state.homeX[2] + 0.1f, state.homeY[2] + 0.1f);
  EXPECT_FALSE(Align());
  Place(2, state.halfPicW + 0.5f, 0);
  EXPECT_FALSE(Align());
  EXPECT_EQ(state.pieces[2].x, state.halfPicW + 0.5f);
  EXPECT_EQ(history.undoHistory.size(), 1u);

  // Cells three times as high as wide: the centres of a row lie 0.2 apart,
  // within the tolerance of 0.3; the nearest is taken in one move, not a
  // walk to the end of the row.
  state = RunningGame(6, 2, 0.1f, 0.3f);
  state.selected = 7;
  Place(7, state.homeX[2] + 0.02f, state.homeY[2] + 0.01f);
  ASSERT_TRUE(Align());
  EXPECT_EQ(At(7), Home(2));
}

TEST_F(Play, EightEighthTurnsComeBackExactly) {
  options.angleStep = 1.5f;
  options.angleStepRad = AngleStepToRadians(1.5f);
  state.selected = 1;
  for (int turn = 0; turn < 8; ++turn) {
    ASSERT_TRUE(Rotate(45, AXIS_IN_PLANE));
    PlayOut();
    EXPECT_EQ(state.pieces[1].orient == IDENTITY_ORIENT, turn == 7) << turn;
  }
}

TEST_F(Play, UndoAndRedoPlayTheTurnBackAndAgain) {
  state.selected = 5;
  ASSERT_TRUE(Rotate(90, AXIS_IN_PLANE));
  EXPECT_FALSE(Undo());  // refused while the turn runs
  PlayOut();
  const std::array<float, 9> quarter{0, 1, 0, -1, 0, 0, 0, 0, 1};
  EXPECT_EQ(state.pieces[5].orient, quarter);
  // Piece 2 was hovered since: it lies raised. The Undo makes piece 5 the
  // selection as a hover would, so piece 2 can be picked up again.
  const auto raised = static_cast<float>(RAISE_DEPTH_PICK - TABLE_DEPTH);
  state.selected = 2;
  state.pieces[2].z = raised;
  state.pieces[5].z = RestingDepth(5);
  ASSERT_TRUE(Undo());  // the opposite turn, on the turned piece
  EXPECT_EQ(std::tie(state.selected, state.pieces[2].z, state.pieces[5].z, state.rotationLeft),
            std::tuple(5, RestingDepth(2), raised, -90.0f));
  EXPECT_EQ(history.redoHistory.back().a, -90.0f);
  PlayOut();
  EXPECT_EQ(state.pieces[5].orient, IDENTITY_ORIENT);
  ASSERT_TRUE(Redo());
  PlayOut();
  EXPECT_EQ(state.pieces[5].orient, quarter);

  // Key 9 flips whatever the game mode; Undo and Redo repeat the same flip.
  ASSERT_TRUE(Undo());
  PlayOut();
  const auto flip = TurnForDigit(9);
  ASSERT_TRUE(Rotate(flip->angle, flip->axisCode));
  PlayOut();
  EXPECT_EQ(state.pieces[5].orient, (std::array<float, 9>{-1, 0, 0, 0, 1, 0, 0, 0, -1}));
  ASSERT_TRUE(Undo());
  EXPECT_EQ(std::tie(state.flipAboutVertical, state.rotationLeft), std::tuple(true, 180.0f));
  PlayOut();
  EXPECT_EQ(state.pieces[5].orient, IDENTITY_ORIENT);
}

TEST_F(Play, DragUndoneAndRedoneWithTheMenuItemsInStep) {
  Place(5, 1, 1);
  Drag(5, 2, 3);
  EXPECT_TRUE(UndoEnabled());
  ASSERT_TRUE(Undo());
  EXPECT_EQ(std::tuple(At(5), UndoEnabled(), RedoEnabled()), std::tuple(std::pair(1.0f, 1.0f), false, true));
  EXPECT_FALSE(Undo());
  ASSERT_TRUE(Redo());
  EXPECT_EQ(std::tuple(At(5), UndoEnabled(), RedoEnabled()), std::tuple(std::pair(2.0f, 3.0f), true, false));
  EXPECT_TRUE(history.redoHistory.empty());
  EXPECT_EQ(state.selected, -1);  // a move does not change the selection

  for (bool GameState::*phase : {&GameState::scatterRunning, &GameState::settleRunning}) {
    state.*phase = true;  // refused while the pieces fly or settle
    EXPECT_FALSE(Undo());
    state.*phase = false;
  }
  EXPECT_EQ(state.pieces[5].x, 2.0f);
  EXPECT_TRUE(Undo());
}

TEST_F(Play, CheckSettlesNearlyPlacedPiecesAndCongratulatesOnlyInPlay) {
  state = RunningGame(4, 3);
  // min(halfCellW, halfCellH) = 0.1 is the settling distance.
  state.pieces[0].x += 0.06f;
  state.pieces[0].y -= 0.07f;
  state.pieces[11].x -= 0.099f;
  state.rotationLeft = 45;  // a turn under way does not stop Check
  ASSERT_EQ(Check(), 0u);
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) EXPECT_EQ(At(k), Home(k)) << k;
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(std::tie(platform.shown[0].text, platform.shown[0].caption, platform.shown[0].owner),
            std::tuple(CONGRATULATIONS, "All right", MessageOwner::None));

  // Outside play Check does nothing.
  platform.shown.clear();
  for (bool GameState::*phase :
       {&GameState::scatterRunning, &GameState::settleRunning, &GameState::imageFresh}) {
    state = RunningGame(3, 2);
    state.*phase = true;
    state.gameRunning = phase != &GameState::imageFresh;
    state.pieces[0].x = 5;
    EXPECT_FALSE(Check());
    EXPECT_EQ(state.pieces[0].x, 5.0f);
  }
  EXPECT_TRUE(platform.shown.empty());
}

TEST_F(Play, CheckCountsMisplacedTurnedAndSwappedPiecesWithATruncatedPercentage) {
  state = RunningGame(7, 1);
  for (std::uint32_t k : {1u, 3u, 6u}) state.pieces[k].y += 0.5f;
  ASSERT_EQ(Check(), 3u);
  EXPECT_EQ(std::tie(platform.shown.at(0).text, platform.shown[0].caption, platform.shown[0].icon),
            std::tuple("Total errors found: 3 or 42%.", "Found out errors:", MessageIcon::Information));

  // The three now lie beside the picture and still count; a turned piece on
  // its home is moved aside, not turned back.
  options.russianUi = true;
  state.pieces[2].orient = TURNED_45;
  ASSERT_EQ(Check(), 4u);
  EXPECT_EQ(std::tie(platform.shown.at(1).text, platform.shown[1].caption),
            std::tuple("Всего ошибок: 4 или 57%.", "Найдено ошибок:"));
  EXPECT_NE(state.pieces[2].x, state.homeX[2]);
  EXPECT_EQ(state.pieces[2].orient, TURNED_45);

  // Pieces 0 and 2 of a row of three swapped: mirror images across the
  // picture's centre line, both misplaced.
  state = RunningGame(3, 2);
  std::swap(state.pieces[0].x, state.pieces[2].x);
  EXPECT_EQ(Check(), 2u);
}

TEST_F(Play, CheckClearsMisplacedPiecesIntoRowsAndColumnsAroundThePicture) {
  state = RunningGame(4, 4);  // halfPicW = halfPicH = 0.4, cells 0.1
  // Scrolled: the picture's centre lies at (-0.5, 0.25) on the table.
  table.viewOffsetX = 0.5f;
  table.viewOffsetY = -0.25f;
  const float at[8][2] = {{-0.9f, 0.0f}, {-0.8f, 0.1f},   // lower left
                          {0.0f, 0.0f},  {0.0f, 0.5f},    // lower right, upper right
                          {-1.0f, 0.6f}, {-0.95f, 0.7f},  // upper left
                          {0.2f, 0.6f},  {0.1f, -0.1f}};  // upper right, lower right
  for (std::size_t k = 0; k < 8; ++k) Place(k, at[k][0], at[k][1]);
  ASSERT_EQ(Check(), 8u);
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

TEST_F(Play, PromptNeedsAPictureHoldsOneSecondThenFadesOut) {
  EXPECT_FALSE(ShowPrompt(state, 50));
  state.stillTexture = 7;
  state.selected = 4;
  state.pieces[4].z = 0.00001f - TABLE_DEPTH;  // raised as selected
  ASSERT_TRUE(ShowPrompt(state, 50));
  EXPECT_LT(state.pieces[0].z, -TABLE_DEPTH);
  EXPECT_EQ(state.pieces[4].z, RestingDepth(4));
  // Held for 50 frames at 50 frames a second, waiting while no rate is
  // measured (frames 50 to 99), then 0.002 per frame down to 0.01.
  int frames = 0;
  for (; state.promptShowing && frames < 1000; ++frames) {
    AdvancePrompt(state, frames >= 50 && frames < 100 ? 0 : 50);
  }
  EXPECT_TRUE(frames >= 590 && frames <= 600) << frames;
  EXPECT_EQ(state.pieces[0].z, -TABLE_DEPTH);
}

// The finished picture is judged by Check's own measure: whatever Check would
// congratulate is finished, and nothing else.
TEST_F(Play, AFinishedPictureIsWhatCheckCongratulates) {
  struct Layout {
    const char* name;
    std::function<void(GameState&)> arrange;
  };
  const std::vector<Layout> layouts{
      {"on the homes", [](GameState&) {}},
      {"near enough to snap", [](GameState& s) { s.pieces[1].x += 0.099f; }},
      {"diagonally inside the snap",
       [](GameState& s) {
         s.pieces[1].x += 0.06f;
         s.pieces[1].y += 0.06f;
       }},
      {"just outside", [](GameState& s) { s.pieces[4].y -= 0.101f; }},
      {"turned on its home", [](GameState& s) { s.pieces[2].orient = TURNED_45; }},
      {"two swapped", [](GameState& s) { std::swap(s.pieces[0].x, s.pieces[2].x); }},
      {"far away", [](GameState& s) { s.pieces[5].x = 3; }},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    state = RunningGame(3, 2);
    layout.arrange(state);
    GameState checked = state;
    const bool finished = AllPiecesInPlace(state);
    EXPECT_EQ(finished, CheckPieces(checked, table, options, platform) == 0u);
  }

  // No finish while the pieces fly, turn or no game runs.
  for (bool GameState::*busy :
       {&GameState::scatterRunning, &GameState::settleRunning, &GameState::gameRunning}) {
    state = RunningGame(3, 2);
    state.*busy = busy != &GameState::gameRunning;
    EXPECT_FALSE(AllPiecesInPlace(state));
  }
  state = RunningGame(3, 2);
  state.rotationLeft = 45;
  EXPECT_FALSE(AllPiecesInPlace(state));
}

TEST_F(Play, TheFinishAnnouncesItselfOnceUntilThePictureIsBrokenAndFinishedAnew) {
  state.pieces[3].x += 1;
  platform.shown.clear();
  const auto announce = [&] { return AnnounceIfFinished(state, options, platform); };
  EXPECT_FALSE(announce());
  // Dropped near enough: the piece is settled on its home first.
  state.pieces[3].x -= 0.95f;
  state.gameChanged = false;
  EXPECT_TRUE(announce());
  EXPECT_EQ(std::tie(state.pieces[3].x, state.gameChanged), std::tuple(state.homeX[3], true));
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(std::tie(platform.shown[0].text, platform.shown[0].caption),
            std::tuple(CONGRATULATIONS, "All right"));
  EXPECT_FALSE(announce());  // another drop on a finished table
  // A turn under way is judged when it ends, not taken for a broken picture.
  state.rotationLeft = 45;
  EXPECT_FALSE(announce());
  state.rotationLeft = 0;
  EXPECT_FALSE(announce());

  state.pieces[3].x += 1;
  EXPECT_FALSE(announce());
  state.pieces[3].x -= 1;
  options.russianUi = true;
  EXPECT_TRUE(announce());
  EXPECT_EQ(std::tuple(platform.shown.size(), platform.shown.back().caption),
            std::tuple(2u, "Всё-как-в-танке"));

  // Check's own congratulation counts as the announcement.
  state.pieces[3].x += 1;
  EXPECT_FALSE(announce());
  state.pieces[3].x -= 1;
  ASSERT_EQ(Check(), 0u);
  EXPECT_FALSE(announce());
  EXPECT_EQ(platform.shown.size(), 3u);
}

}  // namespace
}  // namespace puzzle
