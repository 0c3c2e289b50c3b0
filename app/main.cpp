#include <QApplication>
#include <QSurfaceFormat>
#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "app/qt_platform.h"
#include "app/qt_settings_store.h"
#include "game/commands.h"
#include "render/application.h"
#include "storage/file_association.h"

int main(int argc, char* argv[]) {
  // The GL table draws through the fixed-function pipeline, so every context
  // of the process must be a compatibility one.
  QSurfaceFormat::setDefaultFormat(puzzle::GameView::RequestedFormat());
  QApplication qtApp(argc, argv);
  puzzle::Application app;
  // The desktop entry hands the game file over as the first argument; it is
  // quoted here as the command line of a file association always was.
  if (argc > 1) {
    if (auto path = puzzle::CommandLineGamePath('"' + std::string(argv[1]) + '"')) {
      app.state.gameFilePath = std::move(*path);
      app.state.capturedImage = false;
      app.shell.commandLineGamePending = true;
    }
  }
  puzzle::QtPlatform platform;
  puzzle::QtSettingsStore settings;
  // Game files open this program: the registration is renewed at every exit,
  // so it follows the program when it moves.
  const auto registerGameFiles = [] {
    const std::string dataHome = puzzle::UserDataHome();
    if (dataHome.empty()) return;
    puzzle::WriteFileAssociation({QCoreApplication::applicationFilePath().toStdString(), dataHome, true});
  };
  puzzle::MainWindow window(app, platform, {settings, registerGameFiles});
  platform.SetMainWindow(&window);
  platform.SetMenuActions(&window.menuActions());
  // For the benchmark's count of the frames a window at rest draws: with
  // PUZZLE_PRINT_FRAMES set, a line on standard output for every frame shown.
  if (qEnvironmentVariableIsSet("PUZZLE_PRINT_FRAMES")) {
    QObject::connect(window.view(), &puzzle::GameView::frameSwapped, [&window] {
      std::printf("frame %llu\n", static_cast<unsigned long long>(window.view()->FramesDrawn()));
      std::fflush(stdout);
    });
  }
  window.show();
  // A game that ran and was closed ends with success; Qt reports its own
  // start-up failures (no display, no GL) with a non-zero code before this.
  return QApplication::exec();
}
