// The Linux window's own part, driven through its real widgets found by object name.
#include "app/qt/main_window.h"

#include <QtTest>
#include <QtWidgets>
#include <thread>

#include "util/forwarding_file_system.h"

// The native file system, each read made slow, as on a busy disk: a run then lasts long enough
// to show whether the window keeps turning.
class SlowFileSystem final : public mirelda::ForwardingFileSystem {
 public:
  explicit SlowFileSystem(mirelda::FileSystem& inner) : ForwardingFileSystem(inner) {}
  std::error_code ReadWholeUpTo(const std::string& path, std::int64_t most,
                                std::string& bytes) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ForwardingFileSystem::ReadWholeUpTo(path, most, bytes);
  }
};

#include "app/qt/settings_store.h"

class MainWindowTest : public QObject {
  Q_OBJECT
  // A shown window whose "..." buttons filled their boxes: a run only then passes its checks.
  struct Rig : mirelda::qt::Dialogs {
    QTemporaryDir katjusha, live2ch;
    QStringList messages, picks{katjusha.path(), live2ch.path()};
    std::unique_ptr<mirelda::Cp932Codec> codec = mirelda::Cp932Codec::Open();
    std::unique_ptr<mirelda::FileSystem> native = mirelda::MakeNativeFileSystem();
    SlowFileSystem fs{*native};
    mirelda::SettingsInMemory settings;
    mirelda::qt::MainWindow w{*this, fs, *codec, settings};
    QPlainTextEdit* log = w.findChild<QPlainTextEdit*>("txtState");
    Rig() {
      QFile(katjusha.filePath("Katjusha.exe")).open(QIODevice::WriteOnly);
      QFile(live2ch.filePath("live2ch.exe")).open(QIODevice::WriteOnly);
      for (const char* button : {"cmdKatju", "cmdLive"}) Button(button)->click();
      w.show();
    }
    void ShowMessage(QWidget*, const QString& text) override {  // after the log's last line
      messages << log->toPlainText().section('\n', -2) + text;
    }
    bool Confirm(QWidget*, const QString&) override { return false; }
    QString ChooseFolder(QWidget*, const QString&, const QString&) override {
      return picks.takeFirst();
    }
    QPushButton* Button(const char* name) { return w.findChild<QPushButton*>(name); }
  };

