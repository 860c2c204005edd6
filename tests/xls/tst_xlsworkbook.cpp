// Reading and writing worksheets of .xls workbooks: fixtures written by LibreOffice Calc, xlwt
// (tests/xls/fixtures/makefixtures.py) and SheetJS (makesheetjs.js), our own workbooks read back
// by us and by xlrd, and damaged, encrypted and locked files.
#include "support/filebytes.h"
#include "dataaccess/xls/biff.h"
#include "dataaccess/xls/compoundfile.h"
#include "dataaccess/xls/xlsformat.h"
#include "dataaccess/xls/xlsworkbook.h"
#include "testpaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

#undef signals
#include <gsf/gsf.h>

using namespace biff;

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(KELM_TEST_DATA_DIR "/xls/fixtures/") + name;
}

QString copyFixture(const QString &name, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(name);
    QFile::remove(path);
    QFile::copy(fixture(name), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

XlsValue date(int y, int m, int d, QTime time = QTime(0, 0))
{
    return XlsValue::fromDate(QDateTime(QDate(y, m, d), time));
}
XlsValue text(const QString &s) { return XlsValue::fromText(s); }
XlsValue number(double n) { return XlsValue::fromNumber(n); }

// A cell as a short text, so that a failed comparison shows what differs.
QString describe(const XlsValue &v)
{
    switch (v.kind) {
    case XlsValue::Null: return QStringLiteral("-");
    case XlsValue::Text: return QStringLiteral("T:") + v.text;
    case XlsValue::Number: return QStringLiteral("N:") + QString::number(v.number, 'g', 15);
    case XlsValue::Date: return QStringLiteral("D:") + v.date.toString(Qt::ISODateWithMs);
    case XlsValue::Boolean: return QStringLiteral("B:") + v.text;
    case XlsValue::Error: return QStringLiteral("E:") + v.text;
    }
    return {};
}

QStringList describe(const QList<QList<XlsValue>> &rows)
{
    QStringList lines;
    for (const QList<XlsValue> &row : rows) {
        QStringList cells;
        for (const XlsValue &v : row)
            cells << describe(v);
        lines << cells.join(QStringLiteral(" | "));
    }
    return lines;
}

const QStringList ledgerTitles{"项目类型", "项目名称", "支出金额", "收入金额", "人员", "日期", "备注"};

// The rows of the ledger fixtures (makefixtures.py, LEDGER); lastRemark is how the writer kept
// the empty remark of the last row.
QList<QList<XlsValue>> ledgerRows(const XlsValue &lastRemark)
{
    return {
        {text("生活"), text("早餐"), number(12.5), number(0), text("张三"), date(2012, 11, 5), text("豆浆油条")},
        {text("工资"), text("月薪"), number(0), number(8000), text("李四"), date(2012, 11, 10), XlsValue()},
        {text("交通"), text("地铁"), number(3), number(0), text("张三"), date(2012, 11, 30), text("say \"hi\", then go")},
        {text("生活"), text("午餐"), number(1234567.89), number(0), XlsValue(), date(2012, 12, 1), text("公司楼下")},
        {text("Misc"), text("rent"), number(0.01), number(0), text("Ann"), date(2024, 2, 29), lastRemark},
    };
}

QList<XlsColumn> ledgerColumns()
{
    const XlsColumnType t = XlsColumnType::Text, n = XlsColumnType::Number, d = XlsColumnType::Date;
    const QList<XlsColumnType> types{t, t, n, n, t, d, t};
    QList<XlsColumn> columns;
    for (int i = 0; i < ledgerTitles.size(); ++i)
        columns.append({ledgerTitles.at(i), types.at(i)});
    return columns;
}

// Every stream of a compound file by its path, the Workbook stream left out.
void collectStreams(GsfInfile *in, const QString &prefix, QMap<QString, QByteArray> *out)
{
    for (int i = 0; i < gsf_infile_num_children(in); ++i) {
        const QString name = prefix + QString::fromUtf8(gsf_infile_name_by_index(in, i));
        GsfInput *child = gsf_infile_child_by_index(in, i);
        if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
            collectStreams(GSF_INFILE(child), name + u'/', out);
        } else if (name != QLatin1String("Workbook")) {
            QByteArray bytes(gsf_input_size(child), '\0');
            if (!bytes.isEmpty())
                gsf_input_read(child, bytes.size(), reinterpret_cast<guint8 *>(bytes.data()));
            out->insert(name, bytes);
        }
        g_object_unref(child);
    }
}

QMap<QString, QByteArray> otherStreams(const QString &path)
{
    QMap<QString, QByteArray> streams;
    GsfInput *input = gsf_input_stdio_new(QFile::encodeName(path).constData(), nullptr);
    if (!input)
        return streams;
    if (GsfInfile *infile = gsf_infile_msole_new(input, nullptr)) {
        collectStreams(infile, QString(), &streams);
        g_object_unref(infile);
    }
    g_object_unref(input);
    return streams;
}

// A compound file holding one stream of the given name and bytes.
bool writeCompound(const QString &path, const char *stream, const QByteArray &bytes)
{
    GsfOutput *sink = gsf_output_stdio_new(QFile::encodeName(path).constData(), nullptr);
    if (!sink)
        return false;
    GsfOutfile *outfile = gsf_outfile_msole_new(sink);
    GsfOutput *child = gsf_outfile_new_child(outfile, stream, FALSE);
    gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8 *>(bytes.constData()));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(outfile));
    g_object_unref(outfile);
    g_object_unref(sink);
    return true;
}

QByteArray workbookStream(const QString &path)
{
    QByteArray stream;
    QString error;
    readWorkbookStream(fileBytes(path), &stream, &error);
    return stream;
}

Record recordAt(const QByteArray &stream, qsizetype position)
{
    Record r;
    RecordReader(stream, position).peek(&r);
    return r;
}

