// The command line of mirelda-cli.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/frontend.h"

namespace mirelda::cli {

/// What the command line asks for.
struct Options {
  enum class Action { kRun, kHelp, kVersion };
  Action action = Action::kRun;
  std::string katju_folder;
  std::string live_folder;
  /// Check-box values indexed by Choice; every kind but all indexes unless --kinds is given.
  std::array<int, 6> ticks{1, 1, 1, 1, 1, 0};
};

/// Parses the arguments after the program name; nothing and a reason in `error` when they
/// are not a valid command line.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

/// The usage text, ending in a line end.
std::string UsageText();

}  // namespace mirelda::cli
