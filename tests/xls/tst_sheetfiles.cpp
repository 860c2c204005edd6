// The .xlsx and CSV files: reading what other programs write (CSV in every encoding and layout,
// workbooks made by openpyxl), writing what other readers (Python's csv module, openpyxl, xlrd)
// read back the same, tables cut from their sheets, .xls tables continued over several sheets,
// and writing that stops leaving the file as it was.
#include "support/filebytes.h"
#include "common/gbk.h"
#include "dataaccess/xls/sheetfile.h"
#include "dataaccess/xls/xlsxfile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A cell as a test reads it: "-" for Null, else its kind's letter and its value.
QString cellText(const XlsValue &v)
{
    switch (v.kind) {
    case XlsValue::Null:
        return QStringLiteral("-");
    case XlsValue::Text:
        return QStringLiteral("T:") + v.text;
    case XlsValue::Number:
        return QStringLiteral("N:") + QString::number(v.number, 'g', 17);
    case XlsValue::Date:
        return QStringLiteral("D:") + v.date.toString(Qt::ISODate);
    case XlsValue::Boolean:
        return QStringLiteral("B:") + v.text;
    case XlsValue::Error:
        return QStringLiteral("E:") + v.text;
    }
    return {};
}

QString rowText(const QList<XlsValue> &row)
{
    QStringList cells;
    for (const XlsValue &v : row)
        cells.append(cellText(v));
    return cells.join(QStringLiteral(" | "));
}

// Collects the rows a reader hands on.
RowSink collect(QStringList *rows)
{
    return [rows](QList<XlsValue> &row) {
        rows->append(rowText(row));
        return true;
    };
}

// Hands out the rows of a list, then End; Stop instead of the row at stopAt (from 0).
RowSource listSource(const QList<QList<XlsValue>> &rows, qsizetype stopAt = -1)
{
    auto next = std::make_shared<qsizetype>(0);
    return [rows, next, stopAt](QList<XlsValue> &row) {
        if (*next == stopAt)
            return RowPull::Stop;
        if (*next == rows.size())
            return RowPull::End;
        row = rows.at((*next)++);
        return RowPull::Row;
    };
}

// What a Python reader prints for the files, one line per row; the script gets the paths.
QStringList pythonRows(const char *script, const QStringList &paths, QString *error)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + paths);
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        *error = QStringLiteral("python3 failed (tools/install-deps.sh installs its modules): ")
            + QString::fromUtf8(python.readAllStandardError());
        return {};
    }
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

const QList<XlsColumn> typedColumns{{QStringLiteral("名称"), XlsColumnType::Text},
                                    {QStringLiteral("金额"), XlsColumnType::Number},
                                    {QStringLiteral("日期"), XlsColumnType::Date}};

// Texts that trouble writers: separators, quotes, line breaks, blanks at the ends, characters
// XML cannot carry, what looks like an XML escape, characters beyond the BMP and beyond GBK.
QList<QList<XlsValue>> trickyRows()
{
    const QDateTime day(QDate(2012, 11, 5), QTime(0, 0));
    const QStringList texts{QStringLiteral("早餐"), QStringLiteral("a,b;c\td"), QStringLiteral("say \"hi\""),
                            QStringLiteral("two\r\nlines\nand\rmore"), QStringLiteral("  blanks  "),
                            QStringLiteral("bell\x07 and tab\t"), QStringLiteral("_x0041_ stays"),
                            QString::fromUcs4(U"emoji \U0001F600 and 𠀀"), QStringLiteral("₩€ 한국어 ÆØ"),
                            QString()};
    QList<QList<XlsValue>> rows;
    for (qsizetype i = 0; i < texts.size(); ++i)
        rows.append({XlsValue::fromText(texts[i]), XlsValue::fromNumber(i * 1.25 - 3.1),
                     XlsValue::fromDate(day.addDays(i * 400))});
    rows.append({XlsValue(), XlsValue::fromNumber(9999999999999.99), XlsValue()});
    return rows;
}

} // namespace

class TestSheetFiles : public QObject
{
    Q_OBJECT

private slots:
    void csvReading_data();
    void csvReading();
    void csvRefusals_data();
    void csvRefusals();
    void writtenFilesReadBack_data();
    void writtenFilesReadBack();
    void otherReadersReadOurFiles();
    void workbooksOfOpenpyxl();
    void xlsxRefusals_data();
    void xlsxRefusals();
    void tablesAreCutFromTheirSheets_data();
    void tablesAreCutFromTheirSheets();
    void xlsTablesGoOnOverSheets();
    void stoppedWritingLeavesTheFile_data();
    void stoppedWritingLeavesTheFile();
};

