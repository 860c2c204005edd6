// The green skin as the build writes it, and the pictures built into the program: every entry the
// dressing asks for is there, and every picture decodes at the size its place needs.
#include "appearance/skinfile.h"
#include "common/program.h"
#include "resources/artwork.h"
#include "tools/artwork/encoding.h"
#include "tools/artwork/gifwriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>

namespace {

QImage skinPicture(const QString &name)
{
    return QImage::fromData(getSkinEntry(name));
}

// Pixels a person would see: not fully transparent.
int inkPixels(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            count += qAlpha(argb.pixel(x, y)) > 0;
    return count;
}

} // namespace

class TestSkinArtwork : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void buttonPictures_data();
    void buttonPictures();
    void colours_data();
    void colours();
    void framePictures_data();
    void framePictures();
    void backgroundSlots_data();
    void backgroundSlots();
    void skinNameAndVersion();
    void programPictures_data();
    void programPictures();
    void highlightAnimation();
    void encodingAvoidsSeparators_data();
    void encodingAvoidsSeparators();
    void gifRoundTrip_data();
    void gifRoundTrip();
};

void TestSkinArtwork::initTestCase()
{
    QVERIFY2(loadSkinFile(QStringLiteral(KELM_SKIN_FILE), applicationTitle), KELM_SKIN_FILE);
}

void TestSkinArtwork::buttonPictures_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QSize>("size");
    // every graphic-button tag of the windows, with the size of its buttons
    for (const char16_t *tag : {u"列表导航", u"添加导航", u"修改导航", u"删除导航", u"统计导航", u"备份导航", u"用户导航"})
        QTest::newRow(QString::fromUtf16(tag).toUtf8()) << QString::fromUtf16(tag) << QSize(68, 75);
    for (const char16_t *tag : {u"皮肤", u"标题菜单", u"帮助", u"最小化", u"关闭"})
        QTest::newRow(QString::fromUtf16(tag).toUtf8()) << QString::fromUtf16(tag) << QSize(30, 18);
    for (const char16_t *tag : {u"登录", u"注册", u"添加", u"删除", u"保存", u"返回", u"确定", u"取消", u"修改"})
        QTest::newRow(QString::fromUtf16(tag).toUtf8()) << QString::fromUtf16(tag) << QSize(68, 24);
    for (const char16_t *tag : {u"详细查看", u"合计查看", u"打印列表", u"备份数据", u"恢复数据", u"导出数据", u"导入数据", u"压缩数据"})
        QTest::newRow(QString::fromUtf16(tag).toUtf8()) << QString::fromUtf16(tag) << QSize(90, 24);
    for (const char16_t *tag : {u"月历", u"刷新"})
        QTest::newRow(QString::fromUtf16(tag).toUtf8()) << QString::fromUtf16(tag) << QSize(22, 22);
    for (const char16_t *tag : {u"下拉", u"星下拉", u"下拉透明"})
        QTest::newRow(QString::fromUtf16(tag).toUtf8()) << QString::fromUtf16(tag) << QSize(15, 15);
}

void TestSkinArtwork::buttonPictures()
{
    QFETCH(QString, tag);
    QFETCH(QSize, size);
    // The pictures are laid over the background at their natural size, unscaled: a picture of
    // another size would be cut or leave a strip of bare background.
    const QImage normal = skinPicture(tag + QStringLiteral("正常图片"));
    const QImage hover = skinPicture(tag + QStringLiteral("点燃图片"));
    QCOMPARE(normal.size(), size);
    QCOMPARE(hover.size(), size);
    QVERIFY2(inkPixels(normal) > size.width() * size.height() / 20, "the normal picture is nearly empty");
    QVERIFY2(normal != hover, "lighting the button changes nothing");
    // The pressed picture is optional; when there is one it fits too.
    if (!getSkinEntry(tag + QStringLiteral("按下图片")).isEmpty()) {
        const QImage pressed = skinPicture(tag + QStringLiteral("按下图片"));
        QCOMPARE(pressed.size(), size);
        QVERIFY(pressed != normal);
    }
}

void TestSkinArtwork::colours_data()
{
    QTest::addColumn<QString>("name");
    for (const char16_t *name : {u"窗口背景颜色", u"外形框线条颜色", u"外形框背景颜色", u"菜单背景颜色", u"菜单左边框颜色",
                                 u"菜单选择颜色", u"菜单分隔条颜色", u"渐变标签背景颜色1", u"渐变标签背景颜色2", u"渐变标签背景颜色3"})
        QTest::newRow(QString::fromUtf16(name).toUtf8()) << QString::fromUtf16(name);
}

