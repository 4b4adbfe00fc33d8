// Each converter on fixture folders: the files it writes, the lines it logs.
#include <gtest/gtest.h>

#include <filesystem>

#include "convert/all_indexes.h"
#include "convert/board_buttons.h"
#include "convert/favourites.h"
#include "convert/my_board.h"
#include "convert/name_mail.h"
#include "convert/warehouses.h"
#include "tests/test_support.h"
#include "util/path.h"

namespace mirelda {
namespace {

using test::KatjuIndex;
using test::LiveIndex;
using test::ReadBytes;
using test::Sjis;
using test::WriteBytes;
using Lines = std::vector<std::string>;

class ConverterTest : public ::testing::Test {
 protected:
  ConverterTest() {
    ui_.katju = dir_.Path("k/");
    ui_.live = dir_.Path("l/");
    std::filesystem::create_directories(ui_.katju);
    std::filesystem::create_directories(ui_.live);
  }
  void Katju(const std::string& relative, const std::string& text) {
    WriteBytes(dir_.Path("k/" + relative), Sjis(text));
  }
  void Live(const std::string& relative, const std::string& text) {
    WriteBytes(dir_.Path("l/" + relative), Sjis(text));
  }
  std::string Live(const std::string& relative) { return ReadBytes(dir_.Path("l/" + relative)); }
  void Index(const std::string& host, const std::string& board, const std::string& key) {
    Katju("log/" + host + "/" + board + "/" + key + ".idx", KatjuIndex(host, board, key));
  }
  std::string Url(const std::string& host, const std::string& board, const std::string& key) {
    return "http://" + host + "/test/read.cgi/" + board + "/" + key + "/";
  }

