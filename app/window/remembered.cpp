// What the window keeps between starts.
#include "app/window/remembered.h"

#include <string_view>

namespace mirelda {
namespace {

constexpr char kKatjushaKey[] = "katjusha";
constexpr char kLive2chKey[] = "live2ch";
constexpr char kKindsKey[] = "kinds";

// The ticks as the kinds' option names joined by ",". "fav,brd"; "" when none is ticked.
std::string FormatKinds(const KindSet& kinds) {
  std::string text;
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i]) text.append(text.empty() ? "" : ",").append(kDataKinds[i].option);
  }
  return text;
}

// None when a name is not a kind's: a file edited by hand, or written by another version.
std::optional<KindSet> ParseKinds(std::string_view text) {
  KindSet kinds;
  while (!text.empty()) {
    const std::string_view name = text.substr(0, text.find(','));
    size_t i = 0;
    while (i < kinds.size() && kDataKinds[i].option != name) ++i;
    if (i == kinds.size()) return std::nullopt;
    kinds.set(i);
    text.remove_prefix(std::min(text.size(), name.size() + 1));
  }
  return kinds;
}

}  // namespace

Remembered Recall(SettingsStore& store) {
  Remembered choices;
  choices.katjusha = store.Value(kKatjushaKey).value_or("");
  choices.live2ch = store.Value(kLive2chKey).value_or("");
  if (const auto kinds = store.Value(kKindsKey)) choices.kinds = ParseKinds(*kinds);
  return choices;
}

void Remember(SettingsStore& store, const Remembered& choices) {
  store.SetValue(kKatjushaKey, choices.katjusha);
  store.SetValue(kLive2chKey, choices.live2ch);
  store.SetValue(kKindsKey, FormatKinds(choices.kinds.value_or(DefaultKinds())));
}

}  // namespace mirelda
