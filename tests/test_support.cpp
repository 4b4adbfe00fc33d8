// Fixture folders, a recording report sink and a file system with injected faults.
#include "tests/test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "util/cp932.h"
#include "util/path.h"

namespace fs = std::filesystem;

namespace mirelda::test {
namespace {

#ifndef _WIN32
// Every test ends with the descriptors it began with: a file, folder or lock that the code under
// test leaves open would, over a run of a hundred thousand indexes, use up the process's share.
class DescriptorCheck final : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { open_ = OpenDescriptors(); }
  void OnTestEnd(const ::testing::TestInfo&) override {
    EXPECT_EQ(OpenDescriptors(), open_) << "descriptors left open";
  }
  std::size_t open_ = 0;
};

const bool kDescriptorsChecked = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new DescriptorCheck);
  return true;
}();
#endif

}  // namespace

TempDir::TempDir() {
  const auto name = "mirelda-test-" + std::to_string(std::random_device()());
  root_ = (fs::temp_directory_path() / name).string() + kSep;
  fs::create_directory(root_);
}

TempDir::~TempDir() {
  // Windows will not delete a read-only file, and tests make some.
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(root_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(root_, ignored);
}

std::string TempDir::Path(const std::string& relative) const { return P(root_ + relative); }

std::string P(std::string path) {
  std::replace(path.begin(), path.end(), '/', kSep);
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

#ifndef _WIN32
int AsNobody(const std::string& folder, const std::function<bool()>& step) {
  fs::permissions(folder, fs::perms::others_exec, fs::perm_options::add);
  const pid_t child = fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setresgid(kNobody, kNobody, kNobody) != 0 || setresuid(kNobody, kNobody, kNobody) != 0) {
      _exit(2);
    }
    _exit(step() ? 1 : 0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) < 2 ? WEXITSTATUS(status) : -1;
}

std::size_t OpenDescriptors() {
  std::error_code ignored;
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator("/proc/self/fd", ignored), fs::directory_iterator()));
}
#endif

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

Files Snapshot(const std::string& folder) {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[entry.path().lexically_relative(folder).generic_string()] =
          ReadBytes(entry.path().string());
    }
  }
  return files;
}

Files Live2chSnapshot(const std::string& folder) {
  Files files = Snapshot(folder);
  std::erase_if(files,
                [](const auto& file) { return file.first.rfind("mirelda-backup/", 0) == 0; });
  return files;
}

std::string KatjushaIndex(const std::string& host, const std::string& board, const std::string& key,
                          const std::string& flag) {
  return "0\t" + flag + "\t2\tスレ" + key + "\t" + host + "\t" + board + "\t" + key +
         "\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t17\r\n";
}

std::string Live2chIndex(const std::string& host, const std::string& board, const std::string& key,
                         char flag) {
  return "10077\tスレ" + key + "\thttp://" + host + "/test/read.cgi/" + board + "/" + key +
         "/\t0\t10\t11\t14\t15\t0\t17\t" + flag + "\t0\t\t\t\t";
}

std::string Sjis(const std::string& text) {
  static const auto codec = Cp932Codec::Open();
  return codec->Encode(text);
}

KindSet Kinds(const std::string& names) {
  const std::string list = "," + names + ",";
  KindSet kinds;
  for (size_t i = 0; i < kinds.size(); ++i) {
    const std::string name = std::string(",").append(kDataKinds[i].option).append(",");
    kinds[i] = list.find(name) != std::string::npos;
  }
  return kinds;
}

RunOutcome FolderPair::Run(const std::string& kinds, int jobs) {
  const auto before = Snapshot(katjusha_);
  const auto codec = Cp932Codec::Open();
  const RunOutcome outcome = RunConversion(
      {katjusha_, live2ch_, Kinds(kinds), jobs, true, dry_run_}, report_, fs_, *codec);
  EXPECT_EQ(Snapshot(katjusha_), before) << "the Katjusha folder was changed";
  return outcome;
}

std::vector<std::string> FolderPair::ConverterLines() const {
  // Every run that gets past its checks opens with one line and closes with its summary and
  // one more, which the list of failures may follow.
  const auto end = std::find(report_.lines.begin(), report_.lines.end(), "すべて変換完了");
  if (end - report_.lines.begin() < 2) return {};
  return {report_.lines.begin() + 1, end - 1};
}

bool FolderPair::Logged(const std::string& line) const {
  return std::find(report_.lines.begin(), report_.lines.end(), line) != report_.lines.end();
}

}  // namespace mirelda::test
