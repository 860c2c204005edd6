#include "ui/drawingboard.h"
#include "common/program.h"
#include "common/settings.h"
#include "ui/filedialog.h"
#include "ui/listview.h"
#include "ui/printgrid.h"
#include "ui/styledmenu.h"
#include "ui/unit.h"
#include "ui/units.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QHelpEvent>

namespace {

QImage solid(const QColor &colour, const QSize &size = QSize(20, 10))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QColor centreOf(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

class TestUnits : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void graphicButtonStates_data();
    void graphicButtonStates();
    void graphicButtonClicks();
    void labelsReportPresses();
    void listRowsAndItemValues();
    void listReportsTitleClicksAndDoubleClicks();
    void listRowHeightWithoutRows();
    void listHeaderLook();
    void listStripesStayWithTheirRows();
    void listCellsLookAsTheStyleDrawsThem();
    void wrappedLines_data();
    void wrappedLines();
    void fileDialogFilter_data();
    void fileDialogFilter();
    void fileDialogAnswers();
    void fileDialogStartsInTheLastFolder();
    void fileDialogAsToolkitDialog_data();
    void fileDialogAsToolkitDialog();
    void fileDialogTellsTheChosenFilter();
    void timerIntervalZeroStops();
    void drawingBoardKeepsWhatIsDrawn();
    void printGridJoinsAndPages();
    void printGridPrintsToPdf();
    void printPreviewOpensOnce();
    void styledMenuItems();
    void dateBoxCalendarDropsDown();
    void dateBoxCalendarIgnoresTypedDigits();
    void dateBoxGoesWithItsCalendarOpen();
    void comboBoxOpensWhileHidden();
    void comboBoxListScrolls();
    void listTipsShowCellsTooNarrow_data();
    void listTipsShowCellsTooNarrow();
    void labelTipsShowTextsTooWide_data();
    void labelTipsShowTextsTooWide();
    void kindNamesRoundTrip();
    void qtWindowsSpeakChinese();

private:
    QTemporaryDir dir;
};

void TestUnits::initTestCase()
{
    useProgramFont();
    // The file dialogs keep their folder in the settings file, and start in the home folder.
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("程序")) && QDir(dir.path()).mkpath(QStringLiteral("家")));
    setProgramDirectory(dir.filePath(QStringLiteral("程序")));
    qputenv("HOME", QFile::encodeName(dir.filePath(QStringLiteral("家"))));
}

void TestUnits::graphicButtonStates_data()
{
    QTest::addColumn<bool>("withHover");
    QTest::addColumn<bool>("withPressed");
    QTest::addColumn<QColor>("hovered");
    QTest::addColumn<QColor>("pressed");
    QTest::newRow("three pictures") << true << true << QColor(Qt::green) << QColor(Qt::blue);
    QTest::newRow("no pressed picture: hover shows while pressed") << true << false << QColor(Qt::green) << QColor(Qt::green);
    QTest::newRow("normal only") << false << false << QColor(Qt::red) << QColor(Qt::red);
}

void TestUnits::graphicButtonStates()
{
    QFETCH(bool, withHover);
    QFETCH(bool, withPressed);
    QFETCH(QColor, hovered);
    QFETCH(QColor, pressed);
    QWidget window;
    window.resize(100, 100);
    GraphicButton button(&window);
    button.setGeometry(10, 10, 20, 10);
    button.setNormalPicture(solid(Qt::red));
    if (withHover)
        button.setHoverPicture(solid(Qt::green));
    if (withPressed)
        button.setPressedPicture(solid(Qt::blue));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(centreOf(button.grab().toImage()), QColor(Qt::red));
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
    QApplication::sendEvent(&button, &enter);
    QCOMPARE(centreOf(button.grab().toImage()), hovered);
    button.setDown(true);
    QCOMPARE(centreOf(button.grab().toImage()), pressed);
    button.setDown(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    QCOMPARE(centreOf(button.shownPicture()), QColor(Qt::red));
}

void TestUnits::graphicButtonClicks()
{
    GraphicButton button;
    button.resize(68, 24);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(30, 12));
    QCOMPARE(clicks.size(), 1);
    // Undressed it still shows the caption its tag gives, without the navigation suffix.
    setUnitTag(&button, QStringLiteral("添加导航"));
    const QImage face = button.grab().toImage();
    QVERIFY(!face.isNull());
}

