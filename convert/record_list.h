// Lists of one record per line, as the list files of both browsers hold them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

/// The records of a list text: it is divided at every CR LF or lone LF; a last piece without a
/// line end is a record too unless it is empty. A lone CR stays inside its record.
/// "a\r\nb\nc" => {"a", "b", "c"}; "a\r\n\r\n" => {"a", ""}.
std::vector<std::string_view> SplitRecords(std::string_view text);

/// The lines of an output list, each followed by CR LF. {"a", ""} => "a\r\n\r\n".
std::string JoinRecords(const std::vector<std::string>& lines);

/// The progress line that tells how many records a list holds. 2 => "2件ありました".
std::string CountLine(std::size_t records);

}  // namespace mirelda
