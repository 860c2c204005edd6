// Graphic buttons: navigation buttons with an icon above the caption, command buttons with a
// caption, title-bar and small buttons with a symbol; the festival overlay.
#include "artwork.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QFont sansFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont serifFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Noto Serif CJK SC"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage clearImage(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage clearImage(int width, int height)
{
    return clearImage(QSize(width, height));
}

namespace {

// The baseline that centres the ink of the text (not its line box) vertically in the rectangle:
// the CJK font's line box is much taller than its glyphs.
QPointF centredBaseline(const QFontMetricsF &metrics, const QString &text, const QRectF &box)
{
    const QRectF ink = metrics.tightBoundingRect(text);
    const qreal x = box.left() + (box.width() - metrics.horizontalAdvance(text)) / 2;
    const qreal y = box.top() + (box.height() - ink.height()) / 2 - ink.top();
    return {x, y};
}

// A caption with a soft halo, so that it stays readable over any background picture.
void drawHaloText(QPainter &p, const QString &text, const QRectF &box, const QColor &colour, const QColor &halo)
{
    const QPointF at = centredBaseline(QFontMetricsF(p.font()), text, box);
    p.setPen(halo);
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (dx || dy)
                p.drawText(at + QPointF(dx, dy), text);
    p.setPen(colour);
    p.drawText(at, text);
}

void drawShadowedText(QPainter &p, const QString &text, const QRectF &box, const QColor &colour)
{
    const QPointF at = centredBaseline(QFontMetricsF(p.font()), text, box);
    p.setPen(QColor(0, 40, 20, 90));
    p.drawText(at + QPointF(0, 1), text);
    p.setPen(colour);
    p.drawText(at, text);
}

QPen glyphPen(const QColor &colour, qreal width)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// The glyphs of the navigation icons, drawn in white inside a 36 x 36 badge.
void drawNavigationGlyph(QPainter &p, const QString &icon)
{
    const QColor white(255, 255, 255);
    p.setPen(glyphPen(white, 2.4));
    p.setBrush(Qt::NoBrush);
    if (icon == u"list") {
        for (int i = 0; i < 3; ++i) {
            const qreal y = 11.5 + i * 6.5;
            p.setBrush(white);
            p.drawEllipse(QPointF(10.5, y), 1.6, 1.6);
            p.setBrush(Qt::NoBrush);
            p.drawLine(QPointF(15, y), QPointF(26.5, y));
        }
    } else if (icon == u"add") {
        p.drawRoundedRect(QRectF(9, 8, 18, 20), 2.5, 2.5);
        p.drawLine(QPointF(18, 13), QPointF(18, 23));
        p.drawLine(QPointF(13, 18), QPointF(23, 18));
    } else if (icon == u"edit") {
        p.save();
        p.translate(18, 18);
        p.rotate(45);
        p.drawRoundedRect(QRectF(-3.6, -12, 7.2, 18), 1.2, 1.2);
        p.drawLine(QPointF(-3.6, -7.5), QPointF(3.6, -7.5));
        QPainterPath tip;
        tip.moveTo(-3.6, 6);
        tip.lineTo(0, 11.5);
        tip.lineTo(3.6, 6);
        p.drawPath(tip);
        p.restore();
        p.drawLine(QPointF(9, 28.5), QPointF(27, 28.5));
    } else if (icon == u"delete") {
        p.drawLine(QPointF(9, 11.5), QPointF(27, 11.5));
        p.drawLine(QPointF(15, 11.5), QPointF(15.5, 8.5));
        p.drawLine(QPointF(15.5, 8.5), QPointF(20.5, 8.5));
        p.drawLine(QPointF(20.5, 8.5), QPointF(21, 11.5));
        QPainterPath can;
        can.moveTo(11, 14);
        can.lineTo(12.5, 28);
        can.lineTo(23.5, 28);
        can.lineTo(25, 14);
        p.drawPath(can);
        p.setPen(glyphPen(white, 1.8));
        p.drawLine(QPointF(16, 17), QPointF(16.3, 24.5));
        p.drawLine(QPointF(20, 17), QPointF(19.7, 24.5));
    } else if (icon == u"chart") {
        p.drawLine(QPointF(8.5, 27.5), QPointF(27.5, 27.5));
        p.setPen(Qt::NoPen);
        p.setBrush(white);
        p.drawRoundedRect(QRectF(10.5, 18, 4.4, 7.5), 1, 1);
        p.drawRoundedRect(QRectF(16, 11, 4.4, 14.5), 1, 1);
        p.drawRoundedRect(QRectF(21.5, 15, 4.4, 10.5), 1, 1);
    } else if (icon == u"backup") {
        const QRectF top(10, 7.5, 16, 5.5);
        p.drawEllipse(top);
        p.drawLine(QPointF(10, 10.25), QPointF(10, 25.5));
        p.drawLine(QPointF(26, 10.25), QPointF(26, 25.5));
        p.drawArc(QRectF(10, 15, 16, 5.5), 180 * 16, 180 * 16);
        p.drawArc(QRectF(10, 22.75, 16, 5.5), 180 * 16, 180 * 16);
    } else if (icon == u"user") {
        p.setPen(Qt::NoPen);
        p.setBrush(white);
        p.drawEllipse(QPointF(18, 13.5), 5, 5);
        QPainterPath body;
        body.moveTo(8.5, 28.5);
        body.cubicTo(8.5, 21, 13, 19.5, 18, 19.5);
        body.cubicTo(23, 19.5, 27.5, 21, 27.5, 28.5);
        body.closeSubpath();
        p.drawPath(body);
    }
}

} // namespace

