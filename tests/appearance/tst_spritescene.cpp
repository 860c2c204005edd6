#include "appearance/spritescene.h"
#include "ui/units.h"

#include <QTest>

namespace {

QByteArray png(const QColor &colour, const QSize &size = QSize(10, 10))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return imageToBytes(image);
}

const QColor normalColour(255, 0, 0), hoverColour(0, 255, 0), pressedColour(0, 0, 255);

} // namespace

class TestSpriteScene : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void pictureSpriteScalesInThousandths_data();
    void pictureSpriteScalesInThousandths();
    void emptyPictureIsKept();
    void statePictures_data();
    void statePictures();
    void clickShowsTheAskedPictureThenCallsTheRoutine_data();
    void clickShowsTheAskedPictureThenCallsTheRoutine();
    void routineMayClearTheScene();
    void unknownIdsDoNothing();
    void setStatePicturesShowsTheNewNormal();
    void findByNameSearchesTheCanvasFromTheNewest();
    void clearSpritesEmptiesTheCanvas();
    void scaleSpriteToTakesTheFirstOfTheName();
    void pictureFromAnotherCanvas();
    void textSprite();
    void moveAndVisibility();
    void canvasBackground();
    void copyKeepsTheRecords();
    void reboundSceneDrawsOnTheNewCanvas();

private:
    QColor shown(int id) const;
    std::unique_ptr<AnimationBox> canvas;
    SpriteScene scene;
};

void TestSpriteScene::init()
{
    canvas = std::make_unique<AnimationBox>();
    canvas->resize(860, 600);
    scene = SpriteScene();
    scene.bindCanvas(canvas.get());
}

QColor TestSpriteScene::shown(int id) const
{
    const QImage picture = canvas->objectImage(id);
    return picture.isNull() ? QColor() : picture.pixelColor(0, 0);
}

void TestSpriteScene::pictureSpriteScalesInThousandths_data()
{
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("shownSize");
    QTest::newRow("gallery thumbnail") << QSize(400, 280) << QSize(200, 140) << QSize(200, 140);
    QTest::newRow("content rectangle") << QSize(10, 10) << QSize(856, 460) << QSize(856, 460);
    QTest::newRow("border line") << QSize(1, 1) << QSize(860, 1) << QSize(860, 1);
    QTest::newRow("icon") << QSize(48, 48) << QSize(20, 20) << QSize(20, 20);
    QTest::newRow("odd factor") << QSize(3, 3) << QSize(7, 7) << QSize(7, 7);
    QTest::newRow("width 0 keeps the natural size") << QSize(30, 20) << QSize(0, 99) << QSize(30, 20);
}

void TestSpriteScene::pictureSpriteScalesInThousandths()
{
    QFETCH(QSize, natural);
    QFETCH(QSize, requested);
    QFETCH(QSize, shownSize);
    const int id = scene.addPictureSprite(QStringLiteral("背景图片1"), 80, 50, requested.width(), requested.height(), true,
                                          png(Qt::red, natural), 35);
    QVERIFY(id > 0);
    QCOMPARE(canvas->displaySize(id), shownSize);
    QCOMPARE(canvas->objectTransparency(id), 35);
    QCOMPARE(canvas->objectPosition(id), QPoint(80, 50));
    QCOMPARE(scene.sprites().size(), 1);
    const SpriteScene::Sprite &record = scene.sprites().first();
    QCOMPARE(record.id, id);
    QCOMPARE(QSize(record.naturalWidth, record.naturalHeight), natural);
    QCOMPARE(QSize(record.width, record.height), requested);
    QCOMPARE(record.name, QStringLiteral("背景图片1"));
    QVERIFY(record.hoverPicture.isEmpty());
}

