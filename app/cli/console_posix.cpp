// The terminal on POSIX: arguments and output are UTF-8 already; a closed pipe is only an error.
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "app/cli/console.h"

namespace mirelda::cli {

std::vector<std::string> StartConsole(int argc, char** argv) {
  // `mirelda-cli ... | head -1` must still convert everything; the lost log shows in the exit
  // status instead.
  std::signal(SIGPIPE, SIG_IGN);
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::error_code WriteText(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  if (std::fflush(stream) == 0 && !std::ferror(stream)) return {};
  return {errno, std::generic_category()};
}

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace mirelda::cli
