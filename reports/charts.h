#pragma once
// The figures behind the chart window: where the money of a date range goes, the months of a year
// and the years of the whole ledger. Every amount is the text the view, summary or statistics page
// shows for the same range, with the value the chart draws; the window only draws them.
#include "common/prompter.h"
#include "dataaccess/dbrecordset.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

enum class MoneyFlow { Expense, Income };

struct ChartAmount
{
    QString text = QStringLiteral("0.00"); // as the pages show it; "超出范围" when no exact figure can be told
    double value = 0;                      // what the chart draws: the text's cents, 0 without a figure
    bool known = true;                     // false with "超出范围"
};

struct ShareGroup
{
    QString name;  // the item type, or the item name within one type
    ChartAmount amount;
    QString share; // "23.4%" of the chart's total; empty when the total is not above zero
};

struct ShareChart
{
    QList<ShareGroup> groups; // the largest first; a group with none of the flow is left out
    ChartAmount total;
};

// The expense or income of the range summed by item type, or within the given type by item name.
// Refused with the view's messages when nobody is logged in or the range ends before it starts.
bool computeShares(DbRecordset &recordset, bool loggedIn, MoneyFlow flow, const QDate &start, const QDate &end,
                   const std::optional<QString> &type, Prompter &prompter, ShareChart *chart);

struct PeriodFigures
{
    QString caption; // "3月" or "2012"
    ChartAmount income, expense;
    ChartAmount balance;        // income less expense
    ChartAmount runningBalance; // the years: the balance of every record up to the end of the year
};

struct MonthsChart
{
    int year = 0;
    QList<PeriodFigures> months; // January to December
    bool empty = true;           // nothing to draw: every month 0.00
};

// The twelve months of the year, each summed as the statistics page sums it, with their balances.
MonthsChart computeMonthsChart(DbRecordset &recordset, int year);

struct YearsChart
{
    QList<PeriodFigures> years; // the first year with records to the last, years between included
};

// Every year of the ledger with its sums, its balance and the running balance.
YearsChart computeYearsChart(DbRecordset &recordset);
