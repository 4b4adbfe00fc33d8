// The terminal on Windows: arguments from the wide command line, so that a folder outside the
// ANSI code page arrives whole; text written to a console as UTF-16, which shows Japanese under
// any code page, and to a file or a pipe as UTF-8. A closed pipe is only an error there already.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "app/cli/console.h"
#include "util/win32/wide.h"

namespace mirelda::cli {
namespace {

// The console behind `stream`, or null when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

std::vector<std::string> StartConsole(int, char**) {
  // Binary mode: a redirected run writes the same bytes as on Linux, lines ending in LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

std::error_code WriteText(std::FILE* stream, std::string_view text) {
  if (const HANDLE console = ConsoleOf(stream)) {
    std::fflush(stream);
    const std::wstring wide = Widen(text);
    DWORD written = 0;
    if (WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
      return {};
    }
    return {static_cast<int>(GetLastError()), std::system_category()};
  }
  std::fwrite(text.data(), 1, text.size(), stream);
  if (std::fflush(stream) == 0 && !std::ferror(stream)) return {};
  return {errno, std::generic_category()};
}

bool ErrorIsTerminal() { return ConsoleOf(stderr) != nullptr; }

}  // namespace mirelda::cli
