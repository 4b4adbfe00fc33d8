// What a run keeps of the files it replaces, what a dry run leaves, and what a restore gives back.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <tuple>

#include "backup/keeping_file_system.h"
#include "run/restore.h"
#include "run/run_log.h"
#include "tests/test_support.h"
#include "util/path.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class BackupTest : public test::FolderPair {
 protected:
  BackupTest() {
    Katjusha("favboard.idx", "板\r\nhttp://h/b/\r\n");
    Katjusha("namelist.txt", "名無し\r\n");
    Katjusha("maillist.txt", "sage\r\n");
    Katjusha("news.idx", "s\\b\\1.idx\r\n");
  }

  // The name of the one backup folder, or "" when there is none.
  std::string Stamp() const {
    const std::string root = live2ch_ + "mirelda-backup";
    if (!fs::exists(root)) return "";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root)) {
      if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names.back();
  }

  std::string BackupFolder() const {
    return live2ch_ + test::P("mirelda-backup/") + Stamp() + kSep;
  }

  // The files the latest backup holds, its manifest aside.
  test::Files Kept() const {
    test::Files files = test::Snapshot(live2ch_ + test::P("mirelda-backup/") + Stamp());
    files.erase(std::string(kManifestName));
    files.erase(std::string(kLogName));
    return files;
  }

  // The Live2ch folder's files, the backups aside.
  test::Files Live2chFiles() const { return test::Live2chSnapshot(live2ch_); }

  RestoreOutcome Restore(const std::string& stamp = "") {
    report_.lines.clear();
    return RestoreRun({live2ch_, stamp}, report_, fs_, std::time(nullptr));
  }
};

// A file that would not change is left alone, even read-only; one that would is kept first, at
// the path it has on disk; a run that replaces nothing keeps no folder.
TEST_F(BackupTest, OnlyChangedFilesAreReplacedAndEachIsKeptFirstAsSpeltOnDisk) {
  EXPECT_EQ(Run("brd"), RunOutcome::kCompleted);
  EXPECT_FALSE(Logged(BackupFolder() + "に置き換え前のファイルを保存しました"));
  const std::string board = live2ch_ + "favboard.fbd";
  const auto written_at = fs::last_write_time(board);
  fs::permissions(board, fs::perms::owner_read);
  Live2ch("FTD/News.FTD", "old");
  Live2ch("namelist.txt", "old");
  EXPECT_EQ(Run("brd,ftd,namemail"), RunOutcome::kCompleted);
  EXPECT_EQ(fs::last_write_time(board), written_at);
  EXPECT_EQ(Kept(), (test::Files{{"FTD/News.FTD", test::Sjis("old")},
                                 {"namelist.txt", test::Sjis("old")}}));
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("名無し\r\n"));
  // The journal follows each change with its outcome, and ends once the run has.
  const std::string journal = test::ReadBytes(BackupFolder() + std::string(kManifestName));
  for (const char* change : {"\nreplaced\t", "\ncreated\t"}) {
    const size_t number = journal.find(change) + std::strlen(change);
    const std::string ok = "\nok\t" + journal.substr(number, journal.find('\t', number) - number);
    EXPECT_NE(journal.find(ok + "\n", number), std::string::npos) << change;
  }
  EXPECT_TRUE(journal.ends_with("\nfinished\tcomplete\n"));
  const Lines end(report_.lines.end() - 3, report_.lines.end());
  EXPECT_EQ(end, (Lines{live2ch_ + test::P("mirelda-backup/") + Stamp() + kSep +
                            "に置き換え前のファイルを保存しました",
                        "新規1件、置換2件、変更なし1件、変なidx1件、失敗0件", "すべて変換完了"}));
}

