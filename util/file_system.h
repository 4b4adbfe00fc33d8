// The file system as the engine sees it: the one seam between the engine and the platform.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace mirelda {

/// The largest file that is read: no real list or thread index comes near it, so a larger one is
/// taken for a damaged file rather than held in memory.
inline constexpr std::int64_t kMaxDataFileSize = std::int64_t{256} << 20;

/// The immediate entries of one folder, in no particular order.
struct FolderEntries {
  std::vector<std::string> files;    ///< files, hidden and system ones included
  std::vector<std::string> folders;  ///< subfolders, links and junctions to folders excluded
};

/// One file for FileSystem::ReadEachWhole to read, and what it held.
struct WholeRead {
  std::string path;
  std::int64_t most = kMaxDataFileSize;  ///< the most it may hold, as for ReadWholeUpTo
  std::string bytes;                     ///< set by ReadEachWhole; empty after a failure
  std::error_code error;                 ///< set by ReadEachWhole
};

/// One file for FileSystem::ReplaceEachWhole to replace, and how that went.
struct WholeReplacement {
  std::string path;
  std::string_view bytes;
  std::error_code error;  ///< set by ReplaceEachWhole
};

/// A file that is being written in pieces. Its content takes the place of the old file, whole,
/// only when it is committed; dropped without a commit, it leaves the old file as it was and
/// nothing behind.
class FileWriter {
 public:
  virtual ~FileWriter() = default;

  /// Adds bytes at the end of the new content; a failure is kept for Commit.
  void Append(std::string_view bytes);

  /// Puts the new content in place of the old file, once; the first failure since the writer was
  /// started, and then nothing is put in place.
  std::error_code Commit();

 protected:
  /// Writes bytes at the end of the file being made.
  virtual std::error_code Write(std::string_view bytes) = 0;
  /// Puts the file that was made in place of the old one.
  virtual std::error_code Finish() = 0;

 private:
  void Flush();

  std::string gathered_;  // small pieces, written together
  std::error_code error_;
};

