// Progress: what the index conversions tell the report sink.
#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace mirelda {
namespace {

using ProgressTest = test::FolderPair;

TEST_F(ProgressTest, EveryIndexConversionCountsItsIndexesAndEndsAlsoWhenStopped) {
  Katjusha("favorite.idx", "h\\b\\1.idx\r\nbroken\r\n");
  Katjusha("store.idx", "h\\b\\1.idx\r\n");
  Katjusha("log/h/b/1.idx", test::KatjushaIndex("h", "b", "1"));
  Run("fav,ftd,allidx");
  EXPECT_EQ(report_.progress, (std::vector<std::string>{"0/2", "1/2", "2/2", "end", "0/1", "1/1",
                                                        "end", "0/?", "0/1", "1/1", "end"}));
  report_.progress.clear();
  report_.stop_at = report_.events + 1;
  EXPECT_EQ(Run("allidx"), RunOutcome::kStopped);
  EXPECT_EQ(report_.progress, (std::vector<std::string>{"0/?", "end"}));
}

}  // namespace
}  // namespace mirelda
