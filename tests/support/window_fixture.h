// A real main window on the scripted platform, for GUI tests under Xvfb: the
// test answers every question in advance, steps the clock and waits for
// frames to be drawn.
#pragma once

#include <gtest/gtest.h>

#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/application.h"
#include "app/main_window.h"
#include "support/scripted_platform.h"

namespace puzzle::testing {

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override { window.reset(); }

  void Open(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedKingdom)) {
    window = std::make_unique<MainWindow>(app, platform, locale);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    WaitFrames(2);
  }

  // Lets the window draw n more frames (and handle the events between them).
  void WaitFrames(int n) {
    QSignalSpy swapped(window->view(), &QOpenGLWidget::frameSwapped);
    for (int i = 0; i < 200 && swapped.count() < n; ++i) swapped.wait(50);
    ASSERT_GE(swapped.count(), n);
  }

  Application app;
  ScriptedPlatform platform;
  std::unique_ptr<MainWindow> window;
};

}  // namespace puzzle::testing
