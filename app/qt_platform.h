// The desktop behind the platform interface: Qt message boxes, file dialogs,
// the colour chooser, the cursor, the main window's menu items, the default
// browser and a monotonic millisecond clock.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "app/menus.h"
#include "platform/platform.h"

namespace puzzle {

// The filters handed to Qt's file dialogs: each label as written, followed
// by one bracketed group with all of its patterns.
QStringList QtNameFilters(const FileDialogRequest& request);

class QtPlatform : public Platform {
 public:
  QtPlatform();

  // The window that owns dialogs and owned message boxes.
  void SetMainWindow(QWidget* window) { mainWindow_ = window; }
  // The main window's menu items, so that the rules can grey or enable them.
  void SetMenuActions(MenuActions* actions) { menuActions_ = actions; }

  MessageAnswer ShowMessage(const Message& message) override;
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
  std::optional<Rgb> ChooseColour(Rgb initial, std::array<Rgb, 16>& customColours) override;
  CursorShape Cursor() const override { return cursor_; }
  void SetCursor(CursorShape shape) override;
  // The rules clamp the pointer to the client area while the button is held,
  // and Qt keeps sending the widget the pointer during a press, so the
  // pointer itself is left free.
  void ConfineCursor(bool) override {}
  void SetMenuItemEnabled(int commandId, bool enabled) override;
  bool OpenPage(const std::string& location) override;
  std::uint32_t TickMs() const override;

 private:
  QPointer<QWidget> mainWindow_;
  MenuActions* menuActions_ = nullptr;
  QElapsedTimer clock_;
  CursorShape cursor_ = CursorShape::Arrow;
};

}  // namespace puzzle
