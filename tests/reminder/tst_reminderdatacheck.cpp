#include "reminder/reminderdatacheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

class FakePlatform : public ReminderPlatform
{
public:
    QString version = QStringLiteral("7");
    QString windows;
    QStringList alwaysOpen; // names that open even when no file is seen (a copy kept elsewhere)

    QString windowsVersionCode() const override { return version; }
    QString windowsDirectory() const override { return windows; }
    bool opensAsReminderDatabase(const QString &path) const override
    {
        return QFileInfo(path).isFile() || alwaysOpen.contains(QFileInfo(path).fileName());
    }
};

const QStringList mainFiles{"qvtm.qm", "qvtm.EDT", "mtqv.edb", "mtqv.EDT"};
const QStringList backupFiles{"qvtm1.qm", "qvtm1.EDT", "mtqv1.edb", "mtqv1.EDT"};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file of the folder with its bytes.
QMap<QString, QByteArray> folderContents(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        contents.insert(name, readFile(dir.filePath(name)));
    return contents;
}

} // namespace

class TestReminderDataCheck : public QObject
{
    Q_OBJECT
private slots:
    void versionCodes_data();
    void versionCodes();
    void thisSystemTouchesNothing();
    void filesStayWhereTheCheckStops_data();
    void filesStayWhereTheCheckStops();
    void noFilesLeavesTheFolderUnchanged();
    void databasesComeBackFromTheirCopies();
    void aDatabaseThatStillOpensIsNotReplaced();
    void aFailedCopyKeepsTheMainFile();
};

void TestReminderDataCheck::versionCodes_data()
{
    QTest::addColumn<bool>("queried");
    QTest::addColumn<int>("platform");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("code");
    QTest::newRow("98") << true << 1 << 4 << 10 << "9";
    QTest::newRow("XP") << true << 2 << 5 << 1 << "X";
    QTest::newRow("2000") << true << 2 << 5 << 0 << "X";
    QTest::newRow("Vista") << true << 2 << 6 << 0 << "V";
    QTest::newRow("7") << true << 2 << 6 << 1 << "7";
    QTest::newRow("8") << true << 2 << 6 << 2 << "8";
    QTest::newRow("8.1 as reported") << true << 2 << 6 << 3 << "N";
    QTest::newRow("NT 4") << true << 2 << 4 << 0 << "N";
    QTest::newRow("10") << true << 2 << 10 << 0 << "N";
    QTest::newRow("Win32s") << true << 0 << 3 << 1 << "N";
    QTest::newRow("9x major 5") << true << 1 << 5 << 0 << "N";
    QTest::newRow("query failed") << false << 2 << 5 << 1 << "N";
}

void TestReminderDataCheck::versionCodes()
{
    QFETCH(bool, queried);
    QFETCH(int, platform);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, code);
    QCOMPARE(windowsVersionCode(queried, platform, major, minor), code);
}

void TestReminderDataCheck::thisSystemTouchesNothing()
{
    QTemporaryDir dir;
    for (const QString &name : mainFiles)
        writeFile(dir.filePath(name), name.toLatin1());
    const auto before = folderContents(dir.path());
    reminderDataCheck(SystemReminderPlatform(), dir.path());
    QCOMPARE(folderContents(dir.path()), before);
}

void TestReminderDataCheck::filesStayWhereTheCheckStops_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("sameDrive");
    QTest::newRow("NT 5 family") << "X" << true;
    QTest::newRow("another drive") << "7" << false;
}

void TestReminderDataCheck::filesStayWhereTheCheckStops()
{
    QFETCH(QString, version);
    QFETCH(bool, sameDrive);
    QTemporaryDir dir;
    for (const QString &name : mainFiles)
        writeFile(dir.filePath(name), name.toLatin1());
    writeFile(dir.filePath("qvtm1.qm"), "old backup");
    FakePlatform platform;
    platform.version = version;
    platform.windows = sameDrive ? dir.path() : QStringLiteral("D:/WINDOWS");
    const auto before = folderContents(dir.path());
    reminderDataCheck(platform, dir.path());
    QCOMPARE(folderContents(dir.path()), before);
}

void TestReminderDataCheck::noFilesLeavesTheFolderUnchanged()
{
    QTemporaryDir dir;
    FakePlatform platform;
    platform.windows = dir.path();
    reminderDataCheck(platform, dir.path());
    QVERIFY(folderContents(dir.path()).isEmpty());
}

void TestReminderDataCheck::databasesComeBackFromTheirCopies()
{
    QTemporaryDir dir;
    for (const QString &name : mainFiles)
        writeFile(dir.filePath(name), "now " + name.toLatin1());
    writeFile(dir.filePath("mtqv1.edb"), "an older backup");
    FakePlatform platform;
    platform.windows = dir.path();
    reminderDataCheck(platform, dir.path());
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(readFile(dir.filePath(mainFiles[i])), "now " + mainFiles[i].toLatin1());
        QCOMPARE(readFile(dir.filePath(backupFiles[i])), "now " + mainFiles[i].toLatin1());
    }
    QCOMPARE(folderContents(dir.path()).size(), 8);
}

void TestReminderDataCheck::aDatabaseThatStillOpensIsNotReplaced()
{
    QTemporaryDir dir;
    for (const QString &name : mainFiles)
        writeFile(dir.filePath(name), name.toLatin1());
    FakePlatform platform;
    platform.windows = dir.path();
    platform.alwaysOpen = {QStringLiteral("qvtm.qm")};
    reminderDataCheck(platform, dir.path());
    QVERIFY(!QFile::exists(dir.filePath("qvtm.qm")));
    QVERIFY(!QFile::exists(dir.filePath("qvtm.EDT")));
    QCOMPARE(readFile(dir.filePath("qvtm1.qm")), "qvtm.qm");
    QCOMPARE(readFile(dir.filePath("mtqv.edb")), "mtqv.edb");
    QCOMPARE(readFile(dir.filePath("mtqv.EDT")), "mtqv.EDT");
}

void TestReminderDataCheck::aFailedCopyKeepsTheMainFile()
{
    QTemporaryDir dir;
    for (const QString &name : mainFiles)
        writeFile(dir.filePath(name), name.toLatin1());
    // A folder where the backup should go: it can be neither deleted nor overwritten.
    QVERIFY(QDir(dir.path()).mkpath("qvtm1.qm/inside"));
    FakePlatform platform;
    platform.windows = dir.path();
    reminderDataCheck(platform, dir.path());
    QCOMPARE(readFile(dir.filePath("qvtm.qm")), "qvtm.qm");
    QCOMPARE(readFile(dir.filePath("qvtm.EDT")), "qvtm.EDT");
    QCOMPARE(readFile(dir.filePath("qvtm1.EDT")), "qvtm.EDT");
    QCOMPARE(readFile(dir.filePath("mtqv.edb")), "mtqv.edb");
}

QTEST_GUILESS_MAIN(TestReminderDataCheck)
#include "tst_reminderdatacheck.moc"
