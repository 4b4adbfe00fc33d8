// Whole-file I/O, file tests and folder creation on the real file system.
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class TextFileTest : public ::testing::Test {
 protected:
  std::unique_ptr<FileSystem> fs_ = MakeNativeFileSystem();
  Cp932Codec codec_;
  TextFiles files_{*fs_, codec_};
  TempDir dir_;
};

TEST_F(TextFileTest, ReadFileBytesTellsMissingFromEmpty) {
  std::string bytes = "untouched";
  EXPECT_EQ(files_.ReadFileBytes(dir_.Path("missing"), bytes), -1);
  WriteBytes(dir_.Path("empty"), "");
  EXPECT_EQ(files_.ReadFileBytes(dir_.Path("empty"), bytes), 0);
  EXPECT_EQ(bytes, "untouched");
  WriteBytes(dir_.Path("crlf"), "\r\n");
  EXPECT_EQ(files_.ReadFileBytes(dir_.Path("crlf"), bytes), 2);
  EXPECT_EQ(files_.ReadTextFile(dir_.Path("crlf")), "\r\n");
  EXPECT_EQ(files_.ReadTextFile(dir_.Path("missing")), "");
  EXPECT_EQ(files_.ReadTextFile(dir_.Path("")), "");  // a folder is not a file
}

TEST_F(TextFileTest, WriteTextFileReplacesTheWholeFileInCodePage932) {
  WriteBytes(dir_.Path("a.txt"), "a much longer old content\r\n");
  EXPECT_TRUE(files_.WriteTextFile(dir_.Path("a.txt"), "板"));
  EXPECT_EQ(ReadBytes(dir_.Path("a.txt")), "\x94\xC2");
  EXPECT_TRUE(files_.WriteTextFile(dir_.Path("new.txt"), ""));
  EXPECT_EQ(ReadBytes(dir_.Path("new.txt")), "");
  EXPECT_EQ(test::Snapshot(dir_.Path()).size(), 2u);  // no temporary file left behind
}

TEST_F(TextFileTest, FailedWritesLeaveNothingBehind) {
  EXPECT_FALSE(files_.WriteTextFile(dir_.Path("no/such/folder.txt"), "x"));
  EXPECT_FALSE(fs::exists(dir_.Path("no")));
  fs::create_directory(dir_.Path("folder"));
  EXPECT_FALSE(files_.WriteTextFile(dir_.Path("folder"), "x"));
  EXPECT_TRUE(fs::is_directory(dir_.Path("folder")));
}

TEST_F(TextFileTest, ReadOnlyFilesAreNotReplacedAndPermissionsAreKept) {
  WriteBytes(dir_.Path("ro.txt"), "old");
  fs::permissions(dir_.Path("ro.txt"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(files_.WriteTextFile(dir_.Path("ro.txt"), "new"));
  EXPECT_EQ(ReadBytes(dir_.Path("ro.txt")), "old");
#ifndef _WIN32
  WriteBytes(dir_.Path("kept.txt"), "old");
  fs::permissions(dir_.Path("kept.txt"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(files_.WriteTextFile(dir_.Path("kept.txt"), "new"));
  EXPECT_EQ(fs::status(dir_.Path("kept.txt")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
#endif
}

TEST_F(TextFileTest, FileExistsOnlyForReadableFiles) {
  WriteBytes(dir_.Path("Katjusha.exe"), "");
  EXPECT_TRUE(files_.FileExists(dir_.Path("Katjusha.exe")));
  EXPECT_TRUE(files_.FileExists(dir_.Path("Katjusha.exe/")));
  EXPECT_FALSE(files_.FileExists(dir_.Path("")));
  EXPECT_FALSE(files_.FileExists(dir_.Path("missing.exe")));
  EXPECT_FALSE(files_.FileExists(""));
}

TEST_F(TextFileTest, MakeFolderTreeCreatesMissingFoldersParentFirst) {
  EXPECT_TRUE(files_.MakeFolderTree(dir_.Path("x/y/")));
  EXPECT_TRUE(fs::is_directory(dir_.Path("x/y")));
  EXPECT_TRUE(files_.MakeFolderTree(dir_.Path("x/y/")));
  EXPECT_TRUE(files_.MakeFolderTree(dir_.Path("x//z")));
  EXPECT_TRUE(fs::is_directory(dir_.Path("x/z")));
  EXPECT_TRUE(files_.MakeFolderTree(""));
  WriteBytes(dir_.Path("file"), "");
  EXPECT_FALSE(files_.MakeFolderTree(dir_.Path("file/sub/")));
}

#ifndef _WIN32
TEST_F(TextFileTest, NamesAreFoundWithoutRegardToCaseAsOnWindows) {
  WriteBytes(dir_.Path("KATJUSHA.EXE"), "");
  WriteBytes(dir_.Path("LOG/Host/1.IDX"), "old");
  EXPECT_TRUE(files_.FileExists(dir_.Path("Katjusha.exe")));
  EXPECT_EQ(files_.ReadTextFile(dir_.Path("log/host/1.idx")), "old");
  EXPECT_TRUE(files_.MakeFolderTree(dir_.Path("log/host/")));
  EXPECT_TRUE(files_.WriteTextFile(dir_.Path("log/host/1.idx"), "new"));
  EXPECT_TRUE(files_.WriteTextFile(dir_.Path("log/host/2.idx"), "two"));
  EXPECT_TRUE(files_.WriteTextFile(dir_.Path("log/host/2.IDX"), "TWO"));
  const auto files = test::Snapshot(dir_.Path());
  EXPECT_EQ(files,
            (std::map<std::string, std::string>{
                {"KATJUSHA.EXE", ""}, {"LOG/Host/1.IDX", "new"}, {"LOG/Host/2.idx", "TWO"}}));
}
#endif

}  // namespace
}  // namespace mirelda
