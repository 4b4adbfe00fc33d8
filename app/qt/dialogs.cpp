// The desktop's message box and folder picker.
#include "app/qt/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "app/texts.h"

namespace mirelda::qt {

void SystemDialogs::ShowMessage(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok, owner);
  // Messages carry folder paths, which may hold "<" or "&"; they must never be read as markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

QString SystemDialogs::ChooseFolder(QWidget* owner, const QString& title) {
  return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
}

}  // namespace mirelda::qt
