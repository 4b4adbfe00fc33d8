// The conversion run: folder normalisation, program checks, order of converters, outcome.
#include "app/run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"
#include "util/path.h"

namespace mirelda {
namespace {

using test::WriteBytes;
using Lines = std::vector<std::string>;

class RunTest : public ::testing::Test {
 protected:
  RunTest() {
    ui_.katju = dir_.Path("k");
    ui_.live = dir_.Path("l/");
    WriteBytes(dir_.Path("k/Katjusha.exe"), "");
    WriteBytes(dir_.Path("l/live2ch.exe"), "");
  }
  RunOutcome Run() { return RunConversion(ui_, fs_, codec_); }

  test::TempDir dir_;
  test::RecordingFrontend ui_;
  test::FaultyFileSystem fs_;
  Cp932Codec codec_;
};

TEST_F(RunTest, MissingProgramsEndTheRunWithAMessageOnly) {
  std::filesystem::remove(dir_.Path("k/Katjusha.exe"));
  std::filesystem::remove(dir_.Path("l/live2ch.exe"));
  EXPECT_EQ(Run(), RunOutcome::kChecksFailed);
  EXPECT_EQ(ui_.messages, Lines{"かちゅ～しゃが見つかりません"});
  WriteBytes(dir_.Path("k/Katjusha.exe"), "");
  EXPECT_EQ(Run(), RunOutcome::kChecksFailed);
  EXPECT_EQ(ui_.messages.back(), "Live2chが見つかりません");
  EXPECT_TRUE(ui_.lines.empty());
  EXPECT_TRUE(ui_.start_enabled);
  EXPECT_EQ(ui_.katju, dir_.Path("k/"));  // normalised all the same
  EXPECT_EQ(ui_.live, dir_.Path("l/"));
}

TEST_F(RunTest, AnEmptyFolderTextBecomesTheSeparator) {
  ui_.katju = "";
  EXPECT_EQ(Run(), RunOutcome::kChecksFailed);
  EXPECT_EQ(ui_.katju, std::string(1, kSep));
}

TEST_F(RunTest, OneFolderForBothProgramsIsRefused) {
  WriteBytes(dir_.Path("k/live2ch.exe"), "");
  ui_.live = dir_.Path("k/");
  EXPECT_EQ(Run(), RunOutcome::kChecksFailed);
  EXPECT_EQ(ui_.messages, Lines{"かちゅ～しゃとLive2chに同じフォルダが指定されています"});
}

TEST_F(RunTest, NothingTickedStillCompletes) {
  ui_.ticks.assign(6, 0);
  EXPECT_EQ(Run(), RunOutcome::kCompleted);
  EXPECT_EQ(ui_.lines, (Lines{"各変換作業を開始します", "すべて変換完了"}));
  EXPECT_EQ(ui_.messages, Lines{"すべて変換終了"});
  EXPECT_FALSE(ui_.start_enabled);
}

TEST_F(RunTest, ConvertersRunInTheirFixedOrder) {
  ui_.ticks.assign(6, 1);
  EXPECT_EQ(Run(), RunOutcome::kCompleted);
  EXPECT_EQ(ui_.lines,
            (Lines{"各変換作業を開始します", "お気に入りを変換します", "お気に入りファイルが変です",
                   "板ボタンを変換します", "板ボタンファイルが変です", "スレッド倉庫を変換します",
                   "other.brdをmyboard.brdに変換します", "外部板ファイルが変です",
                   "すべてのidxを変換します", "すべてのidxを変換完了", "すべて変換完了"}));
}

TEST_F(RunTest, FailuresAndEscapedErrorsAreReportedAndTheRunGoesOn) {
  WriteBytes(dir_.Path("k/other.brd"), "x\r\n");
  WriteBytes(dir_.Path("k/favboard.idx"), "y\r\n");
  fs_.fail_write = [&](const std::string& path) {
    if (path == ui_.live + "favboard.fbd") throw std::runtime_error("disk gone");
    return path == ui_.live + "myboard.brd";
  };
  EXPECT_EQ(Run(), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(ui_.lines[5], "変換中にエラーが起きたため、この項目を中断しました: disk gone");
  EXPECT_EQ(ui_.lines[6], "スレッド倉庫を変換します");
  EXPECT_EQ(ui_.lines[9], ui_.live + "myboard.brdに書き込めませんでした");
  EXPECT_EQ(ui_.lines.back(), "すべて変換完了");
}

}  // namespace
}  // namespace mirelda