void TestUnits::labelsReportPresses()
{
    TransparentLabel transparent;
    transparent.resize(80, 20);
    QSignalSpy transparentPresses(&transparent, &TransparentLabel::pressed);
    QTest::mousePress(&transparent, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(transparentPresses.size(), 1);
    QCOMPARE(transparentPresses.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    QVERIFY(!transparent.autoFillBackground());

    Label label;
    label.resize(80, 20);
    QSignalSpy presses(&label, &Label::pressed);
    QTest::mousePress(&label, Qt::RightButton, {}, QPoint(3, 3));
    QCOMPARE(presses.size(), 1);
    QCOMPARE(presses.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);

    label.setBackgroundColour(QColor(10, 20, 30));
    QCOMPARE(label.grab().toImage().pixelColor(1, 1), QColor(10, 20, 30));
    label.setGradientColours(Qt::red, Qt::green, Qt::blue);
    const QImage gradient = label.grab().toImage();
    QVERIFY(gradient.pixelColor(1, 0).red() > 230 && gradient.pixelColor(1, 0).blue() < 30);
    QVERIFY(gradient.pixelColor(1, 19).blue() > 200 && gradient.pixelColor(1, 19).red() < 30);
}

void TestUnits::listRowsAndItemValues()
{
    ListView list;
    list.addColumn(QStringLiteral("项目类型"), 100);
    list.addColumn(QStringLiteral("支出金额"), 100, Qt::AlignHCenter);
    QCOMPARE(list.appendRow({QStringLiteral("餐饮"), QStringLiteral("12.50")}, 7), 0);
    QCOMPARE(list.appendRow({QStringLiteral("交通")}, 9), 1);
    list.appendRow({QStringLiteral("汇总"), QStringLiteral("3.00")});
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(list.cellText(0, 1), QStringLiteral("12.50"));
    QCOMPARE(list.cellText(1, 1), QString());
    QCOMPARE(list.itemValue(1), 9);
    QCOMPARE(list.itemValue(2), 0);
    QCOMPARE(list.selectedRow(), -1);
    list.selectRow(1);
    QCOMPARE(list.selectedRow(), 1);
    list.removeRow(0);
    QCOMPARE(list.rowCount(), 2);
    QCOMPARE(list.itemValue(0), 9);
    // The selection stays with its row; removing the selected row selects no neighbour.
    QCOMPARE(list.selectedRow(), 0);
    list.removeRow(0);
    QCOMPARE(list.selectedRow(), -1);
    list.appendRow({QStringLiteral("交通")}, 9);
    list.appendRow({QStringLiteral("汇总"), QStringLiteral("3.00")});
    list.setCellText(1, 0, QStringLiteral("改"));
    QCOMPARE(list.cellText(1, 0), QStringLiteral("改"));
    QCOMPARE(list.cellText(5, 0), QString());
    QCOMPARE(list.itemValue(5), 0);
    list.clearRows();
    QCOMPARE(list.rowCount(), 0);
    QCOMPARE(list.columnCount(), 2);

    // Replacing all rows at once drops the selection and keeps the columns.
    list.appendRow({QStringLiteral("旧")}, 1);
    list.selectRow(0);
    list.setRows({{{QStringLiteral("新"), QStringLiteral("1.00")}, 11}, {{QStringLiteral("另")}, 12}});
    QCOMPARE(list.rowCount(), 2);
    QCOMPARE(list.selectedRow(), -1);
    QCOMPARE(list.cellText(0, 1), QStringLiteral("1.00"));
    QCOMPARE(list.itemValue(1), 12);
    QCOMPARE(list.model()->data(list.model()->index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignHCenter | Qt::AlignVCenter);
}

void TestUnits::listReportsTitleClicksAndDoubleClicks()
{
    ListView list;
    list.resize(300, 200);
    list.addColumn(QStringLiteral("项目类型"), 100);
    list.addColumn(QStringLiteral("项目名称"), 100);
    list.appendRow({QStringLiteral("a"), QStringLiteral("b")}, 3);
    list.appendRow({QStringLiteral("c"), QStringLiteral("d")}, 4);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    // Taking the focus from the keyboard marks no row.
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&list, &focus);
    QVERIFY(!list.currentIndex().isValid());
    QCOMPARE(list.selectedRow(), -1);
    QSignalSpy titles(&list, &ListView::columnTitleClicked);
    QTest::mouseClick(list.listHeader()->viewport(), Qt::LeftButton, {}, QPoint(150, 5));
    QCOMPARE(titles.size(), 1);
    QCOMPARE(titles.at(0).at(0).toInt(), 1);

    QSignalSpy doubles(&list, &ListView::rowDoubleClicked);
    const QRect second = list.rowRect(1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(doubles.size(), 1);
    QCOMPARE(doubles.at(0).at(0).toInt(), 1);
    QCOMPARE(list.itemValue(doubles.at(0).at(0).toInt()), 4);
    // A click anywhere on a row selects the whole row.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(150, list.rowRect(0).center().y()));
    QCOMPARE(list.selectedRow(), 0);
}

void TestUnits::listRowHeightWithoutRows()
{
    ListView list;
    list.resize(200, 200);
    list.addColumn(QStringLiteral("x"), 50);
    const int empty = list.rowHeight();
    QVERIFY(empty >= list.fontMetrics().height());
    list.appendRow({QStringLiteral("1")});
    list.appendRow({QStringLiteral("2")});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const int measured = list.rowRect(1).top() - list.rowRect(0).top();
    QCOMPARE(list.rowHeight(), measured);
    QCOMPARE(empty, measured);
}

void TestUnits::listHeaderLook()
{
    ListView list;
    list.resize(400, 100);
    list.addColumn(QStringLiteral("项目类型"), 100);
    list.addColumn(QStringLiteral("项目名称"), 100);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    list.listHeader()->setLook(Qt::black, QColor(230, 230, 230), font);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QImage header = list.listHeader()->grab().toImage();
    // Grey inside the columns and beyond the last one.
    QCOMPARE(header.pixelColor(2, 2), QColor(230, 230, 230));
    QCOMPARE(header.pixelColor(350, header.height() / 2), QColor(230, 230, 230));
    // A caption is drawn: some dark pixels in the first column.
    bool dark = false;
    for (int x = 0; x < 100 && !dark; ++x)
        for (int y = 0; y < header.height() && !dark; ++y)
            dark = header.pixelColor(x, y).lightness() < 100;
    QVERIFY(dark);
}

void TestUnits::listStripesStayWithTheirRows()
{
    ListView list;
    list.resize(200, 200);
    list.addColumn(QStringLiteral("x"), 150);
    for (int i = 0; i < 40; ++i)
        list.appendRow({QString::number(i)});
    const int h = list.rowHeight();
    QImage stripes(1, 2 * h, QImage::Format_RGB32);
    stripes.fill(Qt::white);
    for (int y = h; y < 2 * h; ++y)
        stripes.setPixelColor(0, y, QColor(230, 230, 230));
    list.setBackgroundPicture(stripes);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    auto rowColour = [&](int row) {
        const QRect r = list.rowRect(row);
        return list.viewport()->grab().toImage().pixelColor(r.right() - 2, r.center().y());
    };
    // (The first row is the current one and may be drawn lit.)
    QCOMPARE(rowColour(1), QColor(230, 230, 230));
    QCOMPARE(rowColour(2), QColor(Qt::white));
    list.verticalScrollBar()->setValue(3);
    const QRect top = list.rowRect(3);
    QCOMPARE(top.top(), 0);
    QCOMPARE(rowColour(4), QColor(Qt::white));
    QCOMPARE(rowColour(5), QColor(230, 230, 230));
}

void TestUnits::listCellsLookAsTheStyleDrawsThem()
{
    // The list keeps its texts laid out between repaints; what it paints must be what the style
    // itself paints, to the pixel: left and centred columns, a selected row, a text too wide that
    // the style shortens, a text of two lines, Chinese beside digits.
    ListView list;
    list.resize(360, 160);
    list.addColumn(QStringLiteral("项目类型"), 80);
    list.addColumn(QStringLiteral("支出金额"), 70, Qt::AlignHCenter);
    list.addColumn(QStringLiteral("备注"), 90, Qt::AlignRight);
    list.appendRow({QStringLiteral("餐饮"), QStringLiteral("980.25"), QStringLiteral("早餐31")}, 1);
    list.appendRow({QStringLiteral("交通费用和停车费用"), QStringLiteral("1.25"), QStringLiteral("甲\n乙")}, 2);
    list.appendRow({QStringLiteral("x"), QStringLiteral("9999999999999.99"), QString()}, 3);
    list.appendRow({QString(), QStringLiteral("0.00"), QStringLiteral("Tom's 备注")}, 4);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.selectRow(1);
    const QImage ours = list.viewport()->grab().toImage();
    QAbstractItemDelegate *kept = list.itemDelegate();
    QStyledItemDelegate plain;
    list.setItemDelegate(&plain);
    const QImage styles = list.viewport()->grab().toImage();
    list.setItemDelegate(kept);
    QCOMPARE(ours.size(), styles.size());
    QVERIFY(ours == styles);
}

void TestUnits::wrappedLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minimumLines");
    QTest::addColumn<int>("maximumLines");
    QTest::newRow("empty") << "" << 1 << 1;
    QTest::newRow("short") << "餐饮" << 1 << 1;
    QTest::newRow("long Chinese") << "姓名姓名姓名姓名字姓名姓名姓名姓名字姓名姓名" << 2 << 4;
    QTest::newRow("long Latin") << "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz" << 2 << 6;
    QTest::newRow("line breaks") << "甲\r\n乙\n丙" << 3 << 3;
}

void TestUnits::wrappedLines()
{
    QFETCH(QString, text);
    QFETCH(int, minimumLines);
    QFETCH(int, maximumLines);
    SuperEditBox box;
    box.resize(115, 36);
    const QStringList lines = box.wrappedLines(text);
    QVERIFY2(lines.size() >= minimumLines && lines.size() <= maximumLines, qPrintable(lines.join(QLatin1Char('|'))));
    QString joined = lines.join(QString());
    QString plain = text;
    plain.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    QCOMPARE(joined, plain);
    for (const QString &line : lines)
        QVERIFY(box.fontMetrics().horizontalAdvance(line.trimmed()) <= 115);
}

void TestUnits::fileDialogFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("toolkit");
    QTest::newRow("pictures") << "图片文件(*.bmp,*.jpg)|*.bmp;*.jpg" << "图片文件 (*.bmp *.jpg)";
    QTest::newRow("two filters") << "Excel文件(*.xls)|*.xls|所有文件(*.*)|*.*" << "Excel文件 (*.xls);;所有文件 (*.*)";
    QTest::newRow("no description bracket") << "备份文件|*.bak" << "备份文件 (*.bak)";
    QTest::newRow("bare pattern") << "*.dat" << "*.dat";
    QTest::newRow("empty") << "" << "";
}

void TestUnits::fileDialogFilter()
{
    QFETCH(QString, filter);
    QFETCH(QString, toolkit);
    QCOMPARE(FileDialog::toolkitFilter(filter), toolkit);
}

void TestUnits::fileDialogAnswers()
{
    FileDialog dialog;
    dialog.setFilter(QStringLiteral("Excel文件(*.xls)|*.xls"));
    dialog.setDefaultExtension(QStringLiteral(".xls"));
    QCOMPARE(dialog.defaultExtension(), QStringLiteral("xls"));
    dialog.setFileName(QStringLiteral("账本20261210"));
    FileDialog::queueAnswers({QStringLiteral("/tmp/账本"), QString(), QStringLiteral("/tmp/a.bak")});
    QVERIFY(dialog.showSave());
    QCOMPARE(dialog.fileName(), QStringLiteral("/tmp/账本.xls"));
    QVERIFY(!dialog.showOpen());
    QCOMPARE(dialog.fileName(), QStringLiteral("/tmp/账本.xls"));
    // An opened name is taken as chosen; the default extension is for saving.
    QVERIFY(dialog.showOpen());
    QCOMPARE(dialog.fileName(), QStringLiteral("/tmp/a.bak"));
    QCOMPARE(FileDialog::queuedAnswers(), 0);
    const QList<FileDialog::Opening> openings = FileDialog::takeOpenings();
    QCOMPARE(openings.size(), 3);
    QCOMPARE(openings[0].kind, QStringLiteral("save"));
    QCOMPARE(openings[0].proposedName, QStringLiteral("账本20261210"));
    QCOMPARE(openings[0].filter, QStringLiteral("Excel文件(*.xls)|*.xls"));
    QCOMPARE(openings[1].kind, QStringLiteral("open"));
    QCOMPARE(FileDialog::withDefaultExtension(QStringLiteral("/a/b.bak"), QStringLiteral("xls")), QStringLiteral("/a/b.bak"));
    QCOMPARE(FileDialog::withDefaultExtension(QStringLiteral("/a.d/b"), QStringLiteral("xls")), QStringLiteral("/a.d/b.xls"));
}

void TestUnits::fileDialogStartsInTheLastFolder()
{
    QFile::remove(settingsFilePath());
    const QString home = dir.filePath(QStringLiteral("家"));
    const QString bills = dir.filePath(QStringLiteral("账单"));
    const QString photos = dir.filePath(QStringLiteral("照片"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("账单")) && QDir(dir.path()).mkpath(QStringLiteral("照片")));
    FileDialog first;
    FileDialog other;
    FileDialog::queueAnswers({QString(), bills + QStringLiteral("/三月"), photos + QStringLiteral("/山.jpg"), QString()});
    QVERIFY(!first.showOpen()); // a cancelled dialog leaves no folder behind
    QVERIFY(first.showSave());
    QVERIFY(other.showOpen()); // every dialog of the program shares the folder
    QVERIFY(!first.showSave());
    const QList<FileDialog::Opening> openings = FileDialog::takeOpenings();
    QCOMPARE(openings.size(), 4);
    QCOMPARE(openings[0].folder, home);
    QCOMPARE(openings[1].folder, home);
    QCOMPARE(openings[2].folder, bills);
    QCOMPARE(openings[3].folder, photos);
    // The folder outlives the program: it is read back from the settings file.
    QCOMPARE(readSetting(QStringLiteral("wjdhk"), QStringLiteral("scwjj")), photos);
    QCOMPARE(FileDialog::startFolder(), photos);
    // A folder that is gone gives the home folder again.
    QVERIFY(QDir(photos).removeRecursively());
    QCOMPARE(FileDialog::startFolder(), home);
}

void TestUnits::fileDialogAsToolkitDialog_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("confirmOverwrite");
    QTest::newRow("open") << false << true;
    QTest::newRow("save, replacing") << true << true;
    QTest::newRow("save, adding to the file") << true << false;
}

