// Jet files of the Windows program: the header and its password, the conversion into a file of
// ours in place, and what a household then finds in it.
#include "support/filebytes.h"
#include "common/gbk.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbconnection.h"
#include "dataaccess/instances.h"
#include "dataaccess/jet/jetconversion.h"
#include "dataaccess/jet/jetheader.h"
#include "dataaccess/jet/jetreader.h"
#include "dataaccess/jet/rc4.h"
#include "ledger/templates.h"
#include "support/scriptedprompter.h"
#include "testpaths.h"
#include "users/passworddigest.h"
#include "users/session.h"
#include "users/userdirectory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cmath>

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(KELM_TEST_DATA_DIR "/jet/fixtures/") + name;
}

// The rows of a query on a file of ours, read straight from the engine: Null as an invalid
// QVariant, texts as QString, numbers as double or qlonglong.
QList<QVariantList> query(const QString &path, const QString &sql)
{
    QList<QVariantList> rows;
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QVariantList row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                switch (sqlite3_column_type(statement, i)) {
                case SQLITE_NULL:
                    row.append(QVariant());
                    break;
                case SQLITE_INTEGER:
                    row.append(qlonglong(sqlite3_column_int64(statement, i)));
                    break;
                case SQLITE_FLOAT:
                    row.append(sqlite3_column_double(statement, i));
                    break;
                default:
                    row.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, i)),
                                                 sqlite3_column_bytes(statement, i)));
                }
            }
            rows.append(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close_v2(db);
    return rows;
}

QSet<QString> setOf(const QStringList &list)
{
    return QSet<QString>(list.begin(), list.end());
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The file as it opens on a connection of its own: converted when it is a Jet file that opens.
bool openOnce(const QString &path, QString *error = nullptr)
{
    DbConnection connection;
    const bool ok = connection.OpenJet(path, databasePassword);
    if (error)
        *error = connection.LastError();
    connection.Close();
    return ok;
}

using Patches = QList<QPair<int, int>>; // offset and new value of single bytes

const JetConversionTarget ourTarget{createDatabaseFile, sqliteColumnDefinition, {}};

} // namespace

class TestJetFiles : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void headers_data();
    void headers();
    void dataFolderFromWindows();
    void convertedRecords_data();
    void convertedRecords();
    void lookupsAndAccount();
    void convertedTablesAreOurs();
    void secondOpenDoesNotConvert();
    void backupsAndOlderFiles_data();
    void backupsAndOlderFiles();
    void otherProgramRefused_data();
    void otherProgramRefused();
    void otherProgramRead();
    void badInputRefused_data();
    void badInputRefused();
    void movedRecordReadOnce();
    void damagedFilesReadSafely_data();
    void damagedFilesReadSafely();
    void failedWriteLeavesTheOriginal_data();
    void failedWriteLeavesTheOriginal();

private:
    QString data(const QString &name) const { return dir->filePath(QStringLiteral("data/") + name); }
    // A fixture copied into the data folder under the given name.
    QString place(const QString &fixtureName, const QString &name)
    {
        const QString target = data(name);
        QFile::remove(target);
        if (!QFile::copy(fixture(fixtureName), target))
            return {};
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }

    QTemporaryDir *dir = nullptr;
};

void TestJetFiles::init()
{
    dir = new QTemporaryDir;
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("data")));
    setProgramDirectory(dir->path());
}

void TestJetFiles::cleanup()
{
    userRecordset.Close();
    userConnection.Close();
    directoryRecordset.Close();
    directoryConnection.Close();
    auxRecordset.Close();
    auxConnection.Close();
    delete dir;
    dir = nullptr;
}

void TestJetFiles::headers_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("password");
    const auto ours = [](const char *name) {
        QTest::newRow(name) << QString::fromUtf8(name) << int(JetFormat::Jet4) << databasePassword;
    };
    for (const char *name : {"yhlb.dat", "张三_lc.dat", "alice_lc.dat", "alice-backup.lcabak", "张三-older-password.lcabak",
                             "张三.lc", "李四.lc", "张三-wrong-password.lc", "张三-negative-income.lc",
                             "张三-tiny-negative.lc", "张三-empty.lc"})
        ours(name);
    QTest::newRow("Jet 4 with a password") << "other-program-password-password.mdb" << int(JetFormat::Jet4) << "password";
    QTest::newRow("Jet 4 without") << "other-program-no-password.mdb" << int(JetFormat::Jet4) << "";
    QTest::newRow("Jet 3 without") << "other-program-jet3-no-password.mdb" << int(JetFormat::Jet3) << "";
    QTest::newRow("not Jet") << "README.md" << int(JetFormat::NotJet) << "";
}

