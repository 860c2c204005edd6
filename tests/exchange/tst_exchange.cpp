// The backup page's commands and the older-version migration, on real ledger files.
#include "dataaccess/ledgerfixture.h"
#include "sessionfixture.h"

#include "common/clock.h"
#include "common/files.h"
#include "dataaccess/xls/xlsworkbook.h"
#include "dataaccess/instances.h"
#include "dataaccess/pg/serverstore.h"
#include "exchange/backup.h"
#include "exchange/excelexchange.h"
#include "exchange/migration.h"
#include "support/filebytes.h"
#include "support/scriptedprompter.h"
#include "testpaths.h"
#include "users/administration.h"
#include "users/passworddigest.h"
#include "users/userdirectory.h"

#include <QFile>

class TestExchange : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exportAndImport();
    void importKeepsWhatTheLedgerHolds_data();
    void importKeepsWhatTheLedgerHolds();
    void backupAndRestore();
    void restoreWithAnOlderPassword();
    void restoreRefusals_data();
    void restoreRefusals();
    void compaction();
    void migration_data();
    void migration();
    void migrationAsksBeforeEmptying();
    void migrationKeepsEarlierCopies();
    void windowsFilesRestoreAndMigrate();

private:
    void addRecords(const QStringList &records);
    QString olderVersionFile(const QString &name, const QString &user, const QString &password, const QStringList &records);
    QStringList ledger();
    QTemporaryDir *dir = nullptr;
    Session session;
    ScriptedPrompter prompter;
    int logOuts = 0;
    std::function<void()> logOut;
};

void TestExchange::init()
{
    dir = new QTemporaryDir;
    prompter = ScriptedPrompter();
    openFixtureSession(*dir, QDateTime(QDate(2024, 1, 5), QTime(9, 30)), session, prompter);
    prompter = ScriptedPrompter();
    logOuts = 0;
    logOut = [this] {
        ++logOuts;
        logOutSession(session);
    };
}

void TestExchange::cleanup()
{
    closeFixtureSession();
    delete dir;
}

void TestExchange::addRecords(const QStringList &records)
{
    for (const QString &r : records)
        QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values (" + r + ")"));
}

QStringList TestExchange::ledger()
{
    if (!userConnection.IsOpen()) {
        userConnection.OpenJet(session.currentDbPath, databasePassword);
        userRecordset.SetConnection(userConnection);
    }
    return rowsOf(userRecordset, "select * from lcsj order by rq, xmmc", {"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz", "tjrq", "gxrq"});
}

