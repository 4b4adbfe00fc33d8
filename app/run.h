// The conversion run behind the start button, free of any window.
#pragma once

#include "app/frontend.h"
#include "util/cp932.h"
#include "util/file_system.h"

namespace mirelda {

/// How a run ended.
enum class RunOutcome {
  kChecksFailed,           ///< a program was not found (or both folders are one); nothing written
  kCompleted,              ///< every file it meant to write was written
  kCompletedWithFailures,  ///< some file could not be written or some folder not listed
};

/// Normalises both folder texts to end in the separator, checks for Katjusha.exe and
/// live2ch.exe, then calls each ticked converter in the fixed order, logging as it goes.
RunOutcome RunConversion(Frontend& ui, FileSystem& fs, Cp932Codec& codec);

}  // namespace mirelda
