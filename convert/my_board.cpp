// The external board list: other.brd becomes the my-board list myboard.brd.
#include "convert/my_board.h"

#include <vector>

#include "convert/record_list.h"

namespace mirelda {

void ConvertMyBoard(Context& cx) {
  const ListFile list{"other.brdをmyboard.brdに変換します", cx.katjusha_folder() + "other.brd",
                      "外部板ファイルが変です", cx.live2ch_folder() + "myboard.brd",
                      "other.brdをmyboard.brdに変換完了"};
  ConvertListFile(cx, list, [](const std::vector<std::string_view>& records) {
    // One group holding every external board as a member line.
    std::vector<std::string> lines{"マイボード\t0"};
    lines.reserve(records.size() + 1);
    for (std::string_view record : records) lines.emplace_back("\t").append(record);
    return lines;
  });
}

}  // namespace mirelda
