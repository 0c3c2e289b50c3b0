// The game's one window on Windows: the "Puzzle" window class, the menu bar
// and its keys built from the shared menu description, the WGL context the
// table is drawn in, and the message loop. It turns window messages into
// calls on the rules with the application object's records and shows their
// results; it decides nothing a rule could decide. Frames are drawn when the
// player acts and for as long as the game says something moves; a table at
// rest draws nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "platform/platform.h"
#include "render/application.h"
#include "render/gl_graphics_port.h"
#include "storage/settings.h"
#include "win32/options_dialog.h"
#include "win32/win32_platform.h"

namespace puzzle {

// What outlives a run: the settings store, read when the window is made and
// written at exit, and the registration of game files, renewed at exit after
// the settings.
struct WindowStorage {
  SettingsStore& settings;
  std::function<void()> registerGameFiles;
};

class MainWindow {
 public:
  MainWindow(Application& app, Win32Platform& platform, WindowStorage storage);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Makes and shows the window; false with a message when there is no GL.
  bool Create(int showCommand);
  // Runs until the window is gone; the exit code.
  int Run();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool StartGl();
  void Paint();
  void ScheduleNextFrame();
  void Redraw();
  void Command(int commandId);
  void ShowTitle();
  void OnSize(int width, int height);
  bool OnMouse(UINT message, int x, int y);
  void OnWheel(int deltaX, int deltaY, WPARAM keys, LPARAM screenPoint);
  bool OnKey(UINT message, WPARAM key);
  void OpenOptions();
  void ShowPieceMenu();
  void FillRecentGames(HMENU menu);
  void RememberPlacement();
  double NowMs() const;

  Application& app_;
  Win32Platform& platform_;
  WindowStorage storage_;
  GlGraphicsPort graphics_;
  HWND window_ = nullptr;
  HDC deviceContext_ = nullptr;
  HGLRC context_ = nullptr;
  HMENU menu_ = nullptr;
  HMENU recentGames_ = nullptr;
  HACCEL keys_ = nullptr;
  bool firstFrameShown_ = false;
  // What the last frame's game said of the next one (NextFrameDelay).
  std::optional<std::uint32_t> nextFrameDelay_;
  LARGE_INTEGER clockStart_{};
  LARGE_INTEGER clockFrequency_{};
  // The one Options dialog; kept after it closes until the next opens.
  std::unique_ptr<OptionsWindow> optionsWindow_;
};

}  // namespace puzzle
