// Finding names without regard to ASCII case, with the last few folders kept open and listed.
#include "util/posix/name_resolver.h"

#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <vector>

#include "util/path.h"
#include "util/posix/system.h"

namespace mirelda::posix {
namespace {

// How many folders are kept: a run reads and writes folder after folder, so the last few are the
// ones it needs, and a tree of any size takes no more memory than they do.
constexpr size_t kKeptFolders = 64;

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The name in `folder` that is `name` exactly, or else the one first in listing order of those
// that differ from it only in case; null when there is none. Called with the resolver's mutex.
const std::pair<const std::string, unsigned char>* Lookup(const Folder& folder,
                                                          const std::string& name) {
  const auto [first, last] = folder.names.equal_range(name);
  const std::pair<const std::string, unsigned char>* best = nullptr;
  for (auto it = first; it != last; ++it) {
    if (it->first == name) return &*it;
    if (best == nullptr || ListingOrderLess(it->first, best->first)) best = &*it;
  }
  return best;
}

}  // namespace

Folder::Folder(std::string path, int fd)
    : path(std::move(path)), key(FolderKey(this->path)), fd(fd) {}

Folder::~Folder() { close(fd); }

size_t Folder::FoldedHash::operator()(std::string_view name) const {
  size_t hash = 14695981039346656037u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211u;
  return hash;
}

bool Folder::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldCase(x) == FoldCase(y);
         });
}

int Found::at() const { return folder ? folder->fd : AT_FDCWD; }

Found NameResolver::Find(const std::string& path) {
  Found found;
  auto [parent, name] = SplitParent(path);
  if (!trusted_ || name.empty() || name == "." || name == ".." || parent == path) {
    found.path = ResolveFolder(path, &found.missing);
    return found;
  }
  // Most names are looked for in a folder kept already: one hold of the lock finds both.
  const std::string key = FolderKey(parent);
  std::unique_lock lock(mutex_);
  if (const auto it = folders_.find(key); it != folders_.end()) found.folder = it->second;
  if (!found.folder) {
    lock.unlock();
    found.folder = Kept(parent);
    if (!found.folder) {
      // Nothing in a folder that cannot be listed is known to be missing.
      found.path = ResolveFolder(path, &found.missing);
      return found;
    }
    lock.lock();
  }
  const auto* entry = Lookup(*found.folder, name);
  found.missing = entry == nullptr;
  if (entry != nullptr) {
    name = entry->first;
    found.type = entry->second;
  }
  lock.unlock();
  found.path = Join(found.folder->path, name);
  found.name = std::move(name);
  return found;
}

std::string NameResolver::Resolve(const std::string& path, bool* missing) {
  Found found = Find(path);
  if (missing != nullptr) *missing = found.missing;
  if (!path.empty() && path.back() == '/' && found.path.back() != '/') found.path.push_back('/');
  return std::move(found.path);
}

std::shared_ptr<Folder> NameResolver::List(
    const std::string& path, const std::function<void(std::string_view, unsigned char)>& each) {
  std::shared_ptr<Folder> folder = OpenFolder(path, each);
  if (folder) Keep(FolderKey(path), folder);
  return folder;
}

void NameResolver::Remember(const std::string& made, unsigned char type) {
  auto [parent, name] = SplitParent(made);
  const std::string key = FolderKey(parent);
  const std::lock_guard lock(mutex_);
  for (const auto& [asked, folder] : folders_) {
    if (folder->key != key) continue;
    const auto* entry = Lookup(*folder, name);
    if (entry == nullptr || entry->first != name) folder->names.emplace(name, type);
  }
}

void NameResolver::KnowEmpty(const std::string& path, const std::string& made) {
  const int fd = open(made.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) Keep(FolderKey(path), std::make_shared<Folder>(made, fd));
}

void NameResolver::Forget(const std::string& removed) {
  auto [parent, name] = SplitParent(removed);
  const std::string key = FolderKey(removed);
  const std::string parent_key = FolderKey(parent);
  const std::lock_guard lock(mutex_);
  for (auto it = folders_.begin(); it != folders_.end();) {
    if (it->second->key != key) {
      ++it;
      continue;
    }
    kept_order_.erase(std::find(kept_order_.begin(), kept_order_.end(), it->first));
    it = folders_.erase(it);
  }
  for (const auto& [asked, folder] : folders_) {
    if (folder->key != parent_key) continue;
    const auto [first, last] = folder->names.equal_range(name);
    for (auto it = first; it != last; ++it) {
      if (it->first == name) {
        folder->names.erase(it);
        break;
      }
    }
  }
}