// A file of the older version: tables dlyh and lcsj, with the database password.
QString TestExchange::olderVersionFile(const QString &name, const QString &user, const QString &password,
                                       const QStringList &records)
{
    const QString path = dir->filePath(name);
    DbConnection old;
    if (!createDatabaseFile(path, databasePassword) || !old.OpenJet(path, databasePassword))
        return {};
    old.Execute("create table dlyh (id counter primary key, mc text(50), mm text(50))");
    old.Execute("create table lcsj (id counter primary key, xmlx text(50), xmmc text(50), zcje double, srje double, ry text(50), rq datetime, bz memo)");
    old.Execute("insert into dlyh(mc,mm) values ('" + user + "','" + passwordDigest(password) + "')");
    for (const QString &r : records)
        if (!old.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values (" + r + ")"))
            return {};
    return path;
}

void TestExchange::exportAndImport()
{
    addRecords({"'生活','早餐',12.50,0,'张三','2012-11-05','豆浆'", "'工资','月薪',0,8000,'张三','2012-11-10',''"});
    const QString book = dir->filePath("理财数据(2024-01-05).xls");
    prompter.files = {book};
    exportLedger(userConnection, userRecordset, prompter);
    QCOMPARE(prompter.messages, QStringList{"导出数据成功！"});
    // Excel 97-2003 is the first kind offered, so the dialog opens on it.
    QCOMPARE(prompter.fileFilters.size(), 1);
    QVERIFY(prompter.fileFilters.first().startsWith("理财数据(*.xls)|*.xls|"));
    // The export adds its sheet to a workbook that exists, so the dialog asks nothing about replacing it.
    QCOMPARE(prompter.fileKinds, QStringList{"add to"});
    prompter.files = {book};
    exportLedger(userConnection, userRecordset, prompter);
    QCOMPARE(prompter.messages.last(), QStringLiteral("导出数据失败！"));

    int refreshed = 0;
    const auto refresh = [&] { ++refreshed; };
    prompter = ScriptedPrompter();
    prompter.answers = {true, false};
    importLedger(userConnection, userRecordset, prompter, refresh);
    QVERIFY(prompter.messages.isEmpty() && prompter.fileFilters.isEmpty());
    // The same workbook again adds nothing.
    prompter.answers = {true, true};
    prompter.files = {book};
    importLedger(userConnection, userRecordset, prompter, refresh);
    QCOMPARE(prompter.messages, QStringList{"导入理财数据成功！共 0 个记录"});
    QCOMPARE(refreshed, 1);
    // A row that differs only in its remark is the same record.
    QVERIFY(userConnection.Execute("update lcsj set bz='另一个备注' where xmmc='早餐'"));
    prompter.answers = {true, true};
    prompter.files = {book};
    importLedger(userConnection, userRecordset, prompter, refresh);
    QCOMPARE(prompter.messages.last(), QStringLiteral("导入理财数据成功！共 0 个记录"));
    QVERIFY(userConnection.Execute("delete from lcsj"));
    prompter.answers = {true, true};
    prompter.files = {book};
    importLedger(userConnection, userRecordset, prompter, refresh);
    QCOMPARE(prompter.messages.last(), QStringLiteral("导入理财数据成功！共 2 个记录"));
    QCOMPARE(ledger().size(), 2);
    prompter.answers = {true, true};
    prompter.files = {dir->filePath("none.xls")};
    importLedger(userConnection, userRecordset, prompter, refresh);
    QCOMPARE(prompter.messages.last(), QStringLiteral("导入理财数据失败！"));
    QCOMPARE(refreshed, 3);
}

// A workbook row comes in only as the ledger can hold it: amounts beyond the limit send the whole
// workbook back with a message, texts are measured in UTF-16 units, and NULs in texts are dropped.
void TestExchange::importKeepsWhatTheLedgerHolds_data()
{
    QTest::addColumn<QStringList>("cells"); // type, name, expense, income; "t:" makes an amount a text cell
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("ledger"); // type|name|expense|income
    const QString tooLarge = "导入理财数据失败！表中有超出范围的金额，金额不能大于9999999999999.99。";
    const QString failed = "导入理财数据失败！";
    const QString one = "导入理财数据成功！共 1 个记录";
    QString emoji15;
    for (int i = 0; i < 15; ++i)
        emoji15 += QString::fromUcs4(U"\U0001F600");
    const QString nul(QChar(u'\0'));
    QTest::newRow("largest amount") << QStringList{"生活", "早餐", "9999999999999.99", "0"} << one
                                    << QStringList{"生活|早餐|9999999999999.99|0"};
    QTest::newRow("largest negative income") << QStringList{"工资", "退款", "0", "-9999999999999.99"} << one
                                             << QStringList{"工资|退款|0|-9999999999999.99"};
    QTest::newRow("a cent beyond") << QStringList{"生活", "早餐", "10000000000000", "0"} << tooLarge << QStringList{};
    QTest::newRow("1e308") << QStringList{"生活", "早餐", "1e308", "0"} << tooLarge << QStringList{};
    QTest::newRow("1e308 as text") << QStringList{"生活", "早餐", "t:1e308", "0"} << tooLarge << QStringList{};
    QTest::newRow("Currency bound") << QStringList{"生活", "早餐", "922337203685477.58", "0"} << tooLarge << QStringList{};
    QTest::newRow("negative Currency bound") << QStringList{"工资", "退款", "0", "-922337203685477.58"} << tooLarge
                                             << QStringList{};
    QTest::newRow("15 emoji fit a type") << QStringList{emoji15, "早餐", "1", "0"} << one
                                         << QStringList{emoji15 + "|早餐|1|0"};
    QTest::newRow("30 emoji do not") << QStringList{emoji15 + emoji15, "早餐", "1", "0"} << failed << QStringList{};
    QTest::newRow("NULs are dropped") << QStringList{"生活" + nul + nul, nul + "早" + nul + "餐", "1", "0"} << one
                                      << QStringList{"生活|早餐|1|0"};
    QTest::newRow("a NUL hides no length") << QStringList{"a" + nul + QString(40, u'类'), "早餐", "1", "0"} << failed
                                           << QStringList{};
}

void TestExchange::importKeepsWhatTheLedgerHolds()
{
    QFETCH(QStringList, cells);
    QFETCH(QString, message);
    QFETCH(QStringList, ledger);
    const QString book = dir->filePath("book.xls");
    QList<XlsColumn> columns;
    for (const char *title : {"项目类型", "项目名称", "支出金额", "收入金额", "人员", "日期", "备注"})
        columns.append({QString::fromUtf8(title), XlsColumnType::Text});
    columns[2].type = columns[3].type = XlsColumnType::Number;
    columns[5].type = XlsColumnType::Date;
    QList<XlsValue> row{XlsValue::fromText(cells[0]), XlsValue::fromText(cells[1])};
    for (const QString &amount : cells.mid(2, 2))
        row.append(amount.startsWith("t:") ? XlsValue::fromText(amount.mid(2)) : XlsValue::fromNumber(amount.toDouble()));
    row << XlsValue::fromText("张三") << XlsValue::fromDate(QDateTime(QDate(2012, 11, 5), QTime(0, 0)))
        << XlsValue::fromText("");
    // A row that comes in beside the refused one goes back with it.
    const QList<XlsValue> ordinary{XlsValue::fromText("生活"), XlsValue::fromText("午餐"), XlsValue::fromNumber(2),
                                   XlsValue::fromNumber(0), XlsValue::fromText("张三"),
                                   XlsValue::fromDate(QDateTime(QDate(2012, 11, 6), QTime(0, 0))), XlsValue::fromText("")};
    QVERIFY(writeXlsSheet(book, "lcsj", columns, {row}));
    prompter.answers = {true, true};
    prompter.files = {book};
    int refreshed = 0;
    importLedger(userConnection, userRecordset, prompter, [&] { ++refreshed; });
    QCOMPARE(prompter.messages, QStringList{message});
    QCOMPARE(refreshed, ledger.isEmpty() ? 0 : 1);
    QCOMPARE(rowsOf(userRecordset, "select * from lcsj", {"xmlx", "xmmc", "zcje", "srje"}), ledger);
    if (ledger.isEmpty()) {
        QVERIFY(QFile::remove(book));
        QVERIFY(writeXlsSheet(book, "lcsj", columns, {ordinary, row}));
        prompter.answers = {true, true};
        prompter.files = {book};
        importLedger(userConnection, userRecordset, prompter, [&] { ++refreshed; });
        QCOMPARE(prompter.messages.last(), message);
        QCOMPARE(rowsOf(userRecordset, "select count(*) as n from lcsj", {"n"}), QStringList{"0"});
    }
}

void TestExchange::backupAndRestore()
{
    addRecords({"'生活','早餐',1.00,0,'张三','2012-11-05',''"});
    prompter.files = {QString()};
    backupLedger(session, prompter);
    QVERIFY(prompter.messages.isEmpty());
    const QString backup = dir->filePath("理财数据(2024-01-05).lcabak");
    prompter.files = {backup};
    backupLedger(session, prompter);
    QCOMPARE(prompter.messages, QStringList{"备份数据成功！"});
    // A backup replaces the file chosen, after the dialog's question.
    QCOMPARE(prompter.fileKinds, (QStringList{"save", "save"}));
    QVERIFY(session.loggedIn && userConnection.IsOpen());

    addRecords({"'生活','午餐',2.00,0,'张三','2012-11-06',''"});
    prompter = ScriptedPrompter();
    prompter.answers = {true, true};
    prompter.files = {backup};
    QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut), RestoreState::Idle);
    QCOMPARE(prompter.messages, QStringList{"恢复数据成功！"});
    QCOMPARE(logOuts, 1);
    QVERIFY(!QFile::exists(restoreCopyPath()));
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    QCOMPARE(ledger().size(), 1);
}

