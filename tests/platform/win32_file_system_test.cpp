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
using test::TempDir;
using test::WriteBytes;

// An open handle on a file, as another program (a running Katjusha) would hold it.
HANDLE HoldOpen(const std::string& path, DWORD share) {
  return CreateFileW(Widen(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Win32FileSystemTest, AFileHeldOpenElsewhereReadsAsMissing) {
  TempDir dir;
  const std::string path = dir.Path("favorite.idx");
  WriteBytes(path, "abc");
  const auto fs = MakeNativeFileSystem();
  for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    const HANDLE held = HoldOpen(path, share);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string bytes;
    EXPECT_EQ(fs->ReadWhole(path, bytes), std::errc::device_or_resource_busy) << share;
    EXPECT_EQ(bytes, "");
    EXPECT_FALSE(fs->CanOpenForReading(path)) << share;
    CloseHandle(held);
  }
  std::string bytes;
  EXPECT_FALSE(fs->ReadWhole(path, bytes));
  EXPECT_EQ(bytes, "abc");
}

TEST(Win32FileSystemTest, AReadOnlyOrBusyFileIsNotReplacedAndNoTemporaryIsLeft) {
  TempDir dir;
  const auto fs = MakeNativeFileSystem();
  const std::string locked = dir.Path("locked.txt");
  const std::string busy = dir.Path("busy.txt");
  WriteBytes(locked, "old");
  WriteBytes(busy, "old");
  SetFileAttributesW(Widen(locked).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(fs->ReplaceWhole(locked, "new"));
  const HANDLE held = HoldOpen(busy, 0);
  EXPECT_TRUE(fs->ReplaceWhole(busy, "new"));
  CloseHandle(held);
  EXPECT_EQ(ReadBytes(busy), "old");
  SetFileAttributesW(Widen(locked).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(locked), "old");
  FolderEntries entries;
  ASSERT_FALSE(fs->ListFolder(dir.Path(), entries));
  EXPECT_EQ(Sorted(entries.files), (std::vector<std::string>{"busy.txt", "locked.txt"}));
  // A file that is free is replaced, keeping its hidden mark.
  SetFileAttributesW(Widen(busy).c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(fs->ReplaceWhole(busy, "new"));
  EXPECT_EQ(ReadBytes(busy), "new");
  EXPECT_NE(GetFileAttributesW(Widen(busy).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST(Win32FileSystemTest, ListsHiddenAndSystemFilesAndTellsAnEmptyFolderFromAMissingOne) {
  TempDir dir;
  const auto fs = MakeNativeFileSystem();
  WriteBytes(dir.Path("k/h.idx"), "");
  WriteBytes(dir.Path("k/s.idx"), "");
  WriteBytes(dir.Path("k/sub/x"), "");
  SetFileAttributesW(Widen(dir.Path("k/h.idx")).c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(Widen(dir.Path("k/s.idx")).c_str(), FILE_ATTRIBUTE_SYSTEM);
  FolderEntries entries;
  ASSERT_FALSE(fs->ListFolder(dir.Path("k/"), entries));
  EXPECT_EQ(Sorted(entries.files), (std::vector<std::string>{"h.idx", "s.idx"}));
  EXPECT_EQ(entries.folders, std::vector<std::string>{"sub"});

  ASSERT_FALSE(fs->MakeFolder(dir.Path("empty")));
  FolderEntries none;
  EXPECT_FALSE(fs->ListFolder(dir.Path("empty/"), none));
  EXPECT_TRUE(none.files.empty() && none.folders.empty());
  EXPECT_EQ(fs->ListFolder(dir.Path("missing/"), none), std::errc::no_such_file_or_directory);
  EXPECT_EQ(fs->ListFolder(dir.Path("k/h.idx"), none), std::errc::no_such_file_or_directory);
}

TEST(Win32FileSystemTest, NamesOutsideTheAnsiCodePageKeepTheirCharacters) {
  TempDir dir;
  const auto fs = MakeNativeFileSystem();
  // Korean and an emoji are not in code page 932; Japanese is.
  const std::string folder = dir.Path("かちゅ～しゃ 한국");
  ASSERT_FALSE(fs->MakeFolder(folder));
  EXPECT_EQ(fs->MakeFolder(folder), std::errc::file_exists);
  EXPECT_TRUE(fs->IsFolder(folder));
  const std::string file = folder + "\\板😀.txt";
  ASSERT_FALSE(fs->ReplaceWhole(file, "x"));
  std::string bytes;
  EXPECT_FALSE(fs->ReadWhole(file, bytes));
  EXPECT_EQ(bytes, "x");
  FolderEntries entries;
  ASSERT_FALSE(fs->ListFolder(folder + "\\", entries));
  EXPECT_EQ(entries.files, std::vector<std::string>{"板😀.txt"});
  EXPECT_TRUE(fs->IsSameFolder(folder, folder + "\\"));
  EXPECT_FALSE(fs->IsSameFolder(folder, dir.Path()));
}

TEST(Win32FileSystemTest, NamesIgnoreCaseNatively) {
  TempDir dir;
  const auto fs = MakeNativeFileSystem();
  WriteBytes(dir.Path("Log/Host/1.IDX"), "old");
  EXPECT_TRUE(fs->IsSameFolder(dir.Path("Log"), dir.Path("LOG/host/..")));
  EXPECT_FALSE(fs->ReplaceWhole(dir.Path("log/host/1.idx"), "new"));
  FolderEntries entries;
  ASSERT_FALSE(fs->ListFolder(dir.Path("LOG/HOST"), entries));
  EXPECT_EQ(entries.files, std::vector<std::string>{"1.IDX"});  // replaced, not doubled
  EXPECT_EQ(ReadBytes(dir.Path("Log/Host/1.IDX")), "new");
}

TEST(Win32FileSystemTest, PathsBeyondMaxPathWorkInEveryCall) {
  TempDir dir;
  const auto fs = MakeNativeFileSystem();
  // Over 300 characters, with "/" among the separators, which the system takes as one.
  std::string folder = dir.Path();
  for (char c = 'a'; c <= 'f'; ++c) {
    folder += std::string(50, c) + (c % 2 ? "\\" : "/");
    ASSERT_FALSE(fs->MakeFolder(folder)) << folder.size();
  }
  const std::string file = folder + "1.idx";
  EXPECT_FALSE(fs->ReplaceWhole(file, "old"));
  EXPECT_FALSE(fs->ReplaceWhole(file, "new"));
  std::string bytes;
  EXPECT_FALSE(fs->ReadWhole(file, bytes));
  EXPECT_EQ(bytes, "new");
  FolderEntries entries;
  EXPECT_FALSE(fs->ListFolder(folder, entries));
  EXPECT_EQ(entries.files, std::vector<std::string>{"1.idx"});
  EXPECT_TRUE(fs->IsSameFolder(folder, folder + "..\\" + std::string(50, 'f')));
  const std::string share = "\\\\srv\\share\\" + std::string(300, 'n');
  EXPECT_EQ(WidenPath(share), L"\\\\?\\UNC\\srv\\share\\" + std::wstring(300, L'n'));
}

}  // namespace
}  // namespace mirelda