  test::TempDir dir_;
  test::RecordingFrontend ui_;
  test::FaultyFileSystem fs_;
  Cp932Codec codec_;
  TextFiles files_{fs_, codec_};
  Context cx_{ui_, files_};
};

TEST_F(ConverterTest, FavouritesConvertEveryUsableEntryAndKeepTheirPlaces) {
  Index("h", "b", "1");
  Index("h", "b", "3");
  Katju("favorite.idx", "h\\b\\1.idx\r\nh\\b\\2.idx\r\n\r\n..\\..\\x\\1.idx\r\nh\\b\\3.idx");
  FavCnv(cx_);
  EXPECT_EQ(ui_.lines,
            (Lines{"お気に入りを変換します", "5件ありました", "h\\b\\2.idxは、なんか変です",
                   "は、なんか変です", "..\\..\\x\\1.idxは、なんか変です", "お気に入り変換完了"}));
  EXPECT_EQ(Live("favorite.ftd"),
            Url("h", "b", "1") + "\r\n\r\n\r\n\r\n" + Url("h", "b", "3") + "\r\n");
  EXPECT_EQ(Live("log/h/b/1.idx"), Sjis(LiveIndex("h", "b", "1")));
  EXPECT_EQ(Live("log/h/b/2.idx"), "<missing>");
  EXPECT_EQ(cx_.failures(), 0);
}

TEST_F(ConverterTest, FavouritesWithLfLineEndsAreNotLost) {
  Index("h_x", "b", "1");
  Index("h", "b", "2");
  Katju("favorite.idx", "h_x\\b\\1.idx\nh\\b\\2.idx\n");
  FavCnv(cx_);
  EXPECT_EQ(ui_.lines[1], "2件ありました");
  EXPECT_EQ(Live("favorite.ftd"), Url("h/x", "b", "1") + "\r\n" + Url("h", "b", "2") + "\r\n");
  EXPECT_EQ(Live("log/h_x/b/1.idx"), Sjis(LiveIndex("h_x", "b", "1")));
}

TEST_F(ConverterTest, MissingListsLeaveLive2chFilesAlone) {
  Live("favorite.ftd", "old fav");
  Live("favboard.fbd", "old brd");
  Live("myboard.brd", "old my");
  Katju("other.brd", "");
  FavCnv(cx_);
  BrdCnv(cx_);
  MybrdCnv(cx_);
  EXPECT_EQ(ui_.lines, (Lines{"お気に入りを変換します", "お気に入りファイルが変です",
                              "板ボタンを変換します", "板ボタンファイルが変です",
                              "other.brdをmyboard.brdに変換します", "外部板ファイルが変です"}));
  EXPECT_EQ(Live("favorite.ftd") + Live("favboard.fbd") + Live("myboard.brd"),
            "old favold brdold my");
}

TEST_F(ConverterTest, BoardButtonsAndMyBoardsKeepEveryRecord) {
  Live("favboard.fbd", "a much longer old file\r\nwith two lines\r\n");
  Katju("favboard.idx", "▽ニュース\thttp://a/\r\n\r\nc");
  Katju("other.brd", "x\ty\r\n\r\nz");
  BrdCnv(cx_);
  MybrdCnv(cx_);
  EXPECT_EQ(ui_.lines, (Lines{"板ボタンを変換します", "3件ありました", "板ボタン変換完了",
                              "other.brdをmyboard.brdに変換します", "3件ありました",
                              "other.brdをmyboard.brdに変換完了"}));
  EXPECT_EQ(Live("favboard.fbd"), Sjis("ニュース\thttp://a/\t0\r\n\t1\r\nc\t1\r\n"));
  EXPECT_EQ(Live("myboard.brd"), Sjis("マイボード\t0\r\n\tx\ty\r\n\t\r\n\tz\r\n"));
}

TEST_F(ConverterTest, NameAndMailListsAreCopiedOnlyWhenKatjushaHasThem) {
  WriteBytes(dir_.Path("k/namelist.txt"),
             "\x96\xBC\x96\xB3\x82\xB5\x80\r\n");  // 名無し + a stray byte
  Live("maillist.txt", "sage\r\n");
  NameMailCnv(cx_);
  EXPECT_EQ(Live("namelist.txt"), "\x96\xBC\x96\xB3\x82\xB5\x80\r\n");
  EXPECT_EQ(Live("maillist.txt"), "sage\r\n");
  Katju("maillist.txt", "");
  NameMailCnv(cx_);
  EXPECT_EQ(Live("maillist.txt"), "");
  EXPECT_TRUE(ui_.lines.empty());
}

TEST_F(ConverterTest, WarehousesAreEveryOtherIdxListOfTheKatjushaFolder) {
  Index("s", "b", "2");
  Katju("favorite.idx", "s\\b\\2.idx\r\n");
  Katju("FAVBOARD.IDX", "x\r\n");
  Katju("news.idx", "s_x\\b\\1.idx\r\ns\\b\\2.idx\r\n");
  Katju("old.backup.IDX", "s\\b\\2.idx");
  Katju("empty.idx", "");
  Katju("log/in.idx", "not a warehouse");
  FtdCnv(cx_, ui_.katju + "*.idx");
  EXPECT_EQ(ui_.lines,
            (Lines{"スレッド倉庫を変換します", "スレッド倉庫「empty」を変換します",
                   "スレッド倉庫「empty」は、ファイルが変です", "スレッド倉庫「news」を変換します",
                   "2件ありました", "s_x\\b\\1.idxは、なんか変です", "スレッド倉庫「news」変換完了",
                   "スレッド倉庫「old.backup」を変換します", "1件ありました",
                   "スレッド倉庫「old.backup」変換完了"}));
  EXPECT_EQ(Live("ftd/news.ftd"), "\r\n" + Url("s", "b", "2") + "\r\n");
  EXPECT_EQ(Live("ftd/old.backup.ftd"), Url("s", "b", "2") + "\r\n");
  EXPECT_EQ(Live("ftd/empty.ftd"), "<missing>");
  EXPECT_EQ(Live("log/s/b/2.idx"), Sjis(LiveIndex("s", "b", "2")));
}

TEST_F(ConverterTest, AllIndexesMirrorTheLogTree) {
  Index("h", "b", "1");
  Index("h", "k", "2");
  Katju("log/top.idx", KatjuIndex("t", "t", "t"));
  Katju("log/h/b/bad.idx", "too\tfew");
  Live("log/h/b/only-live.idx", "kept");
  const std::string search = ui_.katju + "log" + kSep + "*.idx";
  AllIdx(cx_, search);
  const std::string bad = dir_.Path("k/log/h/b/bad.idx");
  EXPECT_EQ(ui_.lines,
            (Lines{"すべてのidxを変換します", bad + "は、なんか変です", "すべてのidxを変換完了"}));
  EXPECT_EQ(Live("log/top.idx"), Sjis(LiveIndex("t", "t", "t")));
  EXPECT_EQ(Live("log/h/b/1.idx"), Sjis(LiveIndex("h", "b", "1")));
  EXPECT_EQ(Live("log/h/k/2.idx"), Sjis(LiveIndex("h", "k", "2")));
  EXPECT_EQ(Live("log/h/b/only-live.idx"), "kept");
  EXPECT_EQ(ui_.events, 4);  // once per folder listed
}

TEST_F(ConverterTest, AllIndexesWithoutALogFolderStillComplete) {
  AllIdx(cx_, ui_.katju + "log" + kSep + "*.idx");
  EXPECT_EQ(ui_.lines, (Lines{"すべてのidxを変換します", "すべてのidxを変換完了"}));
}

TEST_F(ConverterTest, FailedWritesAreLoggedCountedAndLeaveOldFilesWhole) {
  Index("h", "b", "1");
  Katju("favorite.idx", "h\\b\\1.idx\r\n");
  Live("favorite.ftd", "old");
  fs_.fail_write = [&](const std::string& path) { return path == ui_.live + "favorite.ftd"; };
  WriteBytes(dir_.Path("l/log"), "a file where a folder should be");
  FavCnv(cx_);
  const std::string index = dir_.Path("l/log/h/b/1.idx");
  EXPECT_EQ(ui_.lines,
            (Lines{"お気に入りを変換します", "1件ありました", index + "に書き込めませんでした",
                   ui_.live + "favorite.ftdに書き込めませんでした", "お気に入り変換完了"}));
  EXPECT_EQ(Live("favorite.ftd"), "old");
  EXPECT_EQ(cx_.failures(), 2);
}

}  // namespace
}  // namespace mirelda