void TestExchange::restoreWithAnOlderPassword()
{
    const QString backup = dir->filePath("old.lcabak");
    prompter.files = {backup};
    backupLedger(session, prompter);
    QCOMPARE(changePassword(userConnection, userRecordset, "张三", "secret", "new", "new", prompter), AdminOutcome::Done);
    prompter = ScriptedPrompter();
    prompter.answers = {true, true};
    prompter.files = {backup};
    QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut), RestoreState::AwaitingPassword);
    QCOMPARE(confirmBackupPassword(userConnection, userRecordset, auxConnection, auxRecordset, session, "new", prompter, logOut), RestoreState::AwaitingPassword);
    QCOMPARE(prompter.messages, QStringList{"密码错误，请重新输入！"});
    QCOMPARE(confirmBackupPassword(userConnection, userRecordset, auxConnection, auxRecordset, session, "secret", prompter, logOut), RestoreState::Idle);
    QCOMPARE(prompter.messages.last(), QStringLiteral("恢复数据成功！"));
    QCOMPARE(logOuts, 1);
    // The restored ledger takes the current password.
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "new", prompter), LoginOutcome::LoggedIn);
    // A pending restore cancelled leaves no copy behind.
    prompter.answers = {true, true};
    prompter.files = {backup};
    QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut), RestoreState::AwaitingPassword);
    QVERIFY(QFile::exists(restoreCopyPath()));
    QCOMPARE(cancelBackupPassword(auxConnection, auxRecordset), RestoreState::Idle);
    QVERIFY(!QFile::exists(restoreCopyPath()));
}

