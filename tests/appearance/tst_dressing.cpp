#include "appearance/dressing.h"
#include "appearance/liststyle.h"
#include "common/settings.h"
#include "skinfixture.h"
#include "ui/animationbox.h"
#include "ui/drawingboard.h"
#include "ui/layoutwindow.h"
#include "ui/listview.h"

#include <QTest>

namespace {

const QList<QPair<DressedWindow, QString>> pageLayouts{
    {DressedWindow::View, QStringLiteral("view")},           {DressedWindow::Entry, QStringLiteral("entry")},
    {DressedWindow::Backup, QStringLiteral("backup")},       {DressedWindow::Statistics, QStringLiteral("statistics")},
    {DressedWindow::User, QStringLiteral("user")},           {DressedWindow::Skin, QStringLiteral("skin")},
};

// The main window and its six pages, loaded and registered as start-up does.
struct Program
{
    Program()
    {
        main = new LayoutWindow(QStringLiteral("main"));
        main->placeAtCreation();
        registerWindow(DressedWindow::Main, main);
        dressMainWindow();
        for (const auto &[role, layout] : pageLayouts) {
            auto *page = new LayoutWindow(layout);
            page->placeAtCreation(main);
            registerWindow(role, page);
            pages.insert(int(role), page);
        }
        dressViewPage();
        dressEntryPage();
        dressBackupPage();
        dressStatisticsPage();
        dressUserPage();
        dressSkinPage();
    }
    ~Program()
    {
        for (const auto &[role, layout] : pageLayouts)
            registerWindow(role, nullptr);
        registerWindow(DressedWindow::Main, nullptr);
        delete main;
    }
    LayoutWindow *page(DressedWindow role) const { return pages.value(int(role)); }
    AnimationBox *canvas(const QString &name) const { return main->unit<AnimationBox>(name); }

    LayoutWindow *main = nullptr;
    QHash<int, LayoutWindow *> pages;
};

int countObjects(AnimationBox *canvas, const QString &name)
{
    int n = 0;
    for (int id : canvas->objectIds())
        n += canvas->nameOf(id) == name;
    return n;
}

} // namespace

class TestDressing : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startupBackground_data();
    void startupBackground();
    void transparencySetting_data();
    void transparencySetting();
    void mainWindowKeepsItsHighlightThroughARedressing();
    void pageSliceIsTheBackgroundBehindThePageArea();
    void pageButtonsBlendWithTheSliceBehindThem();
    void viewPageBarsShowTheNewBackground();
    void statisticsPageDrawsFifteenLogos();
    void separatorLines();
    void redressAllWindowsAppliesTheNewTransparency();
    void listStripesAndHeader();

private:
    SkinFixture *skin = nullptr;
};

void TestDressing::init()
{
    skin = new SkinFixture;
    QVERIFY(skin->load());
    appearanceState() = {};
    appearanceState().backgroundPicture = skin->entries.value(QStringLiteral("背景图片1"));
    Clock::setFixed(QDateTime(QDate(2026, 3, 31), QTime(12, 0)));
}

void TestDressing::cleanup()
{
    Clock::useSystemTime();
    delete skin;
}

void TestDressing::startupBackground_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("bjtp");
    QTest::addColumn<QString>("cstp");
    QTest::addColumn<QString>("userFile"); // "picture", "missing" or empty: what yhtp2 names
    QTest::addColumn<QString>("entry");    // the expected skin entry; "file" for the user picture
    QTest::addColumn<QString>("bjtpAfter");
    const QDate ordinary(2026, 3, 31);
    QTest::newRow("first run") << ordinary << "" << "" << "" << "背景图片1"
                               << "1";
    QTest::newRow("skin picture 3") << ordinary << "3" << "0" << "" << "背景图片3"
                                    << "3";
    QTest::newRow("user picture") << ordinary << "-2" << "0" << "picture" << "file"
                                  << "-2";
    QTest::newRow("user picture gone") << ordinary << "-2" << "0" << "missing" << ""
                                       << "-2";
    QTest::newRow("plain colour 2") << ordinary << "0" << "2" << "" << "纯色图片2"
                                    << "0";
    QTest::newRow("no colour chosen") << ordinary << "0" << "0" << "" << ""
                                      << "0";
    QTest::newRow("festival day") << QDate(2026, 12, 25) << "0" << "2" << "" << "圣诞图片1"
                                  << "0";
}