void TestSpriteScene::emptyPictureIsKept()
{
    const int id = scene.addPictureSprite(QStringLiteral("图标"), 5, 4, 20, 20, true, QByteArray());
    QVERIFY(id > 0);
    QVERIFY(canvas->hasObject(id));
    QCOMPARE(canvas->displaySize(id), QSize(0, 0));
    QCOMPARE(scene.sprites().size(), 1);
    QCOMPARE(scene.sprites().first().naturalWidth, 0);
}

void TestSpriteScene::statePictures_data()
{
    QTest::addColumn<bool>("withHover");
    QTest::addColumn<bool>("withPressed");
    QTest::addColumn<QColor>("afterHover");
    QTest::addColumn<QColor>("afterPressed");
    QTest::addColumn<QColor>("afterNormal");
    QTest::newRow("three pictures") << true << true << hoverColour << pressedColour << normalColour;
    // Without a pressed picture a press leaves the shown picture as it was.
    QTest::newRow("no pressed picture") << true << false << hoverColour << hoverColour << normalColour;
    // Without a hover picture the sprite never changes for hover or normal.
    QTest::newRow("normal and pressed only") << false << true << normalColour << pressedColour << pressedColour;
}

void TestSpriteScene::statePictures()
{
    QFETCH(bool, withHover);
    QFETCH(bool, withPressed);
    QFETCH(QColor, afterHover);
    QFETCH(QColor, afterPressed);
    QFETCH(QColor, afterNormal);
    const int id = scene.addButtonSprite(QStringLiteral("按钮"), 0, 0, 0, 0, true, png(normalColour),
                                         withHover ? png(hoverColour) : QByteArray(),
                                         withPressed ? png(pressedColour) : QByteArray());
    QCOMPARE(shown(id), normalColour);
    scene.showHover(id);
    QCOMPARE(shown(id), afterHover);
    scene.showPressed(id);
    QCOMPARE(shown(id), afterPressed);
    scene.showNormal(id);
    QCOMPARE(shown(id), afterNormal);
}

void TestSpriteScene::clickShowsTheAskedPictureThenCallsTheRoutine_data()
{
    QTest::addColumn<bool>("withHover");
    QTest::addColumn<bool>("stayNormal");
    QTest::addColumn<QColor>("afterClick");
    QTest::addColumn<int>("calls");
    QTest::newRow("stays normal") << true << true << normalColour << 1;
    QTest::newRow("stays lit") << true << false << hoverColour << 1;
    QTest::newRow("a picture sprite ignores clicks") << false << false << pressedColour << 0;
}

void TestSpriteScene::clickShowsTheAskedPictureThenCallsTheRoutine()
{
    QFETCH(bool, withHover);
    QFETCH(bool, stayNormal);
    QFETCH(QColor, afterClick);
    QFETCH(int, calls);
    int called = 0;
    QColor seenByRoutine;
    int id = 0;
    id = scene.addButtonSprite(
        QStringLiteral("按钮"), 0, 0, 0, 0, true, png(normalColour), withHover ? png(hoverColour) : QByteArray(),
        png(pressedColour),
        [&] {
            ++called;
            seenByRoutine = shown(id);
        },
        stayNormal);
    scene.showPressed(id);
    scene.onClick(id);
    QCOMPARE(called, calls);
    QCOMPARE(shown(id), afterClick);
    if (calls)
        QCOMPARE(seenByRoutine, afterClick); // the picture changes before the routine runs
}

void TestSpriteScene::routineMayClearTheScene()
{
    int id = scene.addButtonSprite(QStringLiteral("按钮"), 0, 0, 0, 0, true, png(normalColour), png(hoverColour), {},
                                   [this] { scene.clearSprites(); });
    scene.onClick(id);
    QCOMPARE(scene.sprites().size(), 0);
    QCOMPARE(canvas->objectCount(), 0);
}

