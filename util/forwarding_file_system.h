// A file system that hands every call to another one: the base of the wrappers that change a few.
#pragma once

#include <memory>
#include <string>
#include <system_error>

#include "util/file_system.h"

namespace mirelda {

/// Passes every call through to `inner`, so that a wrapper overrides only what it changes. A
/// wrapper that changes ReadWholeUpTo changes ReadEachWhole too. ReplaceWhole is left to go through
/// this file system's own StartReplacing, so that a wrapper that changes StartReplacing changes it
/// too.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  std::error_code ReadWholeUpTo(const std::string& path, std::int64_t most,
                                std::string& bytes) override {
    return inner_.ReadWholeUpTo(path, most, bytes);
  }
  void ReadEachWhole(std::span<WholeRead> files) override { inner_.ReadEachWhole(files); }
  bool CanOpenForReading(const std::string& path) override {
    return inner_.CanOpenForReading(path);
  }
  bool IsFolder(const std::string& path) override { return inner_.IsFolder(path); }
  std::error_code MakeFolder(const std::string& path) override { return inner_.MakeFolder(path); }
  std::error_code ListFolder(const std::string& path, FolderEntries& entries) override {
    return inner_.ListFolder(path, entries);
  }
  std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                             std::error_code& error) override {
    return inner_.StartReplacing(path, error);
  }
  void BeginRun(const std::string& protected_folder) override { inner_.BeginRun(protected_folder); }
  void EndRun() override { inner_.EndRun(); }
  std::error_code SyncWritten() override { return inner_.SyncWritten(); }
  bool IsSameFolder(const std::string& a, const std::string& b) override {
    return inner_.IsSameFolder(a, b);
  }
  std::error_code CheckReplaceable(const std::string& path) override {
    return inner_.CheckReplaceable(path);
  }
  std::string FoundPath(const std::string& path) override { return inner_.FoundPath(path); }
  std::error_code KeepCopy(const std::string& from, const std::string& to) override {
    return inner_.KeepCopy(from, to);
  }
  std::error_code RemoveFile(const std::string& path) override { return inner_.RemoveFile(path); }
  std::error_code RemoveFolder(const std::string& path) override {
    return inner_.RemoveFolder(path);
  }

 protected:
  FileSystem& inner() { return inner_; }

 private:
  FileSystem& inner_;
};

}  // namespace mirelda
