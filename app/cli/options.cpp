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

// The value of the option `name` at args[i], given as "NAME VALUE" (then i moves on to the value)
// or as "NAME=VALUE"; `what` names what is missing when there is none.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               const char* what, std::string& value, std::string& error) {
  if (args[i] != name) {
    value = args[i].substr(name.size() + 1);
    return true;
  }
  if (i + 1 == args.size()) {
    error = name + " needs " + what;
    return false;
  }
  value = args[++i];
  return true;
}

bool ParseKinds(std::string_view list, KindSet& kinds, std::string& error) {
  kinds.reset();
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    const size_t kind = FindKind(name);
    if (kind < kinds.size()) {
      kinds.set(kind);
    } else {
      error = "unknown kind '" + std::string(name) + "'";
      return false;
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
    if (list.empty()) {
      error = "a kind is missing after the last ','";
      return false;
    }
  }
  return true;
}

bool ParseJobs(std::string_view text, int& jobs, std::string& error) {
  int number = 0;
  const char* end = text.data() + text.size();
  const auto [parsed_to, status] = std::from_chars(text.data(), end, number);
  if (status != std::errc() || parsed_to != end || number < 1 || number > kMaxJobs) {
    error = "--jobs needs a number from 1 to " + std::to_string(kMaxJobs);
    return false;
  }
  jobs = number;
  return true;
}

}  // namespace

// Takes the folders after the options: KATJUSHA LIVE2CH to convert, LIVE2CH [STAMP] to restore.
bool TakeFolders(const std::vector<std::string>& folders, Options& options, std::string& error) {
  const bool restore = options.action == Options::Action::kRestore;
  const size_t least = restore ? 1 : 2;
  if (folders.size() < least || folders.size() > 2) {
    error = folders.size() < least
                ? (restore ? "a Live2ch folder is needed" : "two folders are needed")
                : "too many arguments";
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

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
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
    } else if (arg == "--kinds" || arg.rfind("--kinds=", 0) == 0) {
      run_options = true;
      std::string list;
      if (!TakeValue(args, i, "--kinds", "a list", list, error) ||
          !ParseKinds(list, options.request.kinds, error)) {
        return std::nullopt;
      }
    } else if (arg == "--jobs" || arg.rfind("--jobs=", 0) == 0) {
      run_options = true;
      std::string jobs;
      if (!TakeValue(args, i, "--jobs", "a number", jobs, error) ||
          !ParseJobs(jobs, options.request.jobs, error)) {
        return std::nullopt;
      }
    } else {
      error = "unknown option '" + arg + "'";
      return std::nullopt;
    }
  }
  if (options.action != Options::Action::kRun) return options;
  if (restore && run_options) {
    error = "--restore takes no other option";
    return std::nullopt;
  }
  if (restore) options.action = Options::Action::kRestore;
  if (!TakeFolders(folders, options, error)) return std::nullopt;
  return options;
}

std::string UsageText() {
  std::string text =
      "usage: mirelda-cli [--kinds LIST] [--jobs N] [--dry-run] [--no-backup]\n"
      "                   KATJUSHA_FOLDER LIVE2CH_FOLDER\n"
      "       mirelda-cli --restore LIVE2CH_FOLDER [STAMP]\n"
      "       mirelda-cli --find\n"
      "       mirelda-cli --help | --version\n"
      "\n"
      "Converts the data of the 2ch browser Katjusha into the files of Live2ch.\n"
      "Katjusha's files are only read. A Live2ch file that would change is first kept\n"
      "in LIVE2CH_FOLDER/mirelda-backup/STAMP/, STAMP being the run's start time.\n"
      "\n"
      "  --kinds LIST  what to convert, a comma-separated list of:\n";
  std::string defaults;
  for (const DataKind& kind : kDataKinds) {
    std::string name(kind.option);
    name.resize(std::max<size_t>(name.size() + 1, 10), ' ');
    text.append(18, ' ').append(name).append(kind.summary).append("\n");
    if (!kind.ticked) defaults.append(defaults.empty() ? "" : ", ").append(kind.option);
  }
  text += "                default: every kind but " + defaults +
          "; an empty LIST converts nothing\n"
          "  --jobs N      how many thread indexes to convert at once, 1 to " +
          std::to_string(kMaxJobs) + " (default " + std::to_string(kDefaultJobs) +
          ");\n"
          "                1 converts them one after another\n"
          "  --dry-run     convert and log everything, but write nothing\n"
          "  --no-backup   replace Live2ch's files without keeping them first\n"
          "  --restore     undo the latest conversion not undone yet, or the one of STAMP\n"
          "  --find        look for Katjusha and Live2ch where they are usually installed\n"
          "                and print each folder found as 'katjusha<TAB>PATH' or\n"
          "                'live2ch<TAB>PATH'\n"
          "\n"
          "Folders may be given in quotes, as a program's path, or (on Linux) as ~/PATH.\n"
          "\n"
          "Exit status: 0 done (with --find also when nothing is found), 1 a program was\n"
          "not found or Live2ch is running (or, restoring, no such backup), 2 usage error,\n"
          "3 done, but some file could not be written or read, some folder not read, or\n"
          "the log not written.\n";
  return text;
}

}  // namespace mirelda::cli
