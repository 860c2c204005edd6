#pragma once
// What the benchmarks of the ledger's views share: a prompter that answers yes and shows nothing,
// the peak memory of the process, and the baseline every view is measured against.
#include "common/prompter.h"

#include <QString>

#include <functional>

class SilentPrompter : public Prompter
{
public:
    void showMessage(const QString &) override {}
    bool askConfirm(const QString &) override { return true; }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
};

// The largest resident size the process has had, in megabytes.
double peakMegabytes();

class DbConnection;
class QDate;
struct sqlite3;

// Adds count records, one a day from 1996 over thirty years and round again, in one transaction:
// the ledger both view benchmarks read.
void addThirtyYears(DbConnection &connection, int count);

// The ledger file at path, made from the ledger template and filled through a connection to it
// the first time it is asked for.
QString ledgerFileWith(const QString &path, const std::function<void(DbConnection &)> &fill);

// A ledger file of its own in a folder that lasts as long as the process, with records records
// over thirty years (addThirtyYears), made the first time it is asked for.
QString ledgerWithRecords(int records);

// Adds count records of a household spread evenly over the days from first to last, in one
// transaction: a dozen item types with their names, everyday amounts, salaries and other income,
// drawn from a fixed sequence so every run writes the same ledger.
void addHousehold(DbConnection &connection, int count, const QDate &first, const QDate &last);

// The detail view's query of first to last (1990-01-01 to 2030-12-31 unless told) stepped by hand
// through the raw API on an open ledger, a lean read: every shown column's bytes or number fetched,
// nothing formatted or kept. Returns the number of rows.
qsizetype rawDetailQuery(sqlite3 *db, const char *first = "1990-01-01", const char *last = "2030-12-31");
