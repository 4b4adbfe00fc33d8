// Lists of one record per line, as the list files of both browsers hold them.
#include "convert/record_list.h"

#include <algorithm>

namespace mirelda {

bool TakeLine(std::string_view& text, std::string_view& line) {
  if (text.empty()) return false;
  const size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
  line = text.substr(0, end);
  text.remove_prefix(end);
  return true;
}

bool TakeRecord(std::string_view& text, std::string_view& record) {
  if (!TakeLine(text, record)) return false;
  if (record.back() == '\n') {
    record.remove_suffix(1);
    if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
  }
  return true;
}

std::size_t CountRecords(std::string_view text) {
  std::size_t records = 0;
  for (std::string_view line; TakeLine(text, line);) ++records;
  return records;
}

std::string CountLine(std::size_t records) { return std::to_string(records) + "件ありました"; }

bool ListRecords::Next(std::string& record) {
  if (!TakeRecord(rest_, record_)) return false;
  record = TakePart();
  return true;
}

bool ListRecords::NextPart(std::string& part) {
  if (record_.empty()) return false;
  part = TakePart();
  return true;
}

std::string ListRecords::TakePart() {
  std::string text = files_.DecodeFront(record_, kRecordPart);
  // Whatever the converter goes on to do, it does without the bytes.
  if (rest_.empty() && record_.empty()) std::string().swap(bytes_);
  return text;
}

void ConvertListFile(Context& cx, const ListFile& list, const ListConverter& convert) {
  cx.AddLine(list.opening);
  std::string bytes;
  const std::error_code error = cx.files().ReadFileBytes(list.from, bytes);
  if (error || bytes.empty()) {
    cx.AddLine(list.bad);
    if (error) cx.ReportReadFailure(list.from, error);
    return;
  }
  ListRecords records(cx.files(), std::move(bytes));
  cx.AddLine(CountLine(records.count()));
  OutputFile output(cx, list.to);
  convert(records, output);
  output.Finish();
  cx.AddLine(list.done);
}

}  // namespace mirelda
