// Thread warehouses: every other *.idx list of the Katjusha folder becomes ftd/<name>.ftd.
#include "convert/warehouses.h"

#include <vector>

#include "convert/favourites.h"
#include "util/path.h"

namespace mirelda {

void FtdCnv(Context& cx, const std::string& spec) {
  cx.AddText("スレッド倉庫を変換します");
  std::vector<std::string> paths;
  if (!FindFiles(cx.files().fs(), cx, spec, false, paths)) return;
  for (const std::string& path : paths) {
    const std::string file = GetFileNamePart(path);
    const std::string lower = ToLowerAscii(file);
    if (lower == "favorite.idx" || lower == "favboard.idx") continue;
    FtdConv(cx, file.substr(0, file.rfind('.')), path);
  }
}

void FtdConv(Context& cx, const std::string& name, const std::string& list_path) {
  const std::string title = "スレッド倉庫「" + name + "」";
  cx.AddText(title + "を変換します");
  const std::string text = cx.files().ReadTextFile(list_path);
  if (text.empty()) {
    cx.AddText(title + "は、ファイルが変です");
    return;
  }
  const std::string list = ConvertThreadList(cx, text);
  cx.WriteMakingFolder(cx.LiveFolder() + "ftd" + kSep + name + ".ftd", list);
  cx.AddText(title + "変換完了");
}

}  // namespace mirelda