// Checks every stream position a workbook stream holds: each sheet's BOF, the EXTSST buckets
// pointing at the starts of their strings, and the INDEX records pointing at DEFCOLWIDTH and
// DBCELL records. Empty when all hold, else what is wrong.
QString checkPositions(const QByteArray &stream)
{
    Globals g;
    QString error;
    if (!readGlobals(stream, &g, &error))
        return error;
    for (const SheetEntry &s : g.sheets) {
        if (recordAt(stream, s.position).type != Bof)
            return QStringLiteral("sheet %1 does not start with BOF").arg(s.name);
        QList<Record> indexes;
        if (substreamEnd(stream, s.position, &indexes) < 0)
            return QStringLiteral("sheet %1 does not end").arg(s.name);
        for (const Record &r : indexes) {
            if (u32(r.body + 12) && recordAt(stream, u32(r.body + 12)).type != 0x0055)
                return QStringLiteral("INDEX of %1 misses DEFCOLWIDTH").arg(s.name);
            for (int k = 16; k + 4 <= r.size; k += 4)
                if (recordAt(stream, u32(r.body + k)).type != 0x00D7)
                    return QStringLiteral("INDEX of %1 misses a DBCELL").arg(s.name);
        }
    }
    for (const Record &r : g.records) {
        if (r.type != ExtSst)
            continue;
        const int per = u16(r.body);
        for (int k = 0; 2 + 8 * k + 8 <= r.size; ++k) {
            const auto [part, offset] = g.stringStarts.value(k * per, {-1, -1});
            if (part < 0)
                return QStringLiteral("EXTSST has a bucket too many");
            const Record &at = g.records.at(g.sstRecord + part);
            if (u32(r.body + 2 + 8 * k) != quint32(at.offset + 4 + offset)
                || u16(r.body + 6 + 8 * k) != 4 + offset)
                return QStringLiteral("EXTSST bucket %1 misses its string").arg(k);
        }
    }
    return {};
}

// The sheets and cells of workbooks as xlrd, an independent reader, sees them: a line "sheet
// <name>" and then a line of cells per row; the sheet named "strings" is summed up by the MD5 of
// its texts. False with the error in *error when xlrd fails on a workbook.
bool xlrdCells(const QStringList &paths, QStringList *lines, QString *error)
{
    const char *script = R"(
import sys, xlrd
for path in sys.argv[1:]:
    book = xlrd.open_workbook(path, formatting_info=True)
    for sheet in book.sheets():
        print('sheet', sheet.name)
        if sheet.name == 'strings':
            import hashlib
            texts = '\n'.join(sheet.cell_value(r, 0) for r in range(sheet.nrows))
            print(hashlib.md5(texts.encode('utf-8')).hexdigest())
            continue
        for r in range(sheet.nrows):
            cells = []
            for c in sheet.row(r):
                if c.ctype == xlrd.XL_CELL_DATE:
                    cells.append('D:' + xlrd.xldate.xldate_as_datetime(c.value, book.datemode).isoformat())
                elif c.ctype == xlrd.XL_CELL_NUMBER:
                    cells.append('N:' + repr(c.value))
                elif c.ctype == xlrd.XL_CELL_TEXT:
                    cells.append('T:' + (c.value if len(c.value) < 50 else '%d:%s' % (len(c.value), c.value[-3:])))
                else:
                    cells.append('-')
            print(' | '.join(cells))
)";
    QProcess xlrd;
    xlrd.start(QStringLiteral("/usr/bin/python3"),
               QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + paths);
    if (!xlrd.waitForFinished(60000) || xlrd.exitCode() != 0) {
        *error = QStringLiteral("python3-xlrd failed (install it with tools/install-deps.sh): ")
                 + QString::fromUtf8(xlrd.readAllStandardError());
        return false;
    }
    *lines = QString::fromUtf8(xlrd.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return true;
}

QString longText(int i)
{
    QString s = QStringLiteral("长文本第%1行：").arg(i);
    for (int k = 0; k < 60; ++k)
        s += QStringLiteral("记账理财数据");
    return s.left(300);
}

} // namespace

class TestXlsWorkbook : public QObject
{
    Q_OBJECT

private slots:
    void readsLedgerSheets_data();
    void readsLedgerSheets();
    void readsFormulasAndFormats();
    void readsStringsOverContinueRecords();
    void readsUsedRangeWithEmptyCells();
    void reportsMissingAndDuplicateTitles();
    void readsEveryCellRecord();
    void datesFromSerials_data();
    void datesFromSerials();
    void dateFormats_data();
    void dateFormats();
    void writesAndReadsBack();
    void writesTheRowLimit();
    void addsSheetKeepingTheWorkbook_data();
    void addsSheetKeepingTheWorkbook();
    void addingMovesIndexPositions();
    void refusesToWrite_data();
    void refusesToWrite();
    void refusesLockedFile_data();
    void refusesLockedFile();
    void refusesBadWorkbooks_data();
    void refusesBadWorkbooks();
    void addsToMalformedWorkbooks_data();
    void addsToMalformedWorkbooks();
    void xlrdReadsOurWorkbooks();
};

void TestXlsWorkbook::readsLedgerSheets_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<XlsValue>("lastRemark");
    // LibreOffice keeps an empty text as a text cell; xlwt writes it as a blank cell.
    QTest::newRow("LibreOffice") << "lo_lcsj.xls" << text("");
    QTest::newRow("xlwt") << "xlwt_lcsj.xls" << XlsValue();
    QTest::newRow("SheetJS, LABEL records") << "sheetjs_lcsj.xls" << text("");
}

void TestXlsWorkbook::readsLedgerSheets()
{
    QFETCH(QString, file);
    QFETCH(XlsValue, lastRemark);
    XlsSheet sheet;
    QString error;
    QVERIFY2(readXlsSheet(fixture(file), QStringLiteral("LCSJ"), &sheet, &error), qPrintable(error));
    QCOMPARE(sheet.titles, ledgerTitles);
    QCOMPARE(describe(sheet.rows), describe(ledgerRows(lastRemark)));
    QCOMPARE(sheet.rows.at(0).at(5).number, 41218.0);

    bool ok = false;
    QCOMPARE(xlsSheetNames(fixture(file), &ok), QStringList{"lcsj"});
    QVERIFY(ok);
}

