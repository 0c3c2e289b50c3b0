#include "app/main_window.h"

namespace puzzle {

MainWindow::MainWindow(Application& app, QtPlatform& platform)
    : app_(app), platform_(platform), view_(new GameView(app, platform, this)) {
  setWindowTitle(START_TITLE);
  setCentralWidget(view_);
  platform_.SetMainWindow(this);
  resize(800, 600);
}

}  // namespace puzzle