// An index is compared with what the run would write by reading one byte more than that.
TEST_F(BackupTest, AnIndexIsLeftAloneOnlyWhenItHoldsExactlyTheNewBytes) {
  std::string lines[3];
  for (const int key : {0, 1, 2}) {
    Katjusha("log/h/b/" + std::to_string(key) + ".idx", test::KatjushaIndex("h", "b", "1"));
    lines[key] = test::Live2chIndex("h", "b", "1");
  }
  lines[1] += "x";
  lines[2].pop_back();
  for (const int key : {0, 1, 2}) Live2ch("log/h/b/" + std::to_string(key) + ".idx", lines[key]);
  EXPECT_EQ(Run("allidx"), RunOutcome::kCompleted);
  EXPECT_EQ(Kept(), (test::Files{{"log/h/b/1.idx", test::Sjis(lines[1])},
                                 {"log/h/b/2.idx", test::Sjis(lines[2])}}));
  EXPECT_TRUE(Logged("新規0件、置換2件、変更なし1件、変なidx0件、失敗0件"));
}

// A list that grew since the last run begins as the file on disk does: what matched so far, a
// part of the file at a time, is written ahead of what differs, and the file comes out as a first
// conversion makes it.
TEST_F(BackupTest, AListThatGrewSinceTheLastRunIsWrittenAsAFreshOne) {
  std::string names;
  for (int i = 0; i < 10000; ++i) names += "名無し" + std::to_string(i) + "\r\n";
  Katjusha("namelist.txt", names);
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompleted);
  Katjusha("namelist.txt", names + "追加\r\n");
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompleted);
  const std::string grown = Live2ch("namelist.txt");
  fs::remove(live2ch_ + "namelist.txt");
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompleted);
  EXPECT_EQ(grown, Live2ch("namelist.txt"));
}

TEST_F(BackupTest, AFileThatCannotBeKeptIsNotReplaced) {
  Live2ch("namelist.txt", "old");
  fs_.fail_keep = [](const std::string& path) {
    return path.find("namelist") != std::string::npos;
  };
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("old"));
  const std::string failure = live2ch_ + "namelist.txtに書き込めませんでした";
  EXPECT_EQ(ConverterLines(), Lines{failure});
  EXPECT_EQ(Lines(report_.lines.end() - 4, report_.lines.end()),
            (Lines{"新規1件、置換0件、変更なし0件、変なidx0件、失敗1件", "すべて変換完了",
                   "失敗した項目：", failure}));
}

// However long the log, a failure is neither lost nor hidden: it stays in the saved log and is
// listed again at the end. Beyond the saved log's limit only failure lines are kept, and a last
// line counts the others.
TEST_F(BackupTest, AFailureOutlivesTwentyThousandLinesInTheSavedLogAndTheFinalList) {
  std::string favourites;
  for (int i = 0; i < 20000; ++i) favourites += "h\\b\\" + std::to_string(i) + ".idx\r\n";
  Katjusha("favorite.idx", favourites);
  Live2ch("namelist.txt", "old");  // replaced: the run keeps a backup folder
  fs_.fail_write = [](const std::string& path) { return path.ends_with("maillist.txt"); };
  EXPECT_EQ(Run("fav,namemail"), RunOutcome::kCompletedWithFailures);
  const std::string failure = live2ch_ + "maillist.txtに書き込めませんでした";
  EXPECT_EQ(Lines(report_.lines.end() - 2, report_.lines.end()),
            (Lines{"失敗した項目：", failure}));
  const std::string saved = test::ReadBytes(live2ch_ + test::P("mirelda-backup/") + Stamp() + kSep +
                                            std::string(kLogName));
  EXPECT_GT(saved.size(), 20000u * 20);
  EXPECT_LT(saved.find(failure), saved.find("すべて変換完了"));  // in its place, and again:
  EXPECT_TRUE(saved.ends_with("すべて変換完了\r\n失敗した項目：\r\n" + failure + "\r\n"));

  // Lines fill the limit to its last byte, line ends included; the next is left out.
  RunLog log(report_, 100);
  for (const std::string& line :
       {std::string(40, 'a'), std::string(40, 'b'), std::string(14, 'c'), std::string("d")}) {
    log.AddLine(line);
  }
  log.AddFailureLine(failure);
  log.RepeatFailures();
  ASSERT_FALSE(log.Save(fs_, dir_.Path("log.txt")));
  EXPECT_EQ(test::ReadBytes(dir_.Path("log.txt")),
            "\xEF\xBB\xBF" + std::string(40, 'a') + "\r\n" + std::string(40, 'b') + "\r\n" +
                std::string(14, 'c') + "\r\n" + failure + "\r\n失敗した項目：\r\n" + failure +
                "\r\nログが大きすぎるため、ほかの1行を省きました\r\n");
}

