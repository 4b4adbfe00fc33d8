// frmMain: the Linux window, the Qt view of the window controller.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/qt/dialogs.h"
#include "app/window/controller.h"
#include "app/window/form_layout.h"

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;

namespace mirelda::qt {

/// The one window of the program: the controls of the shared table as Qt widgets, named by
/// their control names, with the behaviour of the window controller. It opens at the size it
/// had when it was last closed.
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
  void EnableButton(Button button, bool enabled) override;
  void SetStartCaption(const std::string& caption) override;
  std::string ChooseFolder(const std::string& title, const std::string& start) override;
  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void AppendLogLines(const std::vector<std::string>& lines) override;
  void ShowProgress(const std::string& title, const IndexProgress& progress) override;
  void PostDelivery() override;
  void DeliverAfter(std::chrono::milliseconds delay) override;
  void Close() override { close(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  void ConnectControls();
  QLineEdit* Box(FolderBox box) const;
  std::optional<FolderBox> BoxAt(QPoint point) const;

  Dialogs& dialogs_;
  SettingsStore& settings_;
  WindowController controller_;
  std::array<QWidget*, std::size(form::kControls)> controls_{};
  QPlainTextEdit* txtState_ = nullptr;
  QProgressBar* prgRun_ = nullptr;
  // The log as the run writes it, every line end CR LF as the bound counts it, bounded.
  QString log_;
};

}  // namespace mirelda::qt
