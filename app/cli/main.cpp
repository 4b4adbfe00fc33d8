// mirelda-cli: the conversion run driven from a terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/console.h"
#include "app/cli/options.h"
#include "app/run.h"
#include "app/texts.h"

namespace mirelda::cli {
namespace {

// Writes one line and flushes it, so that progress shows as it happens, also through a pipe.
void WriteLine(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

// The terminal as the run's front end: folders and ticks from the command line, log lines to
// standard output, messages to standard error.
class TerminalFrontend final : public Frontend {
 public:
  explicit TerminalFrontend(const Options& options) : options_(options) {}

  std::string KatjuFolder() override { return options_.katju_folder; }
  void SetKatjuFolder(const std::string& text) override { options_.katju_folder = text; }
  std::string LiveFolder() override { return options_.live_folder; }
  void SetLiveFolder(const std::string& text) override { options_.live_folder = text; }
  int CheckValue(Choice choice) override { return options_.ticks[static_cast<size_t>(choice)]; }
  void DisableStart() override {}
  void AddText(const std::string& line) override { WriteLine(stdout, line); }
  void ShowMessage(const std::string& text) override { WriteLine(stderr, text); }
  void ProcessEvents() override {}

 private:
  Options options_;
};

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
  TerminalFrontend frontend(*options);
  Cp932Codec codec;
  const auto fs = MakeNativeFileSystem();
  switch (RunConversion(frontend, *fs, codec)) {
    case RunOutcome::kChecksFailed:
      return 1;
    case RunOutcome::kCompleted:
      return 0;
    case RunOutcome::kCompletedWithFailures:
      return 3;
  }
  return 3;
}

}  // namespace
}  // namespace mirelda::cli

int main(int argc, char** argv) {
  return mirelda::cli::Main(mirelda::cli::StartConsole(argc, argv));
}
