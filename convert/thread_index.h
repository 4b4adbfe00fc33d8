// Thread indexes: one Katjusha thread index file becomes one Live2ch thread index line.
#pragma once

#include <string>
#include <string_view>

#include "convert/context.h"

namespace mirelda {

/// The Live2ch thread index line for the text of a Katjusha thread index: 16 fields joined by
/// 15 TABs, with the thread URL built from the host, board and key fields and no line end.
/// Empty when the text has fewer than 18 TAB-separated fields. CR and LF never enter the line.
/// Works alike on UTF-8 text and on the CP932 bytes of the file.
std::string ThreadIndexLine(std::string_view katjusha_index);

/// The log line for a thread index that did not convert. "a\b\1.idx" =>
/// "a\b\1.idxは、なんか変です".
std::string BadIndexLine(std::string_view path);

/// Reads the Katjusha index at `from` and writes its Live2ch line to `to`, making the folder
/// first (a failed write is logged by the context). False when the index is missing or not
/// usable, which the caller reports with its BadIndexLine.
bool ConvertThreadIndex(Context& cx, const std::string& from, const std::string& to);

}  // namespace mirelda
