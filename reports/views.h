#pragma once
// The view page's list: records of a date range one by one (detail) or summed by item type or
// item name (summary), and the totals of what the list shows.
#include "common/prompter.h"
#include "common/texttable.h"
#include "dataaccess/dbrecordset.h"

#include <QDate>
#include <QList>
#include <QStringList>

inline const QString detailMode = QStringLiteral("详细查看");
inline const QString summaryMode = QStringLiteral("合计查看");

enum class ViewGrouping { None, ItemType, ItemName };

// A row of the list: the record's id (0 for a summary row) and its seven cells: type, name,
// expense, income, person, day (or the day count of a summary), remark.
struct ViewRow
{
    qint64 id = 0;
    QStringList cells;
};
// A list of rows grows by moving its memory, not by moving each row's cells one by one.
Q_DECLARE_TYPEINFO(ViewRow, Q_RELOCATABLE_TYPE);

// Whether a view of the range may be shown; refused with its message when nobody is logged in or
// the range ends before it starts.
bool viewAllowed(bool loggedIn, const QDate &start, const QDate &end, Prompter &prompter);

// Queries the view of the range into rows. Refused with its message when nobody is logged in or
// the range ends before it starts; rows are then left as they were.
bool queryView(DbRecordset &recordset, bool loggedIn, const QString &mode, ViewGrouping grouping, const QDate &start,
               const QDate &end, Prompter &prompter, QList<ViewRow> *rows);

struct Totals
{
    QString expense, income, balance;
    int balanceColour = 0; // red (-1) below zero, green (+1) above, 0: keep the colour it has
    QString days;          // "30 天"
    QString dailyExpense, dailyIncome;
};

// The same view as the list holds it: a table of the seven cells whose row values are the record
// ids, and the totals of what it shows, counted while the rows are read. Refused like queryView;
// the table and totals are then left as they were.
bool queryViewTable(DbRecordset &recordset, bool loggedIn, const QString &mode, ViewGrouping grouping,
                    const QDate &start, const QDate &end, Prompter &prompter, TextTable *rows, Totals *totals);

// The totals of the rows as shown (the two-decimal cells), over the days of the range.
Totals computeTotals(const QList<ViewRow> &rows, const QDate &start, const QDate &end);

// The remark column's width for a list of rowCount rows: at most 250 when the rows need the
// scroll bar (more than threshold), at least 268 otherwise.
int remarkColumnWidth(qsizetype rowCount, int currentWidth, int threshold);