void TestJetFiles::headers()
{
    QFETCH(QString, file);
    QFETCH(int, format);
    QFETCH(QString, password);
    const JetHeader header = readJetHeaderFile(fixture(file));
    QCOMPARE(int(header.format), format);
    QCOMPARE(header.password, password);
    QVERIFY(!header.enciphered);
}

void TestJetFiles::dataFolderFromWindows()
{
    QVERIFY(!place("yhlb.dat", "yhlb.dat").isEmpty());
    QVERIFY(!place("张三_lc.dat", "张三_lc.dat").isEmpty());
    QVERIFY(!place("alice_lc.dat", "alice_lc.dat").isEmpty());
    const QByteArray directoryBefore = fileBytes(data("yhlb.dat"));

    ScriptedPrompter prompter;
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    // Each kept original is named to the person once, after the file it belonged to is in use.
    const auto kept = [](const QString &names, const QString &them) {
        return QStringLiteral("已将Windows版的数据文件转换为本程序的格式，原文件保留为data文件夹中的") + names
            + QStringLiteral("。本程序不再使用") + them + QStringLiteral("，确认数据无误后可以删除。");
    };
    QCOMPARE(prompter.messages, QStringList{kept("“yhlb.dat.jet”", "它")});
    prompter.messages.clear();
    QCOMPARE(QSet<QString>(users.begin(), users.end()), (QSet<QString>{"张三", "alice"}));
    QCOMPARE(users.size(), 2);
    QCOMPARE(checkDatabaseFile(data("yhlb.dat"), databasePassword), DatabaseFileCheck::Ours);
    QCOMPARE(fileBytes(data("yhlb.dat.jet")), directoryBefore);

    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "000000", prompter), LoginOutcome::WrongPassword);
    QCOMPARE(logIn(userConnection, userRecordset, session, "alice", "000000", prompter), LoginOutcome::WrongPassword);
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "123456", prompter), LoginOutcome::LoggedIn);
    QCOMPARE(session.currentUser, QStringLiteral("张三"));
    QVERIFY(userRecordset.Open("select count(*) as n, sum(zcje) as e, sum(srje) as i from lcsj"));
    QCOMPARE(userRecordset.GetInteger("n"), 12);
    QVERIFY(std::fabs(userRecordset.GetNumber("e") - 1240952.54) < 0.005);
    QVERIFY(std::fabs(userRecordset.GetNumber("i") - 9700.56) < 0.005);
    // Day ranges read the converted dates as they read our own.
    QVERIFY(userRecordset.Open("select count(*) as n from lcsj where rq>=#2013-05-02# and rq<=#2013-05-10#"));
    QCOMPARE(userRecordset.GetInteger("n"), 4);

    QCOMPARE(logIn(userConnection, userRecordset, session, "alice", "alice pw", prompter), LoginOutcome::LoggedIn);
    QVERIFY(userRecordset.Open("select count(*) as n from lcsj"));
    QCOMPARE(userRecordset.GetInteger("n"), 0);
    // Both ledgers were converted by the refused logins; the next login names both.
    QCOMPARE(prompter.messages,
             (QStringList{"密码错误,请重新输入！", "密码错误,请重新输入！",
                          kept("“张三_lc.dat.jet”、“alice_lc.dat.jet”", "它们")}));

    QCOMPARE(filesIn(dir->filePath("data")),
             (QStringList{"alice_lc.dat", "alice_lc.dat.jet", "yhlb.dat", "yhlb.dat.jet", "张三_lc.dat", "张三_lc.dat.jet"}));
}