void TestSheetFiles::csvReading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("encoding");

    const int utf8 = CsvLayout::Utf8, gbk = CsvLayout::Gb18030;
    QTest::newRow("comma, CRLF") << QByteArray("a,b\r\n1,2\r\n") << QStringList{"T:a | T:b", "T:1 | T:2"} << "," << utf8;
    QTest::newRow("semicolon") << QByteArray("a;b;c\n1,5;2;3\n") << QStringList{"T:a | T:b | T:c", "T:1,5 | T:2 | T:3"}
                               << ";" << utf8;
    QTest::newRow("tab") << QByteArray("a\tb\n1\t2") << QStringList{"T:a | T:b", "T:1 | T:2"} << "\t" << utf8;
    QTest::newRow("CR line ends, no final break") << QByteArray("a,b\r1,2") << QStringList{"T:a | T:b", "T:1 | T:2"} << ","
                                                  << utf8;
    QTest::newRow("quoted separators, quotes and line breaks")
        << QByteArray("\"x,y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\n") << QStringList{"T:x,y | T:say \"hi\" | T:two\r\nlines"}
        << "," << utf8;
    QTest::newRow("empty quoted is text, empty unquoted is Null")
        << QByteArray("a,,\"\"\n,\"\",b\n") << QStringList{"T:a | - | T:", "- | T: | T:b"} << "," << utf8;
    QTest::newRow("blank lines hold no record") << QByteArray("a,b\n\n\r\n1,2\n") << QStringList{"T:a | T:b", "T:1 | T:2"}
                                                << "," << utf8;
    QTest::newRow("a quote inside a field stays") << QByteArray("a\"b,c\n") << QStringList{"T:a\"b | T:c"} << "," << utf8;
    QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBF名称,金额\n早餐,1\n")
                                                  << QStringList{"T:名称 | T:金额", "T:早餐 | T:1"} << "," << utf8;
    QTest::newRow("GB18030") << toGbk("名称,金额\n早餐,1\n") << QStringList{"T:名称 | T:金额", "T:早餐 | T:1"} << "," << gbk;
    QByteArray utf16("\xFF\xFE");
    for (QChar c : QStringLiteral("名称\t金额\r\n"))
        utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    QTest::newRow("UTF-16 with a byte-order mark") << utf16 << QStringList{"T:名称 | T:金额"} << "\t" << int(CsvLayout::Utf16);
    // A bill export: lines of text above the table, and a table whose fields hold other separators.
    QTest::newRow("a preamble above the table")
        << toGbk("支付宝交易记录明细查询\n账号:[test@example.com]\n起始日期:[2024-01-01]; 终止日期:[2024-02-01]\n"
                 "交易号,时间,金额\n1,2024-01-02 10:00:00,3.5\n2,2024-01-03 11:00:00,4\n")
        << QStringList{"T:支付宝交易记录明细查询", "T:账号:[test@example.com]", "T:起始日期:[2024-01-01]; 终止日期:[2024-02-01]",
                       "T:交易号 | T:时间 | T:金额", "T:1 | T:2024-01-02 10:00:00 | T:3.5", "T:2 | T:2024-01-03 11:00:00 | T:4"}
        << "," << gbk;
    QTest::newRow("one column") << QByteArray("a\nb\n") << QStringList{"T:a", "T:b"} << "," << utf8;
}

void TestSheetFiles::csvReading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(QString, separator);
    QFETCH(int, encoding);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.csv");
    QVERIFY(writeFileBytes(path, bytes));
    QStringList read;
    CsvLayout layout;
    QString error;
    QVERIFY2(readCsvRows(path, collect(&read), &error, &layout), qPrintable(error));
    QCOMPARE(read, rows);
    QCOMPARE(QString(layout.separator), separator);
    QCOMPARE(int(layout.encoding), encoding);
}

void TestSheetFiles::csvRefusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("a quoted field left open") << QByteArray("a,\"b\nc,d\n");
    QTest::newRow("a NUL byte") << QByteArray("a,b\0c\n", 6);
    QTest::newRow("bytes of no character") << QByteArray("a,\x81\x20\xFF\n");
}

void TestSheetFiles::csvRefusals()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.csv");
    QVERIFY(writeFileBytes(path, bytes));
    QStringList read;
    QString error;
    QVERIFY(!readCsvRows(path, collect(&read), &error));
    QVERIFY(!error.isEmpty());
}

