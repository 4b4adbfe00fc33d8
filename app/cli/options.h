// The command line of mirelda-cli.
#pragma once

#include <optional>
#include <string>
#include <vector>

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

/// Parses the arguments after the program name; nothing and a reason in `error` when they
/// are not a valid command line.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

/// The usage text, ending in a line end.
std::string UsageText();

}  // namespace mirelda::cli
