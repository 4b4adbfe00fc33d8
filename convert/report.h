// How a run tells its front end what happens: the one interface from the engine to a window or
// a terminal.
#pragma once

#include <string>
#include <system_error>

namespace mirelda {

/// The sink of a run's reports. Everything is called on the thread that runs the conversion;
/// texts are UTF-8. A front end overrides what it shows and leaves the rest to the defaults.
class RunReport {
 public:
  virtual ~RunReport() = default;

  /// Appends one line to the log.
  virtual void AddLine(const std::string& line) = 0;

  /// Shows a message that the user closes; returns when it has been closed.
  virtual void ShowMessage(const std::string& text) = 0;

  /// Why `path` could not be written or read, beside the log line that names it.
  virtual void ExplainFailure(const std::string& path, std::error_code reason);

  /// Lets pending window events through, between two files. False when the user has asked for
  /// the run to stop; it then stops before the next file.
  virtual bool LetEventsThrough();
};

inline void RunReport::ExplainFailure(const std::string&, std::error_code) {}
inline bool RunReport::LetEventsThrough() { return true; }

}  // namespace mirelda
