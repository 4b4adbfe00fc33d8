// The Linux window driven through its real controls, with the dialogs replaced by recorders.
#include "app/qt/main_window.h"

#include <QtTest>
#include <QtWidgets>

#include "app/form_layout.h"
#include "app/texts.h"

using namespace mirelda;

namespace {

struct FakeDialogs : qt::Dialogs {
  QStringList messages, titles, picks;  // picks: the picker's answers, "" for a cancel
  std::function<void()> on_message = [] {};
  void ShowMessage(QWidget*, const QString& text) override {
    on_message();
    messages << text;
  }
  QString ChooseFolder(QWidget*, const QString& title) override {
    titles << title;
    return picks.takeFirst();
  }
};

// One window over the real file system, with Shift-JIS fixture folders katju/ and live/.
struct Rig {
  FakeDialogs dialogs;
  Cp932Codec codec;
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  qt::MainWindow w{dialogs, *fs, codec};
  QTemporaryDir dir;
  template <typename T = QWidget>
  T* Get(const char* name) {
    return w.findChild<T*>(name);
  }
  QByteArray Sjis(const std::string& utf8) { return QByteArray::fromStdString(codec.Encode(utf8)); }
  void Write(const QString& path, const std::string& utf8) {
    QDir(dir.path()).mkpath(QFileInfo(path).path());
    QFile file(dir.filePath(path));
    if (file.open(QIODevice::WriteOnly)) file.write(Sjis(utf8));
  }
  QByteArray Read(const QString& path) {
    QFile file(dir.filePath(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>";
  }
  void Point(bool katju_exe, bool live_exe) {
    if (katju_exe) Write("katju/Katjusha.exe", "MZ");
    if (live_exe) Write("live/live2ch.exe", "MZ");
    Get<QLineEdit>("txtKatju")->setText(dir.filePath("katju"));
    Get<QLineEdit>("txtLive")->setText(dir.filePath("live"));
  }
  void TickOnly(std::vector<Choice> ticked) {
    for (int c = 0; c < 6; ++c)
      Get<QCheckBox>(form::CheckBoxName(Choice(c)))
          ->setChecked(std::ranges::count(ticked, Choice(c)));
  }
  void Start() { Get<QPushButton>("cmdStart")->click(); }
  QStringList Log() { return Get<QPlainTextEdit>("txtState")->toPlainText().split('\n'); }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void controlsFollowTheLayout() {
    Rig rig;
    QCOMPARE(rig.w.windowTitle(), "mirelda Ver1.00");
    QCOMPARE(rig.w.minimumSize(), QSize(537, 160));
    QCOMPARE(rig.w.maximumSize(), QSize(537, 160));
    for (const form::Control& c : form::kControls) {
      QWidget* widget = rig.Get(form::UniqueName(c).c_str());
      QVERIFY2(widget, c.name);
      const auto& [left, top, width, height] = c.rect;
      QCOMPARE(widget->geometry(), QRect(left / 15, top / 15, width / 15, height / 15));
      const QString caption = QString::fromUtf8(c.caption);
      if (auto* b = qobject_cast<QAbstractButton*>(widget)) QCOMPARE(b->text(), caption);
      if (auto* l = qobject_cast<QLabel*>(widget)) QCOMPARE(l->text(), caption);
      if (auto* x = qobject_cast<QCheckBox*>(widget)) QCOMPARE(x->isChecked(), c.ticked);
      if (auto* e = qobject_cast<QLineEdit*>(widget)) QVERIFY(e->text().isEmpty());
    }
    // The shared table itself, against the window's description.
    QCOMPARE(rig.Get("txtState")->geometry(), QRect(272, 8, 257, 110));
    QCOMPARE(rig.Get<QLabel>("Label1_0")->text(), u"かちゅ\uFF5Eしゃのパス"_qs);
    auto* log = rig.Get<QPlainTextEdit>("txtState");
    QVERIFY(log->toPlainText().isEmpty() && !log->isReadOnly());
    QCOMPARE(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(log->font().families().mid(0, 3),
             QStringList({u"ＭＳ ゴシック"_qs, "IPAGothic", "Noto Sans Mono CJK JP"}));
    QCOMPARE(log->font().pointSize(), 9);
  }

  void tabOrderFocusAndAltS() {
    Rig rig;
    QStringList order;
    for (QWidget* w = rig.Get("cmdStart"); order.size() < 12; w = w->nextInFocusChain())
      if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
    QCOMPARE(order,
             QStringList({"cmdStart", "txtState", "cmdLive", "txtLive", "cmdKatju", "txtKatju",
                          "chkNameMail", "chkAllIdx", "chkFtd", "chkBrd", "chkFav", "chkMyboard"}));
    rig.w.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.w));
    QCOMPARE(QApplication::focusWidget(), rig.Get("cmdStart"));
    QTest::keyClick(&rig.w, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // the log box passes Tab on
    QCOMPARE(QApplication::focusWidget(), rig.Get("cmdLive"));
    QTest::keyClick(rig.w.windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(rig.dialogs.messages, QStringList({u"かちゅ～しゃが見つかりません"_qs}));
  }

  void noticeBeforeTheFirstLogLine() {
    Rig rig;
    QString log_at_notice = "<not shown>";
    rig.dialogs.on_message = [&] { log_at_notice = rig.Log().join('\n'); };
    rig.w.Form_Load();
    QCOMPARE(rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.dialogs.messages[0], QString::fromUtf8(kStartupNotice).replace("\r\n", "\n"));
    QCOMPARE(log_at_notice, QString());
    QCOMPARE(rig.Log(), QStringList({QString::fromUtf8(kInstructionLine), ""}));
  }

  void folderButtonsFillTheirBoxAndCancelKeepsIt() {
    Rig rig;
    const std::vector<std::tuple<const char*, QString, const char*, QString>> presses = {
        {"cmdKatju", "/tmp/k", "txtKatju", "/tmp/k"},  {"cmdKatju", "/", "txtKatju", "/"},
        {"cmdKatju", "/tmp/l/", "txtKatju", "/tmp/l"}, {"cmdKatju", "", "txtKatju", "/tmp/l"},
        {"cmdLive", "/srv", "txtLive", "/srv"},        {"cmdLive", "", "txtKatju", "/tmp/l"}};
    for (const auto& [button, pick, box, shown] : presses) {
      rig.dialogs.picks = {pick};
      rig.Get<QPushButton>(button)->click();
      QCOMPARE(rig.Get<QLineEdit>(box)->text(), shown);
    }
    QCOMPARE(rig.dialogs.titles, QStringList(6, u"ﾌｫﾙﾀﾞを選択してください"_qs));
  }

  void logIsAppendedAtTheEndAndBounded() {
    Rig rig;
    auto* log = rig.Get<QPlainTextEdit>("txtState");
    rig.w.AddText("first");
    log->selectAll();
    rig.w.AddText("a\r\nb");
    QCOMPARE(log->toPlainText(), "first\na\nb\n");
    const std::vector<std::tuple<std::vector<std::string>, QString>> bounds = {
        {{std::string(9998, 'a')}, QString(9998, 'a') + "\n"},  // 10,000 units: kept whole
        {{std::string(9998, 'a'), "b"}, QString(8995, 'a') + "\nb\n"},
        {{std::string(9999, 'a')}, QString(8998, 'a') + "\n"},  // 10,001 units
        {{std::string(1000, 'a') + "😀" + std::string(8997, 'a')}, QString(8997, 'a') + "\n"}};
    for (const auto& [lines, kept] : bounds) {
      log->clear();
      for (const std::string& line : lines) rig.w.AddText(line);
      QCOMPARE(log->toPlainText(), kept);
    }
  }

  void failingChecksKeepTheButtonAndAPassingOneDisablesIt() {
    Rig rig;
    rig.Point(false, false);
    rig.Start();
    QCOMPARE(rig.Get<QLineEdit>("txtKatju")->text(), rig.dir.filePath("katju") + "/");
    rig.Point(true, false);
    rig.Start();
    QVERIFY(rig.Get("cmdStart")->isEnabled());
    QCOMPARE(rig.Log(), QStringList({""}));
    rig.Point(true, true);
    rig.TickOnly({});
    rig.Start();
    QVERIFY(!rig.Get("cmdStart")->isEnabled());
    QCOMPARE(rig.dialogs.messages,
             QStringList({u"かちゅ～しゃが見つかりません"_qs, u"Live2chが見つかりません"_qs,
                          u"すべて変換終了"_qs}));
    QCOMPARE(rig.Log(), QStringList({u"各変換作業を開始します"_qs, u"すべて変換完了"_qs, ""}));
  }

  void conversionThroughTheWindow() {
    Rig rig;
    rig.Point(true, true);
    rig.Write("katju/favorite.idx", "host_x\\board\\123.idx\r\n");
    std::string index = "0\t112\t2\tかちゅ～しゃ\thost.x\tboard\t123";
    for (int field = 7; field < 18; ++field) index += "\tf" + std::to_string(field);
    rig.Write("katju/log/host_x/board/123.idx", index);
    rig.Write("katju/namelist.txt", "名無しさん\r\n");
    rig.TickOnly({Choice::kFav, Choice::kNameMail});
    rig.Start();
    QCOMPARE(rig.Log(), QStringList({u"各変換作業を開始します"_qs, u"お気に入りを変換します"_qs,
                                     u"1件ありました"_qs, u"お気に入り変換完了"_qs,
                                     u"すべて変換完了"_qs, ""}));
    QCOMPARE(rig.Read("live/log/host_x/board/123.idx"),
             rig.Sjis("10077\tかちゅ～しゃ\thttp://host.x/test/read.cgi/board/123/\t0\tf10\tf11\t"
                      "f14\tf15\t0\tf17\t1\t0\t\t\t\t"));
    QCOMPARE(rig.Read("live/favorite.ftd"), "http://host/x/test/read.cgi/board/123/\r\n");
    QCOMPARE(rig.Read("live/namelist.txt"), rig.Sjis("名無しさん\r\n"));
  }

  void aLongRunShowsTheBoundedEndOfItsLogBeforeTheClosingMessage() {
    Rig rig;
    rig.Point(true, true);
    for (int i = 0; i < 300; ++i)
      rig.Write(QString("katju/log/h/b/%1.idx").arg(i, 40, 10, QChar('0')), "bad");
    rig.TickOnly({Choice::kAllIdx});
    auto* log = rig.Get<QPlainTextEdit>("txtState");
    QString shown_at_message;
    rig.dialogs.on_message = [&] { shown_at_message = log->toPlainText(); };
    rig.Start();
    const QString text = log->toPlainText();
    QCOMPARE(shown_at_message, text);
    QVERIFY(text.endsWith(u"すべてのidxを変換完了\nすべて変換完了\n"_qs));
    QVERIFY(text.size() + text.count('\n') <= 10000);  // line ends count as CR LF
    QVERIFY(text.size() + text.count('\n') > 9000);
  }

  void eventsAreLetThroughOnlyByTheFileSearch() {
    for (const Choice ticked : {Choice::kFav, Choice::kFtd}) {
      Rig rig;
      rig.Point(true, true);
      rig.TickOnly({ticked});
      bool handled = false, handled_before_end = false;
      QMetaObject::invokeMethod(
          &rig.w, [&] { handled = true; }, Qt::QueuedConnection);
      rig.dialogs.on_message = [&] { handled_before_end = handled; };
      rig.Start();
      QCOMPARE(handled_before_end, ticked == Choice::kFtd);
      QCoreApplication::processEvents();
    }
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
