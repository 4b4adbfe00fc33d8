// Reading many small files in a few calls: the open, read and close of each handed to the kernel
// together, linked, through Linux's io_uring.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace mirelda::posix {

/// A file for RingReader to read: a name in an open folder.
struct RingRead {
  int folder = -1;        ///< the folder's handle
  const char* name = "";  ///< the file's name in it
  std::size_t first = 0;  ///< how many bytes to read at most
  std::string bytes;      ///< what the read gave, when `whole`
  bool whole = false;     ///< the read gave at least one byte, and fewer than it asked for
};

/// Reads the first bytes of many files with one call for every few dozen, where the system
/// allows it; where it does not, or a file could not be read so, the file is left not `whole`,
/// for the caller to read the ordinary way. Safe to use from several threads at once.
class RingReader {
 public:
  RingReader();
  ~RingReader();
  RingReader(const RingReader&) = delete;
  RingReader& operator=(const RingReader&) = delete;

  /// Opens each file with `flags` (which must not create it), reads from its start, and closes
  /// it. A short read of a regular file is all of it: where the read gives fewer bytes than it
  /// asked for, and some, `bytes` holds them and `whole` is set.
  void ReadFirstPieces(std::span<RingRead> files, int flags);

  /// Lets go of the rings kept for the next reads, and of their descriptors.
  void Release();

 private:
  struct Ring;
  std::unique_ptr<Ring> Take();
  void Give(std::unique_ptr<Ring> ring);

  std::mutex mutex_;  // guards everything below
  std::vector<std::unique_ptr<Ring>> idle_;
  bool unavailable_ = false;  // the system refused a ring once: it is not asked again
};

}  // namespace mirelda::posix
