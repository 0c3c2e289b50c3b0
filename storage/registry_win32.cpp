#include "storage/registry.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "storage/wide_text.h"

namespace puzzle {
namespace {

using Encoding = StoredLayout::Encoding;

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

std::optional<RawValue> Query(HKEY key, const wchar_t* name) {
  RawValue value;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  value.bytes.resize(size);
  // A value that grew in between reads as missing.
  if (RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.bytes.resize(size);
  return value;
}

bool Store(HKEY key, const wchar_t* name, const RawValue& value) {
  return RegSetValueExW(key, name, 0, value.type, value.bytes.data(),
                        static_cast<DWORD>(value.bytes.size())) == ERROR_SUCCESS;
}

// The UTF-16 units of a REG_SZ or REG_MULTI_SZ value; a stray odd byte
// makes it unreadable.
std::optional<std::wstring> Units(const RawValue& value) {
  if (value.bytes.size() % sizeof(wchar_t) != 0) return std::nullopt;
  std::wstring units(value.bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(units.data(), value.bytes.data(), value.bytes.size());
  return units;
}

RawValue FromUnits(DWORD type, const std::wstring& units) {
  RawValue value{type, std::vector<BYTE>((units.size() + 1) * sizeof(wchar_t))};
  std::memcpy(value.bytes.data(), units.c_str(), value.bytes.size());
  return value;
}

std::optional<SettingValue> DecodeText(const RawValue& value) {
  if (value.type != REG_SZ) return std::nullopt;
  auto units = Units(value);
  if (!units) return std::nullopt;
  // The terminator is optional in the registry.
  if (!units->empty() && units->back() == L'\0') units->pop_back();
  if (auto text = Utf8Text(*units)) return SettingValue{std::move(*text)};
  return std::nullopt;
}

std::optional<SettingValue> DecodeTexts(const RawValue& value) {
  if (value.type != REG_MULTI_SZ) return std::nullopt;
  const auto units = Units(value);
  if (!units) return std::nullopt;
  std::vector<std::string> texts;
  std::size_t start = 0;
  while (start < units->size()) {
    const std::size_t end = std::min(units->find(L'\0', start), units->size());
    if (end > start) {
      auto text = Utf8Text(units->substr(start, end - start));
      if (!text) return std::nullopt;
      texts.push_back(std::move(*text));
    }
    start = end + 1;
  }
  return SettingValue{std::move(texts)};
}

std::optional<SettingValue> DecodeNumbers(const StoredLayout& layout, const RawValue& value) {
  if (value.type != REG_BINARY || value.bytes.size() != layout.width * layout.count) return std::nullopt;
  std::vector<std::int64_t> integers;
  std::vector<double> reals;
  for (std::size_t i = 0; i < layout.count; ++i) {
    const BYTE* element = value.bytes.data() + i * layout.width;
    std::uint64_t bits = 0;
    for (std::size_t b = 0; b < layout.width; ++b) bits |= std::uint64_t{element[b]} << (8 * b);
    const unsigned unused = static_cast<unsigned>(64 - 8 * layout.width);
    if (layout.encoding == Encoding::Real) {
      float real = 0;
      const auto single = static_cast<std::uint32_t>(bits);
      std::memcpy(&real, &single, sizeof real);
      reals.push_back(real);
    } else if (layout.encoding == Encoding::Signed) {
      integers.push_back(static_cast<std::int64_t>(bits << unused) >> unused);
    } else {
      integers.push_back(static_cast<std::int64_t>(bits));
    }
  }
  if (layout.count > 1) {
    if (layout.encoding == Encoding::Real) return SettingValue{std::move(reals)};
    return SettingValue{std::move(integers)};
  }
  if (layout.encoding == Encoding::Real) return SettingValue{reals[0]};
  return SettingValue{integers[0]};
}

// The numbers of a value, as integers or as reals; a flag counts as 0 or 1.
template <typename T>
std::vector<T> Numbers(const SettingValue& value) {
  if (const auto* one = std::get_if<T>(&value)) return {*one};
  if (const auto* many = std::get_if<std::vector<T>>(&value)) return *many;
  if constexpr (std::is_same_v<T, std::int64_t>) {
    if (const auto* flag = std::get_if<bool>(&value)) return {*flag ? 1 : 0};
  }
  return {};
}

std::optional<RawValue> EncodeNumbers(const StoredLayout& layout, const SettingValue& value) {
  RawValue raw{REG_BINARY, {}};
  const auto put = [&](std::uint64_t bits) {
    for (std::size_t b = 0; b < layout.width; ++b) raw.bytes.push_back(static_cast<BYTE>(bits >> (8 * b)));
  };
  if (layout.encoding == Encoding::Real) {
    const auto reals = Numbers<double>(value);
    if (reals.size() != layout.count) return std::nullopt;
    for (double real : reals) {
      const auto single = static_cast<float>(real);
      std::uint32_t bits = 0;
      std::memcpy(&bits, &single, sizeof bits);
      put(bits);
    }
    return raw;
  }
  const auto integers = Numbers<std::int64_t>(value);
  if (integers.size() != layout.count) return std::nullopt;
  const unsigned bits = static_cast<unsigned>(8 * layout.width);
  const bool isSigned = layout.encoding == Encoding::Signed;
  const std::int64_t low = isSigned ? -(std::int64_t{1} << (bits - 1)) : 0;
  const std::int64_t high = isSigned ? (std::int64_t{1} << (bits - 1)) - 1 : (std::int64_t{1} << bits) - 1;
  for (std::int64_t integer : integers) {
    if (integer < low || integer > high) return std::nullopt;
    put(static_cast<std::uint64_t>(integer));
  }
  return raw;
}

std::optional<RawValue> Encode(const StoredLayout& layout, const SettingValue& value) {
  if (layout.encoding == Encoding::Text) {
    const auto* text = std::get_if<std::string>(&value);
    const auto wide = text ? WideText(*text) : std::nullopt;
    if (!wide || wide->find(L'\0') != std::wstring::npos) return std::nullopt;
    return FromUnits(REG_SZ, *wide);
  }
  if (layout.encoding == Encoding::TextList) {
    const auto* texts = std::get_if<std::vector<std::string>>(&value);
    if (!texts) return std::nullopt;
    std::wstring units;
    for (const std::string& text : *texts) {
      // An empty entry would end the list early.
      const auto wide = WideText(text);
      if (!wide || wide->empty() || wide->find(L'\0') != std::wstring::npos) return std::nullopt;
      units += *wide + L'\0';
    }
    return FromUnits(REG_MULTI_SZ, units);
  }
  return EncodeNumbers(layout, value);
}

void Close(HKEY& key) {
  if (key != nullptr) RegCloseKey(key);
  key = nullptr;
}

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(HKEY writeRoot, std::vector<HKEY> readRoots, std::wstring subKey)
    : writeRoot_(writeRoot), readRoots_(std::move(readRoots)), subKey_(std::move(subKey)) {
  Reload();
}

RegistrySettingsStore::~RegistrySettingsStore() {
  Close(readKey_);
  Close(writeKey_);
}

bool RegistrySettingsStore::Exists() const {
  return readKey_ != nullptr;
}

std::optional<SettingValue> RegistrySettingsStore::Get(const std::string& name, SettingKind) const {
  const auto layout = StoredLayoutOf(name);
  const auto wideName = WideText(name);
  if (readKey_ == nullptr || !layout || !wideName) return std::nullopt;
  const auto value = Query(readKey_, wideName->c_str());
  if (!value) return std::nullopt;
  switch (layout->encoding) {
    case Encoding::Text: return DecodeText(*value);
    case Encoding::TextList: return DecodeTexts(*value);
    default: return DecodeNumbers(*layout, *value);
  }
}

bool RegistrySettingsStore::Set(const std::string& name, const SettingValue& value) {
  const auto layout = StoredLayoutOf(name);
  const auto wideName = WideText(name);
  const auto raw = layout ? Encode(*layout, value) : std::nullopt;
  if (!raw || !wideName) return false;
  if (writeKey_ == nullptr &&
      RegCreateKeyExW(writeRoot_, subKey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &writeKey_, nullptr) != ERROR_SUCCESS) {
    writeKey_ = nullptr;
    return false;
  }
  return Store(writeKey_, wideName->c_str(), *raw);
}

void RegistrySettingsStore::Flush() {
  if (writeKey_ != nullptr) RegFlushKey(writeKey_);
}

void RegistrySettingsStore::Reload() {
  Close(readKey_);
  for (HKEY root : readRoots_) {
    if (RegOpenKeyExW(root, subKey_.c_str(), 0, KEY_READ, &readKey_) == ERROR_SUCCESS) return;
    readKey_ = nullptr;
  }
}

std::unique_ptr<SettingsStore> MakeUserSettingsStore() {
  return std::make_unique<RegistrySettingsStore>(
      HKEY_CURRENT_USER, std::vector<HKEY>{HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}, SETTINGS_KEY);
}

std::string RunningProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    // A path the buffer cut short is never handed on.
    if (length < path.size()) {
      path.resize(length);
      return Utf8Text(path).value_or(std::string());
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

int WriteRegistryFileAssociation(const RegistryAssociationTarget& target) {
  const auto program = WideText(target.programPath);
  if (!program || program->empty()) return 0;
  const std::wstring progId = GAME_FILE_PROG_ID;
  const std::pair<std::wstring, std::wstring> defaults[] = {
      {L".pzz", progId},
      {progId, L"Tessarine Files"},
      {progId + L"\\DefaultIcon", *program + L",1"},
      {progId + L"\\shell\\open\\command", L"\"" + *program + L"\" \"%1\""},
  };
  int placed = 0;
  bool changed = false;
  for (const auto& [subKey, text] : defaults) {
    HKEY key = nullptr;
    const std::wstring path = target.classesKey + L"\\" + subKey;
    if (RegCreateKeyExW(target.root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
      continue;
    const auto existing = Query(key, nullptr);
    const RawValue wanted = FromUnits(REG_SZ, text);
    if (existing && existing->type == wanted.type && existing->bytes == wanted.bytes) {
      ++placed;
    } else if (Store(key, nullptr, wanted)) {
      ++placed;
      changed = true;
    }
    RegCloseKey(key);
  }
  if (changed && target.notifyShell) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return placed;
}

}  // namespace puzzle
