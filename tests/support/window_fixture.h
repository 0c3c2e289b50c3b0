// A real main window on the scripted platform, for GUI tests under Xvfb: the
// test answers every question in advance, steps the clock and waits for
// frames to be drawn.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLocale>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "render/application.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

namespace puzzle::testing {

// Pixels that differ between two frames; frames of different sizes differ
// everywhere.
inline int CountDifferent(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return a.width() * a.height();
  int different = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) different += a.pixel(x, y) != b.pixel(x, y);
  }
  return different;
}

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override { window.reset(); }

  // The options the test set in app become the stored settings the window
  // reads, unless the test has stored some of its own.
  void Open(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedKingdom)) {
    if (!settings.Exists()) WriteSettings(settings, app.options);
    // Each test keeps its recovery copies to itself: a copy left by an
    // earlier test of this process would otherwise be offered.
    setenv("XDG_STATE_HOME", folder.File("state").c_str(), 1);
    window = std::make_unique<MainWindow>(app, platform, ShellStorage{settings, {}}, locale);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    WaitFrames(2);
  }

  // Has the window draw n more frames (and handle the events between them).
  void WaitFrames(int n) {
    QSignalSpy swapped(window->view(), &GameView::frameSwapped);
    for (int i = 0; i < 200 && swapped.count() < n; ++i) {
      window->view()->RequestFrame();
      swapped.wait(50);
    }
    ASSERT_GE(swapped.count(), n);
  }

  // Draws frames, stepping the clock by msPerFrame before each, until done
  // holds; false when it did not within maxFrames.
  bool RunFramesUntil(const std::function<bool()>& done, std::uint32_t msPerFrame = 20,
                      int maxFrames = 3000) {
    for (int i = 0; i < maxFrames; ++i) {
      if (done()) return true;
      platform.Step(msPerFrame);
      WaitFrames(1);
    }
    return done();
  }

  // A PNG of width x height whose quarters have four colours, written to the
  // test's folder.
  std::string WritePicture(const std::string& name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        image.setPixel(x, y, qRgb(x < width / 2 ? 230 : 30, y < height / 2 ? 200 : 60, x * 255 / width));
    }
    const std::string path = folder.File(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
  }

  void LoadPicture(const std::string& path) {
    platform.openResults.push_back(path);
    window->Command(CMD_LOAD_IMAGE);
  }

  // Starts a game and lets its scatter and settle run out on the stepped
  // clock.
  void StartAndSettle() {
    window->Command(CMD_START);
    ASSERT_TRUE(app.state.gameRunning);
    ASSERT_TRUE(RunFramesUntil([this] { return !app.state.scatterRunning && !app.state.settleRunning; }));
    WaitFrames(1);
  }

  // Menu items as text, "item|-|Sub[item|item]", with "*" after a greyed item.
  static std::string MenuText(const QList<QAction*>& actions) {
    std::string text;
    for (QAction* action : actions) {
      if (!text.empty()) text += '|';
      text += action->isSeparator() ? "-" : action->text().toStdString();
      if (action->menu() != nullptr) {
        text += '[' + MenuText(action->menu()->actions()) + ']';
      } else if (!action->isEnabled()) {
        text += '*';
      }
    }
    return text;
  }

  // The view's pixel over the table point (x, y) at the table's zoom.
  QPoint PixelOf(float x, float y) const {
    const double k =
        2.0 * static_cast<double>(TABLE_DEPTH) * app.state.pixelScale / NEAR_PLANE / app.table.zoom;
    return {static_cast<int>(app.table.clientWidth / 2 + x / k),
            static_cast<int>(app.table.clientHeight / 2 - y / k)};
  }

  TempFolder folder;
  Application app;
  ScriptedPlatform platform;
  MemorySettingsStore settings;
  std::unique_ptr<MainWindow> window;
};

}  // namespace puzzle::testing