void TestJetFiles::convertedRecords_data()
{
    QTest::addColumn<QVariantList>("record");
    const QVariant null;
    const QVariant empty = QString("");
    const auto add = [](int id, const char *type, const char *name, double expense, double income, const char *person,
                        const char *day, const QVariant &added, const QVariant &remark) {
        QTest::addRow("record %d", id) << QVariantList{qlonglong(id), QString::fromUtf8(type), QString::fromUtf8(name),
                                                       expense, income, QString::fromUtf8(person), QString::fromUtf8(day),
                                                       added, added, remark};
    };
    const auto text = [](const char *s) { return QVariant(QString::fromUtf8(s)); };
    add(1, "生活", "早餐", 6.5, 0, "张三", "2013-05-02", text("2013-05-02 08:01:02"), text("包子和豆浆"));
    add(2, "生活", "午餐", 25, 0, "张三", "2013-05-02", text("2013-05-02 12:30:00"), empty);
    add(3, "工资", "月薪", 0, 8500, "张三", "2013-05-10", text("2013-05-10 09:00:00"), text("五月工资"));
    add(4, "交通", "地铁", 4, 0, "李四", "2013-05-10", text("2013-05-10 18:45:10"), null);
    add(5, "生活", "早餐", 7, 0, "李四", "2013-06-01", text("2013-06-01 07:59:59"), text("油条"));
    add(6, "医疗", "药品", 132.8, 0, "张三", "2013-06-15", text("2013-06-15 21:00:00"), text("感冒药, Tom's 推荐"));
    add(7, "工资", "奖金", 0, 1200.55, "张三", "2013-12-31", text("2013-12-31 23:59:59"), text("年终"));
    // Midnight is a day without a time, as our own stamps of midnight are.
    add(8, "生活", "水电", 210.35, 0, "张三", "2014-01-01", text("2014-01-01"), text("一月"));
    add(9, "人情", "红包", 0, 0, "王五", "2014-02-14", text("2014-02-14 10:10:10"), text("零金额记录"));
    add(10, "购物", "Laptop", 5999, 0, "Alice", "2014-03-31", text("2014-03-31 16:20:00"), text("multi\nline"));
    add(11, "理财", "利息", 0, 0.01, "张三", "2014-03-31", null, text("无时间戳"));
    add(12, "生活", "超长名称", 1234567.89, 0, "张三", "2014-04-01", text("2014-04-01 01:02:03"), text("大额"));
}

void TestJetFiles::convertedRecords()
{
    QFETCH(QVariantList, record);
    const QString path = place("张三_lc.dat", "张三_lc.dat");
    QVERIFY(openOnce(path));
    const QList<QVariantList> rows =
        query(path, QStringLiteral("select id, xmlx, xmmc, zcje, srje, ry, rq, tjrq, gxrq, bz from lcsj where id=%1")
                        .arg(record[0].toLongLong()));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0], record);
    QCOMPARE(query(path, "select count(*), round(sum(zcje), 2), round(sum(srje), 2) from lcsj"),
             (QList<QVariantList>{{12LL, 1240952.54, 9700.56}}));
}

void TestJetFiles::lookupsAndAccount()
{
    const QString path = place("张三_lc.dat", "张三_lc.dat");
    QVERIFY(openOnce(path));
    const auto column = [&](const QString &sql) {
        QStringList values;
        for (const QVariantList &row : query(path, sql)) {
            QStringList parts;
            for (const QVariant &v : row)
                parts.append(v.toString());
            values.append(parts.join(u'|'));
        }
        return values;
    };
    QCOMPARE(setOf(column("select xmlx from xmlxsj")),
             setOf(column("select distinct xmlx from lcsj")));
    QCOMPARE(column("select xmlx from xmlxsj").size(), 7);
    QCOMPARE(setOf(column("select xmmc, xmlx from xmmcsj")),
             setOf(column("select distinct xmmc, xmlx from lcsj")));
    QCOMPARE(column("select xmmc from xmmcsj").size(), 11);
    QCOMPARE(setOf(column("select ry from rysj")), (QSet<QString>{"张三", "李四", "王五", "Alice"}));
    QCOMPARE(column("select yhmc, yhmm from yhsj"), QStringList{"张三|e10adc3949ba59abbe56e057f20f883e"});
}

