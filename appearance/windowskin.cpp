#include "appearance/windowskin.h"

#include "appearance/skinfile.h"
#include "common/clock.h"
#include "common/gbk.h"
#include "common/numbers.h"
#include "ui/animationbox.h"
#include "ui/drawingboard.h"
#include "ui/layoutwindow.h"
#include "ui/styledmenu.h"
#include "ui/units.h"

#include <QHash>
#include <QPainter>

QColor skinColour(const QString &name)
{
    const qint64 value = textToInteger(QString::fromLatin1(getSkinEntry(name)).trimmed());
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

QImage skinPicture(const QString &name)
{
    struct Decoded
    {
        QByteArray bytes;
        QImage image;
    };
    static QHash<QString, Decoded> decoded;
    const QByteArray bytes = getSkinEntry(name);
    auto it = decoded.find(name);
    // The entry is a shallow copy of the table's value, so the same data means the same skin.
    if (it != decoded.end() && it->bytes.constData() == bytes.constData() && it->bytes.size() == bytes.size())
        return it->image;
    QImage image = imageFromBytes(bytes);
    // The canvases keep their objects in this format; a picture in it is shared, not converted.
    if (!image.isNull())
        image = image.convertToFormat(QImage::Format_ARGB32);
    decoded.insert(name, {bytes, image});
    return image;
}

namespace {

const QString noDressing = QStringLiteral("N");

// Everything the dressing of the controls needs from the frame steps.
struct ControlDressing
{
    LayoutWindow *window = nullptr;
    AnimationBox *backgroundCanvas = nullptr;
    AnimationBox *buttonCanvas = nullptr;
    AnimationBox *pageBackgroundCanvas = nullptr;
    bool isPage = false;
    SpriteScene *scene = nullptr;
    int iconSprite = 0;
};

// The position of a unit in the coordinates of its window.
QPoint windowPosition(QWidget *unit, QWidget *window)
{
    QPoint position;
    for (QWidget *w = unit; w && w != window; w = w->parentWidget())
        position += w->pos();
    return position;
}

// What lies behind a button: the slice of the canvas at the button's place in its window, with
// the frames of the shape boxes and the colours of the boxes that hold it painted over it, so the
// composed picture meets its surroundings without a seam.
QImage backgroundBehind(GraphicButton *button, const ControlDressing &d, const QColor &shapeFill,
                        const QColor &shapeLine)
{
    AnimationBox *source = d.isPage ? d.pageBackgroundCanvas : d.backgroundCanvas;
    const QRect place(windowPosition(button, d.window), button->size());
    QImage behind = source ? source->snapshotImage(place) : QImage();
    if (behind.isNull()) {
        behind = QImage(button->size(), QImage::Format_ARGB32);
        behind.fill(d.window->palette().color(QPalette::Window));
    }
    QList<QWidget *> holders;
    for (QWidget *w = button->parentWidget(); w && w != d.window; w = w->parentWidget())
        holders.prepend(w);
    QPainter painter(&behind);
    for (QWidget *holder : holders) {
        const QRect area(windowPosition(holder, d.window) - place.topLeft(), holder->size());
        switch (unitKind(holder)) {
        case UnitKind::ShapeBox: {
            const QString tag = unitTag(holder);
            auto *box = static_cast<ShapeBox *>(holder);
            if (tag == noDressing) {
                painter.fillRect(area, box->fillColour());
                painter.setPen(box->lineColour());
            } else {
                painter.fillRect(area, tag == QStringLiteral("N2") ? box->fillColour() : shapeFill);
                painter.setPen(tag == QStringLiteral("N1") ? box->lineColour() : shapeLine);
            }
            painter.drawRect(area.adjusted(0, 0, -1, -1));
            break;
        }
        case UnitKind::PictureBox: {
            // The view page's bars show the background behind them, which the canvas gives already.
            auto *box = static_cast<PictureBox *>(holder);
            if (box->picture().isNull() && box->backgroundColour().isValid() && box->backgroundColour().alpha() == 255
                && unitTag(holder).isEmpty() && box->autoFillBackground())
                painter.fillRect(area, box->backgroundColour());
            break;
        }
        default:
            break;
        }
    }
    return behind;
}

QImage composeButtonPicture(const QImage &behind, const QImage &content, const QImage &overlay)
{
    QImage picture = behind.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    if (!content.isNull())
        painter.drawImage(0, 0, content);
    if (!overlay.isNull())
        painter.drawImage(0, 0, overlay);
    painter.end();
    return picture;
}

void dressGraphicButtons(const ControlDressing &d)
{
    const QColor shapeFill = skinColour(QStringLiteral("外形框背景颜色"));
    const QColor shapeLine = skinColour(QStringLiteral("外形框线条颜色"));
    if (d.buttonCanvas)
        d.buttonCanvas->setBackgroundColour(skinColour(QStringLiteral("窗口背景颜色")));
    const QString festival = WindowSkin::festivalWord();
    const QImage festivalIcon = festival.isEmpty() ? QImage() : skinPicture(festival + QStringLiteral("图标"));
    if (d.scene && d.iconSprite > 0)
        d.scene->setVisible(d.iconSprite, false);

    for (QObject *unit : d.window->units(UnitKind::GraphicButton)) {
        auto *button = static_cast<GraphicButton *>(unit);
        const QString tag = unitTag(button);
        if (tag == noDressing)
            continue;
        const QImage overlay = !festival.isEmpty() && tag.endsWith(QStringLiteral("导航")) ? festivalIcon : QImage();
        const QImage behind = backgroundBehind(button, d, shapeFill, shapeLine);
        const QImage normal = composeButtonPicture(behind, skinPicture(tag + QStringLiteral("正常图片")), overlay);
        button->setNormalPicture(normal);
        button->setHoverPicture(composeButtonPicture(behind, skinPicture(tag + QStringLiteral("点燃图片")), overlay));
        const QImage pressed = skinPicture(tag + QStringLiteral("按下图片"));
        button->setPressedPicture(pressed.isNull() ? normal : composeButtonPicture(behind, pressed, overlay));
    }

    if (d.scene && d.iconSprite > 0)
        d.scene->setVisible(d.iconSprite, true);
}

void dressControls(const ControlDressing &d)
{
    LayoutWindow *window = d.window;
    for (QObject *unit : window->units(UnitKind::PictureBox)) {
        const QString tag = unitTag(unit);
        if (!tag.isEmpty())
            static_cast<PictureBox *>(unit)->setPicture(skinPicture(tag));
    }

    dressGraphicButtons(d);

    const QColor shapeFill = skinColour(QStringLiteral("外形框背景颜色"));
    const QColor shapeLine = skinColour(QStringLiteral("外形框线条颜色"));
    for (QObject *unit : window->units(UnitKind::ShapeBox)) {
        auto *box = static_cast<ShapeBox *>(unit);
        const QString tag = unitTag(unit);
        if (tag == noDressing)
            continue;
        if (tag != QStringLiteral("N2"))
            box->setFillColour(shapeFill);
        if (tag != QStringLiteral("N1"))
            box->setLineColour(shapeLine);
    }
    for (QObject *unit : window->units(UnitKind::EditBox))
        if (unitTag(unit) != noDressing)
            static_cast<EditBox *>(unit)->setBackgroundColour(shapeFill);
    for (QObject *unit : window->units(UnitKind::Label)) {
        auto *label = static_cast<Label *>(unit);
        const QString tag = unitTag(unit);
        if (tag == QStringLiteral("渐变标签背景颜色"))
            label->setGradientColours(skinColour(tag + QLatin1Char('1')), skinColour(tag + QLatin1Char('2')),
                                      skinColour(tag + QLatin1Char('3')));
        else if (tag != noDressing)
            label->setBackgroundColour(shapeFill);
    }
    for (QObject *unit : window->units(UnitKind::SuperEditBox))
        static_cast<SuperEditBox *>(unit)->setBackgroundColour(shapeFill);
    const QColor windowColour = window->backgroundColour();
    for (QObject *unit : window->units(UnitKind::DrawingBoard))
        if (unitTag(unit) != noDressing)
            static_cast<DrawingBoard *>(unit)->setBackgroundColour(windowColour);
    for (QObject *unit : window->units(UnitKind::StyledMenu)) {
        auto *menu = static_cast<StyledMenu *>(unit);
        const QColor border = skinColour(QStringLiteral("菜单左边框颜色"));
        const QColor selection = skinColour(QStringLiteral("菜单选择颜色"));
        const QColor separator = skinColour(QStringLiteral("菜单分隔条颜色"));
        menu->setBackgroundColour(skinColour(QStringLiteral("菜单背景颜色")));
        menu->setLeftBorderColours(border, border);
        menu->setSelectionColours(selection, selection, selection);
        menu->setSeparatorColours(separator, separator);
    }
}

} // namespace

QImage WindowSkin::copyBackgroundSlice(AnimationBox *source, QWidget *destination, int left, int top, int width,
                                       int height)
{
    if (!source)
        return {};
    const QImage slice = source->snapshotImage(QRect(left, top, width, height));
    if (auto *canvas = qobject_cast<AnimationBox *>(destination))
        canvas->setBackgroundImage(slice);
    else if (auto *box = qobject_cast<PictureBox *>(destination))
        box->setPicture(slice);
    else if (auto *board = qobject_cast<DrawingBoard *>(destination))
        board->drawPicture(slice, 0, 0);
    return slice;
}

void WindowSkin::dressWindow(LayoutWindow *window, AnimationBox *backgroundCanvas, AnimationBox *buttonCanvas,
                             AnimationBox *pageBackgroundCanvas, int left, int top, int width, int height,
                             const QByteArray &backgroundPicture, int transparency, bool isPage,
                             DrawingBoard *pageBoard, const QImage &pageSlice)
{
    if (!window)
        return;
    const int W = window->width();
    const int H = window->height();

    window->setBackgroundColour(skinColour(QStringLiteral("窗口背景颜色")));

    if (!isPage && backgroundCanvas) {
        backgroundCanvas->setGeometry(0, 0, W, H);
        if (pageBackgroundCanvas) {
            pageBackgroundCanvas->setGeometry(left, top, width, height);
            pageBackgroundCanvas->hide();
        }
        if (buttonCanvas)
            buttonCanvas->hide();

        sprites.bindCanvas(backgroundCanvas);
        backgroundCanvas->setBackgroundMode(AnimationBox::BackgroundMode::Stretched);
        if (marker > 0)
            sprites.clearSprites();
        // Every top-level window shows the same picture: it is decoded once for all of them. The
        // last few pictures stay decoded, so going back to one just tried decodes nothing.
        struct Decoded
        {
            QByteArray bytes;
            QImage image;
        };
        static QList<Decoded> recent;
        qsizetype found = 0;
        while (found < recent.size() && recent[found].bytes != backgroundPicture)
            ++found;
        if (found == recent.size()) {
            recent.prepend({backgroundPicture, imageFromBytes(backgroundPicture)});
            if (recent.size() > 3)
                recent.removeLast();
        } else if (found > 0) {
            recent.move(found, 0);
        }
        backgroundCanvas->setBackgroundPicture(backgroundPicture, recent.constFirst().image);
        if (buttonCanvas) {
            // The marker object stays on the button canvas, hidden with it, as the sign of a dressing.
            while (buttonCanvas->objectCount() > 0)
                buttonCanvas->removeObject(buttonCanvas->objectIds().constLast());
            marker = buttonCanvas->addObject(QString(), 0, 0, true);
        } else {
            marker = 1;
        }

        struct Decoration
        {
            const char16_t *sprite, *entry;
            int x, y, width, height, transparency;
        };
        const Decoration decorations[] = {
            {u"背景矩形860", u"矩形", left, top, width, height, transparency},
            {u"横线860_1", u"横线_黑", 0, 0, W, 1, 0},
            {u"横线860_1", u"横线_黑", 0, H - 1, W, 1, 0},
            {u"纵线600_1", u"纵线_黑", 0, 0, 1, H, 0},
            {u"纵线600_1", u"纵线_黑", W - 1, 0, 1, H, 0},
            {u"横线860_1", u"横线_白", 1, 1, W - 2, 1, 35},
            {u"横线860_1", u"横线_白", 1, H - 2, W - 2, 1, 35},
            {u"纵线600_1", u"纵线_白", 1, 1, 1, H - 2, 35},
            {u"纵线600_1", u"纵线_白", W - 2, 1, 1, H - 2, 35},
            {u"图标", u"图标", 5, 4, 20, 20, 0},
        };
        for (const Decoration &d : decorations) {
            const QString entry = QString::fromUtf16(d.entry);
            const int id = sprites.addPictureSprite(QString::fromUtf16(d.sprite), d.x, d.y, d.width, d.height, true,
                                                    getSkinEntry(entry), skinPicture(entry), d.transparency);
            icon = id;
        }
        backgroundCanvas->raise();
    }

    ControlDressing controls;
    controls.window = window;
    controls.backgroundCanvas = backgroundCanvas;
    controls.buttonCanvas = buttonCanvas;
    controls.pageBackgroundCanvas = pageBackgroundCanvas;
    controls.isPage = isPage;
    controls.scene = isPage ? nullptr : &sprites;
    controls.iconSprite = icon;
    dressControls(controls);

    if (isPage && pageBoard) {
        pageBoard->setGeometry(0, 0, width, height);
        pageBoard->lower();
        if (pageBoard->isHidden())
            pageBoard->show();
        pageBoard->clear();
        if (!pageSlice.isNull())
            pageBoard->drawPicture(pageSlice, 0, 0, width, height);
    }

    if (backgroundCanvas)
        backgroundCanvas->lower();
}

QByteArray WindowSkin::getSkinEntry(const QString &name) const
{
    return ::getSkinEntry(name);
}

QString WindowSkin::skinVersion() const
{
    return fromGbk(::getSkinEntry(QStringLiteral("皮肤版本")));
}

QString WindowSkin::skinName() const
{
    return fromGbk(::getSkinEntry(QStringLiteral("皮肤名称")));
}

void WindowSkin::reset()
{
    marker = 0;
    icon = 0;
    sprites.clearSprites();
}

QString WindowSkin::festivalWord()
{
    const QDate today = Clock::today();
    return today.month() == 12 && today.day() == 25 ? QStringLiteral("圣诞") : QString();
}
