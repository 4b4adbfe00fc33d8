// Whole-file text I/O in code page 932, file tests and folder creation, over a FileSystem.
#include "util/text_file.h"

#include "util/path.h"

namespace mirelda {

std::int64_t TextFiles::ReadFileBytes(const std::string& path, std::string& bytes) {
  std::string content;
  const std::int64_t count = fs_.ReadWhole(path, content);
  if (count > 0) bytes = std::move(content);
  return count;
}

std::string TextFiles::ReadTextFile(const std::string& path) {
  return ReadExistingTextFile(path).value_or(std::string());
}

std::optional<std::string> TextFiles::ReadExistingTextFile(const std::string& path) {
  std::string bytes;
  const std::int64_t count = ReadFileBytes(path, bytes);
  if (count < 0) return std::nullopt;
  if (count == 0) return std::string();
  return codec_.Decode(bytes);
}

bool TextFiles::WriteTextFile(const std::string& path, std::string_view text) {
  return WriteFileBytes(path, Encode(text));
}

bool TextFiles::WriteFileBytes(const std::string& path, std::string_view bytes) {
  return !fs_.ReplaceWhole(path, bytes);
}

bool TextFiles::FileExists(const std::string& path) {
  if (path.empty()) return false;
  if (path.back() == kSep) return fs_.CanOpenForReading(path.substr(0, path.size() - 1));
  return fs_.CanOpenForReading(path);
}

bool TextFiles::EnsureFolder(const std::string& folder) {
  if (known_folders_.count(folder) != 0) return true;
  if (!fs_.IsFolder(folder) && fs_.MakeFolder(folder)) return false;
  known_folders_.insert(folder);
  return true;
}

bool TextFiles::MakeFolderTree(const std::string& path) {
  if (path.empty() || known_folders_.count(path) != 0) return true;
  const bool network = path.size() >= 2 && path[0] == kSep && path[1] == kSep;
  std::string prefix;
  size_t component = 0;
  for (size_t start = 0; start <= path.size(); ++component) {
    const size_t end = std::min(path.find(kSep, start), path.size());
    const bool empty = end == start;
    prefix.append(path, start, end - start);
    prefix.push_back(kSep);
    start = end + 1;
    // An empty component adds a doubled separator, which names the folder before it.
    if ((network && component < 4) || empty) continue;
    if (!EnsureFolder(prefix)) return false;
  }
  known_folders_.insert(path);
  return true;
}

}  // namespace mirelda
