// Thread warehouses: every other *.idx list of the Katjusha folder becomes ftd/<name>.ftd.
#include "convert/warehouses.h"

#include "convert/favourites.h"
#include "convert/record_list.h"
#include "util/path.h"

namespace mirelda {
namespace {

// Converts the warehouse `name` whose list is the file at `list_path`.
void ConvertWarehouse(Context& cx, const std::string& name, const std::string& list_path) {
  const std::string title = "スレッド倉庫「" + name + "」";
  const ListFile list{title + "を変換します", list_path, title + "は、ファイルが変です",
                      cx.live2ch_folder() + "ftd" + kSep + name + ".ftd", title + "変換完了"};
  ConvertListFile(cx, list, [&](ListRecords& entries, OutputFile& output) {
    ConvertThreadEntries(cx, entries, output);
  });
}

}  // namespace

void ConvertWarehouses(Context& cx) {
  cx.AddLine("スレッド倉庫を変換します");
  FindFiles(cx.files().fs(), cx, cx.katjusha_folder() + "*.idx", false,
            [&](const std::string& path) {
              const std::string file = GetFileNamePart(path);
              const std::string lower = ToLowerAscii(file);
              if (lower != "favorite.idx" && lower != "favboard.idx") {
                ConvertWarehouse(cx, file.substr(0, file.rfind('.')), path);
              }
            });
}

}  // namespace mirelda
