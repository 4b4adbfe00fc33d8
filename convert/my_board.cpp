// The external board list: other.brd becomes the my-board list myboard.brd.
#include "convert/my_board.h"

#include "convert/record_list.h"

namespace mirelda {

void ConvertMyBoard(Context& cx) {
  const ListFile list{"other.brdをmyboard.brdに変換します", cx.katjusha_folder() + "other.brd",
                      "外部板ファイルが変です", cx.live2ch_folder() + "myboard.brd",
                      "other.brdをmyboard.brdに変換完了"};
  ConvertListFile(cx, list, [](ListRecords& records, OutputFile& output) {
    // One group holding every external board as a member line.
    output.WriteLine("マイボード\t0");
    for (std::string part; records.Next(part);) {
      output.Write("\t");
      do {
        output.Write(part);
      } while (records.NextPart(part));
      output.WriteLine("");
    }
  });
}

}  // namespace mirelda
