// Looking for the folders of Katjusha and Live2ch in the places where they are usually installed.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "util/file_system.h"

namespace mirelda {

/// The folders found to hold each program, without a final separator, each once.
struct ProgramFolders {
  std::vector<std::string> katjusha;  ///< folders that hold Katjusha.exe
  std::vector<std::string> live2ch;   ///< folders that hold live2ch.exe
};

/// How long a look may take: it is made while a window opens, which must not wait long.
struct LookBounds {
  std::chrono::steady_clock::duration time = std::chrono::seconds(2);
  std::size_t folders = 20000;  ///< folders listed at most
};

/// Looks for Katjusha.exe and live2ch.exe, in any case, in each place and the folders up to two
/// levels below it, in the order of the places; stops where the bounds are reached, with what
/// it found until then.
ProgramFolders FindProgramFolders(FileSystem& fs, const std::vector<std::string>& places,
                                  const LookBounds& bounds = {});

}  // namespace mirelda
