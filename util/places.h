// Where a person's programs usually are, and the running programs: the platform's answers.
#pragma once

#include <string>
#include <vector>

namespace mirelda {

/// The user's home folder, as "~/" means it; "" where the platform has no such shorthand.
std::string HomeFolder();

/// The folders where Katjusha and Live2ch are usually installed, without a final separator:
/// the fixed drives' roots, Program Files, the user's Desktop, Documents and Downloads and
/// their VirtualStore counterparts; on POSIX those of the Wine prefix, and the home folder.
std::vector<std::string> UsualPlaces();

/// True when a process other than this one is running the program file `program`, matched by
/// its full path without regard to case. On POSIX a Wine process counts by the Windows path
/// on its command line, mapped through its prefix's drive letters.
bool IsProgramRunning(const std::string& program);

}  // namespace mirelda
