#include "mainwindow.h"

#include "helpwindow.h"
#include "messagewindows.h"
#include "shelldressing.h"
#include "singleinstance.h"

#include "appearance/liststyle.h"
#include "appearance/skinfile.h"
#include "common/clock.h"
#include "common/datetext.h"
#include "common/program.h"
#include "common/files.h"
#include "common/settings.h"
#include "exchange/backup.h"
#include "exchange/migration.h"
#include "reminder/reminderdatacheck.h"
#include "resources/artwork.h"
#include "ui/animationbox.h"
#include "ui/drawingboard.h"
#include "ui/listview.h"
#include "ui/styledmenu.h"
#include "ui/units.h"
#include "users/userdirectory.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QMessageBox>
#include <QMoveEvent>
#include <QScreen>
#include <QSystemTrayIcon>

#include <malloc.h>

const QUrl MainWindow::homePage(QStringLiteral("https://www.tavrix.com/"));
const QUrl MainWindow::sinaMicroblog(QStringLiteral("https://weibo.com/tavrix"));
const QUrl MainWindow::tencentMicroblog(QStringLiteral("https://t.qq.com/tavrix"));

namespace {

const QString registryKey = QStringLiteral("Software\\tavrix\\kelm\\");
const QString highlightName = QStringLiteral("选中动画");

// Takes the left presses on the splash. It is the splash's child, so it goes with it and never
// sees the splash half destroyed.
class SplashPresses : public QObject
{
public:
    SplashPresses(QObject *splash, std::function<void()> action) : QObject(splash), action(std::move(action)) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress || static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            return false;
        action();
        return true;
    }

private:
    std::function<void()> action;
};

struct PageEntry
{
    const char *layout;
    ShellWindow role;
};
// In the order they are loaded and dressed.
const PageEntry pageOrder[] = {
    {"view", ShellWindow::View},   {"entry", ShellWindow::Entry}, {"backup", ShellWindow::Backup},
    {"statistics", ShellWindow::Statistics}, {"user", ShellWindow::User}, {"skin", ShellWindow::Skin},
};

// Page names and the navigation button the highlight goes under ("" hides it).
struct PageName
{
    const char *name;
    const char *layout;
    const char *button;
};
const PageName pageNames[] = {
    {"查看", "view", "列表按钮"},   {"添加", "entry", "添加按钮"},      {"修改", "entry", "修改按钮"},
    {"备份", "backup", "备份按钮"}, {"统计", "statistics", "统计按钮"}, {"用户", "user", "用户按钮"},
    {"皮肤", "skin", ""},
};

} // namespace

MainWindow::MainWindow(QWidget *parent) : LayoutWindow(QStringLiteral("main"), parent)
{
    openLink = [](const QUrl &url) { QDesktopServices::openUrl(url); };
}

MainWindow::~MainWindow()
{
    registerShellWindow(ShellWindow::Main, nullptr);
    for (const PageEntry &entry : pageOrder)
        registerShellWindow(entry.role, nullptr);
    delete help;
    delete splash;
}

StartupResult MainWindow::start(SingleInstance *guard)
{
    // 1. One copy at a time.
    if (guard && !guard->claim()) {
        guard->handOver();
        return StartupResult::HandedOver;
    }
    // The socket reaches this copy whatever handle the settings file held: a handle not yet
    // written, or never written in a read-only program folder, still brings the window up.
    if (guard)
        connect(guard, &SingleInstance::showRequested, this, &MainWindow::bringToFront);
    // 2. The handle a later copy names.
    writeSetting(QStringLiteral("cx"), QStringLiteral("hwnd"), QString::number(qint64(winId())));
    // 3.-5.
    if (auto *version = unit<TransparentLabel>(QStringLiteral("版本标签")))
        version->setText(QStringLiteral("版本号：") + versionText);
    started = false;
    // 6.
    stampRegistry();
    // 7.
    if (!loadSkinFile(programPath(QStringLiteral("Skin/Green.cskn")), applicationTitle)) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："), QStringLiteral("读取皮肤文件失败!"), QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return StartupResult::SkinUnreadable;
    }
    // 8.
    openSplash(false);
    // 9.-11.
    loadStartupAppearance(this);
    // 12.
    resize(860, 600);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (auto *canvas = unit<AnimationBox>(QStringLiteral("背景动画框")))
        canvas->setGeometry(0, 0, width(), height());
    // 13.
    registerShellWindow(ShellWindow::Main, this);
    dressMain(this);
    wireNavigation();
    wireMenu();
    // 14.
    loadPages();
    wireDropDownProxies();
    // 15.
    reminderDataCheck();
    // 16.
    QStringList users;
    if (openUserDirectory(windowPrompter(), users) == DirectoryOpen::EndProgram)
        return StartupResult::DirectoryUnusable;
    // Working copies of a restore or a migration that a kill cut off are whole copies of someone's
    // ledger; each operation starts from a fresh copy, so none is needed past a run.
    removeWorkingCopy(restoreCopyPath());
    removeWorkingCopy(migrationCopyPath());
    if (LayoutWindow *view = page(QStringLiteral("view")))
        if (auto *list = view->unit<ComboBox>(QStringLiteral("用户名组合框"))) {
            list->clear();
            list->addItems(users);
            list->setCurrentIndex(-1);
        }
    // 17.
    showPage(QStringLiteral("查看"));
    // 18.
    if (splash)
        splash->setAlwaysOnTop(true);
    // 19.
    installTrayIcon();
    // 20.
    malloc_trim(0);
    // 21.
    started = true;
    return StartupResult::Started;
}

