// frmMain: the Linux window over the conversion run.
#include "app/qt/main_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <string_view>

#include "app/form_layout.h"
#include "app/log_bound.h"
#include "app/run.h"
#include "app/texts.h"

namespace mirelda::qt {
namespace {

QString Q(const char* text) { return QString::fromUtf8(text); }

// The log counts a line end as CR LF, two units, as the Windows box does; the Qt box keeps
// one "\n" between blocks, so texts are converted on the way in and out.
QString ToCrLf(QString text) { return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n")); }
QString FromCrLf(QString text) {
  return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QWidget* MakeControl(const form::Control& control, QWidget* parent) {
  const QString caption = Q(control.caption);
  QWidget* widget = nullptr;
  switch (control.kind) {
    case form::Kind::kButton:
      widget = new QPushButton(caption, parent);
      break;
    case form::Kind::kLabel:
      widget = new QLabel(caption, parent);
      break;
    case form::Kind::kCheckBox: {
      auto* box = new QCheckBox(caption, parent);
      box->setChecked(control.ticked);
      widget = box;
      break;
    }
    case form::Kind::kTextBox:
      if (std::string_view(control.name) == "txtState") {
        auto* log = new QPlainTextEdit(parent);
        log->setFont(LogFont());
        log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Tab moves on to the next control, as in every other box of the window.
        log->setTabChangesFocus(true);
        widget = log;
      } else {
        widget = new QLineEdit(parent);
      }
      break;
  }
  widget->setObjectName(QString::fromStdString(form::UniqueName(control)));
  widget->setGeometry(form::ToPixels(control.rect.left), form::ToPixels(control.rect.top),
                      form::ToPixels(control.rect.width), form::ToPixels(control.rect.height));
  return widget;
}

// The captions were laid out for the 9-point Japanese UI font of Windows; a desktop's larger
// default font would not fit the twips geometry, so the window asks for the same size.
QFont WindowFont() {
  QFont font;
  font.setFamilies({Q("ＭＳ Ｐゴシック"), "IPAPGothic", "Noto Sans CJK JP",
                    QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
  font.setPointSize(form::kLogFontPoints);
  return font;
}

}  // namespace

QFont LogFont() {
  QFont font;
  font.setFamilies({Q(form::kLogFontFace), "IPAGothic", "Noto Sans Mono CJK JP",
                    QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
  font.setPointSize(form::kLogFontPoints);
  font.setStyleHint(QFont::Monospace);
  return font;
}

QString FolderBoxText(const QString& chosen) {
  QString text = QDir::toNativeSeparators(chosen);
  while (text.size() > 1 && text.endsWith(QDir::separator())) text.chop(1);
  return text;
}

MainWindow::MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec)
    : dialogs_(dialogs), fs_(fs), codec_(codec) {
  setObjectName("frmMain");
  setWindowTitle(Q(kWindowCaption));
  setFixedSize(form::ToPixels(form::kClientWidth), form::ToPixels(form::kClientHeight));
  setFont(WindowFont());
  BuildControls();
}

void MainWindow::BuildControls() {
  QWidget* previous = nullptr;
  for (const form::Control& control : form::kControls) {
    QWidget* widget = MakeControl(control, this);
    if (widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous) setTabOrder(previous, widget);
    previous = widget;
  }
  cmdStart_ = findChild<QPushButton*>("cmdStart");
  txtState_ = findChild<QPlainTextEdit*>("txtState");
  txtKatju_ = findChild<QLineEdit*>("txtKatju");
  txtLive_ = findChild<QLineEdit*>("txtLive");
  connect(cmdStart_, &QPushButton::clicked, this, &MainWindow::cmdStart_Click);
  // What the user types into the log during a run stays, as it would outside one.
  connect(txtState_, &QPlainTextEdit::textChanged, this, [this] {
    if (running_ && !showing_log_) TakeLogFromBox();
  });
  connect(findChild<QPushButton*>("cmdKatju"), &QPushButton::clicked, this,
          &MainWindow::cmdKatju_Click);
  connect(findChild<QPushButton*>("cmdLive"), &QPushButton::clicked, this,
          &MainWindow::cmdLive_Click);
  cmdStart_->setFocus();
}

void MainWindow::Form_Load() {
  ShowMessage(kStartupNotice);
  AddText(kInstructionLine);
}

void MainWindow::cmdKatju_Click() { ChooseFolderInto(txtKatju_); }

void MainWindow::cmdLive_Click() { ChooseFolderInto(txtLive_); }

void MainWindow::ChooseFolderInto(QLineEdit* box) {
  const QString chosen = dialogs_.ChooseFolder(this, Q(kPickerTitle));
  // Emptying the box on a cancel would lose what the user had typed or chosen before.
  if (chosen.isEmpty()) return;
  box->setText(FolderBoxText(chosen));
}

void MainWindow::cmdStart_Click() {
  TakeLogFromBox();
  since_events_.invalidate();
  running_ = true;
  RunConversion(*this, fs_, codec_);
  running_ = false;
  ShowLog();
}

std::string MainWindow::KatjuFolder() { return txtKatju_->text().toStdString(); }

void MainWindow::SetKatjuFolder(const std::string& text) {
  txtKatju_->setText(QString::fromStdString(text));
}

std::string MainWindow::LiveFolder() { return txtLive_->text().toStdString(); }

void MainWindow::SetLiveFolder(const std::string& text) {
  txtLive_->setText(QString::fromStdString(text));
}

int MainWindow::CheckValue(Choice choice) {
  return findChild<QCheckBox*>(form::CheckBoxName(choice))->isChecked() ? 1 : 0;
}

void MainWindow::DisableStart() { cmdStart_->setEnabled(false); }

void MainWindow::AddText(const std::string& line) {
  if (!running_) TakeLogFromBox();
  log_ += QString::fromStdString(line);
  log_ += QStringLiteral("\r\n");
  const std::size_t cut =
      LogCut(std::u16string_view(reinterpret_cast<const char16_t*>(log_.utf16()), log_.size()));
  if (cut > 0) log_.remove(0, static_cast<qsizetype>(cut));
  if (!running_) ShowLog();
}

void MainWindow::TakeLogFromBox() { log_ = ToCrLf(txtState_->toPlainText()); }

void MainWindow::ShowLog() {
  showing_log_ = true;
  txtState_->setPlainText(FromCrLf(log_));
  showing_log_ = false;
  // The caret follows the newest line, so that the box shows it.
  txtState_->moveCursor(QTextCursor::End);
  txtState_->ensureCursorVisible();
}

void MainWindow::ShowMessage(const std::string& text) {
  if (running_) ShowLog();
  dialogs_.ShowMessage(this, FromCrLf(QString::fromStdString(text)));
}

void MainWindow::ProcessEvents() {
  // Each time the events go through, the log is laid out anew: 25 times a second keeps the
  // window responsive and the progress visible without slowing a search of many small folders.
  if (since_events_.isValid() && since_events_.elapsed() < 40) return;
  ShowLog();
  QCoreApplication::processEvents();
  since_events_.start();
}

}  // namespace mirelda::qt
