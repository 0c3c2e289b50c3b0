#include "app/qt_settings_store.h"

#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include "storage/atomic_file.h"

namespace puzzle {
namespace {

std::optional<std::int64_t> ToInteger(const QVariant& value) {
  bool ok = false;
  const qlonglong number = value.toLongLong(&ok);
  if (!ok) return std::nullopt;
  return static_cast<std::int64_t>(number);
}

std::optional<double> ToReal(const QVariant& value) {
  bool ok = false;
  const double number = value.toDouble(&ok);
  if (!ok) return std::nullopt;
  return number;
}

// The native format on Linux keeps every value as text; only "true",
// "false", "1" and "0" are flags, anything else is unreadable.
std::optional<bool> ToFlag(const QVariant& value) {
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  const QString text = value.toString().trimmed().toLower();
  if (text == QLatin1String("true") || text == QLatin1String("1")) return true;
  if (text == QLatin1String("false") || text == QLatin1String("0")) return false;
  return std::nullopt;
}

bool IsList(const QVariant& value) {
  return value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList;
}

template <typename T, typename Convert>
std::optional<std::vector<T>> ToList(const QVariant& value, Convert convert) {
  if (!IsList(value)) return std::nullopt;
  std::vector<T> list;
  for (const QVariant& element : value.toList()) {
    const auto converted = convert(element);
    if (!converted) return std::nullopt;
    list.push_back(*converted);
  }
  return list;
}

// The file QSettings keeps the user's store in; it is checked before the
// store opens it, since opening reads it at once.
std::string UserSettingsFile() {
  return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
          QStringLiteral("/Quorvane/Puzzle.conf"))
      .toStdString();
}

}  // namespace

QtSettingsStore::QtSettingsStore() {
  if (RegularOrAbsent(UserSettingsFile())) {
    settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Quorvane"), QStringLiteral("Puzzle"));
  }
}

QtSettingsStore::QtSettingsStore(const std::string& filePath) {
  if (RegularOrAbsent(filePath)) {
    settings_ = std::make_unique<QSettings>(QString::fromStdString(filePath), QSettings::NativeFormat);
  }
}

bool QtSettingsStore::Exists() const {
  return settings_ && !settings_->allKeys().isEmpty();
}

std::optional<SettingValue> QtSettingsStore::Get(const std::string& name, SettingKind kind) const {
  const QString key = QString::fromStdString(name);
  if (!settings_ || !settings_->contains(key)) return std::nullopt;
  const QVariant value = settings_->value(key);
  // The native format keeps a list of one text as a plain text and an empty
  // list as no value at all.
  if (kind == SettingKind::TextList) {
    std::vector<std::string> texts;
    if (value.isValid()) {
      if (value.typeId() != QMetaType::QString && !IsList(value)) return std::nullopt;
      for (const QString& text : value.toStringList()) texts.push_back(text.toStdString());
    }
    return SettingValue{std::move(texts)};
  }
  // A list where one value is expected (or the reverse) is unreadable.
  const bool wantsList = kind == SettingKind::IntegerList || kind == SettingKind::RealList;
  if (IsList(value) != wantsList) return std::nullopt;
  switch (kind) {
    case SettingKind::Integer:
      if (auto number = ToInteger(value)) return SettingValue{*number};
      break;
    case SettingKind::Real:
      if (auto number = ToReal(value)) return SettingValue{*number};
      break;
    case SettingKind::Flag:
      if (auto flag = ToFlag(value)) return SettingValue{*flag};
      break;
    case SettingKind::Text: return SettingValue{value.toString().toStdString()};
    case SettingKind::IntegerList:
      if (auto list = ToList<std::int64_t>(value, ToInteger)) return SettingValue{std::move(*list)};
      break;
    case SettingKind::RealList:
      if (auto list = ToList<double>(value, ToReal)) return SettingValue{std::move(*list)};
      break;
    case SettingKind::TextList: break;
  }
  return std::nullopt;
}

bool QtSettingsStore::Set(const std::string& name, const SettingValue& value) {
  if (!settings_ || !settings_->isWritable()) return false;
  const QVariant stored = std::visit(
      [](const auto& v) -> QVariant {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::int64_t>) {
          return QVariant::fromValue(static_cast<qlonglong>(v));
        } else if constexpr (std::is_same_v<T, std::string>) {
          return QString::fromStdString(v);
        } else if constexpr (std::is_same_v<T, std::vector<std::int64_t>>) {
          QVariantList list;
          for (std::int64_t element : v) list.append(QVariant::fromValue(static_cast<qlonglong>(element)));
          return list;
        } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
          QStringList list;
          for (const std::string& element : v) list.append(QString::fromStdString(element));
          return list;
        } else if constexpr (std::is_same_v<T, std::vector<double>>) {
          QVariantList list;
          for (double element : v) list.append(element);
          return list;
        } else {
          return QVariant::fromValue(v);
        }
      },
      value);
  settings_->setValue(QString::fromStdString(name), stored);
  return true;
}

void QtSettingsStore::Flush() {
  if (settings_) settings_->sync();
}

void QtSettingsStore::Reload() {
  // With nothing set since, a sync only reads what others have stored.
  if (settings_) settings_->sync();
}

}  // namespace puzzle
