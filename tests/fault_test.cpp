// Broken disks and hostile trees: after each fault the Katjusha folder is unchanged, nothing is
// written outside the Live2ch folder, and the log says what failed.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "app/run.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace mirelda {
namespace {

using test::KatjushaIndex;
using test::ReadBytes;
using test::Sjis;
using test::WriteBytes;

class FaultTest : public test::FolderPair {
 protected:
  // Runs every kind and checks what must hold after any fault.
  RunOutcome RunChecked() {
    const RunOutcome outcome = Run("fav,brd,ftd,namemail,myboard,allidx");
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
      const auto name = entry.path().filename();
      EXPECT_TRUE(name == "k" || name == "l") << "written outside: " << name;
    }
    for (const auto& [name, bytes] : test::Snapshot(live2ch_)) {
      EXPECT_EQ(name.find(".mirelda-"), std::string::npos) << "stray file " << name;
    }
    return outcome;
  }
};

// Windows file names are UTF-16 text: a name made of arbitrary bytes cannot exist there.
#ifndef _WIN32
TEST_F(FaultTest, NamesAndContentsThatAreNotCp932PassThroughUnchanged) {
  const std::string board = "\x94\xC2\xFF";  // Shift-JIS bytes and a stray byte as a folder name
  const std::string index =
      "0\t0\t2\t\x81\x60\x80\x81\t" + board + "\t" + board + "\t1" + std::string(11, '\t') + "\r\n";
  WriteBytes(dir_.Path("k/log/" + board + "/" + board + "/1.idx"), index);
  EXPECT_EQ(RunChecked(), RunOutcome::kCompleted);
  const std::string live = ReadBytes(dir_.Path("l/log/" + board + "/" + board + "/1.idx"));
  EXPECT_EQ(live.substr(0, 11), "10077\t\x81\x60\x80\x81\t");
  EXPECT_NE(live.find("http://" + board + "/test/read.cgi/" + board + "/1/"), std::string::npos);
}
#endif

TEST_F(FaultTest, AGiantKatjushaIndexIsReportedAndTheRestConverts) {
  WriteBytes(dir_.Path("k/favorite.idx"), "h\\b\\1.idx\r\nh\\b\\2.idx\r\n");
  WriteBytes(dir_.Path("k/log/h/b/1.idx"), "x");
  std::filesystem::resize_file(dir_.Path("k/log/h/b/1.idx"), std::uintmax_t{1} << 31);  // sparse
  WriteBytes(dir_.Path("k/log/h/b/2.idx"), Sjis(KatjushaIndex("h", "b", "2")));
  EXPECT_EQ(RunChecked(), RunOutcome::kCompleted);
  EXPECT_TRUE(Logged("h\\b\\1.idxは、なんか変です"));
  EXPECT_EQ(Live2ch("favorite.ftd"), "\r\nhttp://h/test/read.cgi/b/2/\r\n");
}

#ifndef _WIN32
TEST_F(FaultTest, AFullDiskLeavesEveryOldFileWhole) {
  WriteBytes(dir_.Path("k/favboard.idx"), std::string(64 * 1024, 'x') + "\r\n");
  WriteBytes(dir_.Path("l/favboard.fbd"), "old board buttons");
  // Writes past 16 KiB fail as on a full disk, in the middle of the new file.
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit;
  getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit small = old_limit;
  small.rlim_cur = 16 * 1024;
  setrlimit(RLIMIT_FSIZE, &small);
  const RunOutcome outcome = RunChecked();
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(outcome, RunOutcome::kCompletedWithFailures);
  EXPECT_TRUE(Logged(live2ch_ + "favboard.fbdに書き込めませんでした"));
  EXPECT_EQ(ReadBytes(dir_.Path("l/favboard.fbd")), "old board buttons");
}

TEST_F(FaultTest, TreesThousandsOfFoldersDeepConvertWithoutRecursion) {
  constexpr int kDepth = 1800;
  std::string relative;
  for (int i = 0; i < kDepth; ++i) relative += "d/";
  WriteBytes(dir_.Path("k/log/" + relative + "1.idx"), Sjis(KatjushaIndex("h", "b", "1")));
  EXPECT_EQ(RunChecked(), RunOutcome::kCompleted);
  EXPECT_NE(ReadBytes(dir_.Path("l/log/" + relative + "1.idx")), "<missing>");
}

TEST_F(FaultTest, PathsTooLongForTheSystemAreReportedNotFatal) {
  const std::string name(300, 'n');  // longer than any file name may be
  WriteBytes(dir_.Path("k/favorite.idx"), "h\\b\\" + name + ".idx\r\n");
  EXPECT_EQ(RunChecked(), RunOutcome::kCompleted);
  EXPECT_TRUE(Logged("h\\b\\" + name + ".idxは、なんか変です"));
}
#endif

}  // namespace
}  // namespace mirelda