void TestSpriteScene::unknownIdsDoNothing()
{
    const int id = scene.addButtonSprite(QStringLiteral("按钮"), 0, 0, 0, 0, true, png(normalColour), png(hoverColour), png(pressedColour));
    const int stranger = canvas->addObject(QStringLiteral("选中动画"), 0, 0);
    canvas->setObjectPicture(stranger, png(Qt::white));
    for (int other : {stranger, 999, 0, -1}) {
        scene.showHover(other);
        scene.showPressed(other);
        scene.onClick(other);
        scene.setStatePictures(other, png(Qt::black), {}, {});
    }
    QCOMPARE(shown(id), normalColour);
    QCOMPARE(shown(stranger), QColor(Qt::white));
    QCOMPARE(scene.sprites().size(), 1);
}

void TestSpriteScene::setStatePicturesShowsTheNewNormal()
{
    const int id = scene.addButtonSprite(QStringLiteral("按钮"), 0, 0, 0, 0, true, png(Qt::black), {}, {});
    scene.setStatePictures(id, png(normalColour), png(hoverColour), png(pressedColour));
    QCOMPARE(shown(id), normalColour);
    scene.showHover(id);
    QCOMPARE(shown(id), hoverColour);
    QCOMPARE(scene.sprites().first().pressedPicture, png(pressedColour));
}

void TestSpriteScene::findByNameSearchesTheCanvasFromTheNewest()
{
    scene.addPictureSprite(QStringLiteral("横线860_1"), 0, 0, 860, 1, true, png(Qt::black));
    const int newest = scene.addPictureSprite(QStringLiteral("横线860_1"), 0, 599, 860, 1, true, png(Qt::black));
    QCOMPARE(scene.findByName(QStringLiteral("横线860_1")), newest);
    // Objects that are no record of this scene are found too: the search is over the canvas.
    const int highlight = canvas->addObject(QStringLiteral("选中动画"), 200, 110, false);
    QCOMPARE(scene.findByName(QStringLiteral("选中动画")), highlight);
    QCOMPARE(scene.findByName(QStringLiteral("背景矩形860")), -1);
    SpriteScene unbound;
    QCOMPARE(unbound.findByName(QStringLiteral("横线860_1")), -1);
}

void TestSpriteScene::clearSpritesEmptiesTheCanvas()
{
    scene.addPictureSprite(QStringLiteral("背景矩形860"), 2, 116, 856, 460, true, png(Qt::white), 40);
    scene.addButtonSprite(QStringLiteral("理财标识"), 20, 28, 48, 48, true, png(Qt::green), {}, {});
    canvas->addObject(QStringLiteral("选中动画"), 200, 110, false);
    scene.clearSprites();
    QCOMPARE(canvas->objectCount(), 0);
    QVERIFY(scene.sprites().isEmpty());
    QCOMPARE(scene.findByName(QStringLiteral("背景矩形860")), -1);
    QCOMPARE(scene.findByName(QStringLiteral("理财标识")), -1);
    // The scene carries on after a clear.
    QVERIFY(scene.addPictureSprite(QStringLiteral("图标"), 5, 4, 20, 20, true, png(Qt::red)) > 0);
    QCOMPARE(scene.sprites().size(), 1);
}

void TestSpriteScene::scaleSpriteToTakesTheFirstOfTheName()
{
    const int first = scene.addPictureSprite(QStringLiteral("背景矩形860"), 0, 0, 100, 100, true, png(Qt::white, QSize(50, 50)));
    const int second = scene.addPictureSprite(QStringLiteral("背景矩形860"), 0, 0, 100, 100, true, png(Qt::white, QSize(50, 50)));
    scene.scaleSpriteTo(QStringLiteral("背景矩形860"), 800, 486);
    QCOMPARE(canvas->displaySize(first), QSize(800, 486));
    QCOMPARE(canvas->displaySize(second), QSize(100, 100));
    QCOMPARE(scene.sprites().first().width, 800);
    scene.scaleSpriteTo(QStringLiteral("没有"), 1, 1);
}

