// Thread warehouses: every other *.idx list of the Katjusha folder becomes ftd/<name>.ftd.
#pragma once

#include <string>

#include "convert/context.h"

namespace mirelda {

/// Converts every *.idx list of the Katjusha folder itself but favorite.idx and favboard.idx.
void ConvertWarehouses(Context& cx);

}  // namespace mirelda
