#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "storage/registry.h"

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
  void SetRaw(const std::wstring& name, DWORD type, const std::vector<BYTE>& bytes) const {
    ASSERT_EQ(RegSetKeyValueW(root_, path_.c_str(), name.c_str(), type, bytes.data(),
                              static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }

 private:
  HKEY root_;
  std::wstring path_;
};

std::map<std::string, SettingValue> Stored(const GameOptions& options) {
  MemorySettingsStore store;
  WriteSettings(store, options);
  return store.values;
}

GameOptions Changed() {
  GameOptions options;
  options.windowRect = {-20, 35, 1024, 700};
  options.columns = 17;
  options.form = 4;
  options.bulge = 0.41f;
  options.angleStep = 0.25f;
  options.scatterSeconds = 300;
  options.showEdges = false;
  options.showCentres = true;
  options.colors = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 1.0f};
  options.gameDirectory = "C:\\Users\\anna\\Игры";
  options.imageDirectory = "D:\\pictures";
  options.recentGames = {"C:\\Users\\anna\\Игры\\b.pzz", "D:\\a.pzz"};
  return options;
}

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

  WriteSettings(store, Changed());
  const std::pair<const wchar_t*, std::pair<DWORD, std::vector<BYTE>>> expected[] = {
      {L"Window", {REG_BINARY, {0xEC, 0xFF, 0xFF, 0xFF, 35, 0, 0, 0, 0, 4, 0, 0, 0xBC, 2, 0, 0}}},
      {L"Number", {REG_BINARY, {17, 0, 0, 0}}},
      {L"PuzzleForm", {REG_BINARY, {4}}},
      {L"Bulge", {REG_BINARY, {0x85, 0xEB, 0xD1, 0x3E}}},
      {L"Angle", {REG_BINARY, {0, 0, 0x80, 0x3E}}},
      {L"TimeScatter", {REG_BINARY, {0x2C, 1, 0, 0}}},
      {L"Edge", {REG_BINARY, {0}}},
      {L"Frame", {REG_BINARY, {1}}},
      {L"Centres", {REG_BINARY, {1}}},
      {L"Background", {REG_BINARY, {1}}},
      {L"GameRotate", {REG_BINARY, {1}}},
      {L"Game3D", {REG_BINARY, {0}}},
      {L"GameDirectory", {REG_SZ, Utf16(L"C:\\Users\\anna\\Игры")}},
      {L"ImageDirectory", {REG_SZ, Utf16(L"D:\\pictures")}},
      {L"RecentGames",
       {REG_MULTI_SZ, Utf16(std::wstring(L"C:\\Users\\anna\\Игры\\b.pzz") + L'\0' + L"D:\\a.pzz" + L'\0')}},
  };
  for (const auto& [name, value] : expected)
    EXPECT_EQ(scratch.Raw(name), value) << std::string(name, name + wcslen(name));
  const auto [colorsType, colors] = scratch.Raw(L"Colors");
  EXPECT_EQ(colorsType, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(colors.size(), 36u);
  float blue = 0;
  std::memcpy(&blue, colors.data() + 32, sizeof blue);
  EXPECT_EQ(blue, 1.0f);

  RegistrySettingsStore again(HKEY_CURRENT_USER, {HKEY_CURRENT_USER}, scratch.Path());
  ReadSettings(again, read);
  EXPECT_FALSE(read.firstRun);
  EXPECT_EQ(Stored(read), Stored(Changed()));
}

TEST(RegistrySettings, AValueOutOfRangeOrOfAnotherTypeOrSizeTakesItsDefaultAlone) {
  const std::tuple<const char*, DWORD, std::vector<BYTE>> bad[] = {
      {"PuzzleForm", REG_BINARY, {7}},
      {"Edge", REG_BINARY, {2}},
      {"TimeScatter", REG_BINARY, {0, 0, 0, 0x80}},  // negative
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
    scratch.SetRaw(std::wstring(name, name + std::strlen(name)), type, bytes);
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
  EXPECT_EQ(WriteRegistryFileAssociation({"", HKEY_CURRENT_USER, scratch.Path() + L"\\Classes", false}), 0);
}

}  // namespace
}  // namespace puzzle
