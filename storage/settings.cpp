#include "storage/settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <span>
#include <system_error>

#include "storage/paths.h"

namespace puzzle {
namespace {

using Field = std::variant<std::uint8_t GameOptions::*, bool GameOptions::*, float GameOptions::*,
                           std::int32_t GameOptions::*, std::uint32_t GameOptions::*,
                           std::array<float, 9> GameOptions::*, std::array<std::int32_t, 4> GameOptions::*,
                           std::string GameOptions::*, std::vector<std::string> GameOptions::*>;

// One stored value: its name, the option it holds and the range a stored
// value must lie in (for lists, every element; for text, the length; for a
// list of texts, each one's length). A
// non-empty allowed list replaces the range.
struct SettingDeclaration {
  const char* name;
  Field field;
  double min = 0;
  double max = 0;
  std::span<const float> allowed = {};
};

constexpr double INT32_LOW = std::numeric_limits<std::int32_t>::min();
constexpr double INT32_HIGH = std::numeric_limits<std::int32_t>::max();
// A grid has at least 2 rows and at most MAX_PIECES pieces.
constexpr double MAX_COLUMNS = MAX_PIECES / 2;
// The dialog's steps of 0.01 reach the ends of the bulge range only to
// float precision.
constexpr double BULGE_SLACK = 1e-4;

std::span<const SettingDeclaration> Declarations() {
  static const SettingDeclaration table[] = {
      {"Window", &GameOptions::windowRect, INT32_LOW, INT32_HIGH},
      {"Number", &GameOptions::columns, 2, MAX_COLUMNS},
      {"PuzzleForm", &GameOptions::form, 1, 4},
      {"Bulge", &GameOptions::bulge, 0.21 - BULGE_SLACK, 0.45 + BULGE_SLACK},
      {"Angle", &GameOptions::angleStep, 0, 0, ANGLE_STEPS},
      {"TimeScatter", &GameOptions::scatterSeconds, 1, 300},
      {"Edge", &GameOptions::showEdges},
      {"Frame", &GameOptions::showFrame},
      {"Centres", &GameOptions::showCentres},
      {"Colors", &GameOptions::colors, 0, 1},
      {"Background", &GameOptions::brandedBackground},
      {"GameRotate", &GameOptions::gameRotate},
      {"Game3D", &GameOptions::game3D},
      {"GameDirectory", &GameOptions::gameDirectory, 0, PATH_CAPACITY - 1},
      {"ImageDirectory", &GameOptions::imageDirectory, 0, PATH_CAPACITY - 1},
      {"RecentGames", &GameOptions::recentGames, 0, PATH_CAPACITY - 1},
  };
  return table;
}

}  // namespace

SettingRange RangeOf(std::string_view name) {
  for (const SettingDeclaration& declaration : Declarations()) {
    if (name == declaration.name) return {declaration.min, declaration.max};
  }
  return {};
}

namespace {

std::optional<double> AsNumber(const SettingValue& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) return static_cast<double>(*integer);
  if (const auto* real = std::get_if<double>(&value)) return *real;
  return std::nullopt;
}

std::optional<std::vector<double>> AsNumbers(const SettingValue& value) {
  if (const auto* reals = std::get_if<std::vector<double>>(&value)) return *reals;
  if (const auto* integers = std::get_if<std::vector<std::int64_t>>(&value)) {
    return std::vector<double>(integers->begin(), integers->end());
  }
  return std::nullopt;
}

bool InRange(const SettingDeclaration& declaration, double value) {
  if (!std::isfinite(value)) return false;
  if (!declaration.allowed.empty()) {
    return std::find(declaration.allowed.begin(), declaration.allowed.end(), static_cast<float>(value)) !=
           declaration.allowed.end();
  }
  return value >= declaration.min && value <= declaration.max;
}

// Integers must be whole; the option's own type then holds them exactly.
template <typename T>
std::optional<T> CheckedNumber(const SettingDeclaration& declaration, const SettingValue& stored) {
  const auto number = AsNumber(stored);
  if (!number || !InRange(declaration, *number)) return std::nullopt;
  if constexpr (std::is_integral_v<T>) {
    if (std::trunc(*number) != *number) return std::nullopt;
  }
  return static_cast<T>(*number);
}

template <typename T, std::size_t N>
std::optional<std::array<T, N>> CheckedNumbers(const SettingDeclaration& declaration,
                                               const SettingValue& stored) {
  const auto numbers = AsNumbers(stored);
  if (!numbers || numbers->size() != N) return std::nullopt;
  std::array<T, N> result{};
  for (std::size_t i = 0; i < N; ++i) {
    const auto element = CheckedNumber<T>(declaration, SettingValue{(*numbers)[i]});
    if (!element) return std::nullopt;
    result[i] = *element;
  }
  return result;
}

template <typename T>
SettingKind KindOf() {
  if constexpr (std::is_same_v<T, bool>)
    return SettingKind::Flag;
  else if constexpr (std::is_same_v<T, float>)
    return SettingKind::Real;
  else if constexpr (std::is_same_v<T, std::string>)
    return SettingKind::Text;
  else if constexpr (std::is_same_v<T, std::array<float, 9>>)
    return SettingKind::RealList;
  else if constexpr (std::is_same_v<T, std::array<std::int32_t, 4>>)
    return SettingKind::IntegerList;
  else if constexpr (std::is_same_v<T, std::vector<std::string>>)
    return SettingKind::TextList;
  else
    return SettingKind::Integer;
}

bool AcceptableText(const SettingDeclaration& declaration, const std::string& text) {
  return static_cast<double>(text.size()) <= declaration.max && text.find('\0') == std::string::npos;
}

template <typename T>
std::optional<T> Checked(const SettingDeclaration& declaration, const SettingValue& stored) {
  if constexpr (std::is_same_v<T, bool>) {
    if (const auto* flag = std::get_if<bool>(&stored)) return *flag;
    const auto number = AsNumber(stored);
    if (number && (*number == 0 || *number == 1)) return *number == 1;
    return std::nullopt;
  } else if constexpr (std::is_same_v<T, std::string>) {
    const auto* text = std::get_if<std::string>(&stored);
    if (!text || !AcceptableText(declaration, *text)) return std::nullopt;
    return *text;
  } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
    // An unusable entry is left out alone; the rest keep their order.
    const auto* texts = std::get_if<std::vector<std::string>>(&stored);
    if (!texts) return std::nullopt;
    std::vector<std::string> kept;
    for (const std::string& text : *texts) {
      if (kept.size() < RECENT_GAMES_KEPT && !text.empty() && AcceptableText(declaration, text))
        kept.push_back(text);
    }
    return kept;
  } else if constexpr (std::is_same_v<T, std::array<float, 9>>) {
    return CheckedNumbers<float, 9>(declaration, stored);
  } else if constexpr (std::is_same_v<T, std::array<std::int32_t, 4>>) {
    return CheckedNumbers<std::int32_t, 4>(declaration, stored);
  } else {
    return CheckedNumber<T>(declaration, stored);
  }
}