void TestXlsWorkbook::readsFormulasAndFormats()
{
    XlsSheet sheet;
    QString error;
    QVERIFY2(readXlsSheet(fixture("lo_twosheets.xls"), QStringLiteral("账本"), &sheet, &error),
             qPrintable(error));
    QCOMPARE(sheet.titles, (QStringList{"月份", "金额", "说明", "日期", "时间", "合计"}));
    XlsValue divided;
    divided.kind = XlsValue::Error;
    divided.text = QStringLiteral("#DIV/0!");
    const QList<QList<XlsValue>> expected{
        // a text formula result, a currency format, a 年月日 date, a time of day
        {number(1), number(1500.75), text("1月账单"), date(2013, 1, 31),
         date(1899, 12, 30, QTime(8, 30)), number(3001.5)},
        {number(2), number(-20), text("退款"), date(2013, 2, 28), XlsValue(), number(-40)},
        // LibreOffice stores TRUE as the number 1 with a boolean format
        {text("小计"), number(1480.75), number(1), XlsValue(), XlsValue(), divided},
    };
    QCOMPARE(describe(sheet.rows), describe(expected));
    QCOMPARE(xlsSheetNames(fixture("lo_twosheets.xls")), (QStringList{"账本", "Sheet2"}));
}

void TestXlsWorkbook::readsStringsOverContinueRecords()
{
    XlsSheet sheet;
    QString error;
    QVERIFY2(readXlsSheet(fixture("lo_longstrings.xls"), QStringLiteral("lcsj"), &sheet, &error),
             qPrintable(error));
    QCOMPARE(sheet.rows.size(), 41);
    for (int i = 0; i < 40; ++i)
        QCOMPARE(sheet.rows.at(i).at(1).text, longText(i + 1));
    QString huge = QStringLiteral("ABCDEFGHIJ").repeated(500)
                   + QStringLiteral("一二三四五六七八九十").repeated(500);
    QCOMPARE(sheet.rows.at(40).at(1).text, huge);
}

void TestXlsWorkbook::readsUsedRangeWithEmptyCells()
{
    XlsSheet sheet;
    QString error;
    QVERIFY2(readXlsSheet(fixture("lo_emptycells.xls"), QStringLiteral("lcsj"), &sheet, &error),
             qPrintable(error));
    // The used range starts at B3; the empty row inside it is a row of Nulls.
    QCOMPARE(sheet.titles, ledgerTitles);
    const XlsValue n;
    const QList<QList<XlsValue>> expected{
        {text("生活"), n, number(5), n, n, date(2012, 11, 5), n},
        {n, n, n, n, n, n, n},
        {n, text("晚餐"), n, number(7), text("王五"), n, text("末行")},
    };
    QCOMPARE(describe(sheet.rows), describe(expected));
}

void TestXlsWorkbook::reportsMissingAndDuplicateTitles()
{
    XlsSheet missing, duplicate;
    QVERIFY(readXlsSheet(fixture("lo_missingtitle.xls"), QStringLiteral("lcsj"), &missing));
    QCOMPARE(missing.titles.at(4), QString());
    QCOMPARE(missing.column(QStringLiteral("人员")), -1);
    QCOMPARE(missing.column(QString()), -1);
    QCOMPARE(missing.column(QStringLiteral("日期")), 5);
    QCOMPARE(missing.rows.at(0).at(4).text, QStringLiteral("张三"));

    QVERIFY(readXlsSheet(fixture("lo_duplicatetitle.xls"), QStringLiteral("lcsj"), &duplicate));
    QCOMPARE(duplicate.column(QStringLiteral("项目类型")), -2);
    QCOMPARE(duplicate.column(QStringLiteral("项目名称")), 1);

    XlsSheet latin;
    latin.titles = QStringList{"Name", "Amount"};
    QCOMPARE(latin.column(QStringLiteral("AMOUNT")), 1);
}

// Cell records the fixtures' writers do not use: LABEL and RSTRING, every kind of RK, booleans and
// empty texts from formulas, a formula's STRING going on in a CONTINUE record in another width,
// and blank cells that do not widen the used range.
void TestXlsWorkbook::readsEveryCellRecord()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("records.xls");
    QVERIFY(writeXlsSheet(path, QStringLiteral("lcsj"), {{"x", XlsColumnType::Text}}, {}));
    const QByteArray stream = workbookStream(path);
    Globals g;
    QVERIFY(readGlobals(stream, &g, nullptr));
    const qsizetype sheetAt = g.sheets.first().position;

    const auto cell = [](int row, int col) {
        QByteArray b;
        put16(b, quint16(row));
        put16(b, quint16(col));
        put16(b, 15);
        return b;
    };
    const auto rk = [&](int row, int col, quint32 value) {
        QByteArray b = cell(row, col);
        put32(b, value);
        return b;
    };
    const auto formula = [&](int row, int col, const QByteArray &result) {
        QByteArray b = cell(row, col) + result;
        put16(b, 0);
        put32(b, 0);
        put16(b, 0);
        return b;
    };
    Writer w;
    RecordReader reader(stream, sheetAt);
    Record bof;
    reader.next(&bof);
    w.record(Bof, bof.body, bof.size);
    w.record(Dimensions, QByteArray::fromHex("000000000a000000" "00000a000000"));
    QByteArray label = cell(0, 0);
    putString16(label, QStringLiteral("名称"));
    w.record(Label, label);
    label = cell(0, 1);
    putString16(label, QStringLiteral("value"));
    w.record(Label, label);
    QByteArray rich = cell(0, 2);
    putString16(rich, QStringLiteral("富文本"));
    rich += QByteArray::fromHex("01000000" "0000");
    w.record(RString, rich);
    w.record(Rk, rk(1, 0, quint32(-5 * 4) | 2));   // integer
    w.record(Rk, rk(1, 1, (1234u << 2) | 3));       // integer over 100
    w.record(Rk, rk(1, 2, 0x40040000u));            // the high bits of 2.5
    QByteArray mulrk;
    put16(mulrk, 2);
    put16(mulrk, 0);
    for (quint32 v : {(1u << 2) | 2, (2u << 2) | 2, 0x3FE00000u}) {
        put16(mulrk, 15);
        put32(mulrk, v);
    }
    put16(mulrk, 2);
    w.record(MulRk, mulrk);
    w.record(Formula, formula(2, 3, QByteArray::fromHex("010001000000ffff")));  // TRUE
    w.record(Formula, formula(3, 0, QByteArray::fromHex("000000000000ffff")));  // text, below
    w.record(0x04BC, QByteArray(8, '\0'));                                      // a shared formula
    w.record(String, QByteArray::fromHex("050000") + "abc");
    w.record(Continue, QByteArray::fromHex("01") + QByteArray::fromHex("2d4e8765"));  // 中文
    w.record(Formula, formula(3, 1, QByteArray::fromHex("030000000000ffff")));  // empty text
    w.record(Blank, cell(3, 2));
    QByteArray mulblank;
    put16(mulblank, 9);
    put16(mulblank, 0);
    for (int i = 0; i < 9; ++i)
        put16(mulblank, 15);
    put16(mulblank, 8);
    w.record(MulBlank, mulblank);
    w.record(Eof, QByteArray());

    QByteArray file;
    QVERIFY(buildCompoundFile(stream.left(sheetAt) + w.bytes, {}, &file, nullptr));
    QVERIFY(writeFileBytes(path, file));
    XlsSheet sheet;
    QString error;
    QVERIFY2(readXlsSheet(path, QStringLiteral("lcsj"), &sheet, &error), qPrintable(error));
    QCOMPARE(sheet.titles, (QStringList{"名称", "value", "富文本", ""}));
    XlsValue yes;
    yes.kind = XlsValue::Boolean;
    yes.number = 1;
    yes.text = QStringLiteral("TRUE");
    const XlsValue n;
    const QList<QList<XlsValue>> expected{
        {number(-5), number(12.34), number(2.5), n},
        {number(1), number(2), number(0.5), yes},
        {text("abc中文"), n, n, n},
    };
    QCOMPARE(describe(sheet.rows), describe(expected));
}

