// The chart window through the real main window: opened from the view and statistics pages, its
// series read back against the summary view and the statistics of a ledger with known sums, the
// drill-down from types to names, the empty states, saving the picture and printing it.
#include "shellfixture.h"

#include "common/clock.h"
#include "common/numbers.h"
#include "dataaccess/instances.h"
#include "reports/statistics.h"
#include "reports/views.h"
#include "shell/chartwindow.h"
#include "shell/mainwindow.h"
#include "shell/sessionpages.h"
#include "support/scriptedprompter.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsSimpleTextItem>
#include <QHorizontalBarSeries>
#include <QImageReader>
#include <QLineSeries>
#include <QPrinter>
#include <QRegularExpression>
#include <QToolTip>

namespace {

// type, name, expense, income, day
const QStringList ledgerRecords = {
    "餐饮|早餐|12.50|0|2012-01-05", "餐饮|午餐|30.00|0|2012-01-20", "工资|月薪|0|5000.00|2012-01-31",
    "餐饮|早餐|8.25|0|2012-03-02",  "交通|地铁|4.00|0|2012-03-02",  "餐饮|退款|-10.00|0|2012-03-15",
    "工资|奖金|0|1200.50|2012-11-01", "交通|打车|45.10|0|2012-11-30", "居住|房租|1500.00|0|2014-06-01",
    "工资|月薪|0|5000.00|2014-06-30"};

QStringList categoriesOf(QChart *chart)
{
    for (QAbstractAxis *axis : chart->axes())
        if (auto *categories = qobject_cast<QBarCategoryAxis *>(axis))
            return categories->categories();
    return {};
}

// The bars of one set by their category, as the amount texts the pages show.
QMap<QString, QString> barsOf(QChart *chart, const QString &set)
{
    QMap<QString, QString> bars;
    const QStringList categories = categoriesOf(chart);
    for (QAbstractSeries *series : chart->series())
        if (auto *barSeries = qobject_cast<QAbstractBarSeries *>(series))
            for (QBarSet *s : barSeries->barSets())
                if (s->label() == set)
                    for (int i = 0; i < s->count(); ++i)
                        bars.insert(categories.value(i), amountText(s->at(i)));
    return bars;
}

QStringList lineOf(QChart *chart, const QString &name)
{
    QStringList points;
    for (QAbstractSeries *series : chart->series())
        if (auto *line = qobject_cast<QLineSeries *>(series); line && line->name() == name)
            for (const QPointF &p : line->points())
                points << amountText(p.y());
    return points;
}

QString centsDifference(const QString &income, const QString &expense)
{
    qint64 a = 0, b = 0;
    if (!amountTextCents(income, &a) || !amountTextCents(expense, &b))
        return amountOutOfRangeText;
    return centsText(a - b);
}

} // namespace

class TestChartWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensFromTheViewAndStatisticsPages();
    void sharesAreTheSummaryFigures_data();
    void sharesAreTheSummaryFigures();
    void monthsAreTheStatisticsFigures_data();
    void monthsAreTheStatisticsFigures();
    void yearsAreTheStatisticsFigures();
    void manyYearsNameSomeYears();
    void tipsTellExactAmounts();
    void emptyStates_data();
    void emptyStates();
    void savingThePicture();
    void printing();

private:
    void showRange(const QDate &start, const QDate &end);
    ChartWindow *openFromView();
    void checkMonths(ChartWindow *chart, int year);

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<SessionPages> pages;
    ScriptedPrompter prompter;
};

void TestChartWindow::init()
{
    Clock::setFixed(QDateTime(QDate(2012, 11, 30), QTime(10, 0)));
    folder = std::make_unique<ProgramFolder>();
    window = std::make_unique<MainWindow>();
    QCOMPARE(window->start(), StartupResult::Started);
    prompter = ScriptedPrompter();
    pages = std::make_unique<SessionPages>(window.get(), prompter);
    pages->openRegistration();
    LayoutWindow *registration = pages->registrationWindow();
    unitOf<EditBox>(registration, "用户名框")->setText("张三");
    unitOf<EditBox>(registration, "新的密码框")->setText("pw");
    unitOf<EditBox>(registration, "确认密码框")->setText("pw");
    unitOf<GraphicButton>(registration, "图形按钮3")->click();
    LayoutWindow *view = window->page("view");
    unitOf<EditBox>(view, "登录用户名框")->setText("张三");
    unitOf<EditBox>(view, "登录密码框")->setText("pw");
    unitOf<GraphicButton>(view, "登录按钮")->click();
    QVERIFY(window->loggedIn());
    QVERIFY(userConnection.Execute("delete from lcsj"));
    for (const QString &r : ledgerRecords) {
        const QStringList f = r.split('|');
        QVERIFY(userConnection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values ('%1','%2',%3,%4,'张三','%5')")
                                           .arg(f[0], f[1], f[2], f[3], f[4])));
    }
    prompter.messages.clear();
}