// Floats are stored by their shortest decimal form, which reads back to the
// same float and keeps the file readable (0.33 rather than 0.330000013).
double ShortestDouble(float value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  double result = value;
  std::from_chars(text, end, result);
  return result;
}

template <typename T>
SettingValue Stored(const T& value) {
  if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::string> ||
                std::is_same_v<T, std::vector<std::string>>) {
    return value;
  } else if constexpr (std::is_same_v<T, float>) {
    return ShortestDouble(value);
  } else if constexpr (std::is_same_v<T, std::array<float, 9>>) {
    std::vector<double> list;
    for (float element : value) list.push_back(ShortestDouble(element));
    return list;
  } else if constexpr (std::is_same_v<T, std::array<std::int32_t, 4>>) {
    return std::vector<std::int64_t>(value.begin(), value.end());
  } else {
    return static_cast<std::int64_t>(value);
  }
}

}  // namespace

std::optional<SettingValue> MemorySettingsStore::Get(const std::string& name, SettingKind) const {
  const auto found = values.find(name);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

bool MemorySettingsStore::Set(const std::string& name, const SettingValue& value) {
  values[name] = value;
  return true;
}

namespace {

template <typename T>
StoredLayout LayoutOf() {
  using Encoding = StoredLayout::Encoding;
  if constexpr (std::is_same_v<T, std::string>) {
    return {Encoding::Text};
  } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
    return {Encoding::TextList};
  } else if constexpr (std::is_same_v<T, std::array<float, 9>> ||
                       std::is_same_v<T, std::array<std::int32_t, 4>>) {
    StoredLayout layout = LayoutOf<typename T::value_type>();
    layout.count = std::tuple_size_v<T>;
    return layout;
  } else if constexpr (std::is_floating_point_v<T>) {
    return {Encoding::Real, sizeof(T), 1};
  } else {
    return {std::is_signed_v<T> ? Encoding::Signed : Encoding::Unsigned, sizeof(T), 1};
  }
}

}  // namespace

