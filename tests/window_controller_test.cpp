// The window controller over a recording view: the behaviour both windows share, no toolkit.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>

#include "app/window/controller.h"
#include "app/window/log_bound.h"
#include "app/window/window_texts.h"
#include "tests/test_support.h"
#include "util/places.h"

namespace mirelda {
namespace {

using Journal = std::vector<std::string>;

// The fixture is the window: it keeps the boxes, which name the pair's folders without their
// separators, and the ticks, and writes down what the controller does to it, in order.
class WindowControllerTest : public test::FolderPair, public WindowView {
 protected:
  std::string FolderText(FolderBox box) override { return folders_[box]; }
  void SetFolderText(FolderBox box, const std::string& text) override { folders_[box] = text; }
  bool IsTicked(std::size_t kind) override { return ticked_.contains(kDataKinds[kind].option); }
  void SetTicked(std::size_t kind, bool on) override {
    const std::string option(kDataKinds[kind].option);
    on ? (void)ticked_.emplace(option) : (void)ticked_.erase(option);
  }
  void OfferFolders(FolderBox box, const std::vector<std::string>& folders) override {
    offered_[box] = folders;
  }
  void EnableInputs(bool on) override { journal_.push_back(on ? "inputs on" : "inputs off"); }
  void EnableStart(bool on) override { journal_.push_back(on ? "start on" : "start off"); }
  std::string ChooseFolder(const std::string& t, const std::string& start) override {
    starts_.push_back(start);
    return t == kPickerTitle ? pick_ : "";
  }
  void ShowMessage(const std::string& text) override { journal_.push_back("message " + text); }
  void AppendLogLine(const std::string& line) override { journal_.push_back("log " + line); }
  void ShowProgress(const std::string& title, const IndexProgress&) override {
    journal_.push_back("progress " + title);
  }
  void LetEventsThrough() override {
    journal_.push_back("events");
    on_events_();
  }
  void Close() override { journal_.push_back("close"); }