void TestExchange::restoreRefusals_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("junk") << "junk" << "连接备份数据库失败！可能数据库不是最新版的！";
    QTest::newRow("another user's backup") << "other" << "该备份数据库用户名与当前用户名不一样，不能恢复！";
    QTest::newRow("a missing file after an earlier restore waited") << "missing" << "连接备份数据库失败！可能数据库不是最新版的！";
    QTest::newRow("another user's Windows ledger") << "windows" << "该备份数据库用户名与当前用户名不一样，不能恢复！";
}

void TestExchange::restoreRefusals()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    addRecords({"'生活','早餐',1.00,0,'张三','2012-11-05',''"});
    QString chosen = dir->filePath("chosen.lcabak");
    if (kind == "junk") {
        QFile f(chosen);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(9000, 'j'));
    } else if (kind == "other") {
        QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "李四", "secret", "secret", prompter), AdminOutcome::Done);
        chosen = ledgerPath("李四");
        QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    } else if (kind == "windows") {
        chosen = dir->filePath("alice_lc.dat");
        QVERIFY(QFile::copy(QStringLiteral(KELM_TEST_DATA_DIR "/jet/fixtures/alice_lc.dat"), chosen));
    } else {
        // An earlier restore left its copy waiting for a password.
        const QString backup = dir->filePath("old.lcabak");
        prompter.files = {backup};
        backupLedger(session, prompter);
        QCOMPARE(changePassword(userConnection, userRecordset, "张三", "secret", "new", "new", prompter), AdminOutcome::Done);
        prompter.answers = {true, true};
        prompter.files = {backup};
        QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut), RestoreState::AwaitingPassword);
        chosen = dir->filePath("gone.lcabak");
    }
    const QStringList before = ledger();
    prompter = ScriptedPrompter();
    prompter.answers = {true, true};
    prompter.files = {chosen};
    QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut), RestoreState::Idle);
    QCOMPARE(prompter.messages, QStringList{message});
    QVERIFY(session.loggedIn);
    QCOMPARE(ledger(), before);
    // A refused restore keeps no working copy, nor the Windows file its conversion set aside.
    QCOMPARE(QDir(dir->filePath("data")).entryList({"temp*"}, QDir::Files | QDir::Hidden), QStringList());
}

