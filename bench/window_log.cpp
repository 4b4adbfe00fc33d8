// Runs one conversion of the favourites through the Linux window (offscreen) and prints how long
// it took and the longest time between two repaints of the window: the window's half of
// bench/window-log.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

#include "app/qt/dialogs.h"
#include "app/qt/main_window.h"

namespace {

// The run's closing message ends the measure and waits for no one.
class NoDialogs final : public mirelda::qt::Dialogs {
 public:
  void ShowMessage(QWidget*, const QString&) override { QApplication::quit(); }
  bool Confirm(QWidget*, const QString&) override { return false; }
  QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

// Notes the longest time between two paints of any of the window's widgets.
class PaintGaps final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
      if (clock_.isValid())
        longest_ = std::max(longest_, clock_.restart());
      else
        clock_.start();
    }
    return false;
  }
  qint64 longest() const { return longest_; }

 private:
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s KATJUSHA_FOLDER LIVE2CH_FOLDER\n", argv[0]);
    return 2;
  }
  NoDialogs dialogs;
  const auto codec = mirelda::Cp932Codec::Open();
  const auto fs = mirelda::MakeNativeFileSystem();
  mirelda::SettingsInMemory settings;
  mirelda::qt::MainWindow window(dialogs, *fs, *codec, settings);
  window.show();
  window.findChild<QLineEdit*>("txtKatju")->setText(QString::fromLocal8Bit(argv[1]));
  window.findChild<QLineEdit*>("txtLive")->setText(QString::fromLocal8Bit(argv[2]));
  for (auto* box : window.findChildren<QCheckBox*>()) {
    box->setChecked(box->objectName() == "chkFav");
  }
  PaintGaps gaps;
  app.installEventFilter(&gaps);
  QElapsedTimer timer;
  timer.start();
  window.findChild<QPushButton*>("cmdStart")->click();
  app.exec();
  std::printf("%.3f s, longest between repaints %lld ms\n", timer.nsecsElapsed() / 1e9,
              static_cast<long long>(gaps.longest()));
  return 0;
}
