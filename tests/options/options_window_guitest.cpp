// The Options dialog on the real window and table: Apply Now re-shapes the
// running game's pieces and sets the clear colour on the next frame, and
// Cancel brings the old ones back.
#include <GL/gl.h>

#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <tuple>

#include "game/commands.h"
#include "options/options_dialog.h"
#include "support/window_fixture.h"

namespace puzzle::testing {
namespace {

using OptionsWindowTest = WindowTest;

TEST_F(OptionsWindowTest, ApplyNowReshapesTheRunningGameAndCancelBringsItBack) {
  // A still background, so that frames differ only by the pieces.
  app.options.brandedBackground = false;
  app.options.scatterSeconds = 10;
  app.options.columns = 4;
  Open();
  LoadPicture(WritePicture("quarters.png", 320, 240));
  StartAndSettle();
  const GameState& state = app.state;
  const std::vector<PiecePose> poses = state.pieces;
  const std::vector<float> homeX = state.homeX;
  const float halfCellW = state.halfCellW;
  const QImage before = window->view()->grabFramebuffer();
  auto clearGreen = [this] {
    window->view()->makeCurrent();
    std::array<float, 4> colour{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, colour.data());
    return colour[1];
  };

  // As if just saved: a new form is a change the game file would keep.
  app.state.gameChanged = false;
  window->Command(CMD_OPTIONS);
  auto* dialog = window->findChild<OptionsDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  QTest::mouseClick(dialog->findChild<QRadioButton*>("form3"), Qt::LeftButton);
  dialog->findChild<QSlider*>("bulgeSlider")->triggerAction(QAbstractSlider::SliderToMaximum);
  auto* green = dialog->findChild<QLineEdit*>("colourField1");
  green->selectAll();
  QTest::keyClicks(green, "128");
  dialog->ApplyNow();
  WaitFrames(2);
  EXPECT_EQ(app.options.form, 3);
  EXPECT_TRUE(state.gameChanged);
  EXPECT_NE(state.halfCellW, halfCellW);
  EXPECT_NEAR(clearGreen(), 128.0f / 255.0f, 1e-3f);
  EXPECT_GT(CountDifferent(before, window->view()->grabFramebuffer()), 1000);
  for (std::size_t k = 0; k < poses.size(); ++k) {
    const PiecePose &now = state.pieces[k], &was = poses[k];
    EXPECT_EQ(std::tie(now.x, now.y, now.z, now.orient), std::tie(was.x, was.y, was.z, was.orient)) << k;
  }

  dialog->reject();
  WaitFrames(2);
  EXPECT_FLOAT_EQ(app.options.bulge, 0.33f);
  EXPECT_EQ(std::make_tuple(app.options.form, app.options.colors, state.homeX, state.halfCellW),
            std::make_tuple(std::uint8_t{1}, GameOptions().colors, homeX, halfCellW));
  EXPECT_NEAR(clearGreen(), 0.0f, 1e-3f);
  EXPECT_EQ(CountDifferent(before, window->view()->grabFramebuffer()), 0);
}

}  // namespace
}  // namespace puzzle::testing
