// frmMain: the Linux window, the Qt view of the window controller.
#include "app/qt/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCompleter>
#include <QDir>
#include <QDropEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>
#include <QStyle>
#include <QTextCursor>
#include <QTimer>
#include <cstdlib>

#include "app/window/log_bound.h"
#include "app/window/window_texts.h"
#include "util/places.h"

namespace mirelda::qt {
namespace {

constexpr char kSizeKey[] = "window_size";

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The log counts a line end as CR LF, two units, as the Windows box does; the Qt box keeps
// one "\n" between blocks, so texts are converted on the way out.
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

QWidget* MakeLogBox(QWidget* parent) {
  auto* log = new QPlainTextEdit(parent);
  log->setFont(LogFont());
  log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Only the run writes the log; the user can still select and copy it.
  log->setReadOnly(true);
  log->setUndoRedoEnabled(false);  // the run's edits are nothing to undo, and would pile up
  log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Tab moves on to the next control, as in every other box of the window.
  log->setTabChangesFocus(true);
  return log;
}

QWidget* MakeControl(const form::Control& control, QWidget* parent) {
  const QString caption = Q(control.caption);
  switch (control.kind) {
    case form::Kind::kButton:
      return new QPushButton(caption, parent);
    case form::Kind::kLabel:
      return new QLabel(caption, parent);
    case form::Kind::kCheckBox: {
      auto* box = new QCheckBox(caption, parent);
      box->setChecked(control.ticked);
      return box;
    }
    case form::Kind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setRange(0, 1);
      bar->setValue(0);
      return bar;
    }
    case form::Kind::kTextBox:
      if (control.name == "txtState") return MakeLogBox(parent);
      return new QLineEdit(parent);
  }
  return nullptr;
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

QSize SmallestSize() {
  return {form::ToPixels(form::kClientWidth), form::ToPixels(form::kClientHeight)};
}

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec, SettingsStore& settings)
    : dialogs_(dialogs),
      settings_(settings),
      controller_(*this, fs, codec, settings, UsualPlaces()) {
  setObjectName("frmMain");
  setWindowTitle(Q(kWindowCaption));
  setMinimumSize(SmallestSize());
  setFont(WindowFont());
  setAcceptDrops(true);
  BuildControls();
  ConnectControls();
  // The size it had when it was last closed, "640x200"; never below the smallest.
  const QStringList kept =
      QString::fromStdString(settings_.Value(kSizeKey).value_or("")).split('x');
  const QSize size = kept.size() == 2 ? QSize(kept[0].toInt(), kept[1].toInt()) : QSize();
  resize(size.expandedTo(SmallestSize()));
}

void MainWindow::BuildControls() {
  QWidget* previous = nullptr;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const form::Control& control = form::kControls[i];
    QWidget* widget = MakeControl(control, this);
    widget->setObjectName(QString::fromStdString(form::UniqueName(control)));
    controls_[i] = widget;
    if (widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous) setTabOrder(previous, widget);
    previous = widget;
  }
  txtState_ = findChild<QPlainTextEdit*>("txtState");
  prgRun_ = findChild<QProgressBar*>("prgRun");
}

void MainWindow::ConnectControls() {
  const auto on_click = [this](const char* name, auto action) {
    connect(findChild<QPushButton*>(name), &QPushButton::clicked, this, action);
  };
  on_click("cmdStart", [this] { controller_.Start(); });
  on_click("cmdPreview", [this] { controller_.Preview(); });
  on_click("cmdUndo", [this] { controller_.Undo(); });
  on_click("cmdKatju", [this] { controller_.ChooseFolder(FolderBox::kKatjusha); });
  on_click("cmdLive", [this] { controller_.ChooseFolder(FolderBox::kLive2ch); });
  connect(Box(FolderBox::kLive2ch), &QLineEdit::textEdited, this,
          [this] { controller_.FolderEdited(FolderBox::kLive2ch); });
  // A drop on a box is the window's, which takes the folder it names rather than a URL's text.
  for (const FolderBox box : {FolderBox::kKatjusha, FolderBox::kLive2ch}) {
    Box(box)->setAcceptDrops(false);
  }
  findChild<QPushButton*>("cmdStart")->setFocus();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  const QSize extra = size() - SmallestSize();
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const form::Control& control = form::kControls[i];
    const form::Twips pixels{form::ToPixels(control.rect.left), form::ToPixels(control.rect.top),
                             form::ToPixels(control.rect.width),
                             form::ToPixels(control.rect.height)};
    const form::Twips at = form::Placed(control, pixels, extra.width(), extra.height());
    controls_[i]->setGeometry(at.left, at.top, at.width, at.height);
  }
  QWidget::resizeEvent(event);
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
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (form::LockedDuringRun(form::kControls[i])) controls_[i]->setEnabled(enabled);
  }
}

