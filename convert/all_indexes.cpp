// All thread indexes: every *.idx of Katjusha's log tree goes to the same place in Live2ch's.
#include "convert/all_indexes.h"

#include "convert/index_conversions.h"
#include "convert/index_progress.h"
#include "convert/thread_index.h"
#include "util/path.h"

namespace mirelda {
namespace {

// The search's reports, each folder that cannot be listed in its place among the conversions of
// the indexes found before and after it.
class SearchInOrder final : public SearchListener {
 public:
  SearchInOrder(Context& cx, IndexConversions& conversions) : cx_(cx), conversions_(conversions) {}

  void BeforeListing() override { cx_.BeforeListing(); }
  void CannotList(const std::string& folder, std::error_code reason) override {
    conversions_.Then([this, folder, reason] { cx_.CannotList(folder, reason); });
  }

 private:
  Context& cx_;
  IndexConversions& conversions_;
};

// Converts every index while the search finds them; the count's total is known only once the
// search has ended, and the count ends before the closing line.
void ConvertFoundIndexes(Context& cx) {
  const std::string& katjusha = cx.katjusha_folder();
  IndexConversions conversions(cx);
  SearchInOrder search(cx, conversions);
  IndexCounter counter(cx, std::nullopt);
  std::size_t found = 0;
  const auto convert = [&](const std::string& path) {
    ++found;
    // Every path found starts with the Katjusha folder; only that part is swapped, so the
    // tree is mirrored exactly even where the folder's text recurs further on.
    conversions.Add(path, cx.live2ch_folder() + path.substr(katjusha.size()),
                    [&cx, &counter, path](bool converted) {
                      if (!converted) cx.ReportOddIndex(path);
                      counter.CountOne();
                    });
  };
  try {
    FindFiles(cx.files().fs(), search, katjusha + "log" + kSep + "*.idx", true, convert);
  } catch (const RunStopped&) {
    // What was found before the stop is converted and reported, as one index at a time would be.
    conversions.Finish();
    throw;
  }
  counter.SetTotal(found);
  conversions.Finish();
}

}  // namespace

void ConvertAllIndexes(Context& cx) {
  cx.AddLine("すべてのidxを変換します");
  ConvertFoundIndexes(cx);
  cx.AddLine("すべてのidxを変換完了");
}

}  // namespace mirelda
