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
    EXPECT_EQ(fs_->ReadWhole(path, bytes_), std::errc::device_or_resource_busy) << share;
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
}

}  // namespace
}  // namespace mirelda
