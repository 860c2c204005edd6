// The list's printout, rendered to PDF through the same painting as the preview and read back
// with pdftotext.
#include "reports/printing/listprinting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The text of each page of the PDF.
QStringList pagesOf(const PrintGrid &grid, const QString &pdf)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    grid.print(&printer);
    // KELM_KEEP_PDF=folder keeps the printouts to look at them.
    if (qEnvironmentVariableIsSet("KELM_KEEP_PDF"))
        QFile::copy(pdf, QDir(qEnvironmentVariable("KELM_KEEP_PDF")).filePath(QFileInfo(pdf).fileName()));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(30000))
        return {QStringLiteral("<pdftotext failed>")};
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The text without the spaces the layout puts between words. The CJK font maps some glyphs to
// their Kangxi radical forms; compatibility normalisation reads them as the characters they are.
QString squeezed(const QString &text)
{
    QString s = text.normalized(QString::NormalizationForm_KC);
    s.remove(u' ');
    return s;
}

} // namespace

class TestListPrinting : public QObject
{
    Q_OBJECT
private slots:
    void detailView();
    void summaryView();
    void longListsContinueWithTheirTitles();
    void emptyList();
    void totalsAreExact();

private:
    QTemporaryDir dir;
};

void TestListPrinting::detailView()
{
    const QList<QStringList> rows = {{"生活", "早餐", "12.50", "0.00", "张三", "2012-11-01", "豆浆油条"},
                                     {"工资", "月薪", "0.00", "8000.00", "李四", "2012-11-15", "十一月"},
                                     {"交通", "这是一个很长很长的项目名称需要折行", "3.00", "0.00", "张三", "2012-11-30", ""}};
    PrintGrid grid;
    buildListPrintout(grid, rows, QDate(2012, 11, 1), QDate(2012, 11, 30));
    QVERIFY(grid.rowHeight(6) > 68); // the long name wraps and makes its row taller
    QCOMPARE(grid.columnWidth(0), grid.columnWidth(7));
    QCOMPARE(grid.columnWidth(0) * 2 + 1860, grid.printablePageWidth());
    const QStringList pages = pagesOf(grid, dir.filePath("detail.pdf"));
    QCOMPARE(pages.size(), 1);
    const QString page = squeezed(pages.first());
    for (const QString &expected : {"账本数据", "自[2012-11-01]至[2012-11-30]", "项目类型项目名称支出收入人员日期",
                                    "生活早餐12.500.00张三2012-11-01", "工资月薪0.008000.00李四2012-11-15",
                                    "支出合计：15.50", "收入合计：8000.00"})
        QVERIFY2(page.contains(squeezed(expected)), qPrintable(expected + " in\n" + pages.first()));
    QVERIFY(!page.contains("豆浆油条"));
    QVERIFY(!page.contains("十一月"));
}

void TestListPrinting::summaryView()
{
    const QList<QStringList> rows = {{"工资", "", "0.00", "5000.00", "", "30天", ""}, {"生活", "", "39.75", "0.00", "", "30天", ""}};
    PrintGrid grid;
    buildListPrintout(grid, rows, QDate(2012, 11, 1), QDate(2012, 11, 30));
    const QString page = squeezed(pagesOf(grid, dir.filePath("summary.pdf")).value(0));
    QVERIFY(page.contains("工资0.005000.0030天"));
    QVERIFY(page.contains("生活39.750.0030天"));
    QVERIFY(page.contains(squeezed("支出合计：39.75")));
}

void TestListPrinting::longListsContinueWithTheirTitles()
{
    QList<QStringList> rows;
    for (int i = 1; i <= 100; ++i)
        rows.append({"生活", QStringLiteral("第%1条").arg(i), "1.00", "0.00", "张三", "2012-11-01", ""});
    PrintGrid grid;
    buildListPrintout(grid, rows, QDate(2012, 11, 1), QDate(2012, 11, 30));
    const QStringList pages = pagesOf(grid, dir.filePath("long.pdf"));
    QCOMPARE(pages.size(), 3);
    QString all;
    for (const QString &p : pages) {
        QVERIFY(squeezed(p).contains("项目类型项目名称支出收入人员日期"));
        all += squeezed(p);
    }
    // Every row is there, once.
    for (int i = 1; i <= 100; ++i)
        QCOMPARE(all.count(QStringLiteral("第%1条").arg(i) + "1.00"), 1);
    QVERIFY(all.contains(squeezed("支出合计：100.00")));
}

void TestListPrinting::emptyList()
{
    PrintGrid grid;
    buildListPrintout(grid, {}, QDate(2013, 1, 1), QDate(2013, 1, 1));
    const QString page = squeezed(pagesOf(grid, dir.filePath("empty.pdf")).value(0));
    QVERIFY(page.contains("账本数据"));
    QVERIFY(page.contains(squeezed("支出合计：0.00")));
    QVERIFY(page.contains(squeezed("收入合计：0.00")));
}

// The totals add the cents exactly, also beside the largest amounts.
void TestListPrinting::totalsAreExact()
{
    QList<QStringList> rows = {{"生活", "大", "9999999999999.99", "0.00", "张三", "2012-11-01", ""},
                               {"生活", "大", "9999999999999.99", "9999999999998.99", "张三", "2012-11-01", ""}};
    for (int i = 0; i < 100; ++i)
        rows.append({"生活", "小", "0.00", "0.01", "张三", "2012-11-01", ""});
    PrintGrid grid;
    buildListPrintout(grid, rows, QDate(2012, 11, 1), QDate(2012, 11, 30));
    const int totals = grid.rowCount() - 1;
    QCOMPARE(grid.cellText(totals, 1), QStringLiteral("支出合计：19999999999999.98"));
    QCOMPARE(grid.cellText(totals, 3), QStringLiteral("收入合计：9999999999999.99"));
}

QTEST_MAIN(TestListPrinting)
#include "tst_listprinting.moc"
