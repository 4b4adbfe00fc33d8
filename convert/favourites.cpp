// Favourites: favorite.idx becomes favorite.ftd, with the thread index of every favourite.
#include "convert/favourites.h"

#include <vector>

#include "convert/index_progress.h"
#include "convert/record_list.h"
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

std::vector<std::string> ConvertThreadEntries(Context& cx,
                                              const std::vector<std::string_view>& entries) {
  std::string katju_log = cx.katjusha_folder() + "log";
  std::string live_log = cx.live2ch_folder() + "log";
  katju_log.push_back(kSep);
  live_log.push_back(kSep);
  std::vector<std::string> urls(entries.size());
  IndexCounter counter(cx, entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string_view entry = entries[i];
    if (IsUsableFavouritePath(entry) &&
        ConvertThreadIndex(cx, JoinStoredPath(katju_log, entry), JoinStoredPath(live_log, entry))) {
      urls[i] = ThreadUrl(entry);
    } else {
      cx.AddLine(BadIndexLine(entry));
    }
    counter.CountOne();
  }
  return urls;
}

void ConvertFavourites(Context& cx) {
  const ListFile list{"お気に入りを変換します", cx.katjusha_folder() + "favorite.idx",
                      "お気に入りファイルが変です", cx.live2ch_folder() + "favorite.ftd",
                      "お気に入り変換完了"};
  ConvertListFile(cx, list, [&](const auto& entries) { return ConvertThreadEntries(cx, entries); });
}

}  // namespace mirelda
