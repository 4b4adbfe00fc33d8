// The window controller over a recording view: the behaviour both windows share, no toolkit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "app/window/controller.h"
#include "app/window/window_texts.h"
#include "util/path.h"

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using Journal = std::vector<std::string>;

// Keeps the boxes and ticks, and writes down what the controller does to the window, in order.
class RecordingView final : public WindowView {
 public:
  std::map<FolderBox, std::string> folders;
  std::set<std::string, std::less<>> ticked;
  std::string pick;  // what the chooser gives, "" for a cancel
  Journal journal;
  std::function<void()> on_events = [] {};

  std::string FolderText(FolderBox box) override { return folders[box]; }
  void SetFolderText(FolderBox box, const std::string& text) override { folders[box] = text; }
  bool IsTicked(std::string_view check_box) override { return ticked.contains(check_box); }
  void EnableInputs(bool on) override { journal.push_back(on ? "inputs on" : "inputs off"); }
  void EnableStart(bool on) override { journal.push_back(on ? "start on" : "start off"); }
  std::string ChooseFolder(const std::string& title) override {
    journal.push_back("chooser " + title);
    return pick;
  }
  void ShowMessage(const std::string& text) override { journal.push_back("message " + text); }
  void AppendLogLine(const std::string& line) override { journal.push_back("log " + line); }
  void ShowProgress(const std::string& title, const IndexProgress&) override {
    journal.push_back("progress " + title);
  }
  void LetEventsThrough() override {
    journal.push_back("events");
    on_events();
  }
  void Close() override { journal.push_back("close"); }
};

// A controller over a view whose boxes name a Katjusha folder k and a Live2ch folder l.
class WindowControllerTest : public ::testing::Test {
 protected:
  WindowControllerTest() {
    for (const char* file : {"k/Katjusha.exe", "l/live2ch.exe"}) Write(file);
    view_.folders = {{FolderBox::kKatjusha, Path("k")}, {FolderBox::kLive2ch, Path("l")}};
  }
  ~WindowControllerTest() override { fs::remove_all(root_); }
  std::string Path(const char* relative) { return (root_ / relative).make_preferred().string(); }
  void Write(const char* relative) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative) << "MZ";
  }

  const fs::path root_ =
      fs::temp_directory_path() / ("mirelda-window-" + std::to_string(std::random_device{}()));
  std::error_code codec_error_;
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open(codec_error_);
  std::unique_ptr<FileSystem> fs_ = MakeNativeFileSystem();
  RecordingView view_;
  WindowController controller_{view_, *fs_, *codec_};
};

TEST_F(WindowControllerTest, OpenShowsTheNoticeThenWritesTheInstructionLine) {
  controller_.Open();
  EXPECT_EQ(view_.journal, (Journal{std::string("message ") + kStartupNotice,
                                    std::string("log ") + kInstructionLine}));
}

TEST_F(WindowControllerTest, AChosenFolderFillsItsBoxAndACancelKeepsIt) {
  view_.pick = "/srv/live";
  controller_.ChooseFolder(FolderBox::kLive2ch);
  view_.pick = "";
  controller_.ChooseFolder(FolderBox::kLive2ch);
  EXPECT_EQ(view_.folders[FolderBox::kLive2ch], "/srv/live");
  EXPECT_EQ(view_.journal, Journal(2, std::string("chooser ") + kPickerTitle));
}

TEST_F(WindowControllerTest, StartRunsTheTickedKindsOnTheBoxesFoldersWithTheInputsLocked) {
  Write("k/log/h/b/1.idx");
  view_.ticked = {"chkAllIdx"};  // the one kind not converted unless asked for
  controller_.Start();
  EXPECT_EQ(view_.folders[FolderBox::kKatjusha], Path("k") + kSep);
  EXPECT_EQ(view_.folders[FolderBox::kLive2ch], Path("l") + kSep);
  const std::string title = std::string("progress ") + kWindowCaption;
  EXPECT_EQ(view_.journal,
            (Journal{"inputs off", "start off", "log 各変換作業を開始します",
                     "log すべてのidxを変換します", title, "events", "events", "events",
                     title + " - 0% (0/1)", "log " + Path("k/log/h/b/1.idx") + "は、なんか変です",
                     title + " - 100% (1/1)", title, "log すべてのidxを変換完了",
                     "log すべて変換完了", "message すべて変換終了", "inputs on", "start off"}));
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

TEST_F(WindowControllerTest, FailedChecksLeaveTheStartButtonEnabled) {
  fs::remove(root_ / "l" / "live2ch.exe");
  controller_.Start();
  EXPECT_EQ(view_.journal, (Journal{"inputs off", "start off", "message Live2chが見つかりません",
                                    "inputs on", "start on"}));
}

TEST_F(WindowControllerTest, ACloseDuringARunStopsItBetweenTwoFilesAndClosesAfterIt) {
  EXPECT_TRUE(controller_.RequestClose());  // outside a run a close closes at once
  view_.ticked = {"chkFtd", "chkMyboard"};
  bool closed_at_once = true;
  view_.on_events = [&] { closed_at_once = controller_.RequestClose(); };
  controller_.Start();
  EXPECT_FALSE(closed_at_once);
  // Nothing after the events that asked to close: no other kind, no closing line or message.
  EXPECT_EQ(view_.journal,
            (Journal{"inputs off", "start off", "log 各変換作業を開始します",
                     "log スレッド倉庫を変換します", "events", "inputs on", "start off", "close"}));
}

}  // namespace
}  // namespace mirelda
