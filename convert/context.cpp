// What every converter works with: the front end, the data files, and the run's failure count.
#include "convert/context.h"

#include "util/path.h"

namespace mirelda {

bool Context::Write(const std::string& path, std::string_view text) {
  return files_.WriteTextFile(path, text) || ReportUnwritten(path);
}

bool Context::WriteMakingFolder(const std::string& path, std::string_view text) {
  if (!files_.MakeFolderTree(GetFolderPart(path))) return ReportUnwritten(path);
  return Write(path, text);
}

bool Context::ReportUnwritten(const std::string& path) {
  AddText(path + "に書き込めませんでした");
  CountFailure();
  return false;
}

void Context::CannotList(const std::string& folder) {
  AddText(folder + "を読み込めませんでした");
  CountFailure();
}

}  // namespace mirelda