void TestJetFiles::convertedTablesAreOurs()
{
    // The converted ledger declares its columns as a ledger the program writes.
    const QString path = place("张三_lc.dat", "张三_lc.dat");
    QVERIFY(openOnce(path));
    const QString ours = data("ours_lc.dat");
    QVERIFY(writeTemplate(ledgerTemplate(), ours));
    for (const char *table : {"lcsj", "xmlxsj", "xmmcsj", "rysj", "yhsj"}) {
        const QString sql = QStringLiteral("select name, type, pk from pragma_table_info('%1')").arg(table);
        QCOMPARE(query(path, sql), query(ours, sql));
    }
    // Text lengths, date columns and the counter behave as in a file of ours.
    DbConnection connection;
    QVERIFY(connection.OpenJet(path, databasePassword));
    QVERIFY(!connection.Execute("insert into lcsj (xmlx, xmmc, zcje, srje, ry, rq) values ('生活','早餐',1.00,0.00,"
                                "'一二三四五六七八九十一二三四五六七八九十一','2014-05-01')"));
    QVERIFY(connection.Execute("insert into lcsj (xmlx, xmmc, zcje, srje, ry, rq, tjrq, gxrq) values ('生活','早餐',1.00,"
                               "0.00,'张三','2014-5-1','2014-05-01 08:00:00','2014-05-01 08:00:00')"));
    connection.Close();
    QCOMPARE(query(path, "select id, rq from lcsj where id > 12"), (QList<QVariantList>{{13LL, QString("2014-05-01")}}));
}

void TestJetFiles::secondOpenDoesNotConvert()
{
    const QString path = place("张三_lc.dat", "张三_lc.dat");
    const QByteArray original = fileBytes(path);
    QVERIFY(openOnce(path));
    const QByteArray converted = fileBytes(path);
    QVERIFY(converted.startsWith("SQLite format 3"));
    QCOMPARE(fileBytes(data("张三_lc.dat.jet")), original);
    QVERIFY(openOnce(path));
    QCOMPARE(fileBytes(path), converted);
    QCOMPARE(filesIn(dir->filePath("data")), (QStringList{"张三_lc.dat", "张三_lc.dat.jet"}));

    // A Jet file of the same name converted later keeps its original under a free name.
    QFile::remove(path);
    QVERIFY(!place("张三_lc.dat", "张三_lc.dat").isEmpty());
    QVERIFY(openOnce(path));
    QCOMPARE(filesIn(dir->filePath("data")), (QStringList{"张三_lc.dat", "张三_lc.dat.2.jet", "张三_lc.dat.jet"}));
    QCOMPARE(fileBytes(data("张三_lc.dat.2.jet")), original);
}

void TestJetFiles::backupsAndOlderFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("account"); // the query of the owner's name and digest
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("records");
    QTest::addColumn<double>("expense");
    QTest::addColumn<double>("income");
    const QString ledger = "select yhmc, yhmm from yhsj";
    const QString older = "select mc, mm from dlyh";
    QTest::newRow("backup") << "alice-backup.lcabak" << ledger << "alice" << "123456" << 2 << 31.5 << 0.0;
    QTest::newRow("backup, older password") << "张三-older-password.lcabak" << ledger << "张三" << "654321" << 4 << 35.5
                                            << 8500.0;
    QTest::newRow("older version") << "张三.lc" << older << "张三" << "123456" << 8 << 385.65 << 9700.55;
    QTest::newRow("older, another password") << "张三-wrong-password.lc" << older << "张三" << "000000" << 8 << 385.65
                                             << 9700.55;
    QTest::newRow("older, another user") << "李四.lc" << older << "李四" << "123456" << 8 << 385.65 << 9700.55;
    QTest::newRow("older, negative income") << "张三-negative-income.lc" << older << "张三" << "123456" << 2 << 5.0
                                            << -20.0;
    QTest::newRow("older, tiny negative") << "张三-tiny-negative.lc" << older << "张三" << "123456" << 1 << -0.00000005
                                          << 0.0;
    QTest::newRow("older, empty") << "张三-empty.lc" << older << "张三" << "123456" << 0 << 0.0 << 0.0;
}

