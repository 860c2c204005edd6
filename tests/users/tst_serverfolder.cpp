// The household's move between the data folder and a database server, and the server setting
// in the settings file. The copies need the throw-away server of test.sh (KELM_TEST_SERVER).
#include "common/clock.h"
#include "common/files.h"
#include "common/program.h"
#include "common/settings.h"
#include "dataaccess/instances.h"
#include "dataaccess/pg/serversettings.h"
#include "support/scriptedprompter.h"
#include "users/administration.h"
#include "users/serverfolder.h"
#include "users/userdirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestServerFolder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void connectionTextsKeepEveryField_data();
    void connectionTextsKeepEveryField();
    void settingsAreReadableByTheOwnerOnly();
    void copiesGoBothWaysAndAreChecked();

private:
    qint64 countRecords(const QString &user, const QString &password);
    QTemporaryDir *dir = nullptr;
    ScriptedPrompter prompter;
};

void TestServerFolder::init()
{
    dir = new QTemporaryDir;
    QDir(dir->path()).mkdir("data");
    setProgramDirectory(dir->path());
    setDatabaseServer(std::nullopt);
    Clock::setFixed(QDateTime(QDate(2012, 12, 15), QTime(20, 30, 5)));
    prompter = ScriptedPrompter();
    // With no server chosen nothing tries to reach one (a server on this computer's default socket
    // would otherwise be asked about the data folder).
    QTest::failOnWarning(QRegularExpression("cannot reach the database server"));
}

void TestServerFolder::cleanup()
{
    closeDataAccess();
    setDatabaseServer(std::nullopt);
    Clock::useSystemTime();
    delete dir;
}

qint64 TestServerFolder::countRecords(const QString &user, const QString &password)
{
    Session session;
    if (logIn(userConnection, userRecordset, session, user, password, prompter) != LoginOutcome::LoggedIn || !userRecordset.Open("select count(*) from lcsj"))
        return -1;
    return userRecordset.GetText(0).toLongLong();
}

void TestServerFolder::connectionTextsKeepEveryField_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << "nas.local" << 5432 << "secret";
    QTest::newRow("no port, no password") << "192.168.1.20" << 0 << "";
    QTest::newRow("quotes, backslashes and spaces") << "/run/postgresql" << 0 << "a 'b' \\c = d";
    QTest::newRow("Chinese") << "家里的服务器" << 6543 << "密码 1";
}

void TestServerFolder::connectionTextsKeepEveryField()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, password);
    ServerFields fields;
    fields.host = host;
    fields.port = port;
    fields.database = "kelm";
    fields.user = "张三";
    fields.password = password;
    const ServerFields read = serverFieldsOf(serverConnectionText(fields));
    QCOMPARE(read.host, host);
    QCOMPARE(read.port, port);
    QCOMPARE(read.database, QStringLiteral("kelm"));
    QCOMPARE(read.user, QStringLiteral("张三"));
    QCOMPARE(read.password, password);
}

void TestServerFolder::settingsAreReadableByTheOwnerOnly()
{
    writeSetting("pf", "bjtp", "1");
    QFile::setPermissions(settingsFilePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const DatabaseServer server{"host='nas' dbname='kelm' user='u' password='p w'", "我的家庭"};
    QVERIFY(saveDatabaseServer(server));
    const QFileDevice::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    QCOMPARE(QFileInfo(settingsFilePath()).permissions() & others, QFileDevice::Permissions());
    const auto saved = savedDatabaseServer();
    QVERIFY(saved);
    QCOMPARE(saved->connection, server.connection);
    QCOMPARE(saved->household, server.household);
    // The rest of the settings stay.
    QCOMPARE(readSetting("pf", "bjtp"), QStringLiteral("1"));
    QVERIFY(saveDatabaseServer(std::nullopt));
    QVERIFY(!savedDatabaseServer());
}

void TestServerFolder::copiesGoBothWaysAndAreChecked()
{
    const QString connection = qEnvironmentVariable("KELM_TEST_SERVER");
    if (connection.isEmpty())
        QSKIP("no PostgreSQL cluster (KELM_TEST_SERVER is not set)");
    const DatabaseServer server{connection, dir->path()};

    // Two users on the disk, one with three records.
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "张三", "secret", "secret", prompter), AdminOutcome::Done);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "李四", "pw", "pw", prompter), AdminOutcome::Done);
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    for (const char *values : {"'生活','早餐',12.50,0,'张三','2012-11-01'", "'工资','月薪',0,5000.00,'张三','2012-11-15'",
                               "'生活','晚餐',0.10,0,'张三','2012-12-01'"})
        QVERIFY(userConnection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values (%1)").arg(values)));
    closeDataAccess();

    FolderCopyReport report = copyDataFolderToServer(server);
    QVERIFY2(report.ok, qPrintable(report.failed));
    QCOMPARE(report.databases, 3);
    QCOMPARE(report.expense, 12.6);
    QCOMPARE(report.income, 5000.0);
    QVERIFY(!databaseServer()); // the program's choice is left as it was
    QStringList names = serverDatabases(server);
    names.sort();
    QCOMPARE(names, (QStringList{"yhlb.dat", "张三_lc.dat", "李四_lc.dat"}));

    // On the server: the same users, the same records; one record more is made there.
    setDatabaseServer(server);
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    QCOMPARE(users, (QStringList{"李四", "张三"}));
    QCOMPARE(countRecords("张三", "secret"), 3);
    QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values ('交通','公交',2.00,0,'张三','2012-12-02')"));
    QCOMPARE(countRecords("李四", "pw"), 0);
    closeDataAccess();
    setDatabaseServer(std::nullopt);

    // And back: the files replaced are kept aside.
    report = copyServerToDataFolder(server);
    QVERIFY2(report.ok, qPrintable(report.failed));
    QCOMPARE(report.databases, 3);
    QCOMPARE(report.expense, 14.6);
    QVERIFY(QFile::exists(dir->filePath("data/张三_lc.dat.bak")));
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    QCOMPARE(countRecords("张三", "secret"), 4);
    closeDataAccess();

    setDatabaseServer(server);
    for (const QString &name : serverDatabases(server))
        QVERIFY(deleteFile(dir->filePath("data/" + name)));
}

QTEST_GUILESS_MAIN(TestServerFolder)
#include "tst_serverfolder.moc"
