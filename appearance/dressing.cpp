#include "appearance/dressing.h"

#include "appearance/skinfile.h"
#include "common/numbers.h"
#include "common/settings.h"
#include "common/settingkeys.h"
#include "resources/artwork.h"
#include "ui/animationbox.h"
#include "ui/drawingboard.h"
#include "ui/layoutwindow.h"
#include "ui/listview.h"
#include "ui/units.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QTimer>

#include <cmath>
#include <malloc.h>

namespace {

const QString backgroundCanvasName = QStringLiteral("背景动画框");
const QString buttonCanvasName = QStringLiteral("按钮动画框");
const QString pageCanvasName = QStringLiteral("子窗口背景动画框");
const QString pageBoardName = QStringLiteral("子窗口背景画板");
const QString highlightName = QStringLiteral("选中动画");
const QRect pageArea(2, 116, 856, 460);
const QColor separatorColour(118, 118, 118);

QHash<int, QPointer<LayoutWindow>> &registry()
{
    static QHash<int, QPointer<LayoutWindow>> windows;
    return windows;
}

QHash<QObject *, WindowSkin *> &skins()
{
    static QHash<QObject *, WindowSkin *> table;
    return table;
}

QHash<QObject *, std::function<void()>> &afterDressings()
{
    static QHash<QObject *, std::function<void()>> table;
    return table;
}

void dressed(LayoutWindow *window)
{
    const auto it = afterDressings().constFind(window);
    if (it != afterDressings().constEnd() && *it)
        (*it)();
}

AnimationBox *canvasOf(LayoutWindow *window, const QString &name)
{
    return window ? window->unit<AnimationBox>(name) : nullptr;
}

QByteArray fileBytes(const QString &path)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The common part of every page dressing; false when the page or the main window is not loaded.
bool dressPage(DressedWindow role)
{
    LayoutWindow *page = registeredWindow(role);
    LayoutWindow *main = registeredWindow(DressedWindow::Main);
    if (!page || !main)
        return false;
    const AppearanceState &state = appearanceState();
    skinOf(page).dressWindow(page, canvasOf(main, backgroundCanvasName), canvasOf(main, buttonCanvasName),
                             canvasOf(main, pageCanvasName), pageArea.left(), pageArea.top(), page->width(),
                             page->height(), state.backgroundPicture, state.transparency, true,
                             page->unit<DrawingBoard>(pageBoardName), state.pageSlice);
    return true;
}

void drawSeparators(LayoutWindow *page, const QList<QLine> &lines)
{
    auto *board = page->unit<DrawingBoard>(pageBoardName);
    if (!board)
        return;
    board->setPenStyle(Qt::DotLine);
    for (const QLine &line : lines)
        board->drawLine(line.p1(), line.p2(), separatorColour);
}

} // namespace

AppearanceState &appearanceState()
{
    static AppearanceState state;
    return state;
}

void registerWindow(DressedWindow role, LayoutWindow *window)
{
    registry().insert(int(role), window);
}

LayoutWindow *registeredWindow(DressedWindow role)
{
    return registry().value(int(role));
}

WindowSkin &skinOf(LayoutWindow *window)
{
    WindowSkin *&skin = skins()[window];
    if (!skin) {
        skin = new WindowSkin;
        QObject::connect(window, &QObject::destroyed, [window] { delete skins().take(window); });
    }
    return *skin;
}

void whenDressed(LayoutWindow *window, std::function<void()> afterDressing)
{
    if (!window)
        return;
    if (!afterDressings().contains(window))
        QObject::connect(window, &QObject::destroyed, [window] { afterDressings().remove(window); });
    afterDressings().insert(window, std::move(afterDressing));
}

int readTransparencySetting()
{
    return int(std::trunc(textToNumber(readSetting(SettingKey::skinSection, SettingKey::transparency))));
}

QByteArray chooseStartupBackground()
{
    if (readSetting(SettingKey::skinSection, SettingKey::background).isEmpty())
        writeSetting(SettingKey::skinSection, SettingKey::background, QStringLiteral("1"));
    const QString festival = WindowSkin::festivalWord();
    if (!festival.isEmpty())
        return getSkinEntry(festival + QStringLiteral("图片1"));
    const int n = int(std::trunc(textToNumber(readSetting(SettingKey::skinSection, SettingKey::background))));
    if (n >= 1)
        return getSkinEntry(QStringLiteral("背景图片%1").arg(n));
    if (n < 0)
        return fileBytes(readSetting(SettingKey::skinSection, SettingKey::ownPicture.arg(-n)));
    const int m = int(std::trunc(textToNumber(readSetting(SettingKey::skinSection, SettingKey::plainColour))));
    if (m > 0)
        return getSkinEntry(QStringLiteral("纯色图片%1").arg(m));
    return {};
}