QImage navigationButton(const QString &icon, const QString &caption, ButtonState state)
{
    QImage image = clearImage(68, 75);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal shift = state == ButtonState::Pressed ? 1 : 0;

    // The lit and pressed states lay a pale plate behind icon and caption.
    if (state != ButtonState::Normal) {
        const QRectF plate(2.5, 2.5, 63, 70);
        QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
        if (state == ButtonState::Hover) {
            fill.setColorAt(0, QColor(255, 255, 255, 215));
            fill.setColorAt(1, QColor(236, 246, 239, 200));
        } else {
            fill.setColorAt(0, QColor(214, 235, 221, 225));
            fill.setColorAt(1, QColor(200, 227, 210, 225));
        }
        p.setPen(QPen(QColor(palette::line.red(), palette::line.green(), palette::line.blue(), 200), 1));
        p.setBrush(fill);
        p.drawRoundedRect(plate, 6, 6);
    }

    // The badge: a rounded square in green with a white glyph.
    const QRectF badge(16 + shift, 6 + shift, 36, 36);
    QLinearGradient badgeFill(badge.topLeft(), badge.bottomLeft());
    const QColor top = state == ButtonState::Hover ? palette::light.lighter(108) : palette::light;
    const QColor bottom = state == ButtonState::Pressed ? palette::deep : palette::green;
    badgeFill.setColorAt(0, top);
    badgeFill.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 40, 20, 45));
    p.drawRoundedRect(badge.translated(0, 1.5), 9, 9);
    p.setBrush(badgeFill);
    p.drawRoundedRect(badge, 9, 9);
    // a soft gloss on the upper half
    QLinearGradient gloss(badge.topLeft(), QPointF(badge.left(), badge.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 70));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(badge.adjusted(1, 1, -1, -18), 8, 8);
    p.save();
    p.translate(badge.topLeft());
    drawNavigationGlyph(p, icon);
    p.restore();

    p.setFont(sansFont(14, state != ButtonState::Normal));
    drawHaloText(p, caption, QRectF(0 + shift, 46 + shift, 68, 22), palette::deep, QColor(255, 255, 255, 170));
    return image;
}

