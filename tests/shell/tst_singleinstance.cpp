// Starts the built program twice from a program folder of its own: the second copy hands over and
// ends with code 0, and the first one shows its main window.
#include "common/settings.h"
#include "common/program.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondStartHandsOver_data();
    void secondStartHandsOver();
};

void TestSingleInstance::secondStartHandsOver_data()
{
    QTest::addColumn<bool>("staleHandle");
    QTest::addColumn<QStringList>("arguments"); // of the second start
    QTest::newRow("handle of the first copy") << false << QStringList{};
    // A handle from an earlier run, as a second start right after the first can read it.
    QTest::newRow("stale handle") << true << QStringList{};
    // A file manager or a launcher may add arguments; the second copy still only hands over.
    QTest::newRow("second start with arguments") << false << QStringList{"账本.dat", "--verbose"};
}

void TestSingleInstance::secondStartHandsOver()
{
    QFETCH(bool, staleHandle);
    QFETCH(QStringList, arguments);
    QTemporaryDir folder, home;
    QVERIFY(QDir(folder.path()).mkpath("data"));
    QVERIFY(QDir(folder.path()).mkpath("Skin"));
    QVERIFY(QFile::copy(KELM_BIN_DIR "/kelm", folder.filePath("kelm")));
    QVERIFY(QFile::setPermissions(folder.filePath("kelm"), QFile::permissions(KELM_BIN_DIR "/kelm")));
    QVERIFY(QFile::copy(KELM_BIN_DIR "/Skin/Green.cskn", folder.filePath("Skin/Green.cskn")));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", home.path());
    environment.insert("KELM_TEST_INSTANCE", QStringLiteral("kelm-test-%1").arg(QCoreApplication::applicationPid()));

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(folder.filePath("kelm"));
    QVERIFY(first.waitForStarted());
    setProgramDirectory(folder.path());
    // The first copy has claimed the name once it wrote its window handle. Its last settings
    // write of the start-up is the background choice; waiting for it keeps the two copies from
    // rewriting the settings file at the same moment.
    QTRY_VERIFY_WITH_TIMEOUT(!readSetting("cx", "hwnd").isEmpty() && !readSetting("pf", "bjtp").isEmpty(), 20000);
    if (staleHandle)
        writeSetting("cx", "hwnd", "4242");
    const QString firstHandle = readSetting("cx", "hwnd");

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(folder.filePath("kelm"), arguments);
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(readSetting("cx", "yyx"), QStringLiteral("1"));
    // The second copy wrote no handle of its own.
    QCOMPARE(readSetting("cx", "hwnd"), firstHandle);

    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += first.readAllStandardOutput()).contains("main window shown"), 20000);
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
    // A killed copy leaves its socket; the next start clears such a one, the test clears its own.
    QLocalServer::removeServer(environment.value("KELM_TEST_INSTANCE"));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
