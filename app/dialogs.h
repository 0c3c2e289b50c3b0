// The small modeless windows of the main menu: the Number-of-pieces box and
// the quick help with its link to the bundled manual, plus where the bundled
// pages lie. Each dialog deletes itself when closed; a second command opens a
// second copy. The Number-of-pieces box writes only pendingColumns.
#pragma once

#include <QDialog>
#include <string>

#include "model/records.h"
#include "platform/platform.h"

namespace puzzle {

// Object names of the controls, for tests and accessibility tools.
inline constexpr const char* NUMBER_EDIT_NAME = "numberOfPieces";
inline constexpr const char* MANUAL_BUTTON_NAME = "manualLink";

// The bundled manual (English) or help page (Russian): beside the build, or
// under the installed documentation. The installed place when neither exists.
std::string HelpPageLocation(bool russianUi);

// Shows the box with columns in its edit line. OK hands the text to
// TakeNumberOfPieces and closes, whatever it decides; Cansel clears
// pendingColumns.
QDialog* OpenNumberOfPiecesDialog(QWidget* owner, GameOptions& options, Platform& platform);

// Shows the quick help. Its link button opens the bundled page for the
// language and closes the dialog.
QDialog* OpenQuickHelpDialog(QWidget* owner, bool russianUi, Platform& platform);

}  // namespace puzzle
