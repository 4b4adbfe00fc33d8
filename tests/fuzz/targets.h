// Fuzz targets of the engine: each checks a property that must hold for every input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mirelda::fuzz {

/// One fuzz target: runs on one input and aborts when its property does not hold.
using Target = void (*)(const std::uint8_t* data, std::size_t size);

/// Decoding and encoding code page 932 loses nothing.
void Cp932RoundTrip(const std::uint8_t* data, std::size_t size);
/// A thread index converts to nothing or to one line of 16 fields.
void ThreadIndex(const std::uint8_t* data, std::size_t size);
/// A favourite path that passes the check forms a URL and stays inside the log folder.
void FavouritePath(const std::uint8_t* data, std::size_t size);
/// A restore from a journal of any content changes nothing outside the Live2ch folder.
void JournalRestore(const std::uint8_t* data, std::size_t size);

struct NamedTarget {
  const char* name;
  Target run;
};

/// Every target, by its name, which is also the name of its seed folder under corpus/.
inline constexpr NamedTarget kTargets[] = {
    {"Cp932RoundTrip", Cp932RoundTrip},
    {"ThreadIndex", ThreadIndex},
    {"FavouritePath", FavouritePath},
    {"JournalRestore", JournalRestore},
};

}  // namespace mirelda::fuzz