void MainWindow::stampRegistry()
{
    if (readRegistryText(RegistryRoot::CurrentUser, registryKey + QStringLiteral("Version")) == versionText)
        return;
    writeRegistryText(RegistryRoot::CurrentUser, registryKey + QStringLiteral("Path"), programDirectory() + u'/');
    writeRegistryText(RegistryRoot::CurrentUser, registryKey + QStringLiteral("name"), applicationTitle);
    writeRegistryText(RegistryRoot::CurrentUser, registryKey + QStringLiteral("Version"), versionText);
}

void MainWindow::openSplash(bool modal)
{
    delete splash;
    splash = new LayoutWindow(QStringLiteral("splash"));
    splash->placeAtCreation();
    QPalette picture = splash->palette();
    picture.setBrush(QPalette::Window, QBrush(QPixmap(splashPicturePath)));
    splash->setPalette(picture);
    splash->setAutoFillBackground(true);
    if (auto *label = splash->unit<TransparentLabel>(QStringLiteral("版本号标签")))
        label->setText(versionText);
    if (auto *label = splash->unit<TransparentLabel>(QStringLiteral("透明标签1")))
        label->setVisible(!started);
    if (auto *timer = splash->unit<Timer>(QStringLiteral("时钟1"))) {
        timer->setTickInterval(started ? 0 : 1000);
        connect(timer, &QTimer::timeout, this, &MainWindow::splashTick);
    }
    setAlwaysOnTop(false);
    splash->setAlwaysOnTop(true);
    // A press closes the About box; during start-up it is ignored.
    splash->installEventFilter(new SplashPresses(splash, [this] {
        if (started && aboutShown)
            closeSplash();
    }));
    if (QScreen *screen = QGuiApplication::primaryScreen())
        splash->move(screen->availableGeometry().center() - splash->rect().center());
    if (modal) {
        splash->execModal();
        delete splash;
    } else {
        splash->show();
    }
}

void MainWindow::splashTick()
{
    ++splashTicks;
    if (splashTicks < 3 || !started)
        return;
    show();
    setAlwaysOnTop(true);
    setAlwaysOnTop(false);
    raise();
    activateWindow();
    splashTicks = 0;
    closeSplash();
}

void MainWindow::closeSplash()
{
    if (!splash)
        return;
    if (auto *timer = splash->unit<Timer>(QStringLiteral("时钟1")))
        timer->setTickInterval(0);
    splash->hide();
    splash->deleteLater();
}

void MainWindow::openAbout()
{
    aboutShown = true;
    openSplash(true);
}

void MainWindow::loadPages()
{
    for (const PageEntry &entry : pageOrder) {
        const QString layout = QLatin1String(entry.layout);
        auto *created = new LayoutWindow(layout, this);
        created->placeAtCreation(this);
        registerShellWindow(entry.role, created);
        dressPage(entry.role, created);
        styleLedgerList(created);
        created->setVisible(layout == QStringLiteral("view"));
        pages.insert(layout, created);
    }
}

void MainWindow::styleLedgerList(LayoutWindow *created)
{
    const QString listName = created->layoutName() == QStringLiteral("view")    ? QStringLiteral("理财列表框")
                             : created->layoutName() == QStringLiteral("entry") ? QStringLiteral("添加理财列表框")
                                                                                 : QString();
    auto *list = listName.isEmpty() ? nullptr : created->unit<ListView>(listName);
    if (!list)
        return;
    stripeListRows(list, created->unit<DrawingBoard>(QStringLiteral("画板1")), QColor(255, 255, 255), QColor(230, 230, 230));
    drawListHeader(list, QColor(0, 0, 0), QColor(230, 230, 230));
}

