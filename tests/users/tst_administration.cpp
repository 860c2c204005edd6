// Registering, logging in, changing the password and deleting a user, as the login bar, the
// new-user window and the user page run them.
#include "common/clock.h"
#include "common/files.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
#include "dataaccess/pg/serverstore.h"
#include "ledger/templates.h"
#include "support/scriptedprompter.h"
#include "users/administration.h"
#include "users/passworddigest.h"
#include "users/userdirectory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestAdministration : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void registration_data();
    void registration();
    void registrationKeepsAnExistingLedger();
    void failedRegistrationLeavesNothing();
    void login_data();
    void login();
    void loginAfterARestart();
    void passwordChange_data();
    void passwordChange();
    void deletion();
    void interruptedChangesAreFinishedOrUndone_data();
    void interruptedChangesAreFinishedOrUndone();
    void leftoverCopiesGo();

private:
    void reopenDirectory();
    QStringList users();
    QStringList dataFiles() const;
    QTemporaryDir *dir = nullptr;
    ScriptedPrompter prompter;
};

void TestAdministration::init()
{
    dir = new QTemporaryDir;
    QDir(dir->path()).mkdir("data");
    setProgramDirectory(dir->path());
    Clock::setFixed(QDateTime(QDate(2012, 12, 15), QTime(20, 30, 5)));
    prompter = ScriptedPrompter();
    QStringList list;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, list), DirectoryOpen::Opened);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "张三", "secret", "secret", prompter), AdminOutcome::Done);
    prompter = ScriptedPrompter();
}

void TestAdministration::cleanup()
{
    userRecordset.Close();
    userConnection.Close();
    directoryRecordset.Close();
    directoryConnection.Close();
    Clock::useSystemTime();
    delete dir;
}

QStringList TestAdministration::users()
{
    QStringList list;
    fillUserList(directoryRecordset, list);
    return list;
}

// The databases of the data folder, those on a server included, with hidden ones, by name.
QStringList TestAdministration::dataFiles() const
{
    QStringList names = databaseFilesIn(dir->filePath("data"));
    names.sort();
    return names;
}

void TestAdministration::registration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("registered") << "李四" << "pw" << "pw" << "注册用户成功！密码：pw" << QStringList{"李四", "张三"};
    QTest::newRow("quotes in name and password") << "O'Brien" << "it's" << "it's" << "注册用户成功！密码：it's"
                                                 << QStringList{"O'Brien", "张三"};
    // The directory keeps the file name too, in fifty characters: 43 is the longest name.
    QTest::newRow("43 characters") << QString(43, u'名') << "pw" << "pw" << "注册用户成功！密码：pw"
                                   << QStringList{QString(43, u'名'), "张三"};
    QTest::newRow("44 characters") << QString(44, u'名') << "pw" << "pw" << "注册用户失败！[01]" << QStringList{"张三"};
    QTest::newRow("no name") << "" << "pw" << "pw" << "请输入用户名！" << QStringList{"张三"};
    QTest::newRow("no password") << "李四" << "" << "pw" << "请输入密码！" << QStringList{"张三"};
    QTest::newRow("no confirmation") << "李四" << "pw" << "" << "请输入确认密码！" << QStringList{"张三"};
    QTest::newRow("passwords differ") << "李四" << "pw" << "pW" << "两次密码输入不一样！" << QStringList{"张三"};
    QTest::newRow("taken") << "张三" << "pw" << "pw" << "用户名已存在！" << QStringList{"张三"};
    QTest::newRow("a folder name") << ".." << "pw" << "pw" << "用户名不能含有 / \\ 或控制字符，也不能是 . 或 ..，请重新输入！"
                                   << QStringList{"张三"};
    QTest::newRow("a path") << "../../etc/x" << "pw" << "pw" << "用户名不能含有 / \\ 或控制字符，也不能是 . 或 ..，请重新输入！"
                            << QStringList{"张三"};
}

void TestAdministration::registration()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    QFETCH(QStringList, listed);
    registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, name, password, confirmation, prompter);
    QCOMPARE(prompter.messages, QStringList{message});
    QCOMPARE(users(), listed);
    QCOMPARE(dataFiles().size(), listed.size() + 1);
}

