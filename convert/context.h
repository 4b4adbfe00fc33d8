// What every converter works with: the two folders, the data files, the report sink, the run's
// failure count, and the Live2ch files being written.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "convert/report.h"
#include "util/find_files.h"
#include "util/text_file.h"

namespace mirelda {

/// Thrown between two files when the user has asked for the run to stop; the run catches it.
struct RunStopped {};

/// One run's converters share this. They report only through the log, and count what could not
/// be written, read or listed. Only the run's own thread may use it.
class Context final : public SearchListener {
 public:
  /// Both folders end in the separator; up to `jobs` thread indexes are converted at once.
  Context(std::string katjusha_folder, std::string live2ch_folder, RunReport& report,
          TextFiles& files, int jobs = 1)
      : katjusha_folder_(std::move(katjusha_folder)),
        live2ch_folder_(std::move(live2ch_folder)),
        report_(report),
        files_(files),
        jobs_(jobs) {}

  /// The Katjusha folder, ending in the separator; only ever read from.
  const std::string& katjusha_folder() const { return katjusha_folder_; }
  /// The Live2ch folder, ending in the separator.
  const std::string& live2ch_folder() const { return live2ch_folder_; }
  /// How many thread indexes may be converted at once; 1 converts them one after another.
  int jobs() const { return jobs_; }

  TextFiles& files() { return files_; }

  /// Appends one line to the log.
  void AddLine(const std::string& line) { report_.AddLine(line); }

  /// Tells the report sink how far an index conversion has come.
  void ShowProgress(const IndexProgress& progress) { report_.ShowProgress(progress); }

  /// Logs, explains and counts a file that could not be written.
  void ReportWriteFailure(const std::string& path, std::error_code error);

  /// Logs, explains and counts a Katjusha file that exists but could not be read, after the line
  /// that the caller logs for what it was reading; a missing one is no failure.
  void ReportReadFailure(const std::string& path, std::error_code error);

  /// Logs and counts a thread index that could not be converted. "a\b\1.idx" =>
  /// "a\b\1.idxは、なんか変です".
  void ReportOddIndex(std::string_view path);

  /// Makes everything written so far durable; a failure is logged against the Live2ch folder,
  /// explained and counted.
  void SyncWritten();

  /// Logs and counts a failure that no file or folder stands for, a converter cut short.
  void ReportFailure(const std::string& line);

  /// How many files could not be written or read and folders not listed so far: each has its
  /// failure line.
  int failures() const { return failures_; }

  /// How many thread indexes so far could not be converted.
  int odd_indexes() const { return odd_indexes_; }

  /// Throws RunStopped when the user has asked for the run to stop.
  void StopIfAsked();

  /// A search stops, when asked to, before each folder.
  void BeforeListing() override { StopIfAsked(); }
  void CannotList(const std::string& folder, std::error_code reason) override;

 private:
  const std::string katjusha_folder_;
  const std::string live2ch_folder_;
  RunReport& report_;
  TextFiles& files_;
  const int jobs_;
  int failures_ = 0;
  int odd_indexes_ = 0;
};

/// A Live2ch file written as it is made: text goes straight into it, in CP932, and it takes the
/// old file's place, whole, when finished. Dropped unfinished, it leaves the old file as it was.
class OutputFile {
 public:
  /// Starts writing `path`, making its folder first; a failure shows when it is finished.
  OutputFile(Context& cx, std::string path);

  /// Adds text at the end.
  void Write(std::string_view text);

  /// Adds a line followed by CR LF.
  void WriteLine(std::string_view line);

  /// Puts the file in place; a failure is logged, explained and counted.
  void Finish();

 private:
  Context& cx_;
  const std::string path_;
  std::error_code start_error_;
  std::unique_ptr<FileWriter> writer_;  // null when it could not be started
};

}  // namespace mirelda
