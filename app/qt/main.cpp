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
  mirelda::Cp932Codec codec;
  const auto fs = mirelda::MakeNativeFileSystem();
  mirelda::qt::MainWindow frmMain(dialogs, *fs, codec);
  frmMain.Form_Load();
  frmMain.show();
  return app.exec();
}
