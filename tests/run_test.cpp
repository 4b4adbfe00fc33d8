// The conversion run: folder normalisation, program checks, order of kinds, outcome.
#include "app/run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"
#include "util/path.h"

namespace mirelda {
namespace {

using Lines = std::vector<std::string>;
const std::string kSeparator(1, kSep);

class RunTest : public test::FolderPair {};

TEST(RunRequestTest, FolderTextsEndInOneSeparator) {
  const RunRequest request = Normalised({"", "l" + kSeparator, {}});
  EXPECT_EQ(request.katjusha_folder, kSeparator);
  EXPECT_EQ(request.live2ch_folder, "l" + kSeparator);
  EXPECT_EQ(WithSeparator("C:"), "C:" + kSeparator);
}

TEST_F(RunTest, MissingProgramsEndTheRunWithAMessageOnly) {
  std::filesystem::remove(katjusha_ + "Katjusha.exe");
  std::filesystem::remove(live2ch_ + "live2ch.exe");
  EXPECT_EQ(Run("fav"), RunOutcome::kChecksFailed);
  test::WriteBytes(katjusha_ + "Katjusha.exe", "");
  EXPECT_EQ(Run("fav"), RunOutcome::kChecksFailed);
  EXPECT_EQ(report_.messages, (Lines{"かちゅ～しゃが見つかりません", "Live2chが見つかりません"}));
  EXPECT_TRUE(report_.lines.empty());
}

TEST_F(RunTest, OneFolderForBothProgramsIsRefusedHoweverItIsSpelt) {
  test::WriteBytes(katjusha_ + "live2ch.exe", "");
  std::vector<std::string> spellings{katjusha_, test::P(katjusha_ + "./")};
#ifndef _WIN32
  std::filesystem::create_directory_symlink(dir_.Path("k"), dir_.Path("link"));
  spellings.push_back(dir_.Path("link"));
#endif
  std::error_code error;
  const auto codec = Cp932Codec::Open(error);
  for (const std::string& live2ch : spellings) {
    report_.messages.clear();
    EXPECT_EQ(RunConversion({katjusha_, live2ch, DefaultKinds()}, report_, fs_, *codec),
              RunOutcome::kChecksFailed);
    EXPECT_EQ(report_.messages, Lines{"かちゅ～しゃとLive2chに同じフォルダが指定されています"});
  }
  EXPECT_TRUE(report_.lines.empty());
}

// Together they run in the table's order: the sample's end-to-end test holds the whole log.
TEST_F(RunTest, EachKindRunsAloneAndNoneStillCompletes) {
  const Lines openings{"お気に入りを変換します",
                       "板ボタンを変換します",
                       "スレッド倉庫を変換します",
                       "",
                       "other.brdをmyboard.brdに変換します",
                       "すべてのidxを変換します"};
  for (size_t i = 0; i < openings.size(); ++i) {
    report_.lines.clear();
    EXPECT_EQ(Run(std::string(kDataKinds[i].option)), RunOutcome::kCompleted);
    EXPECT_EQ(report_.lines.size() > 2 ? report_.lines[1] : "", openings[i]) << i;
  }
  report_.lines.clear();
  EXPECT_EQ(Run(""), RunOutcome::kCompleted);
  EXPECT_EQ(report_.lines, (Lines{"各変換作業を開始します", "すべて変換完了"}));
  EXPECT_EQ(report_.messages, Lines(openings.size() + 1, "すべて変換終了"));
  EXPECT_EQ(DefaultKinds(), test::Kinds("fav,brd,ftd,namemail,myboard"));
}

TEST_F(RunTest, AnEscapedErrorAloneEndsTheRunWithFailures) {
  Katjusha("favboard.idx", "y\r\n");
  Katjusha("other.brd", "x\r\n");
  fs_.fail_write = [&](const std::string& path) -> bool {
    if (path == live2ch_ + "favboard.fbd") throw std::runtime_error("disk gone");
    return false;
  };
  EXPECT_EQ(Run("brd,myboard"), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(report_.lines[3], "変換中にエラーが起きたため、この項目を中断しました: disk gone");
  EXPECT_EQ(report_.lines[4], "other.brdをmyboard.brdに変換します");
  EXPECT_EQ(report_.lines.back(), "すべて変換完了");
}

TEST_F(RunTest, AFolderThatCannotBeListedAloneEndsTheRunWithFailures) {
  Katjusha("log/h/1.idx", "");
  fs_.fail_list = [&](const std::string& folder) {
    return folder == katjusha_ + test::P("log/h/");
  };
  EXPECT_EQ(Run("allidx"), RunOutcome::kCompletedWithFailures);
  EXPECT_TRUE(Logged(katjusha_ + test::P("log/h/") + "を読み込めませんでした"));
  EXPECT_EQ(report_.failures, Lines{katjusha_ + test::P("log/h/")});
}

TEST_F(RunTest, AStopBetweenTwoFilesEndsTheRunWithoutItsClosingLines) {
  Katjusha("log/h/b/1.idx", test::KatjushaIndex("h", "b", "1"));
  report_.stop_at = 2;
  EXPECT_EQ(Run("allidx"), RunOutcome::kStopped);
  EXPECT_EQ(report_.lines, (Lines{"各変換作業を開始します", "すべてのidxを変換します"}));
  EXPECT_TRUE(report_.messages.empty());
}

}  // namespace
}  // namespace mirelda
