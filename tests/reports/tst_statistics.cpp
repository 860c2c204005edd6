// The statistics page's sums, with the clock on an ordinary day, in January and on 31 March.
#include "dataaccess/ledgerfixture.h"

#include "common/clock.h"
#include "dataaccess/instances.h"
#include "reports/statistics.h"
#include "support/scriptedprompter.h"

#include <QScopeGuard>

#include <ctime>

class TestStatistics : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void monthsByTheClock_data();
    void monthsByTheClock();
    void yearOnlyMarchAndNovember();
    void yearWithoutRecords();
    void sumsAreExact_data();
    void sumsAreExact();
    void bordersInEveryZone_data();
    void bordersInEveryZone();
    void yearList();
    void needsLogin();

private:
    LedgerFolder *folder = nullptr;
    ScriptedPrompter prompter;
};

void TestStatistics::init()
{
    folder = new LedgerFolder;
    QVERIFY(folder->openLedger("张三", userConnection, userRecordset));
    const QStringList records = {"10.00,0,'2011-12-31'", "1.00,0,'2012-01-01'", "0,100.00,'2012-01-31'",
                                 "2.50,0,'2012-02-29'",  "3.00,0,'2012-03-31'", "0,7.25,'2012-03-01'",
                                 "4.00,0,'2012-11-30'",  "0,50.00,'2012-11-01'", "5.00,0,'2012-12-15'"};
    for (const QString &r : records)
        QVERIFY2(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values ('生活','早餐'," + r.section(',', 0, 1)
                                        + ",'张三'," + r.section(',', 2) + ")"),
                 qPrintable(userConnection.LastError()));
    prompter = ScriptedPrompter();
}

void TestStatistics::cleanup()
{
    userRecordset.Close();
    userConnection.Close();
    delete folder;
    Clock::useSystemTime();
}

void TestStatistics::monthsByTheClock_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("expected"); // captions, current sums, previous sums
    QTest::newRow("an ordinary day") << QDate(2012, 12, 15)
                                     << QStringList{"当月（12月）", "上月（11月）", "5.00/0.00", "4.00/50.00"};
    QTest::newRow("January looks back to December") << QDate(2012, 1, 20)
                                                    << QStringList{"当月（1月）", "上月（12月）", "1.00/100.00", "10.00/0.00"};
    QTest::newRow("31 March looks back to February") << QDate(2012, 3, 31)
                                                     << QStringList{"当月（3月）", "上月（2月）", "3.00/7.25", "2.50/0.00"};
}

void TestStatistics::monthsByTheClock()
{
    QFETCH(QDate, today);
    QFETCH(QStringList, expected);
    Clock::setFixed(QDateTime(today, QTime(23, 59, 59)));
    Statistics s;
    QVERIFY(computeStatistics(userRecordset, true, today.year(), prompter, &s));
    QCOMPARE(QStringList({s.currentCaption, s.previousCaption, s.current.expense + '/' + s.current.income,
                          s.previous.expense + '/' + s.previous.income}),
             expected);
    QCOMPARE(s.allTime.expense + '/' + s.allTime.income, QStringLiteral("25.50/157.25"));
}

void TestStatistics::yearOnlyMarchAndNovember()
{
    QVERIFY(userConnection.Execute("delete from lcsj where month(rq)<>3 and month(rq)<>11"));
    const YearStatistics y = computeYear(userRecordset, 2012);
    QStringList months;
    for (const Sums &m : y.months)
        months << m.expense + '/' + m.income;
    QCOMPARE(months, (QStringList{"0.00/0.00", "0.00/0.00", "3.00/7.25", "0.00/0.00", "0.00/0.00", "0.00/0.00",
                                  "0.00/0.00", "0.00/0.00", "0.00/0.00", "0.00/0.00", "4.00/50.00", "0.00/0.00"}));
    QCOMPARE(y.total.expense + '/' + y.total.income, QStringLiteral("7.00/57.25"));
    QCOMPARE(y.caption, QStringLiteral("（2012）"));
}

void TestStatistics::yearWithoutRecords()
{
    const YearStatistics y = computeYear(userRecordset, 2005);
    QCOMPARE(y.months.size(), 12);
    for (const Sums &m : y.months)
        QCOMPARE(m.expense + m.income, QStringLiteral("0.000.00"));
    QCOMPARE(y.total.expense + '/' + y.total.income, QStringLiteral("0.00/0.00"));
}