void TestSkinArtwork::colours()
{
    QFETCH(QString, name);
    // A missing colour reads as 0 and paints black: every colour is there, as decimal digits.
    const QByteArray value = getSkinEntry(name);
    bool ok = false;
    const qint64 colour = value.toLongLong(&ok);
    QVERIFY2(ok, value.constData());
    QVERIFY(colour > 0 && colour <= 0xFFFFFF);
}

void TestSkinArtwork::framePictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size"); // an empty size: stretched by the dressing, any size serves
    QTest::newRow("content rectangle") << QStringLiteral("矩形") << QSize();
    QTest::newRow("icon") << QStringLiteral("图标") << QSize(20, 20);
    QTest::newRow("thumbnail frame") << QStringLiteral("缩略图背景框1") << QSize(220, 160);
    QTest::newRow("add picture") << QStringLiteral("添加背景图片") << QSize(200, 140);
}

void TestSkinArtwork::framePictures()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage picture = skinPicture(name);
    QVERIFY2(!picture.isNull(), qPrintable(name));
    if (size.isValid())
        QCOMPARE(picture.size(), size);
}

void TestSkinArtwork::backgroundSlots_data()
{
    // The gallery shows three slots of each kind. The skin fills two picture slots, every day of the
    // year, so that the third one takes the user's own picture; the plain colours fill all three.
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stated");
    const int pictures = getSkinEntry(QStringLiteral("背景图片数")).toInt();
    const int colours = getSkinEntry(QStringLiteral("纯色图片数")).toInt();
    QTest::newRow("pictures") << QStringLiteral("背景图片") << 2 << pictures;
    QTest::newRow("plain colours") << QStringLiteral("纯色图片") << 3 << colours;
    QTest::newRow("festival") << QStringLiteral("圣诞图片") << 2 << 2;
}

void TestSkinArtwork::backgroundSlots()
{
    QFETCH(QString, prefix);
    QFETCH(int, count);
    QFETCH(int, stated);
    QCOMPARE(stated, count);
    for (int n = 1; n <= count; ++n) {
        const QString name = prefix + QString::number(n);
        QCOMPARE(skinPicture(name).size(), QSize(860, 600));
        QCOMPARE(skinPicture(name + QStringLiteral("_缩略图")).size(), QSize(200, 140));
    }
    QVERIFY(getSkinEntry(prefix + QString::number(count + 1)).isEmpty());
    QVERIFY(getSkinEntry(prefix + QString::number(count + 1) + QStringLiteral("_缩略图")).isEmpty());
}

void TestSkinArtwork::skinNameAndVersion()
{
    QVERIFY(!getSkinEntry(QStringLiteral("皮肤名称")).isEmpty());
    QVERIFY(!getSkinEntry(QStringLiteral("皮肤版本")).isEmpty());
    // The borders are stretched to the window's edges: one pixel across.
    QCOMPARE(skinPicture(QStringLiteral("横线_黑")).height(), 1);
    QCOMPARE(skinPicture(QStringLiteral("横线_白")).height(), 1);
    QCOMPARE(skinPicture(QStringLiteral("纵线_黑")).width(), 1);
    QCOMPARE(skinPicture(QStringLiteral("纵线_白")).width(), 1);
    // The festival overlay sits in a navigation button's corner, inside the button.
    const QImage festival = skinPicture(QStringLiteral("圣诞图标"));
    QVERIFY(!festival.isNull());
    QVERIFY(festival.width() <= 68 && festival.height() <= 75);
}

void TestSkinArtwork::programPictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("splash") << splashPicturePath << QSize(400, 200);
    QTest::newRow("application icon") << applicationIconPath << QSize(256, 256);
    QTest::newRow("logo") << logoPicturePath << QSize(48, 48);
    QTest::newRow("operation guide") << guidePicturePath << QSize(796, 488);
    QTest::newRow("navigation highlight") << highlightPicturePath << QSize(38, 4);
}

void TestSkinArtwork::programPictures()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QImageReader reader(path);
    const QImage picture = reader.read();
    QVERIFY2(!picture.isNull(), qPrintable(path + u' ' + reader.errorString()));
    QCOMPARE(picture.size(), size);
}