void TestXlsWorkbook::datesFromSerials_data()
{
    QTest::addColumn<double>("serial");
    QTest::addColumn<bool>("system1904");
    QTest::addColumn<QDateTime>("expected");
    const auto at = [](int y, int m, int d, int h = 0, int min = 0, int s = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min, s));
    };
    QTest::newRow("a day") << 41218.0 << false << at(2012, 11, 5);
    QTest::newRow("noon") << 41218.5 << false << at(2012, 11, 5, 12);
    QTest::newRow("1900-01-01 is 1") << 1.0 << false << at(1900, 1, 1);
    QTest::newRow("1900-02-28 is 59") << 59.0 << false << at(1900, 2, 28);
    QTest::newRow("the invented 29 February") << 60.0 << false << at(1900, 2, 28);
    QTest::newRow("1900-03-01 is 61") << 61.0 << false << at(1900, 3, 1);
    QTest::newRow("a time of day only") << 0.25 << false << at(1899, 12, 30, 6);
    QTest::newRow("rounded up to the next day") << 43101.9999999999 << false << at(2018, 1, 2);
    QTest::newRow("seconds") << 41218.0 + (13 * 3600 + 45 * 60 + 30) / 86400.0 << false
                             << at(2012, 11, 5, 13, 45, 30);
    QTest::newRow("1904 start") << 0.0 << true << at(1904, 1, 1);
    QTest::newRow("1904 day") << 39756.0 << true << at(2012, 11, 5);
    QTest::newRow("no number") << std::nan("") << false << QDateTime();
    QTest::newRow("far future") << 1e9 << false << QDateTime();
}

void TestXlsWorkbook::datesFromSerials()
{
    QFETCH(double, serial);
    QFETCH(bool, system1904);
    QFETCH(QDateTime, expected);
    QCOMPARE(dateFromSerial(serial, system1904), expected);
    if (expected.isValid() && !system1904 && QTest::currentDataTag() != QByteArray("the invented 29 February"))
        QCOMPARE(dateFromSerial(serialFromDate(expected), false), expected);
}

void TestXlsWorkbook::dateFormats_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("isDate");
    QTest::newRow("ours") << "YYYY-MM-DD" << true;
    QTest::newRow("LibreOffice Chinese") << "yyyy\\年m\\月d\\日" << true;
    QTest::newRow("Chinese unescaped") << "yyyy年m月" << true;
    QTest::newRow("locale prefix") << "[$-804]yyyy\"年\"m\"月\"" << true;
    QTest::newRow("time") << "hh:mm" << true;
    QTest::newRow("elapsed hours") << "[h]:mm:ss" << true;
    QTest::newRow("General") << "General" << false;
    QTest::newRow("Chinese General") << "G/通用格式" << false;
    QTest::newRow("decimals") << "0.00" << false;
    QTest::newRow("colour section") << "#,##0.00;[Red]-#,##0.00" << false;
    QTest::newRow("currency") << "[$¥]#,##0.00" << false;
    QTest::newRow("quoted letters") << "\"Days\" 0" << false;
    QTest::newRow("escaped letter") << "0\\d" << false;
    QTest::newRow("spacer") << "0.00_m" << false;
    QTest::newRow("scientific") << "0.00E+00" << false;
    QTest::newRow("text") << "@" << false;
}

void TestXlsWorkbook::dateFormats()
{
    QFETCH(QString, code);
    QFETCH(bool, isDate);
    QCOMPARE(isDateFormatCode(code), isDate);
    QVERIFY(isBuiltinDateFormat(14) && isBuiltinDateFormat(22) && isBuiltinDateFormat(57));
    QVERIFY(!isBuiltinDateFormat(0) && !isBuiltinDateFormat(2) && !isBuiltinDateFormat(49));
}

