// Names that the file system and registration accept, whatever they hold (; ] [ quotes, spaces,
// Chinese), in the program folder's path, as user names and as the names of the files the person
// picks: each operation works with each of them.
#include "dataaccess/ledgerfixture.h"

#include "common/clock.h"
#include "common/sqltext.h"
#include "dataaccess/instances.h"
#include "exchange/backup.h"
#include "exchange/excelexchange.h"
#include "exchange/migration.h"
#include "support/filebytes.h"
#include "support/scriptedprompter.h"
#include "users/administration.h"
#include "users/passworddigest.h"
#include "users/userdirectory.h"

#include <QFile>

class TestFileNames : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void operations_data();
    void operations();

private:
    bool prepare(const QString &folderName, const QString &user);
    void addRecord();
    qint64 recordCount();
    QString olderVersionFile(const QString &path, const QString &user);
    QTemporaryDir *base = nullptr;
    Session session;
    ScriptedPrompter prompter;
    QString user;
};

void TestFileNames::cleanup()
{
    for (DbRecordset *r : {&userRecordset, &auxRecordset, &directoryRecordset})
        r->Close();
    for (DbConnection *c : {&userConnection, &auxConnection, &directoryConnection})
        c->Close();
    Clock::useSystemTime();
    delete base;
    base = nullptr;
}

// A program folder of the given name with its data folder, the user registered and logged in.
bool TestFileNames::prepare(const QString &folderName, const QString &userName)
{
    base = new QTemporaryDir;
    const QString folder = base->filePath(folderName);
    if (!QDir().mkpath(folder + "/data"))
        return false;
    setProgramDirectory(folder);
    Clock::setFixed(QDateTime(QDate(2024, 1, 5), QTime(9, 30)));
    user = userName;
    prompter = ScriptedPrompter();
    QStringList users;
    if (openUserDirectory(directoryConnection, directoryRecordset, prompter, users) != DirectoryOpen::Opened || registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, user, "secret", "secret", prompter) != AdminOutcome::Done)
        return false;
    session = Session();
    const bool in = logIn(userConnection, userRecordset, session, user, "secret", prompter) == LoginOutcome::LoggedIn;
    prompter = ScriptedPrompter();
    return in;
}

void TestFileNames::addRecord()
{
    QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ('生活','早餐',12.5,0,'张三','2012-11-05','豆浆')"));
}

qint64 TestFileNames::recordCount()
{
    userRecordset.Open("select count(*) from lcsj");
    return userRecordset.GetText(0).toLongLong();
}

// A file of the older version for the user, with one record.
QString TestFileNames::olderVersionFile(const QString &path, const QString &owner)
{
    DbConnection old;
    if (!createDatabaseFile(path, databasePassword) || !old.OpenJet(path, databasePassword))
        return {};
    old.Execute("create table dlyh (id counter primary key, mc text(50), mm text(50))");
    old.Execute("create table lcsj (id counter primary key, xmlx text(50), xmmc text(50), zcje double, srje double, ry text(50), rq datetime, bz memo)");
    if (!old.Execute("insert into dlyh(mc,mm) values (" + quoteText(owner) + ',' + quoteText(passwordDigest("secret")) + ')')
        || !old.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ('工资','月薪',0,100,'张三','2005-06-08','')"))
        return {};
    return path;
}

void TestFileNames::operations_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("operation");
    const QStringList names = {
        "a;b", "Robert'); drop table yhlbsj;--", "x]y", "[z", "引号\"双", "有 空格", "]]", "a=b;DATABASE=c]", "'单引号开头",
        "\"双引号开头", "表$].[x", "%?#&",
    };
    // folder: the program folder's path holds the name; user: the user's name is it; the others: the
    // file the person picks is named so; all: the three at once, through every operation and compaction.
    const QStringList operations = {"folder", "user", "backup", "restore", "export", "import", "migration", "all"};
    for (const QString &name : names)
        for (const QString &operation : operations)
            QTest::addRow("%s | %s", qPrintable(name), qPrintable(operation)) << name << operation;
}