// A dry run tells what a real run would do, line for line, and leaves every file and folder as
// it was, down to its time.
TEST_F(BackupTest, ADryRunLogsWhatARealRunWouldAndChangesNothing) {
  Live2ch("namelist.txt", "old");
  fs::create_directories(live2ch_ + "maillist.txt");  // a folder where a file should be
  Katjusha("favorite.idx", "s\\b\\1.idx\r\n");
  Katjusha("log/s/b/1.idx", test::KatjushaIndex("s", "b", "1"));
  const auto times = [this] {
    std::map<std::string, fs::file_time_type> found;
    for (const auto& entry : fs::recursive_directory_iterator(live2ch_)) {
      found[entry.path().string()] = entry.last_write_time();
    }
    return found;
  };
  const auto times_before = times();
  const test::Files before = test::Snapshot(live2ch_);
  dry_run_ = true;
  EXPECT_EQ(Run("fav,brd,ftd,namemail,allidx"), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(times(), times_before);
  EXPECT_EQ(test::Snapshot(live2ch_), before);
  const Lines dry = report_.lines;
  report_.lines.clear();
  dry_run_ = false;
  EXPECT_EQ(Run("fav,brd,ftd,namemail,allidx"), RunOutcome::kCompletedWithFailures);
  Lines real = report_.lines;
  std::erase_if(real, [](const std::string& line) {  // the backup folder's line
    return line.ends_with("に置き換え前のファイルを保存しました");
  });
  EXPECT_EQ(dry, real);
  EXPECT_TRUE(Logged(live2ch_ + "maillist.txtに書き込めませんでした"));
}

#ifndef _WIN32
// Killed after it kept a file and before it replaced it, a run has lost nothing: the file is
// whole, and the restore of the killed run leaves it so.
TEST_F(BackupTest, AKillBetweenKeepingAndReplacingLosesNothing) {
  Live2ch("namelist.txt", "old");
  const pid_t child = fork();
  if (child == 0) {
    fs_.after_keep = [](const std::string&) { _exit(9); };
    Run("namemail");
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 9);
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("old"));
  EXPECT_EQ(Kept(), (test::Files{{"namelist.txt", test::Sjis("old")}}));
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("old"));
}
#endif

// A restore puts back what was replaced, removes what was made unless it has changed since, and
// can be run again, and undone in turn.
TEST_F(BackupTest, ARestoreIsSafeTwiceAndCanItselfBeUndone) {
  Live2ch("namelist.txt", "old");
  Live2ch("maillist.txt", "old");
  EXPECT_EQ(Run("brd,ftd,namemail"), RunOutcome::kCompleted);
  const test::Files converted = Live2chFiles();
  const std::string run = Stamp();
  Live2ch("maillist.txt", "used by Live2ch");
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);
  const std::string l = live2ch_;
  EXPECT_EQ(report_.lines,
            (Lines{l + test::P("mirelda-backup/") + run + kSep + "から元に戻します",
                   l + "maillist.txtは変換の後で変更されているため残しました",
                   l + "namelist.txtを元に戻しました",
                   l + test::P("ftd/news.ftd") + "を削除しました", l + "favboard.fbdを削除しました",
                   l + test::P("mirelda-backup/") + Stamp() + kSep +
                       "に置き換え前のファイルを保存しました",
                   "すべて元に戻しました"}));
  // Its log is saved beside its journal, as a conversion's is.
  std::string saved = "\xEF\xBB\xBF";
  for (const std::string& line : report_.lines) saved += line + "\r\n";
  EXPECT_EQ(test::ReadBytes(BackupFolder() + std::string(kLogName)), saved);
  EXPECT_EQ(Live2chFiles(), (test::Files{{"live2ch.exe", ""},
                                         {"maillist.txt", test::Sjis("used by Live2ch")},
                                         {"namelist.txt", test::Sjis("old")}}));
  const std::string restore = Stamp();
  EXPECT_EQ(Restore(run), RestoreOutcome::kRestored);
  EXPECT_TRUE(Logged(l + "namelist.txtはすでに元のままです"));
  EXPECT_TRUE(Logged(l + "favboard.fbdはすでにありません"));
  EXPECT_EQ(Restore(), RestoreOutcome::kNothingLeft);
  EXPECT_EQ(report_.lines, (Lines{"元に戻していない変換はありません"}));
  Live2ch("maillist.txt", "sage\r\n");
  EXPECT_EQ(Restore(restore), RestoreOutcome::kRestored);
  EXPECT_EQ(Live2chFiles(), converted);
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);  // the run is back, so undone again
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("old"));
  EXPECT_EQ(Restore("20000101-000000"), RestoreOutcome::kNoBackup);
}

