// Whole-file text I/O in code page 932, file tests and folder creation, over a FileSystem.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

#include "util/cp932.h"
#include "util/file_system.h"

namespace mirelda {

/// The engine's access to data files: every file is read whole and written whole through here.
/// One instance serves one run; it remembers the folders it has seen or made.
class TextFiles {
 public:
  TextFiles(FileSystem& fs, Cp932Codec& codec) : fs_(fs), codec_(codec) {}

  /// Reads a whole file into `bytes`: -1 when it cannot be opened, 0 when it is empty (`bytes`
  /// untouched), otherwise the number of bytes read.
  std::int64_t ReadFileBytes(const std::string& path, std::string& bytes);

  /// The whole file decoded from CP932; empty when it is missing, cannot be opened or is empty.
  std::string ReadTextFile(const std::string& path);

  /// Like ReadTextFile, but nothing at all when the file cannot be opened.
  std::optional<std::string> ReadExistingTextFile(const std::string& path);

  /// Replaces the file with the text encoded in CP932, nothing added. False on any failure, the
  /// old file then being left whole. The folder must exist.
  bool WriteTextFile(const std::string& path, std::string_view text);

  /// Replaces the file with exactly these bytes, as WriteTextFile does with its encoded text.
  bool WriteFileBytes(const std::string& path, std::string_view bytes);

  /// A text encoded as the files hold it, in CP932.
  std::string Encode(std::string_view text) { return codec_.Encode(text); }

  /// True when the file can be opened for reading. One final separator is ignored:
  /// "/k/Katjusha.exe/" tests "/k/Katjusha.exe". "" => false.
  bool FileExists(const std::string& path);

  /// Creates every missing folder along `path`, parent first; the first four components of a
  /// network path (two empty ones, server, share) are never tested or created. False when a
  /// folder could not be made.
  bool MakeFolderTree(const std::string& path);

  /// The file system underneath, for listings.
  FileSystem& fs() { return fs_; }

 private:
  // Makes the folder unless this run has seen it or it exists; false when it cannot be made.
  bool EnsureFolder(const std::string& folder);

  FileSystem& fs_;
  Cp932Codec& codec_;
  std::unordered_set<std::string> known_folders_;
};

}  // namespace mirelda
