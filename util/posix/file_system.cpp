// The file system on POSIX: reads of regular files only (file_reader), and replacing writes
// (file_writer) that keep out of a protected folder (folder_guard), over Windows-like name lookup
// that ignores ASCII case when the exact name is missing (name_resolver).
#include "util/file_system.h"

#include <dirent.h>
#include <fcntl.h>

#include <vector>

#include "util/posix/file_reader.h"
#include "util/posix/file_writer.h"
#include "util/posix/folder_guard.h"
#include "util/posix/name_resolver.h"
#include "util/posix/system.h"

namespace mirelda {
namespace {

using namespace posix;

// Makes the names in a folder durable, so that a file named there survives a power cut.
std::error_code SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return LastError();
  const std::error_code error = fsync(fd) == 0 ? std::error_code{} : LastError();
  close(fd);
  return error;
}

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem() = default;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  std::error_code ReadWholeUpTo(const std::string& path, std::int64_t most,
                                std::string& bytes) override {
    return readers_.ReadUpTo(path, most, bytes);
  }
  void ReadEachWhole(std::span<WholeRead> files) override { readers_.ReadEach(files); }

  bool CanOpenForReading(const std::string& path) override {
    std::optional<struct stat> looked;
    const int fd = readers_.Open(path, /*verify=*/true, looked);
    if (fd < 0) return false;
    close(fd);
    return true;
  }

  bool IsFolder(const std::string& path) override {
    if (HasNul(path)) return false;
    const Found found = names_.Find(path);
    if (found.missing || found.type == DT_DIR) return !found.missing;
    struct stat st;
    return fstatat(found.at(), found.relative(), &st, 0) == 0 && S_ISDIR(st.st_mode);
  }

  std::error_code MakeFolder(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    auto [parent, name] = SplitParent(path);
    const std::string folder = names_.Resolve(parent);
    if (const std::error_code error = guard_.PrepareFolder(folder)) return error;
    const std::string target = Join(folder, name);
    if (mkdir(target.c_str(), 0777) != 0) {
      // Another program may have made it meanwhile: it is known to be there from now on.
      if (errno == EEXIST) names_.Remember(target, DT_UNKNOWN);
      return LastError();
    }
    names_.Remember(target, DT_DIR);
    names_.KnowEmpty(path, target);
    guard_.KnowMade(target);
    return {};
  }

  std::error_code ListFolder(const std::string& path, FolderEntries& entries) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    std::vector<std::string> others;  // links and names of unknown type
    const std::shared_ptr<Folder> folder =
        names_.List(path, [&](std::string_view name, unsigned char type) {
          if (type == DT_REG) {
            entries.files.emplace_back(name);
          } else if (type == DT_DIR) {
            entries.folders.emplace_back(name);
          } else {
            others.emplace_back(name);
          }
        });
    if (!folder) {
      if (errno == ENOTDIR) return std::make_error_code(std::errc::no_such_file_or_directory);
      return LastError();
    }
    for (const std::string& name : others) {
      // Links count by what they point to, but a link to a folder is never descended into.
      struct stat st;
      if (fstatat(folder->fd, name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode)) {
        entries.files.push_back(name);
      } else if (fstatat(folder->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                 S_ISDIR(st.st_mode)) {
        entries.folders.push_back(name);
      }
    }
    return {};
  }