#ifndef _WIN32
// Where the file system tells two names apart by case alone, they are two files, each kept.
TEST_F(BackupTest, TwoFilesWhoseNamesDifferInCaseAreBothKeptAndPutBack) {
  for (const std::string host : {"srv00.example.net", "SRV00.example.net"}) {
    Katjusha("log/" + host + "/b/1.idx", test::KatjushaIndex(host, "b", "1"));
    Live2ch("log/" + host + "/b/1.idx", "old " + host);
  }
  const test::Files before = Live2chFiles();
  EXPECT_EQ(Run("allidx"), RunOutcome::kCompleted);
  EXPECT_EQ(Kept().size(), 2u);
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);
  EXPECT_EQ(Live2chFiles(), before);
}
#endif

// Runs are undone newest first by the order they ran in, whatever their folders are called.
TEST_F(BackupTest, RunsAreUndoneInTheOrderTheyRanNotByTheirNames) {
  Live2ch("namelist.txt", "old");
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompleted);
  fs::rename(live2ch_ + test::P("mirelda-backup/") + Stamp(),
             live2ch_ + test::P("mirelda-backup/29991231-235959"));
  Katjusha("namelist.txt", "二\r\n");
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompleted);
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("名無し\r\n"));
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("old"));
}

// One run at a time: while another holds the Live2ch folder, or where it cannot be locked at
// all, a run or a restore writes nothing; a dry run makes no lock file but respects one.
TEST_F(BackupTest, ASecondRunOnAFolderInUseWritesNothing) {
  Live2ch("namelist.txt", "old");
  dry_run_ = true;
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompleted);
  EXPECT_FALSE(fs::exists(live2ch_ + "mirelda-backup"));
  dry_run_ = false;
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompleted);
  std::error_code error;
  auto held = LockLive2chFolder(fs_, live2ch_, false, error);
  ASSERT_TRUE(held);
  test::Files before = test::Snapshot(live2ch_);
  report_.lines.clear();
  report_.messages.clear();
  EXPECT_EQ(Run("namemail,fav"), RunOutcome::kChecksFailed);
  dry_run_ = true;
  EXPECT_EQ(Run("namemail"), RunOutcome::kChecksFailed);
  dry_run_ = false;
  EXPECT_EQ(Restore(), RestoreOutcome::kRefused);
  EXPECT_EQ(test::Snapshot(live2ch_), before);
  EXPECT_EQ(report_.lines, Lines{});
  EXPECT_EQ(report_.messages, Lines(3, live2ch_ + "は別の変換か元に戻す処理が使っています"));
  held.reset();
  fs::remove_all(live2ch_ + "mirelda-backup");
  test::WriteBytes(live2ch_ + "mirelda-backup", "a file");
  before = test::Snapshot(live2ch_);
  EXPECT_EQ(Run("namemail"), RunOutcome::kChecksFailed);
  EXPECT_EQ(test::Snapshot(live2ch_), before);
}

