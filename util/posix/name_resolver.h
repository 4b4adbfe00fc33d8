// Finding names as Windows does: a missing path component is found under any ASCII case.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace mirelda::posix {

/// Resolves paths component by component without regard to ASCII case where the exact name is
/// missing, preferring the exact name. The listings it reads are kept for the last few folders,
/// and what the file system makes or removes is told to it, so that a run of writes into one
/// folder lists it once. Safe to use from several threads at once.
class NameResolver {
 public:
  /// The path with each missing component replaced by an existing one that differs only in ASCII
  /// case, as far as such components exist; the rest is kept as written. `missing`, if given, is
  /// set when the path is known not to exist.
  std::string Resolve(const std::string& path, bool* missing = nullptr);

  /// Adds a file or folder that was made to the listing kept of its folder.
  void Remember(const std::string& made);

  /// Notes that a folder that was just made is empty.
  void KnowEmpty(const std::string& folder);

  /// Lets go of a removed file or folder in the listings kept.
  void Forget(const std::string& removed);

  /// Forgets every listing, since the folders may have changed meanwhile.
  void Clear();

 private:
  struct FoldedHash {
    size_t operator()(std::string_view name) const;
  };
  struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using Names = std::unordered_set<std::string, FoldedHash, FoldedEqual>;
  using Listings = std::unordered_map<std::string, Names>;

  bool IsListed(const std::string& folder);
  std::optional<std::string> FindName(const std::string& folder, const std::string& name);
  std::pair<Listings::iterator, bool> KeepListing(const std::string& key);
  static void AddName(Names& names, const std::string& name);

  std::mutex mutex_;  // guards everything below
  Listings listings_;
  std::deque<std::string> listed_order_;  // the keys of listings_, oldest first
};

}  // namespace mirelda::posix
