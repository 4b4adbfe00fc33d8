// Files that a run holds open for its whole length: the lock that keeps one run at a time on a
// folder, and the journal appended to as the run goes; and files read in pieces of any size.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace mirelda {

/// A file held open until destroyed; the system lets go of it, and of any lock on it, when the
/// process ends however it ends. Paths are as spelt on disk (FileSystem::FoundPath).
class HeldFile {
 public:
  virtual ~HeldFile() = default;

  /// Adds bytes at the file's end in one write, so that a killed process leaves whole lines.
  virtual std::error_code Append(std::string_view bytes) = 0;

  /// Makes what was appended durable.
  virtual std::error_code Sync() = 0;
};

/// Takes the exclusive lock on the file `path`, making the file unless `create` is false. Null
/// with std::errc::resource_unavailable_try_again when another process holds it, or with the
/// reason it could not be opened (std::errc::no_such_file_or_directory for a missing file that
/// was not to be made).
std::unique_ptr<HeldFile> LockFile(const std::string& path, bool create, std::error_code& error);

/// Makes the new file `path` to append to; an existing file is never opened
/// (std::errc::file_exists).
std::unique_ptr<HeldFile> StartAppending(const std::string& path, std::error_code& error);

/// Hands the regular file `path` to `take` in pieces, from byte `from` on, until its end or until
/// `take` returns false. Files of any size are read; `size`, when given, is set to the file's
/// size as it was opened.
std::error_code ReadPieces(const std::string& path, std::uint64_t from,
                           const std::function<bool(std::string_view)>& take,
                           std::uint64_t* size = nullptr);

}  // namespace mirelda
