// Katjusha's folder as Katjusha itself sees it when Windows keeps its writes in the VirtualStore.
#include "util/virtual_store_file_system.h"

#include <set>

#include "util/path.h"

namespace mirelda {
namespace {

std::error_code Refused() { return std::make_error_code(std::errc::permission_denied); }

// Adds the names of `more` that `names` lacks in any case.
void AddMissing(std::vector<std::string>& names, const std::vector<std::string>& more) {
  std::set<std::string> known;
  for (const std::string& name : names) known.insert(ToLowerAscii(name));
  for (const std::string& name : more) {
    if (known.insert(ToLowerAscii(name)).second) names.push_back(name);
  }
}

}  // namespace

std::optional<std::string> VirtualStoreFileSystem::Stored(const std::string& path) const {
  if (store_.empty()) return {};
  const std::string lower = ToLowerAscii(path);
  const std::string folder = ToLowerAscii(folder_);
  if (lower.starts_with(folder)) return store_ + path.substr(folder_.size());
  if (lower + kSep == folder) return store_;  // the folder itself, without its separator
  return {};
}

bool VirtualStoreFileSystem::LandsInStore(const std::string& path) {
  if (store_.empty()) return false;
  if (ToLowerAscii(path).starts_with(ToLowerAscii(store_))) return true;
  for (size_t end = path.find_last_of(kSeparators); end != std::string::npos && end > 0;
       end = path.find_last_of(kSeparators, end - 1)) {
    if (inner().IsSameFolder(path.substr(0, end + 1), store_)) return true;
  }
  return false;
}

std::error_code VirtualStoreFileSystem::ReadWholeUpTo(const std::string& path, std::int64_t most,
                                                      std::string& bytes) {
  const auto stored = Stored(path);
  if (stored && inner().CanOpenForReading(*stored)) {
    return inner().ReadWholeUpTo(*stored, most, bytes);
  }
  return inner().ReadWholeUpTo(path, most, bytes);
}

void VirtualStoreFileSystem::ReadEachWhole(std::span<WholeRead> files) {
  if (store_.empty()) {
    inner().ReadEachWhole(files);
  } else {
    FileSystem::ReadEachWhole(files);  // each from wherever the program would read it
  }
}

bool VirtualStoreFileSystem::CanOpenForReading(const std::string& path) {
  const auto stored = Stored(path);
  return (stored && inner().CanOpenForReading(*stored)) || inner().CanOpenForReading(path);
}

bool VirtualStoreFileSystem::IsFolder(const std::string& path) {
  const auto stored = Stored(path);
  return inner().IsFolder(path) || (stored && inner().IsFolder(*stored));
}

std::error_code VirtualStoreFileSystem::ListFolder(const std::string& path,
                                                   FolderEntries& entries) {
  const std::error_code error = inner().ListFolder(path, entries);
  const auto stored = Stored(path);
  FolderEntries more;
  if (!stored || inner().ListFolder(*stored, more)) return error;
  if (error) entries = {};
  AddMissing(entries.files, more.files);
  AddMissing(entries.folders, more.folders);
  return {};
}

std::error_code VirtualStoreFileSystem::MakeFolder(const std::string& path) {
  return LandsInStore(path) ? Refused() : inner().MakeFolder(path);
}

std::unique_ptr<FileWriter> VirtualStoreFileSystem::StartReplacing(const std::string& path,
                                                                   std::error_code& error) {
  if (!LandsInStore(path)) return inner().StartReplacing(path, error);
  error = Refused();
  return nullptr;
}

std::error_code VirtualStoreFileSystem::CheckReplaceable(const std::string& path) {
  return LandsInStore(path) ? Refused() : inner().CheckReplaceable(path);
}

std::error_code VirtualStoreFileSystem::KeepCopy(const std::string& from, const std::string& to) {
  return LandsInStore(to) ? Refused() : inner().KeepCopy(from, to);
}

std::error_code VirtualStoreFileSystem::RemoveFile(const std::string& path) {
  return LandsInStore(path) ? Refused() : inner().RemoveFile(path);
}

std::error_code VirtualStoreFileSystem::RemoveFolder(const std::string& path) {
  return LandsInStore(path) ? Refused() : inner().RemoveFolder(path);
}

}  // namespace mirelda
