#include "common/gbk.h"
#include "common/program.h"
#include "common/settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void missingFileReadsEmpty();
    void firstWriteCreatesFile();
    void writesReplaceInPlaceAndAppend();
    void readsWindowsFile_data();
    void readsWindowsFile();
    void garbageLinesAreKept();
    void longValueIsCut();
    void badBytesDoNotStopReading();
    void failedWritesAreSilent();
    void lineBreaksCannotPlantKeys();
    void registry();

private:
    void writeRaw(const QByteArray &bytes);
    QByteArray readRaw();
    QTemporaryDir home;
    std::unique_ptr<QTemporaryDir> folder;
};

void TestSettings::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
}

void TestSettings::init()
{
    folder = std::make_unique<QTemporaryDir>();
    setProgramDirectory(folder->path());
}

void TestSettings::cleanup()
{
    folder.reset();
}

void TestSettings::writeRaw(const QByteArray &bytes)
{
    QFile f(settingsFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray TestSettings::readRaw()
{
    QFile f(settingsFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestSettings::missingFileReadsEmpty()
{
    QCOMPARE(settingsFilePath(), folder->path() + "/config.ini");
    QCOMPARE(readSetting("pf", "bjtp"), QString());
    QVERIFY(!QFile::exists(settingsFilePath()));
}

void TestSettings::firstWriteCreatesFile()
{
    writeSetting("pf", "bjtp", "1");
    writeSetting("cx", "hwnd", "12345");
    QCOMPARE(readRaw(), QByteArray("[pf]\r\nbjtp=1\r\n[cx]\r\nhwnd=12345\r\n"));
    QCOMPARE(readSetting("pf", "bjtp"), QStringLiteral("1"));
    QCOMPARE(readSetting("cx", "hwnd"), QStringLiteral("12345"));
    QCOMPARE(readSetting("cx", "bjtp"), QString());
}

void TestSettings::writesReplaceInPlaceAndAppend()
{
    writeRaw("; kept\r\n[pf]\r\npftmd=30\r\nbjtp=1\r\n\r\n[cx]\r\nhwnd=1\r\n");
    writeSetting("PF", "BJTP", "-2");
    writeSetting("pf", "yhtp2", "/home/li/图片/海边.jpg");
    writeSetting("tsbq", "tjje", "1");
    QCOMPARE(fromGbk(readRaw()),
             QStringLiteral("; kept\r\n[pf]\r\npftmd=30\r\nBJTP=-2\r\nyhtp2=/home/li/图片/海边.jpg\r\n\r\n[cx]\r\nhwnd=1\r\n"
                            "[tsbq]\r\ntjje=1\r\n"));
    QCOMPARE(readSetting("pf", "bjtp"), QStringLiteral("-2"));
    QCOMPARE(readSetting("pf", "yhtp2"), QStringLiteral("/home/li/图片/海边.jpg"));
    // The value is stored in GB18030, the superset of the GBK the Windows program wrote.
    QVERIFY(readRaw().contains(toGbk(QStringLiteral("海边"))));
    writeSetting("pf", "yhtp2", "");
    QCOMPARE(readSetting("pf", "yhtp2"), QString());
}

void TestSettings::readsWindowsFile_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("as written") << "pf" << "pftmd" << "40";
    QTest::newRow("any letter case") << "Pf" << "PFTMD" << "40";
    QTest::newRow("blanks around key and value") << "pf" << "bjtp" << "-1";
    QTest::newRow("chinese path") << "pf" << "yhtp1" << "D:\\我的图片\\家.jpg";
    QTest::newRow("quoted value") << "pf" << "cstp" << "2";
    QTest::newRow("first section wins") << "cx" << "hwnd" << "66";
    QTest::newRow("first key wins") << "tsbq" << "tjje" << "1";
    QTest::newRow("missing key") << "pf" << "nothing" << "";
    QTest::newRow("missing section") << "zz" << "pftmd" << "";
}

void TestSettings::readsWindowsFile()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    writeRaw("[pf]\r\npftmd=40\r\n  bjtp  =  -1  \r\nyhtp1=" + toGbk(QStringLiteral("D:\\我的图片\\家.jpg"))
             + "\r\ncstp=\"2\"\r\n[CX]\r\nhwnd=66\r\n[tsbq]\r\ntjje=1\r\nTJJE=2\r\n[cx]\r\nhwnd=77\r\n");
    QCOMPARE(readSetting(section, key), value);
}

void TestSettings::garbageLinesAreKept()
{
    const QByteArray garbage = "orphan=1\r\n%%%%\r\n[pf\r\nbjtp=5\r\n=novalue\r\n[pf]\r\nnonsense line\r\nbjtp=3\r\n";
    writeRaw(garbage);
    // A header without its closing bracket opens nothing; the keys under it belong to no section.
    QCOMPARE(readSetting("pf", "bjtp"), QStringLiteral("3"));
    QCOMPARE(readSetting("", "orphan"), QString());
    writeSetting("cx", "yyx", "1");
    QCOMPARE(readRaw(), garbage + "[cx]\r\nyyx=1\r\n");
}

void TestSettings::longValueIsCut()
{
    const QString ascii(20000, u'7');
    writeSetting("pf", "yhtp1", ascii);
    QCOMPARE(readSetting("pf", "yhtp1"), ascii.left(10239));
    // A cut never splits a Chinese character in two.
    const QString chinese = QString(u'a') + QString(12000, u'家');
    writeSetting("pf", "yhtp1", chinese);
    const QString read = readSetting("pf", "yhtp1");
    QCOMPARE(read, chinese.left(1 + 10238 / 2));
    QVERIFY(toGbk(read).size() <= 10239);
}

void TestSettings::badBytesDoNotStopReading()
{
    writeRaw("[pf]\r\nyhtp1=a\x80\xff" "b\r\nbjtp=2\r\n");
    QCOMPARE(readSetting("pf", "yhtp1"), QString::fromUtf16(u"a\uFFFD\uFFFDb"));
    QCOMPARE(readSetting("pf", "bjtp"), QStringLiteral("2"));
}

void TestSettings::failedWritesAreSilent()
{
    setProgramDirectory(folder->filePath("no-such-folder"));
    writeSetting("pf", "bjtp", "1");
    QCOMPARE(readSetting("pf", "bjtp"), QString());

    setProgramDirectory(folder->path());
    writeRaw("[pf]\r\nbjtp=4\r\n");
    QFile::setPermissions(settingsFilePath(), QFile::ReadOwner);
    writeSetting("pf", "bjtp", "9");
    QFile::setPermissions(settingsFilePath(), QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(readSetting("pf", "bjtp"), QStringLiteral("4"));
}

void TestSettings::lineBreaksCannotPlantKeys()
{
    writeSetting("pf", "yhtp1", "x\r\nbjtp=-9");
    writeSetting("pf\n[cx]", "hwnd", "1");
    QCOMPARE(readSetting("pf", "bjtp"), QString());
    QVERIFY(!QFile::exists(settingsFilePath()));
}

void TestSettings::registry()
{
    const QString version = QStringLiteral("Software\\tavrix\\kelm\\Version");
    QCOMPARE(readRegistryText(RegistryRoot::CurrentUser, version), QString());
    QVERIFY(writeRegistryText(RegistryRoot::CurrentUser, QStringLiteral("Software\\tavrix\\kelm\\Path"), "/opt/家庭理财/"));
    QVERIFY(writeRegistryText(RegistryRoot::CurrentUser, version, "3.21"));
    QCOMPARE(readRegistryText(RegistryRoot::CurrentUser, version), QStringLiteral("3.21"));
    QCOMPARE(readRegistryText(RegistryRoot::CurrentUser, QStringLiteral("Software\\tavrix\\kelm\\Path")),
             QStringLiteral("/opt/家庭理财/"));
    // The store lives in the user's configuration folder.
    QVERIFY(QFile::exists(home.filePath("tavrix/kelm.conf")));
    QVERIFY(!writeRegistryText(RegistryRoot::LocalMachine, version, "x"));
    QVERIFY(!writeRegistryText(RegistryRoot::CurrentUser, QStringLiteral("Version"), "x"));
    QCOMPARE(readRegistryText(RegistryRoot::CurrentUser, QStringLiteral("Software\\tavrix\\kelm\\name")), QString());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
