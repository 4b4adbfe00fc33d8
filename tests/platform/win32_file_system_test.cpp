// What only the Win32 half of the file system can show: share modes, file attributes, names
// outside the ANSI code page and paths beyond MAX_PATH.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/test_support.h"
#include "util/file_system.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

using test::ReadBytes;
using test::WriteBytes;
using Names = std::vector<std::string>;

class Win32FileSystemTest : public ::testing::Test {
 protected:
  // An open handle on a file, as another program (a running Katjusha) would hold it.
  static HANDLE HoldOpen(const std::string& path, DWORD share) {
    return CreateFileW(Widen(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static void Mark(const std::string& path, DWORD attributes) {
    SetFileAttributesW(Widen(path).c_str(), attributes);
  }
  Names Files(const std::string& folder) {
    FolderEntries entries;
    EXPECT_FALSE(fs_->ListFolder(folder, entries));
    std::sort(entries.files.begin(), entries.files.end());
    return entries.files;
  }

  test::TempDir dir_;
  std::unique_ptr<FileSystem> fs_ = MakeNativeFileSystem();
  std::string bytes_;
};

TEST_F(Win32FileSystemTest, FilesHeldOpenElsewhereAreNeitherReadNorReplaced) {
  const std::string path = dir_.Path("favorite.idx");
  WriteBytes(path, "old");
  for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    const HANDLE held = HoldOpen(path, share);
    EXPECT_EQ(fs_->ReadWhole(path, bytes_), std::errc::device_or_resource_busy) << share;
    EXPECT_FALSE(fs_->CanOpenForReading(path)) << share;
    EXPECT_TRUE(fs_->ReplaceWhole(path, "new")) << share;
    CloseHandle(held);
  }
  EXPECT_FALSE(fs_->ReadWhole(path, bytes_));
  EXPECT_EQ(bytes_, "old");
  EXPECT_EQ(Files(dir_.Path()), Names{"favorite.idx"});  // no temporary left behind
}

TEST_F(Win32FileSystemTest, ReadOnlyFilesStayAndReplacedFilesKeepTheirMarks) {
  WriteBytes(dir_.Path("locked.txt"), "old");
  WriteBytes(dir_.Path("hidden.txt"), "old");
  Mark(dir_.Path("locked.txt"), FILE_ATTRIBUTE_READONLY);
  Mark(dir_.Path("hidden.txt"), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(fs_->ReplaceWhole(dir_.Path("locked.txt"), "new"), std::errc::permission_denied);
  EXPECT_FALSE(fs_->ReplaceWhole(dir_.Path("hidden.txt"), "new"));
  EXPECT_EQ(ReadBytes(dir_.Path("hidden.txt")), "new");
  EXPECT_NE(GetFileAttributesW(Widen(dir_.Path("hidden.txt")).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  Mark(dir_.Path("locked.txt"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(dir_.Path("locked.txt")), "old");
  EXPECT_EQ(Files(dir_.Path()), (Names{"hidden.txt", "locked.txt"}));  // hidden ones listed
}

TEST_F(Win32FileSystemTest, AnEmptyFolderIsNotAMissingOne) {
  ASSERT_FALSE(fs_->MakeFolder(dir_.Path("empty")));
  EXPECT_TRUE(Files(dir_.Path("empty/")).empty());
  FolderEntries none;
  EXPECT_EQ(fs_->ListFolder(dir_.Path("missing/"), none), std::errc::no_such_file_or_directory);
}

TEST_F(Win32FileSystemTest, NamesOutsideTheAnsiCodePageKeepTheirCharactersAndIgnoreCase) {
  // Korean and an emoji are not in code page 932; Japanese is.
  const std::string folder = dir_.Path("かちゅ～しゃ 한국");
  ASSERT_FALSE(fs_->MakeFolder(folder));
  EXPECT_EQ(fs_->MakeFolder(folder), std::errc::file_exists);
  ASSERT_FALSE(fs_->ReplaceWhole(folder + "\\板😀.TXT", "x"));
  EXPECT_FALSE(fs_->ReplaceWhole(folder + "\\板😀.txt", "y"));
  EXPECT_EQ(Files(folder + "\\"), Names{"板😀.TXT"});  // replaced, not doubled
  EXPECT_FALSE(fs_->ReadWhole(folder + "\\板😀.TXT", bytes_));
  EXPECT_EQ(bytes_, "y");
  EXPECT_TRUE(fs_->IsSameFolder(folder, folder + "\\"));
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
  EXPECT_FALSE(fs_->ReadWhole(file, bytes_));
  EXPECT_EQ(bytes_, "new");
  EXPECT_EQ(Files(folder), Names{"1.idx"});
  EXPECT_TRUE(fs_->IsSameFolder(folder, folder + "..\\" + std::string(50, 'f')));
  const std::string share = "\\\\srv\\share\\" + std::string(300, 'n');
  EXPECT_EQ(WidenPath(share), L"\\\\?\\UNC\\srv\\share\\" + std::wstring(300, L'n'));
}

}  // namespace
}  // namespace mirelda
