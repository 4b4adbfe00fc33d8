// Board buttons: favboard.idx becomes favboard.fbd.
#include "convert/board_buttons.h"

#include "convert/record_list.h"

namespace mirelda {
namespace {

constexpr std::string_view kMark = "▽";

}  // namespace

std::string WithoutMarks(std::string_view text, bool& marked) {
  std::string kept;
  for (size_t mark; (mark = text.find(kMark)) != std::string_view::npos;) {
    kept.append(text.substr(0, mark));
    text.remove_prefix(mark + kMark.size());
    marked = true;
  }
  kept.append(text);
  return kept;
}

void ConvertBoardButtons(Context& cx) {
  const ListFile list{"板ボタンを変換します", cx.katjusha_folder() + "favboard.idx",
                      "板ボタンファイルが変です", cx.live2ch_folder() + "favboard.fbd",
                      "板ボタン変換完了"};
  ConvertListFile(cx, list, [](ListRecords& records, OutputFile& output) {
    // A part never ends inside a character, so no mark is split between two parts.
    for (std::string part; records.Next(part);) {
      bool marked = false;
      do {
        output.Write(WithoutMarks(part, marked));
      } while (records.NextPart(part));
      output.WriteLine(marked ? "\t0" : "\t1");
    }
  });
}

}  // namespace mirelda
