// The bound on the log box's length, shared by the windows.
#include "app/window/log_bound.h"

namespace mirelda {

std::size_t LogCut(std::u16string_view log) {
  if (log.size() <= kLogLimit) return 0;
  std::size_t cut = log.size() - kLogKept;
  const bool low_surrogate = log[cut] >= 0xDC00 && log[cut] <= 0xDFFF;
  const bool after_high = log[cut - 1] >= 0xD800 && log[cut - 1] <= 0xDBFF;
  if (low_surrogate && after_high) ++cut;
  return cut;
}

}  // namespace mirelda
