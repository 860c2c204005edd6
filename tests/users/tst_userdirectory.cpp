#include "common/files.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
#include "dataaccess/pg/serverstore.h"
#include "support/scriptedprompter.h"
#include "users/userdirectory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestUserDirectory : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstStartWritesTheDirectory();
    void namesComeSorted();
    void unusableDirectoryEndsTheProgram_data();
    void unusableDirectoryEndsTheProgram();
    void paths();

private:
    QTemporaryDir *dir = nullptr;
};

void TestUserDirectory::init()
{
    dir = new QTemporaryDir;
    QDir(dir->path()).mkdir("data");
    setProgramDirectory(dir->path());
}

void TestUserDirectory::cleanup()
{
    directoryRecordset.Close();
    directoryConnection.Close();
    delete dir;
}

void TestUserDirectory::firstStartWritesTheDirectory()
{
    ScriptedPrompter prompter;
    QStringList users{"stale"};
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    QVERIFY(prompter.messages.isEmpty());
    QVERIFY(users.isEmpty());
    QVERIFY(fileExists(dir->filePath("data/yhlb.dat")));
    // On a server the directory is a schema there, with nothing written to the data folder.
    QCOMPARE(QFile::exists(dir->filePath("data/yhlb.dat")), !databaseServer());
    QVERIFY(directoryConnection.IsOpen());
}

void TestUserDirectory::namesComeSorted()
{
    ScriptedPrompter prompter;
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    for (const char *name : {"b", "张三丰", "张三", "a", "gbkuser", "C", "李四", "a", "2号", "dave"})
        QVERIFY(directoryConnection.Execute(QStringLiteral("insert into yhlbsj(yhmc,yhsjkmc) values ('%1','%1_lc.dat')")
                                                .arg(QString::fromUtf8(name))));
    fillUserList(directoryRecordset, users);
    // Digits and Latin letters first, letter case aside, then Chinese by pronunciation.
    QCOMPARE(users, (QStringList{"2号", "a", "a", "b", "C", "dave", "gbkuser", "李四", "张三", "张三丰"}));
}

void TestUserDirectory::unusableDirectoryEndsTheProgram_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::newRow("damaged directory") << "junk" << "连接用户数据库失败！用户数据库可能已经打开！";
    QTest::newRow("another password") << "password" << "连接用户数据库失败！用户数据库可能已经打开！";
    QTest::newRow("no data folder") << "nofolder" << "新建用户数据库失败！";
}

void TestUserDirectory::unusableDirectoryEndsTheProgram()
{
    QFETCH(QString, setup);
    QFETCH(QString, message);
    if (databaseServer())
        QSKIP("spoils the directory file in the data folder; on a server the directory is no file there");
    const QString path = dir->filePath("data/yhlb.dat");
    if (setup == "junk") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'j'));
    } else if (setup == "password") {
        QVERIFY(createDatabaseFile(path, "other"));
    } else {
        QVERIFY(QDir(dir->filePath("data")).removeRecursively());
    }
    const QByteArray before = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ScriptedPrompter prompter;
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::EndProgram);
    QCOMPARE(prompter.messages, QStringList{message});
    // The file that was there is left as it was.
    QFile f(path);
    QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), before);
}

void TestUserDirectory::paths()
{
    QCOMPARE(userDirectoryPath(), dir->path() + "/data/yhlb.dat");
    QCOMPARE(ledgerPath("张三 "), dir->path() + "/data/张三 _lc.dat");
}

QTEST_GUILESS_MAIN(TestUserDirectory)
#include "tst_userdirectory.moc"
