// The name and mail lists: namelist.txt and maillist.txt are copied as they are.
#pragma once

#include "convert/context.h"

namespace mirelda {

/// Copies namelist.txt and maillist.txt; a list Katjusha does not have is left alone in Live2ch.
void ConvertNameMailLists(Context& cx);

}  // namespace mirelda
