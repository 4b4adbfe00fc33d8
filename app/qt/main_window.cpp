// frmMain: the Linux window, the Qt view of the window controller.
#include "app/qt/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QStyle>
#include <QTextCursor>
#include <cstdlib>

#include "app/window/form_layout.h"
#include "app/window/log_bound.h"
#include "app/window/window_texts.h"
#include "util/places.h"

namespace mirelda::qt {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The log counts a line end as CR LF, two units, as the Windows box does; the Qt box keeps
// one "\n" between blocks, so texts are converted on the way in and out.
QString ToCrLf(QString text) { return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n")); }
QString FromCrLf(QString text) {
  return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The log font: the Windows face first, then the Japanese monospace faces of Linux desktops,
// then the system's monospace font.
QFont LogFont() {
  QFont font;
  font.setFamilies({Q(form::kLogFontFace), "IPAGothic", "Noto Sans Mono CJK JP",
                    QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
  font.setPixelSize(form::kLogFontPoints * 96 / 72);  // 9 points at 96 dots per inch: 12 pixels
  font.setStyleHint(QFont::Monospace);
  return font;
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
      if (control.name == "txtState") {
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

// The captions were laid out for a proportional Japanese Gothic font; IPAPGothic has its
// metrics. The size is in pixels, as the layout is, so that no desktop font setting or logical
// DPI widens a caption beyond its box. 11 pixels is the size of Windows' default GUI font (8
// points), which the Win32 window uses: the widest caption, "other.brd（myboard.brdに変換します）",
// then fits beside its tick box, where at 12 pixels it is cut.
QFont WindowFont() {
  QFont font;
  font.setFamilies({"IPAPGothic", "Noto Sans CJK JP",
                    QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
  font.setPixelSize(11);
  return font;
}

// The local path of the first dropped item; "" when it is none.
QString DroppedPath(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
  return data->urls().first().toLocalFile();
}

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec, SettingsStore& settings)
    : dialogs_(dialogs), controller_(*this, fs, codec, settings, UsualPlaces()) {
  setObjectName("frmMain");
  setWindowTitle(Q(kWindowCaption));
  setFixedSize(form::ToPixels(form::kClientWidth), form::ToPixels(form::kClientHeight));
  setFont(WindowFont());
  setAcceptDrops(true);
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
  txtState_ = findChild<QPlainTextEdit*>("txtState");
  connect(txtState_, &QPlainTextEdit::textChanged, this, [this] {
    if (!showing_log_) log_ = ToCrLf(txtState_->toPlainText());
  });
  auto* start = findChild<QPushButton*>("cmdStart");
  connect(start, &QPushButton::clicked, this, [this] {
    controller_.Start();
    ShowLog();  // the whole log as the run left it, whichever way it ended
  });
  // A drop on a box is the window's, which takes the folder it names rather than a URL's text.
  for (const FolderBox box : {FolderBox::kKatjusha, FolderBox::kLive2ch}) {
    Box(box)->setAcceptDrops(false);
  }
  connect(findChild<QPushButton*>("cmdKatju"), &QPushButton::clicked, this,
          [this] { controller_.ChooseFolder(FolderBox::kKatjusha); });
  connect(findChild<QPushButton*>("cmdLive"), &QPushButton::clicked, this,
          [this] { controller_.ChooseFolder(FolderBox::kLive2ch); });
  start->setFocus();
}

QLineEdit* MainWindow::Box(FolderBox box) const {
  return findChild<QLineEdit*>(box == FolderBox::kKatjusha ? "txtKatju" : "txtLive");
}

std::string MainWindow::FolderText(FolderBox box) { return Box(box)->text().toStdString(); }

void MainWindow::SetFolderText(FolderBox box, const std::string& text) {
  Box(box)->setText(QString::fromStdString(text));
}

bool MainWindow::IsTicked(std::size_t kind) {
  return findChild<QCheckBox*>(Q(form::CheckBoxOf(kind).name))->isChecked();
}

void MainWindow::SetTicked(std::size_t kind, bool ticked) {
  findChild<QCheckBox*>(Q(form::CheckBoxOf(kind).name))->setChecked(ticked);
}

void MainWindow::OfferFolders(FolderBox box, const std::vector<std::string>& folders) {
  QStringList list;
  for (const std::string& folder : folders) list << QString::fromStdString(folder);
  QLineEdit* edit = Box(box);
  auto* completer = new QCompleter(new QStringListModel(list, edit), edit);
  // Every folder, whatever is typed: a list to choose from rather than a completion.
  completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  edit->setCompleter(completer);
  QAction* open =
      edit->addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
  open->setObjectName("offered");
  connect(open, &QAction::triggered, completer, [completer] { completer->complete(); });
}

void MainWindow::EnableInputs(bool enabled) {
  for (const form::Control& control : form::kControls) {
    if (form::LockedDuringRun(control)) findChild<QWidget*>(Q(control.name))->setEnabled(enabled);
  }
}

void MainWindow::EnableStart(bool enabled) {
  findChild<QPushButton*>("cmdStart")->setEnabled(enabled);
}

std::string MainWindow::ChooseFolder(const std::string& title, const std::string& start) {
  return dialogs_.ChooseFolder(this, QString::fromStdString(title), QString::fromStdString(start))
      .toStdString();
}

void MainWindow::AppendLogLine(const std::string& line) {
  log_ += QString::fromStdString(line);
  log_ += QStringLiteral("\r\n");
  const std::size_t cut =
      LogCut(std::u16string_view(reinterpret_cast<const char16_t*>(log_.utf16()), log_.size()));
  if (cut > 0) log_.remove(0, static_cast<qsizetype>(cut));
  if (!controller_.running()) ShowLog();
}

void MainWindow::ShowLog() {
  showing_log_ = true;
  txtState_->setPlainText(FromCrLf(log_));
  showing_log_ = false;
  // The caret follows the newest line, so that the box shows it.
  txtState_->moveCursor(QTextCursor::End);
  txtState_->ensureCursorVisible();
}

void MainWindow::ShowMessage(const std::string& text) {
  if (controller_.running()) ShowLog();
  dialogs_.ShowMessage(this, FromCrLf(QString::fromStdString(text)));
}

void MainWindow::ShowProgress(const std::string& title, const IndexProgress&) {
  setWindowTitle(Q(title));  // Linux desktops have no common taskbar progress to show it on
}

void MainWindow::LetEventsThrough() {
  // Each time the events go through, the log is laid out anew: 25 times a second keeps the
  // window responsive and the progress visible without slowing a search of many small folders.
  if (since_events_.isValid() && since_events_.elapsed() < 40) return;
  ShowLog();
  QCoreApplication::processEvents();
  since_events_.start();
}

void MainWindow::closeEvent(QCloseEvent* event) { event->setAccepted(controller_.RequestClose()); }

// A folder or file dropped on a box, or on the window beside one, goes into that box.
std::optional<FolderBox> MainWindow::BoxAt(QPoint point) const {
  if (point.x() >= txtState_->geometry().left()) return std::nullopt;
  const auto distance = [&](FolderBox box) {
    return std::abs(Box(box)->geometry().center().y() - point.y());
  };
  return distance(FolderBox::kKatjusha) <= distance(FolderBox::kLive2ch) ? FolderBox::kKatjusha
                                                                         : FolderBox::kLive2ch;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedPath(event->mimeData()).isEmpty() && Box(FolderBox::kKatjusha)->isEnabled()) {
    event->acceptProposedAction();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = DroppedPath(event->mimeData());
  const std::optional<FolderBox> box = BoxAt(event->position().toPoint());
  if (path.isEmpty() || !box || !Box(*box)->isEnabled()) return;
  controller_.Drop(*box, QDir::toNativeSeparators(path).toStdString());
  event->acceptProposedAction();
}

}  // namespace mirelda::qt
