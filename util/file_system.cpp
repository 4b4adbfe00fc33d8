// What every platform's file system shares: gathering a writer's small pieces, and replacing a
// file in one call.
#include "util/file_system.h"

namespace mirelda {
namespace {

// Pieces are gathered up to this size, so that a list of millions of short lines is written in
// few calls, and a larger piece is written as it comes, never copied.
constexpr size_t kGatheredSize = 64 * 1024;

}  // namespace

void FileWriter::Append(std::string_view bytes) {
  if (gathered_.size() + bytes.size() > kGatheredSize) Flush();
  if (bytes.size() <= kGatheredSize) {
    gathered_.append(bytes);
  } else if (!error_) {
    error_ = Write(bytes);
  }
}

std::error_code FileWriter::Commit() {
  Flush();
  return error_ ? error_ : Finish();
}

void FileWriter::Flush() {
  if (!error_ && !gathered_.empty()) error_ = Write(gathered_);
  gathered_.clear();
}

std::error_code FileSystem::ReplaceWhole(const std::string& path, std::string_view bytes) {
  std::error_code error;
  return CommitWhole(StartReplacing(path, error), bytes, error);
}

void FileSystem::ReadEachWhole(std::span<WholeRead> files) {
  for (WholeRead& file : files) file.error = ReadWholeUpTo(file.path, file.most, file.bytes);
}

void FileSystem::ReplaceEachWhole(std::span<WholeReplacement> files) {
  for (WholeReplacement& file : files) file.error = ReplaceWhole(file.path, file.bytes);
}

std::error_code FileSystem::CommitWhole(const std::unique_ptr<FileWriter>& writer,
                                        std::string_view bytes, std::error_code start_error) {
  if (!writer) return start_error;
  writer->Append(bytes);
  return writer->Commit();
}

}  // namespace mirelda
