// What every converter works with: the front end, the data files, and the run's failure count.
#pragma once

#include <string>
#include <string_view>

#include "app/frontend.h"
#include "util/find_files.h"
#include "util/text_file.h"

namespace mirelda {

/// One run's converters share this. They read the folder texts afresh at every use, report
/// only through the log, and count what could not be written or listed.
class Context final : public SearchListener {
 public:
  Context(Frontend& ui, TextFiles& files) : ui_(ui), files_(files) {}

  Frontend& ui() { return ui_; }
  TextFiles& files() { return files_; }

  /// The Katjusha folder text, ending in the separator during a run.
  std::string KatjuFolder() { return ui_.KatjuFolder(); }
  /// The Live2ch folder text, ending in the separator during a run.
  std::string LiveFolder() { return ui_.LiveFolder(); }

  /// Appends one line to the log.
  void AddText(const std::string& line) { ui_.AddText(line); }

  /// Writes a text as a whole file in CP932, making its folder first; a failure is logged and
  /// counted.
  bool WriteText(const std::string& path, std::string_view text);

  /// Writes bytes as a whole file, making its folder first; a failure is logged and counted.
  bool WriteBytes(const std::string& path, std::string_view bytes);

  /// Counts a failure that the caller has logged itself.
  void CountFailure() { ++failures_; }

  /// How many files could not be written and folders not listed so far.
  int failures() const { return failures_; }

  void BeforeListing() override { ui_.ProcessEvents(); }
  void CannotList(const std::string& folder) override;

 private:
  Frontend& ui_;
  TextFiles& files_;
  int failures_ = 0;
};

}  // namespace mirelda
