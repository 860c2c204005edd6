#pragma once
// The tables of the program's two kinds of database file, as Jet statements.
#include <QStringList>

// data/yhlb.dat: one row per registered user.
QStringList userDirectorySchema();
// data/<name>_lc.dat: the owner's account, the ledger records and the three lookup lists.
QStringList ledgerSchema();

// The columns of the ledger's records (lcsj, 理财数据), named by the pinyin initials of their
// Chinese names; the item type and name columns of the lookup tables carry the same names.
namespace RecordColumn {
inline const QString type = QStringLiteral("xmlx");    // 项目类型: the item type
inline const QString name = QStringLiteral("xmmc");    // 项目名称: the item name
inline const QString expense = QStringLiteral("zcje"); // 支出金额: the expense amount
inline const QString income = QStringLiteral("srje");  // 收入金额: the income amount
inline const QString person = QStringLiteral("ry");    // 人员: who spent or earned it
inline const QString day = QStringLiteral("rq");       // 日期: the day of the record
inline const QString remark = QStringLiteral("bz");    // 备注: the remark
} // namespace RecordColumn
