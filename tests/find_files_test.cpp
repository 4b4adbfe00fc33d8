// The file search: matching, listing order, descent, and folders that cannot be listed.
#include "util/find_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"
#include "util/path.h"

namespace mirelda {
namespace {

using test::TempDir;
using test::WriteBytes;

class Recorder : public SearchListener {
 public:
  int listings = 0;
  std::vector<std::string> unlisted;
  void BeforeListing() override { ++listings; }
  void CannotList(const std::string& folder) override { unlisted.push_back(folder); }
};

class FindFilesTest : public ::testing::Test {
 protected:
  std::vector<std::string> Find(const std::string& search, bool recurse, bool expect = true) {
    std::vector<std::string> paths;
    EXPECT_EQ(FindFiles(*fs_, listener_, search, recurse, paths), expect);
    for (auto& path : paths) path = path.substr(dir_.Path().size());
    return paths;
  }

  std::unique_ptr<FileSystem> fs_ = MakeNativeFileSystem();
  Recorder listener_;
  TempDir dir_;
};

TEST_F(FindFilesTest, ListsMatchingFilesOfOneFolderInListingOrder) {
  for (const char* name : {"B.IDX", "a.idx", ".h.idx", "c.txt", "noext", "d.idx/x"}) {
    WriteBytes(dir_.Path(name), "");
  }
  EXPECT_EQ(Find(dir_.Path("*.idx"), false),
            (std::vector<std::string>{".h.idx", "a.idx", "B.IDX"}));
  EXPECT_EQ(Find(dir_.Path(), false).size(), 5u);  // an empty pattern is every file
  EXPECT_EQ(listener_.listings, 2);
}

TEST_F(FindFilesTest, DescendsDepthFirstWithFilesBeforeSubfolders) {
  for (const char* name : {"f2", "f1", "S2/T/t", "S2/s2", "S1/s1"}) WriteBytes(dir_.Path(name), "");
  const std::string s = std::string(1, kSep);
  EXPECT_EQ(Find(dir_.Path(), true),
            (std::vector<std::string>{"f1", "f2", "S1" + s + "s1", "S2" + s + "s2",
                                      "S2" + s + "T" + s + "t"}));
  EXPECT_EQ(listener_.listings, 4);
}

TEST_F(FindFilesTest, MissingFoldersAndBareSpecs) {
  EXPECT_TRUE(Find(dir_.Path("none/*.idx"), false).empty());
  EXPECT_TRUE(Find(dir_.Path("none/*.idx"), true, false).empty());
  EXPECT_TRUE(Find("*.idx", false, false).empty());
  EXPECT_TRUE(listener_.unlisted.empty());
}

TEST_F(FindFilesTest, HandlesTreesOfEveryDepthAndSize) {
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "d/";
  WriteBytes(dir_.Path(deep + "1.idx"), "");
  for (int i = 0; i < 10002; ++i) WriteBytes(dir_.Path("many/" + std::to_string(i) + ".idx"), "");
  EXPECT_EQ(Find(dir_.Path("*.idx"), true).size(), 10003u);
}

TEST_F(FindFilesTest, ReportsFoldersThatCannotBeListedAndGoesOn) {
  WriteBytes(dir_.Path("a/1.idx"), "");
  WriteBytes(dir_.Path("b/2.idx"), "");
  // Folder "a" exists but will not list, as for a folder without rights.
  test::FaultyFileSystem locked;
  locked.fail_list = [&](const std::string& folder) { return folder == dir_.Path("a/"); };
  std::vector<std::string> paths;
  EXPECT_TRUE(FindFiles(locked, listener_, dir_.Path("*.idx"), true, paths));
  EXPECT_EQ(paths, (std::vector<std::string>{dir_.Path("b/2.idx")}));
  EXPECT_EQ(listener_.unlisted, (std::vector<std::string>{dir_.Path("a/")}));
}

#ifndef _WIN32
TEST_F(FindFilesTest, NeverDescendsIntoLinksToFolders) {
  WriteBytes(dir_.Path("a/1.idx"), "");
  std::filesystem::create_directory_symlink(dir_.Path("a"), dir_.Path("a/loop"));
  std::filesystem::create_symlink(dir_.Path("a/1.idx"), dir_.Path("2.idx"));
  const std::string s = std::string(1, kSep);
  EXPECT_EQ(Find(dir_.Path("*.idx"), true), (std::vector<std::string>{"2.idx", "a" + s + "1.idx"}));
}
#endif

}  // namespace
}  // namespace mirelda
