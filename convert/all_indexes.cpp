// All thread indexes: every *.idx of Katjusha's log tree goes to the same place in Live2ch's.
#include "convert/all_indexes.h"

#include <vector>

#include "convert/index_progress.h"
#include "convert/thread_index.h"
#include "util/path.h"

namespace mirelda {
namespace {

// Searches the log tree, then converts every index it found; the count's total is known only
// once the search has ended.
void ConvertFoundIndexes(Context& cx) {
  IndexCounter counter(cx, std::nullopt);
  const std::string& katjusha = cx.katjusha_folder();
  std::vector<std::string> paths;
  if (!FindFiles(cx.files().fs(), cx, katjusha + "log" + kSep + "*.idx", true, paths)) return;
  counter.SetTotal(paths.size());
  for (const std::string& path : paths) {
    // Every path found starts with the Katjusha folder; only that part is swapped, so the
    // tree is mirrored exactly even where the folder's text recurs further on.
    const std::string target = cx.live2ch_folder() + path.substr(katjusha.size());
    if (!ConvertThreadIndex(cx, path, target)) cx.AddLine(BadIndexLine(path));
    counter.CountOne();
  }
}

}  // namespace

void ConvertAllIndexes(Context& cx) {
  cx.AddLine("すべてのidxを変換します");
  ConvertFoundIndexes(cx);
  cx.AddLine("すべてのidxを変換完了");
}

}  // namespace mirelda
