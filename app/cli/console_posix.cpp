// The terminal on POSIX: arguments and output are UTF-8 already; a closed pipe is only an error.
#include <unistd.h>

#include <csignal>

#include "app/cli/console.h"

namespace mirelda::cli {

std::vector<std::string> StartConsole(int argc, char** argv) {
  // `mirelda-cli ... | head -1` must still convert everything; the lost log shows in the exit
  // status instead.
  std::signal(SIGPIPE, SIG_IGN);
  return std::vector<std::string>(argv + 1, argv + argc);
}

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace mirelda::cli
