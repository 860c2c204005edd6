#include "ui/units.h"

#include "ui/unit.h"

#include <QApplication>
#include <QBuffer>
#include <QCalendarWidget>
#include <QEnterEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QTextLayout>
#include <QVBoxLayout>

QImage imageFromBytes(const QByteArray &bytes)
{
    QImage image;
    if (!bytes.isEmpty())
        image.loadFromData(bytes);
    return image;
}

QByteArray imageToBytes(const QImage &image)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

namespace {

void setPaletteColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(role, colour);
    widget->setPalette(p);
}

} // namespace

// ---------------------------------------------------------------------------------------------

GraphicButton::GraphicButton(QWidget *parent) : QAbstractButton(parent)
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void GraphicButton::setNormalPicture(const QImage &picture)
{
    normal = picture;
    update();
}

void GraphicButton::setHoverPicture(const QImage &picture)
{
    hover = picture;
    update();
}

void GraphicButton::setPressedPicture(const QImage &picture)
{
    pressed = picture;
    update();
}

QImage GraphicButton::shownPicture() const
{
    if (isDown() && !pressed.isNull())
        return pressed;
    if ((isDown() || hovered) && !hover.isNull())
        return hover;
    return normal;
}

void GraphicButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage picture = shownPicture();
    if (!picture.isNull()) {
        painter.drawImage(0, 0, picture);
        return;
    }
    // Undressed: a plain face, so the window can be looked at and used before the skin comes.
    QColor face = palette().color(QPalette::Button);
    if (isDown())
        face = face.darker(115);
    else if (hovered)
        face = face.lighter(108);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    // The caption, or the tag that names the button's pictures, when it fits.
    QString caption = text();
    if (caption.isEmpty()) {
        caption = unitTag(this);
        if (caption == QStringLiteral("N"))
            caption.clear();
        if (caption.endsWith(QStringLiteral("导航")))
            caption.chop(2);
    }
    if (fontMetrics().horizontalAdvance(caption) <= width() - 2) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, caption);
    }
}

void GraphicButton::enterEvent(QEnterEvent *event)
{
    hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void GraphicButton::leaveEvent(QEvent *event)
{
    hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// ---------------------------------------------------------------------------------------------

TransparentLabel::TransparentLabel(QWidget *parent) : QLabel(parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
}

void TransparentLabel::setTextColour(const QColor &colour)
{
    setPaletteColour(this, QPalette::WindowText, colour);
}

QColor TransparentLabel::textColour() const
{
    return palette().color(QPalette::WindowText);
}

void TransparentLabel::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button(), event->globalPosition().toPoint());
    QLabel::mousePressEvent(event);
}

bool TransparentLabel::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip || wordWrap() || textFormat() == Qt::RichText || !toolTip().isEmpty())
        return QLabel::event(event);
    const QString shown = text();
    if (!shown.isEmpty() && fontMetrics().horizontalAdvance(shown) > contentsRect().width())
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), shown, this);
    else
        QToolTip::hideText();
    return true;
}

// ---------------------------------------------------------------------------------------------

Label::Label(QWidget *parent) : QLabel(parent)
{
    setAutoFillBackground(true);
}

void Label::setBackgroundColour(const QColor &colour)
{
    gradient.clear();
    setPaletteColour(this, QPalette::Window, colour);
}

QColor Label::backgroundColour() const
{
    return palette().color(QPalette::Window);
}

void Label::setTextColour(const QColor &colour)
{
    setPaletteColour(this, QPalette::WindowText, colour);
}

QColor Label::textColour() const
{
    return palette().color(QPalette::WindowText);
}

void Label::setGradientColours(const QColor &first, const QColor &second, const QColor &third)
{
    gradient = {first, second, third};
    update();
}

void Label::paintEvent(QPaintEvent *event)
{
    if (gradient.size() == 3) {
        QPainter painter(this);
        QLinearGradient fill(0, 0, 0, height());
        fill.setColorAt(0, gradient[0]);
        fill.setColorAt(0.5, gradient[1]);
        fill.setColorAt(1, gradient[2]);
        painter.fillRect(rect(), fill);
    }
    QLabel::paintEvent(event);
}

void Label::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button(), event->globalPosition().toPoint());
    QLabel::mousePressEvent(event);
}

// ---------------------------------------------------------------------------------------------

EditBox::EditBox(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setAutoFillBackground(true);
}

void EditBox::setBackgroundColour(const QColor &colour)
{
    setPaletteColour(this, QPalette::Base, colour);
}

QColor EditBox::backgroundColour() const
{
    return palette().color(QPalette::Base);
}

