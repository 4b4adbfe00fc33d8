// Folder texts as people give them: typed, pasted from Explorer, dropped, or on a command line.
#pragma once

#include <string>
#include <string_view>

#include "util/file_system.h"

namespace mirelda {

/// The folder a person means by `text`: surrounding spaces and quotes removed, a leading "~/"
/// taken as `home` (on POSIX; `home` may be ""), trailing separators made one, and a path to a
/// file taken as the folder that holds it. "\"/k/Katjusha.exe\" " => "/k/", "~/k//" => "/h/k/".
std::string FolderAsGiven(std::string_view text, FileSystem& fs, std::string_view home);

}  // namespace mirelda
