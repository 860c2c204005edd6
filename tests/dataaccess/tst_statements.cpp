// Every statement the program builds, run as the program runs it against files written from the
// empty templates, checked by the rows and values a person would see.
#include "ledgerfixture.h"

#include "common/clock.h"
#include "common/sqltext.h"
#include "dataaccess/jetfunctions.h"
#include "dataaccess/dbrecordset.h"
#include "dataaccess/pg/serverstore.h"
#include "ledger/templates.h"
#include "users/passworddigest.h"

#include <QFile>
#include <sqlite3.h>

#include <ctime>

class TestStatements : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void queries_data();
    void queries();
    void changes_data();
    void changes();
    void emptyLedgerSumsReadAsZero();
    void transactionSavesAllOrNothing();
    void migrationReadsTheOlderLayout();
    void dayRangesUseTheDayIndex();
    void dateFunctionsReadTheDigits_data();
    void dateFunctionsReadTheDigits();
    void clockFunctionsStayOutOfTheSchema();

private:
    LedgerFolder *folder = nullptr;
    DbConnection connection;
    DbRecordset recordset;
};

static const QStringList records = {
    // type, name, expense, income, person, day
    "'生活','早餐',12.50,0.00,'张三','2012-11-01'",
    "'生活','午餐',20.00,0.00,'李四','2012-11-30'",
    "'工资','月薪',0.00,5000.00,'张三','2012-11-15'",
    "'生活','晚餐',30.25,0.00,'张三','2012-12-01'",
    "'交通','公交',2.00,0.00,'李四','2012-10-31'",
    "'工资','奖金',0.00,1000.00,'张三','2012-03-08'",
};

void TestStatements::init()
{
    Clock::setFixed(QDateTime(QDate(2012, 12, 15), QTime(20, 30, 5)));
    folder = new LedgerFolder;
    QVERIFY(folder->openLedger(QStringLiteral("张三"), connection, recordset));
    for (const QString &r : records) {
        const QStringList v = r.split(u',');
        const QString statement = "insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values (" + r
            + ",'','2012-12-15 20:30:05','2012-12-15 20:30:05')";
        QVERIFY2(connection.Execute(statement), qPrintable(connection.LastError()));
    }
    QVERIFY(connection.Execute("insert into yhsj(yhmc,yhmm,tjrq,gxrq) values ('张三','" + passwordDigest("secret")
                               + "','2012-12-15 20:30:05','2012-12-15 20:30:05')"));
    for (const char *type : {"生活", "交通", "工资", "Apple", "bank"})
        QVERIFY(connection.Execute(QStringLiteral("insert into xmlxsj(xmlx) values ('%1')").arg(QString::fromUtf8(type))));
    for (const char *name : {"早餐", "午餐", "晚餐"})
        QVERIFY(connection.Execute(QStringLiteral("insert into xmmcsj(xmmc,xmlx) values ('%1','生活')").arg(QString::fromUtf8(name))));
    QVERIFY(connection.Execute("insert into xmmcsj(xmmc,xmlx) values ('公交','交通')"));
    QVERIFY(connection.Execute("insert into rysj(ry) values ('李四')"));
    QVERIFY(connection.Execute("insert into rysj(ry) values ('张三')"));
}

void TestStatements::cleanup()
{
    recordset.Close();
    connection.Close();
    delete folder;
    folder = nullptr;
    Clock::useSystemTime();
}

