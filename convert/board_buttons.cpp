// Board buttons: favboard.idx becomes favboard.fbd.
#include "convert/board_buttons.h"

#include "convert/record_list.h"

namespace mirelda {
namespace {

constexpr std::string_view kMark = "▽";

}  // namespace

std::string BoardButtonLine(std::string_view record) {
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

void ConvertBoardButtons(Context& cx) {
  const ListFile list{"板ボタンを変換します", cx.katjusha_folder() + "favboard.idx",
                      "板ボタンファイルが変です", cx.live2ch_folder() + "favboard.fbd",
                      "板ボタン変換完了"};
  ConvertListFile(cx, list, [](ListRecords& records, OutputFile& output) {
    for (std::string record; records.Next(record);) output.WriteLine(BoardButtonLine(record));
  });
}

}  // namespace mirelda
