#include "ui/styledmenu.h"

#include <QPainter>

namespace {
constexpr int bandWidth = 24;
}

StyledMenu::StyledMenu(QWidget *parent) : QMenu(parent)
{
    applyLook();
}

void StyledMenu::setBackgroundColour(const QColor &colour)
{
    background = colour;
    applyLook();
}

void StyledMenu::setLeftBorderColours(const QColor &band, const QColor &frame)
{
    bandColour = band;
    frameColour = frame;
    applyLook();
}

void StyledMenu::setSelectionColours(const QColor &fill, const QColor &outline, const QColor &band)
{
    selectionFill = fill;
    selectionOutline = outline;
    selectionBand = band;
    applyLook();
}

void StyledMenu::setSeparatorColours(const QColor &line, const QColor &light)
{
    separatorLine = line;
    separatorLight = light;
    applyLook();
}

void StyledMenu::applyLook()
{
    // The band is painted under the items (paintEvent); the style sheet leaves it uncovered.
    const QString sheet = QStringLiteral(
        "QMenu { background: transparent; border: 1px solid %1; padding: 2px 0px; }"
        "QMenu::item { background: transparent; padding: 4px 28px 4px %2px; margin: 0px 2px; color: black; }"
        "QMenu::item:selected { background: %3; border: 1px solid %4; }"
        "QMenu::item:disabled { color: gray; }"
        "QMenu::separator { height: 2px; margin: 3px 4px 3px %5px; background: transparent; }")
        .arg(frameColour.name())
        .arg(bandWidth + 8)
        .arg(selectionFill.name(), selectionOutline.name())
        .arg(bandWidth + 4);
    setStyleSheet(sheet);
    // Sub-menus look like their menu.
    for (QAction *a : actions()) {
        if (auto *sub = qobject_cast<StyledMenu *>(a->menu())) {
            sub->background = background;
            sub->bandColour = bandColour;
            sub->frameColour = frameColour;
            sub->selectionFill = selectionFill;
            sub->selectionOutline = selectionOutline;
            sub->selectionBand = selectionBand;
            sub->separatorLine = separatorLine;
            sub->separatorLight = separatorLight;
            sub->applyLook();
        }
    }
    update();
}

void StyledMenu::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), background);
        painter.fillRect(QRect(1, 1, bandWidth, height() - 2), bandColour);
        for (QAction *a : actions()) {
            const QRect r = actionGeometry(a);
            if (a->isSeparator()) {
                const int y = r.center().y();
                painter.setPen(separatorLine);
                painter.drawLine(bandWidth + 4, y, width() - 5, y);
                painter.setPen(separatorLight);
                painter.drawLine(bandWidth + 4, y + 1, width() - 5, y + 1);
            } else if (a == activeAction() && a->isEnabled()) {
                painter.fillRect(QRect(r.left() + 2, r.top(), bandWidth - 2, r.height()), selectionBand);
            }
        }
    }
    QMenu::paintEvent(event);
}

QAction *StyledMenu::findAction(const QString &path) const
{
    const int slash = path.indexOf(QLatin1Char('/'));
    const QString head = slash < 0 ? path : path.left(slash);
    for (QAction *a : actions()) {
        if (a->isSeparator() || a->text() != head)
            continue;
        if (slash < 0)
            return a;
        if (auto *sub = qobject_cast<StyledMenu *>(a->menu()))
            return sub->findAction(path.mid(slash + 1));
    }
    return nullptr;
}

void StyledMenu::addItems(const QStringList &captions)
{
    for (const QString &caption : captions) {
        if (caption == QStringLiteral("-")) {
            addSeparator();
            continue;
        }
        const int slash = caption.indexOf(QLatin1Char('/'));
        if (slash < 0) {
            addAction(caption)->setObjectName(caption);
            continue;
        }
        const QString head = caption.left(slash);
        StyledMenu *sub = nullptr;
        for (QAction *a : actions())
            if (!a->isSeparator() && a->text() == head)
                sub = qobject_cast<StyledMenu *>(a->menu());
        if (!sub) {
            sub = new StyledMenu(this);
            sub->setTitle(head);
            addMenu(sub);
        }
        sub->addItems({caption.mid(slash + 1)});
    }
    applyLook();
}