void TestJetFiles::backupsAndOlderFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, account);
    QFETCH(QString, owner);
    QFETCH(QString, password);
    QFETCH(int, records);
    QFETCH(double, expense);
    QFETCH(double, income);
    // The restore and the migration open a working copy on auxConnection.
    const QString path = place(file, "temp.dat");
    QVERIFY(auxConnection.OpenJet(path, databasePassword));
    QVERIFY(auxRecordset.SetConnection(auxConnection));
    QVERIFY(auxRecordset.Open(account));
    QCOMPARE(auxRecordset.RecordCount(), 1);
    QCOMPARE(auxRecordset.GetText(0), owner);
    QCOMPARE(auxRecordset.GetText(1), passwordDigest(password));
    QVERIFY(auxRecordset.Open("select count(*) as n, sum(zcje) as e, sum(srje) as i from lcsj"));
    QCOMPARE(auxRecordset.GetInteger("n"), records);
    QVERIFY(std::fabs(auxRecordset.GetNumber("e") - expense) < 1e-9);
    QVERIFY(std::fabs(auxRecordset.GetNumber("i") - income) < 1e-9);
    // The restore's digest update works on the converted copy.
    if (account.contains("yhsj"))
        QVERIFY(auxConnection.Execute("update yhsj set yhmm='" + passwordDigest("new") + "' where yhmc='" + owner + "'"));
    auxRecordset.Close();
    auxConnection.Close();
    QCOMPARE(fileBytes(data("temp.dat.jet")), fileBytes(fixture(file)));
}

void TestJetFiles::otherProgramRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Jet 4 with a password") << "other-program-password-password.mdb";
    QTest::newRow("Jet 4 without a password") << "other-program-no-password.mdb";
    QTest::newRow("Jet 3 without a password") << "other-program-jet3-no-password.mdb";
}

void TestJetFiles::otherProgramRefused()
{
    QFETCH(QString, file);
    const QString path = place(file, "temp.dat");
    const QByteArray before = fileBytes(path);
    QString error;
    QVERIFY(!openOnce(path, &error));
    QCOMPARE(error, QStringLiteral("not a valid password"));
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(filesIn(dir->filePath("data")), QStringList{"temp.dat"});

    // Through the program: the user directory and the login refuse it with their messages.
    QVERIFY(!place(file, "yhlb.dat").isEmpty());
    ScriptedPrompter prompter;
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::EndProgram);
    QCOMPARE(prompter.messages, QStringList{"连接用户数据库失败！用户数据库可能已经打开！"});
    QVERIFY(!place(file, "张三_lc.dat").isEmpty());
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "123456", prompter), LoginOutcome::Refused);
    QCOMPARE(prompter.messages.last(), QStringLiteral("连接用户数据库失败！"));
    QCOMPARE(fileBytes(data("张三_lc.dat")), before);
}

void TestJetFiles::otherProgramRead()
{
    // Given its own password, another program's Jet 3 file reads whole, every column type of it.
    QList<JetTableData> tables;
    QString error;
    QVERIFY2(readJetDatabase(fixture("other-program-jet3-no-password.mdb"), &tables, &error), qPrintable(error));
    QCOMPARE(tables.size(), 4);
    QCOMPARE(tables[0].name, QStringLiteral("Table1"));
    QStringList types;
    for (const JetColumnInfo &c : tables[0].columns)
        types.append(c.name + u':' + c.type);
    QCOMPARE(types, (QStringList{"A:text", "B:text", "C:byte", "D:short", "E:long", "F:double", "G:datetime",
                                 "H:currency", "I:bit"}));
    QCOMPARE(tables[0].rows.size(), 2);
    QCOMPARE(tables[0].rows[1], (QVariantList{QString("abcdefg"), QString("hijklmnop"), 2LL, 222LL, 333333333LL, 444.555,
                                              27293.0, 3.5, -1LL}));
    QCOMPARE(tables[1].columns.size(), 89);

    // The same file as a Chinese Windows writes it: code page 936 in the hidden header, texts in
    // GBK. "abcdefg" becomes "早餐abc", seven bytes either way.
    QByteArray chinese = fileBytes(fixture("other-program-jet3-no-password.mdb"));
    const QByteArray key("\xC7\xDA\x39\x6B", 4);
    QByteArray hidden = jetRc4(key, chinese.mid(0x18, 128));
    hidden[0x3c - 0x18] = char(936 & 0xff);
    hidden[0x3d - 0x18] = char(936 >> 8);
    chinese.replace(0x18, 128, jetRc4(key, hidden));
    const qsizetype at = chinese.indexOf("abcdefg");
    QVERIFY(at > 0);
    chinese.replace(at, 7, toGbk(QStringLiteral("早餐abc")));
    const QString chinesePath = data("chinese.mdb");
    QVERIFY(writeFileBytes(chinesePath, chinese));
    QVERIFY2(readJetDatabase(chinesePath, &tables, &error), qPrintable(error));
    QCOMPARE(tables[0].rows[1].value(0), QVariant(QStringLiteral("早餐abc")));
    QCOMPARE(tables[0].rows[1].value(1), QVariant(QStringLiteral("hijklmnop")));

    const QString path = place("other-program-password-password.mdb", "other.mdb");
    const JetConversionResult result = convertJetFile(path, "password", ourTarget);
    QCOMPARE(int(result.outcome), int(JetConversion::Converted));
    QCOMPARE(query(path, "select count(*) from Table1"), (QList<QVariantList>{{3LL}}));
}

