// The detail and summary views of a date range and the totals under them.
#include "dataaccess/ledgerfixture.h"

#include "dataaccess/instances.h"
#include "common/numbers.h"
#include "ledger/entry.h"
#include "reports/statistics.h"
#include "reports/views.h"
#include "support/scriptedprompter.h"

class TestViews : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void views_data();
    void views();
    void refusalsKeepTheList();
    void summariesOrderMixedNames_data();
    void summariesOrderMixedNames();
    void repeatedTextsStayTheirOwn();
    void countedTotalsAreThoseOfTheShownCells();
    void aLedgerOfItsOwn();
    void totals_data();
    void totals();
    void remarkColumn_data();
    void remarkColumn();

private:
    LedgerFolder *folder = nullptr;
    ScriptedPrompter prompter;
};

void TestViews::init()
{
    folder = new LedgerFolder;
    QVERIFY(folder->openLedger("张三", userConnection, userRecordset));
    const QStringList records = {
        "'生活','早餐',12.50,0.00,'张三','2012-11-01','豆浆'", "'生活','午餐',20.00,0.00,'李四','2012-11-30',''",
        "'工资','月薪',0.00,5000.00,'张三','2012-11-15',null", "'生活','早餐',7.25,0.00,'张三','2012-11-15','Tom''s'",
        "'交通','公交',2.00,0.00,'李四','2012-10-31',''",     "'生活','晚餐',30.00,0.00,'张三','2012-12-01',''"};
    for (const QString &r : records)
        QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values (" + r + ")"));
    prompter = ScriptedPrompter();
}

void TestViews::cleanup()
{
    userRecordset.Close();
    userConnection.Close();
    delete folder;
}

void TestViews::views_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("grouping");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("detail, both end days") << detailMode << int(ViewGrouping::None)
                                           << QStringList{"1:生活|早餐|12.50|0.00|张三|2012-11-01|豆浆",
                                                          "3:工资|月薪|0.00|5000.00|张三|2012-11-15|",
                                                          "4:生活|早餐|7.25|0.00|张三|2012-11-15|Tom's",
                                                          "2:生活|午餐|20.00|0.00|李四|2012-11-30|"};
    QTest::newRow("summary by item name") << summaryMode << int(ViewGrouping::None)
                                          << QStringList{"0:午餐||20.00|0.00||30天|", "0:月薪||0.00|5000.00||30天|",
                                                         "0:早餐||19.75|0.00||30天|"};
    QTest::newRow("summary by item type") << summaryMode << int(ViewGrouping::ItemType)
                                          << QStringList{"0:工资||0.00|5000.00||30天|", "0:生活||39.75|0.00||30天|"};
}

void TestViews::views()
{
    QFETCH(QString, mode);
    QFETCH(int, grouping);
    QFETCH(QStringList, rows);
    QList<ViewRow> view;
    QVERIFY(queryView(userRecordset, true, mode, ViewGrouping(grouping), QDate(2012, 11, 1), QDate(2012, 11, 30), prompter, &view));
    QStringList shown;
    for (const ViewRow &row : view)
        shown << QString::number(row.id) + ':' + row.cells.join(u'|');
    QCOMPARE(shown, rows);
    const Totals t = computeTotals(view, QDate(2012, 11, 1), QDate(2012, 11, 30));
    QCOMPARE(QStringList({t.expense, t.income, t.balance, t.days}), (QStringList{"39.75", "5000.00", "4960.25", "30 天"}));
    // The list's table holds the same rows, and the totals counted while reading them are the same.
    TextTable table;
    Totals counted;
    QVERIFY(queryViewTable(userRecordset, true, mode, ViewGrouping(grouping), QDate(2012, 11, 1), QDate(2012, 11, 30),
                           prompter, &table, &counted));
    QStringList listed;
    for (qsizetype r = 0; r < table.rowCount(); ++r)
        listed << QString::number(table.value(r)) + ':' + table.rowTexts(r).join(u'|');
    QCOMPARE(listed, rows);
    QCOMPARE(QStringList({counted.expense, counted.income, counted.balance, counted.days, counted.dailyExpense,
                          counted.dailyIncome}),
             QStringList({t.expense, t.income, t.balance, t.days, t.dailyExpense, t.dailyIncome}));
    QCOMPARE(counted.balanceColour, t.balanceColour);
}

void TestViews::repeatedTextsStayTheirOwn()
{
    // Texts that repeat are made once for the whole view; texts that only look alike stay apart.
    const QStringList records = {"'生活','早餐',1.00,0,'张三','2012-11-20 08:30:00','x'", "'生活','早餐 ',1.00,0,'张三','2012-11-20','X'",
                                 "'生活 ','早餐',1.005,0,'张三','2012-11-20 23:59:59','x'", "'生活','早餐',-0.001,0,'张三 ','2012-11-20',''"};
    for (const QString &r : records)
        QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values (" + r + ")"));
    QList<ViewRow> view;
    QVERIFY(queryView(userRecordset, true, detailMode, ViewGrouping::None, QDate(2012, 11, 20), QDate(2012, 11, 21), prompter, &view));
    QStringList shown;
    for (const ViewRow &row : view)
        shown << QString::number(row.id) + ':' + row.cells.join(u'|');
    QCOMPARE(shown, (QStringList{"8:生活|早餐 |1.00|0.00|张三|2012-11-20|X", "10:生活|早餐|" + amountText(-0.001) + "|0.00|张三 |2012-11-20|",
                                 "7:生活|早餐|1.00|0.00|张三|2012-11-20|x", "9:生活 |早餐|" + amountText(1.005) + "|0.00|张三|2012-11-20|x"}));
}

