// The Linux window's own part, driven through its real widgets found by object name.
#include "app/qt/main_window.h"

#include <QtTest>
#include <QtWidgets>

#include "app/qt/settings_store.h"

class MainWindowTest : public QObject {
  Q_OBJECT
  // A shown window whose "..." buttons filled their boxes: a run only then passes its checks.
  struct Rig : mirelda::qt::Dialogs {
    QTemporaryDir katjusha, live2ch;
    QStringList messages, picks{katjusha.path(), live2ch.path()};
    std::error_code error;
    std::unique_ptr<mirelda::Cp932Codec> codec = mirelda::Cp932Codec::Open(error);
    std::unique_ptr<mirelda::FileSystem> fs = mirelda::MakeNativeFileSystem();
    mirelda::SettingsInMemory settings;
    mirelda::qt::MainWindow w{*this, *fs, *codec, settings};
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
    QString ChooseFolder(QWidget*, const QString&, const QString&) override {
      return picks.takeFirst();
    }
    QPushButton* Button(const char* name) { return w.findChild<QPushButton*>(name); }
  };

 private slots:
  void controlsCaptionsLogBoundKeysAndACloseDuringARunThatIsRefused() {
    Rig rig;
    QCOMPARE(rig.log->geometry(), QRect(272, 8, 257, 110));
    QCOMPARE(rig.w.findChild<QLabel*>("Label1_0")->text(), u"かちゅ\uFF5Eしゃのパス"_qs);
    QVERIFY(rig.w.IsTicked(mirelda::KindIndex("fav")) &&
            !rig.w.IsTicked(mirelda::KindIndex("allidx")));
    QVERIFY(rig.w.findChild<QCheckBox*>("chkFav")->isChecked());
    const int tick = rig.w.style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                     rig.w.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    for (auto* c : rig.w.findChildren<QWidget*>(QRegularExpression("^(Label|chk)")))
      QCOMPARE_LE(c->fontMetrics().horizontalAdvance(c->property("text").toString()),
                  c->width() - (c->inherits("QCheckBox") ? tick : 0));
    rig.w.AppendLogLine(std::string(9998, 'a'));  // 10,000 units with its CR LF: kept whole
    QCOMPARE(rig.log->toPlainText().size(), 9999);
    rig.w.AppendLogLine("b");
    QCOMPARE(rig.log->toPlainText(), QString(8995, 'a') + "\nb\n");
    QVERIFY(QTest::qWaitForWindowActive(&rig.w));
    for (int i = 0; i < 2; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), rig.Button("cmdLive"));  // from start, past the log
    QTest::keyClick(rig.w.windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(rig.messages, QStringList({u"すべて変換完了\nすべて変換終了"_qs}));

    Rig closing;  // the thread warehouses ticked: a file search, which lets the events through
    QTimer::singleShot(0, &closing.w, [&] { QVERIFY(!closing.w.close()); });  // refused
    closing.Button("cmdStart")->click();
    QVERIFY(!closing.w.isVisible());  // closed after the run
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