void TestXlsWorkbook::writesAndReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("导出.xls");
    const QList<XlsColumn> columns{{"项目类型", XlsColumnType::Text},
                                   {"支出金额", XlsColumnType::Number},
                                   {"日期", XlsColumnType::Date},
                                   {"备注", XlsColumnType::Text}};
    const QString wide = QStringLiteral("长备注").repeated(1700);        // 5,100 characters
    const QString latin = QStringLiteral("abcdefghij").repeated(2000);  // 20,000 characters
    XlsValue yes;
    yes.kind = XlsValue::Boolean;
    yes.number = 1;
    XlsValue na;
    na.kind = XlsValue::Error;
    na.text = QStringLiteral("#DIV/0!");
    const XlsValue n;
    QList<QList<XlsValue>> rows{
        {text("生活"), number(12.5), date(2012, 11, 5), text("豆浆油条")},
        {text(""), number(0), date(2012, 11, 5, QTime(13, 45, 30)), text("")},
        {n, n, n, n},
        {text("Latin"), number(-1234567.891), date(1900, 1, 15), text(wide)},
        {text("生活"), number(std::nan("")), date(1899, 12, 30), text(latin)},
        {yes, na, number(41218), text("abc")},
        {text("A"), text("12.50"), text("2012-11-05"), text("生活")},
    };
    QString error;
    QVERIFY2(writeXlsSheet(path, QStringLiteral("lcsj"), columns, rows, &error), qPrintable(error));

    XlsValue numError;
    numError.kind = XlsValue::Error;
    numError.text = QStringLiteral("#NUM!");
    XlsValue yesRead = yes;
    yesRead.text = QStringLiteral("TRUE");
    QList<QList<XlsValue>> expected = rows;
    expected[4][1] = numError;          // a number no cell can hold
    expected[5][0] = yesRead;
    expected[5][2] = date(2012, 11, 5); // a number in a date column shows as a date
    XlsSheet sheet;
    QVERIFY2(readXlsSheet(path, QStringLiteral("lcsj"), &sheet, &error), qPrintable(error));
    QCOMPARE(sheet.titles, (QStringList{"项目类型", "支出金额", "日期", "备注"}));
    QCOMPARE(describe(sheet.rows), describe(expected));
    QCOMPARE(checkPositions(workbookStream(path)), QString());

    // Nothing is left beside the workbook.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"导出.xls"});
}

void TestXlsWorkbook::writesTheRowLimit()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("limit.xls");
    QList<QList<XlsValue>> rows(65535, QList<XlsValue>{number(1)});
    rows.last() = {number(65535)};
    QString error;
    QVERIFY2(writeXlsSheet(path, QStringLiteral("lcsj"), {{"n", XlsColumnType::Number}}, rows, &error),
             qPrintable(error));
    XlsSheet sheet;
    QVERIFY(readXlsSheet(path, QStringLiteral("lcsj"), &sheet));
    QCOMPARE(sheet.rows.size(), 65535);
    QCOMPARE(sheet.rows.last().first().number, 65535.0);
}

void TestXlsWorkbook::addsSheetKeepingTheWorkbook_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("LibreOffice, two sheets") << "lo_twosheets.xls";
    QTest::newRow("LibreOffice, strings over CONTINUE") << "lo_longstrings.xls";
    QTest::newRow("xlwt, padded stream") << "xlwt_lcsj.xls";
    QTest::newRow("1904 dates") << "lo_1904.xls";
    QTest::newRow("SheetJS, no EXTSST") << "sheetjs_lcsj.xls";
}

void TestXlsWorkbook::addsSheetKeepingTheWorkbook()
{
    QFETCH(QString, file);
    QTemporaryDir dir;
    const QString path = copyFixture(file, dir);
    const QStringList sheetsBefore = xlsSheetNames(path);
    QList<XlsSheet> before;
    for (const QString &name : sheetsBefore) {
        before.append(XlsSheet());
        QVERIFY(readXlsSheet(path, name, &before.last()));
    }
    const QByteArray oldStream = workbookStream(path);
    Globals oldGlobals;
    QVERIFY(readGlobals(oldStream, &oldGlobals, nullptr));

    const QString added = QStringLiteral("导出数据");
    QString error;
    QVERIFY2(writeXlsSheet(path, added, ledgerColumns(), ledgerRows(text("")), &error),
             qPrintable(error));

    // The new sheet reads back, after the others.
    QCOMPARE(xlsSheetNames(path), sheetsBefore + QStringList{added});
    XlsSheet sheet;
    QVERIFY2(readXlsSheet(path, added, &sheet, &error), qPrintable(error));
    QCOMPARE(sheet.titles, ledgerTitles);
    QList<QList<XlsValue>> expected = ledgerRows(text(""));
    QCOMPARE(describe(sheet.rows), describe(expected));

    // Every other sheet reads as it did, byte for byte in its substream.
    const QByteArray newStream = workbookStream(path);
    Globals newGlobals;
    QVERIFY(readGlobals(newStream, &newGlobals, nullptr));
    for (int i = 0; i < sheetsBefore.size(); ++i) {
        XlsSheet again;
        QVERIFY(readXlsSheet(path, sheetsBefore.at(i), &again));
        QCOMPARE(again.titles, before.at(i).titles);
        QCOMPARE(describe(again.rows), describe(before.at(i).rows));
        const quint32 oldAt = oldGlobals.sheets.at(i).position;
        const quint32 newAt = newGlobals.sheets.at(i).position;
        QCOMPARE(newStream.mid(newAt, substreamEnd(newStream, newAt) - newAt),
                 oldStream.mid(oldAt, substreamEnd(oldStream, oldAt) - oldAt));
    }
    // The old strings keep their numbers; the old globals records stay, in their order.
    QCOMPARE(newGlobals.strings.mid(0, oldGlobals.strings.size()), oldGlobals.strings);
    qsizetype at = 0;
    for (const Record &r : oldGlobals.records) {
        if (r.type == BoundSheet || r.type == Sst || r.type == Continue || r.type == ExtSst
            || r.type == SupBook)
            continue;
        const QByteArray wanted(r.body, r.size);
        while (at < newGlobals.records.size()
               && !(newGlobals.records.at(at).type == r.type
                    && QByteArray(newGlobals.records.at(at).body, newGlobals.records.at(at).size) == wanted))
            ++at;
        QVERIFY2(at < newGlobals.records.size(),
                 qPrintable(QStringLiteral("record %1 lost").arg(r.type, 4, 16, QLatin1Char('0'))));
    }
    QCOMPARE(newGlobals.system1904, oldGlobals.system1904);
    QCOMPARE(checkPositions(newStream), QString());

    // The other streams of the compound file are copied unchanged.
    QCOMPARE(otherStreams(path), otherStreams(fixture(file)));

    // A second sheet of the same name, in any letter case, is refused and changes nothing.
    const QByteArray written = fileBytes(path);
    QVERIFY(!writeXlsSheet(path, added.toUpper(), ledgerColumns(), {}, &error));
    QVERIFY(!writeXlsSheet(path, sheetsBefore.first().toUpper(), ledgerColumns(), {}, &error));
    QCOMPARE(fileBytes(path), written);
}

