// Path texts, whole-file I/O, folder creation and the file search, on the real file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "convert/context.h"
#include "tests/test_support.h"
#include "util/path.h"
#include "util/text_file.h"
#include "util/utf8.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::P;
using test::WriteBytes;
using Names = std::vector<std::string>;

TEST(PathTest, PatternsIgnoreAsciiCaseStoredPathsTakeThePlatformSeparatorTemporariesTheirWriter) {
  const struct {
    const char *pattern, *name;
    bool matches;
  } cases[] = {
      {"*.idx", "a.idx", true},      {"*.idx", "B.IDX", true},   {"*.idx", ".idx", true},
      {"*.idx", "a.idx.bak", false}, {"*.idx", "c.txt", false},  {"*.*", "noext", true},
      {"?.idx", "板.idx", true},     {"?.idx", "ab.idx", false}, {"a*b*c", "aXbYbZc", true},
      {"a*b", "ab", true},           {"a?", "a", false},         {"abc", "ab", false},
      {"a**.idx", "ab.idx", true},   {"ab**", "ab", true}};
  for (const auto& c : cases) EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.matches) << c.name;
  // Case and doubled separators, as Windows ignores them, give one key.
  EXPECT_EQ(PathKey(P("/l/Log//A.IDX")), P("/l/log/a.idx"));
  EXPECT_EQ(JoinStoredPath(P("/k/log/"), "h_x\\b\\1.idx"), P("/k/log/h_x/b/1.idx"));
  // Only a name that a writer made is ever taken for its temporary.
  EXPECT_EQ(TemporaryOwner(TemporaryName(42, 7)), 42u);
  for (const char* name :
       {"1.idx", ".mirelda-42-", ".mirelda-42-7x", ".mirelda--7", ".mirelda-42"}) {
    EXPECT_EQ(TemporaryOwner(name), 0u) << name;
  }
}

TEST(PathTest, ListingOrderFoldsCaseAndBreaksTiesByExactName) {
  Names names{"newsplus", "_", "b", "news", "z", "B", "a.idx"};
  std::sort(names.begin(), names.end(), ListingOrderLess);
  // '_' sorts after the letters once they are upper case, as on NTFS.
  EXPECT_EQ(names, (Names{"a.idx", "B", "b", "news", "newsplus", "z", "_"}));
  EXPECT_FALSE(ListingOrderLess("a", "a"));
}

// Each well-formed character is taken whole, with its code point; anything else is refused.
TEST(Utf8Test, DecodesWellFormedCharactersAndRefusesBrokenOnes) {
  const struct {
    const char* bytes;
    std::size_t length;
    char32_t cp;
  } cases[] = {{"a", 1, U'a'},
               {"\xC3\xA9x", 2, U'\u00E9'},
               {"\xE6\x9D\xBF", 3, U'\u677F'},
               {"\xF0\xA0\x80\x8B", 4, U'\U0002000B'},
               {"\xF1\x90\x80\x80", 4, U'\U00050000'},
               {"\xC1\xBF", 0, 0},          // an overlong form
               {"\xE0\x9F\xBF", 0, 0},      // an overlong form of three bytes
               {"\xF0\x8F\xBF\xBF", 0, 0},  // an overlong form of four bytes
               {"\xF5\x80\x80\x80", 0, 0},  // past U+10FFFF
               {"\xE6\x9D", 0, 0},          // cut short
               {"\xF0\xA0\x80z", 0, 0},     // a byte that cannot follow, last
               {"\xF0z\x80\x80", 0, 0},     // or first
               {"\x80", 0, 0}};
  for (const auto& c : cases) {
    char32_t cp = 0;
    EXPECT_EQ(DecodeUtf8(c.bytes, cp), c.length) << c.bytes;
    if (c.length != 0) {
      EXPECT_EQ(cp, c.cp) << c.bytes;
    }
  }
}

class FilesTest : public ::testing::Test {
 protected:
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open();
  test::FaultyFileSystem fs_;
  TextFiles files_{fs_, *codec_};
  test::TempDir dir_;
  std::string text_;
};

TEST_F(FilesTest, ReadsTellMissingFromEmptyAndRefuseFoldersAndGiants) {
  EXPECT_EQ(files_.ReadFileBytes(dir_.Path("missing"), text_),
            std::errc::no_such_file_or_directory);
  EXPECT_TRUE(files_.ReadFileBytes(dir_.Path(), text_));
  WriteBytes(dir_.Path("empty"), "");
  EXPECT_FALSE(files_.ReadFileBytes(dir_.Path("empty"), text_));
  WriteBytes(dir_.Path("board"), "\x94\xC2\r\n");
  EXPECT_FALSE(files_.ReadFileBytes(dir_.Path("board"), text_));
  EXPECT_EQ(text_, "\x94\xC2\r\n");
  WriteBytes(dir_.Path("giant"), "");
  fs::resize_file(dir_.Path("giant"), (std::uintmax_t{256} << 20) + 1);  // sparse, and not read
  EXPECT_EQ(files_.ReadFileBytes(dir_.Path("giant"), text_), std::errc::file_too_large);
  EXPECT_EQ(text_, "");
  EXPECT_TRUE(files_.FileExists(dir_.Path("empty")));
  EXPECT_TRUE(files_.FileExists(dir_.Path("empty/")));
  for (const std::string& path : {dir_.Path(), dir_.Path("missing"), std::string()}) {
    EXPECT_FALSE(files_.FileExists(path)) << path;
  }
}