void TestDressing::startupBackground()
{
    QFETCH(QDate, date);
    QFETCH(QString, bjtp);
    QFETCH(QString, cstp);
    QFETCH(QString, userFile);
    QFETCH(QString, entry);
    Clock::setFixed(QDateTime(date, QTime(9, 0)));
    const QString pf = QStringLiteral("pf");
    if (!bjtp.isEmpty())
        writeSetting(pf, QStringLiteral("bjtp"), bjtp);
    writeSetting(pf, QStringLiteral("cstp"), cstp);
    const QByteArray own = solidPicture(Qt::darkCyan, QSize(30, 20), "BMP");
    if (userFile == QStringLiteral("picture"))
        writeSetting(pf, QStringLiteral("yhtp2"), skin->writeFile(QStringLiteral("own.bmp"), own));
    else if (userFile == QStringLiteral("missing"))
        writeSetting(pf, QStringLiteral("yhtp2"), skin->folder.filePath(QStringLiteral("gone.bmp")));

    loadStartupAppearance();
    const QByteArray expected = entry == QStringLiteral("file") ? own
                                : entry.isEmpty()                ? QByteArray()
                                                                 : skin->entries.value(entry);
    QCOMPARE(appearanceState().backgroundPicture, expected);
    QFETCH(QString, bjtpAfter);
    QCOMPARE(readSetting(pf, QStringLiteral("bjtp")), bjtpAfter);
}

void TestDressing::transparencySetting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("transparency");
    QTest::newRow("absent") << QString() << 0;
    QTest::newRow("50") << QStringLiteral("50") << 50;
    QTest::newRow("35.9") << QStringLiteral("35.9") << 35;
    QTest::newRow("not a number") << QStringLiteral("abc") << 0;
}

void TestDressing::transparencySetting()
{
    QFETCH(QString, text);
    if (!text.isNull())
        writeSetting(QStringLiteral("pf"), QStringLiteral("pftmd"), text);
    QFETCH(int, transparency);
    QCOMPARE(readTransparencySetting(), transparency);
}

void TestDressing::mainWindowKeepsItsHighlightThroughARedressing()
{
    Program program;
    AnimationBox *canvas = program.canvas(QStringLiteral("背景动画框"));
    const int highlight = canvas->findObject(QStringLiteral("选中动画"));
    QVERIFY(highlight > 0);
    QVERIFY(!canvas->objectVisible(highlight));
    QCOMPARE(canvas->objectPosition(highlight), QPoint(200, 110));
    QCOMPARE(canvas->frameCount(highlight), 9);
    QCOMPARE(canvas->objectTransparency(highlight), 10);
    canvas->moveObject(highlight, 94 + 15, 110);
    canvas->setObjectVisible(highlight, true);

    dressMainWindow();
    QCOMPARE(countObjects(canvas, QStringLiteral("选中动画")), 1);
    const int again = canvas->findObject(QStringLiteral("选中动画"));
    QVERIFY(canvas->objectVisible(again));
    QCOMPARE(canvas->objectPosition(again), QPoint(109, 110));
    QCOMPARE(countObjects(canvas, QStringLiteral("背景矩形860")), 1);
    QCOMPARE(canvas->objectCount(), 11);
}

