#include "appearance/dressing.h"
#include "appearance/windowskin.h"
#include "skinfixture.h"
#include "ui/animationbox.h"
#include "ui/drawingboard.h"
#include "ui/layoutwindow.h"
#include "ui/styledmenu.h"

#include <QTest>

namespace {

const QString dialogLayout = QStringLiteral(
    "窗口 | 顶层 | 450 | 250 | 测试\n"
    "背景动画框 | 动画框 | 352 | 8 | 24 | 21 |  |  |  |\n"
    "按钮动画框 | 动画框 | 376 | 8 | 24 | 21 |  |  |  |\n"
    "子窗口背景动画框 | 动画框 | 376 | 32 | 24 | 24 |  |  |  |\n"
    "导航按钮 | 图形按钮 | 100 | 20 | 20 | 20 |  |  | 添加导航 |\n"
    "命令按钮 | 图形按钮 | 140 | 20 | 20 | 20 |  |  | 添加 |\n"
    "留白按钮 | 图形按钮 | 180 | 20 | 20 | 20 |  |  | N |\n"
    "外形框空 | 外形框 | 10 | 100 | 100 | 22 |  |  |  |\n"
    "外形框N | 外形框 | 10 | 130 | 100 | 22 |  |  | N |\n"
    "外形框N1 | 外形框 | 10 | 160 | 100 | 22 |  |  | N1 |\n"
    "外形框N2 | 外形框 | 10 | 190 | 100 | 22 |  |  | N2 |\n"
    "下拉按钮 | 图形按钮 | 80 | 3 | 20 | 20 | 外形框空 |  | 下拉 |\n"
    "渐变标签 | 标签 | 200 | 100 | 80 | 20 |  |  | 渐变标签背景颜色 |\n"
    "普通标签 | 标签 | 200 | 130 | 80 | 20 |  |  |  |\n"
    "留白标签 | 标签 | 200 | 160 | 80 | 20 |  |  | N |\n"
    "编辑框1 | 编辑框 | 300 | 100 | 80 | 20 |  |  |  |\n"
    "菜单 | 超级菜单 | 0 | 0 | 0 | 0 |  |  |  | items=甲,-,乙\n");

const QColor designedLine(1, 2, 3), designedFill(4, 5, 6);

struct Dialog
{
    Dialog() : window(parseLayout(QStringLiteral("test"), dialogLayout))
    {
        for (const QString &name : {QStringLiteral("外形框N"), QStringLiteral("外形框N1"), QStringLiteral("外形框N2")}) {
            window.unit<ShapeBox>(name)->setLineColour(designedLine);
            window.unit<ShapeBox>(name)->setFillColour(designedFill);
        }
    }
    void dress() { dressDialog(&window); }
    AnimationBox *canvas() { return window.unit<AnimationBox>(QStringLiteral("背景动画框")); }
    GraphicButton *button(const QString &name) { return window.unit<GraphicButton>(name); }
    LayoutWindow window;
};

} // namespace

class TestWindowSkin : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void festivalWord_data();
    void festivalWord();
    void dialogFrame();
    void secondDressingKeepsOneSetOfDecorations();
    void skinWithoutIconShowsNoIcon();
    void transparencyOfTheContentRectangle();
    void festivalOverlayOnNavigationButtons_data();
    void festivalOverlayOnNavigationButtons();
    void buttonsAreComposedOverWhatLiesBehindThem();
    void missingPressedPictureReusesTheNormalOne();
    void undressedButtonKeepsItsPictures();
    void shapeBoxesByTag_data();
    void shapeBoxesByTag();
    void labelsEditBoxesAndMenus();
    void skinNameAndVersion();

private:
    SkinFixture *skin = nullptr;
};

void TestWindowSkin::init()
{
    skin = new SkinFixture;
    QVERIFY(skin->load());
    appearanceState() = {};
    appearanceState().backgroundPicture = solidPicture(SkinFixture::background, QSize(45, 25));
    Clock::setFixed(QDateTime(QDate(2026, 3, 31), QTime(12, 0)));
}