// The toolkit's own dialog opens in the remembered folder and asks about an existing file only
// when the caller replaces it.
void TestUnits::fileDialogAsToolkitDialog()
{
    QFETCH(bool, save);
    QFETCH(bool, confirmOverwrite);
    const QString folder = dir.filePath(QStringLiteral("导出"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("导出")));
    writeSetting(QStringLiteral("wjdhk"), QStringLiteral("scwjj"), folder);
    QString openedIn;
    bool asks = true;
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *shown = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!shown)
            return;
        seen = true;
        openedIn = shown->directory().absolutePath();
        asks = !shown->testOption(QFileDialog::DontConfirmOverwrite);
        shown->reject();
    });
    poll.start();
    FileDialog dialog;
    dialog.setFilter(QStringLiteral("理财数据(*.xls)|*.xls"));
    dialog.setFileName(QStringLiteral("理财数据(2026-12-11)"));
    dialog.setConfirmOverwrite(confirmOverwrite);
    QVERIFY(!(save ? dialog.showSave() : dialog.showOpen()));
    poll.stop();
    QVERIFY(seen);
    if (save)
        QCOMPARE(asks, confirmOverwrite);
    QCOMPARE(openedIn, folder);
}

// A filter chosen in the toolkit's dialog is told to the caller and gives a typed name without
// an extension its own, so the kind of file follows the filter.
void TestUnits::fileDialogTellsTheChosenFilter()
{
    writeSetting(QStringLiteral("wjdhk"), QStringLiteral("scwjj"), dir.path());
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *shown = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!shown)
            return;
        poll.stop();
        const QString chosen = shown->nameFilters().at(2);
        shown->selectNameFilter(chosen);
        emit shown->filterSelected(chosen); // what the person's choice in the box sends
        // Typed into the name box: selectFile leaves a focused box as it is.
        auto *typed = shown->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(typed);
        typed->setText(QStringLiteral("账本"));
        static_cast<QDialog *>(shown)->accept(); // the file dialog's own accept, which takes the typed name
    });
    poll.start();
    FileDialog dialog;
    dialog.setFilter(QStringLiteral("理财数据(*.xls)|*.xls|理财数据 Excel(*.xlsx)|*.xlsx|理财数据 CSV GBK(*.csv)|*.csv"));
    dialog.setDefaultExtension(QStringLiteral("xls"));
    QVERIFY(dialog.showSave());
    QCOMPARE(dialog.chosenFilter(), 2);
    QCOMPARE(QFileInfo(dialog.fileName()).fileName(), QStringLiteral("账本.csv"));
}

