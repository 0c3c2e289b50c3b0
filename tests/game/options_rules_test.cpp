#include "game/options_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "game/small_game.h"
#include "model/geometry.h"
#include "support/fake_graphics_port.h"

namespace puzzle {
namespace {

// Leading blanks, a plus sign, trailing text, nothing and a large positive
// number are the number-of-pieces test's; these are the rest.
TEST(OptionsReadDecimal, NegativeNumbersAndTheirOverflow) {
  // A long row of digits saturates instead of overflowing.
  const std::pair<const char*, int> cases[] = {
      {"  -12abc", -12}, {"-", 0}, {"12 34", 12}, {"-99999999999999999999999", INT_MIN}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadDecimal(text), value) << text;
}

// Every bulge position must come back as itself, or each OK would lower the
// bulge; a speed that is not in the table shows the nearest.
TEST(OptionsSliders, BulgePositionsSurviveARoundTripAndSpeedsFollowTheTable) {
  for (int position = BulgePositionMin(); position <= BulgePositionMax(); ++position)
    EXPECT_EQ(BulgeToPosition(PositionToBulge(position)), position) << position;
  EXPECT_EQ(AngleStepToPosition(0.25f), 0);
  EXPECT_EQ(AngleStepToPosition(14.0f), 7);
  EXPECT_EQ(PositionToAngleStep(-1), std::nullopt);
  EXPECT_EQ(PositionToAngleStep(9), std::nullopt);
}

// While typing nothing is replaced; once the field is left, values outside
// 1-300 are.
TEST(OptionsScatterField, OutOfRangeEntriesAreReplacedOnlyOnceTypingEnds) {
  struct Case {
    const char* text;
    bool typing;
    std::optional<std::int32_t> store;
    std::optional<std::string> replaceText;
  };
  const Case cases[] = {
      {"1", true, 1, {}},     {"300", false, 300, {}},   {"", true, {}, {}},    {"-", true, {}, {}},
      {"0", true, {}, {}},    {"3000", true, {}, {}},    {"", false, {}, "10"}, {"-5", false, {}, "10"},
      {"x", false, {}, "10"}, {"301", false, {}, "300"},
  };
  for (const Case& c : cases) {
    const ScatterFieldChange change = OnScatterFieldChanged(c.text, c.typing);
    EXPECT_EQ(change.store, c.store) << c.text << ' ' << c.typing;
    EXPECT_EQ(change.replaceText, c.replaceText) << c.text << ' ' << c.typing;
  }
}

// A typed value from 256 on takes the default component; stored colours
// outside 0-1 give bytes kept in range.
TEST(OptionsColours, FieldsFrom256OnTakeTheDefaultAndBytesStayInRange) {
  EXPECT_EQ(OnColourFieldChanged(2, "256").replaceText, "191");
  EXPECT_EQ(OnColourFieldChanged(3, "1000").byte, 255);
  const ColourFieldChange plain = OnColourFieldChanged(4, "255");
  EXPECT_EQ(std::make_pair(plain.byte, plain.replaceText.has_value()),
            std::make_pair(std::uint8_t{255}, false));
  EXPECT_EQ(OnColourFieldChanged(1, "x").byte, 0);

  GameOptions options;
  options.colors[0] = 1.5f;
  options.colors[1] = -0.5f;
  const ColourBytes bytes = ColourBytesOf(options);
  EXPECT_EQ(std::make_pair(bytes[0], bytes[1]), std::make_pair(std::uint8_t{255}, std::uint8_t{0}));
}

// The dialog test applies typed values; these are the cases it cannot type.
TEST(OptionsControls, TakingThemKeepsTheFormWithoutAButtonAndClampsTheScatterTime) {
  GameOptions options;
  options.form = 2;
  ColourBytes bytes{};
  OptionsControls controls = ControlsFor(options);
  controls.formButton = 0;
  controls.speedPosition = 12;
  controls.colourTexts[3] = "-1";
  controls.scatterText = "3";
  TakeControls(controls, options, bytes);
  EXPECT_EQ(std::make_tuple(options.form, options.angleStep, bytes[3], options.colors[3],
                            options.scatterSeconds, controls.scatterText),
            std::make_tuple(2, GameOptions().angleStep, 255, 1.0f, 10, "10"));
}

// The window test checks the cell measures and that the poses stay.
TEST(ApplyOptions, ANewFormMovesTheHomesByTheViewOffsetsOtherFormsOrNoGameKeepThem) {
  GameState state;
  TableView table{.viewOffsetX = 0.25f, .viewOffsetY = -0.5f};
  GameOptions options;
  testing::FakeGraphicsPort port;
  testing::StartSmallGame(state, options);
  options.form = 2;
  options.angleStep = 45;
  ASSERT_TRUE(ApplyOptionsToGame(state, table, options, port));
  EXPECT_EQ(std::make_pair(port.builds, port.builtForm), std::make_pair(1, std::uint8_t{2}));
  // The lattice of the knobbed forms: piece 0 on the picture's lower-left
  // corner, piece 5 on the upper-right, both shifted by the view offsets.
  EXPECT_FLOAT_EQ(state.homeX[0], -state.halfPicW - 0.25f);
  EXPECT_FLOAT_EQ(state.homeY[0], -state.halfPicH + 0.5f);
  EXPECT_FLOAT_EQ(state.homeX[5], state.halfPicW - 0.25f);
  EXPECT_EQ(port.builtHomeX, state.homeX);
  EXPECT_NEAR(options.angleStepRad, 0.785398f, 1e-6f);

  const std::vector<float> homeX = state.homeX;
  const float halfCellW = state.halfCellW;
  options.form = 5;
  ApplyOptionsToGame(state, table, options, port);
  EXPECT_EQ(std::tie(port.builds, state.homeX, state.halfCellW), std::make_tuple(2, homeX, halfCellW));
  port.buildSucceeds = false;
  EXPECT_FALSE(ApplyOptionsToGame(state, table, options, port));

  // Without a running game only the turn speed is taken.
  state.gameRunning = false;
  options.form = 3;
  options.angleStep = 9;
  EXPECT_TRUE(ApplyOptionsToGame(state, table, options, port));
  EXPECT_EQ(std::make_pair(port.builds, state.homeX), std::make_pair(3, homeX));
  EXPECT_FLOAT_EQ(options.angleStepRad, AngleStepToRadians(9));
}

}  // namespace
}  // namespace puzzle
