#include "testpaths.h"
#include "ui/animationbox.h"
#include "ui/units.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

QImage solid(const QColor &colour, const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QByteArray png(const QColor &colour, const QSize &size)
{
    return imageToBytes(solid(colour, size));
}

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(KELM_TEST_DATA_DIR "/ui/fixtures/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestAnimationBox : public QObject
{
    Q_OBJECT
private slots:
    void numbersAndNames();
    void findsTheNewestOfAName();
    void scalesInThousandths_data();
    void scalesInThousandths();
    void transparencyAndBrightness_data();
    void transparencyAndBrightness();
    void transparentColour();
    void sharedPictureKeepsEachObjectsLook();
    void animatedGifPlays();
    void hiddenObjectsNeitherDrawNorHit();
    void stackingOrder();
    void backgroundModes();
    void snapshotIsPictureBytes();
    void textObject();
    void pointerEventsCarryTheObject();
};

void TestAnimationBox::numbersAndNames()
{
    AnimationBox box;
    const int a = box.addObject(QStringLiteral("甲"), 1, 2);
    const int b = box.addObject(QStringLiteral("乙"), 3, 4, false);
    QVERIFY(a >= 1);
    QVERIFY(b > a);
    QCOMPARE(box.objectIds(), QList<int>({a, b}));
    QCOMPARE(box.nameOf(b), QStringLiteral("乙"));
    QCOMPARE(box.objectPosition(a), QPoint(1, 2));
    QVERIFY(!box.objectVisible(b));
    // A new object without a picture has no size, but exists.
    QCOMPARE(box.naturalSize(a), QSize(0, 0));
    QVERIFY(box.removeObject(a));
    QVERIFY(!box.removeObject(a));
    QCOMPARE(box.objectCount(), 1);
    // Numbers are never given twice.
    QVERIFY(box.addObject(QStringLiteral("丙"), 0, 0) > b);
    // Unknown numbers are ignored.
    box.setObjectPicture(999, png(Qt::red, QSize(2, 2)));
    box.moveObject(999, 5, 5);
    QCOMPARE(box.nameOf(999), QString());
}

void TestAnimationBox::findsTheNewestOfAName()
{
    AnimationBox box;
    const int first = box.addObject(QStringLiteral("横线"), 0, 0);
    const int second = box.addObject(QStringLiteral("横线"), 0, 1);
    box.addObject(QStringLiteral("图标"), 0, 2);
    QCOMPARE(box.findObject(QStringLiteral("横线")), second);
    // The stacking order does not make an object newer.
    box.raiseObject(first);
    QCOMPARE(box.findObject(QStringLiteral("横线")), second);
    box.removeObject(second);
    QCOMPARE(box.findObject(QStringLiteral("横线")), first);
    QCOMPARE(box.findObject(QStringLiteral("没有")), -1);
}

void TestAnimationBox::scalesInThousandths_data()
{
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("gallery thumbnail") << QSize(400, 280) << 500 << 500 << QSize(200, 140);
    QTest::newRow("one-pixel line across the window") << QSize(1, 1) << 860000 << 1000 << QSize(860, 1);
    QTest::newRow("icon") << QSize(48, 48) << 417 << 417 << QSize(20, 20);
    QTest::newRow("unscaled") << QSize(30, 18) << 1000 << 1000 << QSize(30, 18);
    QTest::newRow("scaled to nothing") << QSize(30, 18) << 0 << 1000 << QSize(0, 18);
}

void TestAnimationBox::scalesInThousandths()
{
    QFETCH(QSize, natural);
    QFETCH(int, horizontal);
    QFETCH(int, vertical);
    QFETCH(QSize, shown);
    AnimationBox box;
    box.resize(900, 600);
    const int id = box.addObject(QStringLiteral("图"), 10, 10);
    box.setObjectPicture(id, png(Qt::red, natural));
    QCOMPARE(box.naturalSize(id), natural);
    box.setObjectScale(id, horizontal, vertical);
    QCOMPARE(box.displaySize(id), shown);
    QCOMPARE(box.naturalSize(id), natural);
    const QImage canvas = box.snapshotImage(box.rect());
    if (!shown.isEmpty()) {
        QCOMPARE(canvas.pixelColor(10 + shown.width() - 1, 10 + shown.height() - 1), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(10 + shown.width(), 10).alpha(), 0);
        QCOMPARE(canvas.pixelColor(10, 10 + shown.height()).alpha(), 0);
    } else {
        QCOMPARE(canvas.pixelColor(10, 10).alpha(), 0);
    }
}

void TestAnimationBox::transparencyAndBrightness_data()
{
    QTest::addColumn<QColor>("picture");
    QTest::addColumn<int>("transparency");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QColor>("seen"); // over a black canvas
    QTest::newRow("as loaded") << QColor(100, 50, 200) << 0 << 0 << QColor(100, 50, 200);
    QTest::newRow("20 percent brighter") << QColor(100, 50, 200) << 0 << 20 << QColor(120, 60, 240);
    QTest::newRow("brightness stops at 255") << QColor(250, 50, 220) << 0 << 20 << QColor(255, 60, 255);
    QTest::newRow("half transparent") << QColor(200, 100, 0) << 50 << 0 << QColor(100, 50, 0);
    QTest::newRow("invisible") << QColor(200, 100, 0) << 100 << 0 << QColor(0, 0, 0);
    QTest::newRow("opaque beyond the range") << QColor(200, 100, 0) << -5 << 0 << QColor(200, 100, 0);
}

void TestAnimationBox::transparencyAndBrightness()
{
    QFETCH(QColor, picture);
    QFETCH(int, transparency);
    QFETCH(int, brightness);
    QFETCH(QColor, seen);
    AnimationBox box;
    box.resize(20, 20);
    box.setBackgroundColour(Qt::black);
    const int id = box.addObject(QStringLiteral("块"), 0, 0);
    box.setObjectPicture(id, png(picture, QSize(10, 10)));
    box.setObjectTransparency(id, transparency);
    box.setObjectBrightness(id, brightness);
    QCOMPARE(box.objectBrightness(id), brightness);
    const QColor pixel = box.snapshotImage(QRect(0, 0, 10, 10)).pixelColor(5, 5);
    QVERIFY2(qAbs(pixel.red() - seen.red()) <= 1 && qAbs(pixel.green() - seen.green()) <= 1 && qAbs(pixel.blue() - seen.blue()) <= 1,
             qPrintable(pixel.name()));
    // Back to normal brightness gives the picture as loaded.
    box.setObjectBrightness(id, 0);
    box.setObjectTransparency(id, 0);
    QCOMPARE(box.snapshotImage(QRect(0, 0, 10, 10)).pixelColor(5, 5), picture);
}

void TestAnimationBox::transparentColour()
{
    AnimationBox box;
    box.resize(10, 10);
    box.setBackgroundColour(Qt::green);
    QImage picture = solid(Qt::white, QSize(4, 4));
    picture.setPixelColor(1, 1, Qt::red);
    const int id = box.addObject(QStringLiteral("选中动画"), 0, 0);
    box.setObjectPicture(id, imageToBytes(picture));
    QCOMPARE(box.snapshotImage(box.rect()).pixelColor(0, 0), QColor(Qt::white));
    box.setObjectTransparentColour(id, Qt::white);
    const QImage shot = box.snapshotImage(box.rect());
    QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::green));
    QCOMPARE(shot.pixelColor(1, 1), QColor(Qt::red));
}

