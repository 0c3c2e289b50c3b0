// The desktop as the rules see it on Windows (platform/platform.h): message
// boxes, the system's file and colour dialogs, the cursor, the main menu's
// greyed items, pages opened by the shell and the tick count. Owns no game
// record; the main window hands it its window and menu once they exist.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace puzzle {

// A text the player reads (window, menu, dialog and box texts) through the
// strict conversion of storage/wide_text.h: one that is not valid UTF-8
// (none of the game's own; at worst a damaged stored path) shows as nothing
// rather than as another text.
std::wstring ShownText(std::string_view text);

class Win32Platform : public Platform {
 public:
  void SetMainWindow(HWND window, HMENU menu) {
    window_ = window;
    menu_ = menu;
  }

  MessageAnswer ShowMessage(const Message& message) override;
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
  std::optional<Rgb> ChooseColour(Rgb initial, std::array<Rgb, 16>& customColours) override;
  CursorShape Cursor() const override { return cursor_; }
  void SetCursor(CursorShape shape) override;
  void ConfineCursor(bool confined) override;
  void SetMenuItemEnabled(int commandId, bool enabled) override;
  bool OpenPage(const std::string& location) override;
  std::uint32_t TickMs() const override { return GetTickCount(); }

 private:
  std::optional<std::string> ChooseFile(const FileDialogRequest& request, bool save);

  HWND window_ = nullptr;
  HMENU menu_ = nullptr;
  CursorShape cursor_ = CursorShape::Arrow;
};

// The system cursor for a shape.
HCURSOR CursorOf(CursorShape shape);

// One of the program's icons (win32/icons.h) at the size of a caption's
// small icon; LoadIcon would give the large one. Shared, never destroyed.
HICON SmallIcon(int resourceId);

}  // namespace puzzle
