// What the writes of a run came to, as its summary line tells them.
#pragma once

namespace mirelda {

/// What the writes of a run came to. A file written twice in one run counts twice.
struct WriteCounts {
  int created = 0;    ///< files that did not exist
  int replaced = 0;   ///< files whose bytes changed
  int unchanged = 0;  ///< files that already held the bytes to be written
};

}  // namespace mirelda
