#include "ui/layoutwindow.h"

#include "ui/animationbox.h"
#include "ui/drawingboard.h"
#include "ui/filedialog.h"
#include "ui/listview.h"
#include "ui/printgrid.h"
#include "ui/styledmenu.h"
#include "ui/units.h"

#include <QApplication>
#include <QDebug>
#include <QEventLoop>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace {

QColor colourOption(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return {};
    return QColor(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
}

Qt::Alignment alignmentOption(const QString &text)
{
    if (text == QStringLiteral("right"))
        return Qt::AlignRight | Qt::AlignVCenter;
    if (text == QStringLiteral("center"))
        return Qt::AlignCenter;
    if (text == QStringLiteral("top"))
        return Qt::AlignLeft | Qt::AlignTop;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

void applyTextOptions(QLabel *label, const LayoutUnit &unit)
{
    label->setText(unit.text);
    label->setAlignment(alignmentOption(unit.option(QStringLiteral("align"))));
    label->setWordWrap(unit.hasOption(QStringLiteral("wrap")));
    if (unit.hasOption(QStringLiteral("margin"))) {
        const int margin = unit.option(QStringLiteral("margin")).toInt();
        label->setContentsMargins(margin, 0, margin, 0);
    }
}

void applyFontOptions(QWidget *widget, const LayoutUnit &unit)
{
    if (!unit.hasOption(QStringLiteral("font")) && !unit.hasOption(QStringLiteral("bold")))
        return;
    QFont font = widget->font();
    if (unit.hasOption(QStringLiteral("font")))
        font.setPixelSize(unit.option(QStringLiteral("font")).toInt());
    if (unit.hasOption(QStringLiteral("bold")))
        font.setBold(true);
    widget->setFont(font);
}

} // namespace

LayoutWindow::LayoutWindow(const QString &layoutName, QWidget *parent) : LayoutWindow(loadLayout(layoutName), parent) {}

LayoutWindow::LayoutWindow(const LayoutTable &layoutTable, QWidget *parent) : QWidget(parent), table(layoutTable)
{
    setObjectName(table.name);
    if (!table.page)
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(table.caption);
    if (table.size.isValid())
        resize(table.size);
    if (isValid())
        build();
    // A window without a caption of its own is titled by its title label, so a taskbar shows what
    // the window is and not the program's window class.
    if (!table.page && table.caption.isEmpty())
        if (auto *title = qobject_cast<QLabel *>(byName.value(QStringLiteral("标题标签"))))
            setWindowTitle(title->text());
}

void LayoutWindow::noteMissingUnit(const QString &name, const char *kind)
{
    const QString missing = QStringLiteral("%1: no unit %2 of kind %3").arg(table.name, name, QLatin1String(kind));
    if (table.error.contains(missing))
        return; // two parts of the program look it up
    qWarning().noquote() << missing;
    table.error += (table.error.isEmpty() ? QString() : QStringLiteral("; ")) + missing;
}

QWidget *LayoutWindow::standInHolder()
{
    if (!standIns) {
        standIns = new QWidget(this);
        standIns->hide();
    }
    return standIns;
}

void LayoutWindow::build()
{
    QList<QWidget *> lowered, raised;
    for (const LayoutUnit &unit : std::as_const(table.units)) {
        QWidget *container = this;
        if (!unit.inside.isEmpty())
            container = qobject_cast<QWidget *>(byName.value(unit.inside));
        QObject *created = createUnit(unit, container);
        created->setObjectName(unit.name);
        setUnitKind(created, unit.kind);
        setUnitTag(created, unit.tag);
        if (auto *widget = qobject_cast<QWidget *>(created); widget && unit.kind != UnitKind::StyledMenu) {
            widget->setGeometry(unit.rect);
            applyFontOptions(widget, unit);
            if (unit.hasOption(QStringLiteral("hidden")))
                widget->hide();
            if (unit.hasOption(QStringLiteral("bottom")))
                lowered.append(widget);
            if (unit.hasOption(QStringLiteral("top")))
                raised.append(widget);
        } else {
            setUnitDesignRect(created, unit.rect);
        }
        byName.insert(unit.name, created);
        order.append(created);
    }
    // Later units lie above earlier ones; a unit marked to lie below goes under all its siblings,
    // one marked to lie on top above them.
    for (QWidget *widget : std::as_const(lowered))
        widget->lower();
    for (QWidget *widget : std::as_const(raised))
        widget->raise();
}

QObject *LayoutWindow::createUnit(const LayoutUnit &unit, QWidget *container)
{
    const QColor background = colourOption(unit.option(QStringLiteral("background")));
    const QColor colour = colourOption(unit.option(QStringLiteral("colour")));
    const QStringList items = unit.option(QStringLiteral("items")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    switch (unit.kind) {
    case UnitKind::GraphicButton: {
        auto *button = new GraphicButton(container);
        button->setText(unit.text);
        return button;
    }
    case UnitKind::TransparentLabel: {
        auto *label = new TransparentLabel(container);
        applyTextOptions(label, unit);
        if (colour.isValid())
            label->setTextColour(colour);
        return label;
    }
    case UnitKind::Label: {
        auto *label = new Label(container);
        applyTextOptions(label, unit);
        if (background.isValid())
            label->setBackgroundColour(background);
        if (colour.isValid())
            label->setTextColour(colour);
        return label;
    }
    case UnitKind::EditBox: {
        auto *edit = new EditBox(container);
        edit->setText(unit.text);
        edit->setPasswordMode(unit.hasOption(QStringLiteral("password")));
        if (unit.hasOption(QStringLiteral("align")))
            edit->setAlignment(alignmentOption(unit.option(QStringLiteral("align"))));
        return edit;
    }
    case UnitKind::ShapeBox:
        return new ShapeBox(container);
    case UnitKind::PictureBox: {
        auto *box = new PictureBox(container);
        if (background.isValid())
            box->setBackgroundColour(background);
        return box;
    }
    case UnitKind::DrawingBoard:
        return new DrawingBoard(container);
    case UnitKind::ComboBox: {
        auto *combo = new ComboBox(container);
        combo->addItems(items);
        return combo;
    }
    case UnitKind::DateBox:
        return new DateBox(container);
    case UnitKind::ListView: {
        auto *list = new ListView(container);
        for (const QString &column : unit.option(QStringLiteral("columns")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QStringList parts = column.split(QLatin1Char('/'));
            const QString align = parts.value(2);
            list->addColumn(parts.value(0), parts.value(1).toInt(),
                            align == QStringLiteral("center")  ? Qt::AlignHCenter
                            : align == QStringLiteral("right") ? Qt::AlignRight
                                                               : Qt::AlignLeft);
        }
        return list;
    }
    case UnitKind::SuperEditBox: {
        auto *edit = new SuperEditBox(container);
        edit->setPlainText(unit.text);
        return edit;
    }
    case UnitKind::AnimationBox:
        return new AnimationBox(container);
    case UnitKind::FileDialog:
        return new FileDialog(this);
    case UnitKind::Timer:
        return new Timer(this);
    case UnitKind::Grid:
        return new PrintGrid(this);
    case UnitKind::StyledMenu: {
        auto *menu = new StyledMenu(this);
        menu->addItems(items);
        return menu;
    }
    case UnitKind::DataSource:
    case UnitKind::GenericProvider:
    case UnitKind::DatabaseProvider:
    case UnitKind::None:
        break;
    }
    return new HiddenUnit(this);
}

QList<QObject *> LayoutWindow::units(UnitKind kind) const
{
    QList<QObject *> found;
    for (QObject *u : order)
        if (unitKind(u) == kind)
            found.append(u);
    return found;
}

void LayoutWindow::placeAtCreation(QWidget *mainWindow)
{
    if (table.page && mainWindow && parentWidget() != mainWindow)
        setParent(mainWindow);
    if (table.size.isValid())
        setGeometry(placedRect(table.options, QRect(table.page ? QPoint(0, 0) : pos(), table.size)));
    for (const LayoutUnit &each : std::as_const(table.units)) {
        auto *widget = qobject_cast<QWidget *>(byName.value(each.name));
        if (widget && each.hasOption(QStringLiteral("placed")))
            widget->setGeometry(placedRect(each.options, widget->geometry()));
    }
}

void LayoutWindow::setBackgroundColour(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    setAutoFillBackground(true);
}

QColor LayoutWindow::backgroundColour() const
{
    return palette().color(QPalette::Window);
}

void LayoutWindow::setAlwaysOnTop(bool on)
{
    if (alwaysOnTop() == on)
        return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a window flag hides the window; it comes back where it was.
    if (wasVisible)
        show();
}

bool LayoutWindow::alwaysOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void LayoutWindow::startMove(const QPoint &globalPressPosition)
{
    QWidget *top = window();
    if (top->windowHandle() && top->windowHandle()->startSystemMove())
        return;
    moveOffset = globalPressPosition - top->pos();
    followingMouse = true;
    qApp->installEventFilter(this);
}

void LayoutWindow::moveOnBarePress()
{
    if (auto *canvas = unit<AnimationBox>(QStringLiteral("背景动画框")))
        connect(canvas, &AnimationBox::objectPressed, this, [this](int id, Qt::MouseButton button, const QPoint &at) {
            if (id < 1 && button == Qt::LeftButton)
                startMove(at);
        });
}

bool LayoutWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (followingMouse) {
        if (event->type() == QEvent::MouseMove) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->buttons() & Qt::LeftButton)
                window()->move(mouse->globalPosition().toPoint() - moveOffset);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            followingMouse = false;
            qApp->removeEventFilter(this);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LayoutWindow::execModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    if (!isVisible())
        return;
    QEventLoop loop;
    connect(this, &LayoutWindow::closed, &loop, &QEventLoop::quit);
    loop.exec();
}

void LayoutWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        emit closed();
}