// A run that only made files is undone like any other, and a restore that failed part-way is
// finished by the next one rather than taken for done.
TEST_F(BackupTest, AFreshRunAndAFailedRestoreCanBeUndoneToTheEnd) {
  const test::Files fresh = Live2chFiles();
  EXPECT_EQ(Run("brd,ftd,namemail"), RunOutcome::kCompleted);
  EXPECT_FALSE(Logged(BackupFolder() + "に置き換え前のファイルを保存しました"));
  fs_.fail_keep = [](const std::string& path) { return path.find("news") != std::string::npos; };
  fs_.fail_write = [](const std::string& path) { return path.ends_with(kLogName); };
  EXPECT_EQ(Restore(), RestoreOutcome::kRestoredWithFailures);
  // Each failure with its reason: the file not put back, and the log not saved.
  EXPECT_EQ(report_.failures,
            (Lines{live2ch_ + test::P("ftd/news.ftd"), BackupFolder() + std::string(kLogName)}));
  fs_.fail_keep = fs_.fail_write = [](const std::string&) { return false; };
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);
  EXPECT_TRUE(Logged(live2ch_ + test::P("ftd/news.ftd") + "を削除しました"));
  EXPECT_EQ(Live2chFiles(), fresh);
  EXPECT_FALSE(fs::exists(live2ch_ + "ftd"));  // the folder the run made is gone too
  EXPECT_EQ(Restore(), RestoreOutcome::kNothingLeft);
  // The restore has ended: what another program writes afterwards is seen.
  test::WriteBytes(live2ch_ + "Later.txt", "");
  EXPECT_TRUE(fs_.CanOpenForReading(live2ch_ + "later.txt"));
}

// A journal that names a path outside the Live2ch folder, or a Live2ch folder that has become a
// link into Katjusha's, never makes a restore write there.
TEST_F(BackupTest, ARestoreNeverWritesOutsideTheLive2chFolderOrIntoKatjushas) {
  Live2ch("ftd/news.ftd", "old");
  EXPECT_EQ(Run("ftd"), RunOutcome::kCompleted);
  const std::string journal = BackupFolder() + std::string(kManifestName);
  std::string text = test::ReadBytes(journal);
  const size_t entry = text.find("replaced\t");
  ASSERT_NE(entry, std::string::npos);
  text.insert(entry,
              "created\t90\t../k/news.idx\t-\tcbf29ce484222325:0\t\n"
              "folder\t91\t..%2Fk\nremoved\t92\tftd/%2E%2E/../k/Katjusha.exe\t-\t\t\n"
              "created\t93\tftd/x.ftd\t-\tcbf29ce48422232g:0\t\n"  // and broken hashes
              "created\t94\tftd/y.ftd\t-\tcbf29ce48422232:50\t\n"
              "created\t95\t" +
                  std::string(300, 'x') + "\n");
  test::WriteBytes(journal, text);
  // Katjusha's file holds what the run wrote, so only the protection keeps the restore out.
  test::WriteBytes(katjusha_ + "news.ftd", Live2ch("ftd/news.ftd"));
  fs::remove_all(live2ch_ + "ftd");
#ifndef _WIN32
  fs::create_directory_symlink(katjusha_, live2ch_ + "ftd");
#endif
  const test::Files katjusha = test::Snapshot(katjusha_);
  EXPECT_EQ(Restore(), RestoreOutcome::kRestoredWithFailures);
  EXPECT_EQ(test::Snapshot(katjusha_), katjusha);
  EXPECT_EQ(std::count_if(report_.lines.begin(), report_.lines.end(),
                          [](const std::string& line) {
                            return line.find("は使えないため元に戻しませんでした") !=
                                   std::string::npos;
                          }),
            6);
  // A long line is shown cut, its control bytes as '?'.
  const std::string shown = "の「created?95?" + std::string(189, 'x') + "」";
  EXPECT_TRUE(std::any_of(report_.lines.begin(), report_.lines.end(), [&](const std::string& line) {
    return line.find(shown) != std::string::npos;
  }));
}

