// What every converter works with: the two folders, the data files, the report sink and the
// run's failure count.
#include "convert/context.h"

#include "util/path.h"

namespace mirelda {

std::error_code Context::WriteText(const std::string& path, std::string_view text) {
  return WriteBytes(path, files_.Encode(text));
}

std::error_code Context::WriteBytes(const std::string& path, std::string_view bytes) {
  std::error_code error = files_.MakeFolderTree(GetFolderPart(path));
  if (!error) error = files_.WriteFileBytes(path, bytes);
  if (error) ReportWriteFailure(path, error);
  return error;
}

void Context::SyncWrites() {
  if (const std::error_code error = files_.fs().SyncWritten()) {
    ReportWriteFailure(live2ch_folder_, error);
  }
}

void Context::ReportWriteFailure(const std::string& path, std::error_code error) {
  AddLine(path + "に書き込めませんでした");
  report_.ExplainFailure(path, error);
  CountFailure();
}

void Context::BeforeListing() {
  if (!report_.LetEventsThrough()) throw RunStopped{};
}

void Context::CannotList(const std::string& folder, std::error_code reason) {
  AddLine(folder + "を読み込めませんでした");
  report_.ExplainFailure(folder, reason);
  CountFailure();
}

}  // namespace mirelda
