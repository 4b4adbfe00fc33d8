// What only the Win32 half of the file system can show: share modes, file attributes, names
// outside the ANSI code page and paths beyond MAX_PATH.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "run/messages.h"
#include "run/restore.h"
#include "tests/test_support.h"
#include "util/file_system.h"
#include "util/places.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

using Names = std::vector<std::string>;

class Win32FileSystemTest : public ::testing::Test {
 protected:
  Names Files(const std::string& folder) {
    FolderEntries entries;
    EXPECT_FALSE(fs_->ListFolder(folder, entries));
    std::sort(entries.files.begin(), entries.files.end());
    return entries.files;
  }
  std::string Read(const std::string& path) { return fs_->ReadWhole(path, bytes_) ? "" : bytes_; }

  test::TempDir dir_;
  std::unique_ptr<FileSystem> fs_ = MakeNativeFileSystem();
  std::string bytes_;
};

TEST_F(Win32FileSystemTest, FilesHeldOpenElsewhereAreNeitherReadNorReplaced) {
  const std::string path = dir_.Path("favorite.idx");
  test::WriteBytes(path, "old");
  for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    // An open handle on the file, as another program (a running Katjusha) would hold it.
    const HANDLE held = CreateFileW(Widen(path).c_str(), GENERIC_READ, share, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::error_code held_error = fs_->ReadWhole(path, bytes_);
    EXPECT_EQ(held_error, std::errc::device_or_resource_busy) << share;
    EXPECT_EQ(Messages(Language::kJapanese).Reason(held_error), "ほかのプログラムが使用中です");
    EXPECT_FALSE(fs_->CanOpenForReading(path)) << share;
    EXPECT_TRUE(fs_->ReplaceWhole(path, "new")) << share;
    CloseHandle(held);
  }
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(Files(dir_.Path()), Names{"favorite.idx"});  // no temporary left behind
}

