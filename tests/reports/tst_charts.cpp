// The chart figures on a ledger with known sums: each equals what the summary view, the view's
// totals or the statistics page shows for the same range, and the balances add up to the cent.
#include "dataaccess/ledgerfixture.h"

#include "common/clock.h"
#include "common/numbers.h"
#include "dataaccess/instances.h"
#include "reports/charts.h"
#include "reports/statistics.h"
#include "reports/views.h"
#include "support/scriptedprompter.h"

#include <QMap>

namespace {

// type, name, expense, income, day
const QStringList ledgerRecords = {
    "餐饮|晚餐|60.00|0|2011-12-31",  "餐饮|早餐|12.50|0|2012-01-05",   "餐饮|午餐|30.00|0|2012-01-20",
    "工资|月薪|0|5000.00|2012-01-31", "餐饮|早餐|8.25|0|2012-03-02",    "交通|地铁|4.00|0|2012-03-02",
    "餐饮|退款|-10.00|0|2012-03-15", "工资|奖金|0|1200.50|2012-11-01", "交通|打车|45.10|0|2012-11-30",
    "居住|房租|1500.00|0|2014-06-01", "工资|月薪|0|5000.00|2014-06-30", "O'Neil|书|0.33|0|2014-07-01",
    "|杂项|1.00|0.50|2014-07-02"};

// The groups of a share chart as "name amount share" texts, in the chart's order.
QStringList groupTexts(const ShareChart &chart)
{
    QStringList texts;
    for (const ShareGroup &g : chart.groups)
        texts << g.name + ' ' + g.amount.text + ' ' + g.share;
    return texts;
}

} // namespace

class TestCharts : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sharesAreTheSummaryFigures_data();
    void sharesAreTheSummaryFigures();
    void sharesInOrderWithTheirPart_data();
    void sharesInOrderWithTheirPart();
    void sharesRefusedAsTheViewIs_data();
    void sharesRefusedAsTheViewIs();
    void monthsAreTheStatisticsFigures_data();
    void monthsAreTheStatisticsFigures();
    void yearsAreTheStatisticsFigures();
    void yearsOfAnEmptyLedger();
    void figuresBeyondTheLimit();

private:
    LedgerFolder *folder = nullptr;
    ScriptedPrompter prompter;
};

void TestCharts::init()
{
    folder = new LedgerFolder;
    QVERIFY(folder->openLedger("张三", userConnection, userRecordset));
    for (const QString &r : ledgerRecords) {
        const QStringList f = r.split('|');
        QVERIFY(userConnection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values (%1,%2,%3,%4,'张三','%5')")
                                           .arg(f[0].isEmpty() ? QStringLiteral("null") : "'" + QString(f[0]).replace("'", "''") + "'",
                                                "'" + f[1] + "'", f[2], f[3], f[4])));
    }
    prompter = ScriptedPrompter();
}

void TestCharts::cleanup()
{
    userRecordset.Close();
    userConnection.Close();
    delete folder;
    Clock::useSystemTime();
}

void TestCharts::sharesAreTheSummaryFigures_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::newRow("the whole ledger") << QDate(2000, 1, 1) << QDate(2030, 12, 31);
    QTest::newRow("one year") << QDate(2012, 1, 1) << QDate(2012, 12, 31);
    QTest::newRow("one day") << QDate(2012, 3, 2) << QDate(2012, 3, 2);
    QTest::newRow("a range without records") << QDate(2013, 1, 1) << QDate(2013, 12, 31);
}

