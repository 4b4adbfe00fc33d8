// Win32 error codes as the portable conditions the engine compares against.
#pragma once

#include <system_error>

namespace mirelda {

/// A Win32 error (GetLastError()) as the portable condition it stands for, where there is one;
/// else the system's own code. ERROR_FILE_NOT_FOUND => std::errc::no_such_file_or_directory.
std::error_code ErrorCodeOf(unsigned long win32_error);

}  // namespace mirelda
