// Progress: what the index conversions tell the sink, and the command line's progress line.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "app/cli/terminal_report.h"
#include "tests/test_support.h"

namespace mirelda {
namespace {

using ProgressTest = test::FolderPair;

TEST_F(ProgressTest, EveryIndexConversionCountsItsIndexesAndEndsAlsoWhenStopped) {
  Katjusha("favorite.idx", "h\\b\\1.idx\r\nbroken\r\n");
  Katjusha("store.idx", "h\\b\\1.idx\r\n");
  Katjusha("log/h/b/1.idx", test::KatjushaIndex("h", "b", "1"));
  Run("fav,ftd,allidx", 1);  // one at a time: all indexes are counted before the first is done
  EXPECT_EQ(report_.progress, (std::vector<std::string>{"0/2", "1/2", "2/2", "end", "0/1", "1/1",
                                                        "end", "0/?", "0/1", "1/1", "end"}));
  report_.progress.clear();
  report_.stop_at = report_.events + 2;  // at the search's first folder
  EXPECT_EQ(Run("allidx"), RunOutcome::kStopped);
  EXPECT_EQ(report_.progress, (std::vector<std::string>{"0/?", "end"}));
}

// The log and the progress line share one stream here, so that their order shows.
TEST(TerminalReportTest, OnlyATerminalGetsTheLineInItsLanguageRedrawnTenTimesASecondAndErased) {
  const auto erase = [](const std::string& s) {
    return std::string("\r").append(s.size(), ' ') + "\r";
  };
  const auto shown = [&](const std::string& first, const std::string& later) {
    return first + erase(first) + later + erase(later) + "bad\n" + later + erase(later);
  };
  const std::tuple<bool, Language, std::string> cases[] = {
      {false, Language::kEnglish, "bad\n"},
      {true, Language::kEnglish,
       shown("0/15,707,700 indexes", "9,000/15,707,700 indexes, 4,500/s, 58:09 left")},
      {true, Language::kJapanese,
       shown("0/15,707,700件", "9,000/15,707,700件　4,500件/秒　残り58:09")}};
  for (const auto& [terminal, language, expected] : cases) {
    test::TempDir dir;
    std::FILE* stream = std::fopen(dir.Path("out").c_str(), "wb");
    cli::Instant now{std::chrono::hours(1)};
    cli::TerminalReport report(stream, stream, terminal, Messages(language), [&] { return now; });
    report.ShowProgress({0, 15707700});
    now += std::chrono::milliseconds(99);
    report.ShowProgress({100, 15707700});  // too soon after the first
    now += std::chrono::milliseconds(1901);
    report.ShowProgress({9000, 15707700});
    report.AddLine("bad");
    report.ShowProgress({9000, 15707700, true});
    std::fclose(stream);
    EXPECT_EQ(test::ReadBytes(dir.Path("out")), expected) << terminal;
  }
}

}  // namespace
}  // namespace mirelda