// Scaled pictures are kept across boxes: one picture shown at one size by several boxes must still
// show each box's own brightness, keying and size.
void TestAnimationBox::sharedPictureKeepsEachObjectsLook()
{
    QImage picture = solid(QColor(100, 50, 200), QSize(4, 4));
    picture.setPixelColor(0, 0, Qt::white);
    struct Look
    {
        int brightness;
        QColor key;
        int scale;
        QColor centre, corner;
    };
    const Look looks[] = {
        {0, QColor(), 2000, QColor(100, 50, 200), QColor(Qt::white)},
        {20, QColor(), 2000, QColor(120, 60, 240), QColor(Qt::white)},
        {0, QColor(Qt::white), 2000, QColor(100, 50, 200), QColor(Qt::black)},
        {0, QColor(), 1000, QColor(Qt::black), QColor(Qt::white)},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Look &look : looks) {
            AnimationBox box;
            box.resize(8, 8);
            box.setBackgroundColour(Qt::black);
            const int id = box.addObject(QStringLiteral("块"), 0, 0);
            box.setObjectImage(id, picture);
            box.setObjectScale(id, look.scale, look.scale);
            box.setObjectBrightness(id, look.brightness);
            if (look.key.isValid())
                box.setObjectTransparentColour(id, look.key);
            const QImage shot = box.snapshotImage(box.rect());
            QCOMPARE(shot.pixelColor(5, 5), look.centre);
            QCOMPARE(shot.pixelColor(0, 0), look.corner);
        }
    }
}

