#pragma once
// What a workbook file must show, whatever its bytes: every sheet it lists reads as a table of
// well-formed cells or fails with a reason, and a sheet added to it reads back as written while
// every other sheet reads as before; a refused write leaves the file as it was.
#include "fuzzsupport.h"

#include "dataaccess/xls/xlsworkbook.h"

#include <cmath>

namespace fuzz {

inline QString describe(const XlsValue &v)
{
    return QStringLiteral("%1:%2:%3:%4").arg(int(v.kind)).arg(v.text).arg(v.number, 0, 'g', 17).arg(v.date.toString(Qt::ISODateWithMs));
}

inline bool sameValue(const XlsValue &a, const XlsValue &b)
{
    const bool sameNumber = a.number == b.number || (std::isnan(a.number) && std::isnan(b.number));
    return a.kind == b.kind && a.text == b.text && sameNumber && a.date == b.date;
}

// Empty when the sheets read the same, else the first difference.
inline QString sheetDifference(const XlsSheet &a, const XlsSheet &b)
{
    if (a.titles != b.titles)
        return QStringLiteral("titles %1 / %2").arg(a.titles.join(u'|'), b.titles.join(u'|'));
    if (a.rows.size() != b.rows.size())
        return QStringLiteral("%1 rows / %2 rows").arg(a.rows.size()).arg(b.rows.size());
    for (qsizetype r = 0; r < a.rows.size(); ++r) {
        if (a.rows[r].size() != b.rows[r].size())
            return QStringLiteral("row %1 width").arg(r);
        for (qsizetype c = 0; c < a.rows[r].size(); ++c)
            if (!sameValue(a.rows[r][c], b.rows[r][c]))
                return QStringLiteral("row %1 column %2: %3 / %4").arg(r).arg(c).arg(describe(a.rows[r][c]), describe(b.rows[r][c]));
    }
    return {};
}

inline void checkSheet(const XlsSheet &sheet, const QString &name)
{
    for (const QList<XlsValue> &row : sheet.rows) {
        FUZZ_CHECK(row.size() == sheet.titles.size(), name);
        for (const XlsValue &v : row) {
            switch (v.kind) {
            case XlsValue::Null:
            case XlsValue::Text:
                break;
            case XlsValue::Number:
                FUZZ_CHECK(v.text.isEmpty(), name + u' ' + describe(v));
                break;
            case XlsValue::Date:
                FUZZ_CHECK(v.date.isValid(), name + u' ' + describe(v));
                break;
            case XlsValue::Boolean:
                FUZZ_CHECK((v.number == 0 && v.text == QStringLiteral("FALSE")) || (v.number == 1 && v.text == QStringLiteral("TRUE")),
                           name + u' ' + describe(v));
                break;
            case XlsValue::Error:
                FUZZ_CHECK(v.text.startsWith(u'#'), name + u' ' + describe(v));
                break;
            default:
                FUZZ_CHECK(false, name + QStringLiteral(" a cell of no kind"));
            }
        }
    }
    // column() finds each title that occurs once, reports duplicates and knows no empty title.
    for (qsizetype i = 0; i < sheet.titles.size(); ++i) {
        const QString &t = sheet.titles[i];
        const int found = sheet.column(t);
        if (t.isEmpty())
            FUZZ_CHECK(found == -1, name);
        else if (sheet.titles.count(t) > 1 || found == -2)
            FUZZ_CHECK(found == -2 || (found >= 0 && sheet.titles[found].compare(t, Qt::CaseInsensitive) == 0), name + u' ' + t);
        else
            FUZZ_CHECK(found >= 0 && sheet.titles[found].compare(t, Qt::CaseInsensitive) == 0, name + u' ' + t);
    }
}

inline void checkWorkbookFile(const QString &path)
{
    bool ok = false;
    const QStringList names = xlsSheetNames(path, &ok);
    if (!ok) {
        FUZZ_CHECK(names.isEmpty(), path);
        return;
    }
    QList<XlsSheet> sheets;
    QList<bool> readable;
    for (const QString &name : names) {
        XlsSheet sheet;
        QString error;
        const bool read = readXlsSheet(path, name, &sheet, &error);
        FUZZ_CHECK(read || !error.isEmpty(), name);
        if (read)
            checkSheet(sheet, name);
        sheets.append(sheet);
        readable.append(read);
    }

    // A new sheet after the others: it reads back as written and the others read as before.
    const QByteArray original = readBytes(path);
    const QString added = QStringLiteral("模糊测试");
    const QList<XlsColumn> columns{{QStringLiteral("项目"), XlsColumnType::Text},
                                   {QStringLiteral("金额"), XlsColumnType::Number},
                                   {QStringLiteral("日期"), XlsColumnType::Date}};
    const QList<QList<XlsValue>> rows{
        {XlsValue::fromText(QStringLiteral("早餐")), XlsValue::fromNumber(12.5), XlsValue::fromDate(QDateTime(QDate(2012, 11, 5), QTime(0, 0)))},
        {XlsValue::fromText(QString()), XlsValue::fromNumber(-0.25), XlsValue::fromDate(QDateTime(QDate(1900, 3, 1), QTime(0, 0)))}};
    QString error;
    if (!writeXlsSheet(path, added, columns, rows, &error)) {
        FUZZ_CHECK(!error.isEmpty(), path);
        FUZZ_CHECK(readBytes(path) == original, QStringLiteral("a refused write changed the file: ") + error);
        return;
    }
    bool again = false;
    const QStringList after = xlsSheetNames(path, &again);
    FUZZ_CHECK(again && after == names + QStringList{added}, after.join(u'|') + QStringLiteral(" after ") + names.join(u'|'));
    XlsSheet back;
    FUZZ_CHECK(readXlsSheet(path, added, &back, &error), error);
    FUZZ_CHECK(back.titles == QStringList({QStringLiteral("项目"), QStringLiteral("金额"), QStringLiteral("日期")}), back.titles.join(u'|'));
    FUZZ_CHECK(back.rows.size() == rows.size(), QString::number(back.rows.size()));
    for (qsizetype r = 0; r < rows.size(); ++r)
        for (qsizetype c = 0; c < 2; ++c)
            FUZZ_CHECK(sameValue(back.rows[r][c], rows[r][c]), describe(back.rows[r][c]) + QStringLiteral(" for ") + describe(rows[r][c]));
    for (qsizetype r = 0; r < rows.size(); ++r)
        FUZZ_CHECK(back.rows[r][2].kind == XlsValue::Date && back.rows[r][2].date == rows[r][2].date, describe(back.rows[r][2]));
    for (qsizetype i = 0; i < names.size(); ++i) {
        XlsSheet sheet;
        const bool read = readXlsSheet(path, names[i], &sheet, &error);
        FUZZ_CHECK(read == readable[i], names[i] + QStringLiteral(": ") + error);
        if (read)
            FUZZ_CHECK(sheetDifference(sheet, sheets[i]).isEmpty(), names[i] + QStringLiteral(" after / before the write: ") + sheetDifference(sheet, sheets[i]));
    }
}

} // namespace fuzz
