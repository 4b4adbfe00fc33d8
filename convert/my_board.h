// The external board list: other.brd becomes the my-board list myboard.brd.
#pragma once

#include "convert/context.h"

namespace mirelda {

/// Converts other.brd into myboard.brd: one group "マイボード" whose members are the records.
void ConvertMyBoard(Context& cx);

}  // namespace mirelda
