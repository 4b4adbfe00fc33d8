// The command line of mirelda-cli.
#include "app/cli/options.h"

#include <string_view>

namespace mirelda::cli {
namespace {

struct KindName {
  std::string_view name;
  Choice choice;
};

constexpr KindName kKinds[] = {
    {"fav", Choice::kFav},           {"brd", Choice::kBrd},         {"ftd", Choice::kFtd},
    {"namemail", Choice::kNameMail}, {"myboard", Choice::kMyboard}, {"allidx", Choice::kAllIdx},
};

bool ParseKinds(std::string_view list, std::array<int, 6>& ticks, std::string& error) {
  ticks.fill(0);
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    bool known = false;
    for (const KindName& kind : kKinds) {
      if (kind.name == name) {
        ticks[static_cast<size_t>(kind.choice)] = 1;
        known = true;
      }
    }
    if (!known) {
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

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options options;
  std::vector<std::string> folders;
  bool options_ended = false;
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
    } else if (arg == "--kinds" || arg.rfind("--kinds=", 0) == 0) {
      const bool joined = arg != "--kinds";
      if (!joined && i + 1 == args.size()) {
        error = "--kinds needs a list";
        return std::nullopt;
      }
      const std::string list = joined ? arg.substr(8) : args[++i];
      if (!ParseKinds(list, options.ticks, error)) return std::nullopt;
    } else {
      error = "unknown option '" + arg + "'";
      return std::nullopt;
    }
  }
  if (options.action != Options::Action::kRun) return options;
  if (folders.size() != 2) {
    error = folders.size() < 2 ? "two folders are needed" : "too many arguments";
    return std::nullopt;
  }
  options.katju_folder = folders[0];
  options.live_folder = folders[1];
  return options;
}

std::string UsageText() {
  return "usage: mirelda-cli [--kinds LIST] KATJUSHA_FOLDER LIVE2CH_FOLDER\n"
         "       mirelda-cli --help | --version\n"
         "\n"
         "Converts the data of the 2ch browser Katjusha into the files of Live2ch.\n"
         "Katjusha's files are only read; Live2ch's files are replaced.\n"
         "\n"
         "  --kinds LIST  what to convert, a comma-separated list of:\n"
         "                  fav       favourites (favorite.idx => favorite.ftd)\n"
         "                  brd       board buttons (favboard.idx => favboard.fbd)\n"
         "                  ftd       thread warehouses (*.idx => ftd/*.ftd)\n"
         "                  namemail  name and mail lists (namelist.txt, maillist.txt)\n"
         "                  myboard   external board list (other.brd => myboard.brd)\n"
         "                  allidx    every thread index of the log tree\n"
         "                default: every kind but allidx; an empty LIST converts nothing\n"
         "\n"
         "Exit status: 0 done, 1 a program was not found, 2 usage error,\n"
         "3 done, but some file could not be written or some folder not read.\n";
}

}  // namespace mirelda::cli
