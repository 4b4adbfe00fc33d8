// The record converters on their own, and each converter on a pair of folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "convert/board_buttons.h"
#include "convert/favourites.h"
#include "convert/record_list.h"
#include "convert/thread_index.h"
#include "tests/test_support.h"

namespace mirelda {
namespace {

using test::KatjushaIndex;
using test::Live2chIndex;
using test::Sjis;
using Lines = std::vector<std::string>;

TEST(RecordTest, ListsSplitAtEveryLineEndAndJoinWithCrLf) {
  using Pieces = std::vector<std::string_view>;
  EXPECT_EQ(SplitRecords("a\r\nb\nc"), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitRecords("a\r\n\r\n"), (Pieces{"a", ""}));
  EXPECT_EQ(SplitRecords("\n"), (Pieces{""}));
  EXPECT_EQ(SplitRecords("a\rb\r\r\n"), (Pieces{"a\rb\r"}));
  EXPECT_EQ(SplitRecords(""), Pieces{});
  EXPECT_EQ(JoinRecords({"a", ""}), "a\r\n\r\n");
  EXPECT_EQ(CountLine(12), "12件ありました");
}

TEST(RecordTest, ThreadIndexesNeedEighteenFieldsAndDropLineEnds) {
  const std::string index = KatjushaIndex("news.2ch.net", "newsplus", "123");
  EXPECT_EQ(ThreadIndexLine(index), Live2chIndex("news.2ch.net", "newsplus", "123"));
  EXPECT_EQ(ThreadIndexLine(index + "\tmore\r\n"), ThreadIndexLine(index));
  EXPECT_EQ(ThreadIndexLine(std::string(17, '\t')),
            "10077\t\thttp:///test/read.cgi///\t0\t\t\t\t\t0\t\t0\t0\t\t\t\t");
  EXPECT_EQ(ThreadIndexLine(std::string(16, '\t') + "\r\n"), "");
  EXPECT_EQ(ThreadIndexLine("0\t1\t2\t3\r\n\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t1\n7"),
            "10077\t3\thttp://4/test/read.cgi/5/6/\t0\t10\t11\t14\t15\t0\t17\t0\t0\t\t\t\t");
  EXPECT_EQ(ThreadIndexLine(""), "");
}

TEST(RecordTest, OnlyExactlyNinetySixOrOneHundredTwelveSetTheFlag) {
  for (const char* set : {"96", "112"}) {
    EXPECT_EQ(ThreadIndexLine(KatjushaIndex("h", "b", "1", set)), Live2chIndex("h", "b", "1", '1'));
  }
  for (const char* other : {" 96", "112 ", "096", "0112", "97", "", "1"}) {
    EXPECT_EQ(ThreadIndexLine(KatjushaIndex("h", "b", "1", other)), Live2chIndex("h", "b", "1"));
  }
}

TEST(RecordTest, BoardButtonsLoseEveryMarkAndKeepItAsAFlag) {
  const std::pair<const char*, const char*> cases[] = {{"a▽b", "ab\t0"}, {"▽", "\t0"},
                                                       {"▽▽x▽", "x\t0"}, {"abc", "abc\t1"},
                                                       {"", "\t1"},      {"▼△", "▼△\t1"}};
  for (const auto& [record, line] : cases) EXPECT_EQ(BoardButtonLine(record), line) << record;
}

TEST(RecordTest, FavouritePathsFormThreadUrlsAndStayInsideTheLogFolder) {
  EXPECT_EQ(ThreadUrl("P_Q\\R\\123.idx"), "http://P/Q/test/read.cgi/R/123/");
  EXPECT_EQ(ThreadUrl("a_b_c\\R\\1.2.idx\\x"), "http://a/b/c/test/read.cgi/R/1/");
  EXPECT_EQ(ThreadUrl("h\\b\\.idx"), "http://h/test/read.cgi/b//");
  EXPECT_EQ(ThreadUrl("h\\b\\1"), "");
  EXPECT_TRUE(IsUsableFavouritePath("h\\b\\1.idx"));
  for (const char* bad :
       {"", "h\\1.idx", "h\\b\\1", "\\h\\b\\1.idx", "/h\\b\\1.idx", "C:\\h\\1.idx", "h\\..\\1.idx",
        "h\\b\\..", "h/../..\\b\\1.idx", "h\\.\\1.idx", "h\\b/.\\1.idx"}) {
    EXPECT_FALSE(IsUsableFavouritePath(bad)) << bad;
  }
}

class ConverterTest : public test::FolderPair {
 protected:
  void Index(const std::string& host, const std::string& board, const std::string& key) {
    Katjusha("log/" + host + "/" + board + "/" + key + ".idx", KatjushaIndex(host, board, key));
  }
};

TEST_F(ConverterTest, MissingListsLeaveLive2chFilesAloneAndEmptyOnesSayTheyAreOdd) {
  for (const char* name : {"favorite.ftd", "favboard.fbd", "myboard.brd", "namelist.txt"}) {
    Live2ch(name, "old");
  }
  Katjusha("other.brd", "");
  Katjusha("maillist.txt", "");  // an empty name or mail list is copied all the same
  Katjusha("log", "a file, not a folder");
  EXPECT_EQ(Run("fav,brd,myboard,namemail,allidx"), RunOutcome::kCompleted);
  EXPECT_EQ(ConverterLines(),
            (Lines{"お気に入りを変換します", "お気に入りファイルが変です", "板ボタンを変換します",
                   "板ボタンファイルが変です", "other.brdをmyboard.brdに変換します",
                   "外部板ファイルが変です", "すべてのidxを変換します", "すべてのidxを変換完了"}));
  EXPECT_EQ(test::Snapshot(live2ch_),
            (std::map<std::string, std::string>{{"favboard.fbd", "old"},
                                                {"favorite.ftd", "old"},
                                                {"live2ch.exe", ""},
                                                {"maillist.txt", ""},
                                                {"myboard.brd", "old"},
                                                {"namelist.txt", "old"}}));
}

TEST_F(ConverterTest, WarehousesAreEveryOtherIdxListOfTheKatjushaFolder) {
  Katjusha("favorite.idx", "s\\b\\2.idx\r\n");
  Katjusha("FAVBOARD.IDX", "x\r\n");
  Katjusha("news.idx", "s\\b\\1.idx\r\n");
  Katjusha("empty.idx", "");
  Katjusha("log/in.idx", "not a warehouse");
  EXPECT_EQ(Run("ftd"), RunOutcome::kCompleted);
  EXPECT_EQ(
      ConverterLines(),
      (Lines{"スレッド倉庫を変換します", "スレッド倉庫「empty」を変換します",
             "スレッド倉庫「empty」は、ファイルが変です", "スレッド倉庫「news」を変換します",
             "1件ありました", "s\\b\\1.idxは、なんか変です", "スレッド倉庫「news」変換完了"}));
  EXPECT_EQ(test::Snapshot(live2ch_ + "ftd"),
            (std::map<std::string, std::string>{{"news.ftd", "\r\n"}}));
}

TEST_F(ConverterTest, AllIndexesMirrorTheLogTreeAndNothingElse) {
  Index("h", "b", "1");
  Katjusha("log/h/b/1.dat", "a thread's posts");
  Katjusha("log/h/b/bad.idx", "too\tfew");
  Live2ch("log/h/b/only-live.idx", "kept");
  EXPECT_EQ(Run("allidx"), RunOutcome::kCompleted);
  EXPECT_EQ(ConverterLines(), (Lines{"すべてのidxを変換します",
                                     katjusha_ + test::P("log/h/b/bad.idx") + "は、なんか変です",
                                     "すべてのidxを変換完了"}));
  EXPECT_EQ(test::Snapshot(live2ch_ + "log"),
            (std::map<std::string, std::string>{{"h/b/1.idx", Sjis(Live2chIndex("h", "b", "1"))},
                                                {"h/b/only-live.idx", "kept"}}));
  EXPECT_EQ(report_.events, 3);  // once per folder listed
}

#ifndef _WIN32
TEST_F(ConverterTest, TheExactNameWinsOverOneThatDiffersOnlyInCase) {
  Katjusha("LOG/A/b/1.idx", KatjushaIndex("A", "b", "1"));
  Katjusha("LOG/a/b/1.idx", KatjushaIndex("a", "b", "1"));
  Katjusha("favorite.idx", "a\\b\\1.idx\r\n");
  EXPECT_EQ(Run("fav"), RunOutcome::kCompleted);
  EXPECT_EQ(Live2ch("log/a/b/1.idx"), Sjis(Live2chIndex("a", "b", "1")));
  // Live2ch's side has one folder for both names, as on Windows: the one listed last stays.
  EXPECT_EQ(Run("allidx"), RunOutcome::kCompleted);
  EXPECT_EQ(test::Snapshot(live2ch_ + "log"),
            (std::map<std::string, std::string>{{"a/b/1.idx", Sjis(Live2chIndex("a", "b", "1"))}}));
}
#endif

TEST_F(ConverterTest, FailedWritesAreLoggedExplainedAndLeaveOldFilesWhole) {
  Index("h", "b", "1");
  Katjusha("favorite.idx", "h\\b\\1.idx\r\n");
  Live2ch("favorite.ftd", "old");
  Live2ch("log", "a file where a folder should be");
  fs_.fail_write = [&](const std::string& path) { return path == live2ch_ + "favorite.ftd"; };
  EXPECT_EQ(Run("fav"), RunOutcome::kCompletedWithFailures);
  const std::string index = live2ch_ + test::P("log/h/b/1.idx");
  EXPECT_EQ(ConverterLines(),
            (Lines{"お気に入りを変換します", "1件ありました", index + "に書き込めませんでした",
                   live2ch_ + "favorite.ftdに書き込めませんでした", "お気に入り変換完了"}));
  EXPECT_EQ(report_.failures, (Lines{index, live2ch_ + "favorite.ftd"}));
  EXPECT_EQ(Live2ch("favorite.ftd"), "old");
}

}  // namespace
}  // namespace mirelda
