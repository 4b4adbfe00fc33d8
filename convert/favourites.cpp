// Favourites: favorite.idx becomes favorite.ftd, with the thread index of every favourite.
#include "convert/favourites.h"

#include <vector>

#include "convert/index_conversions.h"
#include "convert/index_progress.h"
#include "convert/thread_index.h"
#include "util/path.h"

namespace mirelda {
namespace {

std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t end = text.find_first_of(separators);
    parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + 1);
  }
}

bool FormsThreadUrl(const std::vector<std::string_view>& parts) {
  return parts.size() >= 3 && parts[2].find('.') != std::string_view::npos;
}

bool StaysInsideLogFolder(std::string_view path) {
  if (path.front() == '\\' || path.front() == '/') return false;
  if (path.find(':') != std::string_view::npos) return false;
  for (std::string_view part : SplitAt(path, "\\/")) {
    if (part == "." || part == "..") return false;
  }
  return true;
}

// Writes an entry's line of the Live2ch list: its thread URL, or an empty line once the log
// says that it did not convert.
void WriteEntryLine(Context& cx, OutputFile& list, const std::string& entry, bool converted) {
  if (converted) {
    list.WriteLine(ThreadUrl(entry));
    return;
  }
  cx.ReportOddIndex(entry);
  list.WriteLine("");
}

}  // namespace

bool IsUsableFavouritePath(std::string_view path) {
  return !path.empty() && FormsThreadUrl(SplitAt(path, "\\")) && StaysInsideLogFolder(path);
}

std::string ThreadUrl(std::string_view path) {
  const auto parts = SplitAt(path, "\\");
  if (!FormsThreadUrl(parts)) return {};
  std::string host(parts[0]);
  for (char& c : host) {
    if (c == '_') c = '/';
  }
  const std::string_view key = parts[2].substr(0, parts[2].find('.'));
  std::string url = "http://" + host + "/test/read.cgi/";
  url.append(parts[1]).append("/").append(key).append("/");
  return url;
}

void ConvertThreadEntries(Context& cx, ListRecords& entries, OutputFile& list) {
  std::string katju_log = cx.katjusha_folder() + "log";
  std::string live_log = cx.live2ch_folder() + "log";
  katju_log.push_back(kSep);
  live_log.push_back(kSep);
  IndexConversions conversions(cx);
  IndexCounter counter(cx, entries.count());
  // Each entry's line and count, in its turn, whether its index was converted or not.
  const auto finish = [&](const std::string& entry, bool converted) {
    WriteEntryLine(cx, list, entry, converted);
    counter.CountOne();
  };
  for (std::string entry; entries.Next(entry);) {
    // An entry of more than one part holds at least 32768 characters, more than any path on
    // Windows: the log shows its first part, and the rest is never decoded.
    const bool cut = entries.HasMore();
    if (cut) entry += "…";
    if (cut || !IsUsableFavouritePath(entry)) {
      conversions.Then([&, entry = std::move(entry)] { finish(entry, false); });
      continue;
    }
    std::string from = JoinStoredPath(katju_log, entry);
    std::string to = JoinStoredPath(live_log, entry);
    conversions.Add(std::move(from), std::move(to),
                    [&, entry = std::move(entry)](bool converted) { finish(entry, converted); });
  }
  conversions.Finish();
}

void ConvertFavourites(Context& cx) {
  const ListFile list{"お気に入りを変換します", cx.katjusha_folder() + "favorite.idx",
                      "お気に入りファイルが変です", cx.live2ch_folder() + "favorite.ftd",
                      "お気に入り変換完了"};
  ConvertListFile(cx, list, [&](ListRecords& entries, OutputFile& output) {
    ConvertThreadEntries(cx, entries, output);
  });
}

}  // namespace mirelda
