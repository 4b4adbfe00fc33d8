// Board buttons: favboard.idx becomes favboard.fbd.
#pragma once

#include <string>
#include <string_view>

#include "convert/context.h"

namespace mirelda {

/// A record, or a part of one, without any "▽"; sets `marked` when it held the mark, which its
/// Live2ch board button line ends with as a TAB and "0" ("1" when not). "a▽b" => "ab", set.
std::string WithoutMarks(std::string_view text, bool& marked);

/// Converts favboard.idx into favboard.fbd.
void ConvertBoardButtons(Context& cx);

}  // namespace mirelda
