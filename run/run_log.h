// The log of a run as it is saved beside its backup, and the failures it repeats at its end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "convert/report.h"
#include "util/file_system.h"

namespace mirelda {

/// The saved log's name, in the run's backup folder.
inline constexpr std::string_view kLogName = "mirelda-log.txt";

/// How much of a log is saved: a damaged list can make millions of lines, and nobody reads
/// beyond this. Failure lines are saved whatever the size.
inline constexpr std::size_t kSavedLogLimit = std::size_t{64} << 20;

/// Passes everything on to another report and keeps the log on the way: the lines up to `limit`
/// bytes, then only the failure lines and a count of the others.
class RunLog final : public RunReport {
 public:
  explicit RunLog(RunReport& inner, std::size_t limit = kSavedLogLimit)
      : inner_(inner), limit_(limit) {}

  void AddLine(const std::string& line) override;
  void AddFailureLine(const std::string& line) override;
  void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }
  void ExplainFailure(const std::string& path, std::error_code reason) override {
    inner_.ExplainFailure(path, reason);
  }
  bool ShouldGoOn() override { return inner_.ShouldGoOn(); }
  void ShowProgress(const IndexProgress& progress) override { inner_.ShowProgress(progress); }

  /// Logs "失敗した項目：" and every failure line again, when there was one, so that no bound
  /// on a log box can hide one.
  void RepeatFailures();

  /// Writes the kept log to `path` in one step: UTF-8 with a byte-order mark and CR LF line
  /// ends, which Notepad opens as it is, with a last line that tells how many lines were left
  /// out, when some were.
  std::error_code Save(FileSystem& fs, const std::string& path) const;

  /// Saves the log as kLogName in a run's backup folder ("…/mirelda-backup/STAMP/"), on disk
  /// before it returns, as the backup beside it is.
  std::error_code SaveInto(FileSystem& fs, const std::string& backup_folder) const;

  /// How many failure lines the log holds.
  std::size_t failure_count() const { return failures_.size(); }

 private:
  void Keep(const std::string& line, bool failure);
  void Repeat(const std::string& line);

  RunReport& inner_;
  const std::size_t limit_;
  std::string text_;          // the kept lines, each ending in CR LF
  std::size_t left_out_ = 0;  // lines beyond the limit that were not kept
  std::vector<std::string> failures_;
};

}  // namespace mirelda