void MainWindow::EnableButton(Button button, bool enabled) {
  const char* name = button == Button::kStart     ? "cmdStart"
                     : button == Button::kPreview ? "cmdPreview"
                                                  : "cmdUndo";
  findChild<QPushButton*>(name)->setEnabled(enabled);
}

void MainWindow::SetStartCaption(const std::string& caption) {
  findChild<QPushButton*>("cmdStart")->setText(Q(caption));
}

std::string MainWindow::ChooseFolder(const std::string& title, const std::string& start) {
  return dialogs_.ChooseFolder(this, QString::fromStdString(title), QString::fromStdString(start))
      .toStdString();
}

void MainWindow::AppendLogLines(const std::vector<std::string>& lines) {
  QString added;
  for (const std::string& line : lines) added.append(Q(line)).append(QStringLiteral("\r\n"));
  const qsizetype old_size = log_.size();
  log_ += added;
  const auto cut = static_cast<qsizetype>(
      LogCut(std::u16string_view(reinterpret_cast<const char16_t*>(log_.utf16()), log_.size())));
  // The box lays out again only the lines that an edit touches: removing the oldest lines and
  // adding the newest costs little, where setting the whole text lays out all of it.
  if (cut >= old_size) {
    txtState_->setPlainText(FromCrLf(log_.mid(cut)));
  } else {
    QTextCursor cursor(txtState_->document());
    cursor.beginEditBlock();
    if (cut > 0) {
      // A cut between CR and LF keeps the line end, which the box holds as one character.
      const QString removed = FromCrLf(log_.left(cut));
      cursor.setPosition(static_cast<int>(removed.size() - (removed.endsWith('\r') ? 1 : 0)),
                         QTextCursor::KeepAnchor);
      cursor.removeSelectedText();
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(FromCrLf(added));
    cursor.endEditBlock();
  }
  log_.remove(0, cut);
  // The caret follows the newest line, so that the box shows it.
  txtState_->moveCursor(QTextCursor::End);
  txtState_->ensureCursorVisible();
}

void MainWindow::ShowMessage(const std::string& text) {
  dialogs_.ShowMessage(this, FromCrLf(QString::fromStdString(text)));
}

bool MainWindow::Confirm(const std::string& text) {
  return dialogs_.Confirm(this, FromCrLf(QString::fromStdString(text)));
}

void MainWindow::ShowProgress(const std::string& title, const IndexProgress& progress) {
  setWindowTitle(Q(title));  // Linux desktops have no common taskbar progress to show it on
  if (progress.finished) {
    prgRun_->setRange(0, 1);
    prgRun_->setValue(0);
  } else if (!progress.total) {
    prgRun_->setRange(0, 0);  // busy, with no amount
  } else {
    // The bar counts in ints; per mille is as fine as it can show.
    const std::size_t total = *progress.total;
    prgRun_->setRange(0, 1000);
    prgRun_->setValue(total == 0 ? 1000 : static_cast<int>(progress.done * 1000 / total));
  }
}

void MainWindow::PostDelivery() {
  QMetaObject::invokeMethod(
      this, [this] { controller_.Deliver(); }, Qt::QueuedConnection);
}

void MainWindow::DeliverAfter(std::chrono::milliseconds delay) {
  QTimer::singleShot(delay, this, [this] { controller_.Deliver(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->setAccepted(controller_.RequestClose());
  if (event->isAccepted()) {
    settings_.SetValue(kSizeKey, std::to_string(width()) + "x" + std::to_string(height()));
  }
}

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