void TestExchange::compaction()
{
    prompter.answers = {false};
    compactLedger(userConnection, userRecordset, session, prompter, logOut);
    QCOMPARE(logOuts, 0);
    QVERIFY(session.loggedIn);
    addRecords({"'生活','早餐',1.00,0,'张三','2012-11-05',''", "'生活','午餐',2.00,0,'张三','2012-11-06',''"});
    const QStringList before = ledger();
    prompter.answers = {true};
    compactLedger(userConnection, userRecordset, session, prompter, logOut);
    QCOMPARE(prompter.messages, QStringList{"压缩数据库成功！"});
    QCOMPARE(logOuts, 1);
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    QCOMPARE(ledger(), before);
    // A ledger the engine cannot compact: logged out all the same.
    if (databaseServer())
        QSKIP("the rest spoils the ledger file on the disk; on a server the ledger is no file there");
    userConnection.Close();
    QFile f(session.currentDbPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(5000, 'j'));
    f.close();
    prompter.answers = {true};
    compactLedger(userConnection, userRecordset, session, prompter, logOut);
    QCOMPARE(prompter.messages.last(), QStringLiteral("压缩数据库失败！"));
    QCOMPARE(logOuts, 2);
}

void TestExchange::migration_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("old");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("ledger"); // empty: the ledger as it was
    const QString today = "2024-01-05";
    QTest::newRow("migrated") << "张三" << "secret"
                              << QStringList{"'生活','早餐',3.5,0,'张三','2005-6-7',null", "'工资','月薪',0,100,'张三','2005-06-08','Tom''s'",
                                             "'生活','零头',-0.00000005,0,'张三','2005-06-09',''"}
                              << QStringList{"恢复旧版数据库成功！"}
                              << QStringList{"生活|早餐|3.5|0|张三|2005-06-07||" + today + "|",
                                             "工资|月薪|0|100|张三|2005-06-08|Tom's|" + today + "|",
                                             "生活|零头|-5e-08|0|张三|2005-06-09||" + today + "|"};
    QTest::newRow("an empty old ledger") << "张三" << "secret" << QStringList{} << QStringList{"恢复旧版数据库成功！"}
                                         << QStringList{"<empty>"};
    QTest::newRow("another user") << "李四" << "secret" << QStringList{}
                                  << QStringList{"旧版数据用户名与当前用户名不一样！请先登录与之同的用户名！"} << QStringList{};
    QTest::newRow("another password") << "张三" << "other" << QStringList{}
                                      << QStringList{"旧版数据库用户密码与当前用户密码不一样！请修改当前用户密码！"} << QStringList{};
    QTest::newRow("a negative income keeps the ledger")
        << "张三" << "secret" << QStringList{"'生活','早餐',3.5,0,'张三','2005-6-7',''", "'工资','退款',0,-5,'张三','2005-6-8',''"}
        << QStringList{"旧数据库中存在负数的收入金额数值，暂时不支持转换！"} << QStringList{};
    // The old sums equal the ledger's, or are zero: a sum check alone would pass these.
    QTest::newRow("a negative expense keeps the ledger")
        << "张三" << "secret" << QStringList{"'生活','早餐',3.5,0,'张三','2005-6-7',''", "'生活','退货',-1,0,'张三','2005-6-8',''"}
        << QStringList{"旧数据库中存在负数的支出金额数值，暂时不支持转换！"} << QStringList{};
    QTest::newRow("a negative expense, old sums zero")
        << "张三" << "secret" << QStringList{"'生活','早餐',1,0,'张三','2005-6-7',''", "'生活','退货',-1,0,'张三','2005-6-8',''"}
        << QStringList{"旧数据库中存在负数的支出金额数值，暂时不支持转换！"} << QStringList{};
    QTest::newRow("a refused insert keeps the ledger")
        << "张三" << "secret" << QStringList{"'生活','早餐',3.5,0,'张三','2005-6-7',''", "'生活','午餐',null,0,'张三','2005-6-8',''"}
        << QStringList{"恢复旧版数据库失败！"} << QStringList{};
}

