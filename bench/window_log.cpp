// Runs one conversion through the Linux window (offscreen) and prints how long it took and how
// long the log is afterwards: the window's half of bench/window-log.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdio>

#include "app/qt/dialogs.h"
#include "app/qt/main_window.h"

namespace {

// The run's closing message must not wait for anyone.
class NoDialogs final : public mirelda::qt::Dialogs {
 public:
  void ShowMessage(QWidget*, const QString&) override {}
  QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s KATJUSHA_FOLDER LIVE2CH_FOLDER\n", argv[0]);
    return 2;
  }
  NoDialogs dialogs;
  std::error_code codec_error;
  const auto codec = mirelda::Cp932Codec::Open(codec_error);
  if (!codec) {
    std::fprintf(stderr, "code page 932: %s\n", codec_error.message().c_str());
    return 1;
  }
  const auto fs = mirelda::MakeNativeFileSystem();
  mirelda::SettingsInMemory settings;
  mirelda::qt::MainWindow window(dialogs, *fs, *codec, settings);
  window.show();
  window.findChild<QLineEdit*>("txtKatju")->setText(QString::fromLocal8Bit(argv[1]));
  window.findChild<QLineEdit*>("txtLive")->setText(QString::fromLocal8Bit(argv[2]));
  for (auto* box : window.findChildren<QCheckBox*>()) {
    box->setChecked(box->objectName() == "chkAllIdx");
  }
  QElapsedTimer timer;
  timer.start();
  window.findChild<QPushButton*>("cmdStart")->click();
  const double seconds = timer.nsecsElapsed() / 1e9;
  const QString log = window.findChild<QPlainTextEdit*>("txtState")->toPlainText();
  std::printf("%.3f s, log %lld characters\n", seconds, static_cast<long long>(log.size()));
  return 0;
}
