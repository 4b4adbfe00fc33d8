// The record converters on their own: lists, thread indexes, board buttons and favourite paths.
#include <gtest/gtest.h>

#include <tuple>

#include "convert/board_buttons.h"
#include "convert/favourites.h"
#include "convert/record_list.h"
#include "convert/thread_index.h"
#include "tests/test_support.h"

namespace mirelda {
namespace {

using test::KatjushaIndex;
using test::Live2chIndex;
using Lines = std::vector<std::string>;

TEST(RecordTest, ListsSplitAtEveryLineEndAndAreCountedSo) {
  const std::string_view list = "a\r\nb\n\r\nc\rd\r\r\ne";
  Lines records;
  for (std::string_view rest = list, r; TakeRecord(rest, r);) records.emplace_back(r);
  EXPECT_EQ(records, (Lines{"a", "b", "", "c\rd\r", "e"}));
  EXPECT_EQ(CountRecords(list), 5u);
  EXPECT_EQ(CountRecords("a\r\n\r\n"), 2u);  // the last line end begins no record
  EXPECT_EQ(CountRecords(""), 0u);
  EXPECT_EQ(CountLine(12), "12件ありました");
}

TEST(RecordTest, ThreadIndexesNeedEighteenFieldsAndDropLineEnds) {
  const std::string index = KatjushaIndex("news.2ch.net", "newsplus", "123");
  EXPECT_EQ(ThreadIndexLine(index), Live2chIndex("news.2ch.net", "newsplus", "123"));
  EXPECT_EQ(ThreadIndexLine(index + "\tmore\r\n"), ThreadIndexLine(index));
  EXPECT_EQ(ThreadIndexLine(std::string(17, '\t')),
            "10077\t\thttp:///test/read.cgi///\t0\t\t\t\t\t0\t\t0\t0\t\t\t\t");
  EXPECT_EQ(ThreadIndexLine(std::string(16, '\t') + "\r\n"), "");
  EXPECT_EQ(ThreadIndexLine("0\t1\t2\t3\r\n\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t1\n7"),
            "10077\t3\thttp://4/test/read.cgi/5/6/\t0\t10\t11\t14\t15\t0\t17\t0\t0\t\t\t\t");
  EXPECT_EQ(ThreadIndexLine(""), "");
}

TEST(RecordTest, OnlyExactlyNinetySixOrOneHundredTwelveSetTheFlag) {
  for (const char* set : {"96", "112"}) {
    EXPECT_EQ(ThreadIndexLine(KatjushaIndex("h", "b", "1", set)), Live2chIndex("h", "b", "1", '1'));
  }
  for (const char* other : {" 96", "112 ", "096", "0112", "97", "", "1"}) {
    EXPECT_EQ(ThreadIndexLine(KatjushaIndex("h", "b", "1", other)), Live2chIndex("h", "b", "1"));
  }
}

TEST(RecordTest, BoardButtonsLoseEveryMarkAndKeepItAsAFlag) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"a▽b", "ab", true},   {"▽", "", true}, {"▽▽x▽", "x", true},
      {"abc", "abc", false}, {"", "", false}, {"▼△", "▼△", false}};
  for (const auto& [record, kept, mark] : cases) {
    bool marked = false;
    EXPECT_EQ(WithoutMarks(record, marked), kept) << record;
    EXPECT_EQ(marked, mark) << record;
  }
}

TEST(RecordTest, FavouritePathsFormThreadUrlsAndStayInsideTheLogFolder) {
  EXPECT_EQ(ThreadUrl("P_Q\\R\\123.idx"), "http://P/Q/test/read.cgi/R/123/");
  EXPECT_EQ(ThreadUrl("a_b_c\\R\\1.2.idx\\x"), "http://a/b/c/test/read.cgi/R/1/");
  EXPECT_EQ(ThreadUrl("h\\b\\.idx"), "http://h/test/read.cgi/b//");
  EXPECT_EQ(ThreadUrl("h\\b\\1"), "");
  EXPECT_TRUE(IsUsableFavouritePath("h\\b\\1.idx"));
  for (const char* bad : {"", "h\\1.idx", "h\\b\\1", "\\h\\b\\1.idx", "/h\\b\\1.idx",
                          "C:\\h\\1.idx", "\\h\\b.x\\1.idx", "h\\..\\1.idx", "h\\b\\..",
                          "h/../..\\b\\1.idx", "h\\.\\1.idx", "h\\b/.\\1.idx"}) {
    EXPECT_FALSE(IsUsableFavouritePath(bad)) << bad;
  }
}

}  // namespace
}  // namespace mirelda
