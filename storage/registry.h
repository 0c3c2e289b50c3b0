// The Windows registry as the game's store (Windows only): the options under
// "Software\Quorvane\Puzzle" and the ".pzz" association under
// "Software\Classes", both written for the current user, since a player
// without administrator rights cannot write the machine's keys and would
// silently keep no options. ReadSettings and WriteSettings read the store
// once at start and write it once at exit; the shell writes the association
// at exit after them. Owns no game record.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "storage/settings.h"

namespace puzzle {

inline constexpr const wchar_t* SETTINGS_KEY = L"Software\\Quorvane\\Puzzle";

// Numbers in the bytes StoredLayoutOf gives as REG_BINARY, texts as REG_SZ,
// lists of texts as REG_MULTI_SZ. A value of another type or size reads as
// missing, so that it takes its default alone.
class RegistrySettingsStore : public SettingsStore {
 public:
  // Writes go to subKey under writeRoot; reads come from subKey under the
  // first of readRoots that has it.
  RegistrySettingsStore(HKEY writeRoot, std::vector<HKEY> readRoots, std::wstring subKey);
  ~RegistrySettingsStore() override;
  RegistrySettingsStore(const RegistrySettingsStore&) = delete;
  RegistrySettingsStore& operator=(const RegistrySettingsStore&) = delete;

  bool Exists() const override;
  std::optional<SettingValue> Get(const std::string& name, SettingKind kind) const override;
  bool Set(const std::string& name, const SettingValue& value) override;
  void Flush() override;
  void Reload() override;

 private:
  HKEY writeRoot_;
  std::vector<HKEY> readRoots_;
  std::wstring subKey_;
  HKEY readKey_ = nullptr;   // none on a first run
  HKEY writeKey_ = nullptr;  // made by the first Set
};

// The player's store: written under HKEY_CURRENT_USER, read from there or,
// while the player has none of their own, from HKEY_LOCAL_MACHINE.
std::unique_ptr<SettingsStore> MakeUserSettingsStore();

inline constexpr const wchar_t* GAME_FILE_PROG_ID = L"TessarineFiles";

struct RegistryAssociationTarget {
  std::string programPath;  // the running program, absolute (UTF-8)
  HKEY root = HKEY_CURRENT_USER;
  std::wstring classesKey = L"Software\\Classes";
  bool notifyShell = true;
};

// The running program's full path (UTF-8), however long; empty when the
// system cannot give it.
std::string RunningProgramPath();

// Sets ".pzz" to the ProgID, the ProgID's name "Tessarine Files", its icon
// (the program's second icon) and its open command (the program's path and
// the document's, each quoted, so that a folder with blanks opens the game
// and not another program) under root\classesKey, rewriting only values that
// differ, and tells the shell when one changed. A key that cannot be written
// is skipped silently, as the player cannot act on it at exit; returns how
// many of the four values are in place.
int WriteRegistryFileAssociation(const RegistryAssociationTarget& target);

}  // namespace puzzle
