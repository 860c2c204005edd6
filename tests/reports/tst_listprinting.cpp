// The list's printout, rendered to PDF through the same painting as the preview and read back
// with pdftotext: the text exactly as typed, each word whole inside its cell.
#include "reports/printing/listprinting.h"
#include "ui/unit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

void printToPdf(const PrintGrid &grid, const QString &pdf)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    grid.print(&printer);
    // KELM_KEEP_PDF=folder keeps the printouts to look at them.
    if (qEnvironmentVariableIsSet("KELM_KEEP_PDF")) {
        const QString kept = QDir(qEnvironmentVariable("KELM_KEEP_PDF")).filePath(QFileInfo(pdf).fileName());
        QFile::remove(kept);
        QFile::copy(pdf, kept);
    }
}

// The text of each page of the PDF.
QStringList pagesOf(const PrintGrid &grid, const QString &pdf)
{
    printToPdf(grid, pdf);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(30000))
        return {QStringLiteral("<pdftotext failed>")};
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The text without the spaces the layout puts between words.
QString squeezed(const QString &text)
{
    QString s = text;
    s.remove(u' ');
    return s;
}

struct Word
{
    QRectF box; // points, from the page's top left corner
    QString text;
};

// The words of the first page with the boxes pdftotext gives them (the font's ascent to descent).
QList<Word> wordsOf(const PrintGrid &grid, const QString &pdf)
{
    printToPdf(grid, pdf);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-l"), QStringLiteral("1"), pdf,
                                              QStringLiteral("-")});
    if (!text.waitForFinished(30000))
        return {};
    QList<Word> words;
    QXmlStreamReader xml(text.readAllStandardOutput());
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == u"word") {
            const QXmlStreamAttributes a = xml.attributes();
            const QPointF topLeft(a.value(QLatin1String("xMin")).toDouble(), a.value(QLatin1String("yMin")).toDouble());
            const QPointF bottomRight(a.value(QLatin1String("xMax")).toDouble(), a.value(QLatin1String("yMax")).toDouble());
            words.append({QRectF(topLeft, bottomRight), xml.readElementText()});
        }
    }
    return words;
}

constexpr double pointsPerUnit = 72.0 / 254.0; // grid units are tenths of a millimetre

// The rectangle of a cell, or of the joined cells it heads, on the first page, in points.
QRectF cellRect(const PrintGrid &grid, int row, int column)
{
    const QRect span = grid.cellSpan(row, column);
    const QPointF origin = grid.pageLayout().paintRect(QPageLayout::Point).topLeft();
    double left = 0, top = 0, width = 0, height = 0;
    for (int c = 0; c < span.left(); ++c)
        left += grid.columnWidth(c);
    for (int c = span.left(); c <= span.right(); ++c)
        width += grid.columnWidth(c);
    for (int r = 0; r < span.top(); ++r)
        top += grid.rowHeight(r);
    for (int r = span.top(); r <= span.bottom(); ++r)
        height += grid.rowHeight(r);
    return QRectF(origin.x() + left * pointsPerUnit, origin.y() + top * pointsPerUnit, width * pointsPerUnit,
                  height * pointsPerUnit);
}

// The words inside a rectangle in reading order: line by line, each line from the left.
QString textIn(QList<Word> words, const QRectF &rect)
{
    words.removeIf([&](const Word &w) { return !rect.contains(w.box.center()); });
    std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) { return a.box.center().y() < b.box.center().y(); });
    QString text;
    for (qsizetype first = 0; first < words.size();) {
        qsizetype end = first + 1;
        while (end < words.size() && words[end].box.center().y() - words[first].box.center().y() < 3)
            ++end;
        std::sort(words.begin() + first, words.begin() + end,
                  [](const Word &a, const Word &b) { return a.box.left() < b.box.left(); });
        for (qsizetype i = first; i < end; ++i)
            text += words[i].text;
        first = end;
    }
    return text;
}

