// Fixture folders, a recording report sink and a file system with injected faults.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "run/run.h"
#include "util/forwarding_file_system.h"
#include "util/path.h"

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

/// A path written with '/', in the platform's separator. "a/b" => "a\\b" on Windows.
std::string P(std::string path);

/// Writes a file (making its folders) with exactly these bytes.
void WriteBytes(const std::string& path, const std::string& bytes);
/// The file's bytes; "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
#ifndef _WIN32
/// Runs `step` in a child process as the unprivileged user nobody, as most people run the
/// program: 1 when it gives true, 0 when it gives false, -1 when the child could not become
/// nobody or did not end. The tests run as root; `folder` is opened to everyone first.
int AsNobody(const std::string& folder, const std::function<bool()>& step);
/// How many descriptors the process has open.
std::size_t OpenDescriptors();
#endif

/// Files by relative path with '/', with their bytes.
using Files = std::map<std::string, std::string>;
/// Every file under `folder`.
Files Snapshot(const std::string& folder);
/// Every file under a Live2ch folder but for the backups.
Files Live2chSnapshot(const std::string& folder);

/// A Katjusha thread index of 18 fields, each its own number but for the title (3), host (4),
/// board (5) and key (6), with `flag` in field 1 and CR LF at the end.
std::string KatjushaIndex(const std::string& host, const std::string& board, const std::string& key,
                          const std::string& flag = "0");

/// The Live2ch line of KatjushaIndex(host, board, key, ...), with `flag` as its flag field.
std::string Live2chIndex(const std::string& host, const std::string& board, const std::string& key,
                         char flag = '0');

/// UTF-8 text encoded in code page 932.
std::string Sjis(const std::string& text);

/// Owns a native file system, as a base, so that it is made before the wrapper that uses it.
struct NativeFileSystemHolder {
  std::unique_ptr<FileSystem> native_ = MakeNativeFileSystem();
};

/// The native file system with failures injected where a predicate of the path says so.
class FaultyFileSystem final : private NativeFileSystemHolder, public ForwardingFileSystem {
 public:
  FaultyFileSystem() : ForwardingFileSystem(*native_) {}

  std::function<bool(const std::string&)> fail_read = [](const std::string&) { return false; };
  std::function<bool(const std::string&)> fail_list = [](const std::string&) { return false; };
  std::function<bool(const std::string&)> fail_write = [](const std::string&) { return false; };
  std::function<bool(const std::string&)> fail_keep = [](const std::string&) { return false; };
  /// Runs after a file has been kept, before it is replaced.
  std::function<void(const std::string&)> after_keep = [](const std::string&) {};
  /// Runs before each folder is made, as another program might.
  std::function<void(const std::string&)> before_make = [](const std::string&) {};
  bool fail_sync = false;
  bool backward_listings = false;  ///< lists each folder in the reverse of Explorer's order
  std::vector<std::string> made;   ///< every folder it was asked to make

  std::error_code MakeFolder(const std::string& path) override {
    made.push_back(path);
    before_make(path);
    return ForwardingFileSystem::MakeFolder(path);
  }
  std::error_code ReadWholeUpTo(const std::string& path, std::int64_t most,
                                std::string& bytes) override {
    if (fail_read(path)) return std::make_error_code(std::errc::permission_denied);
    return ForwardingFileSystem::ReadWholeUpTo(path, most, bytes);
  }
  void ReadEachWhole(std::span<WholeRead> files) override {
    // Those that do not fail are read together, as the file system beneath reads them.
    std::vector<WholeRead> passed;
    for (WholeRead& file : files) {
      file.error = fail_read(file.path) ? std::make_error_code(std::errc::permission_denied)
                                        : std::error_code{};
      if (!file.error) passed.push_back({file.path, file.most, {}, {}});
    }
    ForwardingFileSystem::ReadEachWhole(passed);
    auto next = passed.begin();
    for (WholeRead& file : files) {
      if (!file.error) file = std::move(*next++);
    }
  }
  std::error_code ListFolder(const std::string& path, FolderEntries& entries) override {
    if (fail_list(path)) return std::make_error_code(std::errc::permission_denied);
    const std::error_code error = ForwardingFileSystem::ListFolder(path, entries);
    if (backward_listings) {
      const auto later_first = [](const std::string& a, const std::string& b) {
        return ListingOrderLess(b, a);
      };
      std::sort(entries.files.begin(), entries.files.end(), later_first);
      std::sort(entries.folders.begin(), entries.folders.end(), later_first);
    }
    return error;
  }
  std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                             std::error_code& error) override {
    if (!fail_write(path)) return ForwardingFileSystem::StartReplacing(path, error);
    error = std::make_error_code(std::errc::no_space_on_device);
    return nullptr;
  }
  std::error_code SyncWritten() override {
    return fail_sync ? std::make_error_code(std::errc::io_error)
                     : ForwardingFileSystem::SyncWritten();
  }
  std::error_code KeepCopy(const std::string& from, const std::string& to) override {
    if (fail_keep(to)) return std::make_error_code(std::errc::no_space_on_device);
    const std::error_code error = ForwardingFileSystem::KeepCopy(from, to);
    after_keep(to);
    return error;
  }
};

/// A report sink that keeps everything it is told; it asks the run to stop at its `stop_at`th
/// chance to.
class RecordingReport final : public RunReport {
 public:
  std::vector<std::string> lines, messages, failures, progress;
  int events = 0;
  int stop_at = -1;

  void AddLine(const std::string& line) override { lines.push_back(line); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ExplainFailure(const std::string& path, std::error_code) override {
    failures.push_back(path);
  }
  bool ShouldGoOn() override { return ++events != stop_at; }
  void ShowProgress(const IndexProgress& p) override {
    const std::string total = p.total ? std::to_string(*p.total) : "?";
    progress.push_back(p.finished ? "end" : std::to_string(p.done) + "/" + total);
  }
};

/// The kinds named as mirelda-cli's --kinds names them. "fav,brd" => favourites, board buttons.
KindSet Kinds(const std::string& names);

/// A Katjusha folder "k" and a Live2ch folder "l", each holding its program, and a run over them.
class FolderPair : public ::testing::Test {
 protected:
  FolderPair() {
    WriteBytes(katjusha_ + "Katjusha.exe", "");
    WriteBytes(live2ch_ + "live2ch.exe", "");
  }

  /// Writes a file under the Katjusha or the Live2ch folder; `text` is encoded in CP932.
  void Katjusha(const std::string& relative, const std::string& text) {
    WriteBytes(dir_.Path("k/" + relative), Sjis(text));
  }
  void Live2ch(const std::string& relative, const std::string& text) {
    WriteBytes(dir_.Path("l/" + relative), Sjis(text));
  }
  /// The bytes of a file under the Live2ch folder; "<missing>" when there is none.
  std::string Live2ch(const std::string& relative) const {
    return ReadBytes(dir_.Path("l/" + relative));
  }

  /// Runs the conversion of `kinds` and checks that the Katjusha folder is left as it was.
  RunOutcome Run(const std::string& kinds, int jobs = kDefaultJobs);
  /// What the converters logged: the run's lines without its opening and closing ones.
  std::vector<std::string> ConverterLines() const;
  bool Logged(const std::string& line) const;

  bool dry_run_ = false;  ///< whether Run writes nothing
  TempDir dir_;
  const std::string katjusha_ = dir_.Path("k/");
  const std::string live2ch_ = dir_.Path("l/");
  RecordingReport report_;
  FaultyFileSystem fs_;
};

}  // namespace mirelda::test
