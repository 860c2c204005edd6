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
    double expense = 0;
    double income = 0;
    for (const ViewRow &row : rows) {
        expense += textToNumber(row.cells.value(2));
        income += textToNumber(row.cells.value(3));
    }
    const double balance = income - expense;
    const qint64 days = start.daysTo(end) + 1;
    Totals t;
    t.expense = amountText(expense);
    t.income = amountText(income);
    t.balance = amountText(balance);
    t.balanceColour = isNegativeAmount(balance) ? -1 : (isPositiveAmount(balance) ? 1 : 0);
    t.days = QString::number(days) + QStringLiteral(" 天");
    t.dailyExpense = amountText(days != 0 ? expense / double(days) : 0);
    t.dailyIncome = amountText(days != 0 ? income / double(days) : 0);
    return t;
}

int remarkColumnWidth(qsizetype rowCount, int currentWidth, int threshold)
{
    if (rowCount > threshold)
        return std::min(currentWidth, 250);
    return std::max(currentWidth, 268);
}