// Each type's bar is the summary view's row of that type, each name's bar within a type the
// summary row of that name, and the chart's total the view's total of the range.
void TestCharts::sharesAreTheSummaryFigures()
{
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QList<ViewRow> byType, byName, detail;
    QVERIFY(queryView(userRecordset, true, summaryMode, ViewGrouping::ItemType, start, end, prompter, &byType));
    QVERIFY(queryView(userRecordset, true, summaryMode, ViewGrouping::ItemName, start, end, prompter, &byName));
    QVERIFY(queryView(userRecordset, true, detailMode, ViewGrouping::None, start, end, prompter, &detail));
    const Totals totals = computeTotals(detail, start, end);
    QMap<QString, QString> typeOfName;
    for (const ViewRow &r : detail)
        typeOfName.insert(r.cells[1], r.cells[0]);

    for (const MoneyFlow flow : {MoneyFlow::Expense, MoneyFlow::Income}) {
        const int cell = flow == MoneyFlow::Expense ? 2 : 3;
        QMap<QString, QString> expected;
        for (const ViewRow &r : byType)
            if (r.cells[cell] != "0.00")
                expected.insert(r.cells[0], r.cells[cell]);
        ShareChart chart;
        QVERIFY(computeShares(userRecordset, true, flow, start, end, std::nullopt, prompter, &chart));
        QMap<QString, QString> shown;
        for (const ShareGroup &g : chart.groups)
            shown.insert(g.name, g.amount.text);
        QCOMPARE(shown, expected);
        QCOMPARE(chart.total.text, flow == MoneyFlow::Expense ? totals.expense : totals.income);

        for (const ShareGroup &type : chart.groups) {
            ShareChart names;
            QVERIFY(computeShares(userRecordset, true, flow, start, end, type.name, prompter, &names));
            QMap<QString, QString> expectedNames, shownNames;
            for (const ViewRow &r : byName)
                if (typeOfName.value(r.cells[0]) == type.name && r.cells[cell] != "0.00")
                    expectedNames.insert(r.cells[0], r.cells[cell]);
            for (const ShareGroup &g : names.groups)
                shownNames.insert(g.name, g.amount.text);
            QCOMPARE(shownNames, expectedNames);
            QCOMPARE(names.total.text, type.amount.text);
        }
    }
    QCOMPARE(prompter.messages, QStringList());
}

void TestCharts::sharesInOrderWithTheirPart_data()
{
    QTest::addColumn<int>("flow");
    QTest::addColumn<QString>("type"); // "*": by type
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QString>("total");
    QTest::newRow("expense by type, a refund lowering its type")
        << int(MoneyFlow::Expense) << "*" << QStringList{"交通 49.10 54.6%", "餐饮 40.75 45.4%"} << "89.85";
    QTest::newRow("income by type") << int(MoneyFlow::Income) << "*" << QStringList{"工资 6200.50 100.0%"} << "6200.50";
    QTest::newRow("the names of a type, a negative one last")
        << int(MoneyFlow::Expense) << "餐饮" << QStringList{"午餐 30.00 73.6%", "早餐 20.75 50.9%", "退款 -10.00 -24.5%"}
        << "40.75";
    QTest::newRow("a type with nothing of the flow") << int(MoneyFlow::Income) << "交通" << QStringList{} << "0.00";
}

void TestCharts::sharesInOrderWithTheirPart()
{
    QFETCH(int, flow);
    QFETCH(QString, type);
    QFETCH(QStringList, groups);
    QFETCH(QString, total);
    ShareChart chart;
    QVERIFY(computeShares(userRecordset, true, MoneyFlow(flow), QDate(2012, 1, 1), QDate(2012, 12, 31),
                          type == "*" ? std::nullopt : std::optional<QString>(type), prompter, &chart));
    QCOMPARE(groupTexts(chart), groups);
    QCOMPARE(chart.total.text, total);
}

void TestCharts::sharesRefusedAsTheViewIs_data()
{
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("message");
    QTest::newRow("nobody logged in") << false << QDate(2012, 12, 31) << "请先登录！";
    QTest::newRow("a range ending before it starts") << true << QDate(2011, 12, 31) << "结束日期不能小于开始日期！";
}

void TestCharts::sharesRefusedAsTheViewIs()
{
    QFETCH(bool, loggedIn);
    QFETCH(QDate, end);
    QFETCH(QString, message);
    ShareChart chart;
    chart.groups.append({"kept", {}, {}});
    QVERIFY(!computeShares(userRecordset, loggedIn, MoneyFlow::Expense, QDate(2012, 1, 1), end, std::nullopt, prompter, &chart));
    QCOMPARE(prompter.messages, QStringList{message});
    QCOMPARE(chart.groups.size(), 1);
}

void TestCharts::monthsAreTheStatisticsFigures_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("empty");
    QTest::newRow("a year with a refund") << 2012 << false;
    QTest::newRow("a year of one day") << 2011 << false;
    QTest::newRow("a year without records") << 2013 << true;
}