void TestAdministration::registrationKeepsAnExistingLedger()
{
    // Another letter case is the same name.
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "ZHANG", "a", "a", prompter), AdminOutcome::Done);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "zhang", "a", "a", prompter), AdminOutcome::Refused);
    QCOMPARE(prompter.messages.last(), QStringLiteral("用户名已存在！"));

    // A ledger whose directory row is gone: asked, and kept aside on yes, never overwritten.
    QVERIFY(directoryConnection.Execute("delete from yhlbsj where yhmc='ZHANG'"));
    const QString ledger = dir->filePath("data/ZHANG_lc.dat");
    QVERIFY(writeTemplate(ledgerTemplate(), ledger + ".bak"));
    prompter.answers = {false};
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "ZHANG", "b", "b", prompter), AdminOutcome::Refused);
    QCOMPARE(prompter.questions.last(), QStringLiteral("已存在相同用户名的数据，是否要删除后新建？"));
    prompter.answers = {true};
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "ZHANG", "b", "b", prompter), AdminOutcome::Done);
    QVERIFY(fileExists(ledger + ".bak"));
    QVERIFY(fileExists(ledger + ".bak1"));
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "ZHANG", "b", prompter), LoginOutcome::LoggedIn);
}

void TestAdministration::failedRegistrationLeavesNothing()
{
    // 51 characters do not fit the directory: failed with its code, and nothing stays behind.
    const QString name(51, u'名');
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, name, "pw", "pw", prompter), AdminOutcome::Failed);
    QCOMPARE(prompter.messages, QStringList{"注册用户失败！[01]"});
    QCOMPARE(users(), QStringList{"张三"});
    QCOMPARE(dataFiles(), (QStringList{"yhlb.dat", "张三_lc.dat"}));
    // A ledger put aside for the attempt comes back.
    QVERIFY(writeTemplate(ledgerTemplate(), dir->filePath("data/" + name + "_lc.dat")));
    prompter.answers = {true};
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, name, "pw", "pw", prompter), AdminOutcome::Failed);
    QVERIFY(fileExists(dir->filePath("data/" + name + "_lc.dat")));
    QVERIFY(!fileExists(dir->filePath("data/" + name + "_lc.dat.bak")));
}

void TestAdministration::login_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("logged in") << "张三" << "secret" << "" << int(LoginOutcome::LoggedIn) << QStringList{};
    QTest::newRow("no name") << "" << "secret" << "" << int(LoginOutcome::Refused) << QStringList{"请输入用户名！"};
    QTest::newRow("no password") << "张三" << "" << "" << int(LoginOutcome::Refused) << QStringList{"请输入密码！"};
    QTest::newRow("wrong password") << "张三" << "Secret" << "" << int(LoginOutcome::WrongPassword)
                                    << QStringList{"密码错误,请重新输入！"};
    QTest::newRow("no such ledger") << "王五" << "secret" << "" << int(LoginOutcome::Refused)
                                    << QStringList{"用户数据库不存在，可能已经删除！"};
    QTest::newRow("trailing space is another name") << "张三 " << "secret" << "" << int(LoginOutcome::Refused)
                                                    << QStringList{"用户数据库不存在，可能已经删除！"};
    QTest::newRow("ledger replaced by junk") << "张三" << "secret" << "junk" << int(LoginOutcome::Refused)
                                             << QStringList{"连接用户数据库失败！"};
    QTest::newRow("ledger of another name") << "李四" << "secret" << "copy" << int(LoginOutcome::WrongPassword)
                                            << QStringList{"密码错误,请重新输入！"};
}

void TestAdministration::login()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, setup);
    QFETCH(int, outcome);
    QFETCH(QStringList, messages);
    userConnection.Close();
    if (setup == "junk") {
        if (databaseServer())
            QSKIP("spoils the ledger file on the disk; on a server the ledger is no file there");
        QFile f(dir->filePath("data/张三_lc.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (setup == "copy") {
        QVERIFY(moveFile(dir->filePath("data/张三_lc.dat"), dir->filePath("data/李四_lc.dat")));
    }
    Session session;
    QCOMPARE(int(logIn(userConnection, userRecordset, session, name, password, prompter)), outcome);
    QCOMPARE(prompter.messages, messages);
    QCOMPARE(session.loggedIn, outcome == int(LoginOutcome::LoggedIn));
    QCOMPARE(session.currentUser, session.loggedIn ? name : QString());
}

void TestAdministration::loginAfterARestart()
{
    QVERIFY(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "李四", "pw2", "pw2", prompter) == AdminOutcome::Done);
    userConnection.Close();
    directoryConnection.Close();
    QStringList list;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, list), DirectoryOpen::Opened);
    QCOMPARE(list, (QStringList{"李四", "张三"}));
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "李四", "pw2", prompter), LoginOutcome::LoggedIn);
    QCOMPARE(session.currentDbPath, dir->filePath("data/李四_lc.dat"));
    userRecordset.Open("select * from yhsj");
    QCOMPARE(userRecordset.GetText("tjrq"), QStringLiteral("2012-12-15 20:30:05"));
    QCOMPARE(userRecordset.GetText("yhmm"), passwordDigest("pw2"));
}

