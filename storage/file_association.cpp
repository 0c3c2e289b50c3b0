#include "storage/file_association.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "resources/embedded.h"
#include "storage/atomic_file.h"

extern char** environ;

namespace puzzle {
namespace {

// An Exec argument in double quotes: the characters the entry format
// reserves are escaped, then the value's own escape doubles every
// backslash, and a literal percent sign must not read as a field code.
std::string QuotedExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$') {
      quoted += "\\";
      quoted += c;
    } else if (c == '\\') {
      quoted += "\\\\\\\\";
    } else if (c == '%') {
      quoted += "%%";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

bool SameContents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  // A longer file differs anyway, so more than bytes is never read.
  const auto existing = ReadWholeFile(path.string(), bytes.size());
  return existing && std::equal(existing->begin(), existing->end(), bytes.begin(), bytes.end());
}

enum class Outcome { Unchanged, Written, Failed };

Outcome Place(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  if (SameContents(path, bytes)) return Outcome::Unchanged;
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return Outcome::Failed;
  return WriteFileAtomically(path.string(), bytes) ? Outcome::Written : Outcome::Failed;
}

// Runs a database tool found on PATH and waits for it; a missing tool is
// no error, the desktop then notices the files at its next scan.
void RunTool(const char* tool, const std::string& folder) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string name = tool;
  std::string argument = folder;
  char* argv[] = {name.data(), argument.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, tool, &actions, nullptr, argv, environ) == 0) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

std::string UserDataHome() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') return dataHome;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share";
  return {};
}

std::string DesktopEntryText(const std::string& programPath) {
  std::string text(resources::DesktopEntryTemplate());
  const std::string placeholder = "@PROGRAM@";
  const auto at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), QuotedExecArgument(programPath));
  return text;
}

int WriteFileAssociation(const AssociationTarget& target) {
  if (target.dataHome.empty()) return 0;
  // A line break would end the Exec line early and start a line of its own.
  const bool programUsable =
      !target.programPath.empty() && target.programPath.find_first_of("\r\n") == std::string::npos;
  const std::filesystem::path home(target.dataHome);
  const auto mime = Place(home / "mime/packages/quorvane-tessarine.xml", Bytes(resources::MimePackageXml()));
  const auto icon =
      Place(home / "icons/hicolor/48x48/mimetypes/application-x-tessarine.png", resources::GameFileIconPng());
  const auto appIcon =
      Place(home / "icons/hicolor/48x48/apps/quorvane-puzzle.png", resources::WindowIconPng());
  const auto entry = programUsable ? Place(home / "applications/quorvane-puzzle.desktop",
                                           Bytes(DesktopEntryText(target.programPath)))
                                   : Outcome::Failed;

  if (target.refreshDatabases) {
    if (mime == Outcome::Written) RunTool("update-mime-database", (home / "mime").string());
    if (entry == Outcome::Written) RunTool("update-desktop-database", (home / "applications").string());
  }
  int placed = 0;
  for (Outcome outcome : {mime, icon, appIcon, entry}) placed += outcome != Outcome::Failed ? 1 : 0;
  return placed;
}

}  // namespace puzzle
