// Finding names without regard to ASCII case, with the listings of the last few folders kept.
#include "util/posix/name_resolver.h"

#include <dirent.h>

#include <algorithm>
#include <vector>

#include "util/path.h"
#include "util/posix/system.h"

namespace mirelda::posix {
namespace {

// How many folders' listings are kept: a run writes folder after folder, so the last few are the
// ones it needs, and a tree of any size takes no more memory than they do.
constexpr size_t kKeptListings = 64;

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace

// Names are hashed and compared as Windows does, without regard to ASCII case, so that a folder's
// names are kept once each, as they are spelt, and found under any spelling.
size_t NameResolver::FoldedHash::operator()(std::string_view name) const {
  size_t hash = 14695981039346656037u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211u;
  return hash;
}

bool NameResolver::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldCase(x) == FoldCase(y);
         });
}

std::string NameResolver::Resolve(const std::string& path, bool* missing) {
  if (path.empty() || Exists(path)) return path;
  // Up to the nearest folder that exists; one whose listing is kept needs no look.
  std::vector<std::string> names;
  std::string base = path;
  do {
    auto [parent, name] = SplitParent(base);
    names.push_back(std::move(name));
    if (parent == base) break;
    base = std::move(parent);
  } while (!IsListed(base) && !Exists(base));
  if (names.back().empty()) return path;
  std::string resolved = base;
  bool found = true;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    // The exact name wins at every level: LOG/A and LOG/a are two folders, not one. The first
    // name below the folder found has been looked for already.
    std::string next = Join(resolved, *it);
    if (found && (it == names.rbegin() || !Exists(next))) {
      const std::optional<std::string> match = FindName(resolved, *it);
      found = match.has_value();
      if (found) next = Join(resolved, *match);
    }
    resolved = std::move(next);
  }
  if (missing != nullptr) *missing = !found;
  if (path.back() == '/') resolved.push_back('/');
  return resolved;
}

void NameResolver::Remember(const std::string& made) {
  auto [parent, name] = SplitParent(made);
  const std::lock_guard lock(mutex_);
  const auto it = listings_.find(FolderKey(parent));
  if (it != listings_.end()) AddName(it->second, name);
}

void NameResolver::KnowEmpty(const std::string& folder) {
  const std::lock_guard lock(mutex_);
  KeepListing(FolderKey(folder));
}

void NameResolver::Forget(const std::string& removed) {
  auto [parent, name] = SplitParent(removed);
  const std::lock_guard lock(mutex_);
  listings_.erase(FolderKey(removed));
  const auto it = listings_.find(FolderKey(parent));
  if (it != listings_.end()) it->second.erase(name);
}

void NameResolver::Clear() {
  const std::lock_guard lock(mutex_);
  listings_.clear();
  listed_order_.clear();
}

bool NameResolver::IsListed(const std::string& folder) {
  const std::lock_guard lock(mutex_);
  return listings_.count(FolderKey(folder)) != 0;
}

// The existing name in `folder` that equals `name` but for ASCII case, if there is one. A folder
// is listed once while its listing is kept; what is made afterwards is added to it.
std::optional<std::string> NameResolver::FindName(const std::string& folder,
                                                  const std::string& name) {
  const std::lock_guard lock(mutex_);
  auto [it, inserted] = KeepListing(FolderKey(folder));
  if (inserted) {
    if (DIR* dir = opendir(folder.c_str())) {
      while (const dirent* entry = readdir(dir)) AddName(it->second, entry->d_name);
      closedir(dir);
    }
  }
  const auto found = it->second.find(name);
  if (found == it->second.end()) return std::nullopt;
  return *found;
}

// The listing kept for a folder, empty when it is new; the one kept longest is let go when too
// many are. Called with mutex_ held.
std::pair<NameResolver::Listings::iterator, bool> NameResolver::KeepListing(
    const std::string& key) {
  auto kept = listings_.try_emplace(key);
  if (!kept.second) return kept;
  listed_order_.push_back(key);
  if (listed_order_.size() > kKeptListings) {
    listings_.erase(listed_order_.front());
    listed_order_.pop_front();
  }
  return kept;
}

// Of names that differ only in case, the one first in listing order is the one found.
void NameResolver::AddName(Names& names, const std::string& name) {
  const auto [it, inserted] = names.insert(name);
  if (!inserted && ListingOrderLess(name, *it)) {
    names.erase(it);
    names.insert(name);
  }
}

}  // namespace mirelda::posix
