// The Options dialog on the real window and table: applying a new form to a
// running game re-shapes the pieces on the next frame, and Cancel brings the
// old ones back.
#include <QRadioButton>
#include <QSlider>

#include "game/commands.h"
#include "options/options_dialog.h"
#include "support/window_fixture.h"

namespace puzzle::testing {
namespace {

int CountDifferent(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return a.width() * a.height();
  int different = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) different += a.pixel(x, y) != b.pixel(x, y);
  }
  return different;
}

using OptionsWindowTest = WindowTest;

TEST_F(OptionsWindowTest, ApplyNowReshapesTheRunningGameAndCancelBringsItBack) {
  // A still background, so that frames differ only by the pieces.
  app.options.brandedBackground = false;
  app.options.scatterSeconds = 10;
  app.options.columns = 4;
  Open();
  LoadPicture(WritePicture("quarters.png", 320, 240));
  StartAndSettle();
  const std::vector<PiecePose> poses = app.state.pieces;
  const QImage before = window->view()->grabFramebuffer();

  window->Command(CMD_OPTIONS);
  auto* dialog = window->findChild<OptionsDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  QTest::mouseClick(dialog->findChild<QRadioButton*>("form3"), Qt::LeftButton);
  dialog->findChild<QSlider*>("bulgeSlider")->triggerAction(QAbstractSlider::SliderToMaximum);
  dialog->ApplyNow();
  WaitFrames(2);
  const QImage reshaped = window->view()->grabFramebuffer();
  EXPECT_EQ(app.options.form, 3);
  EXPECT_GT(CountDifferent(before, reshaped), 1000);
  for (std::size_t k = 0; k < poses.size(); ++k) {
    EXPECT_EQ(app.state.pieces[k].x, poses[k].x);
    EXPECT_EQ(app.state.pieces[k].y, poses[k].y);
    EXPECT_EQ(app.state.pieces[k].orient, poses[k].orient);
  }

  dialog->reject();
  WaitFrames(2);
  EXPECT_EQ(app.options.form, 1);
  EXPECT_EQ(CountDifferent(before, window->view()->grabFramebuffer()), 0);
}

}  // namespace
}  // namespace puzzle::testing
