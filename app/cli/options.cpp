// The command line of mirelda-cli.
#include "app/cli/options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

namespace mirelda::cli {
namespace {

// The most thread indexes that may be converted at once: past a few, more only crowd the disk.
constexpr int kMaxJobs = 64;

// The position of the kind called `name` in the table of kinds; the table's size when none is.
size_t FindKind(std::string_view name) {
  size_t i = 0;
  while (i < std::size(kDataKinds) && kDataKinds[i].option != name) ++i;
  return i;
}

// Whether `arg` is the option `name`, as "NAME" or as "NAME=VALUE".
bool IsOption(const std::string& arg, std::string_view name) {
  return arg.rfind(name, 0) == 0 && (arg.size() == name.size() || arg[name.size()] == '=');
}

// The value of the option `name` at args[i], given as "NAME VALUE" (then i moves on to the value)
// or as "NAME=VALUE"; false when there is none.
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string_view name,
               std::string& value) {
  if (args[i] != name) {
    value = args[i].substr(name.size() + 1);
    return true;
  }
  if (i + 1 == args.size()) return false;
  value = args[++i];
  return true;
}

std::optional<Language> ParseLanguage(std::string_view value) {
  if (value == "ja") return Language::kJapanese;
  if (value == "en") return Language::kEnglish;
  return std::nullopt;
}

bool ParseKinds(std::string_view list, KindSet& kinds, const Messages& say, std::string& error) {
  kinds.reset();
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    const size_t kind = FindKind(name);
    if (kind < kinds.size()) {
      kinds.set(kind);
    } else {
      error = say(MessageId::kUnknownKind, {name});
      return false;
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
    if (list.empty()) {
      error = say(MessageId::kKindMissing);
      return false;
    }
  }
  return true;
}

bool ParseJobs(std::string_view text, int& jobs) {
  int number = 0;
  const char* end = text.data() + text.size();
  const auto [parsed_to, status] = std::from_chars(text.data(), end, number);
  if (status != std::errc() || parsed_to != end || number < 1 || number > kMaxJobs) return false;
  jobs = number;
  return true;
}

}  // namespace

// Takes the folders after the options: KATJUSHA LIVE2CH to convert, LIVE2CH [STAMP] to restore.
bool TakeFolders(const std::vector<std::string>& folders, Options& options, const Messages& say,
                 std::string& error) {
  const bool restore = options.action == Options::Action::kRestore;
  const size_t least = restore ? 1 : 2;
  if (folders.size() < least || folders.size() > 2) {
    error = say(folders.size() >= least ? MessageId::kTooManyArguments
                : restore               ? MessageId::kLive2chFolderNeeded
                                        : MessageId::kTwoFoldersNeeded);
    return false;
  }
  if (restore) {
    options.restore = {folders[0], folders.size() == 2 ? folders[1] : ""};
  } else {
    options.request.katjusha_folder = folders[0];
    options.request.live2ch_folder = folders[1];
  }
  return true;
}

Language ChosenLanguage(const std::vector<std::string>& args, Language fallback) {
  for (size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
    std::string value;
    if (IsOption(args[i], "--lang") && TakeValue(args, i, "--lang", value)) {
      fallback = ParseLanguage(value).value_or(fallback);
    }
  }
  return fallback;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, const Messages& say,
                                    std::string& error) {
  Options options;
  std::vector<std::string> folders;
  bool options_ended = false;
  bool restore = false;
  bool run_options = false;  // any option that only a conversion takes
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.empty() || arg[0] != '-' || arg == "-") {
      folders.push_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "--help" || arg == "-h") {
      options.action = Options::Action::kHelp;
    } else if (arg == "--version") {
      options.action = Options::Action::kVersion;
    } else if (arg == "--find") {
      options.action = Options::Action::kFind;
    } else if (arg == "--restore") {
      restore = true;
    } else if (arg == "--dry-run") {
      options.request.dry_run = run_options = true;
    } else if (arg == "--no-backup") {
      options.request.keep_backup = false;
      run_options = true;
    } else if (IsOption(arg, "--kinds")) {
      run_options = true;
      std::string list;
      if (!TakeValue(args, i, "--kinds", list)) {
        error = say(MessageId::kKindsNeedList);
        return std::nullopt;
      }
      if (!ParseKinds(list, options.request.kinds, say, error)) return std::nullopt;
    } else if (IsOption(arg, "--jobs")) {
      run_options = true;
      std::string jobs;
      if (!TakeValue(args, i, "--jobs", jobs) || !ParseJobs(jobs, options.request.jobs)) {
        error = say(MessageId::kJobsNeedNumber, {std::to_string(kMaxJobs)});
        return std::nullopt;
      }
    } else if (IsOption(arg, "--lang")) {
      // Taken by ChosenLanguage before the arguments are parsed; only checked here.
      std::string language;
      if (!TakeValue(args, i, "--lang", language) || !ParseLanguage(language)) {
        error = say(MessageId::kLangNeedsJaOrEn);
        return std::nullopt;
      }
    } else {
      error = say(MessageId::kUnknownOption, {arg});
      return std::nullopt;
    }
  }
  if (options.action != Options::Action::kRun) return options;
  if (restore && run_options) {
    error = say(MessageId::kRestoreTakesNoOther);
    return std::nullopt;
  }
  if (restore) options.action = Options::Action::kRestore;
  if (!TakeFolders(folders, options, say, error)) return std::nullopt;
  return options;
}

std::string UsageText(const Messages& say) {
  std::string text = say(MessageId::kUsage);
  std::string defaults;
  for (const DataKind& kind : kDataKinds) {
    std::string name(kind.option);
    name.resize(std::max<size_t>(name.size() + 1, 10), ' ');
    text.append(18, ' ').append(name).append(say(kind.summary)).append("\n");
    if (!kind.ticked) defaults.append(defaults.empty() ? "" : ", ").append(kind.option);
  }
  return text + say(MessageId::kUsageOptions,
                    {defaults, std::to_string(kMaxJobs), std::to_string(kDefaultJobs)});
}

}  // namespace mirelda::cli