void TestSkinArtwork::highlightAnimation()
{
    QImageReader reader(highlightPicturePath);
    QCOMPARE(reader.format(), QByteArray("gif"));
    QCOMPARE(reader.imageCount(), 9);
    QList<QImage> frames;
    int lastDelay = 0;
    for (QImage frame; reader.read(&frame);) {
        frames.append(frame.convertToFormat(QImage::Format_ARGB32));
        lastDelay = reader.nextImageDelay();
    }
    QCOMPARE(frames.size(), 9);
    QCOMPARE(lastDelay, 500); // the full bar is held for half a second
    // White is the transparent colour: no opaque white pixel, and the last frame is the whole bar.
    for (const QImage &frame : frames)
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                QVERIFY(qAlpha(frame.pixel(x, y)) == 0 || (frame.pixel(x, y) & 0xffffff) != 0xffffff);
    QCOMPARE(inkPixels(frames.last()), 38 * 4);
    QVERIFY(inkPixels(frames.first()) < inkPixels(frames.last()));
}

void TestSkinArtwork::encodingAvoidsSeparators_data()
{
    QTest::addColumn<QByteArray>("tail"); // the bytes of the second and third pixel, BMP order
    QTest::newRow("record separator") << skinRecordSeparator;
    QTest::newRow("field separator") << skinFieldSeparator;
}

void TestSkinArtwork::encodingAvoidsSeparators()
{
    QFETCH(QByteArray, tail);
    // A BMP keeps its pixels as blue, green, red bytes: two pixels that spell a separator.
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(10, 20, 30));
    image.setPixel(1, 0, qRgb(uchar(tail[2]), uchar(tail[1]), uchar(tail[0])));
    image.setPixel(2, 0, qRgb(0, 0, uchar(tail[3])));
    QByteArray plain;
    QBuffer buffer(&plain);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "BMP"));
    QVERIFY(plain.contains(tail));

    const QByteArray bytes = encodeFitting(image, "bmp");
    QVERIFY(fitsInSkinRecord(bytes));
    const QImage written = QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(written.size(), image.size());
    // changed by no more than the lowest bit of a channel
    for (int x = 0; x < 3; ++x) {
        const QRgb a = image.pixel(x, 0);
        const QRgb b = written.pixel(x, 0);
        QVERIFY(qAbs(qRed(a) - qRed(b)) <= 1 && qAbs(qGreen(a) - qGreen(b)) <= 1 && qAbs(qBlue(a) - qBlue(b)) <= 1);
    }
    // a picture without the sequence is written as the plain encoder writes it
    QImage calm(3, 1, QImage::Format_RGB32);
    calm.fill(qRgb(200, 220, 210));
    QByteArray calmBytes;
    QBuffer calmBuffer(&calmBytes);
    calmBuffer.open(QIODevice::WriteOnly);
    QVERIFY(calm.save(&calmBuffer, "BMP"));
    QCOMPARE(encodeFitting(calm, "bmp"), calmBytes);
}

void TestSkinArtwork::gifRoundTrip_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colours");
    QTest::addColumn<int>("frameCount");
    QTest::newRow("two colours") << QSize(5, 3) << 2 << 2;
    QTest::newRow("highlight sized") << QSize(38, 4) << 8 << 9;
    // noise fills the code table past 4095 entries, so the writer must start it afresh
    QTest::newRow("table restarts") << QSize(160, 120) << 256 << 2;
}

void TestSkinArtwork::gifRoundTrip()
{
    QFETCH(QSize, size);
    QFETCH(int, colours);
    QFETCH(int, frameCount);
    QRandomGenerator random(7);
    QList<QRgb> palette{qRgb(255, 255, 255)};
    while (palette.size() < colours)
        palette.append(qRgb(random.bounded(250), random.bounded(256), random.bounded(256)));
    QList<QImage> frames;
    QList<int> delays;
    for (int f = 0; f < frameCount; ++f) {
        QImage frame(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                frame.setPixel(x, y, palette[random.bounded(colours)]);
        frames.append(frame);
        delays.append(5 + f);
    }
    const QByteArray gif = encodeAnimatedGif(frames, delays, qRgb(255, 255, 255));
    QVERIFY(!gif.isEmpty());

    QByteArray bytes = gif;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "gif");
    for (int f = 0; f < frameCount; ++f) {
        QImage decoded;
        QVERIFY2(reader.read(&decoded), qPrintable(reader.errorString()));
        QCOMPARE(reader.nextImageDelay(), delays[f] * 10);
        decoded = decoded.convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(decoded.size(), size);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb want = frames[f].pixel(x, y) & 0xffffff;
                const QRgb got = decoded.pixel(x, y);
                if (want == 0xffffff)
                    QCOMPARE(qAlpha(got), 0);
                else
                    QCOMPARE(got, want | 0xff000000);
            }
        }
    }
    QImage extra;
    QVERIFY(!reader.read(&extra));
}

QTEST_MAIN(TestSkinArtwork)
#include "tst_skinartwork.moc"
