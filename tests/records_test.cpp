// The record converters and record lists, without any file.
#include <gtest/gtest.h>

#include <algorithm>

#include "convert/board_buttons.h"
#include "convert/favourites.h"
#include "convert/record_list.h"
#include "convert/thread_index.h"
#include "tests/test_support.h"

namespace mirelda {
namespace {

using Pieces = std::vector<std::string_view>;

TEST(RecordListTest, SplitsAtEveryLineEndKeepingAnUnendedLastLine) {
  EXPECT_EQ(SplitRecords("a\r\nb\r\n"), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitRecords("a\nb\nc"), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitRecords("a\r\n\r\nb"), (Pieces{"a", "", "b"}));
  EXPECT_EQ(SplitRecords("\r\n"), (Pieces{""}));
  EXPECT_EQ(SplitRecords("a\rb\r\r\n"), (Pieces{"a\rb\r"}));
  EXPECT_EQ(SplitRecords(""), Pieces{});
  EXPECT_EQ(JoinRecords({"a", ""}), "a\r\n\r\n");
  EXPECT_EQ(JoinRecords({}), "");
  EXPECT_EQ(CountLine(2), "2件ありました");
}

TEST(ThreadIndexTest, MapsEighteenFieldsOntoSixteen) {
  const std::string katju = test::KatjuIndex("news.2ch.net", "newsplus", "123", "112");
  EXPECT_EQ(KatjuIdx2LiveIdx(katju), test::LiveIndex("news.2ch.net", "newsplus", "123", "112"));
  EXPECT_EQ(KatjuIdx2LiveIdx(katju + "\textra\tfields\r\n"), KatjuIdx2LiveIdx(katju));
  const std::string line = KatjuIdx2LiveIdx(katju);
  EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 15);
  EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
}

TEST(ThreadIndexTest, NeedsAtLeastSeventeenTabs) {
  const std::string seventeen_tabs = "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t17";
  EXPECT_NE(KatjuIdx2LiveIdx(seventeen_tabs), "");
  EXPECT_EQ(KatjuIdx2LiveIdx(seventeen_tabs.substr(0, seventeen_tabs.rfind('\t'))), "");
  EXPECT_EQ(KatjuIdx2LiveIdx(""), "");
  EXPECT_EQ(KatjuIdx2LiveIdx(std::string(17, '\t')),
            "10077\t\thttp:///test/read.cgi///\t0\t\t\t\t\t0\t\t0\t0\t\t\t\t");
}

TEST(ThreadIndexTest, OnlyExactlyNinetySixOrOneHundredTwelveSetTheFlag) {
  const auto flag = [](const std::string& k1) {
    const std::string line = KatjuIdx2LiveIdx(test::KatjuIndex("h", "b", "1", k1));
    return line.substr(line.size() - 7, 1);
  };
  EXPECT_EQ(flag("96"), "1");
  EXPECT_EQ(flag("112"), "1");
  for (const char* other : {" 96", "112 ", "096", "0112", "97", ""}) EXPECT_EQ(flag(other), "0");
}

TEST(BoardButtonTest, RemovesEveryMarkAndFlagsIt) {
  EXPECT_EQ(KatjuBrd2LiveBrd("a▽b"), "ab\t0");
  EXPECT_EQ(KatjuBrd2LiveBrd("▽"), "\t0");
  EXPECT_EQ(KatjuBrd2LiveBrd("▽▽x▽"), "x\t0");
  EXPECT_EQ(KatjuBrd2LiveBrd("abc"), "abc\t1");
  EXPECT_EQ(KatjuBrd2LiveBrd(""), "\t1");
  EXPECT_EQ(KatjuBrd2LiveBrd("▼△"), "▼△\t1");
}

TEST(FavouriteTest, BuildsThreadUrlsFromPaths) {
  EXPECT_EQ(KatjuFav2LiveFav("P_Q\\R\\123.idx"), "http://P/Q/test/read.cgi/R/123/");
  EXPECT_EQ(KatjuFav2LiveFav("a_b_c\\R\\1.2.idx"), "http://a/b/c/test/read.cgi/R/1/");
  EXPECT_EQ(KatjuFav2LiveFav("h\\b\\.idx"), "http://h/test/read.cgi/b//");
  EXPECT_EQ(KatjuFav2LiveFav("h\\b"), "");
}

TEST(FavouriteTest, RejectsPathsThatFormNoUrlOrLeaveTheLogFolder) {
  EXPECT_TRUE(IsUsableFavouritePath("h\\b\\1.idx"));
  EXPECT_TRUE(IsUsableFavouritePath("h\\b\\1.idx\\more"));
  for (const char* bad :
       {"", "h\\1.idx", "h\\b\\1", "\\h\\b\\1.idx", "/h\\b\\1.idx", "C:\\h\\1.idx", "h\\..\\1.idx",
        "h\\b\\..", "..\\b\\1.idx", "h/../..\\b\\1.idx", "h\\.\\1.idx"}) {
    EXPECT_FALSE(IsUsableFavouritePath(bad)) << bad;
  }
}

}  // namespace
}  // namespace mirelda
