#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "storage/registry.h"
#include "support/settings_samples.h"

namespace puzzle {
namespace {

// A key of the test's own under root, removed with all it holds afterwards.
class ScratchKey {
 public:
  explicit ScratchKey(HKEY root, std::wstring path = NewPath()) : root_(root), path_(std::move(path)) {}
  ~ScratchKey() { RegDeleteTreeW(root_, path_.c_str()); }
  static std::wstring NewPath() { return L"Software\\PuzzleTest-" + std::to_wstring(std::random_device{}()); }
  const std::wstring& Path() const { return path_; }
  // The type and bytes of a value of subKey, or REG_NONE when it is missing.
  std::pair<DWORD, std::vector<BYTE>> Raw(const std::wstring& name, const std::wstring& subKey = L"") const {
    std::vector<BYTE> bytes(4096);
    DWORD type = REG_NONE, size = static_cast<DWORD>(bytes.size());
    const std::wstring key = subKey.empty() ? path_ : path_ + L"\\" + subKey;
    if (RegGetValueW(root_, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &type, bytes.data(), &size) != ERROR_SUCCESS)
      return {REG_NONE, {}};
    bytes.resize(size);
    return {type, bytes};
  }

 private:
  HKEY root_;
  std::wstring path_;
};

using testing::Changed;
using testing::Stored;

std::vector<BYTE> Utf16(const std::wstring& text) {
  std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t));
  std::memcpy(bytes.data(), text.c_str(), bytes.size());
  return bytes;
}

TEST(RegistrySettings, EveryValueHasItsTypeAndWidthAndReadsBack) {
  ScratchKey scratch(HKEY_CURRENT_USER);
  RegistrySettingsStore store(HKEY_CURRENT_USER, {HKEY_CURRENT_USER}, scratch.Path());
  GameOptions read = Changed();
  ReadSettings(store, read);
  EXPECT_TRUE(read.firstRun);  // no key yet
  EXPECT_EQ(Stored(read), Stored(GameOptions{}));

  const GameOptions changed = Changed();
  WriteSettings(store, changed);
  const auto* colors = reinterpret_cast<const BYTE*>(changed.colors.data());
  const std::pair<const wchar_t*, std::pair<DWORD, std::vector<BYTE>>> expected[] = {
      {L"Window", {REG_BINARY, {0xEC, 0xFF, 0xFF, 0xFF, 35, 0, 0, 0, 0, 4, 0, 0, 0xBC, 2, 0, 0}}},
      {L"Number", {REG_BINARY, {17, 0, 0, 0}}},
      {L"PuzzleForm", {REG_BINARY, {4}}},
      {L"Bulge", {REG_BINARY, {0x85, 0xEB, 0xD1, 0x3E}}},
      {L"Colors", {REG_BINARY, {colors, colors + sizeof changed.colors}}},  // nine IEEE singles
      {L"TimeScatter", {REG_BINARY, {0x2C, 1, 0, 0}}},
      {L"Edge", {REG_BINARY, {0}}},
      {L"Centres", {REG_BINARY, {1}}},
      {L"Game3D", {REG_BINARY, {1}}},
      {L"ImageDirectory", {REG_SZ, Utf16(L"/home/anna/Картинки")}},
      {L"RecentGames",
       {REG_MULTI_SZ,
        Utf16(std::wstring(L"/home/anna/games/b.pzz") + L'\0' + L"/home/anna/games/a.pzz" + L'\0')}},
  };
  for (const auto& [name, value] : expected)
    EXPECT_EQ(scratch.Raw(name), value) << std::string(name, name + wcslen(name));

  RegistrySettingsStore again(HKEY_CURRENT_USER, {HKEY_CURRENT_USER}, scratch.Path());
  ReadSettings(again, read);
  EXPECT_FALSE(read.firstRun);
  EXPECT_EQ(Stored(read), Stored(Changed()));
}

