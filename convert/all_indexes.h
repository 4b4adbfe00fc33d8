// All thread indexes: every *.idx of Katjusha's log tree goes to the same place in Live2ch's.
#pragma once

#include "convert/context.h"

namespace mirelda {

/// Converts every *.idx under the Katjusha folder's "log" folder, at any depth, to the same
/// relative path under the Live2ch folder.
void ConvertAllIndexes(Context& cx);

}  // namespace mirelda
