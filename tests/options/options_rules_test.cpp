#include "options/options_rules.h"

#include <gtest/gtest.h>

#include <climits>

#include "game/geometry.h"

namespace puzzle {
namespace {

TEST(OptionsReadDecimal, FollowsTheTypedNumberRules) {
  EXPECT_EQ(ReadDecimal("250"), 250);
  EXPECT_EQ(ReadDecimal("  -12abc"), -12);
  EXPECT_EQ(ReadDecimal("+7"), 7);
  EXPECT_EQ(ReadDecimal("abc"), 0);
  EXPECT_EQ(ReadDecimal(""), 0);
  EXPECT_EQ(ReadDecimal("-"), 0);
  EXPECT_EQ(ReadDecimal("12 34"), 12);
  // A long row of digits saturates instead of overflowing.
  EXPECT_EQ(ReadDecimal("99999999999999999999999"), INT_MAX);
  EXPECT_EQ(ReadDecimal("-99999999999999999999999"), INT_MIN);
}

TEST(OptionsSliders, BulgePositionsSurviveARoundTrip) {
  EXPECT_EQ(BulgeToPosition(0.33f), 33);
  // Every slider position must come back as itself, or each OK would lower
  // the bulge.
  for (int position = BULGE_POSITION_MIN; position <= BULGE_POSITION_MAX; ++position) {
    EXPECT_EQ(BulgeToPosition(PositionToBulge(position)), position) << position;
  }
  EXPECT_FLOAT_EQ(PositionToBulge(45), 0.45f);
}

TEST(OptionsSliders, SpeedPositionsFollowTheTable) {
  EXPECT_EQ(AngleStepToPosition(9.0f), 6);
  EXPECT_EQ(AngleStepToPosition(0.25f), 0);
  EXPECT_EQ(AngleStepToPosition(45.0f), 8);
  // Not a table value: the nearest speed is shown.
  EXPECT_EQ(AngleStepToPosition(14.0f), 7);
  EXPECT_EQ(PositionToAngleStep(8), 45.0f);
  EXPECT_EQ(PositionToAngleStep(-1), std::nullopt);
  EXPECT_EQ(PositionToAngleStep(9), std::nullopt);
}

TEST(OptionsScatterField, TypedValuesOutside1To300AreReplaced) {
  EXPECT_EQ(OnScatterFieldChanged("250").store, 250);
  EXPECT_EQ(OnScatterFieldChanged("1").store, 1);
  EXPECT_EQ(OnScatterFieldChanged("300").store, 300);

  const ScatterFieldChange tooLong = OnScatterFieldChanged("3000");
  EXPECT_FALSE(tooLong.store);
  EXPECT_EQ(tooLong.replaceText, "300");
  EXPECT_EQ(OnScatterFieldChanged("0").replaceText, "10");
  EXPECT_EQ(OnScatterFieldChanged("").replaceText, "10");
  EXPECT_EQ(OnScatterFieldChanged("-5").replaceText, "10");
  // The replacement text is itself accepted when it comes back.
  EXPECT_EQ(OnScatterFieldChanged(*tooLong.replaceText).store, 300);
}

TEST(OptionsColourField, ValuesFrom256OnTakeTheDefaultComponent) {
  const ColourFieldChange red = OnColourFieldChanged(0, "999");
  EXPECT_EQ(red.byte, 0);
  EXPECT_EQ(red.replaceText, "0");
  EXPECT_EQ(OnColourFieldChanged(2, "256").replaceText, "191");
  EXPECT_EQ(OnColourFieldChanged(3, "1000").byte, 255);

  const ColourFieldChange plain = OnColourFieldChanged(4, "255");
  EXPECT_EQ(plain.byte, 255);
  EXPECT_FALSE(plain.replaceText);
  EXPECT_EQ(OnColourFieldChanged(1, "-1").byte, 255);
  EXPECT_EQ(OnColourFieldChanged(1, "x").byte, 0);
}

TEST(OptionsColourBytes, AreTruncatedAndKeptInRange) {
  GameOptions options;
  EXPECT_EQ(ColourBytesOf(options), (ColourBytes{0, 0, 191, 255, 0, 0, 255, 255, 0}));
  options.colors[0] = 1.5f;
  options.colors[1] = -0.5f;
  const ColourBytes bytes = ColourBytesOf(options);
  EXPECT_EQ(bytes[0], 255);
  EXPECT_EQ(bytes[1], 0);
}

TEST(OptionsCancel, RestoresEveryDialogFieldAndNothingElse) {
  const GameOptions before;
  GameOptions options = before;
  const SavedOptions saved = SaveForCancel(options);
  options.form = 4;
  options.bulge = 0.45f;
  options.angleStep = 45;
  options.scatterSeconds = 99;
  options.showEdges = !options.showEdges;
  options.showFrame = !options.showFrame;
  options.showCentres = !options.showCentres;
  options.brandedBackground = !options.brandedBackground;
  options.gameRotate = !options.gameRotate;
  options.game3D = !options.game3D;
  options.colors.fill(0.5f);
  options.columns = 30;

  RestoreSaved(saved, options);
  EXPECT_EQ(options.form, before.form);
  EXPECT_EQ(options.bulge, before.bulge);
  EXPECT_EQ(options.angleStep, before.angleStep);
  EXPECT_EQ(options.scatterSeconds, before.scatterSeconds);
  EXPECT_EQ(options.showEdges, before.showEdges);
  EXPECT_EQ(options.showFrame, before.showFrame);
  EXPECT_EQ(options.showCentres, before.showCentres);
  EXPECT_EQ(options.brandedBackground, before.brandedBackground);
  EXPECT_EQ(options.gameRotate, before.gameRotate);
  EXPECT_EQ(options.game3D, before.game3D);
  EXPECT_EQ(options.colors, before.colors);
  EXPECT_EQ(options.columns, 30u);
}

TEST(OptionsControls, OpenOnTheOptionsAndTakeThemBack) {
  GameOptions options;
  options.form = 3;
  options.angleStep = 9;
  options.scatterSeconds = 42;
  options.showCentres = true;
  const OptionsControls controls = ControlsFor(options);
  EXPECT_EQ(controls.formButton, 3);
  EXPECT_EQ(controls.bulgePosition, 33);
  EXPECT_EQ(controls.speedPosition, 6);
  EXPECT_EQ(controls.scatterText, "42");
  EXPECT_TRUE(controls.showCentres);
  EXPECT_EQ(controls.colourTexts[2], "191");

  options.form = 7;
  EXPECT_EQ(ControlsFor(options).formButton, 0);
}

TEST(OptionsControls, TakingThemWritesTheOptionsAndColourBytes) {
  GameOptions options;
  options.form = 2;
  ColourBytes bytes{};
  OptionsControls controls = ControlsFor(options);
  controls.formButton = 0;  // no form button checked keeps the form
  controls.bulgePosition = 45;
  controls.speedPosition = 8;
  controls.game3D = true;
  controls.showEdges = false;
  controls.colourTexts = {"10", "20", "30", "-1", "0", "0", "255", "255", "0"};
  controls.scatterText = "3";
  TakeControls(controls, options, bytes);
  EXPECT_EQ(options.scatterSeconds, 10);
  EXPECT_EQ(controls.scatterText, "10");
  EXPECT_EQ(options.form, 2);
  EXPECT_FLOAT_EQ(options.bulge, 0.45f);
  EXPECT_EQ(options.angleStep, 45.0f);
  EXPECT_TRUE(options.game3D);
  EXPECT_FALSE(options.showEdges);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(bytes[3], 255);
  EXPECT_FLOAT_EQ(options.colors[1], 20.0f / 255.0f);
  EXPECT_FLOAT_EQ(options.colors[3], 1.0f);

  controls.speedPosition = 12;
  TakeControls(controls, options, bytes);
  EXPECT_EQ(options.angleStep, 45.0f);
}

TEST(OptionsButtons, AreRefusedWhileTheGameIsBusy) {
  GameState state;
  EXPECT_FALSE(OptionsButtonsRefused(state));
  state.scatterRunning = true;
  EXPECT_TRUE(OptionsButtonsRefused(state));
  state.scatterRunning = false;
  state.settleRunning = true;
  EXPECT_TRUE(OptionsButtonsRefused(state));
  state.settleRunning = false;
  state.rotationLeft = -45;
  EXPECT_TRUE(OptionsButtonsRefused(state));
}

// Records what the meshes were built from.
class CountingPort : public GraphicsPort {
 public:
  int builds = 0;
  bool succeed = true;
  std::uint8_t builtForm = 0;
  std::vector<float> builtHomeX;

