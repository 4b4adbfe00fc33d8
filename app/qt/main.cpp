// mirelda: the Linux desktop window.
#include <QApplication>
#include <QIcon>

#include "app/qt/dialogs.h"
#include "app/qt/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QIcon icon(":/mirelda-16.png");
  icon.addFile(":/mirelda-48.png");
  app.setWindowIcon(icon);

  mirelda::qt::SystemDialogs dialogs;
  std::error_code codec_error;
  const auto codec = mirelda::Cp932Codec::Open(codec_error);
  if (!codec) {
    const mirelda::Messages say(mirelda::UserLanguage());
    dialogs.ShowMessage(nullptr, QString::fromStdString(say(mirelda::MessageId::kCodePage932) +
                                                        ": " + say.Reason(codec_error)));
    return 1;
  }
  const auto fs = mirelda::MakeNativeFileSystem();
  mirelda::qt::MainWindow frmMain(dialogs, *fs, *codec);
  frmMain.Open();
  frmMain.show();
  return app.exec();
}
