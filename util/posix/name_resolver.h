// Finding names as Windows does: a missing path component is found under any ASCII case.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "util/posix/system.h"

namespace mirelda::posix {

/// A folder as it was found: its path as spelt on disk, a handle that names in it are opened
/// relative to, and what its listing holds.
struct Folder {
  Folder(std::string path, int fd);
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  ~Folder();

  /// Hashes and compares names as Windows does, without regard to ASCII case.
  struct FoldedHash {
    size_t operator()(std::string_view name) const;
  };
  struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const;
  };

  const std::string path;
  const std::string key;  ///< FolderKey(path)
  const int fd;
  /// Every name in it with its type (DT_REG, DT_DIR, ... as the listing gave it), under every
  /// case it is spelt in. Guarded by the resolver that holds the folder.
  std::unordered_multimap<std::string, unsigned char, FoldedHash, FoldedEqual> names;
};

/// A path as it was found.
struct Found {
  std::string path;                ///< as spelt on disk as far as it exists, the rest as given
  bool missing = false;            ///< known not to exist
  std::shared_ptr<Folder> folder;  ///< its folder, when that could be opened and listed
  std::string name;                ///< its name in `folder`
  unsigned char type = 0;          ///< its type as the listing gave it; DT_UNKNOWN if not known

  /// What the *at calls take it relative to: the folder's handle, or the working folder.
  int at() const;
  /// What the *at calls name it by.
  const char* relative() const { return folder ? name.c_str() : path.c_str(); }
};

/// Resolves paths component by component without regard to ASCII case where the exact name is
/// missing, preferring the exact name. The last few folders that a name was looked for in are
/// kept open and listed, and what the file system makes or removes is told to the resolver, so
/// that a run of reads and writes in one folder opens and lists it once, and a name is found,
/// or known to be missing, without another call. Safe to use from several threads at once.
class NameResolver {
 public:
  /// Finds `path`: each missing component replaced by an existing one that differs only in
  /// ASCII case, as far as such components exist; the rest is kept as written.
  Found Find(const std::string& path);

  /// Find's path; a trailing separator is kept. `missing`, if given, is set when the path is
  /// known not to exist.
  std::string Resolve(const std::string& path, bool* missing = nullptr);

  /// Lists the folder `path` anew, calling `each` with every name in it and its type, and keeps
  /// the listing; null, with errno, when it cannot be opened or listed.
  std::shared_ptr<Folder> List(
      const std::string& path,
      const std::function<void(std::string_view, unsigned char)>& each = nullptr);

  /// Adds a file or folder that was made to the listings kept of its folder.
  void Remember(const std::string& made, unsigned char type);

  /// Keeps the folder `path`, just made, as open and empty.
  void KnowEmpty(const std::string& path, const std::string& made);

  /// Lets go of a removed file or folder in the listings kept.
  void Forget(const std::string& removed);

  /// Forgets every folder, since the folders may have changed meanwhile.
  void Clear();

  /// Whether a name missing from a folder's listing is taken for missing, and a name in it for
  /// there, without a look: only while a run holds the folders, which nobody else should change
  /// meanwhile. Otherwise every path is looked at first, and a listing only finds another case.
  void TrustListings(bool trust);

 private:
  std::shared_ptr<Folder> Kept(const std::string& path);
  std::shared_ptr<Folder> OpenFolder(
      const std::string& path, const std::function<void(std::string_view, unsigned char)>& each);
  std::string ResolveFolder(const std::string& path, bool* missing = nullptr);
  void Keep(const std::string& key, std::shared_ptr<Folder> folder);

  std::atomic<bool> trusted_ = false;
  std::recursive_mutex listing_;  // held while a folder that was not kept is listed
  ShortHoldMutex mutex_;          // guards everything below, and the names of every folder kept
  std::unordered_map<std::string, std::shared_ptr<Folder>> folders_;  // by the path asked for
  std::deque<std::string> kept_order_;  // keys of folders_, oldest first
};

}  // namespace mirelda::posix