void TestChartWindow::cleanup()
{
    pages.reset();
    window.reset();
    closeSessionData();
    folder.reset();
    Clock::useSystemTime();
}

void TestChartWindow::showRange(const QDate &start, const QDate &end)
{
    unitOf<DateBox>(window->page("view"), "开始日期框")->setDateTime(start.startOfDay());
    unitOf<DateBox>(window->page("view"), "结束日期框")->setDateTime(end.startOfDay());
}

ChartWindow *TestChartWindow::openFromView()
{
    unitOf<GraphicButton>(window->page("view"), "图表按钮")->click();
    return window->findChild<ChartWindow *>();
}

void TestChartWindow::opensFromTheViewAndStatisticsPages()
{
    showRange(QDate(2012, 1, 1), QDate(2012, 6, 30));
    QPointer<ChartWindow> chart = openFromView();
    QVERIFY(chart && chart->isVisible());
    QVERIFY2(chart->isValid(), qPrintable(chart->buildError()));
    QCOMPARE(chart->tab(), ChartTab::Shares);
    QVERIFY(chart->captionText().startsWith("2012-01-01 至 2012-06-30　支出合计：44.75 元"));

    // The statistics page's button shows the months of the year its page shows, in the same window.
    unitOf<TransparentLabel>(window->page("statistics"), "年份标签")->setText("2014");
    unitOf<GraphicButton>(window->page("statistics"), "收支图表按钮")->click();
    QCOMPARE(window->findChildren<ChartWindow *>().size(), 1);
    QCOMPARE(chart->tab(), ChartTab::Months);
    QVERIFY(chart->captionText().startsWith("2014年"));
    QCOMPARE(prompter.messages, QStringList());

    // The figures are the session's: logging out takes the window away, and the buttons then ask
    // for a login first.
    window->logOut();
    QTRY_VERIFY(!chart);
    PromptAnswerer answerer;
    unitOf<GraphicButton>(window->page("statistics"), "收支图表按钮")->click();
    unitOf<GraphicButton>(window->page("view"), "图表按钮")->click();
    QCOMPARE(answerer.seen.size(), 2);
    for (const PromptSeen &seen : answerer.seen)
        QCOMPARE(seen.text, "请先登录！");
    QVERIFY(!window->findChild<ChartWindow *>());
}

void TestChartWindow::sharesAreTheSummaryFigures_data()
{
    QTest::addColumn<int>("flow");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::newRow("expense of a year") << int(MoneyFlow::Expense) << QDate(2012, 1, 1) << QDate(2012, 12, 31);
    QTest::newRow("income of the whole ledger") << int(MoneyFlow::Income) << QDate(2000, 1, 1) << QDate(2020, 12, 31);
    QTest::newRow("expense of the whole ledger") << int(MoneyFlow::Expense) << QDate(2000, 1, 1) << QDate(2020, 12, 31);
}

