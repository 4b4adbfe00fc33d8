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

// A search that only counts: it stops when the run is stopped, and leaves the folders that cannot
// be listed to the search that converts.
class CountingSearch final : public SearchListener {
 public:
  explicit CountingSearch(Context& cx) : cx_(cx) {}
  void BeforeListing() override { cx_.BeforeListing(); }
  void CannotList(const std::string&, std::error_code) override {}

 private:
  Context& cx_;
};

// How many indexes the log tree holds: listing it is cheap next to converting it, and the total
// lets the progress tell a percentage and the time left.
std::size_t CountIndexes(Context& cx, const std::string& pattern) {
  CountingSearch search(cx);
  std::size_t count = 0;
  FindFiles(cx.files().fs(), search, pattern, true, [&count](const std::string&) { ++count; });
  return count;
}

// Converts every index while the search finds them, against the total counted first; indexes
// that come meanwhile raise it. The count ends before the closing line.
void ConvertFoundIndexes(Context& cx) {
  const std::string& katjusha = cx.katjusha_folder();
  const std::string pattern = katjusha + "log" + kSep + "*.idx";
  IndexCounter counter(cx, std::nullopt);
  const std::size_t counted = CountIndexes(cx, pattern);
  counter.SetTotal(counted);
  IndexConversions conversions(cx);
  SearchInOrder search(cx, conversions);
  std::size_t found = 0;
  const auto convert = [&](const std::string& path) {
    if (++found > counted) counter.SetTotal(found);
    // Every path found starts with the Katjusha folder; only that part is swapped, so the
    // tree is mirrored exactly even where the folder's text recurs further on.
    conversions.Add(path, cx.live2ch_folder() + path.substr(katjusha.size()),
                    [&cx, &counter, path](bool converted) {
                      if (!converted) cx.ReportOddIndex(path);
                      counter.CountOne();
                    });
  };
  try {
    FindFiles(cx.files().fs(), search, pattern, true, convert);
  } catch (const RunStopped&) {
    // What was found before the stop is converted and reported, as one index at a time would be.
    conversions.Finish();
    throw;
  }
  if (found != counted) counter.SetTotal(found);
  conversions.Finish();
}

}  // namespace

void ConvertAllIndexes(Context& cx) {
  cx.AddLine("すべてのidxを変換します");
  ConvertFoundIndexes(cx);
  cx.AddLine("すべてのidxを変換完了");
}

}  // namespace mirelda
