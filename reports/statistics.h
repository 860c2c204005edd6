#pragma once
// The statistics page: all-time sums, this month and last month by the program's clock, and the
// twelve months and the total of a chosen year. Everything is summed by the database each time.
#include "common/prompter.h"
#include "dataaccess/dbrecordset.h"

#include <QList>
#include <QStringList>

struct Sums
{
    QString expense = QStringLiteral("0.00");
    QString income = QStringLiteral("0.00");
};

struct YearStatistics
{
    QList<Sums> months; // January to December
    Sums total;
    QString caption;    // "（2012）"
};

struct Statistics
{
    QString currentCaption;  // "当月（12月）"
    QString previousCaption; // "上月（11月）"
    Sums allTime, current, previous;
    YearStatistics year;
};

// "请先登录！" and false when nobody is logged in.
bool computeStatistics(DbRecordset &recordset, bool loggedIn, int year, Prompter &prompter, Statistics *statistics);
YearStatistics computeYear(DbRecordset &recordset, int year);

// The years 2000 to this year + 4, and the index of this year.
QStringList yearList(int *currentIndex);