void TestAdministration::passwordChange_data()
{
    QTest::addColumn<QStringList>("boxes"); // name, old, new, confirmation
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("works"); // the password that logs in afterwards
    QTest::newRow("changed") << QStringList{"张三", "secret", "新'密码", "新'密码"} << int(AdminOutcome::Done)
                             << "修改用户密码成功！密码：新'密码" << "新'密码";
    QTest::newRow("to the same text") << QStringList{"张三", "secret", "secret", "secret"} << int(AdminOutcome::Done)
                                      << "修改用户密码成功！密码：secret" << "secret";
    QTest::newRow("no name") << QStringList{"", "secret", "a", "a"} << int(AdminOutcome::Refused) << "请输入用户名！" << "secret";
    QTest::newRow("no old") << QStringList{"张三", "", "a", "a"} << int(AdminOutcome::Refused) << "请输入原密码！" << "secret";
    QTest::newRow("no new") << QStringList{"张三", "secret", "", "a"} << int(AdminOutcome::Refused) << "请输入新密码！" << "secret";
    QTest::newRow("no confirmation") << QStringList{"张三", "secret", "a", ""} << int(AdminOutcome::Refused)
                                     << "请输入确认密码！" << "secret";
    QTest::newRow("new differs") << QStringList{"张三", "secret", "a", "b"} << int(AdminOutcome::Refused)
                                 << "二次输入的新密码不一样，请重新输入！" << "secret";
    QTest::newRow("another user") << QStringList{"李四", "secret", "a", "a"} << int(AdminOutcome::Refused)
                                  << "用户名不存在，请重新输入！" << "secret";
    QTest::newRow("wrong old") << QStringList{"张三", "wrong", "a", "a"} << int(AdminOutcome::Refused)
                               << "原密码错误，请重新输入！" << "secret";
}

void TestAdministration::passwordChange()
{
    QFETCH(QStringList, boxes);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    QFETCH(QString, works);
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    QCOMPARE(int(changePassword(userConnection, userRecordset, boxes[0], boxes[1], boxes[2], boxes[3], prompter)), outcome);
    QCOMPARE(prompter.messages, QStringList{message});
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", works, prompter), LoginOutcome::LoggedIn);
}

void TestAdministration::deletion()
{
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "李四", "pw", "pw", prompter), AdminOutcome::Done);
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    prompter = ScriptedPrompter();
    // Only the own name is found in the open ledger.
    prompter.answers = {true};
    QCOMPARE(deleteUser(directoryConnection, userConnection, userRecordset, session, "李四", "pw", prompter, {}), AdminOutcome::Refused);
    QCOMPARE(prompter.messages, QStringList{"用户名不存在，请重新输入！"});
    prompter.answers = {true};
    QCOMPARE(deleteUser(directoryConnection, userConnection, userRecordset, session, "张三", "wrong", prompter, {}), AdminOutcome::Refused);
    prompter.answers = {true, false};
    QCOMPARE(deleteUser(directoryConnection, userConnection, userRecordset, session, "张三", "secret", prompter, {}), AdminOutcome::Refused);
    QVERIFY(session.loggedIn);

    prompter = ScriptedPrompter();
    prompter.answers = {true, true};
    QStringList listAfter;
    QCOMPARE(deleteUser(directoryConnection, userConnection, userRecordset, session, "张三", "secret", prompter, [&] { fillUserList(directoryRecordset, listAfter); prompter.showMessage("<refilled>"); }),
             AdminOutcome::Done);
    QCOMPARE(prompter.questions, (QStringList{"是否真的要删除用户（张三)？", "删除用户后，将删除该用户的所有数据？是否继续？"}));
    QCOMPARE(prompter.messages, (QStringList{"<refilled>", "删除用户成功！"}));
    QCOMPARE(listAfter, QStringList{"李四"});
    QVERIFY(!session.loggedIn);
    QVERIFY(!fileExists(dir->filePath("data/张三_lc.dat")));
}

// As the program starts again after being cut off.
void TestAdministration::reopenDirectory()
{
    userRecordset.Close();
    userConnection.Close();
    directoryRecordset.Close();
    directoryConnection.Close();
    QStringList list;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, list), DirectoryOpen::Opened);
}