void TestViews::aLedgerOfItsOwn()
{
    // Records saved, viewed and summed on a connection of the caller's own, while the program's
    // ledger objects are closed: nothing reaches for them, and they stay closed.
    userRecordset.Close();
    userConnection.Close();
    DbConnection connection;
    DbRecordset recordset;
    QVERIFY(folder->openLedger("李四", connection, recordset));
    QVERIFY(saveNewRecords(connection, {{"生活", "早餐", "3.50", "0.00", "李四", "2012-05-02", ""},
                                        {"工资", "月薪", "0.00", "800.00", "李四", "2012-05-20", "五月"}},
                           prompter));
    QList<ViewRow> view;
    QVERIFY(queryView(recordset, true, detailMode, ViewGrouping::None, QDate(2012, 5, 1), QDate(2012, 5, 31), prompter, &view));
    QStringList shown;
    for (const ViewRow &row : view)
        shown << QString::number(row.id) + ':' + row.cells.join(u'|');
    QCOMPARE(shown, (QStringList{"1:生活|早餐|3.50|0.00|李四|2012-05-02|", "2:工资|月薪|0.00|800.00|李四|2012-05-20|五月"}));
    Statistics s;
    QVERIFY(computeStatistics(recordset, true, 2012, prompter, &s));
    QCOMPARE(QStringList({s.allTime.expense, s.allTime.income, s.year.months[4].expense, s.year.total.income}),
             (QStringList{"3.50", "800.00", "3.50", "800.00"}));
    QCOMPARE(prompter.messages, QStringList());
    QVERIFY(!userConnection.IsOpen());
    QVERIFY(!userRecordset.IsOpen());
    recordset.Close();
    connection.Close();
}

void TestViews::countedTotalsAreThoseOfTheShownCells()
{
    // Amounts that round, a repeated one, and one beyond the limit, which leaves the expense
    // total without a figure.
    for (const char *amounts : {"2.675,0", "2.675,0", "0,1.005", "-0.001,0", "1e20,0", "0,7"})
        QVERIFY(userConnection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values "
                                                      "('生活','早餐',%1,'张三','2031-07-03','')")
                                           .arg(QString::fromLatin1(amounts))));
    const QDate start(2031, 7, 1), end(2031, 7, 31);
    QList<ViewRow> view;
    QVERIFY(queryView(userRecordset, true, detailMode, ViewGrouping::None, start, end, prompter, &view));
    QCOMPARE(view.size(), 6);
    const Totals shown = computeTotals(view, start, end);
    QCOMPARE(shown.expense, amountOutOfRangeText);
    QCOMPARE(shown.income, QStringLiteral("8.01"));
    TextTable table;
    Totals counted;
    QVERIFY(queryViewTable(userRecordset, true, detailMode, ViewGrouping::None, start, end, prompter, &table, &counted));
    QCOMPARE(QStringList({counted.expense, counted.income, counted.balance, counted.dailyExpense, counted.dailyIncome}),
             QStringList({shown.expense, shown.income, shown.balance, shown.dailyExpense, shown.dailyIncome}));
}

void TestViews::refusalsKeepTheList()
{
    QList<ViewRow> view{{7, {"keep"}}};
    QVERIFY(!queryView(userRecordset, false, detailMode, ViewGrouping::None, QDate(2012, 11, 1), QDate(2012, 11, 30), prompter, &view));
    QVERIFY(!queryView(userRecordset, true, detailMode, ViewGrouping::None, QDate(2012, 11, 2), QDate(2012, 11, 1), prompter, &view));
    QCOMPARE(prompter.messages, (QStringList{"请先登录！", "结束日期不能小于开始日期！"}));
    QCOMPARE(view.size(), 1);
    QVERIFY(queryView(userRecordset, true, detailMode, ViewGrouping::None, QDate(2013, 1, 1), QDate(2013, 1, 1), prompter, &view));
    QVERIFY(view.isEmpty());
    const Totals t = computeTotals(view, QDate(2013, 1, 1), QDate(2013, 1, 1));
    QCOMPARE(QStringList({t.expense, t.income, t.balance, t.days, t.dailyExpense}),
             (QStringList{"0.00", "0.00", "0.00", "1 天", "0.00"}));
}