void loadStartupAppearance()
{
    AppearanceState &state = appearanceState();
    state.transparency = readTransparencySetting();
    state.backgroundPicture = chooseStartupBackground();
}

int createNavigationHighlight(AnimationBox *canvas)
{
    if (!canvas)
        return 0;
    for (int old = canvas->findObject(highlightName); old > 0; old = canvas->findObject(highlightName))
        canvas->removeObject(old);
    const int id = canvas->addObject(highlightName, 200, 110, false);
    QFile picture(highlightPicturePath);
    if (picture.open(QIODevice::ReadOnly))
        canvas->setObjectPicture(id, picture.readAll());
    canvas->setObjectTransparentColour(id, QColor(255, 255, 255));
    canvas->setObjectFrameDelay(id, -1, 500);
    canvas->setObjectTransparency(id, 10);
    return id;
}

void dressMainWindow()
{
    LayoutWindow *main = registeredWindow(DressedWindow::Main);
    if (!main)
        return;
    AnimationBox *background = canvasOf(main, backgroundCanvasName);
    AnimationBox *pageCanvas = canvasOf(main, pageCanvasName);
    // The dressing clears the canvas, the navigation highlight with it; it comes back where it was.
    QPoint highlightPlace(200, 110);
    bool highlightShown = false;
    if (background) {
        const int old = background->findObject(highlightName);
        if (old > 0) {
            highlightPlace = background->objectPosition(old);
            highlightShown = background->objectVisible(old);
        }
    }
    AppearanceState &state = appearanceState();
    WindowSkin &skin = skinOf(main);
    skin.dressWindow(main, background, canvasOf(main, buttonCanvasName), pageCanvas, pageArea.left(), pageArea.top(),
                     pageArea.width(), pageArea.height(), state.backgroundPicture, state.transparency, false);
    state.pageSlice = skin.copyBackgroundSlice(background, pageCanvas, pageArea.left(), pageArea.top(),
                                               pageArea.width(), pageArea.height());
    const int highlight = createNavigationHighlight(background);
    if (highlight > 0) {
        background->moveObject(highlight, highlightPlace.x(), highlightPlace.y());
        background->setObjectVisible(highlight, highlightShown);
    }
    dressed(main);
}

void dressDialog(LayoutWindow *dialog)
{
    if (!dialog)
        return;
    const AppearanceState &state = appearanceState();
    skinOf(dialog).dressWindow(dialog, canvasOf(dialog, backgroundCanvasName), canvasOf(dialog, buttonCanvasName),
                               canvasOf(dialog, pageCanvasName), 0, 50, dialog->width(), dialog->height() - 74,
                               state.backgroundPicture, state.transparency, false);
    dressed(dialog);
}

void dressViewPage()
{
    if (!dressPage(DressedWindow::View))
        return;
    LayoutWindow *page = registeredWindow(DressedWindow::View);
    LayoutWindow *main = registeredWindow(DressedWindow::Main);
    // The three bars show the background that lies behind them. Their buttons were composed at
    // their places inside the bars already, so they need not be moved out of the way.
    if (auto *bar = page->unit<PictureBox>(QStringLiteral("登录界面框"))) {
        const QRect place = bar->geometry();
        const QImage behind = skinOf(page).copyBackgroundSlice(canvasOf(main, pageCanvasName), bar, place.left(),
                                                               place.top(), place.width(), place.height());
        for (const QString &name : {QStringLiteral("统计界面框1"), QStringLiteral("统计界面框2")})
            if (auto *other = page->unit<PictureBox>(name))
                other->setPicture(behind);
    }
    drawSeparators(page, {QLine(0, 36, 856, 36), QLine(0, 421, 856, 421), QLine(720, 4, 720, 32)});
    dressed(page);
}

void dressEntryPage()
{
    if (!dressPage(DressedWindow::Entry))
        return;
    drawSeparators(registeredWindow(DressedWindow::Entry), {QLine(0, 196, 856, 196), QLine(0, 459, 856, 459)});
    dressed(registeredWindow(DressedWindow::Entry));
}

