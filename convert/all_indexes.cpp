// All thread indexes: every *.idx of Katjusha's log tree goes to the same place in Live2ch's.
#include "convert/all_indexes.h"

#include <vector>

#include "convert/thread_index.h"

namespace mirelda {

void AllIdx(Context& cx, const std::string& search) {
  cx.AddText("すべてのidxを変換します");
  std::vector<std::string> paths;
  if (FindFiles(cx.files().fs(), cx, search, true, paths)) {
    const std::string katju = cx.KatjuFolder();
    const std::string live = cx.LiveFolder();
    for (const std::string& path : paths) {
      // Only the leading Katjusha folder is swapped, so the tree is mirrored exactly; a path
      // outside it (the folder box changed during the search) is never written over.
      const bool inside = path.compare(0, katju.size(), katju) == 0;
      if (!inside || !ConvertThreadIndex(cx, path, live + path.substr(katju.size()))) {
        cx.AddText(BadIndexLine(path));
      }
    }
  }
  cx.AddText("すべてのidxを変換完了");
}

}  // namespace mirelda
