// What every converter works with: the two folders, the data files, the report sink, the run's
// failure count, and the Live2ch files being written.
#include "convert/context.h"

#include "convert/thread_index.h"
#include "util/path.h"

namespace mirelda {
namespace {

// Whether a read failed because there is no such file: a name that cannot exist counts as one.
bool IsMissing(std::error_code error) {
  return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
         error == std::errc::filename_too_long;
}

}  // namespace

void Context::ReportFailure(const std::string& line) {
  report_.AddFailureLine(line);
  ++failures_;
}

void Context::ReportWriteFailure(const std::string& path, std::error_code error) {
  ReportFailure(path + "に書き込めませんでした");
  report_.ExplainFailure(path, error);
}

void Context::ReportReadFailure(const std::string& path, std::error_code error) {
  if (IsMissing(error)) return;
  ReportFailure(path + "を読み込めませんでした");
  report_.ExplainFailure(path, error);
}

void Context::ReportOddIndex(std::string_view path) {
  AddLine(BadIndexLine(path));
  ++odd_indexes_;
}

void Context::SyncWritten() {
  if (const std::error_code error = files_.fs().SyncWritten()) {
    ReportWriteFailure(live2ch_folder_, error);
  }
}

void Context::StopIfAsked() {
  if (!report_.ShouldGoOn()) throw RunStopped{};
}

void Context::CannotList(const std::string& folder, std::error_code reason) {
  ReportFailure(folder + "を読み込めませんでした");
  report_.ExplainFailure(folder, reason);
}

OutputFile::OutputFile(Context& cx, std::string path) : cx_(cx), path_(std::move(path)) {
  start_error_ = cx_.files().MakeFolderTree(GetFolderPart(path_));
  if (!start_error_) writer_ = cx_.files().fs().StartReplacing(path_, start_error_);
}

void OutputFile::Write(std::string_view text) {
  if (writer_) writer_->Append(cx_.files().Encode(text));
}

void OutputFile::WriteLine(std::string_view line) {
  // CR LF is the same in CP932.
  if (writer_) writer_->Append(cx_.files().Encode(line).append("\r\n"));
}

void OutputFile::Finish() {
  const std::error_code error = writer_ ? writer_->Commit() : start_error_;
  if (error) cx_.ReportWriteFailure(path_, error);
}

}  // namespace mirelda
