// Path texts: taking them apart, joining stored relative paths, wildcard patterns, listing order.
#include "util/path.h"

#include <algorithm>
#include <charconv>

namespace mirelda {

std::string GetFolderPart(std::string_view path) {
  const auto last = path.rfind(kSep);
  if (last == std::string_view::npos) return {};
  return std::string(path.substr(0, last + 1));
}

std::string GetFileNamePart(std::string_view path) {
  const auto last = path.rfind(kSep);
  if (last == std::string_view::npos) return std::string(path);
  return std::string(path.substr(last + 1));
}

std::string JoinStoredPath(std::string_view folder, std::string_view stored) {
  std::string path;
  path.reserve(folder.size() + stored.size());
  path.append(folder);
  for (char c : stored) path.push_back(c == '\\' ? kSep : c);
  return path;
}

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of the UTF-8 sequence that starts with `lead`, so that '?' takes one whole character.
size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
  return out;
}

std::string PathKey(std::string_view path) {
  // Folded in place: a run makes a key for every file it reads and writes.
  std::string key(path);
  size_t kept = 0;
  for (const char c : path) {
    if (!IsSeparator(c)) {
      key[kept++] = LowerAscii(c);
    } else if (kept == 0 || key[kept - 1] != kSep) {
      key[kept++] = kSep;
    }
  }
  key.resize(kept);
  return key;
}

bool MatchesPattern(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  // Iterative glob with single-star backtracking: linear in practice, no recursion.
  size_t p = 0, n = 0;
  size_t star_p = std::string_view::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star_p = p++;
      star_n = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += std::min(Utf8Length(static_cast<unsigned char>(name[n])), name.size() - n);
    } else if (p < pattern.size() && UpperAscii(pattern[p]) == UpperAscii(name[n])) {
      ++p;
      ++n;
    } else if (star_p != std::string_view::npos) {
      p = star_p + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool ListingOrderLess(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
    const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

std::string TemporaryName(std::uint32_t pid, unsigned serial) {
  return std::string(kTemporaryPrefix) + std::to_string(pid) + "-" + std::to_string(serial);
}

std::uint32_t TemporaryOwner(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) return 0;
  name.remove_prefix(kTemporaryPrefix.size());
  std::uint32_t pid = 0;
  const char* const last = name.data() + name.size();
  const auto [end, error] = std::from_chars(name.data(), last, pid);
  // Strict, so that no file of anyone else's is ever taken for a temporary.
  const std::string_view serial(end, static_cast<size_t>(last - end));
  const bool made_here = error == std::errc{} && serial.size() > 1 && serial[0] == '-' &&
                         serial.find_first_not_of("0123456789", 1) == std::string_view::npos;
  return made_here ? pid : 0;
}

}  // namespace mirelda