void TestStatements::queries_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("detail view of a month, both end days")
        << "select * from lcsj where rq>=#2012-11-01# and rq<=#2012-11-30# order by rq" << QStringList{"rq", "xmmc", "zcje", "srje", "ry"}
        << QStringList{"2012-11-01|早餐|12.5|0|张三", "2012-11-15|月薪|0|5000|张三", "2012-11-30|午餐|20|0|李四"};
    QTest::newRow("summary by item type, types by pronunciation")
        << "select xmlx,sum(zcje) as zcje1,sum(srje) as srje1 from lcsj where rq>=#2012-11-01# and rq<=#2012-11-30# group by xmlx"
        << QStringList{"xmlx", "zcje1", "srje1"} << QStringList{"工资|0|5000", "生活|32.5|0"};
    QTest::newRow("summary by item name")
        << "select xmmc,sum(zcje) as zcje1,sum(srje) as srje1 from lcsj where rq>=#2012-11-01# and rq<=#2012-11-30# group by xmmc"
        << QStringList{"xmmc", "zcje1", "srje1"} << QStringList{"午餐|20|0", "月薪|0|5000", "早餐|12.5|0"};
    QTest::newRow("all-time sums") << "select sum(zcje) as zcje1,sum(srje) as srje1 from lcsj"
                                   << QStringList{"zcje1", "srje1"} << QStringList{"64.75|6000"};
    QTest::newRow("this month") << "select sum(zcje) as zcje1,sum(srje) as srje1 from lcsj where month(rq)=Month(now()) and year(rq)=year(now())"
                                << QStringList{"zcje1", "srje1"} << QStringList{"30.25|0"};
    QTest::newRow("last month")
        << "select sum(zcje) as zcje1,sum(srje) as srje1 from lcsj where month(rq)=Month(DateAdd('M',-1,now())) and year(rq)=year(DateAdd('M',-1,now()))"
        << QStringList{"zcje1", "srje1"} << QStringList{"32.5|5000"};
    QTest::newRow("months of a year")
        << "select month(rq)&'月' as yf,sum(zcje) as zc,sum(srje) as sr from lcsj where year(rq)=2012 group by month(rq)"
        << QStringList{"yf", "zc", "sr"} << QStringList{"3月|0|1000", "10月|2|0", "11月|32.5|5000", "12月|30.25|0"};
    QTest::newRow("sums of a year") << "select sum(zcje) as zc1,sum(srje) as sr1 from lcsj where year(rq)=2012"
                                    << QStringList{"zc1", "sr1"} << QStringList{"64.75|6000"};
    QTest::newRow("a year without records is Null") << "select sum(zcje) as zc1,sum(srje) as sr1 from lcsj where year(rq)=2011"
                                                    << QStringList{"zc1", "sr1"} << QStringList{"|"};
    QTest::newRow("sums of whole numbers stay whole") << "select sum(id) as n from lcsj" << QStringList{"n"}
                                                     << QStringList{"21"};
    QTest::newRow("count") << "select count(*) as n from lcsj" << QStringList{"n"} << QStringList{"6"};
    QTest::newRow("one record by id") << "select * from lcsj where id=3" << QStringList{"xmmc", "rq", "tjrq"}
                                      << QStringList{"月薪|2012-11-15|2012-12-15 20:30:05"};
    QTest::newRow("item types, Latin letters without regard to case")
        << "select * from xmlxsj order by xmlx" << QStringList{"xmlx"} << QStringList{"Apple", "bank", "工资", "交通", "生活"};
    QTest::newRow("item names of a type") << "select * from xmmcsj where xmlx='生活' order by xmmc" << QStringList{"xmmc"}
                                          << QStringList{"晚餐", "午餐", "早餐"};
    QTest::newRow("persons") << "select * from rysj order by ry" << QStringList{"ry"} << QStringList{"李四", "张三"};
    QTest::newRow("login reads the digest") << "select * from yhsj where yhmc='张三'" << QStringList{"yhmm"}
                                            << QStringList{passwordDigest("secret")};
    QTest::newRow("another name finds no account") << "select * from yhsj where yhmc='李四'" << QStringList{"yhmm"} << QStringList{};
    QTest::newRow("trailing space is another name") << "select * from yhsj where yhmc='张三 '" << QStringList{"yhmm"} << QStringList{};
    QTest::newRow("texts compare without regard to case") << "select * from xmlxsj where xmlx='APPLE'" << QStringList{"xmlx"}
                                                           << QStringList{"Apple"};
    QTest::newRow("a time of day after the last day falls outside")
        << "select count(*) as n from lcsj where rq<=#2012-10-31 23:59:59#" << QStringList{"n"} << QStringList{"2"};
}

