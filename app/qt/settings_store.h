// The window's kept choices on Linux: QSettings, in ~/.config/mirelda/mirelda.ini.
#pragma once

#include <QSettings>

#include "app/window/remembered.h"

namespace mirelda::qt {

/// The user's settings file of mirelda; a file that cannot be read or parsed counts as empty.
class QtSettingsStore final : public SettingsStore {
 public:
  QtSettingsStore() : settings_(QSettings::IniFormat, QSettings::UserScope, "mirelda", "mirelda") {}

  std::optional<std::string> Value(const std::string& key) override;
  void SetValue(const std::string& key, const std::string& text) override;

 private:
  QSettings settings_;
};

}  // namespace mirelda::qt