void TestAnimationBox::animatedGifPlays()
{
    const QByteArray gif = fixture(QStringLiteral("two-frames.gif"));
    QVERIFY(!gif.isEmpty());
    AnimationBox box;
    box.resize(10, 10);
    box.setBackgroundColour(Qt::green);
    const int id = box.addObject(QStringLiteral("选中动画"), 0, 0);
    box.setObjectPicture(id, gif);
    QCOMPARE(box.frameCount(id), 2);
    QCOMPARE(box.naturalSize(id), QSize(4, 2));
    QCOMPARE(box.objectFrameDelay(id, 0), 50);
    QCOMPARE(box.objectFrameDelay(id, -1), 70);
    box.setObjectFrameDelay(id, -1, 1500);
    QCOMPARE(box.objectFrameDelay(id, 1), 1500);
    box.setObjectTransparentColour(id, Qt::white);
    QCOMPARE(box.currentFrame(id), 0);
    QCOMPARE(box.snapshotImage(box.rect()).pixelColor(2, 1), QColor(Qt::red));
    QTRY_COMPARE_WITH_TIMEOUT(box.currentFrame(id), 1, 1000);
    const QImage second = box.snapshotImage(box.rect());
    QCOMPARE(second.pixelColor(2, 1), QColor(Qt::blue));
    // The transparent colour holds in every frame.
    QCOMPARE(second.pixelColor(0, 0), QColor(Qt::green));
    // The last frame is held for its long delay, then the animation starts again.
    QTest::qWait(200);
    QCOMPARE(box.currentFrame(id), 1);
    QTRY_COMPARE_WITH_TIMEOUT(box.currentFrame(id), 0, 5000);
}