void TestFileNames::operations()
{
    QFETCH(QString, name);
    QFETCH(QString, operation);
    const bool all = operation == "all";
    QVERIFY(prepare(all || operation == "folder" ? name : QStringLiteral("程序"), all || operation == "user" ? name : QStringLiteral("张三")));
    QCOMPARE(session.currentDbPath, ledgerPath(user));
    addRecord();
    const QString file = base->filePath(name);

    if (all || operation == "folder" || operation == "user") {
        QStringList users;
        fillUserList(directoryRecordset, users);
        QCOMPARE(users, QStringList{user});
        QCOMPARE(changePassword(userConnection, userRecordset, user, "secret", "new", "new", prompter), AdminOutcome::Done);
        QCOMPARE(logIn(userConnection, userRecordset, session, user, "new", prompter), LoginOutcome::LoggedIn);
        QCOMPARE(recordCount(), 1);
        QCOMPARE(changePassword(userConnection, userRecordset, user, "new", "secret", "secret", prompter), AdminOutcome::Done);
    }
    if (all || operation == "backup" || operation == "restore") {
        prompter = ScriptedPrompter();
        prompter.files = {file + ".lcabak"};
        backupLedger(session, prompter);
        QCOMPARE(prompter.messages, QStringList{"备份数据成功！"});
        QCOMPARE(fileBytes(file + ".lcabak"), fileBytes(session.currentDbPath));
    }
    if (all || operation == "restore") {
        addRecord();
        prompter = ScriptedPrompter();
        prompter.answers = {true, true};
        prompter.files = {file + ".lcabak"};
        QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, [this] { logOutSession(session); }), RestoreState::Idle);
        QCOMPARE(prompter.messages, QStringList{"恢复数据成功！"});
        QCOMPARE(logIn(userConnection, userRecordset, session, user, "secret", prompter), LoginOutcome::LoggedIn);
        QCOMPARE(recordCount(), 1);
    }
    if (all || operation == "export" || operation == "import") {
        // Import reads a workbook of that name even when export could not write it.
        const QString written = all || operation == "export" ? file + ".xls" : base->filePath("导出.xls");
        prompter = ScriptedPrompter();
        prompter.files = {written};
        exportLedger(userConnection, userRecordset, prompter);
        QCOMPARE(prompter.messages, QStringList{"导出数据成功！"});
        QVERIFY(QFile::exists(written));
        if (written != file + ".xls")
            QVERIFY(QFile::rename(written, file + ".xls"));
    }
    if (all || operation == "import") {
        QVERIFY(userConnection.Execute("delete from lcsj"));
        prompter = ScriptedPrompter();
        prompter.answers = {true, true};
        prompter.files = {file + ".xls"};
        importLedger(userConnection, userRecordset, prompter, {});
        QCOMPARE(prompter.messages, QStringList{"导入理财数据成功！共 1 个记录"});
        QCOMPARE(recordCount(), 1);
    }
    if (all || operation == "migration") {
        // Written under a plain name, so the file is there whatever the name does to opening it.
        const QString plain = base->filePath("旧版.lc");
        QVERIFY(!olderVersionFile(plain, user).isEmpty());
        QVERIFY(QFile::rename(plain, file + ".lc"));
        prompter = ScriptedPrompter();
        prompter.answers = {true, true};
        prompter.files = {file + ".lc"};
        migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, [this] { logOutSession(session); }, {});
        QCOMPARE(prompter.messages, QStringList{"恢复旧版数据库成功！"});
        QCOMPARE(recordCount(), 1);
    }
    if (all) {
        prompter = ScriptedPrompter();
        prompter.answers = {true};
        compactLedger(userConnection, userRecordset, session, prompter, [this] { logOutSession(session); });
        QCOMPARE(prompter.messages, QStringList{"压缩数据库成功！"});
        QCOMPARE(logIn(userConnection, userRecordset, session, user, "secret", prompter), LoginOutcome::LoggedIn);
        QCOMPARE(recordCount(), 1);
    }
    if (all || operation == "user") {
        prompter = ScriptedPrompter();
        prompter.answers = {true, true};
        QCOMPARE(deleteUser(directoryConnection, userConnection, userRecordset, session, user, "secret", prompter, {}), AdminOutcome::Done);
        QVERIFY(!QFile::exists(ledgerPath(user)));
        QStringList users;
        fillUserList(directoryRecordset, users);
        QCOMPARE(users, QStringList());
    }
}

QTEST_GUILESS_MAIN(TestFileNames)
#include "tst_filenames.moc"
