// Fixture folders and a recording front end for the engine's tests.
#include "tests/test_support.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "util/cp932.h"
#include "util/path.h"

namespace fs = std::filesystem;

namespace mirelda::test {

TempDir::TempDir() {
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path candidate = base / ("mirelda-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      root_ = candidate.string() + kSep;
      break;
    }
  }
}

TempDir::~TempDir() {
  // Windows will not delete a read-only file, and tests make some.
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(root_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  fs::remove_all(root_, ignored);
}

std::string TempDir::Path(const std::string& relative) const {
  std::string path = root_ + relative;
  for (char& c : path) {
    if (c == '/') c = kSep;
  }
  return path;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  // Folder by folder: create_directories gives up on very deep trees.
  // Without throwing: on Windows the first prefix is a drive ("C:"), which cannot be created.
  std::error_code ignored;
  for (size_t sep = path.find(kSep, 1); sep != std::string::npos; sep = path.find(kSep, sep + 1)) {
    fs::create_directory(path.substr(0, sep), ignored);
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    // Sparse giants are told apart by their size, without reading gigabytes of zeros.
    const auto size = entry.file_size();
    files[entry.path().lexically_relative(folder).generic_string()] =
        size < (1 << 20) ? ReadBytes(entry.path().string())
                         : "<" + std::to_string(size) + " bytes>";
  }
  return files;
}

std::string KatjuIndex(const std::string& host, const std::string& board, const std::string& key,
                       const std::string& flag) {
  return "0\t" + flag + "\t2\tスレ" + key + "\t" + host + "\t" + board + "\t" + key +
         "\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t17\r\n";
}

std::string LiveIndex(const std::string& host, const std::string& board, const std::string& key,
                      const std::string& flag) {
  const std::string v = (flag == "112" || flag == "96") ? "1" : "0";
  return "10077\tスレ" + key + "\thttp://" + host + "/test/read.cgi/" + board + "/" + key +
         "/\t0\t10\t11\t14\t15\t0\t17\t" + v + "\t0\t\t\t\t";
}

std::int64_t FaultyFileSystem::ReadWhole(const std::string& path, std::string& bytes) {
  return real_->ReadWhole(path, bytes);
}
bool FaultyFileSystem::CanOpenForReading(const std::string& path) {
  return real_->CanOpenForReading(path);
}
bool FaultyFileSystem::IsFolder(const std::string& path) { return real_->IsFolder(path); }
std::error_code FaultyFileSystem::MakeFolder(const std::string& path) {
  return real_->MakeFolder(path);
}
std::error_code FaultyFileSystem::ListFolder(const std::string& path, FolderEntries& entries) {
  if (fail_list(path)) return std::make_error_code(std::errc::permission_denied);
  return real_->ListFolder(path, entries);
}
std::error_code FaultyFileSystem::ReplaceWhole(const std::string& path, std::string_view bytes) {
  if (fail_write(path)) return std::make_error_code(std::errc::no_space_on_device);
  return real_->ReplaceWhole(path, bytes);
}
bool FaultyFileSystem::IsSameFolder(const std::string& a, const std::string& b) {
  return real_->IsSameFolder(a, b);
}

std::string Sjis(const std::string& text) {
  static Cp932Codec codec;
  return codec.Encode(text);
}

}  // namespace mirelda::test
