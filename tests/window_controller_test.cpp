// The window controller over a recording view and a clock of its own: the behaviour both windows
// share, no toolkit.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <set>

#include "app/window/controller.h"
#include "app/window/log_bound.h"
#include "app/window/window_texts.h"
#include "run/run_log.h"
#include "tests/test_support.h"
#include "util/places.h"

namespace mirelda {
namespace {

using Lines = std::vector<std::string>;

// The fixture is the window: it keeps the boxes, which name the pair's folders without their
// separators, the ticks, the buttons, the log and the messages. Deliveries that the run posts
// from its thread are made here, one at a time, with the clock moved on past the interval.
class WindowControllerTest : public test::FolderPair, public WindowView {
 protected:
  std::string FolderText(FolderBox box) override {
    return folders_.contains(box) ? folders_[box] : "";
  }
  void SetFolderText(FolderBox box, const std::string& text) override { folders_[box] = text; }
  bool IsTicked(std::size_t kind) override { return ticked_.contains(kDataKinds[kind].option); }
  void SetTicked(std::size_t kind, bool on) override {
    const std::string option(kDataKinds[kind].option);
    on ? (void)ticked_.emplace(option) : (void)ticked_.erase(option);
  }
  void OfferFolders(FolderBox box, const std::vector<std::string>& folders) override {
    offered_[box] = folders;
  }
  void EnableInputs(bool on) override { inputs_ = on; }
  void EnableButton(Button button, bool on) override { enabled_[button] = on; }
  void SetStartCaption(const std::string& caption) override { caption_ = caption; }
  std::string ChooseFolder(const std::string& t, const std::string& start) override {
    starts_.push_back(start);
    return t == kPickerTitle ? pick_ : "";
  }
  void ShowMessage(const std::string& text) override { messages_.push_back(text); }
  bool Confirm(const std::string& text) override {
    questions_.push_back(text);
    return confirm_;
  }
  void AppendLogLines(const Lines& lines) override {
    log_.insert(log_.end(), lines.begin(), lines.end());
  }
  void ShowProgress(const std::string& title, const IndexProgress&) override { title_ = title; }
  void PostDelivery() override {
    const std::lock_guard lock(mutex_);
    woken_ = true;
    wake_.notify_one();
  }
  void DeliverAfter(std::chrono::milliseconds delay) override {
    const std::lock_guard lock(mutex_);
    woken_ = delay > std::chrono::milliseconds(0);
  }
  void Close() override { closed_ = true; }

  // Makes the deliveries the run asks for until it has ended.
  void RunToEnd() {
    while (controller_.running()) {
      std::unique_lock lock(mutex_);
      ASSERT_TRUE(wake_.wait_for(lock, std::chrono::seconds(30), [this] { return woken_; }));
      woken_ = false;
      lock.unlock();
      now_ += std::chrono::seconds(1);
      controller_.Deliver();
    }
  }

  // The buttons as "start/preview/undo", each 1 for enabled, and the start button's caption.
  std::string Buttons() {
    return caption_ + " " + std::to_string(enabled_[Button::kStart]) +
           std::to_string(enabled_[Button::kPreview]) + std::to_string(enabled_[Button::kUndo]);
  }

