// <windows.h> for the files of the Win32 half, without the macros that clash with the engine.
#pragma once

#include <windows.h>

// windows.h renames ReplaceFile to ReplaceFileW, which would rename FileSystem::ReplaceFile in
// every file that sees both.
#undef ReplaceFile
