// How a run tells its front end what happens: the one interface from the engine to a window or
// a terminal.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <system_error>

namespace mirelda {

/// How far one conversion of thread indexes (favourites, a warehouse, all indexes) has come.
struct IndexProgress {
  std::size_t done = 0;              ///< indexes converted so far, well or not
  std::optional<std::size_t> total;  ///< how many it converts; none while its search goes on
  bool finished = false;             ///< it has ended, however: its last report
};

/// The sink of a run's reports. Everything is called on the thread that runs the conversion;
/// texts are UTF-8. A front end overrides what it shows and leaves the rest to the defaults.
class RunReport {
 public:
  virtual ~RunReport() = default;

  /// Appends one line to the log.
  virtual void AddLine(const std::string& line) = 0;

  /// Appends one line that tells of a failure: a file not written, a folder not read.
  virtual void AddFailureLine(const std::string& line) { AddLine(line); }

  /// Shows a message that the user closes; returns when it has been closed.
  virtual void ShowMessage(const std::string& text) = 0;

  /// Why `path` could not be written or read, beside the log line that names it.
  virtual void ExplainFailure(const std::string& path, std::error_code reason);

  /// Asked between two files: false when the user has asked for the run to stop, which it then
  /// does before the next file.
  virtual bool ShouldGoOn();

  /// How far an index conversion has come: told when it starts, when its total is known, after
  /// each index and once when it has ended.
  virtual void ShowProgress(const IndexProgress& progress);
};

inline void RunReport::ExplainFailure(const std::string&, std::error_code) {}
inline bool RunReport::ShouldGoOn() { return true; }
inline void RunReport::ShowProgress(const IndexProgress&) {}

}  // namespace mirelda