// Every unified ideograph that also has a Kangxi radical or radical supplement code point: fonts
// often draw both with one glyph.
QString radicalShapedIdeographs()
{
    QString all;
    for (char32_t radical = 0x2E80; radical < 0x2FE0; ++radical) {
        const QString ideograph = QString::fromUcs4(&radical, 1).normalized(QString::NormalizationForm_KC);
        if (ideograph.size() == 1 && ideograph[0] >= QChar(0x4E00) && ideograph[0] <= QChar(0x9FFF) && !all.contains(ideograph))
            all += ideograph;
    }
    return all;
}

// Each cell's text comes out of the first page exactly as typed, and every word of it lies whole
// inside its cell, clear of the rules.
void verifyTextsWholeInsideTheirCells(const PrintGrid &grid, const QString &pdf)
{
    const QList<Word> words = wordsOf(grid, pdf);
    QVERIFY(!words.isEmpty());
    const double rule = 1 * pointsPerUnit; // half the 0.2 mm rule
    QList<QRectF> cells;
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            if (grid.cellSpan(r, c).topLeft() != QPoint(c, r))
                continue;
            const QRectF rect = cellRect(grid, r, c);
            cells.append(rect);
            QString expected = grid.cellText(r, c);
            expected.remove(QStringLiteral("\r\n")).remove(u' ');
            QCOMPARE(textIn(words, rect), expected);
        }
    }
    for (const Word &word : words) {
        const auto home = std::find_if(cells.cbegin(), cells.cend(), [&](const QRectF &c) { return c.contains(word.box.center()); });
        QVERIFY2(home != cells.cend(), qPrintable(word.text));
        const QRectF inside = home->adjusted(rule, rule, -rule, -rule);
        QVERIFY2(inside.contains(word.box),
                 qPrintable(QStringLiteral("%1: top %2, bottom %3, left %4, right %5 in a cell from %6 to %7, %8 to %9")
                                .arg(word.text)
                                .arg(word.box.top())
                                .arg(word.box.bottom())
                                .arg(word.box.left())
                                .arg(word.box.right())
                                .arg(inside.top())
                                .arg(inside.bottom())
                                .arg(inside.left())
                                .arg(inside.right())));
    }
}

} // namespace

class TestListPrinting : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cellTextsComeOutWholeInsideTheirCells_data();
    void cellTextsComeOutWholeInsideTheirCells();
    void textsTooLargeForTheirCellsGetSmaller_data();
    void textsTooLargeForTheirCellsGetSmaller();
    void detailView();
    void summaryView();
    void longListsContinueWithTheirTitles();
    void emptyList();
    void totalsAreExact();

private:
    QTemporaryDir dir;
};

void TestListPrinting::initTestCase()
{
    // The measuring box and the printout use the program's font, as in the program.
    useProgramFont();
}

