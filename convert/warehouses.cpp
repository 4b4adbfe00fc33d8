// Thread warehouses: every other *.idx list of the Katjusha folder becomes ftd/<name>.ftd.
#include "convert/warehouses.h"

#include <vector>

#include "convert/favourites.h"
#include "convert/record_list.h"
#include "util/path.h"

namespace mirelda {

void FtdCnv(Context& cx, const std::string& search) {
  cx.AddText("スレッド倉庫を変換します");
  std::vector<std::string> paths;
  if (!FindFiles(cx.files().fs(), cx, search, false, paths)) return;
  for (const std::string& path : paths) {
    const std::string file = GetFileNamePart(path);
    const std::string lower = ToLowerAscii(file);
    if (lower == "favorite.idx" || lower == "favboard.idx") continue;
    FtdConv(cx, file.substr(0, file.rfind('.')), path);
  }
}

void FtdConv(Context& cx, const std::string& name, const std::string& list_path) {
  const std::string title = "スレッド倉庫「" + name + "」";
  const ListFile list{title + "を変換します", list_path, title + "は、ファイルが変です",
                      cx.LiveFolder() + "ftd" + kSep + name + ".ftd", title + "変換完了"};
  ConvertListFile(cx, list, [&](const auto& entries) { return ConvertThreadEntries(cx, entries); });
}

}  // namespace mirelda