TEST(RegistrySettings, AValueOutOfRangeOrOfAnotherTypeOrSizeTakesItsDefaultAlone) {
  const std::tuple<const char*, DWORD, std::vector<BYTE>> bad[] = {
      {"PuzzleForm", REG_BINARY, {7}},
      {"Number", REG_DWORD, {20, 0, 0, 0}},
      {"Number", REG_BINARY, {20, 0}},
      {"Bulge", REG_SZ, Utf16(L"0.3")},
      {"Window", REG_BINARY, std::vector<BYTE>(12)},
      {"GameDirectory", REG_BINARY, {'C', ':'}},
      {"GameDirectory", REG_SZ, {0x00, 0xD8, 0, 0}},  // a lone surrogate
      {"ImageDirectory", REG_SZ, Utf16(std::wstring(PATH_CAPACITY, L'd'))},
  };
  for (const auto& [name, type, bytes] : bad) {
    SCOPED_TRACE(name);
    ScratchKey scratch(HKEY_CURRENT_USER);
    RegistrySettingsStore store(HKEY_CURRENT_USER, {HKEY_CURRENT_USER}, scratch.Path());
    WriteSettings(store, Changed());
    const std::wstring wideName(name, name + std::strlen(name));
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, scratch.Path().c_str(), wideName.c_str(), type, bytes.data(),
                              static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegistrySettingsStore next(HKEY_CURRENT_USER, {HKEY_CURRENT_USER}, scratch.Path());
    GameOptions read;
    ReadSettings(next, read);
    auto expected = Stored(Changed());
    expected[name] = Stored(GameOptions{})[name];
    EXPECT_EQ(Stored(read), expected);
  }
}

TEST(RegistrySettings, TheMachineKeyIsReadUntilThePlayerHasAKeyOfTheirOwnAndNeverWritten) {
  const std::wstring path = ScratchKey::NewPath();
  ScratchKey user(HKEY_CURRENT_USER, path);
  ScratchKey machine(HKEY_LOCAL_MACHINE, path);
  RegistrySettingsStore preset(HKEY_LOCAL_MACHINE, {HKEY_LOCAL_MACHINE}, path);
  if (!preset.Set("Number", std::int64_t{20})) GTEST_SKIP() << "the machine's key is not writable here";

  RegistrySettingsStore player(HKEY_CURRENT_USER, {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}, path);
  GameOptions options;
  ReadSettings(player, options);
  EXPECT_EQ(std::pair(options.firstRun, options.columns), std::pair(false, 20u));
  options.columns = 9;
  WriteSettings(player, options);
  EXPECT_EQ(machine.Raw(L"Number"),
            std::pair(static_cast<DWORD>(REG_BINARY), std::vector<BYTE>{20, 0, 0, 0}));
  RegistrySettingsStore next(HKEY_CURRENT_USER, {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}, path);
  ReadSettings(next, options);
  EXPECT_EQ(options.columns, 9u);
}

TEST(RegistryAssociation, TheGameFileTypeOpensTheQuotedProgramWithTheQuotedDocument) {
  ScratchKey scratch(HKEY_CURRENT_USER);
  const RegistryAssociationTarget target{"C:\\Program Files\\Игры\\puzzle.exe", HKEY_CURRENT_USER,
                                         scratch.Path() + L"\\Classes", false};
  EXPECT_EQ(WriteRegistryFileAssociation(target), 4);
  const std::pair<const wchar_t*, const wchar_t*> expected[] = {
      {L"Classes\\.pzz", L"TessarineFiles"},
      {L"Classes\\TessarineFiles", L"Tessarine Files"},
      {L"Classes\\TessarineFiles\\DefaultIcon", L"C:\\Program Files\\Игры\\puzzle.exe,1"},
      {L"Classes\\TessarineFiles\\shell\\open\\command", L"\"C:\\Program Files\\Игры\\puzzle.exe\" \"%1\""},
  };
  for (const auto& [key, text] : expected) {
    EXPECT_EQ(scratch.Raw(L"", key), std::pair(static_cast<DWORD>(REG_SZ), Utf16(text)));
  }
}

}  // namespace
}  // namespace puzzle