void TestJetFiles::badInputRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray ledger = fileBytes(fixture("张三_lc.dat"));
    QVERIFY(ledger.size() == 221184);

    QTest::newRow("cut in the middle of a page") << ledger.left(ledger.size() / 2 + 1000);
    for (int pages : {3, 10, 20, 40, 53})
        QTest::addRow("cut after %d pages", pages) << ledger.left(pages * 4096);
    QTest::newRow("header page only") << ledger.left(4096);
    QTest::newRow("half a header") << ledger.left(100);

    QByteArray enciphered = ledger;
    {
        const QByteArray key("\xC7\xDA\x39\x6B", 4);
        QByteArray header = jetRc4(key, enciphered.mid(0x18, 128));
        header.replace(0x3e - 0x18, 4, QByteArray("\x12\x34\x56\x78", 4));
        enciphered.replace(0x18, 128, jetRc4(key, header));
    }
    QTest::newRow("pages enciphered under a database key") << enciphered;

    QByteArray accdb = ledger;
    accdb[0x14] = 2;
    QTest::newRow("ACCDB version byte") << accdb;
    QByteArray ace = ledger;
    ace.replace(4, 15, "Standard ACE DB");
    ace[0x14] = 3;
    QTest::newRow("ACE signature") << ace;

    // The first row of every data page marked as moved away, as Jet marks a row that grew, but
    // with no new place to find it at: the records are missing, not skipped silently.
    QByteArray moved = ledger;
    for (qsizetype page = 4096; page < moved.size(); page += 4096)
        if (moved[page] == 0x01)
            moved[page + 0x0f] = char(moved[page + 0x0f] | 0x40);
    QTest::newRow("a row moved away to nowhere") << moved;

    QRandomGenerator random(12);
    QByteArray junk = ledger;
    for (qsizetype i = 4096; i < junk.size(); ++i)
        junk[i] = char(random.generate() & 0xff);
    QTest::newRow("junk after the header") << junk;
    QByteArray junkCatalog = ledger;
    for (qsizetype i = 2 * 4096; i < 3 * 4096; ++i)
        junkCatalog[i] = char(random.generate() & 0xff);
    QTest::newRow("junk catalog definition") << junkCatalog;
    QByteArray zeros = ledger;
    zeros.replace(4096, zeros.size() - 4096, QByteArray(zeros.size() - 4096, '\0'));
    QTest::newRow("empty pages after the header") << zeros;
}

void TestJetFiles::badInputRefused()
{
    QFETCH(QByteArray, bytes);
    const QString path = data("张三_lc.dat");
    QVERIFY(writeFileBytes(path, bytes));
    QString error;
    QVERIFY(!openOnce(path, &error));
    QCOMPARE(fileBytes(path), bytes);
    QCOMPARE(filesIn(dir->filePath("data")), QStringList{"张三_lc.dat"});
    ScriptedPrompter prompter;
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "123456", prompter), LoginOutcome::Refused);
    QCOMPARE(prompter.messages, QStringList{"连接用户数据库失败！"});
}

// Damage found by flipping bytes of the Jet 3 file, each of which stopped libmdb's own reading.
void TestJetFiles::damagedFilesReadSafely_data()
{
    QTest::addColumn<Patches>("patches");
    QTest::addColumn<int>("tables"); // 0: refused
    QTest::newRow("object properties libmdb reads for hours")
        << Patches{{60743, 67}, {78691, 89}, {98032, 99}} << 4;
    QTest::newRow("a table without usage map, read through null") << Patches{{110627, 105}} << 0;
}

