// Writers whose file takes its name only whole, and on disk first where it replaces another.
#include "util/posix/file_writer.h"

#include <dirent.h>
#include <fcntl.h>

#include "util/path.h"

namespace mirelda::posix {
namespace {

// A file being written: a new one without a name, linked under its own once committed, or a
// temporary named for this process beside the file it replaces, renamed over it.
class PosixWriter final : public FileWriter {
 public:
  // `temp` is empty for a file without a name; `old` is the file replaced, if there is one. A
  // replacing or `durable` file is on disk before it takes its name.
  PosixWriter(NameResolver& names, int fd, Found target, std::string temp,
              std::optional<struct stat> old, bool durable = false)
      : names_(names),
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

  NameResolver& names_;
  int fd_;
  const Found target_;  // holds its folder open while it is written
  std::string temp_;    // still to be removed while not empty
  const std::optional<struct stat> old_;
  const bool durable_;
};

std::error_code PosixWriter::Finish() {
  std::error_code status;
  if (temp_.empty()) {
    // The file gets its name only now, whole; the link fails rather than replace a file that
    // appeared meanwhile.
    status = LinkUnnamedFile(fd_, target_.at(), target_.relative());
    // Taken meanwhile by another program: the name is known to be there from now on.
    if (status == std::errc::file_exists) names_.Remember(target_.path, DT_UNKNOWN);
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
    if (rename(temp_.c_str(), target_.path.c_str()) != 0) status = LastError();
    if (!status) temp_.clear();
  }
  if (!status && !old_) names_.Remember(target_.path, DT_REG);
  return status;
}

}  // namespace

FileWriters::FileWriters(NameResolver& names) : names_(names) {
  umask_ = umask(0);
  umask(umask_);
}

std::unique_ptr<FileWriter> FileWriters::StartNew(const std::string& folder, const Found& target,
                                                  std::error_code& error) {
  const int fd = target.folder ? OpenUnnamedFile(target.folder->fd, ".", 0666 & ~umask_)
                               : OpenUnnamedFile(AT_FDCWD, folder.c_str(), 0666 & ~umask_);
  // Some file systems (and old kernels) cannot make a file without a name.
  if (fd < 0 && errno == EOPNOTSUPP) {
    return StartTemporary(folder, target.path, std::nullopt, error);
  }
  if (fd < 0) {
    error = LastError();
    return nullptr;
  }
  return std::make_unique<PosixWriter>(names_, fd, target, "", std::nullopt);
}

std::unique_ptr<FileWriter> FileWriters::StartTemporary(const std::string& folder,
                                                        const std::string& target,
                                                        std::optional<struct stat> old,
                                                        std::error_code& error, bool durable) {
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
  Found named;
  named.path = target;
  auto writer = std::make_unique<PosixWriter>(names_, fd, std::move(named), temp, old, durable);
  // The umask has cut the create mode; only a mode that it cut needs setting again.
  if ((mode & umask_) != 0 && fchmod(fd, mode) != 0) {
    error = LastError();
    return nullptr;
  }
  return writer;
}

std::error_code FileWriters::CheckOwnFile(const std::string& target, const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  // Root may write anything; a file without any write bit is still left alone.
  if ((st.st_mode & 0222) == 0) return std::make_error_code(std::errc::permission_denied);
  // A folder that one may write into does not make its files one's own to write.
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return LastError();
  return {};
}

}  // namespace mirelda::posix