LayoutWindow *MainWindow::page(const QString &layoutName) const
{
    return pages.value(layoutName);
}

void MainWindow::showPage(const QString &pageName)
{
    for (LayoutWindow *each : std::as_const(pages))
        each->hide();
    for (const PageName &entry : pageNames) {
        if (pageName != QString::fromUtf8(entry.name))
            continue;
        LayoutWindow *shown = page(QLatin1String(entry.layout));
        if (!shown)
            return;
        if (pageName == QStringLiteral("备份")) {
            for (const QString &name : {QStringLiteral("备份密码标签"), QStringLiteral("备份密码外形框"),
                                        QStringLiteral("备份密码确认按钮"), QStringLiteral("备份密码取消按钮")})
                if (auto *prompt = shown->unit<QWidget>(name))
                    prompt->hide();
            if (auto *password = shown->unit<EditBox>(QStringLiteral("备份密码框")))
                password->clear();
        }
        shown->show();
        const QString button = QString::fromUtf8(entry.button);
        if (button.isEmpty())
            hideHighlight();
        else
            placeHighlightUnder(button);
        return;
    }
}

void MainWindow::placeHighlightUnder(const QString &buttonName)
{
    auto *canvas = unit<AnimationBox>(QStringLiteral("背景动画框"));
    auto *button = unit<QWidget>(buttonName);
    const int id = canvas ? canvas->findObject(highlightName) : -1;
    if (!button || id < 0)
        return;
    canvas->moveObject(id, button->x() + 16, 110);
    canvas->setObjectVisible(id, true);
}

void MainWindow::hideHighlight()
{
    auto *canvas = unit<AnimationBox>(QStringLiteral("背景动画框"));
    const int id = canvas ? canvas->findObject(highlightName) : -1;
    if (id >= 0)
        canvas->setObjectVisible(id, false);
}

QPoint MainWindow::highlightPosition() const
{
    auto *canvas = unit<AnimationBox>(QStringLiteral("背景动画框"));
    const int id = canvas ? canvas->findObject(highlightName) : -1;
    return id >= 0 ? canvas->objectPosition(id) : QPoint(-1, -1);
}

bool MainWindow::highlightVisible() const
{
    auto *canvas = unit<AnimationBox>(QStringLiteral("背景动画框"));
    const int id = canvas ? canvas->findObject(highlightName) : -1;
    return id >= 0 && canvas->objectVisible(id);
}

bool MainWindow::passLoginGate()
{
    if (session.loggedIn)
        return true;
    showMessage(QStringLiteral("请先登录！"));
    return false;
}

void MainWindow::logOut()
{
    logOutSession(session);
    if (auto *title = unit<TransparentLabel>(QStringLiteral("标题标签")))
        title->setText(applicationTitle);
    if (LayoutWindow *view = page(QStringLiteral("view"))) {
        if (auto *list = view->unit<ListView>(QStringLiteral("理财列表框")))
            list->clearRows();
        for (const QString &bar : {QStringLiteral("统计界面框1"), QStringLiteral("统计界面框2")})
            if (auto *widget = view->unit<QWidget>(bar))
                widget->hide();
        if (auto *login = view->unit<QWidget>(QStringLiteral("登录界面框")))
            login->show();
        const QDateTime now = Clock::now();
        for (const QString &box : {QStringLiteral("开始日期框"), QStringLiteral("结束日期框")})
            if (auto *date = view->unit<DateBox>(box))
                date->setDateTime(now);
        for (const QString &label : {QStringLiteral("开始日期标签"), QStringLiteral("结束日期标签")})
            if (auto *date = view->unit<Label>(label))
                date->setText(dateText(now, 1));
    }
    if (hooks.endSession)
        hooks.endSession();
    showPage(QStringLiteral("查看"));
}

