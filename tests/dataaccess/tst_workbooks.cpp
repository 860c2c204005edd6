// Statements that name a workbook: the export of the ledger into a worksheet and the import of a
// worksheet's rows with the duplicate filter, as the backup page runs them.
#include "support/filebytes.h"
#include "ledgerfixture.h"

#include "dataaccess/xls/xlsworkbook.h"
#include "testpaths.h"

#include <QFile>

namespace {

const QStringList fields{"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz"};
const QStringList titles{"项目类型", "项目名称", "支出金额", "收入金额", "人员", "日期", "备注"};
const QString filter = "where rq=ek.日期 and xmlx=ek.项目类型 and xmmc=ek.项目名称 and zcje=ek.支出金额 and srje=ek.收入金额 and ry=ek.人员";

QString fixture(const QString &name)
{
    return QStringLiteral(KELM_TEST_DATA_DIR "/xls/fixtures/") + name;
}

const QStringList detail{"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz"};
const QString everything = "select * from lcsj order by rq, xmmc";

} // namespace

class TestWorkbooks : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exportThenImportSkipsWhatIsThere();
    void importsOtherWriters_data();
    void importsOtherWriters();
    void exportRefusals();
    void exportAddsASheetToAWorkbook();
    void importRefusals_data();
    void importRefusals();
    void textsConvertAsJetConvertsThem();
    void workbookAsAConnection();

private:
    void insertRecords();
    qint64 count();
    LedgerFolder *folder = nullptr;
    DbConnection connection;
    DbRecordset recordset;
};

void TestWorkbooks::init()
{
    folder = new LedgerFolder;
    QVERIFY(folder->openLedger("张三", connection, recordset));
}

void TestWorkbooks::cleanup()
{
    recordset.Close();
    connection.Close();
    delete folder;
}

void TestWorkbooks::insertRecords()
{
    const QStringList rows = {
        "'生活','早餐',12.50,0.00,'张三','2012-11-05','豆浆''油条'",
        "'工资','月薪',0.00,8000.00,'李四','2012-11-10',null",
        "'交通','地铁',3.00,0.00,'张三','2012-11-30',''",
        "'生活','午餐',1234567.89,0.00,'王五','2012-12-01','公司楼下'",
    };
    for (const QString &r : rows)
        QVERIFY(connection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values (" + r
                                   + ",'2012-12-15 20:30:05','2012-12-15 20:30:05')"));
}

qint64 TestWorkbooks::count()
{
    recordset.Open("select count(*) from lcsj");
    return recordset.GetInteger(0);
}

void TestWorkbooks::exportThenImportSkipsWhatIsThere()
{
    insertRecords();
    const QStringList before = rowsOf(recordset, everything, detail);
    const QString book = folder->path("理财数据(2012-12-15).xls");
    QVERIFY2(connection.ExportTableAliased(book, "lcsj", fields, titles, "", QStringLiteral("lcsj")),
             qPrintable(connection.LastError()));

    XlsSheet sheet;
    QVERIFY(readXlsSheet(book, "lcsj", &sheet));
    QCOMPARE(sheet.titles, titles);
    QCOMPARE(sheet.rows.size(), 4);
    const QList<XlsValue> first = sheet.rows.first();
    QCOMPARE(first[0].kind, XlsValue::Text);
    QCOMPARE(first[2].kind, XlsValue::Number);
    QCOMPARE(first[2].number, 12.5);
    QCOMPARE(first[5].kind, XlsValue::Date);
    QCOMPARE(first[5].date.date(), QDate(2012, 11, 5));
    QCOMPARE(first[6].text, QStringLiteral("豆浆'油条"));
    QCOMPARE(sheet.rows[1][6].kind, XlsValue::Null);

    // Everything is there: nothing comes in twice.
    QVERIFY2(connection.ImportTableMapped(book, "lcsj", fields, filter, QStringLiteral("lcsj"), titles),
             qPrintable(connection.LastError()));
    QCOMPARE(count(), 4);
    // Two records lost come back as they were.
    QVERIFY(connection.Execute("delete from lcsj where xmmc='月薪' or xmmc='午餐'"));
    QVERIFY(connection.ImportTableMapped(book, "lcsj", fields, filter, QStringLiteral("lcsj"), titles));
    QCOMPARE(rowsOf(recordset, everything, detail), before);
    // Without the filter every row comes in.
    QVERIFY(connection.ImportTableMapped(book, "lcsj", fields, "", QStringLiteral("lcsj"), titles));
    QCOMPARE(count(), 8);
}

