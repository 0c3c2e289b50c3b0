// The Windows side of the recovery copies' questions to the system: their
// folder (under the user's local application data, which does not roam) and
// whether the process that wrote a copy still runs this game.
#include <windows.h>

#include <cstdlib>

#include "storage/paths.h"
#include "storage/recovery_files.h"

namespace puzzle {
namespace {

// The name of the program a process runs, without its folder; empty when it
// cannot be asked.
std::wstring ProgramNameOf(HANDLE process) {
  std::wstring name(32768, L'\0');
  DWORD length = static_cast<DWORD>(name.size());
  if (!QueryFullProcessImageNameW(process, 0, name.data(), &length)) return {};
  name.resize(length);
  const auto separator = name.find_last_of(L"\\/");
  return separator == std::wstring::npos ? name : name.substr(separator + 1);
}

}  // namespace

std::string RecoveryFolder() {
  const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
  if (localAppData == nullptr || localAppData[0] == L'\0') return {};
  return Utf8Path(std::filesystem::path(localAppData) / L"Quorvane" / L"Puzzle" / L"Recovery");
}

std::int64_t CurrentProcessId() {
  return GetCurrentProcessId();
}

bool GameProcessRunning(std::int64_t processId) {
  if (processId <= 0 || processId > UINT32_MAX) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
  // A process of another user cannot be opened, but it is there.
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD exitCode = 0;
  bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
  // Process ids are handed out again: a copy whose id now belongs to another
  // program is an orphan all the same.
  if (running) {
    const std::wstring own = ProgramNameOf(GetCurrentProcess());
    running = own.empty() ||
              CompareStringOrdinal(own.c_str(), -1, ProgramNameOf(process).c_str(), -1, TRUE) == CSTR_EQUAL;
  }
  CloseHandle(process);
  return running;
}

}  // namespace puzzle
