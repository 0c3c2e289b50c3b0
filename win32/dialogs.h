// The small windows of the main menu on Windows: the Number-of-pieces box
// and the quick help with its button to the bundled manual, made from
// templates in memory, plus where the bundled pages lie. Both are modal. The
// Number-of-pieces box writes only pendingColumns.
#pragma once

#include <windows.h>

#include <string>

#include "model/records.h"
#include "platform/platform.h"

namespace puzzle {

// The bundled manual (English) or help page (Russian), found from the
// program's folder as the installation and the build tree lay them out.
std::string HelpPageLocation(bool russianUi);

// OK hands the entry to TakeNumberOfPieces and closes, whatever it decides;
// Cansel, Esc and the close box clear pendingColumns.
void RunNumberOfPiecesDialog(HWND owner, GameOptions& options, Platform& platform);

// The button with the page's path opens it for the language and closes.
void RunQuickHelpDialog(HWND owner, bool russianUi, Platform& platform);

}  // namespace puzzle
