#pragma once
// The simple unit kinds: buttons drawn from pictures, labels, text boxes, frames and containers,
// drop-down lists and date boxes, the measuring text box, the timer and the units that never show.
#include <QAbstractButton>
#include <QCalendarWidget>
#include <QColor>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// Pictures reach the units as the bytes of an image file (PNG, BMP, JPEG, GIF) or as images.
QImage imageFromBytes(const QByteArray &bytes);
QByteArray imageToBytes(const QImage &image); // PNG bytes; empty for an empty image

// A button drawn from up to three pictures. Without a pressed picture the normal one shows while
// pressed; without any picture it draws a plain face with its caption so an undressed window is
// still usable.
class GraphicButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit GraphicButton(QWidget *parent = nullptr);

    void setNormalPicture(const QImage &picture);
    void setHoverPicture(const QImage &picture);
    void setPressedPicture(const QImage &picture);
    QImage normalPicture() const { return normal; }
    QImage hoverPicture() const { return hover; }
    QImage pressedPicture() const { return pressed; }
    // The picture the button shows in its present state.
    QImage shownPicture() const;
    bool isHovered() const { return hovered; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QImage normal, hover, pressed;
    bool hovered = false;
};

// A text drawn over whatever lies behind it. Reports presses, which drag windows and choose tabs.
class TransparentLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TransparentLabel(QWidget *parent = nullptr);
    void setTextColour(const QColor &colour);
    QColor textColour() const;

signals:
    void pressed(Qt::MouseButton button, const QPoint &globalPosition);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    // A one-line text wider than the label (a large total) shows whole as a tip.
    bool event(QEvent *event) override;
};

// A one-line label with a background colour of its own; with gradient colours set it paints a
// vertical gradient through the three of them instead.
class Label : public QLabel
{
    Q_OBJECT
public:
    explicit Label(QWidget *parent = nullptr);
    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const;
    void setTextColour(const QColor &colour);
    QColor textColour() const;
    void setGradientColours(const QColor &first, const QColor &second, const QColor &third);
    QList<QColor> gradientColours() const { return gradient; }

signals:
    void pressed(Qt::MouseButton button, const QPoint &globalPosition);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QList<QColor> gradient;
};

// A one-line text box without a frame of its own: the shape box around it is its frame.
class EditBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit EditBox(QWidget *parent = nullptr);
    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const;
    void setTextColour(const QColor &colour);
    QColor textColour() const;
    void setPasswordMode(bool on);
    bool passwordMode() const { return echoMode() == QLineEdit::Password; }
};

// A rectangle with a one-pixel line and a fill; the frame that holds a text box or a drop-down.
class ShapeBox : public QWidget
{
    Q_OBJECT
public:
    explicit ShapeBox(QWidget *parent = nullptr);
    void setLineColour(const QColor &colour);
    void setFillColour(const QColor &colour);
    QColor lineColour() const { return line; }
    QColor fillColour() const { return fill; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor line = Qt::black;
    QColor fill = Qt::white;
};

// A container with a background colour, or a picture drawn at its top-left corner.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const { return background; }
    void setPicture(const QImage &picture);
    QImage picture() const { return shown; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor background;
    QImage shown;
};

// A drop-down list. On the styled pages it lies hidden and a proxy (an arrow button or a label)
// opens it; choosing an item reports it as usual.
class ComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ComboBox(QWidget *parent = nullptr);
    void openDropDown();
};

// A date and time value shown as YYYY-MM-DD, with a calendar that drops down on request. The
// calendar also opens while the box itself is hidden behind its proxy label: it then hangs below
// the box's container.
class DateBox : public QDateTimeEdit
{
    Q_OBJECT
public:
    explicit DateBox(QWidget *parent = nullptr);
    void openCalendar();
    bool calendarOpen() const;
    QCalendarWidget *calendar() const { return calendarWidget; }

private:
    // Both clear themselves when the popup goes: a slot on its destruction would run while the
    // box itself is being destroyed, since the popup is its child.
    QPointer<QWidget> popup;
    QPointer<QCalendarWidget> calendarWidget;
};

// A multi-line text box; the view page keeps one hidden to find how a cell text wraps at its width.
class SuperEditBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit SuperEditBox(QWidget *parent = nullptr);
    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const;
    // The lines the text breaks into at the width of the box, in the box's font.
    QStringList wrappedLines(const QString &text) const;
};

// A timer whose interval 0 means stopped, as the windows use it.
class Timer : public QTimer
{
    Q_OBJECT
public:
    explicit Timer(QObject *parent = nullptr);
    // Starts the timer with the interval in milliseconds, or stops it for 0 or less.
    void setTickInterval(int milliseconds);
    int tickInterval() const { return isActive() ? interval() : 0; }
};

// A unit that has a place in its window's layout but never shows: the data source and providers
// of the printable grid. The file dialogs, the timer and the grid carry the same design rectangle.
class HiddenUnit : public QObject
{
    Q_OBJECT
public:
    explicit HiddenUnit(QObject *parent = nullptr) : QObject(parent) {}
};
