// What the window keeps between starts: the two folders and the ticks of the last run that
// passed its checks.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "run/kinds.h"

namespace mirelda {

/// A store of texts by key that outlives the program: QSettings on Linux, an .ini file in the
/// user's application data on Windows.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  /// The text kept under `key`; none when there is none, or the store is broken or unreadable.
  virtual std::optional<std::string> Value(const std::string& key) = 0;

  /// Keeps `text` under `key`; a store that cannot be written keeps nothing, and says nothing.
  virtual void SetValue(const std::string& key, const std::string& text) = 0;
};

/// A store that lasts as long as the program: for windows that must leave the user's own
/// settings alone (benchmarks, tests).
class SettingsInMemory final : public SettingsStore {
 public:
  std::optional<std::string> Value(const std::string& key) override {
    const auto it = values_.find(key);
    return it == values_.end() ? std::nullopt : std::optional(it->second);
  }
  void SetValue(const std::string& key, const std::string& text) override { values_[key] = text; }

 private:
  std::map<std::string, std::string> values_;
};

/// The choices of a run that passed its checks, as the next start shows them.
struct Remembered {
  std::string katjusha;          ///< the Katjusha folder; "" when none is kept
  std::string live2ch;           ///< the Live2ch folder; "" when none is kept
  std::optional<KindSet> kinds;  ///< the ticks; none when none are kept, or not as written
};

/// What the store holds; what is missing or not as Remember writes it is left out.
Remembered Recall(SettingsStore& store);

/// Keeps the folders and ticks of a run.
void Remember(SettingsStore& store, const Remembered& choices);

}  // namespace mirelda