QImage commandButton(QSize size, const QString &caption, ButtonState state)
{
    QImage image = clearImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF body(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    switch (state) {
    case ButtonState::Normal:
        fill.setColorAt(0, QColor(0x52, 0x9d, 0x74));
        fill.setColorAt(1, QColor(0x3a, 0x80, 0x5b));
        break;
    case ButtonState::Hover:
        fill.setColorAt(0, QColor(0x60, 0xad, 0x83));
        fill.setColorAt(1, QColor(0x43, 0x8d, 0x64));
        break;
    case ButtonState::Pressed:
        fill.setColorAt(0, QColor(0x2f, 0x6c, 0x4c));
        fill.setColorAt(1, QColor(0x37, 0x78, 0x55));
        break;
    }
    p.setPen(QPen(QColor(0x2b, 0x5e, 0x45), 1));
    p.setBrush(fill);
    p.drawRoundedRect(body, 4, 4);
    if (state != ButtonState::Pressed) {
        // a light inner edge along the top
        p.setPen(QPen(QColor(255, 255, 255, state == ButtonState::Hover ? 110 : 80), 1));
        p.drawLine(QPointF(4, 1.5), QPointF(size.width() - 4, 1.5));
    }
    p.setFont(sansFont(13));
    const qreal shift = state == ButtonState::Pressed ? 1 : 0;
    drawShadowedText(p, caption, QRectF(shift, shift, size.width(), size.height()), Qt::white);
    return image;
}

QImage titleButton(const QString &symbol, ButtonState state)
{
    QImage image = clearImage(30, 18);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const bool close = symbol == u"close";
    const QRectF plate(0.5, 0.5, 29, 17);
    QColor ink = palette::deep;
    switch (state) {
    case ButtonState::Normal:
        p.setPen(QPen(QColor(255, 255, 255, 120), 1));
        p.setBrush(QColor(255, 255, 255, 95));
        break;
    case ButtonState::Hover:
        p.setPen(QPen(close ? palette::berry.darker(115) : palette::line, 1));
        p.setBrush(close ? palette::berry : QColor(255, 255, 255, 230));
        if (close)
            ink = Qt::white;
        break;
    case ButtonState::Pressed:
        p.setPen(QPen(close ? palette::berry.darker(140) : palette::green, 1));
        p.setBrush(close ? palette::berry.darker(125) : QColor(0xc6, 0xe2, 0xd0));
        if (close)
            ink = Qt::white;
        break;
    }
    p.drawRoundedRect(plate, 4, 4);

    const qreal shift = state == ButtonState::Pressed ? 0.8 : 0;
    p.translate(15 + shift, 9 + shift);
    p.setPen(glyphPen(ink, 1.6));
    p.setBrush(Qt::NoBrush);
    if (symbol == u"close") {
        p.drawLine(QPointF(-3.6, -3.6), QPointF(3.6, 3.6));
        p.drawLine(QPointF(-3.6, 3.6), QPointF(3.6, -3.6));
    } else if (symbol == u"minimise") {
        p.drawLine(QPointF(-4.5, 3), QPointF(4.5, 3));
    } else if (symbol == u"menu") {
        for (qreal y : {-3.5, 0.0, 3.5})
            p.drawLine(QPointF(-5, y), QPointF(5, y));
    } else if (symbol == u"help") {
        QPainterPath mark;
        mark.moveTo(-2.8, -2.4);
        mark.cubicTo(-2.8, -5.6, 2.9, -5.6, 2.9, -2.3);
        mark.cubicTo(2.9, 0, 0, 0, 0, 2);
        p.drawPath(mark);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(0, 4.6), 1.1, 1.1);
    } else if (symbol == u"skin") {
        // a shirt: the usual sign for changing the look
        QPainterPath shirt;
        shirt.moveTo(-2.2, -5);
        shirt.lineTo(-6.5, -2.8);
        shirt.lineTo(-5, 0.2);
        shirt.lineTo(-3.5, -0.5);
        shirt.lineTo(-3.5, 5);
        shirt.lineTo(3.5, 5);
        shirt.lineTo(3.5, -0.5);
        shirt.lineTo(5, 0.2);
        shirt.lineTo(6.5, -2.8);
        shirt.lineTo(2.2, -5);
        shirt.cubicTo(1.4, -3.4, -1.4, -3.4, -2.2, -5);
        shirt.closeSubpath();
        p.setPen(glyphPen(ink, 1.3));
        p.drawPath(shirt);
    }
    return image;
}

