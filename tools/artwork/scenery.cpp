// Window frame pieces, the background pictures and the pieces of the picture gallery.
#include "artwork.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>

namespace {

const QSize backgroundSize(860, 600);

QImage opaqueImage(QSize size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A band of hills: the area under a smooth curve of a few sines.
QPainterPath hills(qreal base, qreal height, qreal phase, qreal waves, qreal width, qreal bottom)
{
    QPainterPath path;
    path.moveTo(0, bottom);
    for (int x = 0; x <= width; x += 4) {
        const qreal t = x / width;
        const qreal y = base - height * (0.6 * qSin(t * waves * M_PI + phase) + 0.4 * qSin(t * waves * 2.3 * M_PI + phase * 1.7));
        path.lineTo(x, y);
    }
    path.lineTo(width, bottom);
    path.closeSubpath();
    return path;
}

void softGlow(QPainter &p, QPointF centre, qreal radius, const QColor &colour)
{
    QRadialGradient glow(centre, radius);
    glow.setColorAt(0, colour);
    QColor edge = colour;
    edge.setAlpha(0);
    glow.setColorAt(1, edge);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, radius, radius);
}

// A leaf of length len pointing along angle degrees from its stem at the origin.
void leaf(QPainter &p, QPointF stem, qreal len, qreal angle, const QColor &colour)
{
    p.save();
    p.translate(stem);
    p.rotate(angle);
    QPainterPath shape;
    shape.moveTo(0, 0);
    shape.cubicTo(len * 0.3, -len * 0.18, len * 0.75, -len * 0.14, len, 0);
    shape.cubicTo(len * 0.75, len * 0.14, len * 0.3, len * 0.18, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(shape);
    p.setPen(QPen(colour.lighter(118), len / 60));
    p.drawLine(QPointF(len * 0.05, 0), QPointF(len * 0.9, 0));
    p.restore();
}

void snowflakes(QPainter &p, QRandomGenerator &random, int count, const QRectF &area, qreal maxRadius, int alpha)
{
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF at(area.left() + random.bounded(area.width()), area.top() + random.bounded(area.height()));
        const qreal r = 0.8 + random.bounded(maxRadius);
        p.setBrush(QColor(255, 255, 255, alpha - int(random.bounded(alpha / 2))));
        p.drawEllipse(at, r, r);
    }
}

void pine(QPainter &p, QPointF foot, qreal height, const QColor &colour)
{
    const qreal w = height * 0.42;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6b, 0x4a, 0x32));
    p.drawRect(QRectF(foot.x() - w * 0.06, foot.y() - height * 0.12, w * 0.12, height * 0.12));
    for (int tier = 0; tier < 3; ++tier) {
        const qreal top = foot.y() - height + tier * height * 0.22;
        const qreal bottom = foot.y() - height * 0.1 - (2 - tier) * height * 0.18;
        const qreal half = w * (0.28 + tier * 0.11);
        QPainterPath t;
        t.moveTo(foot.x(), top);
        t.lineTo(foot.x() + half, bottom);
        t.quadTo(foot.x(), bottom - height * 0.05, foot.x() - half, bottom);
        t.closeSubpath();
        p.setBrush(colour.lighter(100 + tier * 8));
        p.drawPath(t);
    }
}

} // namespace

QImage contentRectangle()
{
    // Stretched over the content area; a gentle vertical gradient of pale paper.
    QImage image = opaqueImage(QSize(856, 460), palette::paper);
    QPainter p(&image);
    QLinearGradient fill(0, 0, 0, 460);
    fill.setColorAt(0, QColor(0xf9, 0xfc, 0xf9));
    fill.setColorAt(1, QColor(0xf0, 0xf6, 0xf1));
    p.fillRect(image.rect(), fill);
    return image;
}

QImage borderLine(bool horizontal, const QColor &colour)
{
    return opaqueImage(horizontal ? QSize(8, 1) : QSize(1, 8), colour);
}

