// Lists of one record per line, as the list files of both browsers hold them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "convert/context.h"

namespace mirelda {

/// Takes the next line, with the LF that ends it if there is one, off the front of a text; false
/// when nothing is left. "a\nb" => "a\n", then "b", then false.
bool TakeLine(std::string_view& text, std::string_view& line);

/// Takes the next record off the front of a list text: a line without its LF or CR LF; a lone CR
/// stays inside its record. False when nothing is left. "a\r\nb\nc" => "a", "b", "c";
/// "a\r\n\r\n" => "a", "".
bool TakeRecord(std::string_view& text, std::string_view& record);

/// How many records TakeRecord finds in a text. "a\r\n\r\n" => 2.
std::size_t CountRecords(std::string_view text);

/// The progress line that tells how many records a list holds. 2 => "2件ありました".
std::string CountLine(std::size_t records);

/// How many bytes of a record are decoded at a time. A longer record comes in parts, so that a
/// giant one is never held whole as text beside the file's bytes, which it can outgrow threefold.
inline constexpr std::size_t kRecordPart = 64 * 1024;

/// The records of a list file, decoded from CP932 one at a time, so that the list is never held
/// whole as text. The file's bytes are let go once the last record has been decoded.
class ListRecords {
 public:
  ListRecords(TextFiles& files, std::string bytes)
      : files_(files), bytes_(std::move(bytes)), rest_(bytes_), count_(CountRecords(bytes_)) {}
  ListRecords(const ListRecords&) = delete;
  ListRecords& operator=(const ListRecords&) = delete;

  /// Puts the next record's text into `record`, whole when it is at most about kRecordPart bytes,
  /// otherwise its first part, the rest then coming from NextPart or, when not asked for, never
  /// decoded; false when none is left.
  bool Next(std::string& record);

  /// Puts the next part of the record last taken into `part`; false when it has no more.
  bool NextPart(std::string& part);

  /// True when the record last taken has parts still to come.
  bool HasMore() const { return !record_.empty(); }

  /// How many records the list holds in all.
  std::size_t count() const { return count_; }

 private:
  std::string TakePart();

  TextFiles& files_;
  std::string bytes_;
  std::string_view rest_;    // the records still to be taken from bytes_
  std::string_view record_;  // what is still to be decoded of the record last taken
  const std::size_t count_;
};

/// One list file to convert, with the lines that tell its progress.
struct ListFile {
  std::string opening;  ///< logged first
  std::string from;     ///< the Katjusha list
  std::string bad;      ///< logged when it is missing, unreadable or empty; nothing is written then
  std::string to;       ///< the Live2ch list, replaced whole
  std::string done;     ///< logged last
};

/// Turns the records of a Katjusha list, taken one by one, into lines of the Live2ch list.
using ListConverter = std::function<void(ListRecords& records, OutputFile& list)>;

/// Converts a list file: logs the opening line, reads the list, logs its count line, lets
/// `convert` write the Live2ch list record by record (making the folder when needed) and logs
/// the last line.
void ConvertListFile(Context& cx, const ListFile& list, const ListConverter& convert);

}  // namespace mirelda
