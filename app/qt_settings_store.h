// The settings store on disk through QSettings in its native format: on
// Linux ~/.config/Quorvane/Puzzle.conf, values typed (numbers, flags, lists,
// text). Built into puzzle_app, since it needs Qt Core; owns no game record.
#pragma once

#include <QSettings>
#include <memory>
#include <string>

#include "storage/settings.h"

namespace puzzle {

// A settings file that is not a regular file (or a link to one of the
// user's own) is left alone: the store then reads as empty and writes
// nothing, so that a FIFO neither blocks the start nor a link makes the
// exit overwrite what it leads to.
class QtSettingsStore : public SettingsStore {
 public:
  // The user's store: organisation "Quorvane", application "Puzzle".
  QtSettingsStore();
  // A store in the given file, native format (tests).
  explicit QtSettingsStore(const std::string& filePath);

  bool Exists() const override;
  std::optional<SettingValue> Get(const std::string& name, SettingKind kind) const override;
  bool Set(const std::string& name, const SettingValue& value) override;
  void Flush() override;
  void Reload() override;

 private:
  std::unique_ptr<QSettings> settings_;  // none when the file is left alone
};

}  // namespace puzzle
