#pragma once
// Excel workbooks of the Office Open XML kind (.xlsx): a zip of XML parts, read through QuaZip
// and QXmlStreamReader, written through QuaZip and QXmlStreamWriter, both a row at a time.
#include "csvfile.h"

// The names of the worksheets in tab order; empty with *ok false when the file is no workbook.
QStringList xlsxSheetNames(const QString &path, bool *ok = nullptr);

// Reads the rows of a worksheet (name compared without regard to letter case; empty names the
// first sheet) from the first row on, typed as a .xls sheet reads: each row holds the cells up
// to its last one, a missing cell is Null, and a row the sheet leaves out between two others
// comes as an empty row. Cells shown with a date or time format are Date cells (1900 or 1904 date
// system as the workbook says); formulas read as their cached results. False with an error text
// when the file is no zip, holds no workbook or no such sheet, or a part is damaged.
bool readXlsxRows(const QString &path, const QString &sheet, const RowSink &sink, QString *error = nullptr);

// Writes a new workbook: a worksheet named sheet with the title row and the rows of source as
// cells of the columns' types (dates as date cells shown YYYY-MM-DD, numbers as number cells,
// texts as texts). Rows beyond a sheet's 1,048,575 continue on sheets named as
// continuationSheetName gives. The file replaces one at path only once every row is written;
// a Stop or a bad row leaves it as it was.
bool writeXlsxFile(const QString &path, const QString &sheet, const QList<XlsColumn> &columns,
                   const RowSource &source, QString *error = nullptr);