void EditBox::setTextColour(const QColor &colour)
{
    setPaletteColour(this, QPalette::Text, colour);
}

QColor EditBox::textColour() const
{
    return palette().color(QPalette::Text);
}

void EditBox::setPasswordMode(bool on)
{
    setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
}

// ---------------------------------------------------------------------------------------------

ShapeBox::ShapeBox(QWidget *parent) : QWidget(parent) {}

void ShapeBox::setLineColour(const QColor &colour)
{
    line = colour;
    update();
}

void ShapeBox::setFillColour(const QColor &colour)
{
    fill = colour;
    update();
}

void ShapeBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), fill);
    painter.setPen(line);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------------------------

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    background = palette().color(QPalette::Window);
}

void PictureBox::setBackgroundColour(const QColor &colour)
{
    background = colour;
    update();
}

void PictureBox::setPicture(const QImage &picture)
{
    shown = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), background);
    if (!shown.isNull())
        painter.drawImage(0, 0, shown);
}

// ---------------------------------------------------------------------------------------------

namespace {

// A combo box's list drops down as a list of at most maxVisibleItems rows that scrolls. Some
// styles (Fusion among them) otherwise drop down every item at once, a list taller than the screen.
class ScrollingListStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *answer) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

} // namespace

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    static QPointer<ScrollingListStyle> shared;
    if (!shared) {
        shared = new ScrollingListStyle;
        shared->setParent(qApp);
    }
    setStyle(shared);
}

void ComboBox::openDropDown()
{
    showPopup();
}

// ---------------------------------------------------------------------------------------------

DateBox::DateBox(QWidget *parent) : QDateTimeEdit(parent)
{
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    setCalendarPopup(false);
}

void DateBox::openCalendar()
{
    if (!popup) {
        popup = new QWidget(this, Qt::Popup);
        popup->setAttribute(Qt::WA_DeleteOnClose);
        popup->setWindowTitle(QStringLiteral("月历"));
        auto *layout = new QVBoxLayout(popup);
        layout->setContentsMargins(1, 1, 1, 1);
        calendarWidget = new QCalendarWidget(popup);
        calendarWidget->setGridVisible(true);
        // Month and weekday names in Chinese, whatever the system's language.
        calendarWidget->setLocale(QLocale(QLocale::Chinese, QLocale::China));
        calendarWidget->setFirstDayOfWeek(Qt::Monday);
        calendarWidget->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        // Qt's typed-date editing misreads the Chinese date form and shows months like
        // -2147483648; the calendar is for picking, the box itself takes typed dates.
        calendarWidget->setDateEditEnabled(false);
        layout->addWidget(calendarWidget);
        connect(calendarWidget, &QCalendarWidget::clicked, this, [this](QDate day) {
            setDate(day);
            if (popup)
                popup->close();
        });
        connect(calendarWidget, &QCalendarWidget::activated, this, [this](QDate day) {
            setDate(day);
            if (popup)
                popup->close();
        });
    }
    calendarWidget->setSelectedDate(date());
    // Hidden behind a proxy label the box has no place on the screen of its own; its container
    // has, so the calendar hangs below the container.
    const QWidget *anchor = isVisible() || !parentWidget() ? this : parentWidget();
    QPoint below = anchor->mapToGlobal(QPoint(0, anchor->height()));
    popup->adjustSize();
    if (const QScreen *screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        if (below.y() + popup->height() > area.bottom())
            below.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - popup->height());
        below.setX(qBound(area.left(), below.x(), qMax(area.left(), area.right() - popup->width())));
    }
    popup->move(below);
    popup->show();
    calendarWidget->setFocus();
}

bool DateBox::calendarOpen() const
{
    return popup && popup->isVisible();
}

// ---------------------------------------------------------------------------------------------

SuperEditBox::SuperEditBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setAutoFillBackground(true);
}

void SuperEditBox::setBackgroundColour(const QColor &colour)
{
    setPaletteColour(this, QPalette::Base, colour);
}

QColor SuperEditBox::backgroundColour() const
{
    return palette().color(QPalette::Base);
}

QStringList SuperEditBox::wrappedLines(const QString &text) const
{
    // The width the box's own text area offers: the box less its frame and the document margin.
    const qreal margin = document()->documentMargin();
    const qreal lineWidth = qMax<qreal>(1, width() - 2 * frameWidth() - 2 * margin);
    QStringList lines;
    const QStringList paragraphs = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

// ---------------------------------------------------------------------------------------------

Timer::Timer(QObject *parent) : QTimer(parent) {}

void Timer::setTickInterval(int milliseconds)
{
    if (milliseconds <= 0) {
        stop();
        return;
    }
    start(milliseconds);
}
