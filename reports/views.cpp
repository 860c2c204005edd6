#include "views.h"

#include "common/datetext.h"
#include "common/numbers.h"
#include "dataaccess/instances.h"

bool viewAllowed(bool loggedIn, const QDate &start, const QDate &end, Prompter &prompter)
{
    if (!loggedIn) {
        prompter.showMessage(QStringLiteral("请先登录！"));
        return false;
    }
    if (end < start) {
        prompter.showMessage(QStringLiteral("结束日期不能小于开始日期！"));
        return false;
    }
    return true;
}

bool queryView(bool loggedIn, const QString &mode, ViewGrouping grouping, const QDate &start, const QDate &end,
               Prompter &prompter, QList<ViewRow> *rows)
{
    if (!viewAllowed(loggedIn, start, end, prompter))
        return false;
    rows->clear();
    const QString range = QStringLiteral(" from lcsj where rq>=#") + dateText(start, 1) + QStringLiteral("# and rq<=#")
        + dateText(end, 1) + u'#';
    if (mode == summaryMode) {
        const QString key = grouping == ViewGrouping::ItemType ? QStringLiteral("xmlx") : QStringLiteral("xmmc");
        const QString days = QString::number(start.daysTo(end) + 1) + QStringLiteral("天");
        userRecordset.Open(QStringLiteral("select ") + key + QStringLiteral(",sum(zcje) as zcje1,sum(srje) as srje1")
                           + range + QStringLiteral(" group by ") + key);
        const qint64 n = userRecordset.RecordCount();
        rows->reserve(n);
        for (qint64 i = 0; i < n; ++i) {
            rows->append({0, {userRecordset.GetText(key), QString(),
                              amountText(userRecordset.GetNumber(QStringLiteral("zcje1"))),
                              amountText(userRecordset.GetNumber(QStringLiteral("srje1"))), QString(), days, QString()}});
            userRecordset.MoveNext();
        }
        // The rows hold what the view shows; the recordset's copy of them is let go.
        userRecordset.Close();
        return true;
    }
    userRecordset.Open(QStringLiteral("select *") + range + QStringLiteral(" order by rq"));
    const qint64 n = userRecordset.RecordCount();
    rows->reserve(n);
    for (qint64 i = 0; i < n; ++i) {
        rows->append({userRecordset.GetInteger(QStringLiteral("id")),
                      {userRecordset.GetText(QStringLiteral("xmlx")), userRecordset.GetText(QStringLiteral("xmmc")),
                       amountText(userRecordset.GetNumber(QStringLiteral("zcje"))),
                       amountText(userRecordset.GetNumber(QStringLiteral("srje"))),
                       userRecordset.GetText(QStringLiteral("ry")),
                       // the stored day is its own YYYY-MM-DD text
                       userRecordset.GetText(QStringLiteral("rq")).left(10),
                       userRecordset.GetText(QStringLiteral("bz"))}});
        userRecordset.MoveNext();
    }
    userRecordset.Close();
    return true;
}

Totals computeTotals(const QList<ViewRow> &rows, const QDate &start, const QDate &end)
{
    // Exact cents: a total is never a figure a running double sum drifted from.
    AmountTotal expense;
    AmountTotal income;
    for (const ViewRow &row : rows) {
        expense.add(row.cells.value(2));
        income.add(row.cells.value(3));
    }
    const bool balanceKnown = expense.known && income.known;
    const __int128 balance = income.cents - expense.cents;
    const qint64 days = start.daysTo(end) + 1;
    // Halves of a cent round away from zero, as amountText rounds.
    const auto perDay = [days](const AmountTotal &total) {
        if (!total.known)
            return amountOutOfRangeText;
        if (days <= 0)
            return centsText(0);
        const __int128 magnitude = total.cents < 0 ? -total.cents : total.cents;
        const __int128 rounded = (2 * magnitude + days) / (2 * __int128(days));
        return centsText(total.cents < 0 ? -rounded : rounded);
    };
    Totals t;
    t.expense = expense.text();
    t.income = income.text();
    t.balance = balanceKnown ? centsText(balance) : amountOutOfRangeText;
    t.balanceColour = !balanceKnown ? 0 : (balance < 0 ? -1 : (balance > 0 ? 1 : 0));
    t.days = QString::number(days) + QStringLiteral(" 天");
    t.dailyExpense = perDay(expense);
    t.dailyIncome = perDay(income);
    return t;
}

int remarkColumnWidth(qsizetype rowCount, int currentWidth, int threshold)
{
    if (rowCount > threshold)
        return std::min(currentWidth, 250);
    return std::max(currentWidth, 268);
}
