// The pictures built into the program: splash, logo, operation guide and navigation highlight.
#include "artwork.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

void drawYuan(QPainter &p, const QColor &colour, qreal width)
{
    QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.drawLine(QPointF(-6, -8), QPointF(0, 0));
    p.drawLine(QPointF(6, -8), QPointF(0, 0));
    p.drawLine(QPointF(0, 0), QPointF(0, 9));
    p.drawLine(QPointF(-5, 1.5), QPointF(5, 1.5));
    p.drawLine(QPointF(-5, 5.5), QPointF(5, 5.5));
}

namespace {

void numberBadge(QPainter &p, QPointF centre, int number, qreal radius)
{
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(palette::accent.darker(105));
    p.drawEllipse(centre, radius, radius);
    p.setFont(sansFont(int(radius * 1.25), true));
    p.setPen(Qt::white);
    p.drawText(QRectF(centre.x() - radius, centre.y() - radius - 1, 2 * radius, 2 * radius), Qt::AlignCenter, QString::number(number));
}

} // namespace

QImage logoPicture(int size)
{
    QImage image = clearImage(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    p.translate(24, 24);
    QRadialGradient ring(QPointF(-6, -8), 30);
    ring.setColorAt(0, QColor(0xf7, 0xd9, 0x8c));
    ring.setColorAt(1, QColor(0xc9, 0x8a, 0x2c));
    p.setPen(QPen(QColor(0xa8, 0x70, 0x22), 1));
    p.setBrush(ring);
    p.drawEllipse(QPointF(0, 0), 22.5, 22.5);
    QLinearGradient inner(0, -18, 0, 18);
    inner.setColorAt(0, palette::light);
    inner.setColorAt(1, palette::deep);
    p.setPen(Qt::NoPen);
    p.setBrush(inner);
    p.drawEllipse(QPointF(0, 0), 18, 18);
    p.translate(0, 0.5);
    drawYuan(p, Qt::white, 3.2);
    return image;
}

QImage splashPicture()
{
    QImage image(400, 200, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient paper(0, 0, 400, 200);
    paper.setColorAt(0, QColor(0xfb, 0xfd, 0xfa));
    paper.setColorAt(1, QColor(0xe3, 0xf2, 0xe8));
    p.fillRect(image.rect(), paper);

    // leaves in the upper right corner
    const auto leaf = [&](QPointF stem, qreal len, qreal angle, const QColor &colour) {
        p.save();
        p.translate(stem);
        p.rotate(angle);
        QPainterPath shape;
        shape.moveTo(0, 0);
        shape.cubicTo(len * 0.3, -len * 0.2, len * 0.75, -len * 0.15, len, 0);
        shape.cubicTo(len * 0.75, len * 0.15, len * 0.3, len * 0.2, 0, 0);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(shape);
        p.restore();
    };
    leaf(QPointF(410, -10), 120, 140, QColor(0x8f, 0xc7, 0xa2, 150));
    leaf(QPointF(410, -10), 95, 115, QColor(0x5f, 0xab, 0x80, 140));
    leaf(QPointF(410, -10), 80, 165, QColor(0xb7, 0xdc, 0xc2, 170));

    // the emblem and the title
    p.save();
    p.translate(34, 44);
    p.drawImage(QRectF(0, 0, 64, 64), windowIcon(128));
    p.restore();
    p.setFont(serifFont(32, true));
    p.setPen(palette::deep);
    p.drawText(QPointF(112, 84), QStringLiteral("Varnel家庭理财"));
    p.setFont(sansFont(13));
    p.setPen(QColor(0x4f, 0x6f, 0x5e));
    // the version label of the splash window stands at (192, 108), right of this caption
    p.drawText(QRectF(112, 106, 78, 20), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("版本号："));
    p.setPen(QPen(palette::line, 1));
    p.drawLine(QPointF(34, 150), QPointF(366, 150));
    p.setFont(sansFont(12));
    p.setPen(QColor(0x6a, 0x86, 0x76));
    p.drawText(QRectF(34, 154, 332, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("记好每一笔，过好每一天"));
    return image;
}

QImage guidePicture()
{
    QImage image(796, 488, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient paper(0, 0, 0, 488);
    paper.setColorAt(0, QColor(0xfa, 0xfd, 0xfa));
    paper.setColorAt(1, QColor(0xef, 0xf6, 0xf0));
    p.fillRect(image.rect(), paper);
    // The help window's tab captions lie over the left edge of the picture: it stays plain paper.
    const qreal left = 96;

    p.setFont(serifFont(22, true));
    p.setPen(palette::deep);
    p.drawText(QPointF(left, 46), QStringLiteral("操作指南"));
    p.setFont(sansFont(13));
    p.setPen(QColor(0x5f, 0x7f, 0x6d));
    p.drawText(QPointF(left + 102, 45), QStringLiteral("几步上手，记好每一笔家庭收支"));
    p.setPen(QPen(palette::line, 1));
    p.drawLine(QPointF(left, 60), QPointF(776, 60));

    // A small picture of the main window, at 35 % of its size.
    const QRectF window(left, 84, 300, 210);
    p.setPen(QPen(QColor(0x33, 0x59, 0x4a), 1));
    QLinearGradient sky(window.topLeft(), window.bottomLeft());
    sky.setColorAt(0, QColor(0xd9, 0xed, 0xe1));
    sky.setColorAt(1, QColor(0xb9, 0xdc, 0xc4));
    p.setBrush(sky);
    p.drawRect(window);
    const qreal s = 0.35;
    const auto at = [&](qreal x, qreal y) { return QPointF(window.left() + x * s, window.top() + y * s); };
    const auto rect = [&](qreal x, qreal y, qreal w, qreal h) { return QRectF(at(x, y), QSizeF(w * s, h * s)); };
    p.drawImage(rect(5, 4, 20, 20), windowIcon(32));
    p.setFont(sansFont(9));
    p.setPen(palette::deep);
    p.drawText(rect(40, 2, 300, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Varnel家庭理财"));
    for (int i = 0; i < 5; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 150));
        p.drawRoundedRect(rect(698 + i * 32, 3, 30, 18), 2, 2);
    }
    const QStringList captions{QStringLiteral("查看"), QStringLiteral("添加"), QStringLiteral("修改"), QStringLiteral("删除"),
                               QStringLiteral("统计"), QStringLiteral("备份"), QStringLiteral("用户")};
    const int navigationLefts[] = {16, 94, 172, 250, 328, 406, 483};
    for (int i = 0; i < 7; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(palette::green);
        p.drawRoundedRect(rect(navigationLefts[i] + 16, 41, 36, 36), 3, 3);
        p.setPen(palette::deep);
        p.drawText(rect(navigationLefts[i], 80, 68, 26), Qt::AlignCenter, captions[i]);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(palette::green);
    p.drawRect(rect(navigationLefts[0] + 16, 110, 38, 4));
    p.setBrush(QColor(0xf8, 0xfb, 0xf8));
    p.drawRect(rect(2, 116, 856, 460));
    p.setBrush(QColor(0xe6, 0xe6, 0xe6));
    p.drawRect(rect(2, 158, 856, 18));
    p.setPen(QPen(QColor(0xd8, 0xe6, 0xdc), 1));
    for (int row = 0; row < 12; ++row)
        p.drawLine(at(10, 190 + row * 18), at(850, 190 + row * 18));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe3, 0xf1, 0xe7));
    p.drawRect(rect(4, 540, 852, 36));
    for (int i = 0; i < 2; ++i) {
        p.setBrush(palette::green);
        p.drawRoundedRect(rect(666 + i * 96, 546, 68, 24), 2, 2);
    }
    p.setBrush(Qt::white);
    p.drawRect(rect(87, 546, 233, 22));
    p.drawRect(rect(407, 546, 233, 22));

    // numbered marks beside the parts of the picture, matching the steps on the right
    numberBadge(p, at(700, 522), 1, 8);
    numberBadge(p, at(128, 148), 2, 8);
    numberBadge(p, at(50, 148), 3, 8);
    numberBadge(p, at(245, 148), 4, 8);
    numberBadge(p, at(362, 148), 5, 8);
    numberBadge(p, at(440, 148), 6, 8);
    numberBadge(p, at(713, 48), 7, 8);

    p.setFont(sansFont(12));
    p.setPen(QColor(0x5f, 0x7f, 0x6d));
    p.drawText(QRectF(left, 306, 300, 56), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("图中的数字对应右边的步骤。鼠标移到按钮上，按钮会亮起；当前页面的按钮下方有一条绿色标记。"));

    // a card of tips below the picture
    const QRectF card(left, 366, 300, 104);
    p.setPen(QPen(palette::line, 1));
    p.setBrush(QColor(0xe8, 0xf4, 0xec));
    p.drawRoundedRect(card, 6, 6);
    p.setFont(sansFont(13, true));
    p.setPen(palette::deep);
    p.drawText(card.adjusted(12, 8, -12, 0), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("小贴士"));
    p.setFont(sansFont(12));
    p.setPen(QColor(0x3c, 0x4f, 0x45));
    p.drawText(card.adjusted(12, 30, -12, -6), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("每天记上一笔，月底到「统计」看看钱花在了哪里。\n数据请定期「备份」，\n换电脑时用「恢复数据」取回。"));

    struct Step
    {
        const char16_t *title;
        const char16_t *text;
    };
    const Step steps[] = {
        {u"登录或注册", u"选择用户名，输入密码后点「登录」。\n第一次使用时，请先点「注册」新建用户。"},
        {u"记一笔账", u"点「添加」，选好日期、项目类型、项目名称和人员，\n填写金额后点「保存」。"},
        {u"查看账目", u"点「查看」，选好起止日期，\n用「详细查看」或「合计查看」浏览收支。"},
        {u"修改与删除", u"在列表中选中一条记录，再点「修改」或「删除」。"},
        {u"月度统计", u"点「统计」，按年份查看每个月的支出与收入。"},
        {u"备份数据", u"点「备份」，可以备份、恢复、导出、导入或压缩数据。"},
        {u"更换皮肤", u"点标题栏的衣服按钮，挑选背景图片或纯色背景，调节透明度。"},
    };
    // Lay the steps out evenly between the rule and the bottom edge.
    const QRectF column(448, 0, 342, 1000);
    const QFont textFont = sansFont(12);
    const QFontMetricsF textMetrics(textFont);
    QList<qreal> heights;
    qreal total = 0;
    for (const Step &step : steps) {
        const qreal text = textMetrics.boundingRect(column, Qt::AlignLeft | Qt::TextWordWrap, QString::fromUtf16(step.text)).height();
        heights.append(22 + text);
        total += 22 + text;
    }
    const qreal top = 76;
    const qreal gap = (488 - 16 - top - total) / 6;
    qreal y = top;
    for (int i = 0; i < 7; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(palette::green);
        p.drawEllipse(QPointF(428, y + 11), 11, 11);
        p.setFont(sansFont(13, true));
        p.setPen(Qt::white);
        p.drawText(QRectF(417, y, 22, 22), Qt::AlignCenter, QString::number(i + 1));
        p.setFont(sansFont(14, true));
        p.setPen(palette::deep);
        p.drawText(QRectF(column.left(), y - 1, column.width(), 22), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf16(steps[i].title));
        p.setFont(textFont);
        p.setPen(QColor(0x3c, 0x4f, 0x45));
        p.drawText(QRectF(column.left(), y + 22, column.width(), heights[i] - 22 + 4), Qt::AlignLeft | Qt::TextWordWrap,
                   QString::fromUtf16(steps[i].text));
        y += heights[i] + gap;
    }
    return image;
}

QList<QImage> highlightFrames()
{
    // A green bar that grows from its middle to the full width; white is the transparent colour.
    const int width = 38;
    const int height = 4;
    const QRgb rows[height] = {qRgb(0x8c, 0xc9, 0xa2), qRgb(0x4f, 0x9c, 0x70), qRgb(0x3f, 0x8a, 0x62), qRgb(0x2f, 0x6f, 0x4e)};
    QList<QImage> frames;
    for (int k = 0; k < 9; ++k) {
        QImage frame(width, height, QImage::Format_RGB32);
        frame.fill(qRgb(255, 255, 255));
        const int half = (width / 2) * (k + 1) / 9;
        for (int y = 0; y < height; ++y)
            for (int x = width / 2 - half; x < width / 2 + half; ++x)
                frame.setPixel(x, y, rows[y]);
        if (k == 8) {
            // the held frame: a short glint in the middle of the top row
            for (int x = 16; x < 22; ++x)
                frame.setPixel(x, 0, qRgb(0xb5, 0xe0, 0xc4));
        }
        frames.append(frame);
    }
    return frames;
}
