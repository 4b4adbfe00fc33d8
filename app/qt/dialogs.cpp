// The desktop's message box and folder picker.
#include "app/qt/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "app/window/window_texts.h"

namespace mirelda::qt {

void SystemDialogs::ShowMessage(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok, owner);
  // Messages carry folder paths, which may hold "<" or "&"; they must never be read as markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool SystemDialogs::Confirm(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kAppTitle), text,
                  QMessageBox::Ok | QMessageBox::Cancel, owner);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Cancel);  // Return alone must not undo anything
  return box.exec() == QMessageBox::Ok;
}

QString SystemDialogs::ChooseFolder(QWidget* owner, const QString& title, const QString& start) {
  QFileDialog dialog(owner, title, start);
  dialog.setFileMode(QFileDialog::Directory);
  // Qt's own dialog, which shows hidden folders (Wine's ~/.wine, where the guide sends people)
  // and speaks the language of the translations loaded at start; a desktop's native one may not.
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  dialog.setFilter(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::Drives);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  QString folder = QDir::toNativeSeparators(dialog.selectedFiles().first());
  while (folder.size() > 1 && folder.endsWith(QDir::separator())) folder.chop(1);
  return folder;
}

}  // namespace mirelda::qt