void TestUnits::timerIntervalZeroStops()
{
    Timer timer;
    QSignalSpy ticks(&timer, &QTimer::timeout);
    timer.setTickInterval(20);
    QVERIFY(timer.isActive());
    QCOMPARE(timer.tickInterval(), 20);
    QVERIFY(ticks.wait(1000));
    timer.setTickInterval(0);
    QVERIFY(!timer.isActive());
    QCOMPARE(timer.tickInterval(), 0);
    ticks.clear();
    QTest::qWait(60);
    QCOMPARE(ticks.size(), 0);
}

void TestUnits::drawingBoardKeepsWhatIsDrawn()
{
    QWidget page;
    DrawingBoard board(&page);
    board.setBackgroundColour(Qt::white);
    // A hidden work surface, resized and drawn on before it is ever shown.
    board.hide();
    board.setGeometry(0, 0, 1, 40);
    board.clear();
    board.fillRect(QRect(0, 0, 1, 20), Qt::white);
    board.fillRect(QRect(0, 20, 1, 20), QColor(230, 230, 230));
    QImage stripes = board.picture();
    QCOMPARE(stripes.size(), QSize(1, 40));
    QCOMPARE(stripes.pixelColor(0, 19), QColor(Qt::white));
    QCOMPARE(stripes.pixelColor(0, 20), QColor(230, 230, 230));

    board.resize(50, 50);
    board.drawPicture(solid(Qt::red, QSize(4, 4)), 10, 10, 8, 8);
    board.setPenStyle(Qt::SolidLine);
    board.drawLine(QPoint(0, 45), QPoint(49, 45), QColor(118, 118, 118));
    const QImage drawn = board.picture();
    QCOMPARE(drawn.pixelColor(0, 39), QColor(230, 230, 230)); // kept through the resize
    QCOMPARE(drawn.pixelColor(17, 17), QColor(Qt::red));      // scaled to 8 by 8
    QCOMPARE(drawn.pixelColor(18, 18), QColor(Qt::white));
    QCOMPARE(drawn.pixelColor(30, 45), QColor(118, 118, 118));
}

