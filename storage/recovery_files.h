// The recovery copies of games in progress: game files kept in the user's
// state folder ($XDG_STATE_HOME, else ~/.local/state, under
// "quorvane-puzzle"), one per running copy of the game, named by its process
// id so that two copies never write over each other. Finds the copy left by a
// process that is gone, and removes copies. Owns no game record.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace puzzle {

// The folder of the recovery copies; empty when neither XDG_STATE_HOME nor
// HOME is set.
std::string RecoveryFolder();

// The copy of the process with the given id inside folder.
std::string RecoveryFilePath(const std::string& folder, std::int64_t processId);

std::int64_t CurrentProcessId();

// Whether the process with the given id still runs this game. An id taken by
// another program since counts as gone.
bool GameProcessRunning(std::int64_t processId);

struct RecoveryCopy {
  std::string path;
  std::int64_t processId = 0;
  std::filesystem::file_time_type changed;
  // When it was last written, in seconds since 1970 (UTC).
  std::int64_t changedSeconds = 0;
};

// The recovery copies in folder, newest first: regular files of the user's
// own with a copy's name. Anything else is left out.
std::vector<RecoveryCopy> ListRecoveryCopies(const std::string& folder);

// The copies to offer at start: those whose process is gone, newest first.
// Copies of running processes are left to them.
std::vector<RecoveryCopy> LostRecoveryCopies(const std::string& folder,
                                             const std::function<bool(std::int64_t)>& running);

// Writes bytes to path atomically, making the folder first, never through a
// link nor over anything but a regular file of the user's own. False, and
// nothing said, when it cannot.
bool WriteRecoveryFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The bytes of the copy at path, read as WriteRecoveryFile writes; nothing,
// with the system's error number in error, when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadRecoveryFile(const std::string& path, int& error);

// Temporary files older than this in the folder of the copies were left by
// writes that were killed; the start removes them.
inline constexpr std::chrono::hours STALE_TEMPORARY_AGE{24};

// Removes the copy at path if there is one; a copy that cannot be removed
// is left.
void RemoveRecoveryFile(const std::string& path);

// Renames a copy so that it becomes the named process's own, unless
// something other than a copy is in the way.
bool AdoptRecoveryFile(const std::string& from, const std::string& to);

}  // namespace puzzle
