// The shared pieces of the POSIX file system, and the Linux-only calls with their fallbacks.
#include "util/posix/system.h"

#include <dirent.h>
#include <fcntl.h>

#include <atomic>

namespace mirelda::posix {

std::string FolderKey(std::string_view path) {
  std::string key;
  if (path.find("//") == std::string_view::npos) {
    key = path;
  } else {
    key.reserve(path.size());
    for (char c : path) {
      if (c != '/' || key.empty() || key.back() != '/') key.push_back(c);
    }
  }
  if (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

ShortHoldMutex::ShortHoldMutex() {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
#ifdef PTHREAD_ADAPTIVE_MUTEX_INITIALIZER_NP
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
#endif
  pthread_mutex_init(&mutex_, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

std::pair<std::string, std::string> SplitParent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return {".", std::string(path)};
  return {std::string(path.substr(0, slash == 0 ? 1 : slash)), std::string(path.substr(slash + 1))};
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder == ".") return name;
  return folder.back() == '/' ? folder + name : folder + '/' + name;
}

std::error_code ListNames(
    int fd, const std::function<void(std::string_view, unsigned char)>& name_and_type) {
#ifdef __linux__
  // Straight from the kernel: a directory stream would cost calls of its own on every folder.
  alignas(dirent64) char buffer[32 * 1024];
  for (;;) {
    const ssize_t got = getdents64(fd, buffer, sizeof buffer);
    if (got < 0) return LastError();
    if (got == 0) return {};
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      name_and_type(entry->d_name, entry->d_type);
      at += entry->d_reclen;
    }
  }
#else
  DIR* dir = fdopendir(dup(fd));
  if (dir == nullptr) return LastError();
  errno = 0;
  while (const dirent* entry = readdir(dir)) name_and_type(entry->d_name, entry->d_type);
  const std::error_code status = errno != 0 ? LastError() : std::error_code{};
  closedir(dir);
  return status;
#endif
}

std::error_code WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = write(fd, bytes.data(), bytes.size());
    if (put < 0) return LastError();
    bytes.remove_prefix(static_cast<size_t>(put));
  }
  return {};
}

int OpenUnnamedFile(int at, const char* folder, mode_t mode) {
#ifdef O_TMPFILE
  const int fd = openat(at, folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  // Old kernels take O_TMPFILE for O_DIRECTORY and say so with EISDIR.
  if (fd < 0 && errno == EISDIR) errno = EOPNOTSUPP;
  return fd;
#else
  (void)at;
  (void)folder;
  (void)mode;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

std::error_code LinkUnnamedFile(int fd, int at, const char* name) {
#ifdef AT_EMPTY_PATH
  // By its descriptor where the process may (a privilege on most kernels): the cheapest way, and
  // one that needs no /proc. Refused once, it is not tried again.
  static std::atomic<bool> by_descriptor = true;
  if (by_descriptor) {
    if (linkat(fd, "", at, name, AT_EMPTY_PATH) == 0) return {};
    if (errno != ENOENT && errno != EPERM) return LastError();
    by_descriptor = false;
  }
#endif
  // The descriptor's entry in /proc needs no privilege.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (linkat(AT_FDCWD, self.c_str(), at, name, AT_SYMLINK_FOLLOW) != 0) {
    return LastError();
  }
  return {};
}

int OpenParentFolder(int fd) {
#ifdef O_PATH
  return openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
  return openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
}

std::error_code SyncFileSystem(int fd) {
#ifdef __linux__
  if (syncfs(fd) != 0) return LastError();
#else
  (void)fd;
  sync();
#endif
  return {};
}

}  // namespace mirelda::posix