void NameResolver::Clear() {
  const std::lock_guard lock(mutex_);
  folders_.clear();
  kept_order_.clear();
}

// The folder kept for `path`, opened and listed if it is not kept yet.
std::shared_ptr<Folder> NameResolver::Kept(const std::string& path) {
  const std::string key = FolderKey(path);
  const auto kept = [&]() -> std::shared_ptr<Folder> {
    const std::lock_guard lock(mutex_);
    const auto it = folders_.find(key);
    return it != folders_.end() ? it->second : nullptr;
  };
  if (std::shared_ptr<Folder> folder = kept()) return folder;
  // One thread lists a folder while the others that need it wait for its listing.
  const std::lock_guard listing(listing_);
  if (std::shared_ptr<Folder> folder = kept()) return folder;
  return List(path);
}

// The folder `path`, found without regard to case, opened and listed; null with errno when it
// cannot be.
std::shared_ptr<Folder> NameResolver::OpenFolder(
    const std::string& path, const std::function<void(std::string_view, unsigned char)>& each) {
  // The exact name first: only a folder that is not there is looked for under another case.
  std::string found = path;
  int fd = open(found.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    found = ResolveFolder(path);
    fd = open(found.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd < 0) return nullptr;
  auto folder = std::make_shared<Folder>(found, fd);
  const std::error_code error = ListNames(fd, [&](std::string_view name, unsigned char type) {
    if (name == "." || name == "..") return;
    folder->names.emplace(name, type);
    if (each) each(name, type);
  });
  if (error) {
    errno = error.value();
    return nullptr;
  }
  return folder;
}

// The path with each missing component replaced by an existing one that differs only in ASCII
// case, looked up from the path's start: what Find does where it does not trust the listings,
// or its folder cannot be kept. `missing`, if given, is set when a component is known missing.
std::string NameResolver::ResolveFolder(const std::string& path, bool* missing) {
  if (path.empty() || Exists(path)) return path;
  // Up to the nearest folder that exists; one that is kept needs no look.
  std::vector<std::string> names;
  std::string base = path;
  const auto is_kept = [this](const std::string& folder) {
    const std::lock_guard lock(mutex_);
    return folders_.count(FolderKey(folder)) != 0;
  };
  do {
    auto [parent, name] = SplitParent(base);
    names.push_back(std::move(name));
    if (parent == base) break;
    base = std::move(parent);
  } while (!is_kept(base) && !Exists(base));
  if (names.back().empty()) return path;
  // A folder kept under the path asked for is spelt as it was found.
  const std::shared_ptr<Folder> kept = is_kept(base) ? Kept(base) : nullptr;
  std::string resolved = kept ? kept->path : base;
  bool found = true;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    // The exact name wins at every level: LOG/A and LOG/a are two folders, not one. The first
    // name below the folder found has been looked for already.
    std::string next = Join(resolved, *it);
    if (found && (it == names.rbegin() || !Exists(next))) {
      const std::shared_ptr<Folder> folder = Kept(resolved);
      const std::lock_guard lock(mutex_);
      const auto* entry = folder ? Lookup(*folder, *it) : nullptr;
      found = entry != nullptr;
      if (found) next = Join(folder->path, entry->first);
    }
    resolved = std::move(next);
  }
  if (missing != nullptr) *missing = !found;
  return resolved;
}

void NameResolver::TrustListings(bool trust) { trusted_ = trust; }

// Keeps `folder` under the path asked for, in place of one kept before; the one kept longest is
// let go when too many are.
void NameResolver::Keep(const std::string& key, std::shared_ptr<Folder> folder) {
  // Outside a run a listing may be out of date by the next look, and a folder held open would
  // stay so until the next run: none is kept.
  if (!trusted_) return;
  const std::lock_guard lock(mutex_);
  auto [it, inserted] = folders_.insert_or_assign(key, std::move(folder));
  if (!inserted) return;
  kept_order_.push_back(key);
  if (kept_order_.size() > kKeptFolders) {
    folders_.erase(kept_order_.front());
    kept_order_.pop_front();
  }
}

}  // namespace mirelda::posix
