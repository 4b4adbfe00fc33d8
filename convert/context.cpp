// What every converter works with: the front end, the data files, and the run's failure count.
#include "convert/context.h"

#include "util/path.h"

namespace mirelda {

bool Context::WriteText(const std::string& path, std::string_view text) {
  return WriteBytes(path, files_.Encode(text));
}

bool Context::WriteBytes(const std::string& path, std::string_view bytes) {
  if (files_.MakeFolderTree(GetFolderPart(path)) && files_.WriteFileBytes(path, bytes)) {
    return true;
  }
  AddText(path + "に書き込めませんでした");
  CountFailure();
  return false;
}

void Context::CannotList(const std::string& folder) {
  AddText(folder + "を読み込めませんでした");
  CountFailure();
}

}  // namespace mirelda
