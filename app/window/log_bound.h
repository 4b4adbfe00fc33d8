// The bound on the log box's length, shared by the windows.
#pragma once

#include <cstddef>
#include <string_view>

namespace mirelda {

/// The log is cut when an append makes it longer than this many UTF-16 units...
inline constexpr std::size_t kLogLimit = 10000;
/// ...to its last this many units.
inline constexpr std::size_t kLogKept = 9000;

/// How many leading units to remove from a log that has just been appended to: 0 while it is
/// at most kLogLimit units, otherwise enough to keep the last kLogKept units, one fewer when the
/// cut would split a surrogate pair.
std::size_t LogCut(std::u16string_view log);

}  // namespace mirelda
