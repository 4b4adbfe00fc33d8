// The file system on POSIX: read-only opens of regular files, atomic and durable replacing writes
// that keep out of a protected folder, and Windows-like name lookup that ignores ASCII case when
// the exact name is missing.
#include "util/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "util/path.h"

namespace mirelda {
namespace {

// How many folders' listings are kept: a run writes folder after folder, so the last few are the
// ones it needs, and a tree of any size takes no more memory than they do.
constexpr size_t kKeptListings = 64;

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

// A file's identity, the same however a path reaches it.
using FileId = std::pair<dev_t, ino_t>;

FileId IdOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

// Whether a process with that id exists; one that exists but is not ours to signal counts too.
bool IsRunning(std::uint32_t pid) {
  return pid <= INT_MAX && (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

// Removes from the folder open as `fd` the temporaries of writers that are no longer running,
// and closes it.
void RemoveStaleTemporaries(int fd) {
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::uint32_t owner = TemporaryOwner(entry->d_name);
    if (owner != 0 && !IsRunning(owner)) unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

std::error_code WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = write(fd, bytes.data(), bytes.size());
    if (put < 0) return LastError();
    bytes.remove_prefix(static_cast<size_t>(put));
  }
  return {};
}

class PosixFileSystem;

// A file being written: a new one without a name, linked under its own once committed, or a
// temporary named for this process beside the file it replaces, renamed over it.
class PosixWriter final : public FileWriter {
 public:
  // `temp` is empty for a file without a name; `old` is the file replaced, if there is one. A
  // replacing or `durable` file is on disk before it takes its name.
  PosixWriter(PosixFileSystem& fs, int fd, std::string target, std::string temp,
              std::optional<struct stat> old, bool durable = false)
      : fs_(fs),
        fd_(fd),
        target_(std::move(target)),
        temp_(std::move(temp)),
        old_(old),
        durable_(durable || old.has_value()) {}
  PosixWriter(const PosixWriter&) = delete;
  PosixWriter& operator=(const PosixWriter&) = delete;
  ~PosixWriter() override {
    if (fd_ >= 0) close(fd_);
    if (!temp_.empty()) unlink(temp_.c_str());
  }

 private:
  std::error_code Write(std::string_view bytes) override { return WriteAll(fd_, bytes); }
  std::error_code Finish() override;

  PosixFileSystem& fs_;
  int fd_;
  const std::string target_;
  std::string temp_;  // still to be removed while not empty
  const std::optional<struct stat> old_;
  const bool durable_;
};

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem() {
    umask_ = umask(0);
    umask(umask_);
  }
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;
  ~PosixFileSystem() override {
    for (const auto& [device, fd] : synced_) close(fd);
  }

  std::error_code ReadWhole(const std::string& path, std::string& bytes) override {
    bytes.clear();
    struct stat st;
    const int fd = OpenRegularFile(path, st);
    if (fd < 0) return LastError();
    const std::error_code status = st.st_size > kMaxDataFileSize
                                       ? std::make_error_code(std::errc::file_too_large)
                                       : ReadAll(fd, static_cast<size_t>(st.st_size), bytes);
    close(fd);
    return status;
  }

  bool CanOpenForReading(const std::string& path) override {
    struct stat st;
    const int fd = OpenRegularFile(path, st);
    if (fd < 0) return false;
    close(fd);
    return true;
  }

  bool IsFolder(const std::string& path) override {
    struct stat st;
    return !HasNul(path) && stat(Resolve(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::error_code MakeFolder(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    auto [parent, name] = SplitParent(path);
    const std::string folder = Resolve(parent);
    if (const std::error_code error = PrepareFolder(folder)) return error;
    const std::string target = Join(folder, name);
    if (mkdir(target.c_str(), 0777) != 0) return LastError();
    Remember(target);
    const std::lock_guard lock(mutex_);
    // A new folder is known to be empty, and to lie where its parent lies.
    KeepListing(FolderKey(target));
    written_folders_.emplace(FolderKey(target), false);
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

  std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                             std::error_code& error) override {
    error.clear();
    if (HasNul(path)) {
      error = std::make_error_code(std::errc::invalid_argument);
      return nullptr;
    }
    bool missing = false;
    const std::string target = Resolve(path, &missing);
    const std::string folder = SplitParent(target).first;
    if ((error = PrepareFolder(folder))) return nullptr;
    struct stat st;
    if (missing || stat(target.c_str(), &st) != 0) return StartNew(folder, target, error);
    if ((error = CheckOwnFile(target, st))) return nullptr;
    return StartTemporary(folder, target, st, error);
  }

  void BeginRun(const std::string& folder) override {
    struct stat st;
    // A folder that is gone has nothing left in it to protect.
    const bool exists = !HasNul(folder) && stat(Resolve(folder).c_str(), &st) == 0;
    const std::lock_guard lock(mutex_);
    protected_.reset();
    if (exists) protected_ = IdOf(st);
    written_folders_.clear();
    folder_ids_.clear();
    // A new run starts here: the folders may have changed since the last one looked.
    listings_.clear();
    listed_order_.clear();
  }

  std::error_code SyncWritten() override {
    const std::lock_guard lock(mutex_);
    std::error_code status;
    for (const auto& [device, fd] : synced_) {
      if (syncfs(fd) != 0 && !status) status = LastError();
    }
    return status;
  }

  bool IsSameFolder(const std::string& a, const std::string& b) override {
    struct stat sa, sb;
    if (HasNul(a) || HasNul(b)) return false;
    return stat(Resolve(a).c_str(), &sa) == 0 && stat(Resolve(b).c_str(), &sb) == 0 &&
           S_ISDIR(sa.st_mode) && S_ISDIR(sb.st_mode) && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
  }

  std::error_code CheckReplaceable(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    bool missing = false;
    const std::string target = Resolve(path, &missing);
    struct stat st;
    if (!missing && stat(target.c_str(), &st) == 0) {
      if (const std::error_code error = CheckOwnFile(target, st)) return error;
      return CheckWritableFolder(SplitParent(target).first);
    }
    // The folders that would be made are not there to look at; the nearest one that is, is.
    std::string folder = SplitParent(target).first;
    while (stat(folder.c_str(), &st) != 0) {
      if (errno != ENOENT) return LastError();
      std::string parent = SplitParent(folder).first;
      if (parent == folder) return LastError();
      folder = std::move(parent);
    }
    if (!S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::not_a_directory);
    return CheckWritableFolder(folder);
  }

  std::string FoundPath(const std::string& path) override {
    return HasNul(path) ? path : Resolve(path);
  }

  std::error_code KeepCopy(const std::string& from, const std::string& to) override {
    if (HasNul(from) || HasNul(to)) return std::make_error_code(std::errc::invalid_argument);
    const std::string source = Resolve(from);
    auto [parent, name] = SplitParent(to);
    const std::string folder = Resolve(parent);
    if (const std::error_code error = PrepareFolder(folder)) return error;
    const std::string target = Join(folder, name);
    // The link is to the file a link leads to, so that what is kept is its bytes.
    if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      Remember(target);
      return {};
    }
    if (errno != EXDEV && errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) {
      return LastError();
    }
    return CopyDurably(source, folder, target);
  }

  std::error_code RemoveFile(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    const std::string target = Resolve(path);
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      return std::make_error_code(std::errc::is_a_directory);
    }
    if (const std::error_code error = PrepareFolder(SplitParent(target).first)) return error;
    if (unlink(target.c_str()) != 0) return LastError();
    Forget(target);
    return {};
  }

  std::error_code RemoveFolder(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    const std::string target = Resolve(path);
    // The protected folder is refused as well as what lies in it.
    if (const std::error_code error = PrepareFolder(target)) return error;
    if (rmdir(target.c_str()) != 0) {
      if (errno == EEXIST) return std::make_error_code(std::errc::directory_not_empty);
      return LastError();
    }
    Forget(target);
    return {};
  }

  // Adds a file or folder that this file system made to the listing it keeps of its folder.
  void Remember(const std::string& created) {
    auto [parent, name] = SplitParent(created);
    const std::lock_guard lock(mutex_);
    const auto it = listings_.find(FolderKey(parent));
    if (it != listings_.end()) AddName(it->second, name);
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

  // Opens a regular file, or what a link leads to if that is one, for reading. The type is looked
  // at before the open, so that a FIFO or a device is never opened, and after it, so that a file
  // put in its place meanwhile is not read either. Sets errno on failure.
  int OpenRegularFile(const std::string& path, struct stat& st) {
    if (HasNul(path)) {
      // No file can have such a name.
      errno = ENOENT;
      return -1;
    }
    std::string found = path;
    if (stat(found.c_str(), &st) != 0) {
      if (errno != ENOENT) return -1;
      found = Resolve(path);
      if (stat(found.c_str(), &st) != 0) return -1;
    }
    if (!S_ISREG(st.st_mode)) {
      errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
      return -1;
    }
    // Non-blocking all the same: a FIFO swapped in after the look must not hang the run.
    const int fd = open(found.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat opened;
    if (fd >= 0 && (fstat(fd, &opened) != 0 || IdOf(opened) != IdOf(st))) {
      close(fd);
      errno = EBUSY;
      return -1;
    }
    return fd;
  }

  // Why a file that exists may not be replaced, if it may not.
  static std::error_code CheckOwnFile(const std::string& target, const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    // Root may write anything; a file without any write bit is still left alone.
    if ((st.st_mode & 0222) == 0) return std::make_error_code(std::errc::permission_denied);
    // A folder that one may write into does not make its files one's own to write.
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return LastError();
    return {};
  }

  // Why nothing could be written into an existing folder, looked at without writing there.
  std::error_code CheckWritableFolder(const std::string& folder) {
    if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return LastError();
    const std::lock_guard lock(mutex_);
    const auto known = written_folders_.find(FolderKey(folder));
    bool in_protected = known != written_folders_.end() && known->second;
    if (known == written_folders_.end()) {
      if (const std::error_code error = VisitFolder(folder, in_protected, false)) return error;
    }
    return Refusal(in_protected);
  }

  // Copies a file that cannot be linked into a new `target`, on disk before it takes its name.
  std::error_code CopyDurably(const std::string& source, const std::string& folder,
                              const std::string& target) {
    if (Exists(target)) return std::make_error_code(std::errc::file_exists);
    struct stat st;
    const int in = OpenRegularFile(source, st);
    if (in < 0) return LastError();
    std::error_code error;
    const std::unique_ptr<FileWriter> copy =
        StartTemporary(folder, target, std::nullopt, error, /*durable=*/true);
    std::string chunk(64 * 1024, '\0');
    ssize_t got = 0;
    while (copy && (got = read(in, chunk.data(), chunk.size())) > 0) {
      copy->Append(std::string_view(chunk.data(), static_cast<size_t>(got)));
    }
    if (copy && got < 0) error = LastError();
    close(in);
    if (copy && !error) error = copy->Commit();
    return error;
  }

  // Lets go of a removed file or folder in the listings kept.
  void Forget(const std::string& removed) {
    auto [parent, name] = SplitParent(removed);
    const std::lock_guard lock(mutex_);
    listings_.erase(FolderKey(removed));
    written_folders_.erase(FolderKey(removed));
    const auto it = listings_.find(FolderKey(parent));
    if (it != listings_.end()) it->second.erase(name);
  }

  // A new file is made without a name, so that it is never seen half written.
  std::unique_ptr<FileWriter> StartNew(const std::string& folder, const std::string& target,
                                       std::error_code& error) {
    const int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666 & ~umask_);
    // Some file systems (and old kernels) cannot make a file without a name.
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) {
      return StartTemporary(folder, target, std::nullopt, error);
    }
    if (fd < 0) {
      error = LastError();
      return nullptr;
    }
    return std::make_unique<PosixWriter>(*this, fd, target, "", std::nullopt);
  }

  // Starts a temporary named for this process beside the target, with the mode of the file it
  // replaces (`old`) or that of a new file.
  std::unique_ptr<FileWriter> StartTemporary(const std::string& folder, const std::string& target,
                                             std::optional<struct stat> old, std::error_code& error,
                                             bool durable = false) {
    const mode_t mode = old ? old->st_mode & 07777 : 0666 & ~umask_;
    std::string temp;
    int fd;
    do {
      temp = Join(folder, TemporaryName(static_cast<std::uint32_t>(getpid()), ++serial_));
      fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    } while (fd < 0 && errno == EEXIST);
    if (fd < 0) {
      error = LastError();
      return nullptr;
    }
    auto writer = std::make_unique<PosixWriter>(*this, fd, target, temp, old, durable);
    // The umask has cut the create mode; only a mode that it cut needs setting again.
    if ((mode & umask_) != 0 && fchmod(fd, mode) != 0) {
      error = LastError();
      return nullptr;
    }
    return writer;
  }

  // Refuses a folder that lies in the protected one. The first write into a folder also notes
  // its file system for SyncWritten and removes its stale temporaries.
  std::error_code PrepareFolder(const std::string& folder) {
    const std::string key = FolderKey(folder);
    const std::lock_guard lock(mutex_);
    auto known = written_folders_.find(key);
    if (known == written_folders_.end()) {
      bool in_protected = false;
      if (const std::error_code error = VisitFolder(folder, in_protected, true)) return error;
      known = written_folders_.emplace(key, in_protected).first;
    }
    return Refusal(known->second);
  }

  static std::error_code Refusal(bool in_protected) {
    return in_protected ? std::make_error_code(std::errc::permission_denied) : std::error_code{};
  }

  // Finds whether the folder lies in the protected one; one that is `written` into is also noted
  // for SyncWritten and rid of its stale temporaries. Called with mutex_ held.
  std::error_code VisitFolder(const std::string& folder, bool& in_protected, bool written) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return LastError();
    struct stat st;
    const std::error_code error =
        fstat(fd, &st) != 0 ? LastError() : LiesInProtected(fd, IdOf(st), in_protected);
    if (!error && written && synced_.count(st.st_dev) == 0) synced_.emplace(st.st_dev, dup(fd));
    if (error || in_protected || !written) {
      close(fd);
    } else {
      RemoveStaleTemporaries(fd);
    }
    return error;
  }

  // Whether the folder open as `fd`, of identity `id`, is the protected folder or lies below it.
  // Its real parents are followed, not its path, which may have come through links; the answer
  // is kept for every folder met on the way.
  std::error_code LiesInProtected(int fd, FileId id, bool& inside) {
    inside = false;
    if (!protected_) return {};
    std::vector<FileId> met;
    std::error_code error;
    int current = fd;
    for (;;) {
      if (id == *protected_) {
        inside = true;
        break;
      }
      if (const auto seen = folder_ids_.find(id); seen != folder_ids_.end()) {
        inside = seen->second;
        break;
      }
      met.push_back(id);
      const int parent = openat(current, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
      struct stat st;
      if (parent < 0 || fstat(parent, &st) != 0) error = LastError();
      if (current != fd) close(current);
      current = parent;
      if (error || IdOf(st) == id) break;  // the root is its own parent
      id = IdOf(st);
    }
    if (current != fd && current >= 0) close(current);
    if (!error) {
      for (const FileId& folder : met) folder_ids_[folder] = inside;
    }
    return error;
  }

  // The path with each missing component replaced by an existing one that differs only in
  // ASCII case, as far as such components exist; the rest is kept as written. `missing`, if
  // given, is set when the path is known not to exist.
  std::string Resolve(const std::string& path, bool* missing = nullptr) {
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

  bool IsListed(const std::string& folder) {
    const std::lock_guard lock(mutex_);
    return listings_.count(FolderKey(folder)) != 0;
  }

  // The existing name in `folder` that equals `name` but for ASCII case, if there is one. A
  // folder is listed once while its listing is kept; what this file system creates afterwards is
  // added to it.
  std::optional<std::string> FindName(const std::string& folder, const std::string& name) {
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
  std::pair<std::unordered_map<std::string, Names>::iterator, bool> KeepListing(
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
  static void AddName(Names& names, const std::string& name) {
    const auto [it, inserted] = names.insert(name);
    if (!inserted && ListingOrderLess(name, *it)) {
      names.erase(it);
      names.insert(name);
    }
  }

  mode_t umask_;
  std::atomic<unsigned> serial_ = 0;
  std::mutex mutex_;  // guards everything below, which every thread shares
  std::unordered_map<std::string, Names> listings_;
  std::deque<std::string> listed_order_;                   // the keys of listings_, oldest first
  std::optional<FileId> protected_;                        // no write may land in it
  std::unordered_map<std::string, bool> written_folders_;  // folder written into => in protected_
  std::map<FileId, bool> folder_ids_;                      // real folder met => in protected_
  std::map<dev_t, int> synced_;                            // file system written to => a folder
};

std::error_code PosixWriter::Finish() {
  std::error_code status;
  if (temp_.empty()) {
    // The file gets its name only now, whole; the link fails rather than replace a file that
    // appeared meanwhile.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      status = LastError();
    }
  } else {
    // Keep the owner too where the system lets us (root converting a user's folder); anyone
    // else cannot give a file away and has no need to.
    if (old_) {
      [[maybe_unused]] const int kept_owner = fchown(fd_, old_->st_uid, old_->st_gid);
    }
    // On disk before it takes the old content's place, or a power cut could leave neither.
    if (durable_ && fsync(fd_) != 0) status = LastError();
  }
  if (close(fd_) != 0 && !status) status = LastError();
  fd_ = -1;
  if (!status && !temp_.empty()) {
    if (rename(temp_.c_str(), target_.c_str()) != 0) status = LastError();
    if (!status) temp_.clear();
  }
  if (!status && !old_) fs_.Remember(target_);
  return status;
}

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace mirelda
