#pragma once
// A canvas that keeps what is drawn on it: pictures, filled rectangles and lines. The page
// background boards and the list-stripe boards are drawing boards.
#include <QImage>
#include <QWidget>

class DrawingBoard : public QWidget
{
    Q_OBJECT
public:
    explicit DrawingBoard(QWidget *parent = nullptr);

    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const { return background; }
    // Paints the whole board in its background colour.
    void clear();
    void fillRect(const QRect &rect, const QColor &colour);
    // Draws the picture at (x, y); a width or height of 0 or less keeps the picture's own.
    void drawPicture(const QImage &picture, int x, int y, int width = 0, int height = 0);
    void setPenStyle(Qt::PenStyle style);
    Qt::PenStyle penStyle() const { return pen; }
    void drawLine(const QPoint &from, const QPoint &to, const QColor &colour);
    // What the board shows, the size of the board.
    QImage picture() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The surface follows the board's size, also while the board is hidden and gets no resize events.
    QImage &fitSurface() const;
    mutable QImage surface;
    QColor background;
    Qt::PenStyle pen = Qt::SolidLine;
};
