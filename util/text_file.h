// Whole-file text I/O in code page 932, file tests and folder creation, over a FileSystem.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "util/cp932.h"
#include "util/file_system.h"
#include "util/folder_maker.h"

namespace mirelda {

/// The engine's access to data files: every file is read whole and written whole through here.
/// One instance serves one run; it remembers the folders it has seen or made. Files may be read
/// and written and folders made from several threads at once; the codec serves one thread.
class TextFiles {
 public:
  TextFiles(FileSystem& fs, Cp932Codec& codec) : fs_(fs), codec_(codec), folders_(fs) {}

  /// Reads a whole file into `bytes`, which is empty after a failure.
  std::error_code ReadFileBytes(const std::string& path, std::string& bytes) {
    return fs_.ReadWhole(path, bytes);
  }

  /// Reads each file's bytes as ReadFileBytes does, and tells each how it went.
  void ReadEachFileBytes(std::span<WholeRead> files) { fs_.ReadEachWhole(files); }

  /// Replaces the file with exactly these bytes; a failure leaves the old file whole. The folder
  /// must exist.
  std::error_code WriteFileBytes(const std::string& path, std::string_view bytes) {
    return fs_.ReplaceWhole(path, bytes);
  }

  /// Replaces each file with exactly its bytes, as WriteFileBytes does, and tells each how it
  /// went.
  void WriteEachFileBytes(std::span<WholeReplacement> files) { fs_.ReplaceEachWhole(files); }

  /// A text encoded as the files hold it, in CP932.
  std::string Encode(std::string_view text) { return codec_.Encode(text); }

  /// The text of the characters that start in the first `size` bytes, as the files hold them, in
  /// CP932, taken off `bytes`: so a giant file is decoded a part at a time.
  std::string DecodeFront(std::string_view& bytes, std::size_t size) {
    return codec_.DecodeFront(bytes, size);
  }

  /// True when the file can be opened for reading. One final separator is ignored:
  /// "/k/Katjusha.exe/" tests "/k/Katjusha.exe". "" => false.
  bool FileExists(const std::string& path);

  /// Creates every missing folder along `path`, as FolderMaker::MakeTree does.
  std::error_code MakeFolderTree(const std::string& path) { return folders_.MakeTree(path); }

  /// The file system underneath, for listings.
  FileSystem& fs() { return fs_; }

 private:
  FileSystem& fs_;
  Cp932Codec& codec_;
  FolderMaker folders_;
};

}  // namespace mirelda
