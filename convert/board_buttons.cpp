// Board buttons: favboard.idx becomes favboard.fbd.
#include "convert/board_buttons.h"

#include <vector>

#include "convert/record_list.h"

namespace mirelda {
namespace {

constexpr std::string_view kMark = "▽";

}  // namespace

std::string KatjuBrd2LiveBrd(std::string_view record) {
  std::string line;
  bool marked = false;
  for (size_t mark; (mark = record.find(kMark)) != std::string_view::npos;) {
    line.append(record.substr(0, mark));
    record.remove_prefix(mark + kMark.size());
    marked = true;
  }
  line.append(record);
  line += marked ? "\t0" : "\t1";
  return line;
}

void BrdCnv(Context& cx) {
  cx.AddText("板ボタンを変換します");
  const std::string text = cx.files().ReadTextFile(cx.KatjuFolder() + "favboard.idx");
  if (text.empty()) {
    cx.AddText("板ボタンファイルが変です");
    return;
  }
  const auto records = SplitRecords(text);
  cx.AddText(CountLine(records.size()));
  std::vector<std::string> lines;
  lines.reserve(records.size());
  for (std::string_view record : records) lines.push_back(KatjuBrd2LiveBrd(record));
  cx.Write(cx.LiveFolder() + "favboard.fbd", JoinRecords(lines));
  cx.AddText("板ボタン変換完了");
}

}  // namespace mirelda
