// What the rules need from the desktop: message boxes and their answers, file
// dialogs, the colour chooser, the cursor, menu item states, opening a page
// and the millisecond clock. The rules call only this interface, so a test
// can answer every question and step the clock; app/ holds the Qt version.
// Implementations own no game record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace puzzle {

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Question, Information, Exclamation, Stop };
enum class MessageAnswer { Ok, Yes, No, Cancel };
// Which window a message belongs to, as the rules see it; the window shell
// opens every box centred on the main window.
enum class MessageOwner { None, MainWindow };

struct Message {
  std::string text;
  std::string caption;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
  MessageOwner owner = MessageOwner::None;
};

struct FileFilter {
  std::string label;                  // "Puzzle Game Files (*.pzz)"
  std::vector<std::string> patterns;  // "*.pzz"
};

struct FileDialogRequest {
  std::vector<FileFilter> filters;
  std::size_t selectedFilter = 0;
  std::string startDirectory;
  std::string initialPath;
  std::string defaultExtension;  // without the dot; empty for none
};

// Move: the four-way cursor shown while a fresh picture is panned.
enum class CursorShape { Arrow, Wait, Move };

// Menu commands whose enabled state the rules change.
inline constexpr int CMD_UNDO = 1004;
inline constexpr int CMD_REDO = 1005;

using Rgb = std::array<std::uint8_t, 3>;

class Platform {
 public:
  virtual ~Platform() = default;

  virtual MessageAnswer ShowMessage(const Message& message) = 0;
  // The chosen path, or nothing when the player cancels. A save dialog adds
  // the default extension to a name without one and never asks about
  // replacing a file: the caller settles the name first, then asks.
  virtual std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) = 0;
  // customColours is kept by the caller for the whole run and updated here.
  virtual std::optional<Rgb> ChooseColour(Rgb initial, std::array<Rgb, 16>& customColours) = 0;

  virtual CursorShape Cursor() const = 0;
  virtual void SetCursor(CursorShape shape) = 0;
  // While confined, the pointer stays inside the client area.
  virtual void ConfineCursor(bool confined) = 0;

  virtual void SetMenuItemEnabled(int commandId, bool enabled) = 0;
  // Opens a local page or address with the desktop's default handler.
  virtual bool OpenPage(const std::string& location) = 0;

  // Milliseconds since an arbitrary start, wrapping like a 32-bit tick.
  virtual std::uint32_t TickMs() const = 0;
};

}  // namespace puzzle