void TestWorkbooks::importsOtherWriters_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("LibreOffice") << "lo_lcsj.xls";
    QTest::newRow("xlwt") << "xlwt_lcsj.xls";
    QTest::newRow("SheetJS") << "sheetjs_lcsj.xls";
    QTest::newRow("LibreOffice, 1904 dates") << "lo_1904.xls";
}

void TestWorkbooks::importsOtherWriters()
{
    QFETCH(QString, file);
    QVERIFY2(connection.ImportTableMapped(fixture(file), "lcsj", fields, filter, QStringLiteral("lcsj"), titles),
             qPrintable(connection.LastError()));
    const QStringList rows = rowsOf(recordset, everything, detail);
    QVERIFY(rows.size() >= 2);
    QCOMPARE(rows[0], QStringLiteral("生活|早餐|12.5|0|张三|2012-11-05|豆浆油条"));
    QCOMPARE(rows[1], QStringLiteral("工资|月薪|0|8000|李四|2012-11-10|"));
    if (rows.size() == 5) {
        QCOMPARE(rows[3], QStringLiteral("生活|午餐|1234567.89|0||2012-12-01|公司楼下"));
        QCOMPARE(rows[4], QStringLiteral("Misc|rent|0.01|0|Ann|2024-02-29|"));
        // A compared cell that is empty matches nothing, so its row comes in again.
        QVERIFY(connection.ImportTableMapped(fixture(file), "lcsj", fields, filter, QStringLiteral("lcsj"), titles));
        QCOMPARE(count(), 6);
    }
}

void TestWorkbooks::exportRefusals()
{
    insertRecords();
    const QString book = folder->path("a.xls");
    QVERIFY(connection.ExportTableAliased(book, "lcsj", fields, titles, "", QStringLiteral("lcsj")));
    const QByteArray written = fileBytes(book);
    // The worksheet is there already, in any letter case.
    QVERIFY(!connection.ExportTableAliased(book, "lcsj", fields, titles, "", QStringLiteral("LCSJ")));
    QVERIFY(!connection.LastError().isEmpty());
    QCOMPARE(fileBytes(book), written);
    // A file that is not a workbook is left alone.
    const QString text = folder->path("notes.xls");
    QFile f(text);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("just some notes");
    f.close();
    QVERIFY(!connection.ExportTableAliased(text, "lcsj", fields, titles, "", QStringLiteral("lcsj")));
    QCOMPARE(fileBytes(text), QByteArray("just some notes"));
    // More records than a worksheet holds go on over a second sheet rather than being refused.
    QVERIFY(connection.Execute("insert into lcsj(xmlx,zcje,srje,rq) with recursive n(i) as (select 1 union all select i+1 from n where i<65532) select 'x',1,0,'2012-01-01' from n"));
    QCOMPARE(count(), 65536);
    QVERIFY(connection.ExportTableAliased(folder->path("big.xls"), "lcsj", fields, titles, "", QStringLiteral("lcsj")));
    QCOMPARE(xlsSheetNames(folder->path("big.xls")), QStringList({"lcsj", "lcsj2"}));
}

void TestWorkbooks::exportAddsASheetToAWorkbook()
{
    insertRecords();
    const QString book = folder->path("two.xls");
    QVERIFY(QFile::copy(fixture("lo_twosheets.xls"), book));
    QVERIFY(connection.ExportTableAliased(book, "lcsj", fields, titles, "", QStringLiteral("lcsj")));
    QCOMPARE(xlsSheetNames(book), (QStringList{"账本", "Sheet2", "lcsj"}));
    XlsSheet other;
    QVERIFY(readXlsSheet(book, "Sheet2", &other));
    QCOMPARE(other.rows.size(), 2);
}

