// What a run keeps of the files it replaces, what a dry run leaves, and what a restore gives back.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "backup/keeping_file_system.h"
#include "run/restore.h"
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
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names.back();
  }

  // The files the latest backup holds, its manifest aside.
  test::Files Kept() const {
    test::Files files = test::Snapshot(live2ch_ + test::P("mirelda-backup/") + Stamp());
    files.erase(std::string(kManifestName));
    return files;
  }

  // The Live2ch folder's files, the backups aside.
  test::Files Live2chFiles() const {
    test::Files files = test::Snapshot(live2ch_);
    std::erase_if(files,
                  [](const auto& file) { return file.first.rfind("mirelda-backup", 0) == 0; });
    return files;
  }

  RestoreOutcome Restore(const std::string& stamp = "") {
    report_.lines.clear();
    return RestoreRun({live2ch_, stamp}, report_, fs_, std::time(nullptr));
  }
};

// A file that would not change is left alone, even read-only; one that would is kept first, at
// the path it has on disk; a run that replaces nothing keeps no folder.
TEST_F(BackupTest, OnlyChangedFilesAreReplacedAndEachIsKeptFirstAsSpeltOnDisk) {
  EXPECT_EQ(Run("brd"), RunOutcome::kCompleted);
  EXPECT_EQ(Stamp(), "");
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
  const Lines end(report_.lines.end() - 3, report_.lines.end());
  EXPECT_EQ(end, (Lines{live2ch_ + test::P("mirelda-backup/") + Stamp() + kSep +
                            "に置き換え前のファイルを保存しました",
                        "新規1件、置換2件、変更なし1件、変なidx1件、失敗0件", "すべて変換完了"}));
}

TEST_F(BackupTest, AFileThatCannotBeKeptIsNotReplaced) {
  Live2ch("namelist.txt", "old");
  fs_.fail_keep = [](const std::string& path) {
    return path.find("namelist") != std::string::npos;
  };
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("old"));
  EXPECT_EQ(ConverterLines(), (Lines{live2ch_ + "namelist.txtに書き込めませんでした"}));
  EXPECT_EQ(report_.lines.end()[-2], "新規1件、置換0件、変更なし0件、変なidx0件、失敗1件");
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
  real.erase(real.end() - 3);  // the backup folder's line
  EXPECT_EQ(dry, real);
  EXPECT_TRUE(Logged(live2ch_ + "maillist.txtに書き込めませんでした"));
}

#ifndef _WIN32
// Killed after it kept a file and before it replaced it, a run has lost nothing: the file is
// whole, and a restore from what was kept, without a manifest, puts it back all the same.
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
  fs::remove(live2ch_ + "namelist.txt");  // saved anew, as a new file
  Live2ch("namelist.txt", "changed later");
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("old"));
}
#endif

// A restore puts back what was replaced, removes what was made unless it has changed since, and
// can be run again, and undone in turn.
TEST_F(BackupTest, ARestoreIsSafeTwiceAndCanItselfBeUndone) {
  Live2ch("namelist.txt", "old");
  EXPECT_EQ(Run("brd,ftd,namemail"), RunOutcome::kCompleted);
  const test::Files converted = Live2chFiles();
  const std::string run = Stamp();
  Live2ch("maillist.txt", "used by Live2ch");
  EXPECT_EQ(Restore(), RestoreOutcome::kRestored);
  const std::string l = live2ch_;
  EXPECT_EQ(report_.lines,
            (Lines{l + test::P("mirelda-backup/") + run + kSep + "から元に戻します",
                   l + "namelist.txtを元に戻しました", l + "favboard.fbdを削除しました",
                   l + test::P("ftd/news.ftd") + "を削除しました",
                   l + "maillist.txtは変換の後で変更されているため残しました",
                   l + test::P("mirelda-backup/") + Stamp() + kSep +
                       "に置き換え前のファイルを保存しました",
                   "すべて元に戻しました"}));
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

// A file whose keeping could not be recorded is not replaced either.
TEST_F(BackupTest, WithoutAManifestNothingIsReplacedAndBackupsAreListedOldestFirst) {
  Live2ch("namelist.txt", "old");
  fs_.fail_write = [](const std::string& path) {
    return path.find("manifest") != std::string::npos;
  };
  EXPECT_EQ(Run("namemail"), RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(Live2ch("namelist.txt"), test::Sjis("old"));
  EXPECT_EQ(Stamp(), "");
  for (const char* name : {"20260101-000000-10", "x0260101-000000", "20260101-000000",
                           "20260101-000000-2", "20251231-235959", "2026010-1000000"}) {
    fs::create_directories(live2ch_ + test::P("mirelda-backup/") + name);
  }
  EXPECT_EQ(
      ListStamps(fs_, live2ch_ + "mirelda-backup"),
      (Lines{"20251231-235959", "20260101-000000", "20260101-000000-2", "20260101-000000-10"}));
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
