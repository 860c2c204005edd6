#include "sheetfile.h"

#include "xlsxfile.h"

#include <QFileInfo>

namespace {

thread_local SheetProgress *watcher = nullptr;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// Hands the rows of one sheet on as a table: titles from the first row with a value, the rows
// after it cut to the titles' columns. `more` is false for a continuation sheet, whose title row
// must repeat the titles and is not handed on.
class TableCutter
{
public:
    TableCutter(const std::function<bool(const QStringList &)> &titles, const RowSink &rows) : onTitles(titles), onRow(rows) {}

    bool row(QList<XlsValue> &cells)
    {
        if (left < 0) {
            qsizetype first = 0;
            while (first < cells.size() && cells.at(first).isNull())
                ++first;
            if (first == cells.size())
                return true; // rows above the table
            qsizetype last = cells.size() - 1;
            while (cells.at(last).isNull())
                --last;
            left = first;
            for (qsizetype c = first; c <= last; ++c)
                names.append(titleText(cells.at(c)));
            return onTitles(names);
        }
        cells.resize(qMax(cells.size(), left + names.size()));
        QList<XlsValue> cut = cells.mid(left, names.size());
        return onRow(cut);
    }
    bool started() const { return left >= 0; }
    QStringList names;

private:
    const std::function<bool(const QStringList &)> &onTitles;
    const RowSink &onRow;
    qsizetype left = -1;
};

bool readXlsTable(const QString &path, const QString &sheet, TableCutter &cutter, QString *error)
{
    bool readable = false;
    const QStringList sheets = xlsSheetNames(path, &readable);
    for (int n = 1;; ++n) {
        const QString name = continuationSheetName(sheet, n);
        if (n > 1 && !sheets.contains(name, Qt::CaseInsensitive))
            return true;
        XlsSheet read;
        if (!readXlsSheet(path, name, &read, error))
            return false;
        if (n > 1 && read.titles != cutter.names)
            return true; // a sheet of that name that holds something else
        if (n == 1) {
            QList<XlsValue> titleRow;
            for (const QString &title : std::as_const(read.titles))
                titleRow.append(XlsValue::fromText(title));
            if (!read.titles.isEmpty() && !cutter.row(titleRow))
                return fail(error, QStringLiteral("the reading was stopped"));
        }
        for (QList<XlsValue> &row : read.rows)
            if (!cutter.row(row))
                return fail(error, QStringLiteral("the reading was stopped"));
    }
}

} // namespace

SheetFormat sheetFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return SheetFormat::Xlsx;
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt"))
        return SheetFormat::Csv;
    return SheetFormat::Xls;
}

bool readSheetTable(const QString &path, const QString &sheet, const std::function<bool(const QStringList &)> &titles,
                    const RowSink &rows, QString *error)
{
    TableCutter cutter(titles, rows);
    const auto row = [&](QList<XlsValue> &cells) { return cutter.row(cells); };
    switch (sheetFormatOf(path)) {
    case SheetFormat::Xlsx:
        return readXlsxRows(path, sheet, row, error);
    case SheetFormat::Csv:
        return readCsvRows(path, row, error);
    default:
        return readXlsTable(path, sheet, cutter, error);
    }
}

bool writeSheetTable(const QString &path, const QString &sheet, const QList<XlsColumn> &columns, const RowSource &source,
                     CsvLayout::Encoding encoding, QString *error)
{
    switch (sheetFormatOf(path)) {
    case SheetFormat::Xlsx:
        return writeXlsxFile(path, sheet, columns, source, error);
    case SheetFormat::Csv:
        return writeCsvFile(path, columns, source, encoding == CsvLayout::Gb18030 ? encoding : CsvLayout::Utf8, error);
    default:
        return writeXlsSheets(path, sheet, columns, source, error);
    }
}

SheetProgress::SheetProgress(std::function<bool(qint64)> watch) : watch(std::move(watch)), outer(watcher)
{
    watcher = this;
}

SheetProgress::~SheetProgress()
{
    watcher = outer;
}

bool SheetProgress::report(qint64 rows)
{
    return !watcher || !watcher->watch || watcher->watch(rows);
}