void TestWindowSkin::cleanup()
{
    Clock::useSystemTime();
    delete skin;
}

void TestWindowSkin::festivalWord_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("word");
    QTest::newRow("24 December") << QDate(2026, 12, 24) << QString();
    QTest::newRow("25 December") << QDate(2026, 12, 25) << QStringLiteral("圣诞");
    QTest::newRow("26 December") << QDate(2026, 12, 26) << QString();
    QTest::newRow("25 November") << QDate(2026, 11, 25) << QString();
}

void TestWindowSkin::festivalWord()
{
    QFETCH(QDate, date);
    Clock::setFixed(QDateTime(date, QTime(23, 59)));
    QFETCH(QString, word);
    QCOMPARE(WindowSkin::festivalWord(), word);
}

void TestWindowSkin::dialogFrame()
{
    Dialog d;
    d.window.resize(450, 250);
    d.dress();
    const QList<SpriteScene::Sprite> &sprites = skinOf(&d.window).scene().sprites();
    QCOMPARE(sprites.size(), 10);
    struct Expected
    {
        QString name;
        QRect rect;
        int transparency;
    };
    const QList<Expected> expected{
        {QStringLiteral("背景矩形860"), QRect(0, 50, 450, 176), 0},
        {QStringLiteral("横线860_1"), QRect(0, 0, 450, 1), 0},
        {QStringLiteral("横线860_1"), QRect(0, 249, 450, 1), 0},
        {QStringLiteral("纵线600_1"), QRect(0, 0, 1, 250), 0},
        {QStringLiteral("纵线600_1"), QRect(449, 0, 1, 250), 0},
        {QStringLiteral("横线860_1"), QRect(1, 1, 448, 1), 35},
        {QStringLiteral("横线860_1"), QRect(1, 248, 448, 1), 35},
        {QStringLiteral("纵线600_1"), QRect(1, 1, 1, 248), 35},
        {QStringLiteral("纵线600_1"), QRect(448, 1, 1, 248), 35},
        {QStringLiteral("图标"), QRect(5, 4, 20, 20), 0},
    };
    AnimationBox *canvas = d.canvas();
    QCOMPARE(canvas->geometry(), QRect(0, 0, 450, 250));
    for (int i = 0; i < 10; ++i) {
        const SpriteScene::Sprite &s = sprites[i];
        QCOMPARE(s.name, expected[i].name);
        QCOMPARE(QRect(canvas->objectPosition(s.id), canvas->displaySize(s.id)), expected[i].rect);
        QCOMPARE(canvas->objectTransparency(s.id), expected[i].transparency);
    }
    QCOMPARE(skinOf(&d.window).iconSprite(), sprites.last().id);
    // The drawn frame: black on the outermost pixels, white one pixel inside.
    const QImage drawn = canvas->snapshotImage(canvas->rect());
    for (const QPoint &p : {QPoint(0, 0), QPoint(449, 120), QPoint(200, 249), QPoint(0, 120)})
        QCOMPARE(drawn.pixelColor(p), QColor(Qt::black));
    for (const QPoint &p : {QPoint(1, 30), QPoint(448, 120), QPoint(200, 248), QPoint(200, 1)})
        QVERIFY2(drawn.pixelColor(p).lightness() > 150, qPrintable(drawn.pixelColor(p).name()));
    QCOMPARE(canvas->backgroundMode(), AnimationBox::BackgroundMode::Stretched);
    QCOMPARE(drawn.pixelColor(200, 30), SkinFixture::background);
    QCOMPARE(d.window.backgroundColour(), SkinFixture::windowColour);
}

