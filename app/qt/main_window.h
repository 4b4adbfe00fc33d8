// frmMain: the Linux window over the conversion run.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <string>

#include "app/frontend.h"
#include "app/qt/dialogs.h"
#include "util/cp932.h"
#include "util/file_system.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mirelda::qt {

/// The one window of the program. It owns the folder texts, the check boxes and the log, and
/// lends them to the conversion run as its front end.
class MainWindow final : public QWidget, public Frontend {
 public:
  MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec);

  /// Shows the start-up notice and writes the first log line; call once, before show().
  void Form_Load();

  /// Folder buttons: the chosen folder goes into the box beside the button; a cancel keeps it.
  void cmdKatju_Click();
  void cmdLive_Click();

  /// The start button: the whole conversion run.
  void cmdStart_Click();

  std::string KatjuFolder() override;
  void SetKatjuFolder(const std::string& text) override;
  std::string LiveFolder() override;
  void SetLiveFolder(const std::string& text) override;
  int CheckValue(Choice choice) override;
  void DisableStart() override;
  void AddText(const std::string& line) override;
  void ShowMessage(const std::string& text) override;
  void ProcessEvents() override;

 private:
  void BuildControls();
  void ChooseFolderInto(QLineEdit* box);
  void ShowLog();
  void TakeLogFromBox();

  Dialogs& dialogs_;
  FileSystem& fs_;
  Cp932Codec& codec_;
  QPushButton* cmdStart_ = nullptr;
  QPlainTextEdit* txtState_ = nullptr;
  QLineEdit* txtKatju_ = nullptr;
  QLineEdit* txtLive_ = nullptr;

  // The log as the run writes it, every line end CR LF, bounded. While a run goes on the box
  // shows it only when the window takes events (and at the end): laying out every line as it
  // comes would cost more than the conversion itself, and most lines are cut before anyone
  // could see them. Outside a run, and after the user has typed, the box is what counts.
  QString log_;
  bool running_ = false;
  bool showing_log_ = false;
  QElapsedTimer since_events_;  // since the run last let the window's events through
};

/// The log font: the Windows face first, then the Japanese monospace faces of Linux desktops,
/// then the system's monospace font.
QFont LogFont();

/// A folder as the picker gave it, as the box shows it: native separators, no final separator
/// except for the root. "/home/a/" => "/home/a"; "/" => "/".
QString FolderBoxText(const QString& chosen);

}  // namespace mirelda::qt
