// mirelda-cli end to end: arguments, exit statuses, output streams, and the files of a run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "tests/test_support.h"

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

class CliTest : public ::testing::Test {
 protected:
  // The files of the Live2ch folder "L" but for the backups, whose files other than their
  // manifests go to `backups`.
  test::Files Live2chFiles(test::Files* backups = nullptr) const {
    test::Files files = test::Snapshot(dir_.Path("L"));
    for (auto it = files.begin(); it != files.end();) {
      if (it->first.rfind("mirelda-backup/", 0) != 0) {
        ++it;
        continue;
      }
      if (backups && it->first.find("mirelda-manifest") == std::string::npos) backups->insert(*it);
      it = files.erase(it);
    }
    return files;
  }

  CliTest() {
    fs::copy(MIRELDA_EXAMPLES "/katjusha", dir_.Path("K"), fs::copy_options::recursive);
    fs::copy(MIRELDA_EXAMPLES "/live2ch", dir_.Path("L"), fs::copy_options::recursive);
  }

  // Runs mirelda-cli in the test's folder, after the shell command `before`, with the arguments
  // (each quoted) and the shell's redirections `streams`; returns its exit status.
  int Cli(const std::vector<std::string>& args, const std::string& streams = ">out 2>err",
          const std::string& before = "") {
#ifdef _WIN32
    std::string command = "cd /d \"";
#else
    std::string command = "cd \"";
#endif
    command += dir_.Path() + "\" && " + before + "\"" MIRELDA_CLI_PATH "\"";
    for (const auto& arg : args) command += " \"" + arg + "\"";
    command += " " + streams;
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd.exe strips one pair of quotes around the whole line
    return std::system(command.c_str());
#else
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }
  std::string Out() { return ReadBytes(dir_.Path("out")); }
  std::string Err() { return ReadBytes(dir_.Path("err")); }

  test::TempDir dir_;
};

TEST_F(CliTest, UsageErrorsSayWhatIsWrongAndDoNothing) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"only-one"}, "two folders are needed"},
      {{"a", "b", "c"}, "too many arguments"},
      {{"--kinds", "fav,bogus", "a", "b"}, "unknown kind 'bogus'"},
      {{"--kinds=fav,", "a", "b"}, "a kind is missing after the last ','"},
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"--kinds"}, "--kinds needs a list"},
      {{"--jobs=0", "a", "b"}, "--jobs needs a number from 1 to 64"},
      {{"L", "--restore", "--no-backup"}, "--restore takes no other option"},
      {{"--restore"}, "a Live2ch folder is needed"},
      {{"--restore", "L", "S", "x"}, "too many arguments"}};
  for (const auto& [args, reason] : cases) {
    EXPECT_EQ(Cli(args), 2);
    EXPECT_EQ(Err().rfind("mirelda-cli: " + reason + "\nusage: mirelda-cli", 0), 0u) << reason;
    EXPECT_EQ(Out(), "");
  }
}

#ifndef _WIN32
TEST_F(CliTest, FindPrintsTheProgramsFoldersInTheWinePrefixAndHomeAndFindingNoneIsNoFailure) {
  const std::string x86 = dir_.Path("h/.wine/drive_c/Program Files (x86)/");
  test::WriteBytes(x86 + "Katjusha/KATJUSHA.EXE", "");
  test::WriteBytes(x86 + "Live2ch/live2ch.exe", "");
  test::WriteBytes(dir_.Path("h/apps/k2/Katjusha.exe"), "");
  EXPECT_EQ(Cli({"--find"}, ">out 2>err", "HOME='" + dir_.Path("h") + "' WINEPREFIX= "), 0);
  EXPECT_EQ(Out(), "katjusha\t" + x86 + "Katjusha\nkatjusha\t" + dir_.Path("h/apps/k2") +
                       "\nlive2ch\t" + x86 + "Live2ch\n");
  EXPECT_EQ(Cli({"--find"}, ">out 2>err", "HOME='" + dir_.Path("none") + "' WINEPREFIX= "), 0);
  EXPECT_EQ(Out() + Err(), "");
}
#endif

TEST_F(CliTest, HelpShowsKindsAndNoticeVersionTheVersionAndAMissingProgramExitsOne) {
  for (const char* help : {"--help", "-h"}) {
    EXPECT_EQ(Cli({help}), 0);
    EXPECT_NE(Out().find("allidx    every thread index of the log tree\n"), std::string::npos);
    EXPECT_NE(Out().find("かちゅ～しゃのファイルは読み込むだけですので"), std::string::npos);
  }
  EXPECT_EQ(Cli({"--version"}), 0);
  EXPECT_EQ(Out(), "mirelda-cli 1.00\n");
  EXPECT_EQ(Cli({"L", "L"}), 1);
  EXPECT_EQ(Err(),
            "かちゅ～しゃが見つかりません\n（" + test::P("L/") + "にKatjusha.exeがありません）\n");
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Cli({"--restore", "L"}), 1);
  EXPECT_EQ(Err(), "mirelda-cli: " + test::P("L/mirelda-backup/") + ": no backup to restore\n");
}

