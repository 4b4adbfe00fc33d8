// The terminal on Windows: arguments from the wide command line, so that a folder outside the
// ANSI code page arrives whole, and UTF-8 output that a console shows as Japanese. A closed pipe
// is only an error there already.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/cli/console.h"
#include "util/win32/wide.h"

namespace mirelda::cli {
namespace {

UINT g_console_code_page = 0;

void RestoreConsoleCodePage() { SetConsoleOutputCP(g_console_code_page); }

bool IsConsole(std::FILE* stream) {
  DWORD mode = 0;
  return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

}  // namespace

std::vector<std::string> StartConsole(int, char**) {
  // Binary mode: a redirected run writes the same bytes as on Linux, lines ending in LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (IsConsole(stdout) || IsConsole(stderr)) {
    // The console decodes what is written with its output code page; it is put back on exit
    // because the console outlives the program.
    g_console_code_page = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    std::atexit(RestoreConsoleCodePage);
  }
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

bool ErrorIsTerminal() { return IsConsole(stderr); }

}  // namespace mirelda::cli
