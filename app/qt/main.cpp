// mirelda: the Linux desktop window.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/qt/dialogs.h"
#include "app/qt/main_window.h"
#include "app/qt/settings_store.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QIcon icon(":/mirelda-16.png");
  icon.addFile(":/mirelda-48.png");
  app.setWindowIcon(icon);
  // Qt's own texts (the picker's buttons, "OK") in the system's language, from Qt's translations.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale::system(), "qtbase", "_",
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(&qt_texts);
  }

  mirelda::qt::SystemDialogs dialogs;
  const auto codec = mirelda::Cp932Codec::Open();
  const auto fs = mirelda::MakeNativeFileSystem();
  mirelda::qt::QtSettingsStore settings;
  mirelda::qt::MainWindow frmMain(dialogs, *fs, *codec, settings);
  frmMain.Open();
  frmMain.show();
  return app.exec();
}