void TestJetFiles::damagedFilesReadSafely()
{
    QFETCH(Patches, patches);
    QFETCH(int, tables);
    QByteArray bytes = fileBytes(fixture("other-program-jet3-no-password.mdb"));
    for (const auto &[at, value] : patches)
        bytes[at] = char(value);
    const QString path = data("damaged.mdb");
    QVERIFY(writeFileBytes(path, bytes));
    QList<JetTableData> read;
    QString error;
    QCOMPARE(readJetDatabase(path, &read, &error), tables > 0);
    QCOMPARE(read.size(), tables);
}

// Jet moves a row that an edit made too long for its page: the values go under a slot flagged
// "moved here" (0x8000) and the old slot, flagged "moved away" (0x4000), points to them. The
// ledger here has record 1 moved so, within its page: it is read once, with its values.
void TestJetFiles::movedRecordReadOnce()
{
    QByteArray bytes = fileBytes(fixture("张三_lc.dat"));
    const char16_t remark[] = u"包子和豆浆";
    const qsizetype at = bytes.indexOf(QByteArray(reinterpret_cast<const char *>(remark), 10));
    QVERIFY(at > 0);
    const int pageSize = 4096;
    const int page = int(at / pageSize), inPage = int(at % pageSize);
    char *p = bytes.data() + qsizetype(page) * pageSize;
    const auto get = [p](int offset) { return int(uchar(p[offset]) | uchar(p[offset + 1]) << 8); };
    const auto put = [p](int offset, int value) {
        p[offset] = char(value & 0xff);
        p[offset + 1] = char((value >> 8) & 0xff);
    };
    const int slotCount = get(12); // the page's slot count, the slot offsets follow it
    int moved = -1;
    for (int i = 0; i < slotCount; ++i) {
        const int start = get(14 + 2 * i) & 0x1fff;
        const int end = i == 0 ? pageSize : get(14 + 2 * (i - 1)) & 0x1fff;
        if (start <= inPage && inPage < end)
            moved = i;
    }
    QVERIFY(moved >= 0);
    put(14 + 2 * moved, get(14 + 2 * moved) | 0x8000);
    const int pointer = (get(14 + 2 * (slotCount - 1)) & 0x1fff) - 4;
    p[pointer] = char(moved);
    put(pointer + 1, page & 0xffff);
    p[pointer + 3] = char(page >> 16);
    put(14 + 2 * slotCount, pointer | 0x4000);
    put(12, slotCount + 1);
    put(2, get(2) - 6); // free space: the pointer and its slot
    const QString path = data("moved.dat");
    QVERIFY(writeFileBytes(path, bytes));

    QList<JetTableData> original, read;
    QString error;
    QVERIFY(readJetDatabase(fixture("张三_lc.dat"), &original, &error));
    QVERIFY2(readJetDatabase(path, &read, &error), qPrintable(error));
    const auto records = [](const QList<JetTableData> &tables) {
        for (const JetTableData &t : tables)
            if (t.name == QStringLiteral("lcsj"))
                return t.rows;
        return QList<QList<QVariant>>();
    };
    QCOMPARE(records(read).size(), 12);
    QCOMPARE(records(read), records(original));
}

void TestJetFiles::failedWriteLeavesTheOriginal_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("the new file cannot be made") << "create";
    QTest::newRow("a column type without counterpart") << "type";
    QTest::newRow("a row that does not fit") << "row";
}

void TestJetFiles::failedWriteLeavesTheOriginal()
{
    QFETCH(QString, failure);
    const QString path = place("张三_lc.dat", "张三_lc.dat");
    const QByteArray before = fileBytes(path);
    JetConversionTarget target = ourTarget;
    if (failure == "create")
        target.createFile = [](const QString &, const QString &) { return false; };
    if (failure == "type")
        target.columnDefinition = [](const QString &column, const QString &type, int length) {
            return type == "memo" ? QString() : sqliteColumnDefinition(column, type, length);
        };
    if (failure == "row") // the last table's texts held to one character
        target.columnDefinition = [](const QString &column, const QString &type, int length) {
            return sqliteColumnDefinition(column, type, column == "yhmm" ? 1 : length);
        };
    const JetConversionResult result = convertJetFile(path, databasePassword, target);
    QCOMPARE(int(result.outcome), int(JetConversion::Refused));
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(filesIn(dir->filePath("data")), QStringList{"张三_lc.dat"});
}

QTEST_GUILESS_MAIN(TestJetFiles)
#include "tst_jetfiles.moc"
