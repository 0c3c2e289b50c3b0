#include "win32/win32_platform.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "storage/wide_text.h"

namespace puzzle {

std::wstring ShownText(std::string_view text) {
  return WideText(text).value_or(std::wstring());
}

MessageAnswer Win32Platform::ShowMessage(const Message& message) {
  UINT style = MB_OK;
  switch (message.buttons) {
    case MessageButtons::Ok: style = MB_OK; break;
    case MessageButtons::YesNo: style = MB_YESNO; break;
    case MessageButtons::YesNoCancel: style = MB_YESNOCANCEL; break;
  }
  switch (message.icon) {
    case MessageIcon::None: break;
    case MessageIcon::Question: style |= MB_ICONQUESTION; break;
    case MessageIcon::Information: style |= MB_ICONINFORMATION; break;
    case MessageIcon::Exclamation: style |= MB_ICONEXCLAMATION; break;
    case MessageIcon::Stop: style |= MB_ICONSTOP; break;
  }
  // Every box belongs to the main window, so that it stays in front of it
  // and the window waits for the answer.
  const int answer =
      MessageBoxW(window_, ShownText(message.text).c_str(), ShownText(message.caption).c_str(), style);
  switch (answer) {
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    case IDCANCEL: return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

std::optional<std::string> Win32Platform::ChooseFile(const FileDialogRequest& request, bool save) {
  // "label\0*.a;*.b\0...\0\0" as the dialog takes its filters.
  std::wstring filters;
  for (const FileFilter& filter : request.filters) {
    filters += ShownText(filter.label);
    filters += L'\0';
    std::string patterns;
    for (const std::string& pattern : filter.patterns) patterns += (patterns.empty() ? "" : ";") + pattern;
    filters += ShownText(patterns);
    filters += L'\0';
  }
  filters += L'\0';
  // Long paths are allowed for: the buffer is far beyond MAX_PATH.
  std::vector<wchar_t> path(32768, L'\0');
  const std::wstring initial = ShownText(request.initialPath);
  initial.copy(path.data(), std::min(initial.size(), path.size() - 1));
  const std::wstring directory = ShownText(request.startDirectory);
  const std::wstring extension = ShownText(request.defaultExtension);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(request.selectedFilter + 1);
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // The caller asks about replacing a file itself.
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                 (save ? OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  // A name that is not valid UTF-16 could only be taken for another file's:
  // it is refused as a cancelled choice is.
  if (!chosen) return std::nullopt;
  return Utf8Text(path.data());
}

std::optional<std::string> Win32Platform::ChooseOpenFile(const FileDialogRequest& request) {
  return ChooseFile(request, false);
}

std::optional<std::string> Win32Platform::ChooseSaveFile(const FileDialogRequest& request) {
  return ChooseFile(request, true);
}

std::optional<Rgb> Win32Platform::ChooseColour(Rgb initial, std::array<Rgb, 16>& customColours) {
  std::array<COLORREF, 16> custom{};
  for (std::size_t i = 0; i < custom.size(); ++i)
    custom[i] = RGB(customColours[i][0], customColours[i][1], customColours[i][2]);
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof(dialog);
  // Owned by the window that asked (the Options dialog), which then waits.
  const HWND active = GetActiveWindow();
  dialog.hwndOwner = active != nullptr ? active : window_;
  dialog.rgbResult = RGB(initial[0], initial[1], initial[2]);
  dialog.lpCustColors = custom.data();
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
  const BOOL chosen = ChooseColorW(&dialog);
  for (std::size_t i = 0; i < custom.size(); ++i)
    customColours[i] = {GetRValue(custom[i]), GetGValue(custom[i]), GetBValue(custom[i])};
  if (!chosen) return std::nullopt;
  return Rgb{GetRValue(dialog.rgbResult), GetGValue(dialog.rgbResult), GetBValue(dialog.rgbResult)};
}

HCURSOR CursorOf(CursorShape shape) {
  switch (shape) {
    case CursorShape::Wait: return LoadCursorW(nullptr, IDC_WAIT);
    case CursorShape::Move: return LoadCursorW(nullptr, IDC_SIZEALL);
    case CursorShape::Arrow: break;
  }
  return LoadCursorW(nullptr, IDC_ARROW);
}

HICON SmallIcon(int resourceId) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       LR_SHARED));
}

void Win32Platform::SetCursor(CursorShape shape) {
  cursor_ = shape;
  ::SetCursor(CursorOf(shape));
}

void Win32Platform::ConfineCursor(bool confined) {
  if (!confined || window_ == nullptr) {
    ClipCursor(nullptr);
    return;
  }
  RECT client{};
  GetClientRect(window_, &client);
  MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  ClipCursor(&client);
}

void Win32Platform::SetMenuItemEnabled(int commandId, bool enabled) {
  if (menu_ == nullptr) return;
  EnableMenuItem(menu_, static_cast<UINT>(commandId), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  // Undo and Redo sit on the bar itself, which is drawn anew only on request.
  DrawMenuBar(window_);
}

bool Win32Platform::OpenPage(const std::string& location) {
  const auto wide = WideText(location);
  if (!wide) return false;
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(window_, L"open", wide->c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Values up to 32 are the shell's error codes.
  return result > 32;
}

}  // namespace puzzle
