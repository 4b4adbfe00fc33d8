// The log of a run as it is saved beside its backup, and the failures it repeats at its end.
#include "run/run_log.h"

namespace mirelda {

void RunLog::AddLine(const std::string& line) {
  inner_.AddLine(line);
  Keep(line, false);
}

void RunLog::AddFailureLine(const std::string& line) {
  inner_.AddFailureLine(line);
  failures_.push_back(line);
  Keep(line, true);
}

void RunLog::Keep(const std::string& line, bool failure) {
  if (!failure && text_.size() + line.size() + 2 > limit_) {
    ++left_out_;
    return;
  }
  text_.append(line).append("\r\n");
}

void RunLog::RepeatFailures() {
  if (failures_.empty()) return;
  Repeat("失敗した項目：");
  for (const std::string& line : failures_) Repeat(line);
}

// Kept whatever the limit, as the failure lines themselves are.
void RunLog::Repeat(const std::string& line) {
  inner_.AddLine(line);
  Keep(line, true);
}

std::error_code RunLog::Save(FileSystem& fs, const std::string& path) const {
  std::string bytes = "\xEF\xBB\xBF" + text_;
  if (left_out_ > 0) {
    bytes += "ログが大きすぎるため、ほかの" + std::to_string(left_out_) + "行を省きました\r\n";
  }
  return fs.ReplaceWhole(path, bytes);
}

std::error_code RunLog::SaveInto(FileSystem& fs, const std::string& backup_folder) const {
  const std::error_code error = Save(fs, backup_folder + std::string(kLogName));
  return error ? error : fs.SyncWritten();
}

}  // namespace mirelda
