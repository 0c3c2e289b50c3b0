#include <windows.h>

#include <string>

#include "game/commands.h"
#include "render/application.h"
#include "storage/registry.h"
#include "storage/wide_text.h"
#include "win32/main_window.h"
#include "win32/win32_platform.h"

namespace {

// Russian, Ukrainian and Belarusian users get the Russian texts.
bool RussianUserInterface() {
  const WORD language = PRIMARYLANGID(GetUserDefaultUILanguage());
  return language == LANG_RUSSIAN || language == LANG_UKRAINIAN || language == LANG_BELARUSIAN;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  puzzle::Application app;
  app.options.russianUi = RussianUserInterface();
  // The association starts the game as "program" "game.pzz"; the command
  // line is taken whole, blanks after the closing quote aside; one that is
  // not valid text names no game.
  std::string commandLine = puzzle::Utf8Text(GetCommandLineW()).value_or(std::string());
  commandLine.erase(commandLine.find_last_not_of(' ') + 1);
  if (auto path = puzzle::CommandLineGamePath(commandLine)) {
    app.state.gameFilePath = std::move(*path);
    app.state.capturedImage = false;
    app.shell.commandLineGamePending = true;
  }
  puzzle::Win32Platform platform;
  // The one place the store is chosen.
  const auto settings = puzzle::MakeUserSettingsStore();
  // Game files open this program: the registration is renewed at every exit,
  // so it follows the program when it moves.
  const auto registerGameFiles = [] {
    const std::string program = puzzle::RunningProgramPath();
    if (!program.empty()) puzzle::WriteRegistryFileAssociation({program});
  };
  puzzle::MainWindow window(app, platform, {*settings, registerGameFiles});
  if (!window.Create(showCommand)) return 1;
  return window.Run();
}
