#include "win32/dialog_template.h"

namespace puzzle {

DialogTemplate::DialogTemplate(const std::wstring& caption, short width, short height) {
  AddLong(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  AddLong(0);
  words_.push_back(0);  // the number of controls, counted by Add
  for (short value : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(value));
  words_.push_back(0);  // no menu
  words_.push_back(0);  // the standard dialog class
  AddText(caption);
  words_.push_back(8);
  AddText(L"MS Shell Dlg");
}

void DialogTemplate::AddControlHeader(DWORD style, short x, short y, short width, short height, WORD id) {
  if (words_.size() % 2 != 0) words_.push_back(0);
  AddLong(style | WS_CHILD | WS_VISIBLE);
  AddLong(0);
  for (short value : {x, y, width, height}) words_.push_back(static_cast<WORD>(value));
  words_.push_back(id);
  ++words_[4];
}

void DialogTemplate::Add(WORD control, DWORD style, short x, short y, short width, short height, WORD id,
                         const std::wstring& text) {
  AddControlHeader(style, x, y, width, height, id);
  words_.push_back(0xFFFF);
  words_.push_back(control);
  AddText(text);
  words_.push_back(0);  // no creation data
}

void DialogTemplate::Add(const std::wstring& className, DWORD style, short x, short y, short width,
                         short height, WORD id) {
  AddControlHeader(style, x, y, width, height, id);
  AddText(className);
  AddText(L"");
  words_.push_back(0);  // no creation data
}

INT_PTR DialogTemplate::Run(HWND owner, DLGPROC procedure, void* context) const {
  // The template is read-only to the system; it is built here and not kept.
  std::vector<WORD> copy = words_;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(copy.data()),
                                 owner, procedure, reinterpret_cast<LPARAM>(context));
}

HWND DialogTemplate::Create(HWND owner, DLGPROC procedure, void* context) const {
  std::vector<WORD> copy = words_;
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(copy.data()),
                                    owner, procedure, reinterpret_cast<LPARAM>(context));
}

void DialogTemplate::AddLong(DWORD value) {
  words_.push_back(LOWORD(value));
  words_.push_back(HIWORD(value));
}

void DialogTemplate::AddText(const std::wstring& text) {
  words_.insert(words_.end(), text.begin(), text.end());
  words_.push_back(0);
}

}  // namespace puzzle