void TestSheetFiles::writtenFilesReadBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("start"); // the file's first bytes
    QTest::newRow("xlsx") << "t.xlsx" << int(CsvLayout::Detect) << QByteArray("PK");
    QTest::newRow("CSV UTF-8") << "t.csv" << int(CsvLayout::Utf8) << QByteArray("\xEF\xBB\xBF名称,");
    QTest::newRow("CSV GBK") << "t.csv" << int(CsvLayout::Gb18030) << toGbk("名称,");
    QTest::newRow("xls") << "t.xls" << int(CsvLayout::Detect) << QByteArray("\xD0\xCF\x11\xE0");
}

// Each kind reads back what it wrote; CSV gives texts, the workbooks typed cells.
void TestSheetFiles::writtenFilesReadBack()
{
    QFETCH(QString, name);
    QFETCH(int, encoding);
    QFETCH(QByteArray, start);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QString error;
    QVERIFY2(writeSheetTable(path, "lcsj", typedColumns, listSource(trickyRows()), CsvLayout::Encoding(encoding), &error),
             qPrintable(error));
    QVERIFY(fileBytes(path).startsWith(start));
    QStringList read;
    QStringList titles;
    QVERIFY2(readSheetTable(path, "lcsj", [&](const QStringList &t) { titles = t; return true; }, collect(&read), &error),
             qPrintable(error));
    QCOMPARE(titles, QStringList({"名称", "金额", "日期"}));
    QStringList expected;
    const bool csv = name.endsWith(".csv");
    for (const QList<XlsValue> &row : trickyRows()) {
        QList<XlsValue> typed = row;
        if (csv) {
            typed[1] = XlsValue::fromText(QString::number(row[1].number, 'f', QLocale::FloatingPointShortest));
            if (!row[2].isNull())
                typed[2] = XlsValue::fromText(row[2].date.toString("yyyy-MM-dd"));
        }
        expected.append(rowText(typed));
    }
    if (name.endsWith(".xls")) // .xls keeps a line break as the text has it, and drops no control character
        QCOMPARE(read.size(), expected.size());
    else
        QCOMPARE(read, expected);
    if (csv) // CRLF ends each record; line breaks inside a field stay as they were
        QVERIFY(fileBytes(path).contains("\"two\r\nlines\nand\rmore\""));
}

void TestSheetFiles::otherReadersReadOurFiles()
{
    QTemporaryDir dir;
    QString error;
    const QString xlsx = dir.filePath("t.xlsx"), utf8 = dir.filePath("u.csv"), gbk = dir.filePath("g.csv");
    QVERIFY(writeSheetTable(xlsx, "lcsj", typedColumns, listSource(trickyRows()), CsvLayout::Detect, &error));
    QVERIFY(writeSheetTable(utf8, "lcsj", typedColumns, listSource(trickyRows()), CsvLayout::Utf8, &error));
    QVERIFY(writeSheetTable(gbk, "lcsj", typedColumns, listSource(trickyRows()), CsvLayout::Gb18030, &error));
    // openpyxl sees date cells as datetimes and numbers as floats; Python's csv module reads the
    // texts with the encodings Excel uses for them (utf-8-sig, gb18030). repr keeps control characters visible.
    const QStringList rows = pythonRows(R"(
import sys, csv, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
print('sheets', book.sheetnames)
for row in book['lcsj'].iter_rows(values_only=True):
    print('xlsx', repr([v.isoformat() if hasattr(v, 'isoformat') else v for v in row]))
for path, encoding in ((sys.argv[2], 'utf-8-sig'), (sys.argv[3], 'gb18030')):
    with open(path, newline='', encoding=encoding) as f:
        for row in csv.reader(f):
            print('csv', repr(row))
)", {xlsx, utf8, gbk}, &error);
    QVERIFY2(!rows.isEmpty(), qPrintable(error));
    const QList<QList<XlsValue>> tricky = trickyRows();
    QCOMPARE(rows.size(), 1 + 3 * (tricky.size() + 1));
    QCOMPARE(rows[0], QStringLiteral("sheets ['lcsj']"));
    QCOMPARE(rows[1], QStringLiteral("xlsx ['名称', '金额', '日期']"));
    QCOMPARE(rows[2], QStringLiteral("xlsx ['早餐', -3.1, '2012-11-05T00:00:00']"));
    QCOMPARE(rows[5], QStringLiteral("xlsx ['two\\r\\nlines\\nand\\rmore', 0.6499999999999999, '2016-02-18T00:00:00']"));
    // A control character goes as the standard's escape, and so does an underscore that would
    // read as one; openpyxl leaves the escapes of inline texts as they stand.
    QCOMPARE(rows[7], QStringLiteral("xlsx ['bell_x0007_ and tab\\t', 3.15, '2018-04-28T00:00:00']"));
    QCOMPARE(rows[8], QStringLiteral("xlsx ['_x005F_x0041_ stays', 4.4, '2019-06-02T00:00:00']"));
    QCOMPARE(rows[11], QStringLiteral("xlsx ['', 8.15, '2022-09-14T00:00:00']"));
    QCOMPARE(rows[12], QStringLiteral("xlsx [None, 9999999999999.99, None]"));
    const qsizetype csvStart = 1 + tricky.size() + 1;
    for (int file = 0; file < 2; ++file) {
        const QStringList part = rows.mid(csvStart + file * (tricky.size() + 1), tricky.size() + 1);
        QCOMPARE(part[0], QStringLiteral("csv ['名称', '金额', '日期']"));
        QCOMPARE(part[1], QStringLiteral("csv ['早餐', '-3.1', '2012-11-05']"));
        QCOMPARE(part[3], QStringLiteral("csv ['say \"hi\"', '-0.6000000000000001', '2015-01-14']"));
        QCOMPARE(part[4], QStringLiteral("csv ['two\\r\\nlines\\nand\\rmore', '0.6499999999999999', '2016-02-18']"));
        QCOMPARE(part[8], QString::fromUcs4(U"csv ['emoji \U0001F600 and 𠀀', '5.65', '2020-07-06']"));
        QCOMPARE(part[11], QStringLiteral("csv ['', '9999999999999.99', '']"));
    }
}