// The journal gives back every path as it was written, a line feed in a name and all, and
// refuses each path that could leave the folder.
TEST(JournalTest, PathsRoundTripAndUnsafeOnesAreRefused) {
  for (const std::string odd : {"a\nb.idx", "100%\t.idx", "log/h/b/1.idx", "\x7f\x01.txt"}) {
    EXPECT_EQ(SafeRelativePath(JournalPath(test::P(odd))), test::P(odd));
  }
  for (const char* unsafe : {"", "/a", "a//b", "./a", "a/..", "..", "a/%2E%2E/b", "%00", "%", "a%0",
                             "%zz", "a\nb", "a%2Fb/../c"}) {
    EXPECT_EQ(SafeRelativePath(unsafe), std::nullopt) << unsafe;
  }
#ifdef _WIN32
  // Names that Windows would read as another file, or as more than a name.
  for (const char* unsafe : {"a.", "b/c ", "C:x", "a\\b"}) {
    EXPECT_EQ(SafeRelativePath(unsafe), std::nullopt) << unsafe;
  }
#endif
  for (const char* stamp : {"20260101-000000", "20260101-000000-12"})
    EXPECT_TRUE(LooksLikeStamp(stamp));
  // A header reads back as it was written.
  const test::TempDir dir;
  const JournalHeader header{
      7, RunKind::kRestore, dir.Path("l/"), dir.Path("k/"), "20260101-000000", 1765000000};
  test::WriteBytes(dir.Path("journal"), HeaderText(header));
  const std::optional<JournalState> state = ReadJournalState(dir.Path("journal"));
  ASSERT_TRUE(state);
  EXPECT_EQ(std::tie(state->header.sequence, state->header.kind, state->header.live2ch_folder,
                     state->header.katjusha_folder, state->header.undoes, state->header.time),
            std::tie(header.sequence, header.kind, header.live2ch_folder, header.katjusha_folder,
                     header.undoes, header.time));
  // A sequence number so high that the runs after it could not be numbered makes no run.
  JournalHeader last = header;
  last.sequence = std::uint64_t{1} << 62;
  test::WriteBytes(dir.Path("journal"), HeaderText(last));
  EXPECT_FALSE(ReadJournalState(dir.Path("journal")));
  for (const char* name : {"2026010-1000000", "2026010", "x0260101-000000", "20260101-000000-"}) {
    EXPECT_FALSE(LooksLikeStamp(name)) << name;
  }
}

// A journal far longer than the part of it held at a time gives every change once, newest first.
TEST(JournalTest, ALongJournalGivesEveryChangeOnceNewestFirst) {
  const test::TempDir dir;
  std::string text = HeaderText({1, RunKind::kConversion, dir.Path("l/"), dir.Path("k/"), "", 0});
  ContentHash written;  // "07f89207b4ba08a4:2": a leading zero is written all the same
  written.Add("10");
  for (int i = 1; i <= 10000; ++i) {
    text += "created\t" + std::to_string(i) + "\tlog/" + std::to_string(i) + ".idx\t-\t" +
            written.Text() + "\t\nok\t" + std::to_string(i) + "\n";
  }
  test::WriteBytes(dir.Path("journal"), text + "finished\tcomplete\n");
  std::vector<std::uint64_t> numbers;
  ASSERT_TRUE(ForEachChangeNewestFirst(dir.Path("journal"), [&](const auto& entry, auto) {
    numbers.push_back(entry ? entry->number : 0);
  }));
  ASSERT_EQ(numbers.size(), 10000u);
  for (std::size_t i = 0; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], 10000 - i) << i;
}

TEST_F(BackupTest, NoWriteReachesTheBackups) {
  WriteSettings settings;
  settings.live2ch_folder = live2ch_;
  KeepingFileSystem writes(fs_, settings);
  for (const char* name : {"mirelda-backup/x", "MIRELDA-BACKUP//y/z"}) {
    EXPECT_EQ(writes.ReplaceWhole(live2ch_ + test::P(name), "x"), std::errc::permission_denied);
  }
  EXPECT_EQ(writes.MakeFolder(live2ch_ + "Mirelda-Backup"), std::errc::permission_denied);
  EXPECT_FALSE(fs::exists(live2ch_ + "mirelda-backup"));
}

}  // namespace
}  // namespace mirelda