void TestWindowSkin::secondDressingKeepsOneSetOfDecorations()
{
    Dialog d;
    d.window.resize(450, 250);
    d.dress();
    d.dress();
    QCOMPARE(skinOf(&d.window).scene().sprites().size(), 10);
    QCOMPARE(d.canvas()->objectCount(), 10);
    QCOMPARE(d.window.unit<AnimationBox>(QStringLiteral("按钮动画框"))->objectCount(), 1);
    QVERIFY(skinOf(&d.window).dressedMarker() > 0);
    skinOf(&d.window).reset();
    QCOMPARE(skinOf(&d.window).dressedMarker(), 0);
    QCOMPARE(d.canvas()->objectCount(), 0);
}

void TestWindowSkin::skinWithoutIconShowsNoIcon()
{
    skin->entries.remove(QStringLiteral("图标"));
    QVERIFY(skin->load());
    Dialog d;
    d.window.resize(450, 250);
    d.dress();
    QCOMPARE(skinOf(&d.window).scene().sprites().size(), 10);
    const QImage drawn = d.canvas()->snapshotImage(d.canvas()->rect());
    QCOMPARE(drawn.pixelColor(15, 14), SkinFixture::background);
}

void TestWindowSkin::transparencyOfTheContentRectangle()
{
    Dialog d;
    d.window.resize(450, 250);
    auto whiteness = [&](int transparency) {
        appearanceState().transparency = transparency;
        d.dress();
        return d.canvas()->snapshotImage(d.canvas()->rect()).pixelColor(400, 150).red();
    };
    const int nearlyOpaque = whiteness(10), seeThrough = whiteness(90);
    // White rectangle over a dark background: 10 percent lets little through, 90 percent most.
    QVERIFY2(nearlyOpaque > 220, qPrintable(QString::number(nearlyOpaque)));
    QVERIFY2(seeThrough < 40, qPrintable(QString::number(seeThrough)));
}

void TestWindowSkin::festivalOverlayOnNavigationButtons_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("overlay");
    QTest::newRow("navigation, 25 December") << QDate(2026, 12, 25) << QStringLiteral("导航按钮") << true;
    QTest::newRow("navigation, 24 December") << QDate(2026, 12, 24) << QStringLiteral("导航按钮") << false;
    QTest::newRow("navigation, 26 December") << QDate(2026, 12, 26) << QStringLiteral("导航按钮") << false;
    QTest::newRow("command, 25 December") << QDate(2026, 12, 25) << QStringLiteral("命令按钮") << false;
}

void TestWindowSkin::festivalOverlayOnNavigationButtons()
{
    QFETCH(QDate, date);
    QFETCH(QString, button);
    QFETCH(bool, overlay);
    Clock::setFixed(QDateTime(date, QTime(8, 0)));
    Dialog d;
    d.window.resize(450, 250);
    d.dress();
    GraphicButton *b = d.button(button);
    const QColor expected = overlay ? SkinFixture::festivalBlue : SkinFixture::background;
    for (const QImage &picture : {b->normalPicture(), b->hoverPicture(), b->pressedPicture()}) {
        QCOMPARE(picture.size(), QSize(20, 20));
        QCOMPARE(picture.pixelColor(0, 0), expected);
        QCOMPARE(picture.pixelColor(3, 3), expected);
        QCOMPARE(picture.pixelColor(5, 5), SkinFixture::background);
    }
}

void TestWindowSkin::buttonsAreComposedOverWhatLiesBehindThem()
{
    Dialog d;
    d.window.resize(450, 250);
    d.dress();
    GraphicButton *b = d.button(QStringLiteral("导航按钮"));
    QCOMPARE(b->normalPicture().pixelColor(15, 15), QColor(100, 0, 0));
    QCOMPARE(b->hoverPicture().pixelColor(15, 15), QColor(0, 100, 0));
    QCOMPARE(b->pressedPicture().pixelColor(15, 15), QColor(0, 0, 100));
    // Inside a shape box the button stands on the box's skin fill, its frame line at the box's edge.
    GraphicButton *dropDown = d.button(QStringLiteral("下拉按钮"));
    QCOMPARE(dropDown->normalPicture().pixelColor(5, 5), SkinFixture::shapeFill);
    QCOMPARE(dropDown->normalPicture().pixelColor(5, 0), SkinFixture::shapeFill);
    QCOMPARE(dropDown->normalPicture().pixelColor(5, 18), SkinFixture::shapeLine);
}