void TestExchange::migration()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QStringList, old);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, ledger);
    addRecords({"'现有','记录',2.50,0,'张三','2023-12-31',''"});
    const QStringList before = this->ledger();
    const QString file = olderVersionFile("张三.lc", user, password, old);
    QVERIFY(!file.isEmpty());
    prompter.answers = {true, true};
    prompter.files = {file};
    int refreshed = 0;
    migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut, [&] { ++refreshed; });
    QCOMPARE(prompter.messages, messages);
    const QStringList now = this->ledger();
    if (ledger.isEmpty())
        QCOMPARE(now, before);
    else
        QCOMPARE(now, ledger == QStringList{"<empty>"} ? QStringList() : ledger);
    QCOMPARE(refreshed, messages.last() == "恢复旧版数据库成功！" ? 1 : 0);
    // Nothing here is a failed verification: the user stays logged in.
    QCOMPARE(logOuts, 0);
    QVERIFY(session.loggedIn);
    // Whatever the outcome, the working copy is gone and the chosen file is untouched.
    QVERIFY(!QFile::exists(migrationCopyPath()));
    QFile chosen(file);
    QVERIFY(chosen.exists());
}

void TestExchange::migrationAsksBeforeEmptying()
{
    // Into an empty ledger: no question at all.
    const QString first = olderVersionFile("first.lc", "张三", "secret", {"'生活','早餐',3.5,0,'张三','2005-6-7',''"});
    prompter.files = {first};
    migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut, {});
    QVERIFY(prompter.questions.isEmpty());
    QCOMPARE(prompter.messages, QStringList{"恢复旧版数据库成功！"});
    QVERIFY(userConnection.Execute("delete from lcsj"));
    prompter = ScriptedPrompter();

    Session nobody;
    migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, nobody, prompter, logOut, {});
    QCOMPARE(prompter.messages, QStringList{"请先登录！(用户名必须与旧版数据的用户相同，并且密码也要相同！)"});
    addRecords({"'现有','记录',9.00,0,'张三','2023-12-31',''"});
    const QString file = olderVersionFile("张三.lc", "张三", "secret", {"'生活','早餐',3.5,0,'张三','2005-6-7',''"});
    prompter = ScriptedPrompter();
    prompter.answers = {true, false};
    prompter.files = {file};
    migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut, {});
    QCOMPARE(prompter.questions, (QStringList{"恢复旧版数据将会删除清空当前用户现有数据！是否继续？", "是否真的要删除清空当前用户的所有数据？"}));
    QCOMPARE(ledger().size(), 1);
    QVERIFY(fileExists(session.currentDbPath + ".bak"));
}