void TestDressing::pageSliceIsTheBackgroundBehindThePageArea()
{
    Program program;
    AnimationBox *background = program.canvas(QStringLiteral("背景动画框"));
    AnimationBox *pageCanvas = program.canvas(QStringLiteral("子窗口背景动画框"));
    const QImage slice = appearanceState().pageSlice;
    QCOMPARE(slice.size(), QSize(856, 460));
    QCOMPARE(pageCanvas->geometry(), QRect(2, 116, 856, 460));
    QVERIFY(pageCanvas->isHidden());
    const QImage drawn = background->snapshotImage(QRect(2, 116, 856, 460));
    QCOMPARE(slice.pixelColor(400, 200), drawn.pixelColor(400, 200));
    QCOMPARE(pageCanvas->backgroundImage().pixelColor(400, 200), drawn.pixelColor(400, 200));
    // Each page shows the slice on its board, which lies under everything else of the page.
    for (const auto &[role, layout] : pageLayouts) {
        auto *board = program.page(role)->unit<DrawingBoard>(QStringLiteral("子窗口背景画板"));
        QVERIFY2(!board->isHidden(), qPrintable(layout));
        QCOMPARE(board->geometry(), QRect(0, 0, 856, 460));
        QCOMPARE(board->picture().pixelColor(400, 150), drawn.pixelColor(400, 150));
    }
}

void TestDressing::pageButtonsBlendWithTheSliceBehindThem()
{
    Program program;
    LayoutWindow *view = program.page(DressedWindow::View);
    auto *login = view->unit<GraphicButton>(QStringLiteral("登录按钮"));
    auto *bar = view->unit<QWidget>(QStringLiteral("登录界面框"));
    const QPoint place = bar->pos() + login->pos();
    const QImage slice = appearanceState().pageSlice;
    // The test skin has no login pictures: the button is the slice behind it, pixel for pixel.
    QCOMPARE(login->normalPicture().pixelColor(3, 3), slice.pixelColor(place + QPoint(3, 3)));
    QCOMPARE(login->pos().y(), 5);
}

void TestDressing::viewPageBarsShowTheNewBackground()
{
    Program program;
    appearanceState().backgroundPicture = skin->entries.value(QStringLiteral("纯色图片2"));
    redressAllWindows(90);
    LayoutWindow *view = program.page(DressedWindow::View);
    auto *bar = view->unit<PictureBox>(QStringLiteral("登录界面框"));
    const QImage slice = appearanceState().pageSlice;
    QCOMPARE(bar->picture().size(), bar->size());
    QCOMPARE(bar->picture().pixelColor(10, 10), slice.pixelColor(bar->pos() + QPoint(10, 10)));
    // Plain green through the nearly clear content rectangle.
    QVERIFY2(slice.pixelColor(10, 10).green() > 190 && slice.pixelColor(10, 10).red() < 40,
             qPrintable(slice.pixelColor(10, 10).name()));
    for (const QString &name : {QStringLiteral("统计界面框1"), QStringLiteral("统计界面框2")})
        QCOMPARE(view->unit<PictureBox>(name)->picture(), bar->picture());
}