  std::map<FolderBox, std::string> folders_{{FolderBox::kKatjusha, dir_.Path("k")},
                                            {FolderBox::kLive2ch, dir_.Path("l")}};
  std::set<std::string, std::less<>> ticked_;
  std::map<FolderBox, std::vector<std::string>> offered_;
  SettingsInMemory kept_;
  std::vector<std::string> places_;
  std::vector<std::string> starts_;  // where the chooser started, in turn
  std::string pick_;                 // what the chooser gives under its title, "" for a cancel
  Journal journal_;
  std::function<void()> on_events_ = [] {};
  std::error_code codec_error_;
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open(codec_error_);
  WindowController controller_{*this, fs_, *codec_, kept_, places_};
};

TEST_F(WindowControllerTest,
       OpenShowsTheNoticeThenTheInstructionAndTheChooserKeepsTheBoxOnACancel) {
  controller_.Open();
  for (const char* pick : {"/srv/live", ""}) {
    pick_ = pick;
    controller_.ChooseFolder(FolderBox::kLive2ch);
  }
  EXPECT_EQ(folders_[FolderBox::kLive2ch], "/srv/live");
  // It starts at the box's folder, and where there is none at home.
  EXPECT_EQ(starts_, (std::vector<std::string>{dir_.Path("l"), HomeFolder()}));
  EXPECT_EQ(journal_, (Journal{std::string("message ") + kStartupNotice,
                               std::string("log ") + kInstructionLine}));
}

// After failed checks the user corrects a folder and starts again.
TEST_F(WindowControllerTest, StartRunsTheTickedKindsOnTheBoxesFoldersWithTheInputsLocked) {
  ticked_ = {"allidx"};  // the one kind not converted unless asked for
  Katjusha("log/h/b/1.idx", "");
  folders_[FolderBox::kLive2ch] = dir_.Path("x");
  controller_.Start();
  folders_[FolderBox::kLive2ch] = dir_.Path("l");
  controller_.Start();
  EXPECT_EQ(folders_[FolderBox::kKatjusha], katjusha_);
  EXPECT_EQ(folders_[FolderBox::kLive2ch], live2ch_);
  // The title shows the progress once the search knows the total, and the caption after it.
  const std::string title = std::string("progress ") + kWindowCaption;
  EXPECT_EQ(journal_, (Journal{"inputs off",
                               "start off",
                               "message Live2chが見つかりません\n（" + dir_.Path("x/") +
                                   "にlive2ch.exeがありません）",
                               "inputs on",
                               "start on",
                               "inputs off",
                               "start off",
                               "log 各変換作業を開始します",
                               "log すべてのidxを変換します",
                               title,
                               "events",
                               "events",
                               "events",
                               title + " - 0% (0/1)",
                               "log " + katjusha_ + test::P("log/h/b/1.idx") + "は、なんか変です",
                               title + " - 100% (1/1)",
                               title,
                               "log すべてのidxを変換完了",
                               "log 新規0件、置換0件、変更なし0件、変なidx1件、失敗0件",
                               "log すべて変換完了",
                               "message すべて変換終了",
                               "inputs on",
                               "start off"}));
}

// The boxes and ticks of the last run that passed its checks come back at the next start.
TEST_F(WindowControllerTest, ARunPastItsChecksIsKeptForTheNextStartAndBrokenTicksAreIgnored) {
  folders_[FolderBox::kLive2ch] = dir_.Path("x");  // no live2ch.exe: nothing is kept
  controller_.Start();
  EXPECT_FALSE(kept_.Value("katjusha"));
  folders_[FolderBox::kLive2ch] = "\"" + live2ch_ + "live2ch.exe\"";
  ticked_ = {"brd", "allidx"};
  controller_.Start();
  folders_.clear();
  ticked_ = {"fav"};
  WindowController next{*this, fs_, *codec_, kept_, {dir_.Path()}};
  next.Open();
  EXPECT_EQ(folders_, (std::map<FolderBox, std::string>{{FolderBox::kKatjusha, katjusha_},
                                                        {FolderBox::kLive2ch, live2ch_}}));
  EXPECT_EQ(ticked_, (std::set<std::string, std::less<>>{"brd", "allidx"}));
  kept_.SetValue("kinds", "brd,bogus");
  ticked_ = {"fav"};
  next.Open();
  EXPECT_EQ(ticked_, (std::set<std::string, std::less<>>{"fav"}));
}

// With no folder kept, a program found once fills its box; found more than once, it is offered.
TEST_F(WindowControllerTest, WithNothingKeptTheProgramsAreLookedForInThePlaces) {
  test::WriteBytes(dir_.Path("m/live2ch.exe"), "");
  folders_.clear();
  WindowController fresh{*this, fs_, *codec_, kept_, {dir_.Path("k/"), dir_.Path()}};
  fresh.Open();
  EXPECT_EQ(folders_, (std::map<FolderBox, std::string>{{FolderBox::kKatjusha, dir_.Path("k")}}));
  EXPECT_EQ(offered_, (std::map<FolderBox, std::vector<std::string>>{
                          {FolderBox::kLive2ch, {dir_.Path("l"), dir_.Path("m")}}}));
}

TEST(ProgressTitleTest, TellsPercentAndCountsAndChangesOnlyWithThePercent) {
  const std::string caption = kWindowCaption;
  const std::pair<IndexProgress, std::optional<std::string>> steps[] = {
      {{0, std::nullopt}, caption},
      {{0, 0}, caption + " - 100% (0/0)"},
      {{0, 20000}, caption + " - 0% (0/20,000)"},
      {{199, 20000}, std::nullopt},
      {{9000, 20000}, caption + " - 45% (9,000/20,000)"},
      {{1234567, 1234567}, caption + " - 100% (1,234,567/1,234,567)"}};
  ProgressTitle title;
  for (const auto& [progress, expected] : steps) {
    EXPECT_EQ(title.Next(progress), expected) << progress.done;
  }
}

TEST_F(WindowControllerTest, ACloseDuringARunStopsItBetweenTwoFilesAndClosesAfterIt) {
  EXPECT_TRUE(controller_.RequestClose());  // outside a run a close closes at once
  ticked_ = {"ftd", "myboard"};
  bool closed_at_once = true;
  on_events_ = [&] { closed_at_once = controller_.RequestClose(); };
  controller_.Start();
  EXPECT_FALSE(closed_at_once);
  // Nothing after the events that asked to close: no other kind, no closing line or message.
  EXPECT_EQ(journal_,
            (Journal{"inputs off", "start off", "log 各変換作業を開始します",
                     "log スレッド倉庫を変換します", "events", "inputs on", "start off", "close"}));
}

TEST(LogBoundTest, TheLogIsCutToItsLastNineThousandUnitsNeverInsideASurrogatePair) {
  EXPECT_EQ(LogCut(std::u16string(10000, u'a')), 0u);
  EXPECT_EQ(LogCut(std::u16string(10001, u'a')), 1001u);
  EXPECT_EQ(LogCut(std::u16string(1000, u'a') + u"\U0001F600" + std::u16string(8999, u'b')), 1002u);
}

}  // namespace
}  // namespace mirelda