TEST_F(Win32FileSystemTest, ReadOnlyFilesStayAndReplacedFilesKeepTheirMarks) {
  const std::string locked = dir_.Path("locked.txt"), hidden = dir_.Path("hidden.txt");
  for (const std::string& path : {locked, hidden}) test::WriteBytes(path, "old");
  SetFileAttributesW(Widen(locked).c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(Widen(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(fs_->ReplaceWhole(locked, "new"), std::errc::permission_denied);
  EXPECT_FALSE(fs_->ReplaceWhole(hidden, "new"));
  EXPECT_EQ(Read(locked) + Read(hidden), "oldnew");
  EXPECT_TRUE(GetFileAttributesW(Widen(hidden).c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Files(dir_.Path()), (Names{"hidden.txt", "locked.txt"}));  // hidden ones listed
}

TEST_F(Win32FileSystemTest, NamesOutsideTheAnsiCodePageKeepTheirCharactersAndIgnoreCase) {
  // Korean and an emoji are not in code page 932; Japanese is.
  const std::string folder = dir_.Path("Katjusha かちゅ～しゃ 한국");
  ASSERT_FALSE(fs_->MakeFolder(folder));
  ASSERT_FALSE(fs_->ReplaceWhole(folder + "\\板😀.TXT", "x"));
  EXPECT_FALSE(fs_->ReplaceWhole(folder + "\\板😀.txt", "y"));
  EXPECT_EQ(Files(folder), Names{"板😀.TXT"});  // replaced under its own name, not doubled
  EXPECT_EQ(Read(folder + "\\板😀.txt"), "y");
  EXPECT_TRUE(fs_->IsSameFolder(folder, dir_.Path("KATJUSHA かちゅ～しゃ 한국\\")));
  EXPECT_FALSE(fs_->IsSameFolder(folder, dir_.Path()));
}

TEST_F(Win32FileSystemTest, PathsBeyondMaxPathWorkInEveryCall) {
  // Over 300 characters, with "/" among the separators, which the system takes as one.
  std::string folder = dir_.Path();
  for (char c = 'a'; c <= 'f'; ++c) {
    folder += std::string(50, c) + (c % 2 ? "\\" : "/");
    ASSERT_FALSE(fs_->MakeFolder(folder)) << folder.size();
  }
  const std::string file = folder + "1.idx";
  EXPECT_FALSE(fs_->ReplaceWhole(file, "old"));
  EXPECT_FALSE(fs_->ReplaceWhole(file, "new"));
  EXPECT_EQ(Read(file), "new");
  EXPECT_TRUE(fs_->CanOpenForReading(file) && fs_->IsFolder(folder));
  EXPECT_EQ(Files(folder), Names{"1.idx"});
  EXPECT_TRUE(fs_->IsSameFolder(folder, folder + "..\\" + std::string(50, 'f')));
  // Wine lifts the limit by itself: the prefix that Windows needs shows only in the text.
  std::wstring literal = L"\\\\?\\" + Widen(folder);
  std::replace(literal.begin(), literal.end(), L'/', L'\\');
  EXPECT_EQ(WidenPath(folder + "x\\..\\"), literal);
  EXPECT_EQ(WidenPath("\\\\srv\\s\\" + std::string(300, 'n')),
            L"\\\\?\\UNC\\srv\\s\\" + std::wstring(300, L'n'));
  EXPECT_EQ(fs_->FoundPath(folder + "1.IDX"), file);
}

TEST_F(Win32FileSystemTest, KeptCopiesOutliveTheReplacedFileAndOverwriteNothing) {
  const std::string from = dir_.Path("favorite.idx"), to = dir_.Path("favorite.bak");
  test::WriteBytes(from, "old");
  ASSERT_FALSE(fs_->KeepCopy(from, to));
  EXPECT_EQ(Read(from) + Read(to), "oldold");
  ASSERT_FALSE(fs_->ReplaceWhole(from, "new"));
  EXPECT_EQ(Read(from) + Read(to), "newold");
  EXPECT_EQ(fs_->KeepCopy(from, to), std::errc::file_exists);
  EXPECT_EQ(Read(to), "old");
  ASSERT_FALSE(fs_->MakeFolder(dir_.Path("k")));
  fs_->BeginRun(dir_.Path("k"));
  EXPECT_EQ(fs_->KeepCopy(from, dir_.Path("k\\favorite.bak")), std::errc::permission_denied);
}

TEST_F(Win32FileSystemTest, FoundPathsTakeTheStoredCaseOfWhatExists) {
  test::WriteBytes(dir_.Path("Log\\2ch.NET\\Board.idx"), "");
  for (const auto& [typed, found] : std::vector<std::pair<std::string, std::string>>{
           {"LOG\\2CH.net\\board.IDX", "Log\\2ch.NET\\Board.idx"},
           {"log/2CH.NET/New\\b.IDX", "Log/2ch.NET/New\\b.IDX"},
           {"log\\2ch.net\\*.idx", "Log\\2ch.NET\\*.idx"}}) {  // no wildcard search
    EXPECT_EQ(fs_->FoundPath(dir_.Path() + typed), dir_.Path() + found);
  }
}

TEST_F(Win32FileSystemTest, CheckingWhetherFilesCanBeReplacedChangesNothing) {
  const std::string stale = ".mirelda-4194305-1";  // no Windows process id is odd
  for (const char* file : {"file", "locked.txt", "k\\1.idx"}) test::WriteBytes(dir_.Path(file), "");
  test::WriteBytes(dir_.Path("folder\\" + stale), "");
  SetFileAttributesW(Widen(dir_.Path("locked.txt")).c_str(), FILE_ATTRIBUTE_READONLY);
  fs_->BeginRun(dir_.Path("k"));
  const auto E = [](std::errc error) { return std::make_error_code(error); };
  for (const auto& [path, error] : std::vector<std::pair<std::string, std::error_code>>{
           {"file", {}},
           {"folder\\1.idx", {}},
           {"new\\newer\\1.idx", {}},
           {"folder", E(std::errc::is_a_directory)},
           {"locked.txt", E(std::errc::permission_denied)},
           {"file\\1.idx", E(std::errc::not_a_directory)},
           {"file\\new\\1.idx", E(std::errc::not_a_directory)},
           {"k\\new\\1.idx", E(std::errc::permission_denied)}}) {
    EXPECT_EQ(fs_->CheckReplaceable(dir_.Path(path)), error) << path;
  }
  EXPECT_EQ(Files(dir_.Path("folder")), Names{stale});
  EXPECT_FALSE(fs_->IsFolder(dir_.Path("new")));
  // The folder is still written into for the first time, and its stale temporary goes then.
  ASSERT_FALSE(fs_->ReplaceWhole(dir_.Path("folder\\1.idx"), ""));
  EXPECT_EQ(Files(dir_.Path("folder")), Names{"1.idx"});
}

TEST_F(Win32FileSystemTest, RemovingTakesOneEmptyFolderOrOneWritableFile) {
  const std::string folder = dir_.Path("full"), file = dir_.Path("full\\locked.txt");
  test::WriteBytes(file, "");
  SetFileAttributesW(Widen(file).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(fs_->RemoveFile(file), std::errc::permission_denied);
  EXPECT_EQ(fs_->RemoveFile(folder), std::errc::is_a_directory);
  // The portable code itself, not a Win32 one that happens to match it.
  EXPECT_EQ(fs_->RemoveFolder(folder), std::make_error_code(std::errc::directory_not_empty));
  SetFileAttributesW(Widen(file).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(fs_->RemoveFile(file));
  fs_->BeginRun(folder);
  EXPECT_EQ(fs_->RemoveFolder(folder), std::errc::permission_denied);
  fs_->BeginRun(dir_.Path("elsewhere"));
  EXPECT_FALSE(fs_->RemoveFolder(folder));
  EXPECT_FALSE(fs_->IsFolder(folder));
}

// An old program under Program Files writes into the user's VirtualStore: a run reads
// Katjusha's files and writes Live2ch's where the two programs themselves look, and a restore
// follows it there. With administrator rights (as Wine runs every program) Live2ch's are
// written beside it.
TEST(VirtualStoreTest, TheRunAndTheRestoreFollowTheFoldersUnderProgramFilesIntoTheStore) {
  test::TempDir dir;
  SetEnvironmentVariableW(L"ProgramFiles", Widen(dir.Path("pf")).c_str());
  SetEnvironmentVariableW(L"LOCALAPPDATA", Widen(dir.Path("local")).c_str());
  const std::string store = dir.Path("local/VirtualStore") + dir.Path("pf/").substr(2);
  test::WriteBytes(dir.Path("pf/K/Katjusha.exe"), "");
  test::WriteBytes(dir.Path("pf/K/favboard.idx"), test::Sjis("old\thttp://a/o/\t\r\n"));
  test::WriteBytes(store + "K\\favboard.idx", test::Sjis("new\thttp://a/n/\t\r\n"));
  test::WriteBytes(dir.Path("pf/L/live2ch.exe"), "");
  test::WriteBytes(store + "L\\live2ch.ini", "");
  EXPECT_EQ(VirtualStoreOf(dir.Path("pf/K")), store + "K\\");
  EXPECT_EQ(VirtualStoreOf(dir.Path("K")), "");

  const std::string live2ch = RunsElevated() ? dir.Path("pf/L/") : store + "L\\";
  test::WriteBytes(live2ch + "favboard.fbd", "mine");  // replaced, so that there is a backup
  test::RecordingReport report;
  test::FaultyFileSystem fs;
  std::error_code error;
  const auto codec = Cp932Codec::Open();
  EXPECT_EQ(
      RunConversion({dir.Path("pf/K"), dir.Path("pf/L"), test::Kinds("brd")}, report, fs, *codec),
      RunOutcome::kCompleted);
  Names opening{dir.Path("pf/K/") + "のデータはVirtualStore（" + store + "K\\）から読みます"};
  if (live2ch != dir.Path("pf/L/")) {
    opening.push_back(dir.Path("pf/L/") + "のデータはVirtualStore（" + live2ch +
                      "）に書き込みます");
  }
  EXPECT_EQ(Names(report.lines.begin(), report.lines.begin() + opening.size()), opening);
  EXPECT_NE(test::ReadBytes(live2ch + "favboard.fbd").find("http://a/n/"), std::string::npos);
  EXPECT_EQ(RestoreRun({dir.Path("pf/L"), ""}, report, fs, 0), RestoreOutcome::kRestored);
  EXPECT_EQ(test::ReadBytes(live2ch + "favboard.fbd"), "mine");
}

// Reasons without words of the program's own are the system's, on one line in either language.
TEST(Win32ReasonTest, OtherFailuresTakeTheSystemsTextWithoutItsLineEnd) {
  const std::error_code error(ERROR_INVALID_FUNCTION, std::system_category());
  for (const Language language : {Language::kJapanese, Language::kEnglish}) {
    const std::string reason = Messages(language).Reason(error);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
    EXPECT_EQ(reason, SystemErrorText(error, language));
  }
}

}  // namespace
}  // namespace mirelda