void TestListPrinting::cellTextsComeOutWholeInsideTheirCells_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    const QString name50 = QStringLiteral("生活支出日常工资奖金人员交通费用水电燃气房租物业通讯网络医疗保险教育培训书籍文具服装鞋帽餐饮食品水果");
    const QString type30 = QStringLiteral("工作日生活支出大小月日水火木金土人口山石田禾米竹工支出入门户");
    const QString person20 = QStringLiteral("张三李四王五赵六钱七孙八周九吴十郑生支工");
    QCOMPARE(name50.size(), 50);
    QCOMPARE(type30.size(), 30);
    QCOMPARE(person20.size(), 20);
    QTest::newRow("longest Chinese texts")
        << QList<QStringList>{{type30, name50, "12.50", "0.00", person20, "2012-11-01", "备注"},
                              {"生活", "早餐", "3.00", "0.00", "张三", "2012-11-02", ""},
                              {type30, name50, "0.00", "8000.00", person20, "2012-11-03", ""}};
    QTest::newRow("longest Latin texts")
        << QList<QStringList>{{QString(30, u'W'), QString(50, u'M'), "9999999999999.99", "0.00", QString(20, u'g'),
                               "2012-11-01", ""},
                              {"The quick brown fox jumps over", "Pack my box with five dozen liquor jugs, and go.",
                               "0.00", "1.00", "Quirky jumpy gyps", "2012-11-02", ""}};
    QTest::newRow("mixed texts") << QList<QStringList>{
        {"生活 living expenses 日用", "午餐 lunch with colleagues 工作日 at the office 12:30 支出", "25.00", "0.00",
         "Li 生 / Wang 工", "2012-11-01", ""}};
    // Every character drawn with a glyph a radical shares copies out as the character typed.
    QList<QStringList> radicals;
    const QString all = radicalShapedIdeographs();
    QVERIFY(all.size() > 200);
    for (qsizetype i = 0; i < all.size(); i += 48) {
        QStringList cells;
        for (int c = 0; c < 6; ++c)
            cells.append(all.mid(i + c * 8, 8));
        cells.append(QString());
        radicals.append(cells);
    }
    QTest::newRow("radical-shaped ideographs") << radicals;
}

void TestListPrinting::cellTextsComeOutWholeInsideTheirCells()
{
    QFETCH(QList<QStringList>, rows);
    PrintGrid grid;
    buildListPrintout(grid, rows, QDate(2012, 11, 1), QDate(2012, 11, 30));
    QCOMPARE(grid.pageCount(), 1);
    verifyTextsWholeInsideTheirCells(grid, dir.filePath(QStringLiteral("cells-%1.pdf").arg(QTest::currentDataTag())));
}

void TestListPrinting::textsTooLargeForTheirCellsGetSmaller_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rowHeight");
    QTest::addColumn<int>("columnWidth");
    QTest::addColumn<int>("alignment");
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    QTest::newRow("four lines in a one-line row") << "生活\r\n支出\r\n日用\r\n工资" << 68 << 320 << left;
    QTest::newRow("a line wider than its column") << "生活支出日常工资奖金人员交通" << 68 << 280 << left;
    QTest::newRow("an amount wider than its column") << "19999999999999.98" << 68 << 200 << int(Qt::AlignRight | Qt::AlignVCenter);
    QTest::newRow("a centred title in a low row") << "账本数据" << 40 << 320 << int(Qt::AlignCenter);
    QTest::newRow("many lines in a tall row") << QStringList(12, QStringLiteral("日月水火")).join("\r\n") << 545 << 320 << left;
}

// Whatever the font draws, the grid fits a cell's text inside the cell rather than let it cross a rule.
void TestListPrinting::textsTooLargeForTheirCellsGetSmaller()
{
    QFETCH(QString, text);
    QFETCH(int, rowHeight);
    QFETCH(int, columnWidth);
    QFETCH(int, alignment);
    PrintGrid grid;
    grid.setColumnCount(3);
    grid.setColumnWidth(0, 300);
    grid.setColumnWidth(1, columnWidth);
    grid.setColumnWidth(2, 300);
    for (int r = 0; r < 3; ++r)
        grid.appendRow(rowHeight);
    grid.setCellText(1, 1, text);
    grid.setCellStyle(1, 1, 1, 1, 18, true, Qt::Alignment(alignment));
    verifyTextsWholeInsideTheirCells(grid, dir.filePath(QStringLiteral("large-%1.pdf").arg(QTest::currentDataTag())));
}

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
    for (const char *expected : {"账本数据", "自[2012-11-01]至[2012-11-30]", "项目类型项目名称支出收入人员日期",
                                    "生活早餐12.500.00张三2012-11-01", "工资月薪0.008000.00李四2012-11-15",
                                    "支出合计：15.50", "收入合计：8000.00"})
        QVERIFY2(page.contains(squeezed(expected)), qPrintable(QString::fromUtf8(expected) + " in\n" + pages.first()));
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
