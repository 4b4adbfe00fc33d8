// Katjusha's folder as Katjusha itself sees it when Windows keeps its writes in the VirtualStore.
#pragma once

#include <optional>
#include <string>

#include "util/forwarding_file_system.h"

namespace mirelda {

/// The files of `folder` as a program installed there sees them: each one read from the
/// folder's counterpart `store` (VirtualStoreOf) where it is there, from the folder otherwise,
/// and a listing holding the names of both. Nothing is written, made or removed in `store`,
/// however a path reaches it. With an empty `store` every call is passed on unchanged.
class VirtualStoreFileSystem final : public ForwardingFileSystem {
 public:
  /// Both folders end in the separator.
  VirtualStoreFileSystem(FileSystem& inner, std::string folder, std::string store)
      : ForwardingFileSystem(inner), folder_(std::move(folder)), store_(std::move(store)) {}

  std::error_code ReadWholeUpTo(const std::string& path, std::int64_t most,
                                std::string& bytes) override;
  void ReadEachWhole(std::span<WholeRead> files) override;
  bool CanOpenForReading(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  std::error_code ListFolder(const std::string& path, FolderEntries& entries) override;
  std::error_code MakeFolder(const std::string& path) override;
  std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                             std::error_code& error) override;
  std::error_code CheckReplaceable(const std::string& path) override;
  std::error_code KeepCopy(const std::string& from, const std::string& to) override;
  std::error_code RemoveFile(const std::string& path) override;
  std::error_code RemoveFolder(const std::string& path) override;

 private:
  // The counterpart of a path in the folder; none for a path elsewhere.
  std::optional<std::string> Stored(const std::string& path) const;
  // Whether the path lies in the store, by its text or through a link or junction.
  bool LandsInStore(const std::string& path);

  const std::string folder_;
  const std::string store_;
};

}  // namespace mirelda
