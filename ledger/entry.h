#pragma once
// Entering records: the entry check, new lookup values, saving pending entries in one
// transaction, loading and saving the record being modified. The page hands in its fields as
// plain values and applies the results to its units.
#include "common/prompter.h"
#include "dataaccess/dbrecordset.h"

#include <QDate>
#include <QStringList>

inline const QString expenseKind = QStringLiteral("支出金额：");
inline const QString incomeKind = QStringLiteral("收入金额：");

struct EntryForm
{
    QString type;
    QString name;
    QString person;
    QString remark;
    QDate day;
    QString amount; // as typed
    QString kind;   // the amount label: expenseKind or incomeKind
};

struct CheckedEntry
{
    QString expense = QStringLiteral("0.00");
    QString income = QStringLiteral("0.00");
    bool becameExpense = false; // a negative income was turned into an expense: the form shows it
};

// The widths of the record's text columns (lcsj): a longer type, name or person is refused by the
// entry check, before any lookup value is stored, rather than cut.
inline constexpr int typeLongest = 30;
inline constexpr int nameLongest = 50;
inline constexpr int personLongest = 20;

// Refuses an entry with one message, in a fixed order; asks before a zero amount.
bool checkEntry(const EntryForm &form, Prompter &prompter, CheckedEntry *checked);

// Whether the amount box takes a typed text: a minus sign never; a point only when the box's text,
// as it will be once the typed text replaces the selection (or goes in at the cursor), holds one
// point at most; anything else always.
bool amountKeyAccepted(const QString &boxText, int selectionStart, int selectionLength, int cursor, const QString &typed);

// The drop-down lists of the entry page.
struct LookupLists
{
    QStringList types;
    QStringList names; // of the type shown
    QStringList persons;
};

// Stores the type, name and person the lists do not hold yet, and adds them to the lists.
// A new type empties the name list first when clearNamesOnNewType (adding, not modifying).
bool addLookupValues(DbConnection &connection, const EntryForm &form, LookupLists &lists, bool clearNamesOnNewType,
                     Prompter &prompter);

// One row of the pending list, as its seven cells show it.
struct PendingRow
{
    QString type, name, expense, income, person, day, remark;
};

// Writes every pending row in one transaction; a failing insert writes none of them.
bool saveNewRecords(DbConnection &connection, const QList<PendingRow> &rows, Prompter &prompter);

// A record loaded for modification, as the form shows it.
struct RecordForm
{
    QDate day;
    QString type, name, person, remark;
    QString amount; // two decimals
    bool income = false;
};

bool loadRecord(DbRecordset &recordset, qint64 id, RecordForm *record);

// Rewrites the record with the checked entry and a new updated-at stamp.
bool saveModifiedRecord(DbConnection &connection, qint64 id, const EntryForm &form, const CheckedEntry &checked,
                        Prompter &prompter);
