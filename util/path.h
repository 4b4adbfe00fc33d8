// Path texts: taking them apart, joining stored relative paths, wildcard patterns, listing order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mirelda {

/// The platform's path separator: '\' on Windows, '/' elsewhere.
#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

/// Every character the system takes as a separator: '\' and '/' on Windows, '/' elsewhere.
#ifdef _WIN32
inline constexpr std::string_view kSeparators = "\\/";
#else
inline constexpr std::string_view kSeparators = "/";
#endif

/// Whether the system takes `c` as a separator. '/' => true on every platform.
inline constexpr bool IsSeparator(char c) {
  for (const char separator : kSeparators) {
    if (c == separator) return true;
  }
  return false;
}

/// The path up to and including its last separator; empty when it has none.
/// "/a/b.txt" => "/a/", "b.txt" => "".
std::string GetFolderPart(std::string_view path);

/// Whether `path` begins at a root of the system: "/k" on POSIX; "C:\k" or "\\server\k" on
/// Windows.
bool IsRootedPath(std::string_view path);

/// Whether the system uses a file name exactly as it is written: Windows reads ':' and '\' in it
/// as parts of a path and drops a trailing dot or space. "a." => false on Windows, true elsewhere.
bool IsNameUsedAsWritten(std::string_view name);

/// The text after the last separator; the whole path when it has none.
/// "/a/b.txt" => "b.txt", "/a/" => "".
std::string GetFileNamePart(std::string_view path);

/// `folder` followed by a relative path stored with '\' separators (as Katjusha writes them),
/// each '\' turned into the platform separator. ("/k/log/", "h\b\1.idx") => "/k/log/h/b/1.idx".
std::string JoinStoredPath(std::string_view folder, std::string_view stored);

/// ASCII letters folded to lower case; every other byte unchanged.
std::string ToLowerAscii(std::string_view text);

/// One key for every spelling of a path that Windows takes for the same file: ASCII case folded,
/// each run of separators one separator. "/l/Log//A.IDX" => "/l/log/a.idx".
std::string PathKey(std::string_view path);

/// Whether `name` matches a file-listing pattern: '*' any run, '?' one character, ASCII case
/// ignored; "*.*" matches every name. ("*.idx", "A.IDX") => true.
bool MatchesPattern(std::string_view pattern, std::string_view name);

/// The order in which folder listings are taken on every platform: names compared with ASCII
/// letters folded to upper case, ties broken by the exact names.
bool ListingOrderLess(std::string_view a, std::string_view b);

/// What the name of every temporary file begins with.
inline constexpr std::string_view kTemporaryPrefix = ".mirelda-";

/// The name of a temporary file that process `pid` writes before it takes its final name, told
/// apart by `serial`. (42, 7) => ".mirelda-42-7".
std::string TemporaryName(std::uint32_t pid, unsigned serial);

/// The process id in a name that TemporaryName made; 0 for any other name.
/// ".mirelda-42-7" => 42, "1.idx" => 0.
std::uint32_t TemporaryOwner(std::string_view name);

}  // namespace mirelda
