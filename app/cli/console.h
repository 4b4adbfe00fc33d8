// The terminal under mirelda-cli: what differs between platforms in reading arguments, writing
// UTF-8 text and telling a terminal from a file.
#pragma once

#include <string>
#include <vector>

namespace mirelda::cli {

/// Readies standard output and error for UTF-8 text, written byte for byte as on every
/// platform, such that losing them (a pipe whose reader has gone) makes writes fail rather than
/// ends the program, and returns the arguments after the program name as UTF-8 texts.
std::vector<std::string> StartConsole(int argc, char** argv);

/// Whether standard error is a terminal, where a line can be drawn over and erased.
bool ErrorIsTerminal();

}  // namespace mirelda::cli
