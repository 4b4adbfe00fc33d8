// The terminal as a run's report sink: the log, the messages and, on a terminal, a progress line.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "convert/report.h"
#include "run/messages.h"

namespace mirelda::cli {

/// Writes one line and flushes it, so that it shows as it happens, also through a pipe; the
/// reason when it could not be written.
std::error_code WriteLine(std::FILE* stream, const std::string& text);

/// A moment, as the progress line measures time.
using Instant = std::chrono::steady_clock::time_point;

/// Where the progress line takes the time from.
using Clock = std::function<Instant()>;

/// The run's report sink on a terminal: log lines to `out`; messages and the reasons of failures,
/// in the language of `say`, to `err`; and, only when `err` is a terminal, one line there that
/// shows the indexes done, the total once known, the rate and the time left. That line is redrawn
/// at most ten times a second, kept below whatever else is written and erased when its conversion
/// ends.
class TerminalReport final : public RunReport {
 public:
  /// `now` times the progress line.
  TerminalReport(std::FILE* out, std::FILE* err, bool err_is_terminal, Messages say,
                 Clock now = std::chrono::steady_clock::now)
      : out_(out), err_(err), err_is_terminal_(err_is_terminal), say_(say), now_(std::move(now)) {}

  void AddLine(const std::string& line) override;
  void ShowMessage(const std::string& text) override;
  void ExplainFailure(const std::string& path, std::error_code reason) override;
  void ShowProgress(const IndexProgress& progress) override;

  /// Why the log could not be written; nothing when it was written whole.
  std::error_code log_error() const { return log_error_; }

 private:
  std::error_code WriteAbove(std::FILE* stream, const std::string& line);
  std::string ProgressText(const IndexProgress& progress, Instant now) const;
  void Draw(const std::string& text);
  void Erase();

  std::FILE* const out_;
  std::FILE* const err_;
  const bool err_is_terminal_;
  const Messages say_;
  const Clock now_;
  Instant started_;                  // when the conversion last had nothing done
  std::optional<Instant> drawn_at_;  // when the line was last drawn
  std::string shown_;                // the line as the terminal shows it, or ""
  std::error_code log_error_;        // why the log could not be written
};

}  // namespace mirelda::cli
