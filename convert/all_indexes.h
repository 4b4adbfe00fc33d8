// All thread indexes: every *.idx of Katjusha's log tree goes to the same place in Live2ch's.
#pragma once

#include <string>

#include "convert/context.h"

namespace mirelda {

/// Converts every thread index that matches `search` (the Katjusha folder followed by
/// "log", the separator and "*.idx") at any depth, to the same relative path under the Live2ch
/// folder.
void AllIdx(Context& cx, const std::string& search);

}  // namespace mirelda
