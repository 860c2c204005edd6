#pragma once
// The bills Alipay and WeChat Pay let a person download (Alipay CSV of the older and the newer
// columns, WeChat Pay CSV and .xlsx), read into rows, proposed as ledger records, and the chosen
// records saved with those the ledger holds already skipped.
#include "common/prompter.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QTime>

class DbConnection;
class DbRecordset;

enum class BillKind { AlipayOlder, AlipayNewer, WeChat };

// One trade of a bill, its texts trimmed (the bills pad fields with blanks and end numbers with tabs).
struct BillRow
{
    QDate day;
    QTime time; // the bills' times are local; kept apart so that no time-zone lookup is paid per row
    QString category; // 交易分类 or 交易类型; empty in the older Alipay bill
    QString counterparty, goods, note, status, tradeNumber;
    double amount = 0;
    bool income = false; // 收入, or money coming back from a refund
    bool refund = false;
    // Why the row moves no money into or out of the household; empty when it does.
    QString noMoney;
};

struct PayBill
{
    BillKind kind = BillKind::WeChat;
    QList<BillRow> rows;
};

// Reads a bill, finding its kind from the column titles wherever they stand. False with a
// message for the person when the file is no bill, is damaged, or is cut short (fewer trades
// than its "共N笔记录" line, a row short of fields, the older Alipay bill without its closing
// summary).
bool readPayBill(const QString &path, PayBill *bill, QString *error);

// What the person chose for a counterparty: the type and name its rows become.
struct CounterpartyChoice
{
    QString type, name;
};
using CounterpartyChoices = QHash<QString, CounterpartyChoice>;

// The record a row would become.
struct BillRecord
{
    QString counterparty;
    QString type, name, person, remark;
    QDate day;
    double expense = 0, income = 0;
    QString tradeNumber;
    bool import = true; // off by default for rows that move no money
    bool held = false;  // the ledger holds the trade already (see markHeldRecords)
};

// The remark a row's record carries: goods, the bill's note, and the trade number that makes the
// record recognisable when the bill, or an overlapping one, is imported again.
QString billRemark(const BillRow &row);

// The records of a bill: type from the row's category (defaultType when it has none), name from
// the counterparty, unless the person chose otherwise for the counterparty before.
QList<BillRecord> proposedRecords(const PayBill &bill, const QString &defaultType, const QString &person,
                                  const CounterpartyChoices &choices);

// Marks the records whose trade number a remark in the ledger the recordset reads carries already
// (a bill, or an overlapping one, imported before): held, and not to be imported. Returns how
// many were marked.
qsizetype markHeldRecords(DbRecordset &recordset, QList<BillRecord> *records);

// The choices remembered in the ledger the recordset reads (an empty set when it keeps none yet).
CounterpartyChoices rememberedChoices(DbRecordset &recordset);

// Writes the records marked for import in one transaction, skipping a record the ledger holds
// already: one whose remark carries the same trade number (so a record the person re-sorted since
// is still known), or, for a row without a trade number, one of the same type, name, expense,
// income, person and day. New types and names join the entry page's lists; the choices are
// remembered. Tells how many records came in, as the Excel import does. A large bill gets a
// safety copy of the ledger first. Nothing is written when any step fails or the person stops.
bool saveBillRecords(DbConnection &connection, DbRecordset &recordset, const QString &billPath,
                     const QList<BillRecord> &records, const CounterpartyChoices &choices, Prompter &prompter,
                     qint64 *added = nullptr);
