// Each converter on a pair of folders: what it reads, writes and logs, and what it leaves alone.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"
#include "util/path.h"

namespace mirelda {
namespace {

using test::KatjushaIndex;
using test::Live2chIndex;
using test::Sjis;
using Lines = std::vector<std::string>;

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
  EXPECT_EQ(test::Live2chSnapshot(live2ch_), (test::Files{{"favboard.fbd", "old"},
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
  EXPECT_EQ(test::Snapshot(live2ch_ + "ftd"), (test::Files{{"news.ftd", "\r\n"}}));
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
            (test::Files{{"h/b/1.idx", Sjis(Live2chIndex("h", "b", "1"))},
                         {"h/b/only-live.idx", "kept"}}));
  // Once before the kind, for each folder counted and listed again, and for each index.
  EXPECT_EQ(report_.events, 9);
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
            (test::Files{{"a/b/1.idx", Sjis(Live2chIndex("a", "b", "1"))}}));
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

TEST_F(ConverterTest, KatjushaFilesThatCannotBeReadAreFailuresButMissingOnesAreNot) {
  // 2.idx is missing, like maillist.txt: no failure.
  Katjusha("favorite.idx", "h\\b\\1.idx\r\nh\\b\\2.idx\r\n");
  for (const char* folder : {"log/h/b/1.idx", "favboard.idx", "namelist.txt"}) {
    std::filesystem::create_directories(katjusha_ + test::P(folder));  // where a file should be
  }
  EXPECT_EQ(Run("fav,brd,namemail"), RunOutcome::kCompletedWithFailures);
  EXPECT_TRUE(Logged("h\\b\\1.idxは、なんか変です") && Logged("板ボタンファイルが変です"));
  EXPECT_EQ(report_.failures, (Lines{katjusha_ + test::P("log/h/b/1.idx"),
                                     katjusha_ + "favboard.idx", katjusha_ + "namelist.txt"}));
}

}  // namespace
}  // namespace mirelda
