// The file system on POSIX: read-only opens, atomic replacing writes, and Windows-like name
// lookup that ignores ASCII case when the exact name is missing.
#include "util/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "util/path.h"

namespace mirelda {
namespace {

constexpr std::int64_t kMaxReadableSize = std::int64_t{1} << 31;

std::error_code LastError() { return {errno, std::generic_category()}; }

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

// A folder path as a cache key: no trailing or doubled separators, so that every spelling of
// one folder finds the same listing.
std::string FolderKey(std::string_view path) {
  std::string key;
  for (char c : path) {
    if (c != '/' || key.empty() || key.back() != '/') key.push_back(c);
  }
  if (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

// Splits "a/b/c" into its parent "a/b" and name "c", ignoring trailing separators.
std::pair<std::string, std::string> SplitParent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return {".", std::string(path)};
  return {std::string(path.substr(0, slash == 0 ? 1 : slash)), std::string(path.substr(slash + 1))};
}

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Hashing and comparing names as Windows does, without regard to ASCII case, so that a folder's
// names are kept once each, as they are spelt, and found under any spelling.
struct FoldedHash {
  size_t operator()(std::string_view name) const {
    size_t hash = 14695981039346656037u;
    for (char c : name) hash = (hash ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211u;
    return hash;
  }
};
struct FoldedEqual {
  bool operator()(std::string_view a, std::string_view b) const {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return FoldCase(x) == FoldCase(y);
           });
  }
};

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem() {
    umask_ = umask(0);
    umask(umask_);
  }

  std::error_code ReadWhole(const std::string& path, std::string& bytes) override {
    bytes.clear();
    const int fd = OpenForReading(path);
    if (fd < 0) return LastError();
    struct stat st;
    std::error_code status;
    if (fstat(fd, &st) != 0) {
      status = LastError();
    } else if (!S_ISREG(st.st_mode)) {
      status = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory
                                                        : std::errc::invalid_argument);
    } else if (st.st_size >= kMaxReadableSize) {
      status = std::make_error_code(std::errc::file_too_large);
    } else {
      status = ReadAll(fd, static_cast<size_t>(st.st_size), bytes);
    }
    close(fd);
    return status;
  }

  bool CanOpenForReading(const std::string& path) override {
    const int fd = OpenForReading(path);
    if (fd < 0) return false;
    struct stat st;
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    return regular;
  }

  bool IsFolder(const std::string& path) override {
    struct stat st;
    return !HasNul(path) && stat(Resolve(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::error_code MakeFolder(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    auto [parent, name] = SplitParent(path);
    const std::string target = Join(Resolve(parent), name);
    if (mkdir(target.c_str(), 0777) != 0) return LastError();
    Remember(target);
    listings_[FolderKey(target)];  // a new folder is known to be empty
    return {};
  }

  std::error_code ListFolder(const std::string& path, FolderEntries& entries) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    const std::string folder = Resolve(path);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
      if (errno == ENOTDIR) return std::make_error_code(std::errc::no_such_file_or_directory);
      return LastError();
    }
    const int dir_fd = dirfd(dir);
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      struct stat st;
      switch (entry->d_type) {
        case DT_REG:
          entries.files.emplace_back(name);
          break;
        case DT_DIR:
          entries.folders.emplace_back(name);
          break;
        default:
          // Links count by what they point to, but a link to a folder is never descended into.
          if (fstatat(dir_fd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
            entries.files.emplace_back(name);
          } else if (entry->d_type == DT_UNKNOWN &&
                     fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISDIR(st.st_mode)) {
            entries.folders.emplace_back(name);
          }
      }
      errno = 0;
    }
    const std::error_code status = errno != 0 ? LastError() : std::error_code{};
    closedir(dir);
    return status;
  }

  std::error_code ReplaceWhole(const std::string& path, std::string_view bytes) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    const std::string target = Resolve(path);
    mode_t mode = 0666 & ~umask_;
    struct stat st;
    const bool existed = stat(target.c_str(), &st) == 0;
    if (existed) {
      if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
      // Root may write anything; a file without any write bit is still left alone.
      if ((st.st_mode & 0222) == 0) return std::make_error_code(std::errc::permission_denied);
      mode = st.st_mode & 07777;
    }
    std::string temp = GetFolderPart(target) + ".mirelda-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return LastError();
    std::error_code status = WriteAll(fd, bytes);
    if (!status && fchmod(fd, mode) != 0) status = LastError();
    if (!status && existed) {
      // Keep the owner too where the system lets us (root converting a user's folder); anyone
      // else cannot give a file away and has no need to.
      [[maybe_unused]] const int kept_owner = fchown(fd, st.st_uid, st.st_gid);
    }
    if (close(fd) != 0 && !status) status = LastError();
    if (!status && rename(temp.c_str(), target.c_str()) != 0) status = LastError();
    if (status) {
      unlink(temp.c_str());
      return status;
    }
    if (!existed) Remember(target);
    return {};
  }