// Workbooks written by Excel carry INDEX records with stream positions of the sheet's
// DEFCOLWIDTH and DBCELL records; adding a sheet moves them.
void TestXlsWorkbook::addingMovesIndexPositions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("index.xls");
    QVERIFY(writeXlsSheet(path, QStringLiteral("first"), {{"n", XlsColumnType::Number}},
                          {{number(1)}, {number(2)}}));
    const QByteArray stream = workbookStream(path);
    Globals g;
    QVERIFY(readGlobals(stream, &g, nullptr));
    const qsizetype sheetAt = g.sheets.first().position;
    const qsizetype sheetEnd = substreamEnd(stream, sheetAt);

    // BOF, INDEX, DEFCOLWIDTH, the cells, DBCELL, WINDOW2, EOF.
    RecordReader reader(stream, sheetAt);
    Record bof;
    reader.next(&bof);
    QByteArray rest = stream.mid(reader.position(), sheetEnd - reader.position());
    const qsizetype restEnd = rest.size() - 4 /*EOF*/ - (4 + 18) /*WINDOW2*/;
    Writer sheet;
    sheet.record(Bof, bof.body, bof.size);
    const qsizetype indexAt = sheetAt + sheet.bytes.size();
    const int indexSize = 4 + 16 + 4;
    const qsizetype defColWidthAt = indexAt + indexSize;
    const qsizetype dbCellAt = defColWidthAt + 4 + 2 + restEnd;
    QByteArray index;
    put32(index, 0);
    put32(index, 0);
    put32(index, 3);
    put32(index, quint32(defColWidthAt));
    put32(index, quint32(dbCellAt));
    sheet.record(Index, index);
    sheet.record(0x0055, QByteArray::fromHex("0800"));
    sheet.bytes.append(rest.left(restEnd));
    sheet.record(0x00D7, QByteArray(4, '\0'));
    sheet.bytes.append(rest.mid(restEnd));
    QByteArray withIndex = stream.left(sheetAt) + sheet.bytes;
    QCOMPARE(checkPositions(withIndex), QString());
    QByteArray file;
    QVERIFY(buildCompoundFile(withIndex, {}, &file, nullptr));
    QVERIFY(writeFileBytes(path, file));

    QString error;
    QVERIFY2(writeXlsSheet(path, QStringLiteral("second"), {{"t", XlsColumnType::Text}},
                           {{text("x")}}, &error), qPrintable(error));
    QCOMPARE(checkPositions(workbookStream(path)), QString());
    XlsSheet first;
    QVERIFY(readXlsSheet(path, QStringLiteral("first"), &first));
    QCOMPARE(first.rows.size(), 2);
}

void TestXlsWorkbook::refusesToWrite_data()
{
    QTest::addColumn<QString>("file");  // fixture copied first, or empty for no file
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("rowWidth");
    QTest::addColumn<int>("textSize");
    QTest::newRow("sheet exists") << "lo_lcsj.xls" << "lcsj" << 1 << 1 << 1 << 1;
    QTest::newRow("sheet exists in other case") << "lo_lcsj.xls" << "LcSj" << 1 << 1 << 1 << 1;
    QTest::newRow("70,000 rows") << "lo_twosheets.xls" << "lcsj" << 1 << 70000 << 1 << 1;
    QTest::newRow("65,536 rows, new file") << "" << "lcsj" << 1 << 65536 << 1 << 1;
    QTest::newRow("257 columns") << "" << "lcsj" << 257 << 1 << 257 << 1;
    QTest::newRow("no columns") << "" << "lcsj" << 0 << 0 << 0 << 1;
    QTest::newRow("short row") << "lo_twosheets.xls" << "lcsj" << 3 << 2 << 2 << 1;
    QTest::newRow("text too long") << "lo_twosheets.xls" << "lcsj" << 1 << 1 << 1 << 32768;
    QTest::newRow("empty name") << "" << "" << 1 << 1 << 1 << 1;
    QTest::newRow("name too long") << "" << QString(32, u'x') << 1 << 1 << 1 << 1;
    QTest::newRow("name with bracket") << "lo_twosheets.xls" << "a[1]" << 1 << 1 << 1 << 1;
    QTest::newRow("name with slash") << "" << "a/b" << 1 << 1 << 1 << 1;
}

void TestXlsWorkbook::refusesToWrite()
{
    QFETCH(QString, file);
    QFETCH(QString, sheet);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(int, rowWidth);
    QFETCH(int, textSize);
    QTemporaryDir dir;
    const QString path = file.isEmpty() ? dir.filePath("new.xls") : copyFixture(file, dir);
    const QByteArray before = fileBytes(path);
    QList<XlsColumn> cols;
    for (int c = 0; c < columns; ++c)
        cols.append({QStringLiteral("c%1").arg(c), XlsColumnType::Text});
    QList<QList<XlsValue>> data(rows, QList<XlsValue>(rowWidth, text(QString(textSize, u'x'))));
    QString error;
    QVERIFY(!writeXlsSheet(path, sheet, cols, data, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QFileInfo::exists(path), !file.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), file.isEmpty() ? 0 : 1);
}

void TestXlsWorkbook::refusesLockedFile_data()
{
    QTest::addColumn<QString>("lock");
    QTest::newRow("record lock") << "fcntl.lockf(f, fcntl.LOCK_EX)";
    QTest::newRow("whole-file lock") << "fcntl.flock(f, fcntl.LOCK_EX)";
    QTest::newRow("LibreOffice lock file") << "open(os.path.join(os.path.dirname(sys.argv[1]), "
                                              "'.~lock.' + os.path.basename(sys.argv[1]) + '#'), 'w')"
                                              ".write('user,host,10.12.2026 12:00,;')";
}

void TestXlsWorkbook::refusesLockedFile()
{
    QFETCH(QString, lock);
    QTemporaryDir dir;
    const QString path = copyFixture("lo_twosheets.xls", dir);
    const QByteArray before = fileBytes(path);
    QProcess holder;
    holder.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import fcntl, os, sys, time\nf = open(sys.argv[1], 'r+b')\n%1\n"
                                 "print('locked', flush=True)\ntime.sleep(60)").arg(lock),
                  path});
    QVERIFY(holder.waitForReadyRead(10000));
    QString error;
    const bool written = writeXlsSheet(path, QStringLiteral("lcsj"), ledgerColumns(), {}, &error);
    holder.kill();
    holder.waitForFinished();
    QFile::remove(dir.filePath(QStringLiteral(".~lock.lo_twosheets.xls#")));
    QVERIFY(!written);
    QVERIFY(error.contains(QStringLiteral("locked")));
    QCOMPARE(fileBytes(path), before);
    // Released, the same file takes the sheet.
    QVERIFY(writeXlsSheet(path, QStringLiteral("lcsj"), ledgerColumns(), {}, &error));
}