void TestStatements::queries()
{
    QFETCH(QString, query);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, rows);
    QCOMPARE(rowsOf(recordset, query, columns), rows);
}

void TestStatements::changes_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("rows");
    const QString now = "2012-12-15 20:30:05";
    QTest::newRow("save an entry")
        << "insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values ('生活','夜宵',8.80,0.00,'张三','2012-12-15','" + quoteText("Tom's treat").mid(1).chopped(1) + "','" + now + "','" + now + "')"
        << true << "select * from lcsj where xmmc='夜宵'" << QStringList{"zcje", "rq", "bz", "tjrq", "gxrq"}
        << QStringList{"8.8|2012-12-15|Tom's treat|" + now + "|" + now};
    QTest::newRow("modify an entry")
        << "update lcsj set xmlx='生活',xmmc='早点',zcje=15.00,srje=0.00,ry='张三',rq='2012-11-2',bz='改',gxrq='2012-12-16 07:00:00' where id=1"
        << true << "select * from lcsj where id=1" << QStringList{"xmmc", "zcje", "rq", "bz", "tjrq", "gxrq"}
        << QStringList{"早点|15|2012-11-02|改|" + now + "|2012-12-16 07:00:00"};
    QTest::newRow("delete an entry") << "delete from lcsj where id=2" << true << "select count(*) as n from lcsj"
                                     << QStringList{"n"} << QStringList{"5"};
    QTest::newRow("new item type") << "insert into xmlxsj(xmlx) values ('医疗')" << true
                                   << "select count(*) as n from xmlxsj where xmlx='医疗'" << QStringList{"n"} << QStringList{"1"};
    QTest::newRow("new person") << "insert into rysj(ry) values ('王五')" << true << "select * from rysj order by ry"
                                << QStringList{"ry"} << QStringList{"李四", "王五", "张三"};
    QTest::newRow("delete an item name under every type") << "delete from xmmcsj where xmmc='午餐'" << true
                                                            << "select * from xmmcsj order by xmmc" << QStringList{"xmmc"}
                                                            << QStringList{"公交", "晚餐", "早餐"};
    QTest::newRow("delete an item type") << "delete from xmlxsj where xmlx='生活'" << true
                                         << "select * from xmlxsj order by xmlx" << QStringList{"xmlx"}
                                         << QStringList{"Apple", "bank", "工资", "交通"};
    QTest::newRow("change the password") << "update yhsj set yhmm='" + passwordDigest("new") + "' where yhmc='张三'" << true
                                         << "select * from yhsj" << QStringList{"yhmm", "gxrq"}
                                         << QStringList{passwordDigest("new") + "|" + now};
    QTest::newRow("delete the account") << "delete from yhsj where yhmc='张三'" << true << "select count(*) as n from yhsj"
                                        << QStringList{"n"} << QStringList{"0"};
    QTest::newRow("empty the ledger") << "delete from lcsj" << true << "select count(*) as n from lcsj" << QStringList{"n"}
                                      << QStringList{"0"};
    QTest::newRow("migration insert, no updated-at")
        << "insert into lcsj(xmlx,xmmc,zcje,srje,ry,bz,rq,tjrq) values ('旧','旧账',1.00,0.00,'张三','','2001-01-01','2012-12-15')"
        << true << "select * from lcsj where xmlx='旧'" << QStringList{"rq", "tjrq", "gxrq"} << QStringList{"2001-01-01|2012-12-15|"};
    QTest::newRow("person of 21 characters fits the list")
        << "insert into rysj(ry) values ('" + QString(21, u'人') + "')" << true << "select count(*) as n from rysj"
        << QStringList{"n"} << QStringList{"3"};
    QTest::newRow("person of 21 characters does not fit a record")
        << "insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values ('生活','早餐',1.00,0.00,'" + QString(21, u'人') + "','2012-12-15','','" + now + "','" + now + "')"
        << false << "select count(*) as n from lcsj" << QStringList{"n"} << QStringList{"6"};
    QTest::newRow("item type of 31 characters does not fit a record")
        << "update lcsj set xmlx='" + QString(31, u'类') + "' where id=1" << false << "select xmlx from lcsj where id=1"
        << QStringList{"xmlx"} << QStringList{"生活"};
    // Declared lengths count UTF-16 units, as Jet counts them: a character beyond the Basic
    // Multilingual Plane counts two, and a NUL counts like any other character.
    QString emoji15;
    for (int i = 0; i < 15; ++i)
        emoji15 += QString::fromUcs4(U"\U0001F600");
    QTest::newRow("item type of 15 emoji fits")
        << "update lcsj set xmlx='" + emoji15 + "' where id=1" << true << "select count(*) as n from lcsj where xmlx='" + emoji15 + "'"
        << QStringList{"n"} << QStringList{"1"};
    QTest::newRow("item type of 15 emoji and a letter does not fit")
        << "update lcsj set xmlx='" + emoji15 + "a' where id=1" << false << "select xmlx from lcsj where id=1"
        << QStringList{"xmlx"} << QStringList{"生活"};
    QTest::newRow("item type of 30 emoji does not fit")
        << "update lcsj set xmlx='" + emoji15 + emoji15 + "' where id=1" << false << "select xmlx from lcsj where id=1"
        << QStringList{"xmlx"} << QStringList{"生活"};
    // The server keeps no NUL in a text: it refuses the change rather than keep the text cut short.
    if (databaseServer())
        QTest::newRow("item type with a NUL is refused on the server")
            << "update lcsj set xmlx='a" + QString(QChar(u'\0')) + QString(28, u'类') + "' where id=1" << false
            << "select xmlx from lcsj where id=1" << QStringList{"xmlx"} << QStringList{"生活"};
    else
        QTest::newRow("item type of 30 with a NUL fits")
            << "update lcsj set xmlx='a" + QString(QChar(u'\0')) + QString(28, u'类') + "' where id=1" << true
            << "select count(*) as n from lcsj where xmlx like 'a%'" << QStringList{"n"} << QStringList{"1"};
    QTest::newRow("item type of 42 with a NUL does not fit")
        << "update lcsj set xmlx='a" + QString(QChar(u'\0')) + QString(40, u'类') + "' where id=1" << false
        << "select xmlx from lcsj where id=1" << QStringList{"xmlx"} << QStringList{"生活"};
    QTest::newRow("an undoubled quote is refused") << "insert into rysj(ry) values ('Tom's')" << false
                                                   << "select count(*) as n from rysj" << QStringList{"n"} << QStringList{"2"};
    QTest::newRow("a day that is no date") << "update lcsj set rq='2012-13-01' where id=1" << false
                                           << "select rq from lcsj where id=1" << QStringList{"rq"} << QStringList{"2012-11-01"};
    QTest::newRow("letters in an amount") << "update lcsj set zcje='abc' where id=1" << false
                                          << "select zcje from lcsj where id=1" << QStringList{"zcje"} << QStringList{"12.5"};
    QTest::newRow("a second statement is refused") << "delete from lcsj where id=1; delete from lcsj" << false
                                                   << "select count(*) as n from lcsj" << QStringList{"n"} << QStringList{"6"};
    QTest::newRow("a syntax error changes nothing") << "delete lcsj where" << false << "select count(*) as n from lcsj"
                                                    << QStringList{"n"} << QStringList{"6"};
    QTest::newRow("a missing table") << "insert into nosuch(a) values (1)" << false << "select count(*) as n from lcsj"
                                     << QStringList{"n"} << QStringList{"6"};
    QTest::newRow("attaching another file is refused") << "attach database 'x.db' as x" << false
                                                       << "select count(*) as n from lcsj" << QStringList{"n"} << QStringList{"6"};
}

