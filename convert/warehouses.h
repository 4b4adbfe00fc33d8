// Thread warehouses: every other *.idx list of the Katjusha folder becomes ftd/<name>.ftd.
#pragma once

#include <string>

#include "convert/context.h"

namespace mirelda {

/// Finds the warehouse lists that match `search` (the Katjusha folder followed by "*.idx"),
/// leaving out favorite.idx and favboard.idx, and converts each.
void FtdCnv(Context& cx, const std::string& search);

/// Converts the warehouse `name` whose list is the file at `list_path`.
void FtdConv(Context& cx, const std::string& name, const std::string& list_path);

}  // namespace mirelda
