// Registers the ".pzz" game files with the desktop for the current user
// (freedesktop): a MIME package "application/x-tessarine" for *.pzz
// ("Tessarine Files"), a desktop entry that starts the game with the file
// (%f), and the game-file icon; then refreshes the MIME and desktop
// databases when update-mime-database and update-desktop-database exist.
// Written at exit after the settings; owns no game record.
#pragma once

#include <string>

namespace puzzle {

inline constexpr const char* GAME_FILE_MIME_TYPE = "application/x-tessarine";

struct AssociationTarget {
  std::string programPath;  // the running program, absolute
  std::string dataHome;     // $XDG_DATA_HOME, else ~/.local/share
  bool refreshDatabases = true;
};

// dataHome of the current user; empty when neither XDG_DATA_HOME nor HOME
// is set.
std::string UserDataHome();

// The desktop entry's text for a program path (quoted as the entry format
// requires, so that paths with blanks work).
std::string DesktopEntryText(const std::string& programPath);

// Places the MIME package, the desktop entry and the two icons under
// dataHome, rewriting only files whose contents differ, and refreshes the
// databases of what changed. A file that cannot be written is skipped
// silently, as the player cannot act on it at exit; returns how many of the
// four are in place.
int WriteFileAssociation(const AssociationTarget& target);

}  // namespace puzzle