  bool IsSameFolder(const std::string& a, const std::string& b) override {
    struct stat sa, sb;
    if (HasNul(a) || HasNul(b)) return false;
    return stat(Resolve(a).c_str(), &sa) == 0 && stat(Resolve(b).c_str(), &sb) == 0 &&
           S_ISDIR(sa.st_mode) && S_ISDIR(sb.st_mode) && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
  }

 private:
  using Names = std::unordered_set<std::string, FoldedHash, FoldedEqual>;

  static std::string Join(const std::string& folder, const std::string& name) {
    if (folder == ".") return name;
    return folder.back() == '/' ? folder + name : folder + '/' + name;
  }

  // Reads up to `size` bytes; a file that shrank meanwhile gives what it still holds.
  static std::error_code ReadAll(int fd, size_t size, std::string& bytes) {
    bytes.resize(size);
    size_t done = 0;
    while (done < size) {
      // Reads and writes of regular files are not interrupted by signals.
      const ssize_t got = read(fd, bytes.data() + done, size - done);
      if (got < 0) return LastError();
      if (got == 0) break;
      done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return {};
  }

  static std::error_code WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t put = write(fd, bytes.data(), bytes.size());
      if (put < 0) return LastError();
      bytes.remove_prefix(static_cast<size_t>(put));
    }
    return {};
  }

  int OpenForReading(const std::string& path) {
    if (HasNul(path)) {
      errno = EINVAL;
      return -1;
    }
    // Non-blocking, so that a FIFO or device under a data file's name cannot hang the run.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = open(path.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT) {
      const std::string resolved = Resolve(path);
      if (resolved != path) fd = open(resolved.c_str(), kFlags);
    }
    return fd;
  }

  // The path with each missing component replaced by an existing one that differs only in
  // ASCII case, as far as such components exist; the rest is kept as written.
  std::string Resolve(const std::string& path) {
    if (path.empty() || Exists(path)) return path;
    std::vector<std::string> missing;
    std::string base = path;
    do {
      auto [parent, name] = SplitParent(base);
      missing.push_back(std::move(name));
      if (parent == base) break;
      base = std::move(parent);
    } while (!Exists(base));
    if (missing.back().empty()) return path;
    std::string resolved = base;
    bool found = true;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
      // The exact name wins at every level: LOG/A and LOG/a are two folders, not one.
      std::string next = Join(resolved, *it);
      if (found && !Exists(next)) {
        const std::string* match = FindName(resolved, *it);
        found = match != nullptr;
        if (found) next = Join(resolved, *match);
      }
      resolved = std::move(next);
    }
    if (path.back() == '/') resolved.push_back('/');
    return resolved;
  }

  // The existing name in `folder` that equals `name` but for ASCII case, or null. Each folder is
  // listed once; what this file system creates afterwards is added to the listing it keeps.
  const std::string* FindName(const std::string& folder, const std::string& name) {
    auto [it, inserted] = listings_.try_emplace(FolderKey(folder));
    if (inserted) {
      if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) AddName(it->second, entry->d_name);
        closedir(dir);
      }
    }
    const auto found = it->second.find(name);
    return found != it->second.end() ? &*found : nullptr;
  }

  // Of names that differ only in case, the one first in listing order is the one found.
  static void AddName(Names& names, const std::string& name) {
    const auto [it, inserted] = names.insert(name);
    if (!inserted && ListingOrderLess(name, *it)) {
      names.erase(it);
      names.insert(name);
    }
  }

  void Remember(const std::string& created) {
    auto [parent, name] = SplitParent(created);
    const auto it = listings_.find(FolderKey(parent));
    if (it != listings_.end()) AddName(it->second, name);
  }

  mode_t umask_;
  std::unordered_map<std::string, Names> listings_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace mirelda
