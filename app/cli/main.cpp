// mirelda-cli: the conversion run driven from a terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/console.h"
#include "app/cli/options.h"
#include "app/cli/terminal_report.h"
#include "app/run.h"
#include "app/texts.h"

namespace mirelda::cli {
namespace {

std::string HelpText() {
  std::string notice = kStartupNotice;
  for (size_t cr; (cr = notice.find('\r')) != std::string::npos;) notice.erase(cr, 1);
  return UsageText() + "\n" + notice;
}

int Main(const std::vector<std::string>& args) {
  std::string error;
  const auto options = ParseOptions(args, error);
  if (!options) {
    WriteLine(stderr, "mirelda-cli: " + error);
    std::fputs(UsageText().c_str(), stderr);
    return 2;
  }
  switch (options->action) {
    case Options::Action::kHelp:
      WriteLine(stdout, HelpText());
      return 0;
    case Options::Action::kVersion:
      WriteLine(stdout, std::string("mirelda-cli ") + kVersion);
      return 0;
    case Options::Action::kRun:
      break;
  }
  std::error_code codec_error;
  const auto codec = Cp932Codec::Open(codec_error);
  if (!codec) {
    WriteLine(stderr, "mirelda-cli: code page 932: " + codec_error.message());
    return 3;
  }
  TerminalReport report(stdout, stderr, ErrorIsTerminal());
  const auto fs = MakeNativeFileSystem();
  switch (RunConversion(options->request, report, *fs, *codec)) {
    case RunOutcome::kChecksFailed:
      return 1;
    case RunOutcome::kCompleted:
      return 0;
    case RunOutcome::kCompletedWithFailures:
    case RunOutcome::kStopped:
      return 3;
  }
  return 3;
}

}  // namespace
}  // namespace mirelda::cli

int main(int argc, char** argv) {
  return mirelda::cli::Main(mirelda::cli::StartConsole(argc, argv));
}
