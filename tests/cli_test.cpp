// mirelda-cli end to end: arguments, exit statuses, output streams, and the files of a run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/test_support.h"

namespace mirelda {
namespace {

using test::KatjushaIndex;
using test::Live2chIndex;
using test::ReadBytes;
using test::Sjis;
using test::WriteBytes;

class CliTest : public ::testing::Test {
 protected:
  // Runs mirelda-cli with the arguments (each quoted), standard error into Err() or, with
  // `one_stream`, into Out() beside the log; returns its exit status.
  int Cli(const std::vector<std::string>& args, bool one_stream = false) {
    std::string command = "\"" MIRELDA_CLI_PATH "\"";
    for (const auto& arg : args) command += " \"" + arg + "\"";
    command += " >\"" + dir_.Path("out") + "\" 2>";
    command += one_stream ? "&1" : "\"" + dir_.Path("err") + "\"";
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd.exe strips one pair of quotes around the whole line
#endif
    const int status = std::system(command.c_str());
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }
  std::string Out() { return ReadBytes(dir_.Path("out")); }
  std::string Err() { return ReadBytes(dir_.Path("err")); }

  void MakeSample() {
    WriteBytes(dir_.Path("k/Katjusha.exe"), "");
    WriteBytes(dir_.Path("l/live2ch.exe"), "");
    WriteBytes(dir_.Path("k/log/h/b/1.idx"), Sjis(KatjushaIndex("h", "b", "1", "96")));
    WriteBytes(dir_.Path("k/log/h/b/2.idx"), Sjis(KatjushaIndex("h", "b", "2")));
    WriteBytes(dir_.Path("k/log/h/b/3.idx"), "broken");
    WriteBytes(dir_.Path("k/favorite.idx"), "h\\b\\1.idx\r\nh\\b\\3.idx\r\n");
    WriteBytes(dir_.Path("k/stock.idx"), "h\\b\\2.idx\r\n");
    WriteBytes(dir_.Path("k/favboard.idx"), Sjis("▽板\r\n"));
    WriteBytes(dir_.Path("k/other.brd"), "a\tb\r\n");
    WriteBytes(dir_.Path("k/namelist.txt"), Sjis("名無し\r\n"));
  }

  test::TempDir dir_;
};

TEST_F(CliTest, UsageErrorsSayWhatIsWrongAndDoNothing) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"only-one"}, "two folders are needed"},
      {{"a", "b", "c"}, "too many arguments"},
      {{"--kinds", "fav,bogus", "a", "b"}, "unknown kind 'bogus'"},
      {{"--kinds=fav,", "a", "b"}, "a kind is missing after the last ','"},
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"--kinds"}, "--kinds needs a list"}};
  for (const auto& [args, reason] : cases) {
    EXPECT_EQ(Cli(args), 2);
    EXPECT_EQ(Err().rfind("mirelda-cli: " + reason + "\nusage: mirelda-cli", 0), 0u) << reason;
    EXPECT_EQ(Out(), "");
  }
}

TEST_F(CliTest, HelpShowsTheNoticeAndVersionTheVersion) {
  EXPECT_EQ(Cli({"--help"}), 0);
  EXPECT_NE(Out().find("かちゅ～しゃのファイルは読み込むだけですので"), std::string::npos);
  EXPECT_NE(Out().find("allidx    every thread index of the log tree\n"), std::string::npos);
  EXPECT_EQ(Cli({"--version"}), 0);
  EXPECT_EQ(Out(), "mirelda-cli 1.00\n");
}

TEST_F(CliTest, MissingProgramExitsOneWithTheMessage) {
  EXPECT_EQ(Cli({dir_.Path("k"), dir_.Path("l")}), 1);
  EXPECT_EQ(Err(), "かちゅ～しゃが見つかりません\n");
  EXPECT_EQ(Out(), "");
}

TEST_F(CliTest, ConvertsEveryKindAndLeavesKatjushaUntouched) {
  MakeSample();
  const auto katju_before = test::Snapshot(dir_.Path("k"));
  EXPECT_EQ(Cli({"--kinds", "allidx,fav,brd,ftd,namemail,myboard", dir_.Path("k"), dir_.Path("l")}),
            0);
  EXPECT_EQ(test::Snapshot(dir_.Path("k")), katju_before);
  const std::string bad = dir_.Path("k/log/h/b/3.idx");
  EXPECT_EQ(
      Out(),
      "各変換作業を開始します\nお気に入りを変換します\n2件ありました\nh\\b\\3.idxは、なんか変です\n"
      "お気に入り変換完了\n板ボタンを変換します\n1件ありました\n板ボタン変換完了\n"
      "スレッド倉庫を変換します\nスレッド倉庫「stock」を変換します\n1件ありました\n"
      "スレッド倉庫「stock」変換完了\nother.brdをmyboard.brdに変換します\n1件ありました\n"
      "other.brdをmyboard.brdに変換完了\nすべてのidxを変換します\n" +
          bad + "は、なんか変です\nすべてのidxを変換完了\nすべて変換完了\n");
  EXPECT_EQ(Err(), "すべて変換終了\n");
  EXPECT_EQ(test::Snapshot(dir_.Path("l")),
            (std::map<std::string, std::string>{
                {"live2ch.exe", ""},
                {"favorite.ftd", "http://h/test/read.cgi/b/1/\r\n\r\n"},
                {"favboard.fbd", Sjis("板\t0\r\n")},
                {"ftd/stock.ftd", "http://h/test/read.cgi/b/2/\r\n"},
                {"namelist.txt", Sjis("名無し\r\n")},
                {"myboard.brd", Sjis("マイボード\t0\r\n\ta\tb\r\n")},
                {"log/h/b/1.idx", Sjis(Live2chIndex("h", "b", "1", '1'))},
                {"log/h/b/2.idx", Sjis(Live2chIndex("h", "b", "2"))},
            }));
}

TEST_F(CliTest, DefaultKindsSkipAllIndexesAndUnwritableFilesExitThreeWithTheReason) {
  MakeSample();
  std::filesystem::create_directories(dir_.Path("l/myboard.brd"));  // a folder in the way
  EXPECT_EQ(Cli({dir_.Path("k"), dir_.Path("l")}, true), 3);
  const std::string target = dir_.Path("l/myboard.brd");
  EXPECT_NE(Out().find(target + "に書き込めませんでした\nmirelda-cli: " + target + ": "),
            std::string::npos);
  EXPECT_EQ(Out().find("すべてのidx"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir_.Path("l/log/h/b/2.idx")), Sjis(Live2chIndex("h", "b", "2")));
}

TEST_F(CliTest, KindsReplaceTheDefaultsInBothSpellings) {
  MakeSample();
  EXPECT_EQ(Cli({"--kinds=namemail", dir_.Path("k"), dir_.Path("l")}), 0);
  EXPECT_EQ(Out(), "各変換作業を開始します\nすべて変換完了\n");
  EXPECT_EQ(Cli({"--kinds", "brd", dir_.Path("k"), dir_.Path("l")}), 0);
  EXPECT_EQ(Out(),
            "各変換作業を開始します\n板ボタンを変換します\n1件ありました\n板ボタン変換完了\n"
            "すべて変換完了\n");
  EXPECT_EQ(test::Snapshot(dir_.Path("l")).size(), 3u);  // live2ch.exe, namelist.txt, favboard.fbd
}

}  // namespace
}  // namespace mirelda
