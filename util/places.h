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

/// The folder where Windows keeps what old programs write into `folder` (ending in the
/// separator): for a folder under %ProgramFiles%, %ProgramFiles(x86)% or %windir%, its
/// counterpart under %LOCALAPPDATA%\VirtualStore, when that exists, ending in the separator;
/// "" otherwise, and always on POSIX. "C:\Program Files\K\" =>
/// "C:\Users\me\AppData\Local\VirtualStore\Program Files\K\".
std::string VirtualStoreOf(const std::string& folder);

/// True when the program runs with administrator rights, with which Windows writes into
/// Program Files itself rather than into the VirtualStore.
bool RunsElevated();

/// True when a process other than this one is running the program file `program`, matched by
/// its full path without regard to case. On POSIX a Wine process counts by the Windows path
/// on its command line, mapped through its prefix's drive letters.
bool IsProgramRunning(const std::string& program);

}  // namespace mirelda