#ifndef _WIN32  // the log names Katjusha's files with the platform separator
// The known output, with the files it replaced kept aside, and a restore that gives back the
// Live2ch folder as it was, files the run made included.
TEST_F(CliTest, TheSampleConvertsToExactlyTheKnownFilesAndLogAndRestoresWhole) {
  EXPECT_EQ(Cli({"--kinds", "allidx,fav,brd,ftd,namemail,myboard", "K", "L"}), 0);
  const std::string stamp = Out().substr(Out().find("mirelda-backup/") + 15, 15);
  EXPECT_EQ(std::regex_replace(Out(), std::regex(stamp), "STAMP"),
            ReadBytes(MIRELDA_TEST_DATA "/sample.log"));
  EXPECT_EQ(Err(), "すべて変換終了\n");
  const test::Files before = test::Snapshot(MIRELDA_EXAMPLES "/live2ch");
  const test::Files after = test::Snapshot(MIRELDA_TEST_DATA "/sample-live2ch");
  test::Files kept;
  for (const auto& [name, bytes] : before) {
    if (after.at(name) != bytes) kept["mirelda-backup/" + stamp + "/" + name] = bytes;
  }
  test::Files backups;
  EXPECT_EQ(Live2chFiles(&backups), after);
  EXPECT_EQ(backups, kept);
  EXPECT_EQ(test::Snapshot(dir_.Path("K")), test::Snapshot(MIRELDA_EXAMPLES "/katjusha"));
  EXPECT_EQ(Cli({"--restore", "L"}), 0);
  EXPECT_EQ(Live2chFiles(), before);
}
#endif

#ifndef _WIN32
TEST_F(CliTest, ALostLogStopsNoConversionButExitsThree) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  close(pipe_ends[0]);  // nobody reads it any more, as after `| head -1`
  for (const std::string& out : {">&" + std::to_string(pipe_ends[1]), std::string(">/dev/full")}) {
    EXPECT_EQ(Cli({"--kinds", "allidx", "K", "L"}, out + " 2>err"), 3) << out;
    EXPECT_EQ(test::Snapshot(dir_.Path("L/log")).size(), 34u);  // the 36 indexes but 2 broken
    EXPECT_NE(Err().find("\nmirelda-cli: standard output: "), std::string::npos) << Err();
  }
  close(pipe_ends[1]);
}

// The sanitizers reserve more address space than any such limit allows.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(CliTest, AListOfMillionsOfRecordsOrOfOneGiantRecordFitsInTwiceItsSizeAnd32MiB) {
  test::WriteBytes(dir_.Path("K/favboard.idx"), std::string(std::size_t{4} << 20, '\n'));
  EXPECT_EQ(Cli({"--kinds", "brd", "K", "L"}, ">out 2>err", "ulimit -v 40960 && "), 0);
  EXPECT_EQ(fs::file_size(dir_.Path("L/favboard.fbd")),
            std::uintmax_t{16} << 20);  // "\t1\r\n" each
  // Half-width katakana, which triple as text, after a mark that only the first part holds.
  const std::string giant = test::Sjis("▽") + std::string((std::size_t{4} << 20) - 2, '\xB1');
  for (const char* list : {"favorite.idx", "favboard.idx", "other.brd", "namelist.txt"}) {
    test::WriteBytes(dir_.Path("K/") + list, giant);
  }
  EXPECT_EQ(
      Cli({"--kinds", "fav,brd,myboard,namemail", "K", "L"}, ">out 2>err", "ulimit -v 40960 && "),
      0);
  // Compared as truth values, so that a difference does not print megabytes.
  EXPECT_TRUE(ReadBytes(dir_.Path("L/namelist.txt")) == giant);
  EXPECT_TRUE(ReadBytes(dir_.Path("L/favboard.fbd")) == giant.substr(2) + "\t0\r\n");
  EXPECT_TRUE(ReadBytes(dir_.Path("L/myboard.brd")).substr(14) == "\t" + giant + "\r\n");
  EXPECT_NE(Out().find("ｱ…は、なんか変です\n"), std::string::npos);
}
#endif
#endif

TEST_F(CliTest, UnwritableFilesExitThreeWithTheReasonBesideTheLogLine) {
  fs::create_directories(dir_.Path("L/myboard.brd"));  // a folder in the way
  EXPECT_EQ(Cli({"K", "L"}, ">out 2>&1"), 3);
  const std::string target = test::P("L/myboard.brd");
  EXPECT_NE(Out().find(target + "に書き込めませんでした\nmirelda-cli: " + target + ": "),
            std::string::npos);
  EXPECT_EQ(Out().find("すべてのidx"), std::string::npos);  // not one of the default kinds
}

TEST_F(CliTest, KindsReplaceTheDefaultsInBothSpellings) {
  EXPECT_EQ(Cli({"--kinds=namemail", "--no-backup", "K", "L"}), 0);
  EXPECT_EQ(Out(),
            "各変換作業を開始します\n新規1件、置換1件、変更なし0件、変なidx0件、失敗0件\n"
            "すべて変換完了\n");
  EXPECT_EQ(Cli({"--kinds", "brd", "K", "L"}), 0);
  EXPECT_EQ(Out(),
            "各変換作業を開始します\n板ボタンを変換します\n8件ありました\n板ボタン変換完了\n"
            "新規1件、置換0件、変更なし0件、変なidx0件、失敗0件\nすべて変換完了\n");
  EXPECT_EQ(test::Snapshot(dir_.Path("L")).size(), 5u);  // and maillist.txt, favboard.fbd
}

}  // namespace
}  // namespace mirelda