QImage windowIcon(int size)
{
    QImage image = clearImage(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    paintWindowIcon(p);
    return image;
}

void paintWindowIcon(QPainter &p)
{
    // A ledger leaf: a green rounded square, a white leaf and a small gold coin.
    QLinearGradient fill(0, 0, 0, 64);
    fill.setColorAt(0, palette::light);
    fill.setColorAt(1, palette::deep);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    QPainterPath shape;
    shape.moveTo(14, 50);
    shape.cubicTo(12, 30, 26, 14, 50, 12);
    shape.cubicTo(52, 36, 38, 50, 14, 50);
    p.setBrush(QColor(0xf4, 0xfb, 0xf6));
    p.drawPath(shape);
    p.setPen(QPen(palette::green, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17, 47), QPointF(40, 24));
    p.setPen(QPen(palette::accent.darker(130), 2));
    p.setBrush(palette::accent);
    p.drawEllipse(QPointF(45, 45), 11, 11);
    p.translate(45, 45);
    p.scale(0.62, 0.62);
    drawYuan(p, QColor(255, 248, 225), 3.6);
}

QImage landscapeBackground(int which)
{
    QImage image = opaqueImage(backgroundSize, palette::mint);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(quint32(1000 + which));
    const qreal w = backgroundSize.width();
    const qreal h = backgroundSize.height();
    if (which == 1) {
        // morning over a valley: pale sky, a low sun, rolling hills in layers
        QLinearGradient sky(0, 0, 0, h);
        sky.setColorAt(0, QColor(0xe4, 0xf2, 0xec));
        sky.setColorAt(0.45, QColor(0xfb, 0xf6, 0xe6));
        sky.setColorAt(1, QColor(0xf2, 0xf1, 0xdc));
        p.fillRect(image.rect(), sky);
        softGlow(p, QPointF(650, 120), 260, QColor(255, 236, 190, 150));
        softGlow(p, QPointF(650, 120), 46, QColor(255, 250, 232, 255));
        const QColor layers[] = {QColor(0xc8, 0xe1, 0xd3), QColor(0xa8, 0xd2, 0xb5), QColor(0x86, 0xbf, 0x98), QColor(0x9c, 0xcb, 0x92)};
        const qreal bases[] = {250, 330, 420, 520};
        for (int i = 0; i < 4; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(layers[i]);
            p.drawPath(hills(bases[i], 26 + i * 6, i * 1.3, 1.4 + i * 0.5, w, h));
        }
        // a few birds far away
        p.setPen(QPen(QColor(0x5e, 0x7a, 0x6c, 150), 1.4, Qt::SolidLine, Qt::RoundCap));
        for (QPointF b : {QPointF(580, 62), QPointF(604, 50), QPointF(626, 66)}) {
            p.drawArc(QRectF(b.x() - 8, b.y() - 3, 8, 6), 20 * 16, 140 * 16);
            p.drawArc(QRectF(b.x(), b.y() - 3, 8, 6), 20 * 16, 140 * 16);
        }
    } else {
        // a bamboo grove in soft light
        QLinearGradient air(0, 0, w, h);
        air.setColorAt(0, QColor(0xee, 0xf6, 0xe9));
        air.setColorAt(1, QColor(0xcd, 0xe5, 0xcf));
        p.fillRect(image.rect(), air);
        softGlow(p, QPointF(200, 80), 300, QColor(255, 252, 236, 160));
        for (int layer = 0; layer < 2; ++layer) {
            const int stalks = layer == 0 ? 9 : 6;
            for (int i = 0; i < stalks; ++i) {
                const qreal x = (i + 0.5) * w / stalks + random.bounded(40.0) - 20 + layer * 37;
                const qreal width = layer == 0 ? 10 + random.bounded(5.0) : 17 + random.bounded(6.0);
                const QColor colour = layer == 0 ? QColor(0x9f, 0xcb, 0xa6, 150) : QColor(0x6f, 0xab, 0x7e, 200);
                p.setPen(Qt::NoPen);
                p.setBrush(colour);
                p.drawRoundedRect(QRectF(x, -10, width, h + 20), width / 2, width / 2);
                p.setBrush(colour.darker(115));
                for (qreal y = 40 + random.bounded(80.0); y < h; y += 90 + random.bounded(40.0))
                    p.drawRect(QRectF(x - 1, y, width + 2, 3));
            }
        }
        for (int i = 0; i < 60; ++i) {
            const QPointF stem(random.bounded(w), random.bounded(150.0) + (i % 3 == 0 ? 400 : 0));
            QColor colour(0x4e + random.bounded(30), 0x96 + random.bounded(30), 0x62 + random.bounded(20), 130 + random.bounded(80));
            if (stem.x() < 580 && stem.y() > 20 && stem.y() < 130)
                colour.setAlpha(50 + random.bounded(30)); // quiet behind the navigation captions
            leaf(p, stem, 40 + random.bounded(35.0), 20 + random.bounded(140.0), colour);
        }
        QLinearGradient ground(0, h - 60, 0, h);
        ground.setColorAt(0, QColor(0xd6, 0xea, 0xd3, 0));
        ground.setColorAt(1, QColor(0xd6, 0xea, 0xd3, 230));
        p.fillRect(QRectF(0, h - 60, w, 60), ground);
    }
    return image;
}

QImage plainBackground(const QColor &colour)
{
    return opaqueImage(backgroundSize, colour);
}

QImage festivalBackground(int which)
{
    QImage image = opaqueImage(backgroundSize, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(quint32(2000 + which));
    const qreal w = backgroundSize.width();
    const qreal h = backgroundSize.height();
    if (which == 1) {
        // a snowy morning with a row of pines
        QLinearGradient sky(0, 0, 0, h);
        sky.setColorAt(0, QColor(0xe6, 0xf0, 0xf2));
        sky.setColorAt(1, QColor(0xfa, 0xfc, 0xfc));
        p.fillRect(image.rect(), sky);
        // snow drifts in soft blue-grey shadows
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe3, 0xec, 0xf0));
        p.drawPath(hills(300, 40, 2.0, 1.2, w, h));
        for (int i = 0; i < 14; ++i) {
            const qreal x = 30 + i * 62 + random.bounded(20.0);
            // low on the left, where the navigation buttons stand, rising to the right
            const qreal foot = x < 580 ? 330 + random.bounded(40.0) : 230 + random.bounded(30.0);
            pine(p, QPointF(x, foot), 130 + random.bounded(60.0), QColor(0x4d, 0x85, 0x6c));
        }
        p.setBrush(QColor(0xf1, 0xf5, 0xf8));
        p.drawPath(hills(390, 18, 0.5, 2, w, h));
        p.setBrush(QColor(0xfd, 0xfe, 0xff));
        p.drawPath(hills(460, 14, 1.5, 1.6, w, h));
        for (int i = 0; i < 12; ++i) {
            const QPointF at(600 + random.bounded(240.0), 90 + random.bounded(120.0));
            p.setBrush(i % 3 ? palette::berry : palette::accent);
            p.drawEllipse(at, 3.2, 3.2);
        }
        snowflakes(p, random, 260, QRectF(0, 0, w, h), 2.6, 230);
    } else {
        // holly hanging into the upper right corner, clear of the window title; snow on cream
        QLinearGradient paper(0, 0, 0, h);
        paper.setColorAt(0, QColor(0xfb, 0xf7, 0xee));
        paper.setColorAt(1, QColor(0xf1, 0xea, 0xdb));
        p.fillRect(image.rect(), paper);
        p.setPen(QPen(QColor(0x8f, 0x6a, 0x4a), 3));
        p.setBrush(Qt::NoBrush);
        QPainterPath rope;
        rope.moveTo(590, 26);
        rope.quadTo(700, 110, 870, 60);
        p.drawPath(rope);
        for (int i = 0; i <= 30; ++i) {
            const qreal t = i / 30.0;
            const QPointF at = rope.pointAtPercent(t);
            leaf(p, at, 26 + random.bounded(10.0), random.bounded(360.0), QColor(0x2f + random.bounded(30), 0x7a + random.bounded(30), 0x4e));
            if (i % 4 == 0) {
                p.setPen(Qt::NoPen);
                p.setBrush(palette::berry);
                p.drawEllipse(at + QPointF(4, 6), 4.5, 4.5);
                p.drawEllipse(at + QPointF(-3, 8), 4, 4);
            }
        }
        // a bow where the garland begins
        p.setPen(QPen(palette::berry.darker(130), 1));
        p.setBrush(palette::berry);
        QPainterPath bow;
        bow.moveTo(590, 26);
        bow.cubicTo(566, 6, 560, 40, 590, 26);
        bow.cubicTo(614, 6, 620, 40, 590, 26);
        p.drawPath(bow);
        p.drawEllipse(QPointF(590, 26), 4, 4);
        snowflakes(p, random, 160, QRectF(0, 0, w, h), 2.5, 200);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x3f, 0x8a, 0x62, 200));
        p.drawRect(QRectF(0, h - 22, w, 22));
        p.setBrush(QColor(0xc0, 0x39, 0x2b, 200));
        p.drawRect(QRectF(0, h - 26, w, 4));
    }
    return image;
}