// Each type's bar is the summary view's row of that type; a click on it shows the summary rows of
// that type's names, and "返回" the types again.
void TestChartWindow::sharesAreTheSummaryFigures()
{
    QFETCH(int, flow);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    showRange(start, end);
    ChartWindow *chart = openFromView();
    QVERIFY(chart);
    if (MoneyFlow(flow) == MoneyFlow::Income)
        unitOf<GraphicButton>(chart, "收入按钮")->click();
    const QString set = MoneyFlow(flow) == MoneyFlow::Expense ? "支出" : "收入";
    const int cell = MoneyFlow(flow) == MoneyFlow::Expense ? 2 : 3;

    QList<ViewRow> byType, byName, detail;
    QVERIFY(queryView(userRecordset, true, summaryMode, ViewGrouping::ItemType, start, end, prompter, &byType));
    QVERIFY(queryView(userRecordset, true, summaryMode, ViewGrouping::ItemName, start, end, prompter, &byName));
    QVERIFY(queryView(userRecordset, true, detailMode, ViewGrouping::None, start, end, prompter, &detail));
    QMap<QString, QString> types, typeOfName;
    for (const ViewRow &r : byType)
        if (r.cells[cell] != "0.00")
            types.insert(r.cells[0], r.cells[cell]);
    for (const ViewRow &r : detail)
        typeOfName.insert(r.cells[1], r.cells[0]);
    QCOMPARE(barsOf(chart->chart(), set), types);
    const Totals totals = computeTotals(detail, start, end);
    QVERIFY(chart->captionText().contains(set + "合计：" + (cell == 2 ? totals.expense : totals.income) + " 元"));

    // The largest stands at the top, its amount and share beside it.
    const QStringList categories = categoriesOf(chart->chart());
    QList<QGraphicsSimpleTextItem *> labels;
    for (QGraphicsItem *item : chart->chart()->childItems())
        if (auto *label = dynamic_cast<QGraphicsSimpleTextItem *>(item))
            labels.append(label);
    QCOMPARE(labels.size(), categories.size());
    QVERIFY(labels.last()->text().startsWith(types.value(categories.last()) + "（"));

    // A click of the mouse on the top bar opens its type: the chart it was clicked in is replaced
    // while its click is still being handled.
    QAbstractSeries *series = chart->chart()->series().first();
    auto *view = chart->findChild<QChartView *>();
    const QPointF middle = chart->chart()->mapToPosition(
        QPointF(textToNumber(types.value(categories.last())) / 2, categories.size() - 1), series);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(chart->chart()->mapToScene(middle)));
    QTRY_COMPARE(chart->openedType(), std::optional<QString>(categories.last()));
    unitOf<GraphicButton>(chart, "返回按钮")->click();

    QBarSet *bars = qobject_cast<QAbstractBarSeries *>(chart->chart()->series().first())->barSets().first();
    for (int i = 0; i < categories.size(); ++i) {
        const QString type = categories[i];
        emit bars->clicked(i);
        QTRY_VERIFY(chart->openedType());
        QCOMPARE(chart->openedType(), std::optional<QString>(type));
        QVERIFY(!unitOf<GraphicButton>(chart, "返回按钮")->isHidden());
        QMap<QString, QString> names;
        for (const ViewRow &r : byName)
            if (typeOfName.value(r.cells[0]) == type && r.cells[cell] != "0.00")
                names.insert(r.cells[0], r.cells[cell]);
        QCOMPARE(barsOf(chart->chart(), set), names);
        QVERIFY(chart->captionText().contains("“" + type + "”的" + set + "合计：" + types.value(type) + " 元"));
        // Names open nothing further.
        emit qobject_cast<QAbstractBarSeries *>(chart->chart()->series().first())->barSets().first()->clicked(0);
        QTest::qWait(0);
        QCOMPARE(chart->openedType(), std::optional<QString>(type));
        unitOf<GraphicButton>(chart, "返回按钮")->click();
        QCOMPARE(barsOf(chart->chart(), set), types);
        bars = qobject_cast<QAbstractBarSeries *>(chart->chart()->series().first())->barSets().first();
    }
}

void TestChartWindow::monthsAreTheStatisticsFigures_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("nextYear"); // chosen afterwards in the window's own year list
    QTest::newRow("a year with a refund, then one of one month") << 2012 << 2014;
    QTest::newRow("a year of one month, then one with a refund") << 2014 << 2012;
}

void TestChartWindow::monthsAreTheStatisticsFigures()
{
    QFETCH(int, year);
    QFETCH(int, nextYear);
    unitOf<TransparentLabel>(window->page("statistics"), "年份标签")->setText(QString::number(year));
    unitOf<GraphicButton>(window->page("statistics"), "收支图表按钮")->click();
    ChartWindow *chart = window->findChild<ChartWindow *>();
    QVERIFY(chart);
    for (const int shown : {year, nextYear}) {
        if (shown == nextYear) {
            auto *years = unitOf<ComboBox>(chart, "年份选择组合框");
            years->setCurrentIndex(years->findText(QString::number(nextYear)));
            emit years->textActivated(QString::number(nextYear));
            QCOMPARE(unitOf<TransparentLabel>(chart, "年份标签")->text(), QString::number(nextYear));
        }
        checkMonths(chart, shown);
    }
}