void TestUnits::printGridJoinsAndPages()
{
    PrintGrid grid;
    grid.setColumnCount(8);
    for (int c = 1; c <= 6; ++c)
        grid.setColumnWidth(c, 300);
    QCOMPARE(grid.printablePageWidth(), 1900); // A4, 10 mm margins, tenths of a millimetre
    grid.appendRow(80);
    grid.appendRow(80);
    grid.joinCells(0, 1, 1, 6);
    QCOMPARE(grid.cellSpan(1, 4), QRect(1, 0, 6, 2));
    QCOMPARE(grid.cellSpan(1, 7), QRect(7, 1, 1, 1));
    grid.setCellText(0, 1, QStringLiteral("账本数据"));
    QCOMPARE(grid.cellText(0, 1), QStringLiteral("账本数据"));
    grid.setCellText(9, 1, QStringLiteral("no such row"));
    grid.setCellStyle(0, 1, 0, 6, 18, true, Qt::AlignCenter);
    QVERIFY(grid.cellFont(0, 3).bold());
    QCOMPARE(grid.cellFont(0, 3).pointSize(), 18);
    QCOMPARE(grid.cellAlignment(0, 3), Qt::AlignCenter);
    QCOMPARE(grid.pageCount(), 1);
    const int perPage = grid.printablePageHeight() / 68;
    for (int i = 0; i < perPage; ++i)
        grid.appendRow(68);
    QCOMPARE(grid.pageCount(), 2);
    grid.clear();
    QCOMPARE(grid.rowCount(), 0);
    QCOMPARE(grid.columnCount(), 0);
}

