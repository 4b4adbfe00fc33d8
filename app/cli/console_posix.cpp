// The terminal on POSIX: arguments and output are UTF-8 already.
#include <unistd.h>

#include "app/cli/console.h"

namespace mirelda::cli {

std::vector<std::string> StartConsole(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace mirelda::cli
