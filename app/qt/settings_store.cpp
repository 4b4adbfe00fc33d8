// The window's kept choices on Linux, through QSettings.
#include "app/qt/settings_store.h"

namespace mirelda::qt {

std::optional<std::string> QtSettingsStore::Value(const std::string& key) {
  const QString name = QString::fromStdString(key);
  // A broken file may still give some keys; none of them is trusted.
  if (!settings_.contains(name) || settings_.status() != QSettings::NoError) return std::nullopt;
  return settings_.value(name).toString().toStdString();
}

void QtSettingsStore::SetValue(const std::string& key, const std::string& text) {
  settings_.setValue(QString::fromStdString(key), QString::fromStdString(text));
  settings_.sync();
}

}  // namespace mirelda::qt
