// Favourites: favorite.idx becomes favorite.ftd, with the thread index of every favourite.
#pragma once

#include <string>
#include <string_view>

#include "convert/record_list.h"

namespace mirelda {

/// True when a favourite path (relative to the log folder, parts separated by '\') can form a
/// thread URL and stays inside the log folder: at least three parts, a '.' in the third, no
/// ':', no leading '\' or '/', and no part (split at '\' and '/') that is "." or "..".
bool IsUsableFavouritePath(std::string_view path);

/// The thread URL of a usable favourite path; empty for one that is not.
/// "P_Q\R\123.idx" => "http://P/Q/test/read.cgi/R/123/".
std::string ThreadUrl(std::string_view path);

/// Converts the thread index of every entry of a favourite-style list and writes the lines of
/// the Live2ch list: for each entry its thread URL, or an empty line when it did not convert
/// (logged).
void ConvertThreadEntries(Context& cx, ListRecords& entries, OutputFile& list);

/// Converts favorite.idx into favorite.ftd.
void ConvertFavourites(Context& cx);

}  // namespace mirelda