void TestDressing::statisticsPageDrawsFifteenLogos()
{
    Program program;
    dressStatisticsPage();
    AnimationBox *pageCanvas = program.canvas(QStringLiteral("子窗口背景动画框"));
    QCOMPARE(pageCanvas->objectCount(), 0);
    const QImage withLogos = appearanceState().statisticsBackground;
    const QImage slice = appearanceState().pageSlice;
    QCOMPARE(withLogos.size(), QSize(856, 460));
    // A point on the coloured ring of each logo, left of its middle.
    QList<QPoint> onLogos{QPoint(30, 52), QPoint(330, 52), QPoint(630, 52)};
    for (int i = 1; i <= 12; ++i)
        onLogos.append(QPoint(10 + 290 * ((i - 1) % 3) + 6, 150 + 75 * ((i - 1) / 3) + 14));
    for (const QPoint &p : onLogos)
        QVERIFY2(withLogos.pixelColor(p) != slice.pixelColor(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    QCOMPARE(withLogos.pixelColor(200, 120), slice.pixelColor(200, 120));
}

void TestDressing::separatorLines()
{
    Program program;
    auto boardOf = [&](DressedWindow role) {
        return program.page(role)->unit<DrawingBoard>(QStringLiteral("子窗口背景画板"))->picture();
    };
    const QColor grey(118, 118, 118);
    QCOMPARE(boardOf(DressedWindow::View).pixelColor(0, 36), grey);
    QCOMPARE(boardOf(DressedWindow::View).pixelColor(720, 4), grey);
    QCOMPARE(boardOf(DressedWindow::Entry).pixelColor(0, 196), grey);
    // December's line runs from (680, 391) to (850, 391).
    const QImage statistics = boardOf(DressedWindow::Statistics);
    auto greyBetween = [&](int from, int to) {
        int n = 0;
        for (int x = from; x <= to; ++x)
            n += statistics.pixelColor(x, 391) == grey;
        return n;
    };
    QCOMPARE(statistics.pixelColor(680, 391), grey);
    QVERIFY(greyBetween(846, 850) > 0);
    QCOMPARE(greyBetween(670, 679), 0);
    QCOMPARE(greyBetween(851, 855), 0);
}

void TestDressing::redressAllWindowsAppliesTheNewTransparency()
{
    Program program;
    auto *list = program.page(DressedWindow::View)->unit<QWidget>(QStringLiteral("理财列表框"));
    LayoutWindow help(QStringLiteral("help"));
    help.placeAtCreation();
    registerWindow(DressedWindow::Help, &help);
    int helpDressings = 0;
    whenDressed(&help, [&] { ++helpDressings; });
    redressAllWindows(50);
    registerWindow(DressedWindow::Help, nullptr);
    QCOMPARE(helpDressings, 1);
    AnimationBox *helpCanvas = help.unit<AnimationBox>(QStringLiteral("背景动画框"));
    QCOMPARE(helpCanvas->objectTransparency(helpCanvas->findObject(QStringLiteral("背景矩形860"))), 50);
    QCOMPARE(appearanceState().transparency, 50);
    AnimationBox *canvas = program.canvas(QStringLiteral("背景动画框"));
    const int rectangle = canvas->findObject(QStringLiteral("背景矩形860"));
    QCOMPARE(canvas->objectTransparency(rectangle), 50);
    QVERIFY(!list->isHidden());
    QVERIFY(program.page(DressedWindow::Skin)->unit<QWidget>(QStringLiteral("等待标签"))->isHidden());
    QCOMPARE(canvas->objectCount(), 11);
}

void TestDressing::listStripesAndHeader()
{
    LayoutWindow view(QStringLiteral("view"));
    view.placeAtCreation();
    auto *list = view.unit<ListView>(QStringLiteral("理财列表框"));
    auto *board = view.unit<DrawingBoard>(QStringLiteral("画板1"));
    for (int i = 0; i < 3; ++i)
        list->appendRow({QStringLiteral("餐饮"), QStringLiteral("午餐")}, i);
    const int h = list->rowHeight();
    skin->writeFile(QStringLiteral("bj.qbx"), "old");
    stripeListRows(list, board, QColor(255, 255, 255), QColor(230, 230, 230));
    const QImage stripe(skin->folder.filePath(QStringLiteral("bj.qbx")), "BMP");
    QCOMPARE(stripe.size(), QSize(1, 2 * h));
    QCOMPARE(stripe.pixelColor(0, 0), QColor(255, 255, 255));
    QCOMPARE(stripe.pixelColor(0, h), QColor(230, 230, 230));
    QVERIFY(board->isHidden());
    QVERIFY(!list->isHidden());

    drawListHeader(list, QColor(0, 0, 0), QColor(230, 230, 230));
    QVERIFY(list->listHeader()->hasLook());
    QCOMPARE(list->listHeader()->fillColour(), QColor(230, 230, 230));
    QCOMPARE(list->listHeader()->font().family(), QStringLiteral("宋体"));
    QCOMPARE(list->listHeader()->font().pixelSize(), 12);
}

QTEST_MAIN(TestDressing)
#include "tst_dressing.moc"
