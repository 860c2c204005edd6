#pragma once
// The files the workbook statements read and write, whatever their kind: Excel 97-2003 (.xls),
// Excel 2007 and later (.xlsx) and CSV text, told apart by the file's extension.
#include "csvfile.h"

enum class SheetFormat { Xls, Xlsx, Csv };

// .xlsx and .csv (or .txt) by the extension, any case; every other name is an .xls workbook.
SheetFormat sheetFormatOf(const QString &path);

// Reads a table: the first row that holds a value gives the titles (title cells read as
// titleText gives them), from its first value cell to its last; each later row comes cut to
// those columns, Null where it is shorter. A .xls table goes on over the sheets named after it
// with 2, 3, … (continuationSheetName) whose title row is the same; a CSV file is one table
// whatever the sheet's name. `titles` is called once, before the first row; an empty sheet
// calls neither.
bool readSheetTable(const QString &path, const QString &sheet, const std::function<bool(const QStringList &)> &titles,
                    const RowSink &rows, QString *error = nullptr);

// Writes a table into the file in its kind: a .xls gets new sheets (writeXlsSheets), an .xlsx is
// written anew, CSV in the given encoding (UTF-8 when Detect).
bool writeSheetTable(const QString &path, const QString &sheet, const QList<XlsColumn> &columns, const RowSource &source,
                     CsvLayout::Encoding encoding, QString *error = nullptr);

// While one lives, the workbook statements of this thread tell it how many rows they have moved
// so far; when it answers false the statement stops, fails, and leaves the file and the database
// as they were.
class SheetProgress
{
public:
    explicit SheetProgress(std::function<bool(qint64 rows)> watch);
    ~SheetProgress();
    SheetProgress(const SheetProgress &) = delete;
    SheetProgress &operator=(const SheetProgress &) = delete;
    // True when nobody watches or the watcher lets the work go on.
    static bool report(qint64 rows);

private:
    std::function<bool(qint64)> watch;
    SheetProgress *outer;
};