void TestViews::summariesOrderMixedNames_data()
{
    QTest::addColumn<int>("grouping");
    QTest::addColumn<QStringList>("keys");
    // Digits and Latin letters before Chinese text, letters without regard to case, Chinese by
    // pronunciation.
    QTest::newRow("by item name") << int(ViewGrouping::None) << QStringList{"7-11", "Coffee", "tea", "咖啡", "早餐"};
    QTest::newRow("by item type") << int(ViewGrouping::ItemType) << QStringList{"car", "Drinks", "交通", "生活"};
}

void TestViews::summariesOrderMixedNames()
{
    QFETCH(int, grouping);
    QFETCH(QStringList, keys);
    const QStringList records = {"'生活','咖啡',1.00", "'Drinks','tea',2.00", "'生活','早餐',3.00", "'Drinks','Coffee',4.00",
                                 "'交通','7-11',5.00",  "'car','Coffee',6.00",  "'生活','Coffee',7.00"};
    for (const QString &r : records)
        QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values (" + r
                                       + ",0.00,'张三','2013-02-01')"));
    QList<ViewRow> view;
    QVERIFY(queryView(userRecordset, true, summaryMode, ViewGrouping(grouping), QDate(2013, 2, 1), QDate(2013, 2, 28), prompter, &view));
    QStringList shown;
    for (const ViewRow &row : view)
        shown << row.cells.value(0);
    QCOMPARE(shown, keys);
}

void TestViews::totals_data()
{
    QTest::addColumn<QStringList>("amounts"); // expense/income per row, "*n" for n such rows
    QTest::addColumn<int>("days");
    QTest::addColumn<QStringList>("expected"); // expense, income, balance, colour, daily expense, daily income
    QTest::newRow("one day, averages equal totals") << QStringList{"10.00/0.00", "0.00/3.50"} << 1
                                                    << QStringList{"10.00", "3.50", "-6.50", "-1", "10.00", "3.50"};
    QTest::newRow("positive balance is green") << QStringList{"1.00/0.00", "0.00/2.00"} << 2
                                               << QStringList{"1.00", "2.00", "1.00", "1", "0.50", "1.00"};
    QTest::newRow("zero balance keeps its colour") << QStringList{"0.10/0.00", "0.20/0.00", "0.00/0.30"} << 3
                                                   << QStringList{"0.30", "0.30", "0.00", "0", "0.10", "0.10"};
    QTest::newRow("averages round half away from zero") << QStringList{"0.05/0.00"} << 2
                                                        << QStringList{"0.05", "0.00", "-0.05", "-1", "0.03", "0.00"};
    // Totals are exact at any size: two largest amounts, and cents beside a large amount, which a
    // double sum loses.
    QTest::newRow("two largest amounts") << QStringList{"9999999999999.99/0.00", "9999999999999.99/0.00"} << 1
                                         << QStringList{"19999999999999.98", "0.00", "-19999999999999.98", "-1",
                                                        "19999999999999.98", "0.00"};
    QTest::newRow("cents beside the largest amount")
        << QStringList{"0.00/9999999999999.99", "0.00/0.01*100", "9999999999999.99/0.00"} << 3
        << QStringList{"9999999999999.99", "10000000000000.99", "1.00", "1", "3333333333333.33", "3333333333333.66"};
    // A cell without a figure leaves the total without one, never a figure that leaves it out.
    QTest::newRow("a cell beyond the limit") << QStringList{"超出范围/0.00", "1.00/2.00"} << 1
                                             << QStringList{"超出范围", "2.00", "超出范围", "0", "超出范围", "2.00"};
}

void TestViews::totals()
{
    QFETCH(QStringList, amounts);
    QFETCH(int, days);
    QFETCH(QStringList, expected);
    QList<ViewRow> rows;
    for (const QString &a : amounts) {
        const QString cells = a.section('*', 0, 0);
        for (int n = a.contains('*') ? a.section('*', 1).toInt() : 1; n > 0; --n)
            rows.append({0, {"", "", cells.section('/', 0, 0), cells.section('/', 1, 1), "", "", ""}});
    }
    const QDate start(2012, 11, 1);
    const Totals t = computeTotals(rows, start, start.addDays(days - 1));
    QCOMPARE(QStringList({t.expense, t.income, t.balance, QString::number(t.balanceColour), t.dailyExpense, t.dailyIncome}),
             expected);
    QCOMPARE(t.days, QString::number(days) + " 天");
}

void TestViews::remarkColumn_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("expected");
    QTest::newRow("19 rows narrow the view's remarks") << 19 << 18 << 268 << 250;
    QTest::newRow("18 rows widen them") << 18 << 18 << 250 << 268;
    QTest::newRow("a wider column stays") << 3 << 18 << 300 << 300;
    QTest::newRow("13 pending rows narrow") << 13 << 12 << 268 << 250;
    QTest::newRow("12 pending rows widen") << 12 << 12 << 250 << 268;
}

void TestViews::remarkColumn()
{
    QFETCH(int, rows);
    QFETCH(int, threshold);
    QFETCH(int, width);
    QFETCH(int, expected);
    QCOMPARE(remarkColumnWidth(rows, width, threshold), expected);
}

QTEST_GUILESS_MAIN(TestViews)
#include "tst_views.moc"
