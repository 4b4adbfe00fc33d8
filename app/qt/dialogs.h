// The modal dialogs of the Linux window, behind a seam so that tests never open one.
#pragma once

#include <QString>

class QWidget;

namespace mirelda::qt {

/// The modal dialogs the window shows. Each returns only when the user has closed them.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  /// Shows `text` titled "mirelda", with one OK button and no icon.
  virtual void ShowMessage(QWidget* owner, const QString& text) = 0;

  /// Asks `text`, titled "mirelda", with the buttons OK and Cancel; true for OK.
  virtual bool Confirm(QWidget* owner, const QString& text) = 0;

  /// Lets the user choose a folder, starting at `start`: its path with native separators and no
  /// final separator except for the root ("/home/a", "/"); the empty text when they cancel.
  virtual QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) = 0;
};

/// The desktop's own message box and folder picker.
class SystemDialogs final : public Dialogs {
 public:
  void ShowMessage(QWidget* owner, const QString& text) override;
  bool Confirm(QWidget* owner, const QString& text) override;
  QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) override;
};

}  // namespace mirelda::qt
