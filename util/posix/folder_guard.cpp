// Keeping writes out of the protected folder, whatever links lead there.
#include "util/posix/folder_guard.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "util/path.h"

namespace mirelda::posix {
namespace {

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

std::error_code Refusal(bool in_protected) {
  return in_protected ? std::make_error_code(std::errc::permission_denied) : std::error_code{};
}

}  // namespace

FolderGuard::~FolderGuard() { EndRun(); }

void FolderGuard::EndRun() {
  const std::lock_guard lock(mutex_);
  for (const auto& [device, fd] : synced_) close(fd);
  synced_.clear();
}

void FolderGuard::BeginRun(std::optional<FileId> protected_id) {
  const std::lock_guard lock(mutex_);
  protected_ = protected_id;
  written_folders_.clear();
  folder_ids_.clear();
}

std::error_code FolderGuard::PrepareFolder(const std::string& folder) {
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

std::error_code FolderGuard::CheckWritableFolder(const std::string& folder) {
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return LastError();
  const std::lock_guard lock(mutex_);
  const auto known = written_folders_.find(FolderKey(folder));
  bool in_protected = known != written_folders_.end() && known->second;
  if (known == written_folders_.end()) {
    if (const std::error_code error = VisitFolder(folder, in_protected, false)) return error;
  }
  return Refusal(in_protected);
}

void FolderGuard::KnowMade(const std::string& folder) {
  const std::lock_guard lock(mutex_);
  written_folders_.emplace(FolderKey(folder), false);
}

void FolderGuard::Forget(const std::string& removed) {
  const std::lock_guard lock(mutex_);
  written_folders_.erase(FolderKey(removed));
}

std::error_code FolderGuard::SyncWritten() {
  const std::lock_guard lock(mutex_);
  std::error_code status;
  for (const auto& [device, fd] : synced_) {
    const std::error_code error = SyncFileSystem(fd);
    if (!status) status = error;
  }
  return status;
}

// Finds whether the folder lies in the protected one; one that is `written` into is also noted
// for SyncWritten and rid of its stale temporaries. Called with mutex_ held.
std::error_code FolderGuard::VisitFolder(const std::string& folder, bool& in_protected,
                                         bool written) {
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
// Its real parents are followed, not its path, which may have come through links; the answer is
// kept for every folder met on the way.
std::error_code FolderGuard::LiesInProtected(int fd, FileId id, bool& inside) {
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
    const int parent = OpenParentFolder(current);
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

}  // namespace mirelda::posix
