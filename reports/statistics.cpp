#include "statistics.h"

#include "common/clock.h"
#include "common/numbers.h"

#include <QHash>

namespace {

Sums sumsOf(DbRecordset &recordset, const QString &query, const QString &expense, const QString &income)
{
    recordset.Open(query);
    Sums s;
    s.expense = amountText(recordset.GetNumber(expense));
    s.income = amountText(recordset.GetNumber(income));
    return s;
}

} // namespace

bool computeStatistics(DbRecordset &recordset, bool loggedIn, int year, Prompter &prompter, Statistics *statistics)
{
    if (!loggedIn) {
        prompter.showMessage(QStringLiteral("请先登录！"));
        return false;
    }
    const QDate now = Clock::today();
    const QDate before = now.addMonths(-1); // 31 March goes back to the last day of February
    statistics->currentCaption = QStringLiteral("当月（%1月）").arg(now.month());
    statistics->previousCaption = QStringLiteral("上月（%1月）").arg(before.month());
    const QString sums = QStringLiteral("select sum(zcje) as zcje1,sum(srje) as srje1 from lcsj");
    statistics->allTime = sumsOf(recordset, sums, QStringLiteral("zcje1"), QStringLiteral("srje1"));
    statistics->current = sumsOf(recordset,
                                 sums + QStringLiteral(" where month(rq)=Month(now()) and year(rq)=year(now())"),
                                 QStringLiteral("zcje1"), QStringLiteral("srje1"));
    statistics->previous = sumsOf(recordset,
                                  sums + QStringLiteral(" where month(rq)=Month(DateAdd('M',-1,now())) and "
                                                        "year(rq)=year(DateAdd('M',-1,now()))"),
                                  QStringLiteral("zcje1"), QStringLiteral("srje1"));
    statistics->year = computeYear(recordset, year);
    return true;
}

YearStatistics computeYear(DbRecordset &recordset, int year)
{
    const QString y = QString::number(year);
    YearStatistics result;
    result.months = QList<Sums>(12);
    recordset.Open(
        QStringLiteral("select month(rq)&'月' as yf,sum(zcje) as zc,sum(srje) as sr from lcsj where year(rq)=") + y
        + QStringLiteral(" group by month(rq)"));
    // Each row is a month that has records, named "3月"; months without a row stay 0.00.
    const qint64 n = recordset.RecordCount();
    for (qint64 i = 0; i < n; ++i) {
        const QString month = recordset.GetText(QStringLiteral("yf"));
        for (int m = 1; m <= 12; ++m) {
            if (month == QString::number(m) + QStringLiteral("月")) {
                result.months[m - 1].expense = amountText(recordset.GetNumber(QStringLiteral("zc")));
                result.months[m - 1].income = amountText(recordset.GetNumber(QStringLiteral("sr")));
            }
        }
        recordset.MoveNext();
    }
    result.total
        = sumsOf(recordset, QStringLiteral("select sum(zcje) as zc1,sum(srje) as sr1 from lcsj where year(rq)=") + y,
                 QStringLiteral("zc1"), QStringLiteral("sr1"));
    result.caption = QStringLiteral("（") + y + QStringLiteral("）");
    return result;
}

QStringList yearList(int *currentIndex)
{
    const int now = Clock::today().year();
    QStringList years;
    for (int y = 2000; y <= now + 4; ++y)
        years.append(QString::number(y));
    if (currentIndex)
        *currentIndex = int(years.indexOf(QString::number(now)));
    return years;
}
