// The main of the GUI tests: the test flags are read before Qt starts, so
// that listing the tests at build time needs no display. The tests run with
// their own empty settings, desktop data and state folders, never the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <cstdlib>

#include "app/game_view.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  QTemporaryDir home;
  if (!home.isValid()) return 2;
  const QByteArray config = (home.path() + "/config").toLocal8Bit();
  const QByteArray data = (home.path() + "/data").toLocal8Bit();
  const QByteArray state = (home.path() + "/state").toLocal8Bit();
  setenv("XDG_CONFIG_HOME", config.constData(), 1);
  setenv("XDG_DATA_HOME", data.constData(), 1);
  setenv("XDG_STATE_HOME", state.constData(), 1);
  // The tests of a screen at 200 % run by themselves, each in a process of
  // its own, with Qt's scale set before the application starts.
  if (::testing::GTEST_FLAG(filter).rfind("DoubleDensity", 0) == 0) setenv("QT_SCALE_FACTOR", "2", 1);
  QSurfaceFormat::setDefaultFormat(puzzle::GameView::RequestedFormat());
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