void TestStatements::changes()
{
    QFETCH(QString, statement);
    QFETCH(bool, runs);
    QFETCH(QString, check);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, rows);
    QCOMPARE(connection.Execute(statement), runs);
    if (!runs)
        QVERIFY(!connection.LastError().isEmpty());
    QCOMPARE(rowsOf(recordset, check, columns), rows);
}

void TestStatements::emptyLedgerSumsReadAsZero()
{
    QVERIFY(connection.Execute("delete from lcsj"));
    QVERIFY(recordset.Open("select sum(zcje) as zcje1,sum(srje) as srje1 from lcsj"));
    QCOMPARE(recordset.RecordCount(), 1);
    QCOMPARE(recordset.GetNumber("zcje1"), 0.0);
    QCOMPARE(recordset.GetText("srje1"), QString());
    // Counts are read by position, as the backup page reads them.
    QVERIFY(recordset.Open("select count(*) from lcsj"));
    QCOMPARE(recordset.GetText(0), QStringLiteral("0"));
}

void TestStatements::transactionSavesAllOrNothing()
{
    const QString insert = "insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values ('生活','%1',1.00,0.00,'%2','2012-12-15','','2012-12-15 20:30:05','2012-12-15 20:30:05')";
    QCOMPARE(connection.BeginTrans(), 1);
    QVERIFY(connection.Execute(insert.arg("甲", "张三")));
    QVERIFY(!connection.Execute(insert.arg("乙", QString(30, u'人'))));
    QVERIFY(connection.RollbackTrans());
    QCOMPARE(rowsOf(recordset, "select count(*) as n from lcsj", {"n"}), QStringList{"6"});

    QCOMPARE(connection.BeginTrans(), 1);
    QVERIFY(connection.Execute(insert.arg("甲", "张三")));
    QVERIFY(connection.Execute(insert.arg("乙", "李四")));
    QVERIFY(connection.CommitTrans());
    QCOMPARE(rowsOf(recordset, "select count(*) as n from lcsj", {"n"}), QStringList{"8"});
    // Nothing left to commit or roll back.
    QVERIFY(!connection.CommitTrans());
    QVERIFY(!connection.RollbackTrans());
}

