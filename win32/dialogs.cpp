#include "win32/dialogs.h"

#include <functional>
#include <vector>

#include "game/commands.h"
#include "model/texts.h"
#include "storage/wide_text.h"
#include "win32/dialog_template.h"
#include "win32/icons.h"
#include "win32/win32_platform.h"

namespace puzzle {
namespace {

constexpr WORD NUMBER_EDIT_ID = 200;
constexpr WORD MANUAL_BUTTON_ID = 201;

std::wstring Text(const UiText& text, bool russianUi) {
  return ShownText(Tr(text, russianUi));
}

// The dialog's handler: a command of one of its controls, with the dialog;
// true ends the dialog.
using DialogCommand = std::function<bool(HWND dialog, WORD id)>;

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon(PUZZLE_WINDOW_ICON)));
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  auto* command = reinterpret_cast<DialogCommand*>(GetWindowLongPtrW(dialog, DWLP_USER));
  const WORD id = LOWORD(wParam);
  if (command != nullptr && (*command)(dialog, id)) EndDialog(dialog, id);
  return TRUE;
}

// A group box of texts, one line each, from top; returns the next free row.
short AddGroup(DialogTemplate& dialog, const UiText& title, std::initializer_list<const UiText*> lines,
               bool russianUi, short top, short width) {
  const auto height = static_cast<short>(14 + 10 * lines.size());
  dialog.Add(BUTTON_CLASS, BS_GROUPBOX, 7, top, width, height, 0xFFFF, Text(title, russianUi));
  short y = static_cast<short>(top + 11);
  for (const UiText* line : lines) {
    dialog.Add(STATIC_CLASS, SS_LEFT, 14, y, static_cast<short>(width - 14), 9, 0xFFFF,
               Text(*line, russianUi));
    y = static_cast<short>(y + 10);
  }
  return static_cast<short>(top + height + 4);
}

}  // namespace

std::string HelpPageLocation(bool russianUi) {
  std::wstring program(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
  program.resize(length);
  program.erase(program.find_last_of(L"\\/") + 1);
  // The program lies in bin\ when installed and in win32\ of the build
  // tree, which holds a copy of the pages at the same relative place.
  // A folder whose name is not valid text leaves a page that is not found,
  // which Help On-Line says.
  std::string page = Utf8Text(program).value_or(std::string()) + "..\\" PUZZLE_DOC_DIR "\\tessarine\\";
  for (char& c : page) c = c == '/' ? '\\' : c;
  return page + (russianUi ? "help.htm" : "manual.htm");
}

void RunNumberOfPiecesDialog(HWND owner, GameOptions& options, Platform& platform) {
  const bool ru = options.russianUi;
  DialogTemplate dialog(Text(texts::PIECES_TITLE, ru), 200, 70);
  dialog.Add(BUTTON_CLASS, BS_GROUPBOX, 7, 4, 186, 34, 0xFFFF, Text(texts::PIECES_GROUP, ru));
  dialog.Add(EDIT_CLASS, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 14, 17, 172, 13, NUMBER_EDIT_ID,
             std::to_wstring(options.columns));
  dialog.Add(BUTTON_CLASS, BS_DEFPUSHBUTTON | WS_TABSTOP, 86, 48, 50, 14, IDOK, Text(texts::BUTTON_OK, ru));
  dialog.Add(BUTTON_CLASS, BS_PUSHBUTTON | WS_TABSTOP, 143, 48, 50, 14, IDCANCEL,
             Text(texts::BUTTON_CANCEL, ru));
  DialogCommand command = [&](HWND window, WORD id) {
    if (id == IDOK) {
      std::wstring entry(256, L'\0');
      entry.resize(static_cast<std::size_t>(
          GetDlgItemTextW(window, NUMBER_EDIT_ID, entry.data(), static_cast<int>(entry.size()))));
      TakeNumberOfPieces(options, platform, Utf8Text(entry).value_or(std::string()));
      return true;
    }
    if (id == IDCANCEL) {
      options.pendingColumns = 0;
      return true;
    }
    return false;
  };
  dialog.Run(owner, DialogProcedure, &command);
}

void RunQuickHelpDialog(HWND owner, bool russianUi, Platform& platform) {
  constexpr short WIDTH = 280;
  DialogTemplate dialog(Text(texts::QUICK_HELP_TITLE, russianUi), WIDTH, 246);
  short y = 4;
  y = AddGroup(dialog, texts::QUICK_START_GROUP,
               {&texts::QUICK_START_1, &texts::QUICK_START_2, &texts::QUICK_START_3, &texts::QUICK_START_4},
               russianUi, y, WIDTH - 14);
  y = AddGroup(dialog, texts::HOW_TO_PLAY_GROUP,
               {&texts::HOW_TO_PLAY_1, &texts::HOW_TO_PLAY_2, &texts::HOW_TO_PLAY_3, &texts::HOW_TO_PLAY_4},
               russianUi, y, WIDTH - 14);
  y = AddGroup(dialog, texts::CHANGE_OPTIONS_GROUP,
               {&texts::CHANGE_OPTIONS_1, &texts::CHANGE_OPTIONS_2, &texts::CHANGE_OPTIONS_3,
                &texts::CHANGE_OPTIONS_4},
               russianUi, y, WIDTH - 14);
  const std::string page = HelpPageLocation(russianUi);
  dialog.Add(BUTTON_CLASS, BS_GROUPBOX, 7, y, WIDTH - 14, 30, 0xFFFF,
             Text(texts::MORE_DETAILS_GROUP, russianUi));
  dialog.Add(BUTTON_CLASS, BS_PUSHBUTTON | WS_TABSTOP, 14, static_cast<short>(y + 11), WIDTH - 28, 14,
             MANUAL_BUTTON_ID, ShownText(page));
  dialog.Add(BUTTON_CLASS, BS_DEFPUSHBUTTON | WS_TABSTOP, WIDTH - 57, static_cast<short>(y + 36), 50, 14,
             IDOK, Text(texts::BUTTON_OK, russianUi));
  DialogCommand command = [&](HWND, WORD id) {
    if (id == MANUAL_BUTTON_ID) OpenManualPage(platform, russianUi, page);
    return id == MANUAL_BUTTON_ID || id == IDOK || id == IDCANCEL;
  };
  dialog.Run(owner, DialogProcedure, &command);
}

}  // namespace puzzle