void TestUnits::printGridPrintsToPdf()
{
    PrintGrid grid;
    grid.setColumnCount(3);
    grid.setColumnWidth(1, 600);
    for (int r = 0; r < 60; ++r) {
        grid.appendRow(68);
        grid.setCellText(r, 1, QStringLiteral("第%1行\r\n换行").arg(r));
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = dir.filePath(QStringLiteral("grid.pdf"));
    printer.setOutputFileName(path);
    grid.print(&printer);
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), qsizetype(grid.pageCount()));
}

void TestUnits::printPreviewOpensOnce()
{
    PrintGrid grid;
    grid.setColumnCount(1);
    grid.setColumnWidth(0, 100);
    grid.appendRow(80);
    grid.showPreview();
    QVERIFY(grid.previewOpen());
    const QList<QWidget *> before = QApplication::topLevelWidgets();
    grid.showPreview();
    QCOMPARE(QApplication::topLevelWidgets().size(), before.size());
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->inherits("QPrintPreviewDialog"))
            w->close();
    QTRY_VERIFY(!grid.previewOpen());
}

void TestUnits::styledMenuItems()
{
    StyledMenu menu;
    menu.addItems({QStringLiteral("甲"), QStringLiteral("-"), QStringLiteral("组/乙"), QStringLiteral("组/丙"), QStringLiteral("丁")});
    QCOMPARE(menu.actions().size(), 4);
    QVERIFY(menu.actions().at(1)->isSeparator());
    QAction *c = menu.findAction(QStringLiteral("组/丙"));
    QVERIFY(c);
    QCOMPARE(c->text(), QStringLiteral("丙"));
    QCOMPARE(menu.findAction(QStringLiteral("组"))->menu()->actions().size(), 2);
    menu.setBackgroundColour(QColor(1, 2, 3));
    menu.setLeftBorderColours(QColor(4, 5, 6), QColor(7, 8, 9));
    menu.setSelectionColours(QColor(10, 11, 12), QColor(13, 14, 15), QColor(16, 17, 18));
    menu.setSeparatorColours(QColor(19, 20, 21), QColor(22, 23, 24));
    QCOMPARE(menu.backgroundColour(), QColor(1, 2, 3));
    QCOMPARE(menu.selectionColours().at(2), QColor(16, 17, 18));
    // The sub-menu takes the same look.
    auto *sub = qobject_cast<StyledMenu *>(menu.findAction(QStringLiteral("组"))->menu());
    QVERIFY(sub);
    QCOMPARE(sub->backgroundColour(), QColor(1, 2, 3));
    QCOMPARE(sub->separatorColours().at(0), QColor(19, 20, 21));
    const QImage face = menu.grab().toImage();
    QCOMPARE(face.pixelColor(face.width() - 6, face.height() / 2), QColor(1, 2, 3));
}

