// Thread indexes: one Katjusha thread index file becomes one Live2ch thread index line.
#pragma once

#include <string>
#include <string_view>

namespace mirelda {

/// The Live2ch thread index line for the text of a Katjusha thread index: 16 fields joined by
/// 15 TABs, with the thread URL built from the host, board and key fields and no line end.
/// Empty when the text has fewer than 18 TAB-separated fields. CR and LF never enter the line.
/// Works alike on UTF-8 text and on the CP932 bytes of the file: it looks only at TAB, CR and LF,
/// which code page 932 never uses inside a double-byte character, and adds only ASCII, so the
/// file's bytes need no decoding, and every byte it copies is copied exactly.
std::string ThreadIndexLine(std::string_view katjusha_index);

/// The log line for a thread index that did not convert. "a\b\1.idx" =>
/// "a\b\1.idxは、なんか変です".
std::string BadIndexLine(std::string_view path);

}  // namespace mirelda