void TestCharts::monthsAreTheStatisticsFigures()
{
    QFETCH(int, year);
    QFETCH(bool, empty);
    const YearStatistics statistics = computeYear(userRecordset, year);
    const MonthsChart chart = computeMonthsChart(userRecordset, year);
    QCOMPARE(chart.empty, empty);
    QCOMPARE(chart.months.size(), 12);
    AmountTotal balance;
    for (int m = 0; m < 12; ++m) {
        const PeriodFigures &month = chart.months[m];
        QCOMPARE(month.caption, QString::number(m + 1) + "月");
        QCOMPARE(month.expense.text, statistics.months[m].expense);
        QCOMPARE(month.income.text, statistics.months[m].income);
        QCOMPARE(amountText(month.expense.value), month.expense.text);
        QCOMPARE(amountText(month.income.value), month.income.text);
        qint64 income = 0, expense = 0;
        QVERIFY(amountTextCents(month.income.text, &income) && amountTextCents(month.expense.text, &expense));
        QCOMPARE(month.balance.text, centsText(income - expense));
        balance.add(month.balance.text);
    }
    qint64 income = 0, expense = 0;
    QVERIFY(amountTextCents(statistics.total.income, &income) && amountTextCents(statistics.total.expense, &expense));
    QCOMPARE(balance.text(), centsText(income - expense));
}

void TestCharts::yearsAreTheStatisticsFigures()
{
    const YearsChart chart = computeYearsChart(userRecordset);
    QStringList captions;
    for (const PeriodFigures &y : chart.years) {
        captions << y.caption;
        const YearStatistics statistics = computeYear(userRecordset, y.caption.toInt());
        QCOMPARE(y.expense.text, statistics.total.expense);
        QCOMPARE(y.income.text, statistics.total.income);
    }
    // 2013 has no records but stands between years that have.
    QCOMPARE(captions, (QStringList{"2011", "2012", "2013", "2014"}));
    QStringList balances, running;
    for (const PeriodFigures &y : chart.years)
        balances << y.balance.text, running << y.runningBalance.text;
    QCOMPARE(balances, (QStringList{"-60.00", "6110.65", "0.00", "3499.17"}));
    QCOMPARE(running, (QStringList{"-60.00", "6050.65", "6050.65", "9549.82"}));

    // The last running balance is the all-time income less the all-time expense.
    Statistics all;
    QVERIFY(computeStatistics(userRecordset, true, 2012, prompter, &all));
    qint64 income = 0, expense = 0;
    QVERIFY(amountTextCents(all.allTime.income, &income) && amountTextCents(all.allTime.expense, &expense));
    QCOMPARE(chart.years.last().runningBalance.text, centsText(income - expense));
}

void TestCharts::yearsOfAnEmptyLedger()
{
    QVERIFY(userConnection.Execute("delete from lcsj"));
    QVERIFY(computeYearsChart(userRecordset).years.isEmpty());
    ShareChart chart;
    QVERIFY(computeShares(userRecordset, true, MoneyFlow::Expense, QDate(2000, 1, 1), QDate(2030, 1, 1), std::nullopt, prompter, &chart));
    QVERIFY(chart.groups.isEmpty());
    QCOMPARE(chart.total.text, "0.00");
}

// A sum no double tells to the cent shows no figure, as on the pages, and takes the balances and
// shares that depend on it along; the other figures stay exact.
void TestCharts::figuresBeyondTheLimit()
{
    QVERIFY(userConnection.Execute("delete from lcsj"));
    for (const char *r : {"'大件',9999999999999.99,0,'2015-01-01'", "'大件',9999999999999.99,0,'2015-02-01'",
                          "'小件',1.00,0,'2015-02-01'", "'工资',0,3.00,'2016-01-01'"})
        QVERIFY(userConnection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,rq) values (%1,'x',%2)")
                                           .arg(QString::fromUtf8(r).section(',', 0, 0), QString::fromUtf8(r).section(',', 1))));
    ShareChart chart;
    QVERIFY(computeShares(userRecordset, true, MoneyFlow::Expense, QDate(2015, 1, 1), QDate(2015, 12, 31), std::nullopt, prompter, &chart));
    QCOMPARE(groupTexts(chart), (QStringList{"小件 1.00 ", "大件 超出范围 "}));
    QCOMPARE(chart.total.text, amountOutOfRangeText);
    QVERIFY(!chart.total.known);

    const MonthsChart months = computeMonthsChart(userRecordset, 2015);
    QCOMPARE(months.months[0].balance.text, "-9999999999999.99");
    QCOMPARE(months.months[1].balance.text, amountOutOfRangeText);
    const YearsChart years = computeYearsChart(userRecordset);
    QCOMPARE(years.years.size(), 2);
    QCOMPARE(years.years[0].expense.text, amountOutOfRangeText);
    QCOMPARE(years.years[1].balance.text, "3.00");
    QCOMPARE(years.years[1].runningBalance.text, amountOutOfRangeText);
}

QTEST_GUILESS_MAIN(TestCharts)
#include "tst_charts.moc"
