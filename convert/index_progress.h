// Counting the thread indexes of one conversion, for the progress that the report sink shows.
#pragma once

#include <cstddef>
#include <optional>

#include "convert/context.h"

namespace mirelda {

/// Tells the report sink how far one conversion of thread indexes has come, from its start to
/// its end, which it tells when it goes out of scope, also when the run stops or fails.
class IndexCounter {
 public:
  /// Tells the start; `total` is none while a search has still to find the indexes.
  IndexCounter(Context& cx, std::optional<std::size_t> total) : cx_(cx) {
    progress_.total = total;
    Tell();
  }
  ~IndexCounter() {
    progress_.finished = true;
    Tell();
  }
  IndexCounter(const IndexCounter&) = delete;
  IndexCounter& operator=(const IndexCounter&) = delete;

  /// The search has found every index: there are `total` to convert.
  void SetTotal(std::size_t total) {
    progress_.total = total;
    Tell();
  }

  /// One more index has been converted, well or not.
  void CountOne() {
    ++progress_.done;
    Tell();
  }

 private:
  void Tell() { cx_.ShowProgress(progress_); }

  Context& cx_;
  IndexProgress progress_;
};

}  // namespace mirelda