void TestWindowSkin::missingPressedPictureReusesTheNormalOne()
{
    Dialog d;
    d.window.resize(450, 250);
    d.dress();
    GraphicButton *b = d.button(QStringLiteral("命令按钮"));
    QVERIFY(!b->normalPicture().isNull());
    QCOMPARE(b->pressedPicture(), b->normalPicture());
    QCOMPARE(b->pressedPicture().pixelColor(15, 15), QColor(100, 0, 0));
}

void TestWindowSkin::undressedButtonKeepsItsPictures()
{
    Dialog d;
    d.window.resize(450, 250);
    QImage own(20, 20, QImage::Format_ARGB32);
    own.fill(Qt::cyan);
    d.button(QStringLiteral("留白按钮"))->setNormalPicture(own);
    d.dress();
    QCOMPARE(d.button(QStringLiteral("留白按钮"))->normalPicture(), own);
}

void TestWindowSkin::shapeBoxesByTag_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<QColor>("line");
    QTest::newRow("untagged") << QStringLiteral("外形框空") << SkinFixture::shapeFill << SkinFixture::shapeLine;
    QTest::newRow("N") << QStringLiteral("外形框N") << designedFill << designedLine;
    QTest::newRow("N1") << QStringLiteral("外形框N1") << SkinFixture::shapeFill << designedLine;
    QTest::newRow("N2") << QStringLiteral("外形框N2") << designedFill << SkinFixture::shapeLine;
}

void TestWindowSkin::shapeBoxesByTag()
{
    QFETCH(QString, box);
    Dialog d;
    d.window.resize(450, 250);
    d.dress();
    QFETCH(QColor, fill);
    QCOMPARE(d.window.unit<ShapeBox>(box)->fillColour(), fill);
    QFETCH(QColor, line);
    QCOMPARE(d.window.unit<ShapeBox>(box)->lineColour(), line);
}

void TestWindowSkin::labelsEditBoxesAndMenus()
{
    Dialog d;
    d.window.resize(450, 250);
    d.window.unit<Label>(QStringLiteral("留白标签"))->setBackgroundColour(designedFill);
    d.dress();
    QCOMPARE(d.window.unit<Label>(QStringLiteral("渐变标签"))->gradientColours(),
             (QList<QColor>{QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)}));
    QCOMPARE(d.window.unit<Label>(QStringLiteral("普通标签"))->backgroundColour(), SkinFixture::shapeFill);
    QCOMPARE(d.window.unit<Label>(QStringLiteral("留白标签"))->backgroundColour(), designedFill);
    QCOMPARE(d.window.unit<EditBox>(QStringLiteral("编辑框1"))->backgroundColour(), SkinFixture::shapeFill);
    // A menu colour the skin lacks is black.
    QCOMPARE(d.window.unit<StyledMenu>(QStringLiteral("菜单"))->backgroundColour(), QColor(Qt::black));
}

void TestWindowSkin::skinNameAndVersion()
{
    skin->entries[QStringLiteral("皮肤名称")] = toGbk(QStringLiteral("绿色清新"));
    skin->entries[QStringLiteral("皮肤版本")] = "1.0";
    QVERIFY(skin->load());
    WindowSkin windowSkin;
    QCOMPARE(windowSkin.skinName(), QStringLiteral("绿色清新"));
    QCOMPARE(windowSkin.skinVersion(), QStringLiteral("1.0"));
    QCOMPARE(windowSkin.getSkinEntry(QStringLiteral("背景图片数")), QByteArray("3"));
}

QTEST_MAIN(TestWindowSkin)
#include "tst_windowskin.moc"
