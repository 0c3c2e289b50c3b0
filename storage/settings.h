// The user's options between runs: the 16 stored values of GameOptions, read
// once while the main window is created and written once at exit. The
// declaration table in settings.cpp is the one place that names the values,
// their kinds and ranges; their defaults are those of GameOptions{}.
//
// ReadSettings writes the stored options, windowRect and firstRun of
// GameOptions; WriteSettings only reads. The store behind them is an
// interface: QtSettingsStore (app side) on disk, RegistrySettingsStore
// (storage/registry.h) on Windows, MemorySettingsStore in tests.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/records.h"

namespace puzzle {

// The typed shapes a stored value can take.
enum class SettingKind { Integer, Real, Flag, Text, IntegerList, RealList, TextList };
using SettingValue = std::variant<std::int64_t, double, bool, std::string, std::vector<std::int64_t>,
                                  std::vector<double>, std::vector<std::string>>;

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // False when nothing has been stored yet (the first run).
  virtual bool Exists() const = 0;
  // The value converted to kind, or nothing when it is missing or does not
  // convert. A store may return another alternative; the reader then takes
  // the default.
  virtual std::optional<SettingValue> Get(const std::string& name, SettingKind kind) const = 0;
  // False when the value could not be stored; the others are still written.
  virtual bool Set(const std::string& name, const SettingValue& value) = 0;
  // Makes the values written so far durable.
  virtual void Flush() = 0;
  // Takes in what other processes have stored since the store was read.
  virtual void Reload() {}
};

class MemorySettingsStore : public SettingsStore {
 public:
  std::map<std::string, SettingValue> values;

  bool Exists() const override { return !values.empty(); }
  std::optional<SettingValue> Get(const std::string& name, SettingKind kind) const override;
  bool Set(const std::string& name, const SettingValue& value) override;
  void Flush() override {}
};

// Default size of the main window, also taken for a stored width or height
// of 0.
inline constexpr std::int32_t DEFAULT_WINDOW_WIDTH = 770;
inline constexpr std::int32_t DEFAULT_WINDOW_HEIGHT = 570;

// A screen's rectangle on the desktop: left, top, width, height.
using ScreenRect = std::array<std::int32_t, 4>;

// The window rectangle to open with: the stored one when it fits on some
// screen and shows on it, else the default (a stored size of the whole
// number range would otherwise make a window that never finishes painting,
// at every start).
std::array<std::int32_t, 4> PlaceStoredWindow(const std::array<std::int32_t, 4>& stored,
                                              std::span<const ScreenRect> screens);

// Names of the stored values in table order ("Window", "Number", ...).
std::vector<std::string> SettingNames();

// How a value is kept by a store of raw bytes (the Windows registry), as the
// option's type in the declaration table gives it: numbers as `count`
// little-endian elements of `width` bytes each (a flag is one unsigned
// byte, a real an IEEE single), texts as texts.
struct StoredLayout {
  enum class Encoding { Unsigned, Signed, Real, Text, TextList };
  Encoding encoding = Encoding::Unsigned;
  std::size_t width = 0;
  std::size_t count = 0;
};
// Nothing for a name the table does not declare.
std::optional<StoredLayout> StoredLayoutOf(std::string_view name);

// The range a stored number must lie in, as the declaration table gives it.
// The Options dialog and the game-file checks read their limits from here,
// so that a value the game accepts is one it can store and show. A name
// without a numeric range gives {0, 0}.
struct SettingRange {
  double min = 0;
  double max = 0;
  bool Holds(double value) const { return min <= value && value <= max; }
};
SettingRange RangeOf(std::string_view name);

// How many game files File > Recent games remembers.
inline constexpr std::size_t RECENT_GAMES_KEPT = 8;

// Puts a game file just opened or saved first among the recent games (as an
// absolute path, once), keeping at most RECENT_GAMES_KEPT.
void RememberRecentGame(std::vector<std::string>& recent, const std::string& path);
// Drops the recent games whose files are gone.
void DropMissingRecentGames(std::vector<std::string>& recent);

// Fills every stored option from the store: a value missing, unconvertible
// or out of its range takes its default alone. An empty store gives all
// defaults and sets firstRun. A width or height of 0 becomes 770 or 570.
// pendingColumns is not stored and becomes 0; angleStepRad follows angleStep.
void ReadSettings(const SettingsStore& store, GameOptions& options);

// Writes the 16 values in table order. "Number" is pendingColumns when one
// was chosen and not yet started, else columns. The recent games are this
// run's, followed by those another window has stored since (read again
// here), at most RECENT_GAMES_KEPT in all.
void WriteSettings(SettingsStore& store, const GameOptions& options);

}  // namespace puzzle
