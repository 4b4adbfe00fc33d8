// mirelda-cli: the conversion run driven from a terminal.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/cli/console.h"
#include "app/cli/options.h"
#include "app/cli/terminal_report.h"
#include "run/run.h"
#include "run/texts.h"
#include "util/places.h"
#include "util/program_folders.h"

namespace mirelda::cli {
namespace {

// The exit status of a run that went as far as `outcome`, had its log been written.
int ExitStatus(RunOutcome outcome) {
  switch (outcome) {
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

int ExitStatus(RestoreOutcome outcome) {
  switch (outcome) {
    case RestoreOutcome::kNoBackup:
    case RestoreOutcome::kRefused:
    case RestoreOutcome::kLive2chRunning:
      return 1;
    case RestoreOutcome::kNothingLeft:
    case RestoreOutcome::kRestored:
      return 0;
    case RestoreOutcome::kRestoredWithFailures:
      return 3;
  }
  return 3;
}

// Tells of a log that could not be written whole, which makes a clean ending exit 3.
int WithLostLog(int status, const TerminalReport& report, const Messages& say) {
  if (!report.log_error()) return status;
  WriteLine(stderr, "mirelda-cli: " + say(MessageId::kStandardOutput) + ": " +
                        say.Reason(report.log_error()));
  return status == 0 ? 3 : status;
}

// Undoes a run; a backup that is not there is told on standard error.
int Restore(const RestoreRequest& request, const Messages& say) {
  TerminalReport report(stdout, stderr, ErrorIsTerminal(), say);
  const auto fs = MakeNativeFileSystem();
  const RestoreOutcome outcome = RestoreRun(request, report, *fs, std::time(nullptr));
  if (outcome == RestoreOutcome::kNoBackup) {
    const std::string folder = BackupsOf(request.live2ch_folder, *fs);
    WriteLine(stderr,
              "mirelda-cli: " + folder + ": " +
                  (request.stamp.empty() ? say(MessageId::kNoBackupToRestore)
                                         : say(MessageId::kNoBackupNamed, {request.stamp})));
  }
  return WithLostLog(ExitStatus(outcome), report, say);
}

// Prints the folders of Katjusha and Live2ch found in the usual places; finding none is no
// failure, only an empty answer.
int Find(const Messages& say) {
  const auto fs = MakeNativeFileSystem();
  const ProgramFolders found = FindProgramFolders(*fs, UsualPlaces());
  std::error_code error;
  for (const std::string& folder : found.katjusha) {
    if (!error) error = WriteLine(stdout, "katjusha\t" + folder);
  }
  for (const std::string& folder : found.live2ch) {
    if (!error) error = WriteLine(stdout, "live2ch\t" + folder);
  }
  if (!error) return 0;
  WriteLine(stderr, "mirelda-cli: " + say(MessageId::kStandardOutput) + ": " + say.Reason(error));
  return 3;
}

std::string HelpText(const Messages& say) {
  std::string notice = kStartupNotice;
  for (size_t cr; (cr = notice.find('\r')) != std::string::npos;) notice.erase(cr, 1);
  return UsageText(say) + "\n" + notice;
}

int Main(const std::vector<std::string>& args) {
  const Messages say(ChosenLanguage(args, UserLanguage()));
  std::string error;
  const auto options = ParseOptions(args, say, error);
  if (!options) {
    WriteLine(stderr, "mirelda-cli: " + error);
    WriteText(stderr, UsageText(say));
    return 2;
  }
  switch (options->action) {
    case Options::Action::kHelp:
      WriteLine(stdout, HelpText(say));
      return 0;
    case Options::Action::kVersion:
      WriteLine(stdout, std::string("mirelda-cli ") + kVersion);
      return 0;
    case Options::Action::kRestore:
      return Restore(options->restore, say);
    case Options::Action::kFind:
      return Find(say);
    case Options::Action::kRun:
      break;
  }
  const auto codec = Cp932Codec::Open();
  TerminalReport report(stdout, stderr, ErrorIsTerminal(), say);
  const auto fs = MakeNativeFileSystem();
  const RunOutcome outcome = RunConversion(options->request, report, *fs, *codec);
  return WithLostLog(ExitStatus(outcome), report, say);
}

}  // namespace
}  // namespace mirelda::cli

int main(int argc, char** argv) {
  return mirelda::cli::Main(mirelda::cli::StartConsole(argc, argv));
}
