// The window's kept choices on Windows: %APPDATA%\mirelda\mirelda.ini.
#pragma once

#include <string>

#include "app/window/remembered.h"

namespace mirelda::win32 {

/// An .ini file of UTF-16 texts, read and written with the profile functions, which take a
/// broken file for one without the keys.
class IniSettingsStore final : public SettingsStore {
 public:
  /// The user's own file, %APPDATA%\mirelda\mirelda.ini.
  IniSettingsStore();
  /// The file `path`, in a folder that is made when a value is kept.
  explicit IniSettingsStore(std::wstring path) : path_(std::move(path)) {}

  std::optional<std::string> Value(const std::string& key) override;
  void SetValue(const std::string& key, const std::string& text) override;

 private:
  std::wstring path_;  // empty when there is no application data folder
};

}  // namespace mirelda::win32