// Workbooks as another program writes them: shared strings, rich text with phonetic runs, date
// formats of its own, a formula's cached result, booleans, cells left out, rows left out.
void TestSheetFiles::workbooksOfOpenpyxl()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("o.xlsx");
    QString error;
    const QStringList made = pythonRows(R"(
import sys, datetime, openpyxl
book = openpyxl.Workbook()
book.active.title = 'front'
sheet = book.create_sheet('Data')
sheet.append(['名称', '金额', '日期', '时间', '真'])
sheet.append(['早餐', 12.5, datetime.date(2012, 11, 5), datetime.datetime(2024, 1, 2, 3, 4, 5), True])
sheet['C2'].number_format = 'yyyy"年"m"月"d"日"'
sheet['A4'] = '=1+1'
sheet['B4'] = 7
sheet['E4'] = 'x'
book.save(sys.argv[1])
print('ok')
)", {path}, &error);
    QVERIFY2(made == QStringList{"ok"}, qPrintable(error));
    QStringList read;
    QVERIFY2(readXlsxRows(path, "data", collect(&read), &error), qPrintable(error));
    QCOMPARE(read, QStringList({"T:名称 | T:金额 | T:日期 | T:时间 | T:真",
                                "T:早餐 | N:12.5 | D:2012-11-05T00:00:00 | D:2024-01-02T03:04:05 | B:TRUE",
                                "",
                                "- | N:7 | - | - | T:x"}));
    bool ok = false;
    QCOMPARE(xlsxSheetNames(path, &ok), QStringList({"front", "Data"}));
    QVERIFY(ok);
    read.clear();
    QVERIFY(readXlsxRows(path, QString(), collect(&read), &error)); // the first sheet, empty
    QVERIFY(read.isEmpty());
    QVERIFY(!readXlsxRows(path, "missing", collect(&read), &error));
}

void TestSheetFiles::xlsxRefusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no zip") << QByteArray("名称,金额\n");
    // A zip holding one text file "a.txt", not a workbook.
    QTest::newRow("a zip that is no workbook")
        << QByteArray::fromHex("504b030414000000000000002150ac2a93d8020000000200000005000000612e7478746869504b0102140314000000000000"
                               "002150ac2a93d80200000002000000050000000000000000000000800100000000612e747874504b0506000000000100010033000000250000000000");
}

void TestSheetFiles::xlsxRefusals()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.xlsx");
    QVERIFY(writeFileBytes(path, bytes));
    QStringList read;
    QString error;
    QVERIFY(!readXlsxRows(path, "lcsj", collect(&read), &error));
    QVERIFY(!error.isEmpty());
    // A sheet part cut short is damaged too.
    QVERIFY(writeSheetTable(path, "lcsj", typedColumns, listSource(trickyRows()), CsvLayout::Detect, &error));
    QByteArray whole = fileBytes(path);
    const qsizetype part = whole.indexOf("xl/worksheets/sheet1.xml");
    QVERIFY(part > 0);
    whole[part + 60] = char(whole[part + 60] ^ 0x55);
    whole[part + 90] = char(whole[part + 90] ^ 0x55);
    QVERIFY(writeFileBytes(path, whole));
    QVERIFY(!readXlsxRows(path, "lcsj", collect(&read), &error));
}