void MainWindow::wireNavigation()
{
    auto onClick = [this](const QString &buttonName, std::function<void()> action) {
        if (auto *button = unit<GraphicButton>(buttonName))
            connect(button, &GraphicButton::clicked, this, std::move(action));
    };
    onClick(QStringLiteral("列表按钮"), [this] { showPage(QStringLiteral("查看")); });
    onClick(QStringLiteral("添加按钮"), [this] {
        if (!passLoginGate())
            return;
        if (hooks.prepareEntry)
            hooks.prepareEntry();
        showPage(QStringLiteral("添加"));
    });
    onClick(QStringLiteral("修改按钮"), [this] {
        if (passLoginGate() && hooks.modifySelected)
            hooks.modifySelected();
    });
    onClick(QStringLiteral("删除按钮"), [this] {
        if (passLoginGate() && hooks.deleteSelected)
            hooks.deleteSelected();
    });
    onClick(QStringLiteral("统计按钮"), [this] {
        if (!passLoginGate())
            return;
        if (hooks.computeStatistics)
            hooks.computeStatistics();
        showPage(QStringLiteral("统计"));
    });
    onClick(QStringLiteral("备份按钮"), [this] {
        if (passLoginGate())
            showPage(QStringLiteral("备份"));
    });
    onClick(QStringLiteral("用户按钮"), [this] {
        if (!passLoginGate())
            return;
        if (LayoutWindow *userPage = page(QStringLiteral("user"))) {
            if (auto *name = userPage->unit<EditBox>(QStringLiteral("用户名框")))
                name->setText(session.currentUser);
            for (const QString &box : {QStringLiteral("原密码框"), QStringLiteral("新的密码框"), QStringLiteral("确认密码框")})
                if (auto *password = userPage->unit<EditBox>(box))
                    password->clear();
        }
        showPage(QStringLiteral("用户"));
    });
    onClick(QStringLiteral("皮肤按钮"), [this] { showPage(QStringLiteral("皮肤")); });
    onClick(QStringLiteral("菜单按钮"), [this] {
        if (StyledMenu *menu = mainMenu())
            menu->popup(QCursor::pos());
    });
    onClick(QStringLiteral("帮助按钮"), [this] { openHelp(); });
    onClick(QStringLiteral("最小化按钮"), [this] { showMinimized(); });
    onClick(QStringLiteral("关闭按钮"), [this] { askToExit(); });

    if (auto *title = unit<TransparentLabel>(QStringLiteral("标题标签")))
        connect(title, &TransparentLabel::pressed, this, [this](Qt::MouseButton button, const QPoint &at) {
            if (button == Qt::LeftButton)
                startMove(at);
        });
    if (auto *canvas = unit<AnimationBox>(QStringLiteral("背景动画框")))
        connect(canvas, &AnimationBox::objectPressed, this, [this](int id, Qt::MouseButton button, const QPoint &at) {
            if (id < 1 && button == Qt::LeftButton)
                startMove(at);
        });
}

StyledMenu *MainWindow::mainMenu() const
{
    return unit<StyledMenu>(QStringLiteral("菜单"));
}

void MainWindow::wireMenu()
{
    StyledMenu *menu = mainMenu();
    if (!menu)
        return;
    auto onItem = [this, menu](const QString &caption, std::function<void()> action) {
        if (QAction *item = menu->findAction(caption))
            connect(item, &QAction::triggered, this, std::move(action));
    };
    onItem(QStringLiteral("帮助说明"), [this] { openHelp(); });
    onItem(QStringLiteral("退出登录"), [this] { logOut(); });
    onItem(QStringLiteral("旧版数据恢复"), [this] {
        if (hooks.migrateOldVersion)
            hooks.migrateOldVersion();
    });
    onItem(QStringLiteral("微博/新浪微博"), [this] { openLink(sinaMicroblog); });
    onItem(QStringLiteral("微博/腾讯微博"), [this] { openLink(tencentMicroblog); });
    onItem(QStringLiteral("主页"), [this] { openLink(homePage); });
    onItem(QStringLiteral("关于"), [this] { openAbout(); });
}

