// Board buttons: favboard.idx becomes favboard.fbd.
#pragma once

#include <string>
#include <string_view>

#include "convert/context.h"

namespace mirelda {

/// The Live2ch board button line of one record: the record without any "▽", a TAB, and "0"
/// when it held the mark or "1" when not. "a▽b" => "ab\t0", "abc" => "abc\t1".
std::string BoardButtonLine(std::string_view record);

/// Converts favboard.idx into favboard.fbd.
void ConvertBoardButtons(Context& cx);

}  // namespace mirelda
