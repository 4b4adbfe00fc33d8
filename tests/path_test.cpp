// Path texts: splitting, joining stored paths, patterns, listing order, API buffers.
#include "util/path.h"

#include <gtest/gtest.h>

#include <string>

namespace mirelda {
namespace {

std::string P(std::string text) {  // a path written with '/' in the platform's separator
  for (char& c : text) {
    if (c == '/') c = kSep;
  }
  return text;
}

TEST(PathTest, FolderAndFileNamePartsSplitAtTheLastSeparator) {
  for (const std::string path :
       {"/a/b.txt", "/a/", "/", "b.txt", "//srv/share/f.txt", "a//b", ""}) {
    EXPECT_EQ(GetFolderPart(P(path)) + GetFileNamePart(P(path)), P(path));
    EXPECT_EQ(GetFolderPart(GetFolderPart(P(path))), GetFolderPart(P(path)));
  }
  EXPECT_EQ(GetFolderPart(P("/a/b.txt")), P("/a/"));
  EXPECT_EQ(GetFolderPart("b.txt"), "");
  EXPECT_EQ(GetFolderPart(P("//srv/share/f.txt")), P("//srv/share/"));
  EXPECT_EQ(GetFileNamePart(P("/a/")), "");
  EXPECT_EQ(GetFileNamePart(P("a//b")), "b");
}

TEST(PathTest, StoredPathsUseThePlatformSeparator) {
  EXPECT_EQ(JoinStoredPath(P("/k/log/"), "h_x\\b\\1.idx"), P("/k/log/h_x/b/1.idx"));
}

TEST(PathTest, PatternsIgnoreAsciiCaseAndMatchWildcards) {
  EXPECT_TRUE(MatchesPattern("*.idx", "a.idx"));
  EXPECT_TRUE(MatchesPattern("*.idx", "B.IDX"));
  EXPECT_TRUE(MatchesPattern("*.idx", ".idx"));
  EXPECT_FALSE(MatchesPattern("*.idx", "a.idx.bak"));
  EXPECT_FALSE(MatchesPattern("*.idx", "c.txt"));
  EXPECT_TRUE(MatchesPattern("*.*", "noext"));
  EXPECT_TRUE(MatchesPattern("?.idx", "板.idx"));
  EXPECT_FALSE(MatchesPattern("?.idx", "ab.idx"));
  EXPECT_TRUE(MatchesPattern("a*b*c", "aXbYbZc"));
}

TEST(PathTest, ListingOrderFoldsCaseAndBreaksTiesByExactName) {
  EXPECT_TRUE(ListingOrderLess("a.idx", "B.IDX"));
  EXPECT_TRUE(ListingOrderLess("B", "b"));
  EXPECT_FALSE(ListingOrderLess("b", "B"));
  // '_' sorts after the letters once they are upper case, as on NTFS.
  EXPECT_TRUE(ListingOrderLess("z", "_"));
}

TEST(PathTest, ApiBuffersAreCutAtTheirFirstNul) {
  using namespace std::string_literals;
  EXPECT_EQ(CutAtNull("abc"), "abc");
  EXPECT_EQ(CutAtNull("\0abc"s), "");
  EXPECT_EQ(StripLeadingNulBreaks("\r\na"), "\r\na");
  EXPECT_EQ(StripLeadingNulBreaks("\0\r\na\0"s), "a\0"s);
  EXPECT_EQ(CleanApiText(std::string(256, '\0')), "");
  EXPECT_EQ(CleanApiText("C:\\k\0\0\0"s), "C:\\k");
}

}  // namespace
}  // namespace mirelda