void TestChartWindow::checkMonths(ChartWindow *chart, int year)
{
    const YearStatistics statistics = computeYear(userRecordset, year);
    QMap<QString, QString> income, expense;
    QStringList balance;
    for (int m = 0; m < 12; ++m) {
        const QString month = QString::number(m + 1) + "月";
        income.insert(month, statistics.months[m].income);
        expense.insert(month, statistics.months[m].expense);
        balance << centsDifference(statistics.months[m].income, statistics.months[m].expense);
    }
    QCOMPARE(barsOf(chart->chart(), "收入"), income);
    QCOMPARE(barsOf(chart->chart(), "支出"), expense);
    QCOMPARE(lineOf(chart->chart(), "结余"), balance);
    QVERIFY(chart->captionText().contains("收入合计：" + statistics.total.income + " 元　支出合计：" + statistics.total.expense
                                          + " 元　结余：" + centsDifference(statistics.total.income, statistics.total.expense)));
}

void TestChartWindow::yearsAreTheStatisticsFigures()
{
    ChartWindow *chart = openFromView();
    QVERIFY(chart);
    unitOf<TransparentLabel>(chart, "历年标签")->pressed(Qt::LeftButton, QPoint());
    QCOMPARE(chart->tab(), ChartTab::Years);
    QCOMPARE(categoriesOf(chart->chart()), (QStringList{"2012", "2013", "2014"}));
    QStringList balances;
    for (const QString &y : categoriesOf(chart->chart())) {
        const YearStatistics statistics = computeYear(userRecordset, y.toInt());
        QCOMPARE(barsOf(chart->chart(), "收入").value(y), statistics.total.income);
        QCOMPARE(barsOf(chart->chart(), "支出").value(y), statistics.total.expense);
        balances << centsDifference(statistics.total.income, statistics.total.expense);
    }
    QCOMPARE(lineOf(chart->chart(), "结余"), balances);
    Statistics all;
    QVERIFY(computeStatistics(userRecordset, true, 2012, prompter, &all));
    QCOMPARE(lineOf(chart->chart(), "累计结余"),
             (QStringList{"6110.65", "6110.65", centsDifference(all.allTime.income, all.allTime.expense)}));
}

// Thirty years do not fit their captions side by side: every second year is named, the latest
// always, under its own bars, and every year keeps its bars.
void TestChartWindow::manyYearsNameSomeYears()
{
    QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq) values ('餐饮','早餐',1.00,0,'张三','1985-05-05')"));
    ChartWindow *chart = openFromView();
    QVERIFY(chart);
    chart->chooseTab(ChartTab::Years);
    QCategoryAxis *years = nullptr;
    for (QAbstractAxis *axis : chart->chart()->axes(Qt::Horizontal))
        years = years ? years : qobject_cast<QCategoryAxis *>(axis);
    QVERIFY(years);
    QStringList expected;
    for (int y = 1986; y <= 2014; y += 2)
        expected << QString::number(y);
    QCOMPARE(years->categoriesLabels(), expected);
    QCOMPARE(years->endValue("2014"), 2014 - 1985);
    QCOMPARE(years->endValue("1986"), 1);
    const QList<QBarSet *> sets = qobject_cast<QAbstractBarSeries *>(chart->chart()->series().first())->barSets();
    QCOMPARE(sets.first()->count(), 2014 - 1985 + 1);
    QCOMPARE(chart->barTip("支出", 0), "1985年\n支出：1.00 元");
}

void TestChartWindow::tipsTellExactAmounts()
{
    showRange(QDate(2012, 1, 1), QDate(2012, 12, 31));
    ChartWindow *chart = openFromView();
    QVERIFY(chart);
    // The axis counts from the bottom: 交通 (49.10) stands above 餐饮 (40.75).
    QCOMPARE(chart->barTip("支出", 1), "交通\n支出：49.10 元，占 54.6%\n点击查看其中的项目名称");
    // The mouse resting on that bar shows the same tip.
    auto *view = chart->findChild<QChartView *>();
    const QPointF middle = chart->chart()->mapToPosition(QPointF(20, 1), chart->chart()->series().first());
    QTest::mouseMove(view->viewport(), view->mapFromScene(chart->chart()->mapToScene(middle)));
    QTRY_COMPARE(QToolTip::text(), chart->barTip("支出", 1));
    chart->openType("餐饮");
    QCOMPARE(chart->barTip("支出", 0), "退款\n支出：-10.00 元，占 -24.5%");
    chart->chooseTab(ChartTab::Months);
    chart->setYear(2012);
    QCOMPARE(chart->barTip("收入", 0), "2012年1月\n收入：5000.00 元");
    QCOMPARE(chart->barTip("结余", 2), "2012年3月\n结余：-2.25 元");
    chart->chooseTab(ChartTab::Years);
    QCOMPARE(chart->barTip("累计结余", 2), "2014年\n累计结余：9610.65 元");
}