void TestStatements::migrationReadsTheOlderLayout()
{
    DbConnection old;
    DbRecordset oldRecords;
    const QString path = folder->path("data/temp2.dat");
    QVERIFY(createDatabaseFile(path, databasePassword));
    QVERIFY(old.OpenJet(path, databasePassword));
    QVERIFY(oldRecords.SetConnection(old));
    QVERIFY(old.Execute("create table dlyh (id counter primary key, mc text(50), mm text(50))"));
    QVERIFY(old.Execute("create table lcsj (id counter primary key, xmlx text(50), xmmc text(50), zcje double, srje double, ry text(50), bz memo, rq datetime)"));
    QVERIFY(old.Execute("insert into dlyh(mc,mm) values ('张三','" + passwordDigest("secret") + "')"));
    QVERIFY(old.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,bz,rq) values ('生活','早餐',3.50,0,'张三',null,'2005-6-7')"));
    QCOMPARE(rowsOf(oldRecords, "select * from dlyh where mc='张三'", {"mm"}), QStringList{passwordDigest("secret")});
    QVERIFY(oldRecords.Open("select * from lcsj"));
    QCOMPARE(oldRecords.RecordCount(), 1);
    QCOMPARE(oldRecords.GetNumber("zcje"), 3.5);
    QCOMPARE(oldRecords.GetText("bz"), QString());
    QCOMPARE(oldRecords.GetDateTime("rq"), QDateTime(QDate(2005, 6, 7), QTime(0, 0)));
}