void dressBackupPage()
{
    if (dressPage(DressedWindow::Backup))
        dressed(registeredWindow(DressedWindow::Backup));
}

void dressUserPage()
{
    if (dressPage(DressedWindow::User))
        dressed(registeredWindow(DressedWindow::User));
}

void dressStatisticsPage()
{
    if (!dressPage(DressedWindow::Statistics))
        return;
    LayoutWindow *page = registeredWindow(DressedWindow::Statistics);
    AnimationBox *slice = canvasOf(registeredWindow(DressedWindow::Main), pageCanvasName);
    if (!slice)
        return;
    static SpriteScene logos;
    logos.bindCanvas(slice);
    QFile file(logoPicturePath);
    const QByteArray logo = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QString name = QStringLiteral("理财标识");
    for (int x : {20, 320, 620})
        logos.addButtonSprite(name, x, 28, 48, 48, true, logo, {}, {});
    for (int i = 1; i <= 12; ++i) {
        const int c = (i - 1) % 3, r = (i - 1) / 3;
        logos.addButtonSprite(name, 10 + 290 * c, 150 + 75 * r, 28, 28, true, logo, {}, {});
    }
    AppearanceState &state = appearanceState();
    state.statisticsBackground = slice->snapshotImage(QRect(0, 0, 856, 460));
    logos.clearSprites();
    auto *board = page->unit<DrawingBoard>(pageBoardName);
    if (board)
        board->drawPicture(state.statisticsBackground, 0, 0);
    QList<QLine> lines{QLine(3, 98, 854, 98), QLine(3, 428, 854, 428)};
    for (int i = 1; i <= 12; ++i) {
        const int x = 10 + 290 * ((i - 1) % 3), y = 150 + 75 * ((i - 1) / 3);
        lines.append(QLine(x + 90, y + 16, x + 260, y + 16));
    }
    drawSeparators(page, lines);
    dressed(page);
}

void dressSkinPage()
{
    if (!dressPage(DressedWindow::Skin))
        return;
    LayoutWindow *page = registeredWindow(DressedWindow::Skin);
    AnimationBox *gallery = canvasOf(page, pageCanvasName);
    AnimationBox *slice = canvasOf(registeredWindow(DressedWindow::Main), pageCanvasName);
    if (gallery && slice)
        gallery->setBackgroundImage(slice->backgroundImage());
    dressed(page);
}

static void trimWorkingSetWhenIdle()
{
    // The pictures a re-dressing freed go back to the system once the person has stopped changing
    // the look: a trim after every change would make the next one fault all of them in again.
    static QTimer *timer = [] {
        auto *t = new QTimer(QCoreApplication::instance());
        t->setSingleShot(true);
        t->setInterval(3000);
        QObject::connect(t, &QTimer::timeout, [] { malloc_trim(0); });
        return t;
    }();
    timer->start();
}

void redressAllWindows(int transparency)
{
    QWidget *waitLabel = nullptr;
    if (LayoutWindow *skinPage = registeredWindow(DressedWindow::Skin))
        waitLabel = skinPage->unit<QWidget>(QStringLiteral("等待标签"));
    if (waitLabel) {
        waitLabel->show();
        waitLabel->raise();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    appearanceState().transparency = transparency;

    QList<QPair<QWidget *, bool>> lists;
    const QPair<DressedWindow, QString> listNames[] = {{DressedWindow::View, QStringLiteral("理财列表框")},
                                                        {DressedWindow::Entry, QStringLiteral("添加理财列表框")}};
    for (const auto &[role, name] : listNames) {
        if (LayoutWindow *page = registeredWindow(role)) {
            if (auto *list = page->unit<QWidget>(name)) {
                lists.append({list, !list->isHidden()});
                list->hide();
            }
        }
    }

    dressMainWindow();
    dressViewPage();
    dressEntryPage();
    dressBackupPage();
    dressStatisticsPage();
    dressUserPage();
    dressSkinPage();
    for (DressedWindow role : {DressedWindow::NewUser, DressedWindow::Help, DressedWindow::Chart})
        if (LayoutWindow *dialog = registeredWindow(role))
            dressDialog(dialog);

    for (const auto &[list, shown] : lists)
        list->setVisible(shown);
    if (waitLabel)
        waitLabel->hide();
    trimWorkingSetWhenIdle();
}
