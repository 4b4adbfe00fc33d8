// The Linux window's own part, driven through its real widgets found by object name: the
// controls, fonts, keyboard, the chooser, the log box and closing during a run.
#include "app/qt/main_window.h"

#include <QtTest>
#include <QtWidgets>

using namespace mirelda;

namespace {

struct FakeDialogs : qt::Dialogs {
  QStringList messages, picks;  // picks: the chooser's answers, "" for a cancel
  std::function<void()> on_message = [] {};
  void ShowMessage(QWidget*, const QString& text) override {
    on_message();
    messages << text;
  }
  QString ChooseFolder(QWidget*, const QString&) override { return picks.takeFirst(); }
};

// One window over the real file system, and folders k/ and l/ that hold the two programs.
struct Rig {
  FakeDialogs dialogs;
  std::error_code error;
  std::unique_ptr<Cp932Codec> codec = Cp932Codec::Open(error);
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  qt::MainWindow w{dialogs, *fs, *codec};
  QTemporaryDir dir;
  template <typename T = QWidget>
  T* Get(const char* name) {
    return w.findChild<T*>(name);
  }
  void PointAtFolders() {
    for (const char* file : {"k/Katjusha.exe", "l/live2ch.exe"}) {
      QDir(dir.path()).mkpath(QFileInfo(file).path());
      QFile(dir.filePath(file)).open(QIODevice::WriteOnly);
    }
    Get<QLineEdit>("txtKatju")->setText(dir.filePath("k"));
    Get<QLineEdit>("txtLive")->setText(dir.filePath("l"));
  }
  QString Log() { return Get<QPlainTextEdit>("txtState")->toPlainText(); }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void controlsAreTheTwipsLayoutInPixels() {
    Rig rig;
    QCOMPARE(rig.w.windowTitle(), "mirelda Ver1.00");
    QCOMPARE(rig.w.maximumSize(), QSize(537, 160));
    QCOMPARE(rig.Get("txtState")->geometry(), QRect(272, 8, 257, 110));
    QCOMPARE(rig.Get<QLabel>("Label1_0")->text(), u"かちゅ\uFF5Eしゃのパス"_qs);
    QCOMPARE(rig.Get<QCheckBox>("chkMyboard")->geometry(), QRect(8, 120, 209, 17));
    QVERIFY(rig.Get<QCheckBox>("chkFav")->isChecked() &&
            !rig.Get<QCheckBox>("chkAllIdx")->isChecked());
  }

  void everyCaptionFitsItsBox() {
    Rig rig;
    for (auto* box : rig.w.findChildren<QCheckBox*>()) {
      QStyleOptionButton option;
      option.initFrom(box);
      const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
      QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) <= room.width(),
               qPrintable(box->text()));
    }
    for (auto* label : rig.w.findChildren<QLabel*>())
      QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
  }

  void startHasTheFocusTabLeavesTheLogAndAltSPressesStart() {
    Rig rig;
    rig.w.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.w));
    QCOMPARE(QApplication::focusWidget(), rig.Get("cmdStart"));
    QTest::keyClick(&rig.w, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // from the log box on
    QCOMPARE(QApplication::focusWidget(), rig.Get("cmdLive"));
    QTest::keyClick(rig.w.windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(rig.dialogs.messages, QStringList({u"かちゅ～しゃが見つかりません"_qs}));
  }

  void theChosenFolderGoesIntoTheBoxBesideTheButton() {
    Rig rig;
    rig.dialogs.picks = {"/srv/k", ""};
    rig.Get<QPushButton>("cmdKatju")->click();
    rig.Get<QPushButton>("cmdKatju")->click();  // cancelled
    QCOMPARE(rig.Get<QLineEdit>("txtKatju")->text(), "/srv/k");
  }

  void theLogBoxAppendsAtTheEndAndCountsLineEndsAsCrLf() {
    Rig rig;
    auto* log = rig.Get<QPlainTextEdit>("txtState");
    rig.w.AppendLogLine("first");
    log->selectAll();
    rig.w.AppendLogLine(std::string(9991, 'a'));  // 10,000 units with both CR LFs: kept whole
    QCOMPARE(rig.Log().size(), 9998);
    rig.w.AppendLogLine("b");
    QCOMPARE(rig.Log(), QString(8995, 'a') + "\nb\n");
  }

  void startRunsWithTheInputsLockedAndShowsTheLogBeforeTheClosingMessage() {
    Rig rig;
    rig.PointAtFolders();
    QString log_at_message;
    bool locked = false;
    rig.dialogs.on_message = [&] {
      log_at_message = rig.Log();
      locked = !rig.Get("txtKatju")->isEnabled() && !rig.Get("chkFav")->isEnabled();
    };
    rig.Get<QPushButton>("cmdStart")->click();
    QVERIFY(log_at_message.endsWith(u"\nすべて変換完了\n"_qs));
    QVERIFY(locked);
    QVERIFY(rig.Get("cmdKatju")->isEnabled() && !rig.Get("cmdStart")->isEnabled());
  }

  void aCloseDuringARunStopsItAndClosesTheWindowAfterIt() {
    Rig rig;
    rig.PointAtFolders();  // thread warehouses ticked: a file search
    rig.w.show();
    bool closed_at_once = true;
    QMetaObject::invokeMethod(
        &rig.w, [&] { closed_at_once = rig.w.close(); }, Qt::QueuedConnection);
    rig.Get<QPushButton>("cmdStart")->click();
    QVERIFY(!closed_at_once);
    QVERIFY(!rig.w.isVisible());
    QCOMPARE(rig.dialogs.messages, QStringList());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