// Sums of amounts are exact however many are added: a figure beside the limit keeps its cents, and
// a sum beyond what a double tells to the cent shows no figure rather than a wrong one.
void TestStatistics::sumsAreExact_data()
{
    QTest::addColumn<QStringList>("expenses"); // amount*count
    QTest::addColumn<QString>("sum");
    QTest::newRow("a hundred cents beside a large amount") << QStringList{"9999999999998.99*1", "0.01*100"}
                                                          << "9999999999999.99";
    QTest::newRow("a thousand tenths") << QStringList{"0.10*1000"} << "100.00";
    QTest::newRow("cents that cancel") << QStringList{"9999999999999.99*1", "0.01*50", "-9999999999999.99*1"} << "0.50";
    QTest::newRow("two largest amounts") << QStringList{"9999999999999.99*2"} << "超出范围";
}

void TestStatistics::sumsAreExact()
{
    QFETCH(QStringList, expenses);
    QFETCH(QString, sum);
    QVERIFY(userConnection.Execute("delete from lcsj"));
    QVERIFY(userConnection.BeginTrans());
    for (const QString &e : expenses)
        for (int n = e.section('*', 1).toInt(); n > 0; --n)
            QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values ('生活','早餐',"
                                           + e.section('*', 0, 0) + ",0,'张三','2012-05-01')"));
    QVERIFY(userConnection.CommitTrans());
    Clock::setFixed(QDateTime(QDate(2012, 5, 20), QTime(12, 0)));
    Statistics s;
    QVERIFY(computeStatistics(userRecordset, true, 2012, prompter, &s));
    QCOMPARE(QStringList({s.allTime.expense, s.current.expense, s.year.months[4].expense, s.year.total.expense}),
             QStringList(4, sum));
}

// Records at the edges of months, and on days a time zone starts at one o'clock, count in the month
// their digits name, whatever zone the program runs in.
void TestStatistics::bordersInEveryZone_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::newRow("UTC") << QByteArray("UTC");
    QTest::newRow("Shanghai") << QByteArray("Asia/Shanghai");
    QTest::newRow("Sao Paulo, whose clocks skipped the midnight of 21 October 2012") << QByteArray("America/Sao_Paulo");
}

void TestStatistics::bordersInEveryZone()
{
    QFETCH(QByteArray, zone);
    const QByteArray startZone = qgetenv("TZ");
    qputenv("TZ", zone);
    tzset();
    const auto restore = qScopeGuard([&] {
        if (startZone.isEmpty())
            qunsetenv("TZ");
        else
            qputenv("TZ", startZone);
        tzset();
    });
    QVERIFY(userConnection.Execute("delete from lcsj"));
    const QStringList records = {"1.00,'2012-09-30 23:59:59'", "2.00,'2012-10-01'",          "4.00,'2012-10-21'",
                                 "8.00,'2012-10-31 23:59:59'", "16.00,'2012-11-01'",         "32.00,'2012-11-30 23:59:59'",
                                 "64.00,'2012-12-31 23:59:59'", "128.00,'2013-01-01'",       "256.00,'1986-05-04 02:30:00'"};
    for (const QString &r : records)
        QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values ('生活','早餐'," + r.section(',', 0, 0)
                                       + ",0,'张三'," + r.section(',', 1) + ")"));
    Clock::setFixed(QDateTime(QDate(2012, 11, 1), QTime(0, 0, 30)));
    Statistics s;
    QVERIFY(computeStatistics(userRecordset, true, 2012, prompter, &s));
    QStringList months;
    for (const Sums &m : s.year.months)
        months << m.expense;
    QCOMPARE(QStringList({s.allTime.expense, s.current.expense, s.previous.expense, s.year.total.expense}),
             QStringList({"511.00", "48.00", "14.00", "127.00"}));
    QCOMPARE(months, (QStringList{"0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "1.00", "14.00",
                                  "48.00", "64.00"}));
}

void TestStatistics::yearList()
{
    Clock::setFixed(QDateTime(QDate(2012, 6, 1), QTime(9, 0)));
    int index = -1;
    const QStringList years = ::yearList(&index);
    QCOMPARE(years.first(), QStringLiteral("2000"));
    QCOMPARE(years.last(), QStringLiteral("2016"));
    QCOMPARE(years.size(), 17);
    QCOMPARE(years.value(index), QStringLiteral("2012"));
}

void TestStatistics::needsLogin()
{
    Statistics s;
    QVERIFY(!computeStatistics(userRecordset, false, 2012, prompter, &s));
    QCOMPARE(prompter.messages, QStringList{"请先登录！"});
}

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
