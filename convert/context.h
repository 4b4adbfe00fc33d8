// What every converter works with: the two folders, the data files, the report sink and the
// run's failure count.
#pragma once

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
/// be written or listed.
class Context final : public SearchListener {
 public:
  /// Both folders end in the separator.
  Context(std::string katjusha_folder, std::string live2ch_folder, RunReport& report,
          TextFiles& files)
      : katjusha_folder_(std::move(katjusha_folder)),
        live2ch_folder_(std::move(live2ch_folder)),
        report_(report),
        files_(files) {}

  /// The Katjusha folder, ending in the separator; only ever read from.
  const std::string& katjusha_folder() const { return katjusha_folder_; }
  /// The Live2ch folder, ending in the separator.
  const std::string& live2ch_folder() const { return live2ch_folder_; }

  TextFiles& files() { return files_; }

  /// Appends one line to the log.
  void AddLine(const std::string& line) { report_.AddLine(line); }

  /// Tells the report sink how far an index conversion has come.
  void ShowProgress(const IndexProgress& progress) { report_.ShowProgress(progress); }

  /// Writes a text as a whole file in CP932, making its folder first; a failure is logged,
  /// explained and counted, and returned.
  std::error_code WriteText(const std::string& path, std::string_view text);

  /// Writes bytes as a whole file, making its folder first; a failure is logged, explained and
  /// counted, and returned.
  std::error_code WriteBytes(const std::string& path, std::string_view bytes);

  /// Makes everything written so far durable; a failure is logged against the Live2ch folder,
  /// explained and counted.
  void SyncWrites();

  /// Counts a failure that the caller has logged itself.
  void CountFailure() { ++failures_; }

  /// How many files could not be written and folders not listed so far.
  int failures() const { return failures_; }

  /// Throws RunStopped when the user has asked for the run to stop.
  void BeforeListing() override;
  void CannotList(const std::string& folder, std::error_code reason) override;

 private:
  void ReportWriteFailure(const std::string& path, std::error_code error);

  const std::string katjusha_folder_;
  const std::string live2ch_folder_;
  RunReport& report_;
  TextFiles& files_;
  int failures_ = 0;
};

}  // namespace mirelda