void TestXlsWorkbook::refusesBadWorkbooks_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("truncated to half") << "half";
    QTest::newRow("truncated header") << "header";
    QTest::newRow("compound file without workbook") << "noworkbook";
    QTest::newRow("Excel 95 book stream") << "book";
    QTest::newRow("workbook stream cut in its globals") << "cutglobals";
    QTest::newRow("sheet position past the stream") << "badposition";
    QTest::newRow("encrypted") << "encrypted";
    QTest::newRow("folder") << "folder";
}

void TestXlsWorkbook::refusesBadWorkbooks()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.xls");
    const QByteArray good = fileBytes(fixture("lo_lcsj.xls"));
    const QByteArray stream = workbookStream(fixture("lo_lcsj.xls"));
    if (kind == "text") {
        QVERIFY(writeFileBytes(path, "项目类型,项目名称\n生活,早餐\n"));
    } else if (kind == "empty") {
        QVERIFY(writeFileBytes(path, QByteArray()));
    } else if (kind == "half") {
        QVERIFY(writeFileBytes(path, good.left(good.size() / 2)));
    } else if (kind == "header") {
        QVERIFY(writeFileBytes(path, good.left(600)));
    } else if (kind == "noworkbook") {
        QVERIFY(writeCompound(path, "WordDocument", QByteArray(5000, 'w')));
    } else if (kind == "book") {
        QVERIFY(writeCompound(path, "Book", stream));
    } else if (kind == "cutglobals") {
        QVERIFY(writeCompound(path, "Workbook", stream.left(300)));
    } else if (kind == "badposition" || kind == "encrypted") {
        Globals g;
        QVERIFY(readGlobals(stream, &g, nullptr));
        QByteArray changed = stream;
        if (kind == "badposition") {
            const Record &r = g.records.at(g.sheets.first().record);
            qToLittleEndian<quint32>(quint32(stream.size() + 100), changed.data() + r.offset + 4);
        } else {
            // The RC4 FILEPASS record that follows BOF in an encrypted workbook.
            Writer filepass;
            filepass.record(FilePass, QByteArray::fromHex("0100010001") + QByteArray(49, '\x5a'));
            changed.insert(g.records.first().end(), filepass.bytes);
        }
        QVERIFY(writeCompound(path, "Workbook", changed));
    } else if (kind == "folder") {
        QVERIFY(QDir(dir.path()).mkdir("bad.xls"));
    }
    const QByteArray before = fileBytes(path);

    XlsSheet sheet;
    QString error;
    QVERIFY(!readXlsSheet(path, QStringLiteral("lcsj"), &sheet, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(sheet.titles.isEmpty() && sheet.rows.isEmpty());
    if (kind == "encrypted")
        QVERIFY(error.contains(QStringLiteral("password")));

    bool ok = true;
    const QStringList names = xlsSheetNames(path, &ok);
    QCOMPARE(ok, kind == "badposition"); // the sheet list itself reads
    QCOMPARE(names.isEmpty(), kind != "badposition");

    if (kind == "missing")
        return; // writing creates it
    error.clear();
    QVERIFY(!writeXlsSheet(path, QStringLiteral("other"), ledgerColumns(), ledgerRows(text("")), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

// Workbooks other programs left malformed: a sheet is added only where the old cells keep their
// meaning for every reader, else the file is refused and left as it was.
void TestXlsWorkbook::addsToMalformedWorkbooks_data()
{
    QTest::addColumn<QString>("file");     // a .biff file is a bare workbook stream
    QTest::addColumn<int>("cellFormat");   // the number format XF 15 is given first, or -1
    QTest::addColumn<QString>("refusal");  // what the error names, empty when the sheet is added
    QTest::newRow("shared strings past their count") << "sst-announces-fewer-strings.biff" << -1
                                                     << "shared strings";
    QTest::newRow("cells naming missing cell formats") << "existing-sheet-number-becomes-date.xls"
                                                       << -1 << "cell format";
    QTest::newRow("format 0 made a date") << "format0-redefined-as-date.biff" << -1 << "";
    // LibreOffice's formats end at 167: 168 has no FORMAT record and shows General.
    QTest::newRow("cell format naming a missing number format") << "lo_twosheets.xls" << 168 << "";
}

void TestXlsWorkbook::addsToMalformedWorkbooks()
{
    QFETCH(QString, file);
    QFETCH(int, cellFormat);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    QString path;
    if (file.endsWith(QLatin1String(".biff"))) {
        path = dir.filePath(QStringLiteral("book.xls"));
        QVERIFY(writeCompound(path, "Workbook", fileBytes(fixture(file))));
    } else {
        path = copyFixture(file, dir);
    }
    if (cellFormat >= 0) {
        QByteArray stream = workbookStream(path);
        Globals g;
        QVERIFY(readGlobals(stream, &g, nullptr));
        int xf = 0;
        for (const Record &r : g.records)
            if (r.type == Xf && xf++ == 15)
                qToLittleEndian<quint16>(quint16(cellFormat), stream.data() + r.offset + 4 + 2);
        QByteArray bytes;
        QVERIFY(buildCompoundFile(stream, fileBytes(path), &bytes, nullptr));
        QVERIFY(writeFileBytes(path, bytes));
    }
    const QByteArray before = fileBytes(path);
    const QString added = QStringLiteral("导出数据");
    QString error;
    if (!refusal.isEmpty()) {
        QVERIFY(!writeXlsSheet(path, added, ledgerColumns(), ledgerRows(text("")), &error));
        QVERIFY2(error.contains(refusal), qPrintable(error));
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
        return;
    }

    const QStringList sheetsBefore = xlsSheetNames(path);
    QList<XlsSheet> ours;
    for (const QString &name : sheetsBefore) {
        ours.append(XlsSheet());
        QVERIFY(readXlsSheet(path, name, &ours.last(), &error));
    }
    QStringList xlrdBefore;
    QVERIFY2(xlrdCells({path}, &xlrdBefore, &error), qPrintable(error));

    QVERIFY2(writeXlsSheet(path, added, ledgerColumns(), ledgerRows(text("")), &error),
             qPrintable(error));
    XlsSheet sheet;
    QVERIFY2(readXlsSheet(path, added, &sheet, &error), qPrintable(error));
    QCOMPARE(sheet.titles, ledgerTitles);
    QCOMPARE(describe(sheet.rows), describe(ledgerRows(text(""))));
    for (int i = 0; i < sheetsBefore.size(); ++i) {
        XlsSheet again;
        QVERIFY(readXlsSheet(path, sheetsBefore.at(i), &again, &error));
        QCOMPARE(again.titles, ours.at(i).titles);
        QCOMPARE(describe(again.rows), describe(ours.at(i).rows));
    }
    QStringList xlrdAfter;
    QVERIFY2(xlrdCells({path}, &xlrdAfter, &error), qPrintable(error));
    const QStringList addedByXlrd{
        "sheet 导出数据",
        "T:项目类型 | T:项目名称 | T:支出金额 | T:收入金额 | T:人员 | T:日期 | T:备注",
        "T:生活 | T:早餐 | N:12.5 | N:0.0 | T:张三 | D:2012-11-05T00:00:00 | T:豆浆油条",
        "T:工资 | T:月薪 | N:0.0 | N:8000.0 | T:李四 | D:2012-11-10T00:00:00 | -",
        "T:交通 | T:地铁 | N:3.0 | N:0.0 | T:张三 | D:2012-11-30T00:00:00 | T:say \"hi\", then go",
        "T:生活 | T:午餐 | N:1234567.89 | N:0.0 | - | D:2012-12-01T00:00:00 | T:公司楼下",
        "T:Misc | T:rent | N:0.01 | N:0.0 | T:Ann | D:2024-02-29T00:00:00 | T:",
    };
    QCOMPARE(xlrdAfter, xlrdBefore + addedByXlrd);
    QCOMPARE(checkPositions(workbookStream(path)), QString());

    // A General number is a number, whatever a FORMAT record claims for format 0.
    Globals g;
    QVERIFY(readGlobals(workbookStream(path), &g, nullptr));
    for (int xf = 0; xf < g.xfFormats.size(); ++xf)
        if (g.xfFormats.at(xf) == 0)
            QVERIFY2(!g.isDateXf(xf), qPrintable(QString::number(xf)));
}

// xlrd, an independent reader, sees our cells: a new workbook, and a sheet added to one
// LibreOffice wrote.
void TestXlsWorkbook::xlrdReadsOurWorkbooks()
{
    QTemporaryDir dir;
    const QString created = dir.filePath("new.xls");
    QList<QList<XlsValue>> rows = ledgerRows(XlsValue());
    rows[1][6] = text(QStringLiteral("长").repeated(9000));
    QString error;
    QVERIFY2(writeXlsSheet(created, QStringLiteral("lcsj"), ledgerColumns(), rows, &error),
             qPrintable(error));
    const QString added = copyFixture("lo_twosheets.xls", dir);
    QVERIFY2(writeXlsSheet(added, QStringLiteral("lcsj"), ledgerColumns(), rows.mid(0, 1), &error),
             qPrintable(error));

    // Shared strings of every length in both widths fill the SST and its CONTINUE records at
    // every offset.
    const QString strings = dir.filePath("strings.xls");
    QList<QList<XlsValue>> texts;
    QStringList all{QStringLiteral("text")};
    quint32 seed = 7;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int length = int(seed >> 16) % 400;
        QString s = QString::number(i) + u':';
        for (int k = 0; k < length; ++k)
            s += (i % 3 == 0) ? QChar(u'a' + k % 26) : QChar(0x4E00 + (i * 7 + k) % 500);
        texts.append({text(s)});
        all << s;
    }
    QVERIFY(writeXlsSheet(strings, QStringLiteral("strings"), {{"text", XlsColumnType::Text}}, texts));
    XlsSheet back;
    QVERIFY(readXlsSheet(strings, QStringLiteral("strings"), &back));
    QCOMPARE(describe(back.rows), describe(texts));
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(all.join(u'\n').toUtf8(), QCryptographicHash::Md5).toHex());

    QStringList lines;
    QVERIFY2(xlrdCells({created, added, strings}, &lines, &error), qPrintable(error));
    const QString titles = QStringLiteral("T:项目类型 | T:项目名称 | T:支出金额 | T:收入金额 | T:人员 | T:日期 | T:备注");
    const QString first = QStringLiteral("T:生活 | T:早餐 | N:12.5 | N:0.0 | T:张三 | D:2012-11-05T00:00:00 | T:豆浆油条");
    const QStringList expected{
        "sheet lcsj", titles, first,
        "T:工资 | T:月薪 | N:0.0 | N:8000.0 | T:李四 | D:2012-11-10T00:00:00 | T:9000:长长长",
        "T:交通 | T:地铁 | N:3.0 | N:0.0 | T:张三 | D:2012-11-30T00:00:00 | T:say \"hi\", then go",
        "T:生活 | T:午餐 | N:1234567.89 | N:0.0 | - | D:2012-12-01T00:00:00 | T:公司楼下",
        "T:Misc | T:rent | N:0.01 | N:0.0 | T:Ann | D:2024-02-29T00:00:00 | -",
        "sheet 账本",
        "T:月份 | T:金额 | T:说明 | T:日期 | T:时间 | T:合计",
        // xlrd dates a time of day on 1899-12-31
        "N:1.0 | N:1500.75 | T:1月账单 | D:2013-01-31T00:00:00 | D:1899-12-31T08:30:00 | N:3001.5",
        "N:2.0 | N:-20.0 | T:退款 | D:2013-02-28T00:00:00 | - | N:-40.0",
        "T:小计 | N:1480.75 | N:1.0 | - | - | -",
        "sheet Sheet2", "T:x | T:y", "N:1.0 | N:2.0", "N:3.0 | N:4.0",
        "sheet lcsj", titles, first,
        "sheet strings", digest,
    };
    QCOMPARE(lines, expected);
}

QTEST_GUILESS_MAIN(TestXlsWorkbook)
#include "tst_xlsworkbook.moc"