QImage smallButton(const QString &symbol, QSize size, ButtonState state)
{
    QImage image = clearImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal shift = state == ButtonState::Pressed ? 1 : 0;
    const qreal w = size.width();
    const qreal h = size.height();

    const auto triangle = [&](const QColor &colour, qreal cx, qreal cy, qreal half) {
        QPainterPath t;
        t.moveTo(cx - half, cy - half * 0.55);
        t.lineTo(cx + half, cy - half * 0.55);
        t.lineTo(cx, cy + half * 0.65);
        t.closeSubpath();
        p.setPen(glyphPen(colour, 1));
        p.setBrush(colour);
        p.drawPath(t);
    };

    if (symbol == u"drop") {
        // the arrow at the right end of a field
        const QColor fills[] = {QColor(0xd9, 0xed, 0xe0), QColor(0xbf, 0xe2, 0xcb), QColor(0xa6, 0xd3, 0xb6)};
        p.setPen(QPen(palette::line, 1));
        p.setBrush(fills[int(state)]);
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 3, 3);
        triangle(palette::deep, w / 2 + shift * 0.5, h / 2 + shift * 0.5, 3.4);
    } else if (symbol == u"stardrop") {
        // an arrow that stands on its own beside a caption
        QRadialGradient fill(QPointF(w / 2 - 2, h / 2 - 3), w * 0.7);
        const QColor base = state == ButtonState::Hover ? palette::light : state == ButtonState::Pressed ? palette::deep : palette::green;
        fill.setColorAt(0, base.lighter(125));
        fill.setColorAt(1, base);
        p.setPen(QPen(palette::deep, 0.8));
        p.setBrush(fill);
        p.drawEllipse(QRectF(0.5, 0.5, w - 1, h - 1));
        triangle(Qt::white, w / 2 + shift * 0.5, h / 2 + shift * 0.5, 3.3);
    } else if (symbol == u"plaindrop") {
        // only the arrow; the lit and pressed states add a round plate
        if (state != ButtonState::Normal) {
            p.setPen(Qt::NoPen);
            p.setBrush(state == ButtonState::Hover ? QColor(255, 255, 255, 190) : QColor(0xc6, 0xe2, 0xd0, 230));
            p.drawEllipse(QRectF(0, 0, w, h));
        }
        triangle(state == ButtonState::Hover ? palette::green : palette::deep, w / 2 + shift * 0.5, h / 2 + shift * 0.5, 3.8);
    } else if (symbol == u"calendar") {
        if (state != ButtonState::Normal) {
            p.setPen(Qt::NoPen);
            p.setBrush(state == ButtonState::Hover ? QColor(255, 255, 255, 170) : QColor(0xc6, 0xe2, 0xd0, 220));
            p.drawRoundedRect(QRectF(0, 0, w, h), 4, 4);
        }
        p.translate(shift, shift);
        const QRectF page(3.5, 4.5, 15, 14);
        p.setPen(QPen(palette::deep, 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(page, 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(state == ButtonState::Hover ? palette::light : palette::green);
        QPainterPath band;
        band.addRoundedRect(page, 2, 2);
        QPainterPath upper;
        upper.addRect(QRectF(page.left(), page.top(), page.width(), 4.5));
        p.drawPath(band.intersected(upper));
        p.setBrush(palette::deep);
        p.drawRoundedRect(QRectF(6.5, 2.5, 2, 4), 1, 1);
        p.drawRoundedRect(QRectF(13.5, 2.5, 2, 4), 1, 1);
        p.setBrush(palette::green);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(6 + c * 4, 11 + r * 3.5, 2.2, 2.2));
        p.setBrush(palette::accent);
        p.drawRect(QRectF(14, 14.5, 2.2, 2.2));
    } else if (symbol == u"chart") {
        // three bars of a chart on a base line, in the calendar button's plate
        if (state != ButtonState::Normal) {
            p.setPen(Qt::NoPen);
            p.setBrush(state == ButtonState::Hover ? QColor(255, 255, 255, 170) : QColor(0xc6, 0xe2, 0xd0, 220));
            p.drawRoundedRect(QRectF(0, 0, w, h), 4, 4);
        }
        p.translate(shift, shift);
        p.setPen(Qt::NoPen);
        const QColor bar = state == ButtonState::Hover ? palette::light : palette::green;
        p.setBrush(bar);
        p.drawRoundedRect(QRectF(4.5, 10, 3.6, 8), 1, 1);
        p.setBrush(palette::accent);
        p.drawRoundedRect(QRectF(9.2, 5, 3.6, 13), 1, 1);
        p.setBrush(bar);
        p.drawRoundedRect(QRectF(13.9, 8, 3.6, 10), 1, 1);
        p.setPen(glyphPen(palette::deep, 1.4));
        p.drawLine(QPointF(3, 18.8), QPointF(19, 18.8));
    } else if (symbol == u"refresh") {
        if (state != ButtonState::Normal) {
            p.setPen(Qt::NoPen);
            p.setBrush(state == ButtonState::Hover ? QColor(255, 255, 255, 190) : QColor(0xc6, 0xe2, 0xd0, 230));
            p.drawEllipse(QRectF(0, 0, w, h));
        }
        p.translate(w / 2 + shift, h / 2 + shift);
        const QColor ink = state == ButtonState::Hover ? palette::green : palette::deep;
        p.setPen(glyphPen(ink, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(-6.5, -6.5, 13, 13), 60 * 16, 290 * 16);
        // the arrow head at the upper end of the arc
        QPainterPath head;
        head.moveTo(2.0, -9.6);
        head.lineTo(6.6, -5.4);
        head.lineTo(0.6, -3.6);
        head.closeSubpath();
        p.setPen(glyphPen(ink, 1));
        p.setBrush(ink);
        p.drawPath(head);
    }
    return image;
}

QImage festivalIcon()
{
    // A red winter hat with a white brim and bobble, tilted over the badge's corner.
    QImage image = clearImage(24, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(12, 13);
    p.rotate(-18);
    QPainterPath hat;
    hat.moveTo(-8, 4);
    hat.cubicTo(-7, -3, -2, -9, 5, -8);
    hat.cubicTo(8, -7.5, 9, -4, 8.5, -1);
    hat.cubicTo(6, -4, 4, -3.5, 3, 0);
    hat.lineTo(7.5, 4);
    hat.closeSubpath();
    QLinearGradient red(QPointF(0, -9), QPointF(0, 4));
    red.setColorAt(0, palette::berry.lighter(120));
    red.setColorAt(1, palette::berry.darker(110));
    p.setPen(QPen(palette::berry.darker(150), 0.8));
    p.setBrush(red);
    p.drawPath(hat);
    p.setPen(QPen(QColor(0xb8, 0xc4, 0xbd), 0.8));
    p.setBrush(QColor(0xfb, 0xfb, 0xf7));
    p.drawRoundedRect(QRectF(-9.5, 2.5, 19, 5), 2.5, 2.5);
    p.drawEllipse(QPointF(8.6, -1.2), 2.6, 2.6);
    return image;
}