void TestAnimationBox::hiddenObjectsNeitherDrawNorHit()
{
    AnimationBox box;
    box.resize(20, 20);
    const int under = box.addObject(QStringLiteral("下"), 0, 0);
    box.setObjectPicture(under, png(Qt::red, QSize(10, 10)));
    const int over = box.addObject(QStringLiteral("上"), 0, 0);
    box.setObjectPicture(over, png(Qt::blue, QSize(10, 10)));
    QCOMPARE(box.objectAt(QPoint(5, 5)), over);
    box.setObjectVisible(over, false);
    QCOMPARE(box.objectAt(QPoint(5, 5)), under);
    QCOMPARE(box.snapshotImage(box.rect()).pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(box.objectAt(QPoint(15, 15)), 0);
}

void TestAnimationBox::stackingOrder()
{
    AnimationBox box;
    box.resize(10, 10);
    const int a = box.addObject(QStringLiteral("a"), 0, 0);
    box.setObjectPicture(a, png(Qt::red, QSize(10, 10)));
    const int b = box.addObject(QStringLiteral("b"), 0, 0);
    box.setObjectPicture(b, png(Qt::blue, QSize(10, 10)));
    QCOMPARE(box.snapshotImage(box.rect()).pixelColor(5, 5), QColor(Qt::blue));
    box.raiseObject(a);
    QCOMPARE(box.objectIds(), QList<int>({b, a}));
    QCOMPARE(box.snapshotImage(box.rect()).pixelColor(5, 5), QColor(Qt::red));
    box.lowerObject(a);
    QCOMPARE(box.snapshotImage(box.rect()).pixelColor(5, 5), QColor(Qt::blue));
}

void TestAnimationBox::backgroundModes()
{
    AnimationBox box;
    box.resize(40, 20);
    QImage picture = solid(Qt::red, QSize(4, 2));
    picture.setPixelColor(3, 1, Qt::blue);
    box.setBackgroundPicture(imageToBytes(picture));
    QCOMPARE(box.backgroundImage().size(), QSize(4, 2));
    QImage normal = box.snapshotImage(box.rect());
    QCOMPARE(normal.pixelColor(3, 1), QColor(Qt::blue));
    QCOMPARE(normal.pixelColor(20, 10).alpha(), 0); // nothing beyond the picture
    box.setBackgroundMode(AnimationBox::BackgroundMode::Stretched);
    const QImage stretched = box.snapshotImage(box.rect());
    QCOMPARE(stretched.pixelColor(1, 1), QColor(Qt::red));
    QCOMPARE(stretched.pixelColor(38, 18), QColor(Qt::blue));
    // The picture bytes are kept as given, so another canvas can take them over.
    QCOMPARE(box.backgroundPicture(), imageToBytes(picture));
    box.setBackgroundPicture({});
    QVERIFY(box.backgroundImage().isNull());
}

void TestAnimationBox::snapshotIsPictureBytes()
{
    AnimationBox box;
    box.resize(100, 60);
    box.setBackgroundColour(QColor(10, 20, 30));
    const int id = box.addObject(QStringLiteral("块"), 20, 10);
    box.setObjectPicture(id, png(Qt::red, QSize(10, 10)));
    box.hide(); // canvases used off-screen still give their pictures
    const QByteArray bytes = box.snapshot(QRect(15, 5, 20, 20));
    const QImage shot = imageFromBytes(bytes);
    QCOMPARE(shot.size(), QSize(20, 20));
    QCOMPARE(shot.pixelColor(0, 0), QColor(10, 20, 30));
    QCOMPARE(shot.pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(15, 15), QColor(10, 20, 30));
    // A rectangle reaching beyond the canvas leaves that part empty.
    const QImage edge = box.snapshotImage(QRect(90, 50, 20, 20));
    QCOMPARE(edge.pixelColor(5, 5), QColor(10, 20, 30));
    QCOMPARE(edge.pixelColor(15, 15).alpha(), 0);
    QVERIFY(box.snapshot(QRect()).isEmpty());
}

void TestAnimationBox::textObject()
{
    AnimationBox box;
    box.resize(200, 50);
    const int id = box.addObject(QStringLiteral("字"), 0, 0);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    box.setObjectText(id, QStringLiteral("理财"), font, Qt::black);
    QVERIFY(box.naturalSize(id).width() >= 16);
    QVERIFY(box.naturalSize(id).height() >= 16);
    box.setObjectText(id, QString(), font, Qt::black);
    QCOMPARE(box.naturalSize(id), QSize(0, 0));
}

void TestAnimationBox::pointerEventsCarryTheObject()
{
    AnimationBox box;
    box.resize(100, 100);
    const int id = box.addObject(QStringLiteral("背景图片1"), 10, 10);
    box.setObjectPicture(id, png(Qt::red, QSize(30, 30)));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy entered(&box, &AnimationBox::objectEntered);
    QSignalSpy left(&box, &AnimationBox::objectLeft);
    QSignalSpy pressed(&box, &AnimationBox::objectPressed);
    QSignalSpy released(&box, &AnimationBox::objectReleased);

    QTest::mouseMove(&box, QPoint(80, 80));
    QTest::mouseMove(&box, QPoint(20, 20));
    QTRY_COMPARE(entered.size(), 1);
    QCOMPARE(entered.at(0).at(0).toInt(), id);
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(pressed.at(0).at(0).toInt(), id);
    QCOMPARE(pressed.at(0).at(1).value<Qt::MouseButton>(), Qt::LeftButton);
    QCOMPARE(released.at(0).at(0).toInt(), id);
    QTest::mouseMove(&box, QPoint(80, 80));
    QTRY_COMPARE(left.size(), 1);
    QCOMPARE(left.at(0).at(0).toInt(), id);
    // A press on the bare canvas reports no object.
    QTest::mousePress(&box, Qt::RightButton, {}, QPoint(80, 80));
    QCOMPARE(pressed.size(), 2);
    QCOMPARE(pressed.at(1).at(0).toInt(), 0);
    QCOMPARE(pressed.at(1).at(1).value<Qt::MouseButton>(), Qt::RightButton);
}

QTEST_MAIN(TestAnimationBox)
#include "tst_animationbox.moc"
