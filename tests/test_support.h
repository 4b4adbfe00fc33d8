// Fixture folders and a recording front end for the engine's tests.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/frontend.h"
#include "util/file_system.h"

namespace mirelda::test {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  /// The folder's path followed by `relative` ('/' turned into the platform separator).
  std::string Path(const std::string& relative = "") const;

 private:
  std::string root_;
};

/// Writes a file (making its folders) with exactly these bytes.
void WriteBytes(const std::string& path, const std::string& bytes);
/// The file's bytes; "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
/// Every file under `folder`, by relative path with '/', with its bytes (its size from 1 MiB on).
std::map<std::string, std::string> Snapshot(const std::string& folder);

/// A Katjusha thread index line of 18 fields: flag in field 1, title 3, host 4, board 5, key 6.
std::string KatjuIndex(const std::string& host, const std::string& board, const std::string& key,
                       const std::string& flag = "0");
/// The Live2ch line that KatjuIndex(host, board, key, flag) converts to.
std::string LiveIndex(const std::string& host, const std::string& board, const std::string& key,
                      const std::string& flag = "0");

/// UTF-8 text encoded in code page 932.
std::string Sjis(const std::string& text);

/// The native file system with failures injected where a predicate of the path says so.
class FaultyFileSystem : public FileSystem {
 public:
  std::function<bool(const std::string&)> fail_list = [](const std::string&) { return false; };
  std::function<bool(const std::string&)> fail_write = [](const std::string&) { return false; };

  std::int64_t ReadWhole(const std::string& path, std::string& bytes) override;
  bool CanOpenForReading(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  std::error_code MakeFolder(const std::string& path) override;
  std::error_code ListFolder(const std::string& path, FolderEntries& entries) override;
  std::error_code ReplaceWhole(const std::string& path, std::string_view bytes) override;
  bool IsSameFolder(const std::string& a, const std::string& b) override;

 private:
  std::unique_ptr<FileSystem> real_ = MakeNativeFileSystem();
};

/// A front end that keeps what the run does to it.
class RecordingFrontend : public Frontend {
 public:
  std::string katju, live;
  std::vector<int> ticks{1, 1, 1, 1, 1, 0};
  std::vector<std::string> lines, messages;
  bool start_enabled = true;
  int events = 0;

  std::string KatjuFolder() override { return katju; }
  void SetKatjuFolder(const std::string& text) override { katju = text; }
  std::string LiveFolder() override { return live; }
  void SetLiveFolder(const std::string& text) override { live = text; }
  int CheckValue(Choice choice) override { return ticks[static_cast<size_t>(choice)]; }
  void DisableStart() override { start_enabled = false; }
  void AddText(const std::string& line) override { lines.push_back(line); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ProcessEvents() override { ++events; }
};

}  // namespace mirelda::test
