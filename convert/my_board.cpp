// The external board list: other.brd becomes the my-board list myboard.brd.
#include "convert/my_board.h"

#include <vector>

#include "convert/record_list.h"

namespace mirelda {

void MybrdCnv(Context& cx) {
  cx.AddText("other.brdをmyboard.brdに変換します");
  const std::string text = cx.files().ReadTextFile(cx.KatjuFolder() + "other.brd");
  if (text.empty()) {
    cx.AddText("外部板ファイルが変です");
    return;
  }
  const auto records = SplitRecords(text);
  cx.AddText(CountLine(records.size()));
  std::vector<std::string> lines{"マイボード\t0"};
  lines.reserve(records.size() + 1);
  for (std::string_view record : records) lines.emplace_back("\t").append(record);
  cx.Write(cx.LiveFolder() + "myboard.brd", JoinRecords(lines));
  cx.AddText("other.brdをmyboard.brdに変換完了");
}

}  // namespace mirelda