  std::map<FolderBox, std::string> folders_{{FolderBox::kKatjusha, dir_.Path("k")},
                                            {FolderBox::kLive2ch, dir_.Path("l")}};
  std::set<std::string, std::less<>> ticked_;
  std::map<FolderBox, std::vector<std::string>> offered_;
  SettingsInMemory kept_;
  std::vector<std::string> places_;
  std::vector<std::string> starts_;  // where the chooser started, in turn
  std::string pick_;                 // what the chooser gives under its title, "" for a cancel
  bool inputs_ = true, confirm_ = true, closed_ = false;
  std::map<Button, bool> enabled_;
  std::string caption_, title_;
  Lines log_, messages_, questions_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool woken_ = false;
  std::chrono::steady_clock::time_point now_ =
      std::chrono::steady_clock::time_point() + std::chrono::hours(1);
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open();
  WindowController controller_{*this, fs_, *codec_, kept_, places_, [this] { return now_; }};
};

TEST_F(WindowControllerTest,
       OpenShowsTheNoticeThenTheInstructionAndTheChooserKeepsTheBoxOnACancel) {
  controller_.Open();
  for (const char* pick : {"/srv/live", ""}) {
    pick_ = pick;
    controller_.ChooseFolder(FolderBox::kLive2ch);
  }
  EXPECT_EQ(folders_[FolderBox::kLive2ch], "/srv/live");
  EXPECT_EQ(messages_, Lines{kStartupNotice});
  EXPECT_EQ(log_, Lines{kInstructionLine});
  EXPECT_EQ(Buttons(), "変換開始(&S) 110");  // nothing to undo yet
  // It starts at the box's folder, and where there is none at home.
  EXPECT_EQ(starts_, (std::vector<std::string>{dir_.Path("l"), HomeFolder()}));
}

// After failed checks the user corrects a folder and starts again; an empty box stays empty.
TEST_F(WindowControllerTest, ARunLocksTheWindowShowsItsLinesAsTheyComeAndCanThenBeUndone) {
  ticked_ = {"allidx"};  // the one kind not converted unless asked for
  Katjusha("log/h/b/1.idx", test::KatjushaIndex("h", "b", "1"));
  Live2ch("log/h/b/1.idx", "old");
  folders_[FolderBox::kLive2ch] = "";
  controller_.Start();
  EXPECT_EQ(Buttons(), "中止(&S) 100");
  EXPECT_FALSE(inputs_);
  RunToEnd();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].starts_with("Live2chが見つかりません")) << messages_[0];
  EXPECT_EQ(folders_[FolderBox::kLive2ch], "");
  EXPECT_EQ(Buttons(), "変換開始(&S) 110");

  folders_[FolderBox::kLive2ch] = dir_.Path("l");
  controller_.Start();
  now_ -= std::chrono::milliseconds(10);  // a delivery too soon after the last waits its turn
  controller_.Deliver();
  EXPECT_TRUE(log_.empty());
  RunToEnd();
  EXPECT_TRUE(inputs_);
  EXPECT_EQ(folders_[FolderBox::kKatjusha], katjusha_);
  EXPECT_EQ(log_.at(1), "すべてのidxを変換します");
  EXPECT_EQ(log_.back(), "すべて変換完了");
  EXPECT_EQ(title_, kWindowCaption);  // the progress ended
  EXPECT_EQ(messages_.back(), "すべて変換終了");
  EXPECT_EQ(Buttons(), "変換開始(&S) 011");  // one conversion, which can be undone

  folders_[FolderBox::kLive2ch] = dir_.Path("k");  // undo is judged from the box as it stands
  controller_.FolderEdited(FolderBox::kLive2ch);
  EXPECT_EQ(Buttons(), "変換開始(&S) 010");
  folders_[FolderBox::kLive2ch] = dir_.Path("l");
  controller_.FolderEdited(FolderBox::kLive2ch);
  confirm_ = false;
  controller_.Undo();
  const std::string converted = test::Sjis(test::Live2chIndex("h", "b", "1"));
  EXPECT_EQ(Live2ch("log/h/b/1.idx"), converted);  // cancelled
  confirm_ = true;
  controller_.Undo();
  EXPECT_EQ(Buttons(), "中止(&S) 100");
  RunToEnd();
  ASSERT_EQ(questions_.size(), 2u);
  EXPECT_NE(questions_[0].find("の変換（新規0件、置換1件）を元に戻します。"), std::string::npos);
  EXPECT_EQ(Live2ch("log/h/b/1.idx"), "old");
  EXPECT_EQ(messages_.back(), "すべて元に戻しました");
  EXPECT_EQ(Buttons(), "変換開始(&S) 110");  // converted no more: it may convert again
}

