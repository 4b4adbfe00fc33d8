// Runs through broken disks and hostile trees: after each fault the Katjusha folder is unchanged,
// nothing is written outside the Live2ch folder, and the log says what failed. POSIX only: the
// faults are made with its resource limits and byte-string names.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "tests/test_support.h"

namespace mirelda {
namespace {

using test::KatjushaIndex;
using test::Sjis;

class FaultTest : public test::FolderPair {
 protected:
  // Runs every kind and checks what must hold after any fault.
  RunOutcome RunChecked() {
    const RunOutcome outcome = Run("fav,brd,ftd,namemail,myboard,allidx");
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
      EXPECT_TRUE(entry.path().filename() == "k" || entry.path().filename() == "l");
    }
    for (const auto& [name, bytes] : test::Snapshot(live2ch_)) {
      EXPECT_EQ(name.find(".mirelda-"), std::string::npos) << "stray file " << name;
    }
    return outcome;
  }
};

// After each fault the Katjusha folder is unchanged, nothing is written outside the Live2ch
// folder, and the log says what failed. Windows file names are UTF-16 text: a name made of
// arbitrary bytes cannot exist there, hence POSIX only.
TEST_F(FaultTest, NamesAndContentsThatAreNotCp932PassThroughUnchanged) {
  const std::string board = "\x94\xC2\xFF";  // Shift-JIS bytes and a stray byte as a folder name
  test::WriteBytes(dir_.Path("k/log/" + board + "/" + board + "/1.idx"),
                   "0\t0\t2\t\x81\x60\x80\x81\t" + board + "\t" + board + "\t1" +
                       std::string(11, '\t') + "\r\n");
  EXPECT_EQ(RunChecked(), RunOutcome::kCompleted);
  EXPECT_EQ(Live2ch("log/" + board + "/" + board + "/1.idx"),
            "10077\t\x81\x60\x80\x81\thttp://" + board + "/test/read.cgi/" + board +
                "/1/\t0\t\t\t\t\t0\t\t0\t0\t\t\t\t");
}

TEST_F(FaultTest, AFullDiskLeavesEveryOldFileWhole) {
  Katjusha("favboard.idx", std::string(64 * 1024, 'x') + "\r\n");
  Live2ch("favboard.fbd", "old board buttons");
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
  EXPECT_EQ(Live2ch("favboard.fbd"), "old board buttons");
}

TEST_F(FaultTest, TreesThousandsOfFoldersDeepAndNamesTooLongAreNoHarm) {
  std::string deep;
  for (int i = 0; i < 1800; ++i) deep += "d/";
  Katjusha("log/" + deep + "1.idx", KatjushaIndex("h", "b", "1"));
  const std::string name(300, 'n');  // longer than any file name may be
  Katjusha("favorite.idx", "h\\b\\" + name + ".idx\r\n");
  EXPECT_EQ(RunChecked(), RunOutcome::kCompleted);
  EXPECT_EQ(Live2ch("log/" + deep + "1.idx"), Sjis(test::Live2chIndex("h", "b", "1")));
  EXPECT_TRUE(Logged("h\\b\\" + name + ".idxは、なんか変です"));
}

}  // namespace
}  // namespace mirelda
