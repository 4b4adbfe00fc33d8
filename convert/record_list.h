// Lists of one record per line, as the list files of both browsers hold them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/context.h"

namespace mirelda {

/// The records of a list text: it is divided at every CR LF or lone LF; a last piece without a
/// line end is a record too unless it is empty. A lone CR stays inside its record.
/// "a\r\nb\nc" => {"a", "b", "c"}; "a\r\n\r\n" => {"a", ""}.
std::vector<std::string_view> SplitRecords(std::string_view text);

/// The lines of an output list, each followed by CR LF. {"a", ""} => "a\r\n\r\n".
std::string JoinRecords(const std::vector<std::string>& lines);

/// The progress line that tells how many records a list holds. 2 => "2件ありました".
std::string CountLine(std::size_t records);

/// One list file to convert, with the lines that tell its progress.
struct ListFile {
  std::string opening;  ///< logged first
  std::string from;     ///< the Katjusha list
  std::string bad;      ///< logged when it is missing or empty, after which nothing is written
  std::string to;       ///< the Live2ch list, replaced whole
  std::string done;     ///< logged last
};

/// Turns the records of a Katjusha list into the lines of the Live2ch list.
using RecordMapper = std::function<std::vector<std::string>(const std::vector<std::string_view>&)>;

/// Converts a list file: logs the opening line, reads the list, logs its count line, writes
/// the mapped lines each followed by CR LF (making the folder when needed) and logs the last line.
void ConvertListFile(Context& cx, const ListFile& list, const RecordMapper& map);

}  // namespace mirelda