void TestExchange::migrationKeepsEarlierCopies()
{
    // The ledger a registration of the name set aside, under the first name a safety copy would take.
    if (databaseServer())
        QSKIP("compares the bytes of ledger files; on a server the ledger and its copies are no files");
    const QString kept = session.currentDbPath + ".bak";
    QVERIFY(writeFileBytes(kept, "kept ledger"));
    addRecords({"'现有','记录',2.50,0,'张三','2023-12-31',''"});
    const QByteArray ledgerBefore = fileBytes(session.currentDbPath);
    const QString file = olderVersionFile("张三.lc", "张三", "secret", {"'生活','早餐',3.5,0,'张三','2005-6-7',''"});
    for (const QString &copy : {kept + "1", kept + "2"}) {
        prompter = ScriptedPrompter();
        prompter.answers = {true, true};
        prompter.files = {file};
        const QByteArray current = fileBytes(session.currentDbPath);
        migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut, {});
        QCOMPARE(prompter.messages, QStringList{"恢复旧版数据库成功！"});
        QCOMPARE(fileBytes(copy), current);
    }
    QCOMPARE(fileBytes(kept), QByteArray("kept ledger"));
    QCOMPARE(fileBytes(kept + "1"), ledgerBefore);
}

void TestExchange::windowsFilesRestoreAndMigrate()
{
    // The Windows program's ledger of 张三 (password 123456), a backup of it made before a password
    // change (654321), and an older-version file: each a Jet file, converted as it is opened.
    if (databaseServer())
        QSKIP("puts the Windows program's ledger file in the data folder, where a household on a server keeps none");
    const QString fixtures = QStringLiteral(KELM_TEST_DATA_DIR "/jet/fixtures/");
    userConnection.Close();
    QFile::remove(dir->filePath("data/张三_lc.dat"));
    QVERIFY(QFile::copy(fixtures + "张三_lc.dat", dir->filePath("data/张三_lc.dat")));
    QFile::setPermissions(dir->filePath("data/张三_lc.dat"), QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "123456", prompter), LoginOutcome::LoggedIn);
    QCOMPARE(ledger().size(), 12);
    // The person learns once what the kept Windows file is and that it may go.
    QCOMPARE(prompter.messages, QStringList{"已将Windows版的数据文件转换为本程序的格式，原文件保留为data文件夹中的"
                                            "“张三_lc.dat.jet”。本程序不再使用它，确认数据无误后可以删除。"});
    QVERIFY(QFile::exists(dir->filePath("data/张三_lc.dat.jet")));
    prompter = ScriptedPrompter();
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "123456", prompter), LoginOutcome::LoggedIn);
    QCOMPARE(prompter.messages, QStringList());

    const QString backup = dir->filePath("old.lcabak");
    QVERIFY(QFile::copy(fixtures + "张三-older-password.lcabak", backup));
    prompter = ScriptedPrompter();
    prompter.answers = {true, true};
    prompter.files = {backup};
    QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut), RestoreState::AwaitingPassword);
    // The restore dialog lists backups and the ledger files of both programs.
    const QString offered = prompter.fileFilters.value(0);
    const QStringList patterns = offered.mid(offered.indexOf(u'|') + 1).split(u';');
    for (const QString name : {"old.lcabak", "张三_lc.dat"})
        QVERIFY2(QDir::match(patterns, name), qPrintable(offered + u' ' + name));
    QCOMPARE(confirmBackupPassword(userConnection, userRecordset, auxConnection, auxRecordset, session, "654321", prompter, logOut), RestoreState::Idle);
    QCOMPARE(prompter.messages, QStringList{"恢复数据成功！"});
    // Nothing of the working copy stays behind, and the Windows backup itself is untouched.
    QCOMPARE(QDir(dir->filePath("data")).entryList({"temp*"}, QDir::Files), QStringList());
    QVERIFY(QFile::exists(backup));
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "123456", prompter), LoginOutcome::LoggedIn);
    QCOMPARE(ledger().size(), 4);

    const QString older = dir->filePath("张三.lc");
    QVERIFY(QFile::copy(fixtures + "张三.lc", older));
    prompter = ScriptedPrompter();
    prompter.answers = {true, true};
    prompter.files = {older};
    migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut, {});
    QCOMPARE(prompter.messages, QStringList{"恢复旧版数据库成功！"});
    QCOMPARE(QDir(dir->filePath("data")).entryList({"temp*"}, QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
