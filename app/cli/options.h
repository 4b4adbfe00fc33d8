// The command line of mirelda-cli.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/messages.h"
#include "run/restore.h"
#include "run/run.h"

namespace mirelda::cli {

/// What the command line asks for.
struct Options {
  enum class Action { kRun, kRestore, kFind, kHelp, kVersion };
  Action action = Action::kRun;
  /// The folders as given; the default kinds unless --kinds is given.
  RunRequest request{"", "", DefaultKinds()};
  /// With --restore, the Live2ch folder and the backup's name as given.
  RestoreRequest restore;
};

/// The language that the arguments ask for with --lang ja|en, the last one before any "--";
/// `fallback` when they ask for none. ({"--lang=ja", "k", "l"}, English) => Japanese.
Language ChosenLanguage(const std::vector<std::string>& args, Language fallback);

/// Parses the arguments after the program name; nothing and a reason, in the language of `say`,
/// in `error` when they are not a valid command line.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, const Messages& say,
                                    std::string& error);

/// The usage text, ending in a line end.
std::string UsageText(const Messages& say);

}  // namespace mirelda::cli