std::optional<StoredLayout> StoredLayoutOf(std::string_view name) {
  for (const SettingDeclaration& declaration : Declarations()) {
    if (name != declaration.name) continue;
    return std::visit(
        [](auto member) { return LayoutOf<std::remove_reference_t<decltype(GameOptions{}.*member)>>(); },
        declaration.field);
  }
  return std::nullopt;
}

std::vector<std::string> SettingNames() {
  std::vector<std::string> names;
  for (const SettingDeclaration& declaration : Declarations()) names.emplace_back(declaration.name);
  return names;
}

void RememberRecentGame(std::vector<std::string>& recent, const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(FileSystemPath(path), error);
  const std::string entry = error ? path : Utf8Path(absolute.lexically_normal());
  if (entry.empty() || entry.size() >= PATH_CAPACITY) return;
  std::erase(recent, entry);
  recent.insert(recent.begin(), entry);
  if (recent.size() > RECENT_GAMES_KEPT) recent.resize(RECENT_GAMES_KEPT);
}

void DropMissingRecentGames(std::vector<std::string>& recent) {
  std::erase_if(recent, [](const std::string& path) {
    std::error_code error;
    return !std::filesystem::is_regular_file(FileSystemPath(path), error);
  });
}

void ReadSettings(const SettingsStore& store, GameOptions& options) {
  const GameOptions defaults{};
  const bool exists = store.Exists();
  for (const SettingDeclaration& declaration : Declarations()) {
    std::visit(
        [&](auto member) {
          using T = std::remove_reference_t<decltype(options.*member)>;
          std::optional<T> value;
          if (exists) {
            if (const auto stored = store.Get(declaration.name, KindOf<T>()))
              value = Checked<T>(declaration, *stored);
          }
          options.*member = value ? *value : defaults.*member;
        },
        declaration.field);
  }
  options.firstRun = !exists;
  // A window that cannot be shown is placed as on a first run.
  if (options.windowRect[2] < 0 || options.windowRect[3] < 0) options.windowRect = defaults.windowRect;
  if (options.windowRect[2] == 0) options.windowRect[2] = DEFAULT_WINDOW_WIDTH;
  if (options.windowRect[3] == 0) options.windowRect[3] = DEFAULT_WINDOW_HEIGHT;
  options.pendingColumns = 0;
  options.angleStepRad = AngleStepToRadians(options.angleStep);
}

std::array<std::int32_t, 4> PlaceStoredWindow(const std::array<std::int32_t, 4>& stored,
                                              std::span<const ScreenRect> screens) {
  const std::int64_t left = stored[0], top = stored[1], width = stored[2], height = stored[3];
  for (const ScreenRect& screen : screens) {
    const std::int64_t sLeft = screen[0], sTop = screen[1], sWidth = screen[2], sHeight = screen[3];
    const bool fits = width <= sWidth && height <= sHeight;
    const bool shows =
        left < sLeft + sWidth && sLeft < left + width && top < sTop + sHeight && sTop < top + height;
    if (fits && shows) return stored;
  }
  return GameOptions{}.windowRect;
}

void WriteSettings(SettingsStore& store, const GameOptions& ownOptions) {
  store.Reload();
  GameOptions stored;
  ReadSettings(store, stored);
  GameOptions options = ownOptions;
  for (const std::string& path : stored.recentGames) {
    if (options.recentGames.size() < RECENT_GAMES_KEPT &&
        std::ranges::find(options.recentGames, path) == options.recentGames.end())
      options.recentGames.push_back(path);
  }
  for (const SettingDeclaration& declaration : Declarations()) {
    std::visit(
        [&](auto member) {
          SettingValue value = Stored(options.*member);
          // A number chosen but not yet started is the one remembered.
          if constexpr (std::is_same_v<decltype(member), std::uint32_t GameOptions::*>) {
            if (member == &GameOptions::columns && options.pendingColumns != 0) {
              value = static_cast<std::int64_t>(options.pendingColumns);
            }
          }
          store.Set(declaration.name, value);
        },
        declaration.field);
  }
  store.Flush();
}

}  // namespace puzzle
