// The terminal as a run's report sink: the log, the messages and, on a terminal, a progress line.
#include "app/cli/terminal_report.h"

#include <cmath>

#include "app/cli/console.h"
#include "run/texts.h"

namespace mirelda::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// "7:23", "61:05".
std::string MinutesAndSeconds(long long seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
  return text;
}

}  // namespace

std::error_code WriteLine(std::FILE* stream, const std::string& text) {
  return WriteText(stream, text + "\n");
}

void TerminalReport::AddLine(const std::string& line) {
  // A log that cannot be written stops nothing: the run goes on, and the exit status tells.
  if (!log_error_) log_error_ = WriteAbove(out_, line);
}

void TerminalReport::ShowMessage(const std::string& text) {
  // A message's lines end in CR LF, as a message box wants them; a terminal wants LF alone.
  std::string lines = text;
  std::erase(lines, '\r');
  WriteAbove(err_, lines);
}

void TerminalReport::ExplainFailure(const std::string& path, std::error_code reason) {
  WriteAbove(err_, "mirelda-cli: " + path + ": " + say_.Reason(reason));
}

void TerminalReport::ShowProgress(const IndexProgress& progress) {
  if (!err_is_terminal_) return;
  if (progress.finished) {
    Erase();
    return;
  }
  const auto now = now_();
  // The rate counts from the last report with nothing done: for all indexes, the search's end.
  if (progress.done == 0) started_ = now;
  // Drawing every index would cost the terminal more than converting it.
  if (drawn_at_ && now - *drawn_at_ < kRedrawInterval) return;
  drawn_at_ = now;
  Draw(ProgressText(progress, now));
}

// "9,000/2,000,000 indexes, 4,500/s, 7:23 left"; "0 indexes" while the search goes on.
std::string TerminalReport::ProgressText(const IndexProgress& progress, Instant now) const {
  std::string count = GroupedCount(progress.done);
  if (progress.total) count.append("/").append(GroupedCount(*progress.total));
  if (!progress.total || now <= started_) return say_(MessageId::kProgressSearching, {count});
  const double rate = progress.done / std::chrono::duration<double>(now - started_).count();
  const double left = std::ceil(static_cast<double>(*progress.total - progress.done) / rate);
  return say_(MessageId::kProgressCounted, {count, GroupedCount(static_cast<std::size_t>(rate)),
                                            MinutesAndSeconds(static_cast<long long>(left))});
}

std::error_code TerminalReport::WriteAbove(std::FILE* stream, const std::string& line) {
  const std::string progress = shown_;
  Erase();
  const std::error_code error = WriteLine(stream, line);
  if (!progress.empty()) Draw(progress);
  return error;
}

void TerminalReport::Draw(const std::string& text) {
  Erase();
  WriteText(err_, text);
  shown_ = text;
}

void TerminalReport::Erase() {
  if (shown_.empty()) return;
  // Spaces over the line, between two returns to its start: no terminal escape is needed.
  std::string blank(shown_.size() + 2, ' ');
  blank.front() = blank.back() = '\r';
  WriteText(err_, blank);
  shown_.clear();
}

}  // namespace mirelda::cli