void TestWorkbooks::importRefusals_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sheet");
    QTest::newRow("missing file") << "none.xls" << "lcsj";
    QTest::newRow("not a workbook") << "notes" << "lcsj";
    QTest::newRow("truncated workbook") << "truncated" << "lcsj";
    QTest::newRow("no such worksheet") << "lo_twosheets.xls" << "lcsj";
    QTest::newRow("a title is missing") << "lo_missingtitle.xls" << "lcsj";
    QTest::newRow("a title twice") << "lo_duplicatetitle.xls" << "lcsj";
}

void TestWorkbooks::importRefusals()
{
    QFETCH(QString, file);
    QFETCH(QString, sheet);
    insertRecords();
    QString path = fixture(file);
    if (file == "notes" || file == "truncated") {
        path = folder->path(file + ".xls");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file == "notes" ? QByteArray("项目类型,项目名称\n") : fileBytes(fixture("lo_lcsj.xls")).left(1500));
    }
    QVERIFY(!connection.ImportTableMapped(path, "lcsj", fields, filter, sheet, titles));
    QVERIFY(!connection.LastError().isEmpty());
    QCOMPARE(count(), 4);
}

void TestWorkbooks::textsConvertAsJetConvertsThem()
{
    const QString book = folder->path("texts.xls");
    QList<XlsColumn> columns;
    for (const QString &t : titles)
        columns.append({t, XlsColumnType::Text});
    const auto row = [](const QStringList &cells) {
        QList<XlsValue> values;
        for (const QString &c : cells)
            values.append(XlsValue::fromText(c));
        return values;
    };
    QVERIFY(writeXlsSheet(book, "lcsj", columns, {row({"生活", "早餐", "12.50", "0", "张三", "2012-11-5", "文本"})}));
    QVERIFY(connection.ImportTableMapped(book, "lcsj", fields, filter, QStringLiteral("lcsj"), titles));
    QCOMPARE(rowsOf(recordset, everything, detail), QStringList{"生活|早餐|12.5|0|张三|2012-11-05|文本"});

    // Letters in an amount or a day that is no date stop the whole import.
    QVERIFY(writeXlsSheet(book, "bad", columns, {row({"生活", "午餐", "8", "0", "张三", "2012-11-6", ""}),
                                                row({"生活", "晚餐", "abc", "0", "张三", "2012-11-7", ""})}));
    QVERIFY(!connection.ImportTableMapped(book, "lcsj", fields, filter, QStringLiteral("bad"), titles));
    QVERIFY(writeXlsSheet(book, "baddate", columns, {row({"生活", "午餐", "8", "0", "张三", "明天", ""})}));
    QVERIFY(!connection.ImportTableMapped(book, "lcsj", fields, filter, QStringLiteral("baddate"), titles));
    QCOMPARE(count(), 1);
}

void TestWorkbooks::workbookAsAConnection()
{
    DbConnection book;
    DbRecordset rows;
    QVERIFY(!book.OpenExcel(folder->path("none.xls"), 1));
    QVERIFY2(book.OpenExcel(fixture("lo_lcsj.xls"), 1), qPrintable(book.LastError()));
    QVERIFY(rows.SetConnection(book));
    QCOMPARE(rowsOf(rows, "select * from [lcsj$] where 支出金额>10 order by 日期", {"项目名称", "日期"}),
             (QStringList{"早餐|2012-11-05", "午餐|2012-12-01"}));
    QVERIFY(!rows.Open("select * from [nosuch$]"));
    // It reads; it does not take exports.
    QVERIFY(!book.ExportTable(folder->path("x.xls"), "[lcsj$]", std::nullopt, ""));
    QVERIFY(book.Close());
    QVERIFY(!book.IsOpen());
}

QTEST_GUILESS_MAIN(TestWorkbooks)
#include "tst_workbooks.moc"