void TestUnits::dateBoxCalendarDropsDown()
{
    QWidget page;
    page.resize(300, 200);
    QWidget frame(&page);
    frame.setGeometry(10, 10, 180, 22);
    DateBox box(&frame);
    box.setGeometry(27, 4, 146, 14);
    box.hide(); // behind its proxy label
    box.setDateTime(QDateTime(QDate(2012, 11, 18), QTime(8, 30)));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QSignalSpy changes(&box, &QDateTimeEdit::dateChanged);
    box.openCalendar();
    QVERIFY(box.calendarOpen());
    QCOMPARE(box.calendar()->selectedDate(), QDate(2012, 11, 18));
    QCOMPARE(box.calendar()->locale().language(), QLocale::Chinese);
    QCOMPARE(box.calendar()->window()->windowTitle(), QStringLiteral("月历"));
    emit box.calendar()->clicked(QDate(2012, 11, 25));
    QCOMPARE(box.date(), QDate(2012, 11, 25));
    QCOMPARE(box.time(), QTime(8, 30));
    QCOMPARE(changes.size(), 1);
    QTRY_VERIFY(!box.calendarOpen());
    QCOMPARE(box.displayFormat(), QStringLiteral("yyyy-MM-dd"));
}

void TestUnits::dateBoxCalendarIgnoresTypedDigits()
{
    // The calendar is picked from with the mouse and the arrow keys; typed digits change nothing
    // and show no half-made date.
    QWidget page;
    page.resize(300, 200);
    DateBox box(&page);
    box.setDate(QDate(1996, 5, 4));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    box.openCalendar();
    QVERIFY(QTest::qWaitForWindowExposed(box.calendar()->window()));
    QWidget *grid = QApplication::focusWidget();
    QVERIFY(grid);
    QTest::keyClicks(grid, "2");
    for (const QLabel *label : box.calendar()->findChildren<QLabel *>())
        QVERIFY2(!label->isVisible() || label->text().isEmpty(), qPrintable(label->text()));
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(box.date(), QDate(1996, 5, 4));
}

void TestUnits::dateBoxGoesWithItsCalendarOpen()
{
    QWidget page;
    page.resize(300, 200);
    auto *box = new DateBox(&page);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    box->openCalendar();
    QVERIFY(box->calendarOpen());
    const QPointer<QCalendarWidget> calendar = box->calendar();
    delete box;
    QVERIFY(!calendar);
}

