// Lists of one record per line, as the list files of both browsers hold them.
#include "convert/record_list.h"

namespace mirelda {

std::vector<std::string_view> SplitRecords(std::string_view text) {
  std::vector<std::string_view> records;
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    if (lf == std::string_view::npos) {
      records.push_back(text);
      break;
    }
    const size_t end = (lf > 0 && text[lf - 1] == '\r') ? lf - 1 : lf;
    records.push_back(text.substr(0, end));
    text.remove_prefix(lf + 1);
  }
  return records;
}

std::string JoinRecords(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string CountLine(std::size_t records) { return std::to_string(records) + "件ありました"; }

void ConvertListFile(Context& cx, const ListFile& list, const RecordMapper& map) {
  cx.AddLine(list.opening);
  std::string text;
  if (cx.files().ReadTextFile(list.from, text) || text.empty()) {
    cx.AddLine(list.bad);
    return;
  }
  const auto records = SplitRecords(text);
  cx.AddLine(CountLine(records.size()));
  cx.WriteText(list.to, JoinRecords(map(records)));
  cx.AddLine(list.done);
}

}  // namespace mirelda
