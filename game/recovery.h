// The recovery copy of the game in progress: when to write it, writing it,
// dropping it once the game is safe in a file or given up, and offering the
// copy a crashed run left behind (storage/recovery_files.h keeps the files).
//
// RecoveryKeeper lives in the application object and is written only here.
// OfferRecoveredGame writes what the file commands write when they open a
// game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/file_commands.h"
#include "model/graphics_port.h"
#include "model/records.h"
#include "platform/platform.h"
#include "storage/recovery_files.h"
#include "view/table_view.h"

namespace puzzle {

// While pieces keep changing, a copy at most this often...
inline constexpr std::uint32_t RECOVERY_INTERVAL_MS = 20000;
// ...and one more once they have been still this long (a drag released, a
// turn ended, Check done).
inline constexpr std::uint32_t RECOVERY_QUIET_MS = 1000;

// Changes of the game not yet in the copy.
struct RecoveryCadence {
  bool pending = false;
  std::uint32_t pendingSince = 0;
  std::uint32_t lastChange = 0;
};

// Takes whether the pieces changed since the last call, at tick now, and says
// whether the copy is to be written now. A write that fails is not repeated
// until the next change. Ticks may wrap.
bool RecoveryWriteDue(RecoveryCadence& cadence, bool changed, std::uint32_t now);

struct RecoveryKeeper {
  // This run's own copy; empty when there is nowhere to keep one.
  std::string path;
  // The poses as last looked at, to see changes without a hook in every rule
  // that moves pieces.
  std::vector<PiecePose> seen;
  RecoveryCadence cadence;
};

// Called once per frame: looks for changed pieces of a running game with
// changes no file holds (the scatter and settle of Start do not count) and
// writes the copy when due.
// Never tells the player anything.
void KeepRecovery(RecoveryKeeper& keeper, const GameState& state, const GameOptions& options,
                  const TableView& table, std::uint32_t now);

// The game on the table needs no copy (saved, opened, started anew, or the
// player has answered the save question at Exit): the copy goes, and changes
// count from here.
void DropRecovery(RecoveryKeeper& keeper, const GameState& state);

// At start without a game on the command line: offers the copies runs that
// are gone left behind, newest first, one question each, until one is
// restored or the player says "not now" (Cancel, Esc or the close box),
// which leaves every copy for the next start. Only No removes a copy. A copy
// that cannot be read, or whose game cannot be had (its picture unreadable,
// or not located after the player was asked), stays; the first is named
// with the reason. Yes opens the game without a game file, changed, so that
// Save asks for a file and Exit asks the save question; its copy becomes
// this run's own. Returns whether a game was restored.
bool OfferRecoveredGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                        RecoveryKeeper& keeper, std::int64_t ownProcessId);

// The question, naming the picture and when the copy was written (local time).
std::string RecoveryQuestion(bool russianUi, const std::string& imagePath, std::int64_t changedSeconds);

}  // namespace puzzle
