// The file system as the engine sees it: the one seam between the engine and the platform.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace mirelda {

/// The immediate entries of one folder, in no particular order.
struct FolderEntries {
  std::vector<std::string> files;    ///< files, hidden and system ones included
  std::vector<std::string> folders;  ///< subfolders, links and junctions to folders excluded
};

/// What the engine needs of a file system. Paths are UTF-8 texts with the platform separator.
/// On POSIX every existing path component is found without regard to ASCII case when the exact
/// name is missing, as Windows does natively. Failures are returned as values, never thrown.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// Reads the whole of an existing regular file, or of a link to one, into `bytes`, opened
  /// read-only, unshared and never created; anything else (a FIFO, a device) is never opened.
  /// std::errc::file_too_large for a file of 2 GiB or more.
  virtual std::error_code ReadWhole(const std::string& path, std::string& bytes) = 0;

  /// True when `path` names a regular file, or a link to one, that can be opened for reading.
  virtual bool CanOpenForReading(const std::string& path) = 0;

  /// True when `path` names an existing folder.
  virtual bool IsFolder(const std::string& path) = 0;

  /// Creates one folder under the name as given; its parent must exist.
  virtual std::error_code MakeFolder(const std::string& path) = 0;

  /// Lists a folder. std::errc::no_such_file_or_directory when it does not exist.
  virtual std::error_code ListFolder(const std::string& path, FolderEntries& entries) = 0;

  /// Replaces the file's whole content in one step: a failure at any point leaves the old file
  /// whole, and a replaced file's new content is on disk before it takes the old one's place. A
  /// file that is read-only or not the user's to write is not replaced, and a new file is not
  /// written over one that appeared meanwhile. The first write into a folder removes the
  /// temporaries that writers no longer running left there. The folder must exist.
  virtual std::error_code ReplaceWhole(const std::string& path, std::string_view bytes) = 0;

  /// From now on refuses, with std::errc::permission_denied, every write and folder creation that
  /// would land in `folder` or below it, however the path reaches there; replaces the folder
  /// protected before.
  virtual void ProtectFolder(const std::string& folder) = 0;

  /// Makes everything written so far durable, so that a power cut cannot take it back.
  virtual std::error_code SyncWritten() = 0;

  /// True when both paths name the same existing folder.
  virtual bool IsSameFolder(const std::string& a, const std::string& b) = 0;
};

/// The file system of the platform the program runs on.
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace mirelda
