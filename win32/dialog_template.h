// Dialog templates built in memory, so that every dialog of the Windows shell
// takes its texts from the shared tables in the player's language rather than
// from one resource per language. Owns only the template's words.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace puzzle {

// The predefined control classes a template names by atom.
inline constexpr WORD BUTTON_CLASS = 0x0080;
inline constexpr WORD EDIT_CLASS = 0x0081;
inline constexpr WORD STATIC_CLASS = 0x0082;

// A template as DialogBoxIndirectParam and CreateDialogIndirectParam read it:
// the header with the caption and the dialog font, then each control on a
// 4-byte boundary. Sizes are in dialog units.
class DialogTemplate {
 public:
  DialogTemplate(const std::wstring& caption, short width, short height);

  void Add(WORD control, DWORD style, short x, short y, short width, short height, WORD id,
           const std::wstring& text);
  // A control of a class named by its window class (the common controls).
  void Add(const std::wstring& className, DWORD style, short x, short y, short width, short height, WORD id);

  // Modal: returns the id EndDialog was given.
  INT_PTR Run(HWND owner, DLGPROC procedure, void* context) const;
  // Modeless: the dialog, not yet shown; the caller's message loop hands it
  // its keys through IsDialogMessage.
  HWND Create(HWND owner, DLGPROC procedure, void* context) const;

 private:
  void AddControlHeader(DWORD style, short x, short y, short width, short height, WORD id);
  void AddLong(DWORD value);
  void AddText(const std::wstring& text);

  std::vector<WORD> words_;
};

}  // namespace puzzle
