#include "ui/drawingboard.h"

#include <QPainter>

DrawingBoard::DrawingBoard(QWidget *parent) : QWidget(parent)
{
    background = palette().color(QPalette::Window);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingBoard::setBackgroundColour(const QColor &colour)
{
    background = colour;
}

void DrawingBoard::clear()
{
    fitSurface().fill(background);
    update();
}

void DrawingBoard::fillRect(const QRect &rect, const QColor &colour)
{
    QPainter painter(&fitSurface());
    painter.fillRect(rect, colour);
    update(rect);
}

void DrawingBoard::drawPicture(const QImage &picture, int x, int y, int width, int height)
{
    if (picture.isNull())
        return;
    QPainter painter(&fitSurface());
    const QRect target(x, y, width > 0 ? width : picture.width(), height > 0 ? height : picture.height());
    painter.drawImage(target, picture);
    update(target);
}

void DrawingBoard::setPenStyle(Qt::PenStyle style)
{
    pen = style;
}

void DrawingBoard::drawLine(const QPoint &from, const QPoint &to, const QColor &colour)
{
    QPainter painter(&fitSurface());
    painter.setPen(QPen(colour, 1, pen));
    painter.drawLine(from, to);
    update();
}

void DrawingBoard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, fitSurface());
}

void DrawingBoard::resizeEvent(QResizeEvent *)
{
    fitSurface();
}

QImage DrawingBoard::picture() const
{
    return fitSurface();
}

QImage &DrawingBoard::fitSurface() const
{
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (surface.size() == wanted)
        return surface;
    // A resized board keeps what was drawn; new area shows the background colour.
    QImage resized(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    resized.fill(background);
    if (!surface.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, surface);
    }
    surface = resized;
    return surface;
}
