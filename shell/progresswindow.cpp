#include "progresswindow.h"

#include "shelldressing.h"

#include "common/log.h"
#include "ui/layoutwindow.h"
#include "ui/units.h"

#include <QApplication>
#include <QScreen>

namespace {

constexpr int showAfterMs = 400;
constexpr int repaintEveryMs = 50;

struct ProgressUnits
{
    TransparentLabel *what, *count;
    ShapeBox *frame;
    Label *bar;
    GraphicButton *cancel;
    static ProgressUnits bind(LayoutWindow &window)
    {
        return {window.requiredUnit<TransparentLabel>(QStringLiteral("进度内容标签")),
                window.requiredUnit<TransparentLabel>(QStringLiteral("进度数字标签")),
                window.requiredUnit<ShapeBox>(QStringLiteral("进度外形框")),
                window.requiredUnit<Label>(QStringLiteral("进度条标签")),
                window.requiredUnit<GraphicButton>(QStringLiteral("取消按钮"))};
    }
};

// While the window shows, input meant for any other window is dropped: the work is running under
// those windows, and a click there would start other work inside it.
class InputGate : public QObject
{
public:
    explicit InputGate(LayoutWindow *window) : QObject(window), window(window) { qApp->installEventFilter(this); }
    ~InputGate() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::Close:
            break;
        default:
            return false;
        }
        // A message or question of the work, shown while the window stands aside, takes its input.
        if (!window->isVisible())
            return false;
        // The window system's close of any window waits for the work; the program's own closes pass.
        if (event->type() == QEvent::Close)
            return event->spontaneous();
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget)
            return event->type() == QEvent::Shortcut;
        return widget->window() != window;
    }

private:
    LayoutWindow *window;
};

} // namespace

void ProgressReport::begin(const QString &what, qint64 total, bool cancellable)
{
    if (levels.isEmpty()) {
        started.start();
        sinceRepaint.start();
        cancelled = false;
    }
    levels.append({what, total, cancellable, 0});
    qCInfo(logShell).noquote() << "working:" << what;
    if (shown)
        showLevel();
}

bool ProgressReport::step(qint64 done)
{
    if (levels.isEmpty())
        return true;
    levels.last().done = done;
    const bool going = !(cancelled && levels.last().cancellable);
    if (sinceRepaint.elapsed() < repaintEveryMs)
        return going;
    if (!shown && started.elapsed() >= showAfterMs)
        showWindow();
    if (shown) {
        if (!shown->isVisible())
            shown->show();
        showLevel();
    }
    QCoreApplication::processEvents(shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    sinceRepaint.start();
    return !(cancelled && levels.last().cancellable);
}

void ProgressReport::end()
{
    if (levels.isEmpty())
        return;
    levels.removeLast();
    if (!levels.isEmpty()) {
        if (shown)
            showLevel();
        return;
    }
    if (shown) {
        shown->hide();
        resetDressing(shown);
        delete shown;
    }
}

void ProgressReport::stepAside()
{
    if (shown)
        shown->hide();
}

void ProgressReport::showWindow()
{
    auto *window = new LayoutWindow(QStringLiteral("progress"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->placeAtCreation();
    dressDialogWindow(window);
    window->setWindowTitle(QStringLiteral("请稍候"));
    const ProgressUnits units = ProgressUnits::bind(*window);
    QObject::connect(units.cancel, &GraphicButton::clicked, window, [this, units] {
        cancelled = true;
        units.cancel->setEnabled(false);
        units.what->setText(QStringLiteral("正在取消……"));
    });
    new InputGate(window);
    window->moveOnBarePress();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    window->setWindowModality(Qt::ApplicationModal);
    shown = window;
    window->show();
    window->raise();
}

void ProgressReport::showLevel()
{
    const ProgressUnits units = ProgressUnits::bind(*shown);
    const Level &level = levels.last();
    units.cancel->setVisible(level.cancellable);
    if (!cancelled || !level.cancellable)
        units.what->setText(level.what);
    const int inner = units.frame->width() - 2;
    if (level.total > 0) {
        const qint64 done = qBound<qint64>(0, level.done, level.total);
        units.bar->setGeometry(1, 1, int(inner * done / level.total), units.frame->height() - 2);
        // Counts of records show as counts; shares of a whole (thousandths) as a percentage.
        const QString share = QString::number(done * 100 / level.total) + u'%';
        units.count->setText(level.total == 1000 ? QStringLiteral("已完成 ") + share
                                                 : QStringLiteral("已完成 %1 / %2 条（%3）")
                                                       .arg(done)
                                                       .arg(level.total)
                                                       .arg(share));
    } else {
        // The end is not known: a short piece of bar runs across and starts again.
        const int piece = inner / 5;
        const int at = int((started.elapsed() / 10) % (inner + piece)) - piece;
        const int left = qMax(0, at);
        units.bar->setGeometry(1 + left, 1, qMax(0, qMin(at + piece, inner) - left), units.frame->height() - 2);
        units.count->setText(QStringLiteral("已用时 %1 秒").arg(started.elapsed() / 1000));
    }
}

ProgressReport &progressReport()
{
    static ProgressReport report;
    return report;
}
