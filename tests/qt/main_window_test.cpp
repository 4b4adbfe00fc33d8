// The Linux window's own part, driven through its real widgets found by object name.
#include "app/qt/main_window.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// A window whose "..." buttons chose folders holding Katjusha's and Live2ch's programs (a run past
// its checks shows their wiring); as its dialogs, it notes messages, marked if inputs are locked.
struct Rig : mirelda::qt::Dialogs {
  QStringList messages, logs;  // logs: what the log box showed at each message
  QTemporaryDir katjusha, live2ch;
  QStringList picks = {katjusha.path(), live2ch.path()};
  std::error_code error;
  std::unique_ptr<mirelda::Cp932Codec> codec = mirelda::Cp932Codec::Open(error);
  std::unique_ptr<mirelda::FileSystem> fs = mirelda::MakeNativeFileSystem();
  mirelda::qt::MainWindow w{*this, *fs, *codec};
  Rig() {
    QFile(katjusha.filePath("Katjusha.exe")).open(QIODevice::WriteOnly);
    QFile(live2ch.filePath("live2ch.exe")).open(QIODevice::WriteOnly);
    for (const char* button : {"cmdKatju", "cmdLive"}) w.findChild<QPushButton*>(button)->click();
  }
  void ShowMessage(QWidget*, const QString& text) override {
    messages << text + (Get("txtKatju")->isEnabled() ? "" : " (locked)");
    logs << w.findChild<QPlainTextEdit*>("txtState")->toPlainText();
  }
  QString ChooseFolder(QWidget*, const QString&) override { return picks.takeFirst(); }
  QWidget* Get(const char* name) { return w.findChild<QWidget*>(name); }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void controlsAreTheTwipsLayoutWithTheirCaptionsInFullAndTheLogIsBoundInCrLfUnits() {
    Rig rig;
    QCOMPARE(rig.w.windowTitle(), "mirelda Ver1.00");
    QCOMPARE(rig.w.maximumSize(), QSize(537, 160));
    QCOMPARE(rig.Get("txtState")->geometry(), QRect(272, 8, 257, 110));
    QCOMPARE(rig.w.findChild<QLabel*>("Label1_0")->text(), u"かちゅ\uFF5Eしゃのパス"_qs);
    QVERIFY(rig.w.IsTicked("chkFav") && !rig.w.IsTicked("chkAllIdx"));
    for (auto* box : rig.w.findChildren<QCheckBox*>()) {
      QStyleOptionButton option;
      option.initFrom(box);
      const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
      QCOMPARE_LE(box->fontMetrics().horizontalAdvance(box->text()), room.width());
    }
    for (auto* label : rig.w.findChildren<QLabel*>())
      QCOMPARE_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    auto* log = rig.w.findChild<QPlainTextEdit*>("txtState");
    rig.w.AppendLogLine(std::string(9998, 'a'));  // 10,000 units with its CR LF: kept whole
    QCOMPARE(log->toPlainText().size(), 9999);
    rig.w.AppendLogLine("b");
    QCOMPARE(log->toPlainText(), QString(8995, 'a') + "\nb\n");
  }

  void startHasTheFocusTabLeavesTheLogAndAltSRunsShowingTheLogBeforeTheMessage() {
    Rig rig;
    rig.w.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.w));
    QCOMPARE(QApplication::focusWidget(), rig.Get("cmdStart"));
    for (int i = 0; i < 2; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), rig.Get("cmdLive"));  // past the log box
    QTest::keyClick(rig.w.windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(rig.messages, QStringList({u"すべて変換終了 (locked)"_qs}));
    QVERIFY(rig.logs[0].endsWith(u"\nすべて変換完了\n"_qs));
    QVERIFY(rig.Get("cmdKatju")->isEnabled() && !rig.Get("cmdStart")->isEnabled());
  }

  void aCloseDuringARunStopsItAndClosesTheWindowAfterIt() {
    Rig rig;  // the thread warehouses ticked: a file search, which lets the events through
    rig.w.show();
    bool closed_at_once = true;
    QTimer::singleShot(0, &rig.w, [&] { closed_at_once = rig.w.close(); });
    rig.w.findChild<QPushButton*>("cmdStart")->click();
    QVERIFY(!closed_at_once && !rig.w.isVisible());
    QCOMPARE(rig.messages, QStringList());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
