// Reading many small files in a few calls through io_uring, where the system has it.
#include "util/posix/ring_reader.h"

#include <fcntl.h>

#include <algorithm>

#ifdef MIRELDA_HAVE_IO_URING
#include <liburing.h>
#endif

namespace mirelda::posix {
namespace {

// Files handed to the kernel in one call: each takes an entry for every step and a slot for its
// descriptor.
constexpr unsigned kFilesPerCall = 32;

// The steps of one file, linked in this order: each runs only if the one before it succeeded, but
// the close follows the read whatever the read gave.
enum Step : unsigned { kOpen, kCheck, kRead, kClose, kStepsPerFile };

// What one read takes at most. A thread index or a list of a few lines fits; a larger file is
// left to the ordinary reads, which look at its size first.
constexpr std::size_t kPiece = 4096;

}  // namespace

#ifdef MIRELDA_HAVE_IO_URING

struct RingReader::Ring {
  io_uring ring{};
  bool started = false;
  std::unique_ptr<char[]> pieces = std::make_unique<char[]>(kFilesPerCall * kPiece);

  ~Ring() {
    if (started) io_uring_queue_exit(&ring);
  }

  // Hands the files to the kernel and takes back what it read; false when the ring may still
  // hold a descriptor, or answers still to come, and cannot be used again.
  bool Read(std::span<RingRead> files, int flags) {
    std::size_t asked[kFilesPerCall];
    for (unsigned slot = 0; slot < files.size(); ++slot) {
      asked[slot] = std::min(files[slot].first, kPiece);
      Queue(files[slot], slot, asked[slot], flags);
    }
    const unsigned entries = kStepsPerFile * static_cast<unsigned>(files.size());
    if (io_uring_submit_and_wait(&ring, entries) != static_cast<int>(entries)) return false;
    bool opened[kFilesPerCall] = {}, closed[kFilesPerCall] = {};
    for (unsigned seen = 0; seen < entries; ++seen) {
      io_uring_cqe* cqe = nullptr;
      if (io_uring_wait_cqe(&ring, &cqe) != 0) return false;
      const auto step = static_cast<Step>(cqe->user_data % kStepsPerFile);
      const auto slot = static_cast<unsigned>(cqe->user_data / kStepsPerFile);
      const int result = cqe->res;
      io_uring_cqe_seen(&ring, cqe);
      if (step == kOpen) opened[slot] = result == 0;
      if (step == kClose) closed[slot] = result == 0;
      if (step == kRead && result > 0 && static_cast<std::size_t>(result) < asked[slot]) {
        files[slot].bytes.assign(pieces.get() + slot * kPiece, static_cast<std::size_t>(result));
        files[slot].whole = true;
      }
    }
    for (unsigned slot = 0; slot < files.size(); ++slot) {
      if (opened[slot] && !closed[slot]) return false;
    }
    return true;
  }

 private:
  // Marks the entry just prepared as the step of the file in `slot`, linked as `flags` say; after
  // the preparation, which clears the flags.
  void Mark(io_uring_sqe* sqe, unsigned slot, Step step, unsigned char flags) {
    sqe->flags |= flags;
    sqe->user_data = slot * kStepsPerFile + step;
  }

  void Queue(const RingRead& file, unsigned slot, std::size_t size, int flags) {
    io_uring_sqe* sqe = io_uring_get_sqe(&ring);
    // A descriptor in the ring's table is never inherited, and the kernel refuses O_CLOEXEC for
    // one.
    io_uring_prep_openat_direct(sqe, file.folder, file.name, flags & ~O_CLOEXEC, 0, slot);
    Mark(sqe, slot, kOpen, IOSQE_IO_LINK);
    // The read takes no notice of its offset on a FIFO that took the file's place after the
    // listing, and would take its writer's bytes; advice about a FIFO fails, and the read with it.
    sqe = io_uring_get_sqe(&ring);
    io_uring_prep_fadvise(sqe, static_cast<int>(slot), 0, 0, POSIX_FADV_NORMAL);
    Mark(sqe, slot, kCheck, IOSQE_IO_LINK | IOSQE_FIXED_FILE);
    sqe = io_uring_get_sqe(&ring);
    io_uring_prep_read(sqe, static_cast<int>(slot), pieces.get() + slot * kPiece,
                       static_cast<unsigned>(size), 0);
    Mark(sqe, slot, kRead, IOSQE_IO_HARDLINK | IOSQE_FIXED_FILE);
    sqe = io_uring_get_sqe(&ring);
    io_uring_prep_close_direct(sqe, slot);
    Mark(sqe, slot, kClose, 0);
  }
};

std::unique_ptr<RingReader::Ring> RingReader::Take() {
  const std::lock_guard lock(mutex_);
  if (!idle_.empty()) {
    std::unique_ptr<Ring> ring = std::move(idle_.back());
    idle_.pop_back();
    return ring;
  }
  if (unavailable_) return nullptr;
  auto ring = std::make_unique<Ring>();
  // A system without io_uring, or one that forbids it (a container, a sysctl), gets the
  // ordinary reads from now on.
  if (io_uring_queue_init(kStepsPerFile * kFilesPerCall, &ring->ring, 0) != 0) {
    unavailable_ = true;
    return nullptr;
  }
  ring->started = true;
  if (io_uring_register_files_sparse(&ring->ring, kFilesPerCall) != 0) {
    unavailable_ = true;
    return nullptr;
  }
  return ring;
}

void RingReader::ReadFirstPieces(std::span<RingRead> files, int flags) {
  for (std::size_t start = 0; start < files.size(); start += kFilesPerCall) {
    std::unique_ptr<Ring> ring = Take();
    if (!ring) return;
    const auto some =
        files.subspan(start, std::min<std::size_t>(kFilesPerCall, files.size() - start));
    // A ring that failed midway may hold descriptors or answers still to come: it goes, and the
    // next files take another.
    if (ring->Read(some, flags)) Give(std::move(ring));
  }
}

#else

struct RingReader::Ring {};

std::unique_ptr<RingReader::Ring> RingReader::Take() { return nullptr; }

void RingReader::ReadFirstPieces(std::span<RingRead>, int) {}

#endif

RingReader::RingReader() = default;
RingReader::~RingReader() = default;

void RingReader::Give(std::unique_ptr<Ring> ring) {
  const std::lock_guard lock(mutex_);
  idle_.push_back(std::move(ring));
}

void RingReader::Release() {
  const std::lock_guard lock(mutex_);
  idle_.clear();
}

}  // namespace mirelda::posix