 private slots:
  void controlsLayoutReadOnlyLogTabOrderAndAnAltSRun() {
    Rig rig;
    QCOMPARE(rig.log->geometry(), QRect(272, 8, 257, 110));
    QCOMPARE(rig.w.minimumSize(), QSize(537, 160));
    rig.w.resize(637, 210);  // the log takes the room; the buttons stay at its bottom right
    QCOMPARE(rig.log->geometry(), QRect(272, 8, 357, 160));
    QCOMPARE(rig.Button("cmdStart")->geometry().bottomRight(), QPoint(628, 202));
    QCOMPARE(rig.w.findChild<QLineEdit*>("txtKatju")->geometry(), QRect(8, 24, 233, 18));
    QCOMPARE(rig.w.findChild<QLabel*>("Label1_0")->text(), u"かちゅ\uFF5Eしゃのパス"_qs);
    QVERIFY(rig.w.IsTicked(mirelda::KindIndex("fav")) &&
            !rig.w.IsTicked(mirelda::KindIndex("allidx")));
    const int tick = rig.w.style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                     rig.w.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    for (auto* c : rig.w.findChildren<QWidget*>(QRegularExpression("^(Label|chk|cmd)")))
      QCOMPARE_LE(c->fontMetrics().horizontalAdvance(c->property("text").toString()),
                  c->width() - (c->inherits("QCheckBox") ? tick : 0));
    rig.w.AppendLogLines({std::string(9998, 'a')});  // 10,000 units with its CR LF: kept whole
    QCOMPARE(rig.log->toPlainText().size(), 9999);
    rig.w.AppendLogLines({"b"});
    QCOMPARE(rig.log->toPlainText(), QString(8995, 'a') + "\nb\n");
    rig.w.AppendLogLines({std::string(8997, 'c')});  // cut between the CR and LF after "b"
    QCOMPARE(rig.log->toPlainText(), "\n" + QString(8997, 'c') + "\n");
    QVERIFY(QTest::qWaitForWindowActive(&rig.w));
    rig.log->setFocus();
    QTest::keyClicks(rig.log, "typed");
    QCOMPARE(rig.log->toPlainText(), "\n" + QString(8997, 'c') + "\n");
    // Out of the log to the buttons below it, past the undo button with nothing to undo, then
    // round to the top.
    for (const char* next : {"cmdPreview", "cmdStart", "txtKatju"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
    }
    QTest::keyClick(rig.w.windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(rig.messages, QStringList({u"すべて変換完了\nすべて変換終了"_qs}));
    QVERIFY(!rig.Button("cmdStart")->isEnabled());
  }

  // Many thousands of favourites, enough for a run of a second or more: the window takes its events
  // throughout, its start button stops the run, and a close waits for the run's end.
  void theEventLoopTurnsDuringARunAndACloseWaitsForItsEnd() {
    Rig rig;
    QFile list(rig.katjusha.filePath("favorite.idx"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    for (int i = 0; i < 400000; ++i)
      list.write(QByteArray("h\\b\\") + QByteArray::number(i) + ".idx\r\n");
    list.close();
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] {
      longest = std::max(longest, clock.elapsed() - last);
      last = clock.elapsed();
      ++ticks;
    });
    timer.start(10);
    clock.start();
    rig.Button("cmdStart")->click();
    QCOMPARE(rig.Button("cmdStart")->text(), u"中止(&S)"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.messages.isEmpty(), 60000);
    // A run on the window's thread would hold its events for seconds; the bound leaves room for
    // a busy machine, and bench/window-log measures the gaps themselves.
    QVERIFY2(longest < 500, qPrintable(QString::number(longest)));
    QVERIFY(ticks > 50);  // the run went on long enough to tell
    QCOMPARE(rig.Button("cmdStart")->text(), u"変換開始(&S)"_qs);

    Rig closing;
    QFile::copy(list.fileName(), closing.katjusha.filePath("favorite.idx"));
    closing.Button("cmdStart")->click();
    QVERIFY(!closing.w.close());          // refused while the run goes on
    QTRY_VERIFY(!closing.w.isVisible());  // closed after the run
    QVERIFY(closing.messages.isEmpty());
    QVERIFY(closing.log->toPlainText().endsWith(u"変換を中止しました\n"_qs));
  }

  // Dropped on a box or beside it (on its label), a folder or a program's path fills that box.
  void droppedFoldersAndProgramsFillTheBoxTheyAreDroppedOn() {
    Rig rig;
    QTemporaryDir other;
    QFile(other.filePath("live2ch.exe")).open(QIODevice::WriteOnly);
    const auto drop = [&](const QString& path, const char* on, const char* box) {
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(path)});
      const QPoint at = rig.w.findChild<QWidget*>(on)->geometry().center();
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&rig.w, &enter);
      QApplication::sendEvent(&rig.w, &drop);
      return rig.w.findChild<QLineEdit*>(box)->text();
    };
    QCOMPARE(drop(other.path(), "txtKatju", "txtKatju"), other.path());
    QCOMPARE(drop(other.filePath("live2ch.exe"), "Label1_1", "txtLive"), other.path() + "/");
    QCOMPARE(drop(rig.live2ch.path(), "txtState", "txtKatju"), other.path());  // on no box
    QCOMPARE(rig.w.findChild<QLineEdit*>("txtLive")->text(), other.path() + "/");
  }

  void theSettingsFileKeepsTheTextsAndABrokenOneIsIgnored() {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    mirelda::qt::QtSettingsStore().SetValue("katjusha", "/ほーむ/k");
    QCOMPARE(mirelda::qt::QtSettingsStore().Value("katjusha").value_or(""), "/ほーむ/k");
    QFile file(config.filePath("mirelda/mirelda.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General\nkatjusha=/x\n\xff");
    file.close();
    QVERIFY(!mirelda::qt::QtSettingsStore().Value("katjusha"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