QImage thumbnail(const QImage &background, const QString &name, bool plain)
{
    QImage image = background.scaled(200, 140, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
    if (name.isEmpty())
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(sansFont(12));
    if (plain) {
        // a plain colour keeps its calm: the name in a deeper shade of it
        p.setPen(QColor(image.pixel(0, 0)).darker(170));
        p.drawText(QRectF(8, 116, 192, 22), Qt::AlignLeft | Qt::AlignVCenter, name);
        return image;
    }
    // the name on a soft strip along the bottom
    QLinearGradient strip(0, 112, 0, 140);
    strip.setColorAt(0, QColor(20, 50, 35, 0));
    strip.setColorAt(1, QColor(20, 50, 35, 150));
    p.fillRect(QRectF(0, 112, 200, 28), strip);
    p.setFont(sansFont(12));
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(8, 116, 192, 22), Qt::AlignLeft | Qt::AlignVCenter, name);
    return image;
}

QImage thumbnailFrame()
{
    // The thumbnail lies on it at (10, 10); a white mat with a soft shadow.
    QImage image = clearImage(220, 160);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 70, 50, 14));
        p.drawRoundedRect(QRectF(3 - i * 0.5, 4 - i * 0.5 + 1, 214 + i, 152 + i), 8, 8);
    }
    p.setPen(QPen(palette::line, 1));
    p.setBrush(QColor(0xfd, 0xfe, 0xfd));
    p.drawRoundedRect(QRectF(2.5, 2.5, 215, 153), 7, 7);
    return image;
}

QImage addPicture()
{
    QImage image = opaqueImage(QSize(200, 140), QColor(0xf3, 0xf9, 0xf4));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QPen dash(palette::line, 1.5, Qt::DashLine);
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6.5, 6.5, 187, 127), 6, 6);
    p.setPen(QPen(palette::green, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(100, 56), 20, 20);
    p.setPen(QPen(palette::green, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(100, 46), QPointF(100, 66));
    p.drawLine(QPointF(90, 56), QPointF(110, 56));
    p.setFont(sansFont(14));
    p.setPen(palette::deep);
    p.drawText(QRectF(0, 82, 200, 22), Qt::AlignCenter, QStringLiteral("添加背景图片"));
    p.setFont(sansFont(11));
    p.setPen(QColor(0x5f, 0x7f, 0x6d));
    p.drawText(QRectF(0, 104, 200, 18), Qt::AlignCenter, QStringLiteral("JPG、PNG 或 BMP，860 × 600"));
    return image;
}
