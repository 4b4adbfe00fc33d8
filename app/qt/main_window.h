// frmMain: the Linux window, the Qt view of the window controller.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "app/qt/dialogs.h"
#include "app/window/controller.h"

class QLineEdit;
class QPlainTextEdit;

namespace mirelda::qt {

/// The one window of the program: the controls of the shared table as Qt widgets, named by
/// their control names, with the behaviour of the window controller.
class MainWindow final : public QWidget, public WindowView {
 public:
  /// `settings` keeps the folders and ticks between starts.
  MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec, SettingsStore& settings);

  /// Shows the start-up notice and writes the first log line; call once, before show().
  void Open() { controller_.Open(); }

  std::string FolderText(FolderBox box) override;
  void SetFolderText(FolderBox box, const std::string& text) override;
  bool IsTicked(std::size_t kind) override;
  void SetTicked(std::size_t kind, bool ticked) override;
  void OfferFolders(FolderBox box, const std::vector<std::string>& folders) override;
  void EnableInputs(bool enabled) override;
  void EnableStart(bool enabled) override;
  std::string ChooseFolder(const std::string& title, const std::string& start) override;
  void ShowMessage(const std::string& text) override;
  void AppendLogLine(const std::string& line) override;
  void ShowProgress(const std::string& title, const IndexProgress& progress) override;
  void LetEventsThrough() override;
  void Close() override { close(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  QLineEdit* Box(FolderBox box) const;
  std::optional<FolderBox> BoxAt(QPoint point) const;
  void ShowLog();

  Dialogs& dialogs_;
  WindowController controller_;
  QPlainTextEdit* txtState_ = nullptr;

  // The log as the run writes it, every line end CR LF, bounded. While a run goes on the box
  // shows it only when the window takes events (and before a message): laying out every line
  // as it comes would cost more than the conversion itself, and most lines are cut before
  // anyone could see them. What the user types into the box is taken into the log at once.
  QString log_;
  bool showing_log_ = false;
  QElapsedTimer since_events_;  // since the run last let the window's events through
};

}  // namespace mirelda::qt