  bool UploadPictureTexture(GameState&) override { return true; }
  bool BuildPieceLists(GameState& state, const GameOptions& options) override {
    ++builds;
    builtForm = options.form;
    builtHomeX = state.homeX;
    return succeed;
  }
  bool CaptureFrame(GameState&) override { return false; }
  float ReadDepth(int, int) override { return 1; }
};

class ApplyOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.columns = 3;
    options.form = 1;
    state.rows = 2;
    state.pieceCount = 6;
    state.imageWidth = 300;
    state.imageHeight = 200;
    ComputePictureHalfSizes(state);
    ASSERT_TRUE(ComputeCellsAndHomes(state, options));
    state.pieces.resize(6);
    for (std::size_t k = 0; k < 6; ++k) {
      state.pieces[k].x = 0.1f * static_cast<float>(k);
      state.pieces[k].y = -0.05f * static_cast<float>(k);
      state.pieces[k].z = RestingDepth(static_cast<std::uint32_t>(k));
      state.pieces[k].orient = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    }
    state.gameRunning = true;
  }

  GameState state;
  GameOptions options;
  CountingPort port;
};

TEST_F(ApplyOptionsTest, ANewFormReshapesTheGameAndLeavesThePoses) {
  const std::vector<PiecePose> poses = state.pieces;
  state.viewOffsetX = 0.25f;
  state.viewOffsetY = -0.5f;
  options.form = 2;
  options.bulge = 0.45f;
  options.angleStep = 45;

  ASSERT_TRUE(ApplyOptionsToGame(state, options, port));
  EXPECT_EQ(port.builds, 1);
  EXPECT_EQ(port.builtForm, 2);
  // The lattice of the knobbed forms: piece 0 on the picture's lower-left
  // corner, piece 5 on the upper-right, both shifted by the view offsets.
  EXPECT_FLOAT_EQ(state.halfCellW, state.halfPicW / 2);
  EXPECT_FLOAT_EQ(state.homeX[0], -state.halfPicW - 0.25f);
  EXPECT_FLOAT_EQ(state.homeY[0], -state.halfPicH + 0.5f);
  EXPECT_FLOAT_EQ(state.homeX[5], state.halfPicW - 0.25f);
  EXPECT_FLOAT_EQ(state.bulgeSpanX, 2 * 0.45f * state.halfCellW);
  // The meshes were built from the new homes.
  EXPECT_EQ(port.builtHomeX, state.homeX);
  EXPECT_NEAR(options.angleStepRad, 0.785398f, 1e-6f);
  for (std::size_t k = 0; k < poses.size(); ++k) {
    EXPECT_EQ(state.pieces[k].orient, poses[k].orient);
    EXPECT_EQ(state.pieces[k].x, poses[k].x);
    EXPECT_EQ(state.pieces[k].y, poses[k].y);
    EXPECT_EQ(state.pieces[k].z, poses[k].z);
  }
}

TEST_F(ApplyOptionsTest, AFormOutside1To4OnlyRebuildsTheMeshes) {
  const std::vector<float> homeX = state.homeX;
  const float halfCellW = state.halfCellW;
  options.form = 5;
  ApplyOptionsToGame(state, options, port);
  EXPECT_EQ(port.builds, 1);
  EXPECT_EQ(state.homeX, homeX);
  EXPECT_EQ(state.halfCellW, halfCellW);
}

TEST_F(ApplyOptionsTest, WithoutARunningGameOnlyTheTurnSpeedIsTaken) {
  state.gameRunning = false;
  const std::vector<float> homeX = state.homeX;
  options.form = 3;
  options.angleStep = 9;
  EXPECT_TRUE(ApplyOptionsToGame(state, options, port));
  EXPECT_EQ(port.builds, 0);
  EXPECT_EQ(state.homeX, homeX);
  EXPECT_FLOAT_EQ(options.angleStepRad, AngleStepToRadians(9));
}

TEST_F(ApplyOptionsTest, AFailedMeshBuildIsReported) {
  port.succeed = false;
  EXPECT_FALSE(ApplyOptionsToGame(state, options, port));
}

}  // namespace
}  // namespace puzzle