TEST_F(WindowControllerTest, AStopEndsTheRunBetweenTwoFilesAndACloseClosesTheWindowAfterIt) {
  EXPECT_TRUE(controller_.RequestClose());  // outside a run a close closes at once
  ticked_ = {"ftd", "myboard"};
  Katjusha("a.idx", "");
  for (const bool by_closing : {false, true}) {
    // The run waits in its search of the warehouses until the window has asked it to stop.
    std::promise<void> asked;
    std::shared_future<void> gate = asked.get_future().share();
    fs_.fail_list = [gate](const std::string&) {
      gate.wait();
      return false;
    };
    log_.clear();
    messages_.clear();
    controller_.Start();
    if (by_closing) {
      EXPECT_FALSE(controller_.RequestClose());
    } else {
      controller_.Start();
    }
    asked.set_value();
    RunToEnd();
    EXPECT_EQ(closed_, by_closing);
    EXPECT_EQ(log_.back(), kStoppedLine);
    EXPECT_EQ(std::count(log_.begin(), log_.end(), "other.brdをmyboard.brdに変換します"), 0);
    EXPECT_EQ(messages_, by_closing ? Lines{} : Lines{kStoppedLine});
  }
}

TEST_F(WindowControllerTest, ARunWithFailuresListsThemAtTheEndAndItsMessageNamesTheSavedLog) {
  ticked_ = {"namemail"};
  Katjusha("namelist.txt", "a");
  Katjusha("maillist.txt", "b");
  Live2ch("maillist.txt", "old");  // replaced and kept: the run has a backup folder
  fs_.fail_write = [](const std::string& path) { return path.ends_with("namelist.txt"); };
  controller_.Start();
  RunToEnd();
  const std::string failure = live2ch_ + "namelist.txtに書き込めませんでした";
  EXPECT_EQ(Lines(log_.end() - 2, log_.end()), (Lines{"失敗した項目：", failure}));
  ASSERT_EQ(messages_.size(), 1u);
  const std::string message = messages_[0];
  const std::size_t break_at = message.find("\r\n");
  EXPECT_EQ(message.substr(0, break_at), "変換は終わりましたが、失敗が1件あります。");
  const std::string saved = message.substr(break_at + 2);
  EXPECT_TRUE(saved.starts_with(BackupRoot(live2ch_)) && saved.ends_with(kLogName)) << saved;
  const std::string bytes = test::ReadBytes(saved);
  EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF各変換作業を開始します\r\n"));
  EXPECT_TRUE(bytes.ends_with("失敗した項目：\r\n" + failure + "\r\n"));
}

TEST_F(WindowControllerTest, APreviewWritesNothingAndLeavesTheStartButtonAsItWas) {
  ticked_ = {"namemail"};
  Katjusha("namelist.txt", "a");
  const auto before = test::Snapshot(live2ch_);
  controller_.Preview();
  EXPECT_EQ(Buttons(), "中止(&S) 100");
  RunToEnd();
  EXPECT_EQ(test::Snapshot(live2ch_), before);
  EXPECT_EQ(log_.end()[-2], "新規1件、置換0件、変更なし0件、変なidx0件、失敗0件");
  EXPECT_EQ(messages_, Lines{"確認が終わりました。ファイルは何も書き込んでいません"});
  EXPECT_EQ(Buttons(), "変換開始(&S) 110");
}

// The boxes and ticks of the last run that passed its checks come back at the next start.
TEST_F(WindowControllerTest, ARunPastItsChecksIsKeptForTheNextStartAndBrokenTicksAreIgnored) {
  folders_[FolderBox::kLive2ch] = dir_.Path("x");  // no live2ch.exe: nothing is kept
  controller_.Start();
  RunToEnd();
  EXPECT_FALSE(kept_.Value("katjusha"));
  folders_[FolderBox::kLive2ch] = "\"" + live2ch_ + "live2ch.exe\"";
  ticked_ = {"brd", "allidx"};
  controller_.Start();
  RunToEnd();
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

TEST(LogBoundTest, TheLogIsCutToItsLastNineThousandUnitsNeverInsideASurrogatePair) {
  EXPECT_EQ(LogCut(std::u16string(10000, u'a')), 0u);
  EXPECT_EQ(LogCut(std::u16string(10001, u'a')), 1001u);
  EXPECT_EQ(LogCut(std::u16string(1000, u'a') + u"\U0001F600" + std::u16string(8999, u'b')), 1002u);
}

}  // namespace
}  // namespace mirelda
