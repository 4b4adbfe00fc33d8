// The record converters on their own, each converter on a pair of folders, the run around them
// (program checks, kinds, outcome), and runs through broken disks and hostile trees.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "convert/board_buttons.h"
#include "convert/favourites.h"
#include "convert/record_list.h"
#include "convert/thread_index.h"
#include "run/restore.h"
#include "tests/running_program.h"
#include "tests/test_support.h"
#include "util/path.h"

namespace mirelda {
namespace {

using test::KatjushaIndex;
using test::Live2chIndex;
using test::Sjis;
using Lines = std::vector<std::string>;
const std::string kSeparator(1, kSep);

TEST(RecordTest, ListsSplitAtEveryLineEndAndAreCountedSo) {
  const std::string_view list = "a\r\nb\n\r\nc\rd\r\r\ne";
  Lines records;
  for (std::string_view rest = list, r; TakeRecord(rest, r);) records.emplace_back(r);
  EXPECT_EQ(records, (Lines{"a", "b", "", "c\rd\r", "e"}));
  EXPECT_EQ(CountRecords(list), 5u);
  EXPECT_EQ(CountRecords("a\r\n\r\n"), 2u);  // the last line end begins no record
  EXPECT_EQ(CountRecords(""), 0u);
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
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"a▽b", "ab", true},   {"▽", "", true}, {"▽▽x▽", "x", true},
      {"abc", "abc", false}, {"", "", false}, {"▼△", "▼△", false}};
  for (const auto& [record, kept, mark] : cases) {
    bool marked = false;
    EXPECT_EQ(WithoutMarks(record, marked), kept) << record;
    EXPECT_EQ(marked, mark) << record;
  }
}

TEST(RecordTest, FavouritePathsFormThreadUrlsAndStayInsideTheLogFolder) {
  EXPECT_EQ(ThreadUrl("P_Q\\R\\123.idx"), "http://P/Q/test/read.cgi/R/123/");
  EXPECT_EQ(ThreadUrl("a_b_c\\R\\1.2.idx\\x"), "http://a/b/c/test/read.cgi/R/1/");
  EXPECT_EQ(ThreadUrl("h\\b\\.idx"), "http://h/test/read.cgi/b//");
  EXPECT_EQ(ThreadUrl("h\\b\\1"), "");
  EXPECT_TRUE(IsUsableFavouritePath("h\\b\\1.idx"));
  for (const char* bad : {"", "h\\1.idx", "h\\b\\1", "\\h\\b\\1.idx", "/h\\b\\1.idx",
                          "C:\\h\\1.idx", "\\h\\b.x\\1.idx", "h\\..\\1.idx", "h\\b\\..",
                          "h/../..\\b\\1.idx", "h\\.\\1.idx", "h\\b/.\\1.idx"}) {
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
  EXPECT_EQ(test::Snapshot(live2ch_), (test::Files{{"favboard.fbd", "old"},
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
  Katjusha("favorite.idx", favourites);
  fs_.fail_write = [](const std::string& path) { return path.find("7.idx") != std::string::npos; };
  fs_.fail_list = [&](const std::string& f) { return f == katjusha_ + test::P("log/h3/"); };
  EXPECT_EQ(Run("fav,allidx", 1), RunOutcome::kCompletedWithFailures);
  const auto one_job = std::make_tuple(report_.lines, report_.failures, test::Snapshot(live2ch_));
  std::filesystem::remove_all(live2ch_);
  test::WriteBytes(live2ch_ + "live2ch.exe", "");
  report_ = {};
  EXPECT_EQ(Run("fav,allidx", 4), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(std::make_tuple(report_.lines, report_.failures, test::Snapshot(live2ch_)), one_job);
}

TEST_F(RunTest, FolderTextsEndInOneSeparatorAndAProgramsPathIsItsFolder) {
  const auto native = MakeNativeFileSystem();
  const RunRequest request = Normalised({"", "\"" + live2ch_ + "live2ch.exe\"", {}}, *native);
  EXPECT_EQ(request.katjusha_folder, kSeparator);
  EXPECT_EQ(request.live2ch_folder, live2ch_);
  EXPECT_EQ(WithSeparator("C:"), "C:" + kSeparator);
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
  EXPECT_EQ(Live2ch("namelist.txt"), Sjis("名無し\r\n"));
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
    EXPECT_EQ(report_.messages,
              Lines{"かちゅ～しゃとLive2chに同じフォルダが指定されています\n（" + katjusha_ +
                    (live2ch == katjusha_ ? "" : "、" + WithSeparator(live2ch)) + "）"});
  }
  EXPECT_TRUE(report_.lines.empty());
}

// Together they run in the table's order: the sample's end-to-end test holds the whole log.
TEST_F(RunTest, EachKindRunsAloneAndNoneStillCompletes) {
  const char* openings[] = {"お気に入りを変換します",
                            "板ボタンを変換します",
                            "スレッド倉庫を変換します",
                            "",
                            "other.brdをmyboard.brdに変換します",
                            "すべてのidxを変換します"};
  for (size_t i = 0; i < std::size(openings); ++i) {
    report_.lines.clear();
    EXPECT_EQ(Run(std::string(kDataKinds[i].option)), RunOutcome::kCompleted);
    EXPECT_EQ(report_.lines.size() > 3 ? report_.lines[1] : "", openings[i]) << i;
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

#ifndef _WIN32
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

#endif

}  // namespace
}  // namespace mirelda
