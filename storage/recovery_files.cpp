#include "storage/recovery_files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "storage/atomic_file.h"
#include "storage/game_file.h"

#include "storage/paths.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace puzzle {
namespace {

constexpr const char* PREFIX = "recovery-";
constexpr const char* SUFFIX = ".pzz";

std::optional<std::int64_t> ProcessIdOfName(const std::string& name) {
  const std::string prefix = PREFIX;
  const std::string suffix = SUFFIX;
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return std::nullopt;
  }
  const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (digits.size() > 18 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoll(digits);
}

#ifndef _WIN32
std::string CommandNameOf(const std::string& process) {
  std::ifstream in("/proc/" + process + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}
#endif

}  // namespace

// Where the copies live and which processes still run are the system's own
// questions: recovery_process_win32.cpp answers them on Windows.
#ifndef _WIN32
std::string RecoveryFolder() {
  const char* stateHome = std::getenv("XDG_STATE_HOME");
  if (stateHome != nullptr && stateHome[0] == '/') return std::string(stateHome) + "/quorvane-puzzle";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/state/quorvane-puzzle";
  return {};
}
#endif

std::string RecoveryFilePath(const std::string& folder, std::int64_t processId) {
  return Utf8Path(FileSystemPath(folder) / (PREFIX + std::to_string(processId) + SUFFIX));
}

#ifndef _WIN32
std::int64_t CurrentProcessId() {
  return getpid();
}

bool GameProcessRunning(std::int64_t processId) {
  if (processId <= 0 || processId > INT32_MAX) return false;
  if (kill(static_cast<pid_t>(processId), 0) != 0 && errno != EPERM) return false;
  // Process ids are handed out again: a copy whose id now belongs to another
  // program is an orphan all the same.
  const std::string own = CommandNameOf("self");
  return own.empty() || CommandNameOf(std::to_string(processId)) == own;
}
#endif

std::vector<RecoveryCopy> ListRecoveryCopies(const std::string& folder) {
  std::vector<RecoveryCopy> copies;
  std::error_code error;
  for (std::filesystem::directory_iterator it(FileSystemPath(folder), error), end; !error && it != end;
       it.increment(error)) {
    const auto id = ProcessIdOfName(it->path().filename().string());
    if (!id || !OwnRegularFile(it->path().string())) continue;
    std::error_code entryError;
    const auto changed = it->last_write_time(entryError);
    if (entryError) continue;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(changed).time_since_epoch());
    copies.push_back({Utf8Path(it->path()), *id, changed, seconds.count()});
  }
  std::sort(copies.begin(), copies.end(),
            [](const RecoveryCopy& a, const RecoveryCopy& b) { return a.changed > b.changed; });
  return copies;
}

std::vector<RecoveryCopy> LostRecoveryCopies(const std::string& folder,
                                             const std::function<bool(std::int64_t)>& running) {
  std::vector<RecoveryCopy> copies = ListRecoveryCopies(folder);
  std::erase_if(copies, [&](const RecoveryCopy& copy) { return running(copy.processId); });
  return copies;
}

bool WriteRecoveryFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::error_code error;
  std::filesystem::create_directories(FileSystemPath(path).parent_path(), error);
  if (error) return false;
  return WriteFileAtomically(path, bytes, Links::Refuse);
}

std::optional<std::vector<std::uint8_t>> ReadRecoveryFile(const std::string& path, int& error) {
  return ReadOwnFile(path, MAX_GAME_FILE_SIZE, error);
}

void RemoveRecoveryFile(const std::string& path) {
  if (!OwnRegularFile(path)) return;
  std::error_code ignored;
  std::filesystem::remove(FileSystemPath(path), ignored);
}

bool AdoptRecoveryFile(const std::string& from, const std::string& to) {
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(FileSystemPath(to), error)) &&
      !OwnRegularFile(to))
    return false;
  std::filesystem::rename(FileSystemPath(from), FileSystemPath(to), error);
  return !error;
}

}  // namespace puzzle
