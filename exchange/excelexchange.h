#pragma once
// The ledger into an Excel 97-2003 workbook, and a workbook's rows back into the ledger with the
// records it holds already skipped.
#include "common/prompter.h"
#include "dataaccess/dbrecordset.h"

#include <QString>

#include <functional>

// Asks for the file, proposing "理财数据(<today>)", and writes every record into it: into the
// worksheet lcsj of an Excel 97-2003 workbook (continued on lcsj2, lcsj3, … beyond 65,535
// records), a new .xlsx workbook, or CSV text in UTF-8 or GBK, as the chosen filter or the
// name's extension says. The export reports its progress and stops when asked, leaving the
// file as it was.
void exportLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, Prompter &prompter);

// The path an export writes: a name whose extension names no kind of file the program writes
// gets the extension of the chosen filter (from 0), unless that is the Excel 97-2003 one.
QString chosenExchangePath(const QString &path, int filter);

// Asks twice and for the file (.xls, .xlsx or CSV), adds its new rows and tells how many came
// in; the view is refreshed after a successful import. The import reports its progress and stops
// when asked, leaving the ledger as it was.
void importLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, Prompter &prompter,
                  const std::function<void()> &refreshView);

// What makes a row of the file the same as a record already kept: the day, both amounts, the
// person, the type and the name all equal. The amounts come first after the day: records of one
// day mostly differ in their amounts, and numbers compare far faster than Chinese texts do.
inline const QString importDuplicateFilter = QStringLiteral(
    "where rq=ek.日期 and zcje=ek.支出金额 and srje=ek.收入金额 and ry=ek.人员 and xmlx=ek.项目类型 and xmmc=ek.项目名称");
