// Whole-file text I/O in code page 932 and file tests, over a FileSystem.
#include "util/text_file.h"

#include "util/path.h"

namespace mirelda {

bool TextFiles::FileExists(const std::string& path) {
  if (path.empty()) return false;
  if (path.back() == kSep) return fs_.CanOpenForReading(path.substr(0, path.size() - 1));
  return fs_.CanOpenForReading(path);
}

}  // namespace mirelda