// During a run a file is opened on its folder's listing's word, otherwise looked at first; both
// read a file of any size whole, and tell one byte over the most asked for.
TEST_F(FilesTest, FilesAroundTheFirstPieceReadWholeEitherWayAndOneByteOverIsTooLarge) {
  std::map<std::string, std::string> files;
  for (const size_t size : {1, 65535, 65536, 65537, 200001}) {
    std::string& bytes = files[dir_.Path(std::to_string(size))];
    for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(i % 251));
  }
  for (const auto& [path, bytes] : files) WriteBytes(path, bytes);
  for (const bool in_run : {false, true}) {
    if (in_run) fs_.BeginRun(dir_.Path("k"));
    for (const auto& [path, bytes] : files) {
      const auto most = static_cast<std::int64_t>(bytes.size());
      EXPECT_FALSE(fs_.ReadWholeUpTo(path, most, text_));
      EXPECT_TRUE(text_ == bytes) << path << (in_run ? " in a run" : "");
      EXPECT_EQ(fs_.ReadWholeUpTo(path, most - 1, text_), std::errc::file_too_large) << path;
      EXPECT_EQ(text_, "");
    }
  }
  fs_.EndRun();
}

TEST_F(FilesTest, WritesReplaceWholeFilesAndLeaveNothingBehindOnFailure) {
  WriteBytes(dir_.Path("a.txt"), "a much longer old content\r\n");
  EXPECT_FALSE(files_.WriteFileBytes(dir_.Path("a.txt"), "new"));
  EXPECT_FALSE(files_.WriteFileBytes(dir_.Path("empty.txt"), ""));
  EXPECT_TRUE(files_.WriteFileBytes(dir_.Path("no/such/folder.txt"), "x"));
  fs::create_directory(dir_.Path("folder"));
  EXPECT_TRUE(files_.WriteFileBytes(dir_.Path("folder"), "x"));
  WriteBytes(dir_.Path("ro.txt"), "old");
  fs::permissions(dir_.Path("ro.txt"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(files_.WriteFileBytes(dir_.Path("ro.txt"), "new"), std::errc::permission_denied);
  EXPECT_EQ(test::Snapshot(dir_.Path()),
            (test::Files{{"a.txt", "new"}, {"empty.txt", ""}, {"ro.txt", "old"}}));
}

#ifndef _WIN32
TEST_F(FilesTest, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode) {
  const mode_t old_umask = umask(027);
  auto fresh = MakeNativeFileSystem();  // the umask is read when the file system is made
  umask(old_umask);
  EXPECT_FALSE(fresh->ReplaceWhole(dir_.Path("new"), "x"));
  WriteBytes(dir_.Path("kept"), "old");
  fs::permissions(dir_.Path("kept"), fs::perms(0640));
  EXPECT_FALSE(fresh->ReplaceWhole(dir_.Path("kept"), "new"));
  EXPECT_EQ(fs::status(dir_.Path("new")).permissions(), fs::perms(0640));
  EXPECT_EQ(fs::status(dir_.Path("kept")).permissions(), fs::perms(0640));
  fs::permissions(dir_.Path("kept"), fs::perms(0604));
  EXPECT_FALSE(fresh->ReplaceWhole(dir_.Path("kept"), "newer"));
  EXPECT_EQ(fs::status(dir_.Path("kept")).permissions(), fs::perms(0604));
}
#endif

TEST_F(FilesTest, FolderTreesAreMadeParentFirstOnce) {
  EXPECT_FALSE(files_.MakeFolderTree(dir_.Path("x//y/")));
  EXPECT_FALSE(files_.MakeFolderTree(dir_.Path("x/y/")));
  EXPECT_FALSE(files_.MakeFolderTree(dir_.Path("x/z/")));
  EXPECT_EQ(fs_.made, (Names{dir_.Path("x/"), dir_.Path("x//y/"), dir_.Path("x/z/")}));
  EXPECT_TRUE(fs::is_directory(dir_.Path("x/y")) && fs::is_directory(dir_.Path("x/z")));
  WriteBytes(dir_.Path("file"), "");
  EXPECT_TRUE(files_.MakeFolderTree(dir_.Path("file/sub/")));
  // Server and share of a network path are never made.
  fs_.made.clear();
  EXPECT_TRUE(files_.MakeFolderTree(P("//proc/mirelda-share/a/b/")));
  EXPECT_EQ(fs_.made, Names{P("//proc/mirelda-share/a/")});
}

#ifndef _WIN32
TEST_F(FilesTest, NamesAreFoundWithoutRegardToCaseButTheExactNameWins) {
  WriteBytes(dir_.Path("KATJUSHA.EXE"), "");
  WriteBytes(dir_.Path("LOG/A/b/1.IDX"), "A");
  WriteBytes(dir_.Path("LOG/a/b/1.IDX"), "a");
  EXPECT_TRUE(files_.FileExists(dir_.Path("Katjusha.exe")));
  EXPECT_FALSE(files_.ReadFileBytes(dir_.Path("log/a/b/1.idx"), text_));
  EXPECT_EQ(text_, "a");
  EXPECT_FALSE(files_.ReadFileBytes(dir_.Path("log/A/B/1.idx"), text_));
  EXPECT_EQ(text_, "A");
  EXPECT_FALSE(files_.MakeFolderTree(dir_.Path("log/a/b/")));
  EXPECT_FALSE(files_.WriteFileBytes(dir_.Path("log/a/b/1.idx"), "new"));
  EXPECT_FALSE(files_.WriteFileBytes(dir_.Path("log/a/b/2.idx"), "two"));
  EXPECT_FALSE(files_.WriteFileBytes(dir_.Path("log/a/b/2.IDX"), "TWO"));
  EXPECT_EQ(test::Snapshot(dir_.Path()), (test::Files{{"KATJUSHA.EXE", ""},
                                                      {"LOG/A/b/1.IDX", "A"},
                                                      {"LOG/a/b/1.IDX", "new"},
                                                      {"LOG/a/b/2.idx", "TWO"}}));
}
#endif

// The run's context listens to the search: it counts the listings as chances to let events
// through, and reports each folder that cannot be listed as a failure.
class FindFilesTest : public FilesTest {
 protected:
  Names Find(const std::string& search, bool recurse, bool found = true) {
    Names paths;
    const auto add = [&](const std::string& path) { paths.push_back(path); };
    EXPECT_EQ(FindFiles(fs_, cx_, search, recurse, add), found);
    for (auto& path : paths) path = path.substr(dir_.Path().size());
    return paths;
  }
  test::RecordingReport report_;
  Context cx_{"", "", report_, files_};
};

TEST_F(FindFilesTest, ListsOneFolderOrATreeDepthFirstInListingOrder) {
  fs_.backward_listings = true;  // the order is the search's own, whatever the file system's
  for (const char* name : {"B.IDX", "a.idx", "c.txt", "d.idx/x", "S2/T/t.idx", "S1/s.idx"}) {
    WriteBytes(dir_.Path(name), "");
  }
  EXPECT_EQ(Find(dir_.Path("*.idx"), false), (Names{"a.idx", "B.IDX"}));
  EXPECT_EQ(Find(dir_.Path(), false).size(), 3u);  // an empty pattern is every file
  EXPECT_EQ(Find(dir_.Path("*.idx"), true),
            (Names{"a.idx", "B.IDX", P("S1/s.idx"), P("S2/T/t.idx")}));
  EXPECT_EQ(report_.events, 7);
  EXPECT_TRUE(Find(dir_.Path("none/*.idx"), false).empty());  // a missing folder has nothing
  EXPECT_TRUE(Find(dir_.Path("none/*.idx"), true, false).empty());
  EXPECT_TRUE(Find("*.idx", false, false).empty());
  EXPECT_TRUE(report_.failures.empty());
}

TEST_F(FindFilesTest, FoldersThatCannotBeListedAreReportedAndSkipped) {
  WriteBytes(dir_.Path("a/1.idx"), "");
  WriteBytes(dir_.Path("b/2.idx"), "");
  fs_.fail_list = [&](const std::string& folder) { return folder == dir_.Path("a/"); };
  EXPECT_EQ(Find(dir_.Path("*.idx"), true), Names{P("b/2.idx")});
  EXPECT_EQ(report_.failures, Names{dir_.Path("a/")});
}

#ifndef _WIN32
TEST_F(FindFilesTest, LinksCountAsWhatTheyPointToButFoldersAreNeverEnteredThroughThem) {
  WriteBytes(dir_.Path("a/1.idx"), "");
  fs::create_directory_symlink(dir_.Path("a"), dir_.Path("a/loop"));
  fs::create_symlink(dir_.Path("a/1.idx"), dir_.Path("2.idx"));
  fs::create_symlink(dir_.Path("gone.idx"), dir_.Path("3.idx"));
  EXPECT_EQ(Find(dir_.Path("*.idx"), true), (Names{"2.idx", P("a/1.idx")}));
}
#endif

}  // namespace
}  // namespace mirelda
