// The terminal under mirelda-cli: what differs between platforms in reading arguments, writing
// UTF-8 text and telling a terminal from a file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace mirelda::cli {

/// Readies standard output and error for UTF-8 text, such that losing them (a pipe whose reader
/// has gone) makes writes fail rather than ends the program, and returns the arguments after
/// the program name as UTF-8 texts.
std::vector<std::string> StartConsole(int argc, char** argv);

/// Writes UTF-8 text and flushes it: byte for byte to a file or a pipe, on every platform; as
/// characters to a Windows console, whatever its code page. The reason when it was not written.
std::error_code WriteText(std::FILE* stream, std::string_view text);

/// Whether standard error is a terminal, where a line can be drawn over and erased.
bool ErrorIsTerminal();

}  // namespace mirelda::cli