void TestStatements::dayRangesUseTheDayIndex()
{
    // A month of a long ledger is found through the day index, not by reading every record.
    if (databaseServer())
        QSKIP("asks the SQLite file itself for its query plan; the ledger is a schema on the server");
    const JetStatement jet = translateJet("select * from lcsj where rq>=#2012-11-01# and rq<=#2012-11-30# order by rq", {});
    sqlite3 *db = nullptr;
    QVERIFY(sqlite3_open_v2(QFile::encodeName(folder->path("data/张三_lc.dat")).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK);
    sqlite3_stmt *plan = nullptr;
    QVERIFY(sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + jet.sql).toUtf8().constData(), -1, &plan, nullptr) == SQLITE_OK);
    QString details;
    while (sqlite3_step(plan) == SQLITE_ROW)
        details += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan, 3))) + ';';
    sqlite3_finalize(plan);
    sqlite3_close(db);
    QVERIFY2(details.contains("USING INDEX lcsj_rq"), qPrintable(details));
}

void TestStatements::dateFunctionsReadTheDigits_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("value");
    // Shanghai skipped 02:00 to 03:00 on 4 May 1986 and went back from 02:00 to 01:00 on 14 September.
    QTest::newRow("hour the zone skipped") << "hour('1986-05-04 02:30:00')" << "2";
    QTest::newRow("minute the zone skipped") << "minute('1986-05-04 02:30:00')" << "30";
    QTest::newRow("an hour added over the skipped hour") << "DateAdd('h',1,#1986-05-04 01:30:00#)" << "1986-05-04 02:30:00";
    QTest::newRow("an hour added over the repeated hour") << "DateAdd('n',60,#1986-09-14 00:30:00#)" << "1986-09-14 01:30:00";
    QTest::newRow("a day added onto the skipped hour") << "DateAdd('d',1,#1986-05-03 02:30:00#)" << "1986-05-04 02:30:00";
    QTest::newRow("a month back from 31 March") << "DateAdd('M',-1,#2012-03-31#)" << "2012-02-29";
    QTest::newRow("last second of a year, month") << "month(#2012-12-31 23:59:59#)" << "12";
    QTest::newRow("last second of a year, year") << "year(#2012-12-31 23:59:59#)" << "2012";
    QTest::newRow("first day of a year") << "year(#2013-01-01#)*100+month(#2013-01-01#)" << "201301";
    QTest::newRow("a serial late on the last day") << "year(41274.99)*100+month(41274.99)" << "201212";
    QTest::newRow("a serial's hour") << "hour(41274.75)" << "18";
    QTest::newRow("a text in another form") << "month('2012/3/5 8:03')*100+hour('2012/3/5 8:03')" << "308";
    QTest::newRow("Sunday is day one") << "weekday(#2012-12-16#)" << "1";
    QTest::newRow("jetdate keeps the skipped hour") << "jetdate('1986/5/4 2:30')" << "1986-05-04 02:30:00";
    QTest::newRow("now by the program's clock") << "now()" << "2012-12-15 20:30:05";
    QTest::newRow("last month by the program's clock") << "month(DateAdd('M',-1,now()))" << "11";
}

void TestStatements::dateFunctionsReadTheDigits()
{
    // The date functions read the day and time a value's digits give, whatever the local time zone
    // makes of that moment.
    QFETCH(QString, expression);
    QFETCH(QString, value);
    const QByteArray startZone = qgetenv("TZ");
    qputenv("TZ", "Asia/Shanghai");
    tzset();
    const bool opened = recordset.Open("select " + expression + " as v from yhsj");
    const QString read = opened ? recordset.GetText("v") : connection.LastError();
    if (startZone.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", startZone);
    tzset();
    QVERIFY2(opened, qPrintable(read));
    QCOMPARE(read, value);
}

void TestStatements::clockFunctionsStayOutOfTheSchema()
{
    // now() is read once per run of a statement; a trigger or view stored in the file must not
    // take it for a constant, so the schema cannot use it.
    sqlite3 *db = nullptr;
    QVERIFY(sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK);
    QVERIFY(installJetFunctions(db));
    QCOMPARE(sqlite3_exec(db, "create table t(a); create view v as select now() as n from t; select * from v", nullptr, nullptr, nullptr),
             SQLITE_ERROR);
    sqlite3_close(db);
}

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
