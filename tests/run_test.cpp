// The run around the converters: program checks, kinds, jobs and outcome.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "run/restore.h"
#include "tests/running_program.h"
#include "tests/test_support.h"
#include "util/path.h"

namespace mirelda {
namespace {

using test::KatjushaIndex;
using Lines = std::vector<std::string>;
const std::string kSeparator(1, kSep);

class RunTest : public test::FolderPair {};

TEST_F(RunTest, ManyJobsLogAndWriteExactlyWhatOneJobDoes) {
  std::string favourites;
  for (int i = 0; i < 240; ++i) {
    // Bad, missing, unwritable and unlisted indexes among good ones, in folders h0 and H0 alike.
    const std::string host = std::string(1, i % 11 ? 'h' : 'H') + std::to_string(i % 6);
    const std::string key = std::to_string(i);
    Katjusha("log/" + host + "/b/" + key + ".idx", i % 5 ? KatjushaIndex(host, "b", key) : "bad");
    favourites += host + "\\b\\" + key + (i % 9 ? ".idx\r\n" : ".gone\r\n");
  }
  // Each favourite twice, in batches apart: one file written twice, in its order.
  Katjusha("favorite.idx", favourites + favourites);
  fs_.fail_write = [](const std::string& path) { return path.find("7.idx") != std::string::npos; };
  fs_.fail_list = [&](const std::string& f) { return f == katjusha_ + test::P("log/h3/"); };
  EXPECT_EQ(Run("fav,allidx", 1), RunOutcome::kCompletedWithFailures);
  const auto one_job =
      std::make_tuple(report_.lines, report_.failures, test::Live2chSnapshot(live2ch_));
  std::filesystem::remove_all(live2ch_);
  test::WriteBytes(live2ch_ + "live2ch.exe", "");
  report_ = {};
  EXPECT_EQ(Run("fav,allidx", 4), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(std::make_tuple(report_.lines, report_.failures, test::Live2chSnapshot(live2ch_)),
            one_job);
}

TEST_F(RunTest, FolderTextsEndInOneSeparatorAndAProgramsPathIsItsFolder) {
  const auto native = MakeNativeFileSystem();
  const RunRequest request = Normalised({"", "\"" + live2ch_ + "live2ch.exe\"", {}}, *native);
  EXPECT_EQ(request.katjusha_folder, kSeparator);
  EXPECT_EQ(request.live2ch_folder, live2ch_);
  EXPECT_EQ(WithSeparator("C:"), "C:" + kSeparator);
  // The checks alone, as the undo makes them, take the folders so too.
  const auto codec = Cp932Codec::Open();
  EXPECT_TRUE(PassesChecks({"\"" + katjusha_ + "Katjusha.exe\"", live2ch_ + "live2ch.exe", {}},
                           report_, *native, *codec));
}

TEST_F(RunTest, MissingProgramsEndTheRunWithAMessageNamingTheFolder) {
  std::filesystem::remove(katjusha_ + "Katjusha.exe");
  std::filesystem::remove(live2ch_ + "live2ch.exe");
  EXPECT_EQ(Run("fav"), RunOutcome::kChecksFailed);
  test::WriteBytes(katjusha_ + "Katjusha.exe", "");
  EXPECT_EQ(Run("fav"), RunOutcome::kChecksFailed);
  EXPECT_EQ(report_.messages,
            (Lines{"かちゅ～しゃが見つかりません\n（" + katjusha_ + "にKatjusha.exeがありません）",
                   "Live2chが見つかりません\n（" + live2ch_ + "にlive2ch.exeがありません）"}));
  EXPECT_TRUE(report_.lines.empty());
}

// Live2ch saves its favourites and board list when it exits, over whatever was converted.
TEST_F(RunTest, ARunningLive2chStopsRunAndRestoreButARunningKatjushaIsOnlyWarnedOf) {
  Katjusha("namelist.txt", "名無し\r\n");
  {
    test::RunningProgram live2ch(live2ch_ + "live2ch.exe");
    EXPECT_EQ(Run("namemail"), RunOutcome::kChecksFailed);
    EXPECT_EQ(RestoreRun({live2ch_, ""}, report_, fs_, 0), RestoreOutcome::kLive2chRunning);
  }
  EXPECT_EQ(report_.messages, Lines(2, "Live2chが起動しています。終了してから変換してください"));
  EXPECT_TRUE(report_.lines.empty());
  EXPECT_EQ(Live2ch("namelist.txt"), "<missing>");
  test::RunningProgram katjusha(katjusha_ + "Katjusha.exe");
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompleted);
  EXPECT_EQ(report_.lines.front(),
            "かちゅ～しゃが起動しています。終了してから変換すると、最新のデータが変換されます");
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("名無し\r\n"));
}

TEST_F(RunTest, OneFolderForBothProgramsIsRefusedHoweverItIsSpelt) {
  test::WriteBytes(katjusha_ + "live2ch.exe", "");
  std::vector<std::string> spellings{katjusha_, test::P(katjusha_ + "./")};
  // A name with a NUL in it names no folder, however much of it does.
  EXPECT_FALSE(fs_.IsSameFolder(katjusha_ + std::string("\0x", 2), katjusha_));
#ifndef _WIN32
  std::filesystem::create_directory_symlink(dir_.Path("k"), dir_.Path("link"));
  spellings.push_back(dir_.Path("link"));
#endif
  const auto codec = Cp932Codec::Open();
  for (const std::string& live2ch : spellings) {
    report_.messages.clear();
    EXPECT_EQ(RunConversion({katjusha_, live2ch, DefaultKinds()}, report_, fs_, *codec),
              RunOutcome::kChecksFailed);
    EXPECT_EQ(report_.messages,
              Lines{"かちゅ～しゃとLive2chに同じフォルダが指定されています\n（" + katjusha_ +
                    (live2ch == katjusha_ ? "" : "、" + WithSeparator(live2ch)) + "）"});
  }
  EXPECT_TRUE(report_.lines.empty());
}

// Together they run in the table's order: the sample's end-to-end test holds the whole log.
TEST_F(RunTest, EachKindRunsAloneAndNoneStillCompletes) {
  const std::map<std::string_view, std::string> openings = {
      {"fav", "お気に入りを変換します"},
      {"brd", "板ボタンを変換します"},
      {"ftd", "スレッド倉庫を変換します"},
      {"namemail", ""},
      {"myboard", "other.brdをmyboard.brdに変換します"},
      {"allidx", "すべてのidxを変換します"}};
  ASSERT_EQ(openings.size(), std::size(kDataKinds));
  for (const DataKind& kind : kDataKinds) {
    report_.lines.clear();
    EXPECT_EQ(Run(std::string(kind.option)), RunOutcome::kCompleted);
    EXPECT_EQ(report_.lines.size() > 3 ? report_.lines[1] : "", openings.at(kind.option))
        << kind.option;
  }
  report_.lines.clear();
  EXPECT_EQ(Run(""), RunOutcome::kCompleted);
  EXPECT_EQ(report_.lines,
            (Lines{"各変換作業を開始します", "新規0件、置換0件、変更なし0件、変なidx0件、失敗0件",
                   "すべて変換完了"}));
  EXPECT_EQ(report_.messages, Lines(std::size(openings) + 1, "すべて変換終了"));
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
  EXPECT_EQ(Lines(report_.lines.end() - 4, report_.lines.end()),
            (Lines{"新規1件、置換0件、変更なし0件、変なidx0件、失敗1件", "すべて変換完了",
                   "失敗した項目：", report_.lines[3]}));
}

// A Katjusha file that is there but cannot be read has a failure line of its own, after the
// converter's, so that the summary and the closing message count the same failures.
TEST_F(RunTest, AnUnreadableKatjushaFileHasItsFailureLineAndIsCountedOnce) {
  Katjusha("favorite.idx", "h\\b\\1.idx\r\n");
  Katjusha("log/h/b/1.idx", KatjushaIndex("h", "b", "1"));
  Katjusha("namelist.txt", "名無し\r\n");
  const std::vector<std::string> unreadable{katjusha_ + "favorite.idx", katjusha_ + "namelist.txt"};
  fs_.fail_read = [&](const std::string& path) {
    return std::find(unreadable.begin(), unreadable.end(), path) != unreadable.end();
  };
  EXPECT_EQ(Run("fav,namemail"), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(ConverterLines(), (Lines{"お気に入りを変換します", "お気に入りファイルが変です",
                                     unreadable[0] + "を読み込めませんでした",
                                     unreadable[1] + "を読み込めませんでした"}));
  EXPECT_TRUE(Logged("新規0件、置換0件、変更なし0件、変なidx0件、失敗2件"));
  EXPECT_EQ(report_.failures, unreadable);
  ASSERT_EQ(report_.messages.size(), 1u);
  EXPECT_TRUE(report_.messages[0].starts_with("変換は終わりましたが、失敗が2件あります。"));
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

}  // namespace
}  // namespace mirelda