void TestChartWindow::emptyStates_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("emptyLedger");
    QTest::addColumn<QString>("text");
    QTest::newRow("a range without expense") << int(ChartTab::Shares) << false
                                             << "2013-01-01 至 2013-12-31 没有支出记录。\n\n请在“查看”页面换一个日期范围，或点击“收入”看看。";
    QTest::newRow("a year without records") << int(ChartTab::Months) << false << "2013年没有收支记录。\n\n请点击上方的年份，换一个年份看看。";
    QTest::newRow("a ledger without records") << int(ChartTab::Years) << true
                                              << "账本中还没有收支记录。\n\n在“添加”页面记下收入和支出后，这里会画出每一年的收支。";
}

void TestChartWindow::emptyStates()
{
    QFETCH(int, tab);
    QFETCH(bool, emptyLedger);
    QFETCH(QString, text);
    if (emptyLedger)
        QVERIFY(userConnection.Execute("delete from lcsj"));
    showRange(QDate(2013, 1, 1), QDate(2013, 12, 31));
    ChartWindow *chart = openFromView();
    QVERIFY(chart);
    chart->setYear(2013);
    chart->chooseTab(ChartTab(tab));
    QVERIFY(chart->emptyStateShown());
    QCOMPARE(chart->emptyStateText(), text);
    QVERIFY(chart->chart()->series().isEmpty());
    // Back to a chart with figures, the empty state goes.
    showRange(QDate(2012, 1, 1), QDate(2012, 12, 31));
    if (!emptyLedger) {
        chart = openFromView();
        chart->chooseTab(ChartTab::Shares);
        QVERIFY(!chart->emptyStateShown());
        QVERIFY(!chart->chart()->series().isEmpty());
    }
}

void TestChartWindow::savingThePicture()
{
    QTemporaryDir dir;
    showRange(QDate(2012, 1, 1), QDate(2012, 12, 31));
    ChartWindow *chart = openFromView();
    QVERIFY(chart);
    const QString saved = dir.filePath("图表.png");
    const QString unwritable = dir.filePath("no folder/图表.png");
    prompter.files = QStringList{saved, unwritable, QString()};
    for (int i = 0; i < 3; ++i)
        unitOf<GraphicButton>(chart, "保存图片按钮")->click();
    QCOMPARE(prompter.fileFilters, QStringList(3, "PNG图片(*.png)|*.png"));
    QCOMPARE(prompter.messages, (QStringList{"保存图片成功！", "保存图片失败！"}));
    QImageReader reader(saved);
    QCOMPARE(reader.format(), QByteArray("png"));
    QCOMPARE(reader.size(), chart->picture().size());
    QVERIFY(!QFile::exists(unwritable));

    // An empty state has nothing to save or print, and says so without asking for a file.
    showRange(QDate(2013, 1, 1), QDate(2013, 1, 31));
    chart = openFromView();
    prompter.messages.clear();
    unitOf<GraphicButton>(chart, "保存图片按钮")->click();
    unitOf<GraphicButton>(chart, "打印图表按钮")->click();
    QCOMPARE(prompter.messages, (QStringList{"没有可以保存的图表！", "没有可以打印的图表！"}));
    QCOMPARE(prompter.fileKinds.size(), 3);
    QVERIFY(!chart->printPreview());
}

void TestChartWindow::printing()
{
    showRange(QDate(2012, 1, 1), QDate(2012, 12, 31));
    ChartWindow *chart = openFromView();
    QVERIFY(chart);
    unitOf<GraphicButton>(chart, "打印图表按钮")->click();
    QVERIFY(chart->printPreview() && chart->printPreview()->isVisible());
    chart->printPreview()->close();

    // What the preview pages show is what reaches the printer: one landscape page with the chart.
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("chart.pdf"));
    printer.setPageOrientation(QPageLayout::Landscape);
    chart->paintForPrinter(&printer);
    QFile pdf(dir.filePath("chart.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]")), 1);
}

QTEST_MAIN(TestChartWindow)
#include "tst_chartwindow.moc"