void TestAdministration::interruptedChangesAreFinishedOrUndone_data()
{
    // The state a registration or a deletion of 李四 leaves when the process is killed between two
    // of its steps: where the ledger lies, whether the name is listed, whether the ledger holds its
    // account row yet. Afterwards the user is whole (logs in) or gone (the name is free).
    QTest::addColumn<QString>("ledgerAt");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<bool>("account");
    QTest::addColumn<bool>("whole");
    QTest::newRow("registration: the empty ledger written") << ".李四_lc.dat.new" << false << false << false;
    QTest::newRow("registration: listed, no account yet") << ".李四_lc.dat.new" << true << false << false;
    QTest::newRow("registration: account written, not yet in place") << ".李四_lc.dat.new" << true << true << true;
    QTest::newRow("deletion: ledger moved aside, still listed") << ".李四_lc.dat.deleting" << true << true << true;
    QTest::newRow("deletion: unlisted, ledger not yet gone") << ".李四_lc.dat.deleting" << false << true << false;
}

void TestAdministration::interruptedChangesAreFinishedOrUndone()
{
    QFETCH(QString, ledgerAt);
    QFETCH(bool, listed);
    QFETCH(bool, account);
    QFETCH(bool, whole);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "李四", "pw", "pw", prompter), AdminOutcome::Done);
    userRecordset.Close();
    userConnection.Close();
    const QString ledger = dir->filePath("data/李四_lc.dat");
    const QString passing = dir->filePath("data/" + ledgerAt);
    QVERIFY(moveFile(ledger, passing));
    if (!listed)
        QVERIFY(directoryConnection.Execute("delete from yhlbsj where yhmc='李四'"));
    if (!account) {
        QVERIFY(userConnection.OpenJet(passing, databasePassword));
        QVERIFY(userConnection.Execute("delete from yhsj"));
        userConnection.Close();
    }

    reopenDirectory();
    prompter = ScriptedPrompter();
    Session session;
    const QStringList others{"yhlb.dat", "张三_lc.dat"};
    if (whole) {
        QCOMPARE(users(), (QStringList{"李四", "张三"}));
        QCOMPARE(logIn(userConnection, userRecordset, session, "李四", "pw", prompter), LoginOutcome::LoggedIn);
        QCOMPARE(dataFiles(), others + QStringList{"李四_lc.dat"});
    } else {
        QCOMPARE(users(), QStringList{"张三"});
        QCOMPARE(dataFiles(), others);
        QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "李四", "new", "new", prompter), AdminOutcome::Done);
        QCOMPARE(prompter.questions, QStringList{});
        QCOMPARE(logIn(userConnection, userRecordset, session, "李四", "new", prompter), LoginOutcome::LoggedIn);
    }
}

void TestAdministration::leftoverCopiesGo()
{
    // Copies of a compaction or a file copy that were cut off, and one of a copy still running.
    if (databaseServer())
        QSKIP("leftover copies are files in the data folder; a ledger on a server is copied by no file");
    const QDir data(dir->filePath("data"));
    const QString runningCopy = "yhlb.dat.part" + QString::number(::getppid());
    const QStringList leftovers{".张三_lc.dat.compact0.tmp", ".张三_lc.dat.compact3.tmp-journal", ".李四_lc.dat.compact1.tmp",
                                "张三_lc.dat.part999999999", "yhlb.dat.part999999998"};
    for (const QString &name : leftovers + QStringList{runningCopy})
        QVERIFY(QFile::copy(data.filePath("张三_lc.dat"), data.filePath(name)));

    // The next compaction of the ledger removes its own leftovers.
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    userRecordset.Close();
    userConnection.Close();
    QCOMPARE(userConnection.CompactDatabase(data.filePath("张三_lc.dat"), databasePassword), CompactDone);
    QVERIFY(!data.exists(".张三_lc.dat.compact0.tmp"));
    QVERIFY(!data.exists(".张三_lc.dat.compact3.tmp-journal"));
    QVERIFY(data.exists(".李四_lc.dat.compact1.tmp"));

    // The start removes every leftover, and leaves the copy of a running process alone.
    reopenDirectory();
    QCOMPARE(data.entryList(QDir::Files | QDir::Hidden), (QStringList{"yhlb.dat", runningCopy, "张三_lc.dat"}));
    QFile::remove(data.filePath(runningCopy));

    // A deleted user leaves no copy behind.
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    QVERIFY(QFile::copy(data.filePath("张三_lc.dat"), data.filePath("张三_lc.dat.part999999999")));
    prompter.answers = {true, true};
    QCOMPARE(deleteUser(directoryConnection, userConnection, userRecordset, session, "张三", "secret", prompter, {}), AdminOutcome::Done);
    QCOMPARE(data.entryList(QDir::Files | QDir::Hidden), QStringList{"yhlb.dat"});
}

QTEST_GUILESS_MAIN(TestAdministration)
#include "tst_administration.moc"
