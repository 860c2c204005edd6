#include "charts.h"

#include "common/datetext.h"
#include "common/numbers.h"
#include "common/sqltext.h"
#include "reports/statistics.h"
#include "reports/views.h"

#include <QMap>

#include <algorithm>

namespace {

// An amount from its page text: the value drawn is the text's own cents, so the bar ends where the
// figure beside it says.
ChartAmount amountOf(const QString &text)
{
    ChartAmount a;
    a.text = text;
    qint64 cents = 0;
    a.known = amountTextCents(text, &cents);
    a.value = a.known ? double(cents) / 100 : 0;
    return a;
}

ChartAmount amountOfCents(__int128 cents, bool known)
{
    ChartAmount a;
    a.known = known;
    a.text = known ? centsText(cents) : amountOutOfRangeText;
    a.value = known ? double(cents) / 100 : 0;
    return a;
}

__int128 centsOf(const ChartAmount &a)
{
    qint64 cents = 0;
    amountTextCents(a.text, &cents);
    return cents;
}

ChartAmount difference(const ChartAmount &income, const ChartAmount &expense)
{
    return amountOfCents(centsOf(income) - centsOf(expense), income.known && expense.known);
}

// One decimal of a percent, halves away from zero.
QString shareText(__int128 part, __int128 whole)
{
    const __int128 magnitude = (part < 0 ? -part : part) * 1000;
    const __int128 tenths = (2 * magnitude + whole) / (2 * whole);
    const qint64 shown = qint64(part < 0 ? -tenths : tenths);
    return QStringLiteral("%1%2.%3%").arg(shown < 0 ? QStringLiteral("-") : QString()).arg(std::abs(shown) / 10).arg(std::abs(shown) % 10);
}

PeriodFigures periodOf(const QString &caption, const QString &income, const QString &expense)
{
    PeriodFigures p;
    p.caption = caption;
    p.income = amountOf(income);
    p.expense = amountOf(expense);
    p.balance = difference(p.income, p.expense);
    return p;
}

} // namespace

bool computeShares(DbRecordset &recordset, bool loggedIn, MoneyFlow flow, const QDate &start, const QDate &end,
                   const std::optional<QString> &type, Prompter &prompter, ShareChart *chart)
{
    if (!viewAllowed(loggedIn, start, end, prompter))
        return false;
    // The summary view's statement, narrowed to one type when a type is opened.
    const QString key = type ? QStringLiteral("xmmc") : QStringLiteral("xmlx");
    QString query = QStringLiteral("select ") + key + QStringLiteral(",sum(zcje) as zcje1,sum(srje) as srje1 from lcsj where rq>=#")
        + dateText(start, 1) + QStringLiteral("# and rq<=#") + dateText(end, 1) + u'#';
    if (type)
        query += type->isEmpty() ? QStringLiteral(" and (xmlx is null or xmlx='')") : QStringLiteral(" and xmlx=") + quoteText(*type);
    query += QStringLiteral(" group by ") + key;
    const QString column = flow == MoneyFlow::Expense ? QStringLiteral("zcje1") : QStringLiteral("srje1");

    ShareChart result;
    AmountTotal total;
    recordset.Open(query);
    const qint64 n = recordset.RecordCount();
    for (qint64 i = 0; i < n; ++i) {
        const QString text = amountText(recordset.GetNumber(column));
        if (text != QStringLiteral("0.00")) {
            result.groups.append({recordset.GetText(key), amountOf(text), {}});
            total.add(text);
        }
        recordset.MoveNext();
    }
    recordset.Close();
    result.total = amountOfCents(total.cents, total.known);
    if (total.known && total.cents > 0)
        for (ShareGroup &g : result.groups)
            g.share = shareText(centsOf(g.amount), total.cents);
    // Largest first; equal amounts keep the collation order the statement gave them.
    std::stable_sort(result.groups.begin(), result.groups.end(),
                     [](const ShareGroup &a, const ShareGroup &b) { return a.amount.value > b.amount.value; });
    *chart = result;
    return true;
}

MonthsChart computeMonthsChart(DbRecordset &recordset, int year)
{
    // The statistics page's month sums, each over the month's range of days: the day column's
    // index reads the month's records alone, and no date is taken apart row by row, where
    // month(rq) and year(rq) would read and parse the whole ledger.
    QList<Sums> months(12);
    for (int m = 0; m < 12; ++m) {
        const QDate from(year, m + 1, 1);
        recordset.Open(QStringLiteral("select sum(zcje) as zc,sum(srje) as sr from lcsj where rq>=#")
                       + dateText(from, 1) + QStringLiteral("# and rq<#") + dateText(from.addMonths(1), 1) + u'#');
        months[m].expense = amountText(recordset.GetNumber(QStringLiteral("zc")));
        months[m].income = amountText(recordset.GetNumber(QStringLiteral("sr")));
    }
    recordset.Close();
    MonthsChart chart;
    chart.year = year;
    for (int m = 0; m < 12; ++m) {
        chart.months.append(periodOf(QString::number(m + 1) + QStringLiteral("月"), months[m].income, months[m].expense));
        chart.empty = chart.empty && months[m].income == QStringLiteral("0.00") && months[m].expense == QStringLiteral("0.00");
    }
    return chart;
}

YearsChart computeYearsChart(DbRecordset &recordset)
{
    // Each year's sums as the statistics page sums the year.
    QMap<qint64, PeriodFigures> found;
    recordset.Open(QStringLiteral("select year(rq) as nf,sum(zcje) as zc,sum(srje) as sr from lcsj group by year(rq)"));
    const qint64 n = recordset.RecordCount();
    for (qint64 i = 0; i < n; ++i) {
        const qint64 year = recordset.GetInteger(QStringLiteral("nf"));
        found.insert(year,
                     periodOf(QString::number(year), amountText(recordset.GetNumber(QStringLiteral("sr"))),
                              amountText(recordset.GetNumber(QStringLiteral("zc")))));
        recordset.MoveNext();
    }
    recordset.Close();

    YearsChart chart;
    if (found.isEmpty())
        return chart;
    // Years without records between them show as empty years, unless a stray date (a year typed
    // as 2102) would stretch the chart over a century of nothing.
    constexpr qint64 longestSpan = 100;
    const qint64 first = found.firstKey(), last = found.lastKey();
    if (last - first < longestSpan)
        for (qint64 y = first; y <= last; ++y)
            if (!found.contains(y))
                found.insert(y, periodOf(QString::number(y), QStringLiteral("0.00"), QStringLiteral("0.00")));
    __int128 running = 0;
    bool known = true;
    for (PeriodFigures &year : found) {
        running += centsOf(year.balance);
        known = known && year.balance.known;
        year.runningBalance = amountOfCents(running, known);
        chart.years.append(year);
    }
    return chart;
}
