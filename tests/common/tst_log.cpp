#include "common/log.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLog : public QObject
{
    Q_OBJECT
private slots:
    void masking_data();
    void masking();
    void logFileRotates();
    void programMessagesReachTheFile();
};

void TestLog::masking_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("connection");
    QTest::addColumn<QString>("logged");
    QTest::newRow("ledger statement kept") << "insert into lcsj (xmlx) values ('生活')" << false
                                           << "insert into lcsj (xmlx) values ('生活')";
    QTest::newRow("password column") << "insert into yhsj (yhmc,yhmm) values ('张三','abc''d')" << false
                                     << "insert into yhsj (yhmc,yhmm) values ('***','***')";
    QTest::newRow("password in a condition") << "select * from yhsj where YHMM=\"x\"" << false
                                             << "select * from yhsj where YHMM='***'";
    QTest::newRow("database password") << "provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.dat;Jet OLEDB:Database Password=s3cret;"
                                       << true << "provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.dat;Jet OLEDB:Database Password=***;";
    QTest::newRow("quoted password with a semicolon") << "Data Source=a.dat;Jet OLEDB:Database Password=\"a;b\";" << true
                                                      << "Data Source=a.dat;Jet OLEDB:Database Password=***;";
    QTest::newRow("server password") << "Driver={sql server};server=s;uid=u;pwd=p;database=d" << true
                                     << "Driver={sql server};server=s;uid=u;pwd=***;database=d";
}

void TestLog::masking()
{
    QFETCH(QString, text);
    QFETCH(bool, connection);
    QFETCH(QString, logged);
    QCOMPARE(connection ? loggableConnectionString(text) : loggableStatement(text), logged);
}

void TestLog::logFileRotates()
{
    // The log stays small: past its limit it moves aside once, and the newest lines are kept.
    QTemporaryDir dir;
    const QString path = dir.filePath("kelm.log");
    const QString line(99, u'x');
    for (int i = 0; i < 50; ++i)
        QVERIFY(appendLogLine(path, line + QString::number(i % 10), 1000));
    QVERIFY(QFile::exists(path + ".1"));
    QVERIFY(!QFile::exists(path + ".2"));
    QVERIFY(QFileInfo(path).size() <= 1000 + 101);
    QVERIFY(QFileInfo(path + ".1").size() <= 1000 + 101);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().endsWith((line + "9\n").toUtf8()));
}

void TestLog::programMessagesReachTheFile()
{
    QTemporaryDir dir;
    startLogFile(dir.path());
    qCWarning(logData) << "statement failed";
    qCInfo(logShell) << "shown";
    QFile file(dir.filePath("kelm.log"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].endsWith(" warning kelm.data: statement failed"), qPrintable(lines[0]));
    QVERIFY2(lines[1].endsWith(" info kelm.shell: shown"), qPrintable(lines[1]));
    qInstallMessageHandler(nullptr);
}

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