/// What the engine needs of a file system. Paths are UTF-8 texts with the platform separator.
/// On POSIX every existing path component is found without regard to ASCII case when the exact
/// name is missing, as Windows does natively. Failures are returned as values, never thrown.
/// Every function may be called from several threads at once.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// Reads the whole of an existing regular file, or of a link to one, into `bytes`, opened
  /// read-only, unshared and never created; anything else (a FIFO, a device) is never opened.
  /// std::errc::file_too_large for a file larger than kMaxDataFileSize, which is not read.
  std::error_code ReadWhole(const std::string& path, std::string& bytes) {
    return ReadWholeUpTo(path, kMaxDataFileSize, bytes);
  }

  /// Reads the whole file as ReadWhole does when it holds at most `most` bytes; a larger one
  /// gives std::errc::file_too_large, having been read no further than needed to tell. So a file
  /// is compared with bytes in hand by reading one byte more than they hold.
  virtual std::error_code ReadWholeUpTo(const std::string& path, std::int64_t most,
                                        std::string& bytes) = 0;

  /// Reads each file as ReadWholeUpTo does, telling each its own outcome; a file system may read
  /// them together where that costs it fewer calls.
  virtual void ReadEachWhole(std::span<WholeRead> files);

  /// True when `path` names a regular file, or a link to one, that can be opened for reading.
  virtual bool CanOpenForReading(const std::string& path) = 0;

  /// True when `path` names an existing folder.
  virtual bool IsFolder(const std::string& path) = 0;

  /// Creates one folder under the name as given; its parent must exist.
  virtual std::error_code MakeFolder(const std::string& path) = 0;

  /// Lists a folder. std::errc::no_such_file_or_directory when it does not exist.
  virtual std::error_code ListFolder(const std::string& path, FolderEntries& entries) = 0;

  /// Starts replacing the file's whole content: what the writer is given takes the old content's
  /// place in one step when committed, and a failure at any point leaves the old file whole. A
  /// replaced file's new content is on disk before it takes the old one's place. A file that is
  /// read-only or not the user's to write is not replaced, and a new file is not written over one
  /// that appeared meanwhile. The first write into a folder removes the temporaries that writers
  /// no longer running left there. The folder must exist. Null, with the reason in `error`, when
  /// the file cannot be replaced at all.
  virtual std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                                     std::error_code& error) = 0;

  /// Replaces the file's whole content with `bytes` in one step, as StartReplacing does.
  virtual std::error_code ReplaceWhole(const std::string& path, std::string_view bytes);

  /// Replaces each file as ReplaceWhole does, in the order given, telling each its own outcome;
  /// a file system may take them together where that costs it fewer calls.
  virtual void ReplaceEachWhole(std::span<WholeReplacement> files);

  /// Starts a run: forgets what was learnt of the folders before, since they may have changed
  /// meanwhile, and from now on refuses, with std::errc::permission_denied, every write, removal
  /// and folder creation that would land in `protected_folder` or below it, however the path
  /// reaches there.
  virtual void BeginRun(const std::string& protected_folder) = 0;

  /// Ends a run: what was learnt of the folders during it is no longer taken for what they hold,
  /// since other programs may change them before the next, and nothing stays open for it.
  virtual void EndRun() {}

  /// Makes everything written so far durable, so that a power cut cannot take it back.
  virtual std::error_code SyncWritten() = 0;

  /// True when both paths name the same existing folder.
  virtual bool IsSameFolder(const std::string& a, const std::string& b) = 0;

  /// What replacing the file `path` would fail with, found without writing anything: a folder
  /// under its name, a file that is not the user's to write, a folder that cannot be written
  /// into or lies in the protected one. Folders missing on the way count as made, so the
  /// nearest one that exists is the one looked at; a file where a folder is needed fails.
  virtual std::error_code CheckReplaceable(const std::string& path) = 0;

  /// The path with every existing component spelt as the file system holds it: on POSIX the
  /// names found without regard to case, on Windows their stored case. What does not exist is
  /// kept as given.
  virtual std::string FoundPath(const std::string& path) = 0;

  /// Gives the existing file `from` a second name `to`, in a folder that exists, so that its
  /// bytes survive whatever later takes `from`'s place. Where the file system cannot link, `to`
  /// becomes a copy, on disk before this returns. An existing `to` is never overwritten
  /// (std::errc::file_exists). A link shares its bytes with `from` until `from` is replaced, so
  /// nothing may write into either in place meanwhile.
  virtual std::error_code KeepCopy(const std::string& from, const std::string& to) = 0;

  /// Removes one file; a folder is never removed by it (std::errc::is_a_directory).
  virtual std::error_code RemoveFile(const std::string& path) = 0;

  /// Removes one empty folder; std::errc::directory_not_empty when something is in it,
  /// std::errc::not_a_directory when it is a file.
  virtual std::error_code RemoveFolder(const std::string& path) = 0;

 protected:
  /// Gives `writer` all of `bytes` and commits it; `start_error` when there is no writer.
  static std::error_code CommitWhole(const std::unique_ptr<FileWriter>& writer,
                                     std::string_view bytes, std::error_code start_error);
};

/// A run on a file system for as long as it lives: begun when it is made, ended when it goes, on
/// every way out of the code that holds it.
class RunOnFileSystem {
 public:
  RunOnFileSystem(FileSystem& fs, const std::string& protected_folder) : fs_(fs) {
    fs_.BeginRun(protected_folder);
  }
  ~RunOnFileSystem() { fs_.EndRun(); }
  RunOnFileSystem(const RunOnFileSystem&) = delete;
  RunOnFileSystem& operator=(const RunOnFileSystem&) = delete;

 private:
  FileSystem& fs_;
};

/// The file system of the platform the program runs on.
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace mirelda