  std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                             std::error_code& error) override {
    error.clear();
    if (HasNul(path)) {
      error = std::make_error_code(std::errc::invalid_argument);
      return nullptr;
    }
    const Found target = names_.Find(path);
    const std::string folder = target.folder ? target.folder->path : SplitParent(target.path).first;
    if ((error = guard_.PrepareFolder(folder))) return nullptr;
    struct stat st;
    if (target.missing || fstatat(target.at(), target.relative(), &st, 0) != 0) {
      return writers_.StartNew(folder, target, error);
    }
    if ((error = FileWriters::CheckOwnFile(target.path, st))) return nullptr;
    return writers_.StartTemporary(folder, target.path, st, error);
  }

  void BeginRun(const std::string& folder) override {
    struct stat st;
    // A folder that is gone has nothing left in it to protect.
    const bool exists = !HasNul(folder) && stat(names_.Resolve(folder).c_str(), &st) == 0;
    guard_.BeginRun(exists ? std::optional(IdOf(st)) : std::nullopt);
    // A new run starts here: the folders may have changed since the last one looked.
    names_.Clear();
    names_.TrustListings(true);
  }

  void EndRun() override {
    guard_.EndRun();
    readers_.Release();
    names_.Clear();
    names_.TrustListings(false);
  }

  std::error_code SyncWritten() override { return guard_.SyncWritten(); }

  bool IsSameFolder(const std::string& a, const std::string& b) override {
    struct stat sa, sb;
    if (HasNul(a) || HasNul(b)) return false;
    return stat(names_.Resolve(a).c_str(), &sa) == 0 && stat(names_.Resolve(b).c_str(), &sb) == 0 &&
           S_ISDIR(sa.st_mode) && S_ISDIR(sb.st_mode) && IdOf(sa) == IdOf(sb);
  }

  std::error_code CheckReplaceable(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    bool missing = false;
    const std::string target = names_.Resolve(path, &missing);
    struct stat st;
    if (!missing && stat(target.c_str(), &st) == 0) {
      if (const std::error_code error = FileWriters::CheckOwnFile(target, st)) return error;
      return guard_.CheckWritableFolder(SplitParent(target).first);
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
    return guard_.CheckWritableFolder(folder);
  }

  std::string FoundPath(const std::string& path) override {
    return HasNul(path) ? path : names_.Resolve(path);
  }

  std::error_code KeepCopy(const std::string& from, const std::string& to) override {
    if (HasNul(from) || HasNul(to)) return std::make_error_code(std::errc::invalid_argument);
    const std::string source = names_.Resolve(from);
    auto [parent, name] = SplitParent(to);
    const std::string folder = names_.Resolve(parent);
    if (const std::error_code error = guard_.PrepareFolder(folder)) return error;
    const std::string target = Join(folder, name);
    // The link is to the file a link leads to, so that what is kept is its bytes.
    if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      names_.Remember(target, DT_REG);
      return {};
    }
    if (errno != EXDEV && errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) {
      return LastError();
    }
    return CopyDurably(source, folder, target);
  }

  std::error_code RemoveFile(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    const std::string target = names_.Resolve(path);
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      return std::make_error_code(std::errc::is_a_directory);
    }
    if (const std::error_code error = guard_.PrepareFolder(SplitParent(target).first)) {
      return error;
    }
    if (unlink(target.c_str()) != 0) return LastError();
    Forget(target);
    return {};
  }

  std::error_code RemoveFolder(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    const std::string target = names_.Resolve(path);
    // The protected folder is refused as well as what lies in it.
    if (const std::error_code error = guard_.PrepareFolder(target)) return error;
    if (rmdir(target.c_str()) != 0) {
      if (errno == EEXIST) return std::make_error_code(std::errc::directory_not_empty);
      return LastError();
    }
    Forget(target);
    return {};
  }

 private:
  // Copies a file that cannot be linked into a new `target`, on disk before it takes its name.
  std::error_code CopyDurably(const std::string& source, const std::string& folder,
                              const std::string& target) {
    struct stat st;
    if (lstat(target.c_str(), &st) == 0) return std::make_error_code(std::errc::file_exists);
    std::optional<struct stat> looked;
    const int in = readers_.Open(source, /*verify=*/true, looked);
    if (in < 0) return LastError();
    std::error_code error;
    const std::unique_ptr<FileWriter> copy =
        writers_.StartTemporary(folder, target, std::nullopt, error, /*durable=*/true);
    std::string chunk(64 * 1024, '\0');
    ssize_t got = 0;
    while (copy && (got = read(in, chunk.data(), chunk.size())) > 0) {
      copy->Append(std::string_view(chunk.data(), static_cast<size_t>(got)));
    }
    if (copy && got < 0) error = LastError();
    close(in);
    if (copy && !error) error = copy->Commit();
    // The copy keeps a file that is about to be replaced: its name, in a folder that the backup
    // may just have made, must be on disk with its bytes.
    if (copy && !error) error = SyncFolder(folder);
    return error;
  }

  // Lets go of a removed file or folder in what is kept of the folders.
  void Forget(const std::string& removed) {
    names_.Forget(removed);
    guard_.Forget(removed);
  }

  NameResolver names_;
  FolderGuard guard_;
  FileWriters writers_{names_};
  FileReaders readers_{names_};
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace mirelda
