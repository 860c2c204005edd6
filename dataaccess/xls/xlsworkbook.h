#pragma once
// Worksheets of Excel 97-2003 workbooks (.xls: BIFF8 records in an OLE2 compound file): read one
// sheet's used range as typed cells, write a new sheet into a new or an existing workbook.
// Every function answers with a truth value and an error text, never throws and never crashes on
// a damaged file.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One cell. Null is an empty cell; Text is Unicode text; Number is a plain number; Date is a
// number cell shown with a date or time format (date holds it as local wall-clock time, the
// number its day serial; format 0 is General, whatever a FORMAT record says); Boolean has
// number 0 or 1 and text "TRUE"/"FALSE"; Error has its text ("#DIV/0!", "#N/A", ...). A formula
// cell reads as its cached result.
struct XlsValue
{
    enum Kind { Null, Text, Number, Date, Boolean, Error };
    Kind kind = Null;
    QString text;
    double number = 0;
    QDateTime date;

    static XlsValue fromText(const QString &text);
    static XlsValue fromNumber(double number);
    static XlsValue fromDate(const QDateTime &date);
    bool isNull() const { return kind == Null; }
};

// The text a cell reads as when it is a column title: a number in up to 15 digits, a date as
// YYYY-MM-DD (with hh:mm:ss when it has a time of day), anything else its text.
QString titleText(const XlsValue &v);

// The type a written column gives its cells: text cells, number cells, or date cells (numbers
// shown as YYYY-MM-DD). A value of another kind is written as its own kind; Null leaves the
// cell empty. Dates are written as day serials of the workbook's own date system (1900, or 1904
// when an existing workbook uses it); a Number in a Date column is taken as a 1900-system serial
// (days since 1899-12-30). A Text value, also an empty one, is a text cell.
enum class XlsColumnType { Text, Number, Date };

// A written column: its title in the first row and the type of its cells.
struct XlsColumn
{
    QString title;
    XlsColumnType type = XlsColumnType::Text;
};

// A sheet as read: the first row of the used range as titles, then the rows after it, each
// exactly as wide as titles.
// The used range spans the cells that hold a value (text, number, boolean, error, formula);
// cells that only carry formatting do not widen it. A title cell that is empty reads as empty
// text, a title cell holding a number or date reads as its text; duplicate titles are kept as
// they stand: column() tells both cases apart so a statement can fail on them.
struct XlsSheet
{
    QStringList titles;
    QList<QList<XlsValue>> rows;

    // The position of the column titled title (compared without regard to letter case); -1 when
    // no column has that title or title is empty, -2 when more than one column has it.
    int column(const QString &title) const;
};

// Writes a new worksheet: row 1 holds the column titles, then one row per entry of rows (each
// entry as wide as columns). Creates the workbook when the file is missing; adds the sheet to an
// existing workbook after its last sheet, keeping every other sheet, cell, format and stream.
// Fails with an error text, leaving the file as it was, when:
// - the workbook has a sheet of that name (any kind of sheet; names compare without regard to
//   letter case), or the name is no sheet name (empty, over 31 characters, holding [ ] : * ? / or
//   a backslash, or starting or ending with an apostrophe);
// - the file is locked by another program (LibreOffice's lock file ".~lock.<name>#" beside it,
//   a POSIX record lock or a whole-file flock), cannot be opened for writing, is not a BIFF8
//   workbook, is encrypted or damaged, or its folder is not writable;
// - the workbook cannot take a sheet without changing the others: its shared string table holds
//   other than the strings it announces, or a cell, row, column or style names a cell format or
//   shared string the workbook lacks (the new sheet's would take that number);
// - there are more than 65535 rows, no columns or more than 256, a row of another width than
//   columns, or a text over 32767 characters.
// The new file is written beside the old one and renamed over it, keeping its permissions.
bool writeXlsSheet(const QString &path, const QString &sheet, const QList<XlsColumn> &columns,
                   const QList<QList<XlsValue>> &rows, QString *error = nullptr);

// Where a written sheet takes its rows from, one at a time: fills row (as wide as the columns)
// and answers Row; End when no rows are left; Stop when the writing must end with no file
// written (the source failed, or the person asked to stop).
enum class RowPull { Row, End, Stop };
using RowSource = std::function<RowPull(QList<XlsValue> &row)>;

// Writes the rows of source the way writeXlsSheet writes a list, except that rows beyond a
// sheet's 65535 continue on further sheets named after the first with 2, 3, … ("lcsj2",
// "lcsj3"), each with the title row; every one of those names must be free. The rows are taken
// as they are written, so only the workbook's bytes are held, never the rows. A Stop from the
// source, a row of another width or a text over 32767 characters fails and leaves the file as it
// was.
bool writeXlsSheets(const QString &path, const QString &sheet, const QList<XlsColumn> &columns,
                    const RowSource &source, QString *error = nullptr);

// The name of the n-th sheet (from 1) a long table is written on: sheet itself, then sheet + n.
QString continuationSheetName(const QString &sheet, int n);

// Reads the used range of a worksheet (name compared without regard to letter case) with typed
// cells; false with an error text when the file or the sheet is missing, the file is not a BIFF8
// workbook, is encrypted or damaged, or the used range exceeds 4,194,304 cells.
bool readXlsSheet(const QString &path, const QString &sheet, XlsSheet *out, QString *error = nullptr);

// The names of the worksheets of a workbook in tab order (chart and macro sheets left out);
// empty with *ok false when the file is no readable BIFF8 workbook.
QStringList xlsSheetNames(const QString &path, bool *ok = nullptr);