void TestSheetFiles::tablesAreCutFromTheirSheets_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("plain") << QByteArray("a,b\n1,2\n") << QStringList{"a", "b"} << QStringList{"T:1 | T:2"};
    QTest::newRow("empty rows and columns around the titles")
        << QByteArray(",,\n,a,b,\n,1,2,3\n,4\n") << QStringList{"a", "b"} << QStringList{"T:1 | T:2", "T:4 | -"};
    QTest::newRow("nothing") << QByteArray("\n,,\n") << QStringList{} << QStringList{};
}

void TestSheetFiles::tablesAreCutFromTheirSheets()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, rows);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.csv");
    QVERIFY(writeFileBytes(path, csv));
    QStringList readTitles, read;
    QString error;
    QVERIFY2(readSheetTable(path, "any", [&](const QStringList &t) { readTitles = t; return true; }, collect(&read), &error),
             qPrintable(error));
    QCOMPARE(readTitles, titles);
    QCOMPARE(read, rows);
}

// A table longer than a .xls sheet continues on lcsj2, lcsj3; our reader and xlrd see it whole.
void TestSheetFiles::xlsTablesGoOnOverSheets()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("long.xls");
    QList<QList<XlsValue>> rows;
    for (int i = 0; i < 65535 * 2 + 3; ++i)
        rows.append({XlsValue::fromText(QStringLiteral("行%1").arg(i % 100)), XlsValue::fromNumber(i), XlsValue()});
    QString error;
    QVERIFY(writeXlsSheet(path, "other", typedColumns, {{XlsValue::fromText("x"), XlsValue(), XlsValue()}}));
    QVERIFY2(writeXlsSheets(path, "lcsj", typedColumns, listSource(rows), &error), qPrintable(error));
    QCOMPARE(xlsSheetNames(path), QStringList({"other", "lcsj", "lcsj2", "lcsj3"}));
    qint64 count = 0;
    double last = -1;
    QVERIFY(readSheetTable(path, "lcsj", [](const QStringList &) { return true; }, [&](QList<XlsValue> &row) {
        ++count;
        last = row[1].number;
        return true;
    }, &error));
    QCOMPARE(count, rows.size());
    QCOMPARE(last, double(rows.size() - 1));
    const QStringList seen = pythonRows(R"(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
for sheet in book.sheets():
    print(sheet.name, sheet.nrows, sheet.cell_value(1, 1) if sheet.nrows > 1 else '', sheet.cell_value(sheet.nrows - 1, 1))
)", {path}, &error);
    QVERIFY2(!seen.isEmpty(), qPrintable(error));
    QCOMPARE(seen, QStringList({"other 2  ", "lcsj 65536 0.0 65534.0", "lcsj2 65536 65535.0 131069.0",
                                "lcsj3 4 131070.0 131072.0"}));
    // A sheet of the continuation's name that is in the way fails the writing and keeps the file.
    QVERIFY(!writeXlsSheets(path, "lcsj", typedColumns, listSource({}), &error));
    QVERIFY(writeXlsSheet(path, "tx2", typedColumns, {}));
    QVERIFY(!writeXlsSheets(path, "tx", typedColumns, listSource(rows.mid(0, 65536)), &error));
    QVERIFY(error.contains("tx2"));
    QCOMPARE(xlsSheetNames(path), QStringList({"other", "lcsj", "lcsj2", "lcsj3", "tx2"}));
}

void TestSheetFiles::stoppedWritingLeavesTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    for (const char *name : {"t.xls", "t.xlsx", "t.csv"}) {
        QTest::addRow("%s, new", name) << name << false;
        QTest::addRow("%s, there", name) << name << true;
    }
}

void TestSheetFiles::stoppedWritingLeavesTheFile()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QString error;
    if (exists)
        QVERIFY(writeSheetTable(path, "old", typedColumns, listSource(trickyRows()), CsvLayout::Utf8, &error));
    const QByteArray before = fileBytes(path);
    QVERIFY(!writeSheetTable(path, "lcsj", typedColumns, listSource(trickyRows(), 5), CsvLayout::Utf8, &error));
    // A row of another width is refused the same way.
    QVERIFY(!writeSheetTable(path, "lcsj", typedColumns, listSource({{XlsValue()}}), CsvLayout::Utf8, &error));
    QCOMPARE(QFile::exists(path), exists);
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             exists ? QStringList{name} : QStringList{});
}

QTEST_GUILESS_MAIN(TestSheetFiles)
#include "tst_sheetfiles.moc"