void TestUnits::comboBoxOpensWhileHidden()
{
    QWidget page;
    page.resize(300, 200);
    ComboBox combo(&page);
    combo.setGeometry(10, 10, 120, 20);
    combo.addItems({QStringLiteral("支出金额"), QStringLiteral("收入金额")});
    combo.hide();
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QSignalSpy chosen(&combo, &QComboBox::textActivated);
    combo.openDropDown();
    QTRY_VERIFY(combo.view()->isVisible());
    QTest::keyClick(combo.view(), Qt::Key_Down);
    QTest::keyClick(combo.view(), Qt::Key_Return);
    QTRY_COMPARE(chosen.size(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), QStringLiteral("收入金额"));
}

void TestUnits::comboBoxListScrolls()
{
    // A year list of forty years drops down as a list of a few rows that scrolls.
    QWidget page;
    page.resize(300, 200);
    ComboBox combo(&page);
    combo.setGeometry(10, 10, 120, 20);
    for (int year = 1990; year < 2030; ++year)
        combo.addItem(QString::number(year));
    combo.setCurrentIndex(22);
    combo.hide();
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    combo.openDropDown();
    QTRY_VERIFY(combo.view()->isVisible());
    const int rowHeight = combo.view()->sizeHintForRow(0);
    QVERIFY(rowHeight > 0);
    QVERIFY2(combo.view()->window()->height() <= (combo.maxVisibleItems() + 1) * rowHeight,
             qPrintable(QString::number(combo.view()->window()->height())));
    QVERIFY(combo.view()->verticalScrollBar()->maximum() > 0);
    combo.hidePopup();
}

void TestUnits::listTipsShowCellsTooNarrow_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("tip");
    QTest::newRow("amount wider than its column") << 0 << "9999999999999.99";
    QTest::newRow("amount that fits") << 1 << "";
    QTest::newRow("long text") << 2 << QString(20, u'长');
}

void TestUnits::listTipsShowCellsTooNarrow()
{
    QFETCH(int, column);
    QFETCH(QString, tip);
    ListView list;
    list.resize(400, 200);
    for (const char *title : {"支出金额", "收入金额", "项目名称"})
        list.addColumn(QString::fromUtf8(title), 100, Qt::AlignHCenter);
    list.appendRow({"9999999999999.99", "12.50", QString(20, u'长')});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    const QPoint at = list.visualRect(list.model()->index(0, column)).center();
    QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &help);
    if (tip.isEmpty()) {
        QVERIFY(!QToolTip::isVisible());
    } else {
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), tip);
    }
}

void TestUnits::labelTipsShowTextsTooWide_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tip");
    QTest::newRow("balance wider than the label") << "-10000000000012.49" << true;
    QTest::newRow("balance that fits") << "12.49" << false;
}

void TestUnits::labelTipsShowTextsTooWide()
{
    QFETCH(QString, text);
    QFETCH(bool, tip);
    QWidget page;
    page.resize(200, 100);
    TransparentLabel label(&page);
    label.setGeometry(10, 10, 100, 16);
    label.setText(text);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), label.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&label, &help);
    if (tip) {
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), text);
    } else {
        QVERIFY(!QToolTip::isVisible());
    }
}

void TestUnits::kindNamesRoundTrip()
{
    for (int k = int(UnitKind::GraphicButton); k <= int(UnitKind::StyledMenu); ++k) {
        const auto kind = static_cast<UnitKind>(k);
        QVERIFY(!unitKindName(kind).isEmpty());
        QCOMPARE(unitKindFromName(unitKindName(kind)), kind);
    }
    QCOMPARE(unitKindFromName(QStringLiteral("按钮")), UnitKind::None);
    QObject plain;
    QCOMPARE(unitKind(&plain), UnitKind::None);
    QCOMPARE(unitTag(&plain), QString());
    QCOMPARE(unitGeometry(nullptr), QRect());
}

void TestUnits::qtWindowsSpeakChinese()
{
    useChineseTexts();
    // The file dialogs' buttons, drawn by Qt itself.
    QCOMPARE(QCoreApplication::translate("QFileDialog", "&Save"), QStringLiteral("保存(&S)"));
    QCOMPARE(QLocale().language(), QLocale::Chinese);
}

QTEST_MAIN(TestUnits)
#include "tst_units.moc"
