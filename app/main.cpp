#include <QApplication>
#include <QSurfaceFormat>

#include "app/application.h"
#include "app/main_window.h"
#include "app/qt_platform.h"

int main(int argc, char* argv[]) {
  // The GL table draws through the fixed-function pipeline, so every context
  // of the process must be a compatibility one.
  QSurfaceFormat::setDefaultFormat(puzzle::GameView::RequestedFormat());
  QApplication qtApp(argc, argv);
  puzzle::Application app;
  puzzle::QtPlatform platform;
  puzzle::MainWindow window(app, platform);
  window.show();
  QApplication::exec();
  // The loop ended normally: the exit code of a window that ran.
  return 1;
}