void TestSpriteScene::pictureFromAnotherCanvas()
{
    AnimationBox source;
    source.resize(300, 200);
    source.setBackgroundColour(QColor(1, 2, 3));
    const int block = source.addObject(QStringLiteral("块"), 100, 100);
    source.setObjectPicture(block, png(Qt::red, QSize(50, 50)));
    const int id = scene.addPictureSprite(QStringLiteral("背景图片1"), 80, 50, 0, 0, true, png(Qt::white));
    scene.setPictureFromCanvas(&source, 90, 90, 40, 40, id);
    const QImage copied = canvas->objectImage(id);
    QCOMPARE(copied.size(), QSize(40, 40));
    QCOMPARE(copied.pixelColor(0, 0), QColor(1, 2, 3));
    QCOMPARE(copied.pixelColor(20, 20), QColor(Qt::red));
    // The record keeps the picture it was created with.
    QCOMPARE(scene.sprites().first().normalPicture, png(Qt::white));
}

void TestSpriteScene::textSprite()
{
    const int id = canvas->addObject(QStringLiteral("文字"), 0, 0);
    scene.addTextSprite(id, 30, 40, QStringLiteral("版本号：3.21"), 12, Qt::black);
    QCOMPARE(canvas->objectPosition(id), QPoint(30, 40));
    QVERIFY(canvas->naturalSize(id).width() > 40);
}

void TestSpriteScene::moveAndVisibility()
{
    const int id = scene.addPictureSprite(QStringLiteral("图标"), 5, 4, 20, 20, false, png(Qt::red));
    QVERIFY(!canvas->objectVisible(id));
    QVERIFY(!scene.sprites().first().visible);
    scene.setVisible(id, true);
    QVERIFY(canvas->objectVisible(id));
    scene.moveSprite(id, 32, 110);
    QCOMPARE(canvas->objectPosition(id), QPoint(32, 110));
    QCOMPARE(scene.sprites().first().x, 32);
    scene.setTransparency(id, 10);
    QCOMPARE(canvas->objectTransparency(id), 10);
    scene.setPicture(id, png(Qt::blue));
    QCOMPARE(shown(id), QColor(Qt::blue));
    QCOMPARE(scene.sprites().first().normalPicture, png(Qt::red));
}

void TestSpriteScene::canvasBackground()
{
    scene.setCanvasBackground(png(Qt::green, QSize(4, 4)), AnimationBox::BackgroundMode::Stretched);
    QCOMPARE(canvas->backgroundMode(), AnimationBox::BackgroundMode::Stretched);
    QCOMPARE(canvas->snapshotImage(QRect(850, 590, 1, 1)).pixelColor(0, 0), QColor(Qt::green));
}

void TestSpriteScene::copyKeepsTheRecords()
{
    scene.addButtonSprite(QStringLiteral("按钮"), 1, 2, 0, 0, true, png(normalColour), png(hoverColour), png(pressedColour));
    const SpriteScene copy = scene;
    scene.clearSprites();
    QCOMPARE(copy.sprites().size(), 1);
    QCOMPARE(copy.sprites().first().hoverPicture, png(hoverColour));
    QCOMPARE(copy.canvas(), canvas.get());
}

void TestSpriteScene::reboundSceneDrawsOnTheNewCanvas()
{
    AnimationBox other;
    scene.bindCanvas(&other);
    const int id = scene.addPictureSprite(QStringLiteral("理财标识"), 20, 28, 48, 48, true, png(Qt::red));
    QVERIFY(other.hasObject(id));
    QCOMPARE(canvas->objectCount(), 0);
    scene.clearSprites();
    QCOMPARE(other.objectCount(), 0);
    // A canvas that goes away leaves the scene harmless.
    auto *gone = new AnimationBox;
    scene.bindCanvas(gone);
    delete gone;
    QCOMPARE(scene.addPictureSprite(QStringLiteral("x"), 0, 0, 0, 0, true, png(Qt::red)), 0);
    scene.clearSprites();
}

QTEST_MAIN(TestSpriteScene)
#include "tst_spritescene.moc"
