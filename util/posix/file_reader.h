// Reading data files: only regular files, or links to them, in as few calls as the folder's
// listing allows.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "util/file_system.h"
#include "util/posix/name_resolver.h"
#include "util/posix/ring_reader.h"

namespace mirelda::posix {

/// Opens and reads files found through the resolver.
class FileReaders {
 public:
  explicit FileReaders(NameResolver& names) : names_(names) {}

  /// Opens a regular file, or what a link leads to if that is one, read-only and without
  /// blocking; -1 with errno on failure. Where the folder's listing says a regular file, the
  /// listing is the only look before the open, and `looked` stays empty unless `verify` asks for
  /// a look after it; otherwise the file is looked at before and after the open, and `looked` is
  /// what was seen. A FIFO or a device that a look finds is never opened.
  int Open(const std::string& path, bool verify, std::optional<struct stat>& looked);

  /// Reads the whole file `path` into `bytes` when it holds at most `most` bytes;
  /// std::errc::file_too_large otherwise. A file smaller than the first piece (64 KiB, or `most`
  /// + 1) takes one read, and is looked at only when that read gives nothing.
  std::error_code ReadUpTo(const std::string& path, std::int64_t most, std::string& bytes);

  /// Reads each file as ReadUpTo does. Those that the listings say are small regular files are
  /// read together, a few dozen in one call.
  void ReadEach(std::span<WholeRead> files);

  /// Lets go of what was kept open for reading together.
  void Release() { ring_.Release(); }

 private:
  NameResolver& names_;
  RingReader ring_;
};

}  // namespace mirelda::posix