void MainWindow::wireDropDownProxies()
{
    // A click on the arrow button or the label opens the hidden drop-down; a choice is copied
    // into the box that shows.
    auto onPress = [this](LayoutWindow *onPage, const QString &unitName, std::function<void()> open) {
        QObject *proxy = onPage->unitObject(unitName);
        if (auto *button = qobject_cast<GraphicButton *>(proxy))
            connect(button, &GraphicButton::clicked, this, open);
        else if (auto *label = qobject_cast<Label *>(proxy))
            connect(label, &Label::pressed, this, [open](Qt::MouseButton button, const QPoint &) {
                if (button == Qt::LeftButton)
                    open();
            });
        else if (auto *transparent = qobject_cast<TransparentLabel *>(proxy))
            connect(transparent, &TransparentLabel::pressed, this, [open](Qt::MouseButton button, const QPoint &) {
                if (button == Qt::LeftButton)
                    open();
            });
    };
    auto combo = [this, onPress](const QString &layout, const QStringList &proxies, const QString &comboName,
                                 const QString &target) {
        LayoutWindow *onPage = page(layout);
        ComboBox *box = onPage ? onPage->unit<ComboBox>(comboName) : nullptr;
        if (!box)
            return;
        for (const QString &proxy : proxies)
            onPress(onPage, proxy, [box] { box->openDropDown(); });
        if (auto *edit = onPage->unit<EditBox>(target))
            connect(box, &QComboBox::activated, this, [box, edit](int index) { edit->setText(box->itemText(index)); });
    };
    auto date = [this, onPress](const QString &layout, const QStringList &proxies, const QString &dateName,
                                const QString &target) {
        LayoutWindow *onPage = page(layout);
        DateBox *box = onPage ? onPage->unit<DateBox>(dateName) : nullptr;
        if (!box)
            return;
        for (const QString &proxy : proxies)
            onPress(onPage, proxy, [box] { box->openCalendar(); });
        if (auto *label = onPage->unit<Label>(target))
            connect(box, &QDateTimeEdit::dateTimeChanged, this,
                    [label](const QDateTime &value) { label->setText(dateText(value, 1)); });
    };
    combo(QStringLiteral("view"), {QStringLiteral("图形按钮5")}, QStringLiteral("用户名组合框"), QStringLiteral("登录用户名框"));
    date(QStringLiteral("view"), {QStringLiteral("开始日期标签"), QStringLiteral("图形按钮1")}, QStringLiteral("开始日期框"),
         QStringLiteral("开始日期标签"));
    date(QStringLiteral("view"), {QStringLiteral("结束日期标签"), QStringLiteral("图形按钮2")}, QStringLiteral("结束日期框"),
         QStringLiteral("结束日期标签"));
    combo(QStringLiteral("view"), {QStringLiteral("合计下拉按钮")}, QStringLiteral("合计查看组合框"), {});
    combo(QStringLiteral("entry"), {QStringLiteral("下拉按钮1")}, QStringLiteral("项目名称组合框"), QStringLiteral("项目名称框"));
    combo(QStringLiteral("entry"), {QStringLiteral("下拉按钮2")}, QStringLiteral("项目类型组合框"), QStringLiteral("项目类型框"));
    combo(QStringLiteral("entry"), {QStringLiteral("下拉按钮3")}, QStringLiteral("人员名称组合框"), QStringLiteral("人员名称框"));
    date(QStringLiteral("entry"), {QStringLiteral("选择日期标签"), QStringLiteral("月历下拉按钮")}, QStringLiteral("选择日期框"),
         QStringLiteral("选择日期标签"));
    combo(QStringLiteral("entry"), {QStringLiteral("收支金额标签"), QStringLiteral("添加按钮1"), QStringLiteral("提示按钮标签")},
          QStringLiteral("收支金额组合框"), {});
    combo(QStringLiteral("statistics"), {QStringLiteral("年份标签"), QStringLiteral("图形按钮1")}, QStringLiteral("年份选择组合框"), {});
    // The skin page's transparency box is opened by the skin page itself.

    if (LayoutWindow *view = page(QStringLiteral("view")))
        if (auto *print = view->unit<GraphicButton>(QStringLiteral("打印列表按钮")))
            connect(print, &GraphicButton::clicked, this, [this] {
                if (passLoginGate() && hooks.printList)
                    hooks.printList();
            });
}

void MainWindow::openHelp()
{
    if (!help)
        help = new HelpWindow;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        if (!help->isVisible())
            help->move(screen->availableGeometry().center() - help->rect().center());
    help->show();
    help->raise();
}

void MainWindow::installTrayIcon()
{
    if (tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    tray = new QSystemTrayIcon(QIcon(applicationIconPath), this);
    tray->setToolTip(applicationTitle);
    connect(tray, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);
    tray->show();
}

void MainWindow::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger) {
        bringToFront();
        setAlwaysOnTop(false);
        setAlwaysOnTop(true);
    } else if (reason == QSystemTrayIcon::Context) {
        if (StyledMenu *menu = mainMenu())
            menu->popup(QCursor::pos());
    }
}

void MainWindow::bringToFront()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void MainWindow::askToExit()
{
    if (askConfirm(QStringLiteral("是否真的要退出Varnel家庭理财？")))
        shutDown();
}

void MainWindow::shutDown()
{
    hide();
    releaseDressingPictures();
    delete help;
    delete splash;
    if (tray)
        tray->hide();
    emit ended();
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    LayoutWindow::moveEvent(event);
    if (LayoutWindow *view = page(QStringLiteral("view")))
        if (auto *refresh = view->unit<QWidget>(QStringLiteral("刷新标签"))) {
            refresh->setVisible(true);
            refresh->setVisible(false);
        }
}
