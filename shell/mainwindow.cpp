#include "mainwindow.h"

#include "entrypage.h"
#include "helpwindow.h"
#include "messagewindows.h"
#include "shelldressing.h"
#include "serverwindow.h"
#include "singleinstance.h"
#include "viewpage.h"

#include "appearance/liststyle.h"
#include "appearance/skinfile.h"
#include "common/clock.h"
#include "common/datetext.h"
#include "common/program.h"
#include "common/files.h"
#include "common/settings.h"
#include "common/settingkeys.h"
#include "dataaccess/instances.h"
#include "exchange/autobackup.h"
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
    mainUnits = MainUnits::bind(*this);
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
    // One copy at a time.
    if (guard && !guard->claim()) {
        guard->handOver();
        return StartupResult::HandedOver;
    }
    // The socket reaches this copy whatever handle the settings file held: a handle not yet
    // written, or never written in a read-only program folder, still brings the window up.
    if (guard)
        connect(guard, &SingleInstance::showRequested, this, &MainWindow::bringToFront);
    // The handle a later copy names.
    writeSetting(SettingKey::programSection, SettingKey::windowHandle, QString::number(qint64(winId())));
    // The version shown at the foot of the window.
    mainUnits.version->setText(QStringLiteral("版本号：") + versionText);
    started = false;
    stampRegistry();
    // Without its skin the program cannot draw a window.
    if (!loadSkinFile(programPath(QStringLiteral("Skin/Green.cskn")), applicationTitle)) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："), QStringLiteral("读取皮肤文件失败!"), QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return StartupResult::SkinUnreadable;
    }
    openSplash(false);
    // The background picture and transparency the person chose last time.
    loadStartupAppearance(this);
    // The main window in the middle of the screen.
    resize(860, 600);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    mainUnits.canvas->setGeometry(0, 0, width(), height());
    // Dressed and wired before its pages are made on it.
    registerShellWindow(ShellWindow::Main, this);
    dressMain(this);
    wireNavigation();
    wireMenu();
    // The six pages, dressed, with the drop-downs that their arrow buttons open.
    loadPages();
    wireDropDownProxies();
    reminderDataCheck();
    // The user directory, whose names fill the login bar.
    QStringList users;
    if (openUserDirectory(directoryConnection, directoryRecordset, windowPrompter(), users)
        == DirectoryOpen::EndProgram)
        return StartupResult::DirectoryUnusable;
    // Working copies of a restore or a migration that a kill cut off are whole copies of someone's
    // ledger; each operation starts from a fresh copy, so none is needed past a run.
    removeWorkingCopy(restoreCopyPath());
    removeWorkingCopy(migrationCopyPath());
    viewUnits.userList->clear();
    viewUnits.userList->addItems(users);
    viewUnits.userList->setCurrentIndex(-1);
    // The program opens on the view page.
    showPage(QStringLiteral("查看"));
    // The splash stays above the main window until its last tick.
    if (splash)
        splash->setAlwaysOnTop(true);
    installTrayIcon();
    // What the start-up freed goes back to the system.
    malloc_trim(0);
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
    splashUnits = SplashUnits::bind(*splash);
    splashUnits.version->setText(versionText);
    splashUnits.starting->setVisible(!started);
    splashUnits.timer->setTickInterval(started ? 0 : 1000);
    connect(splashUnits.timer, &QTimer::timeout, this, &MainWindow::splashTick);
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
    splashUnits.timer->setTickInterval(0);
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
        created->setVisible(layout == QStringLiteral("view"));
        pages.insert(layout, created);
    }
    viewUnits = ViewUnits::bind(*page(QStringLiteral("view")));
    entryUnits = EntryUnits::bind(*page(QStringLiteral("entry")));
    backupUnits = BackupUnits::bind(*page(QStringLiteral("backup")));
    userUnits = UserUnits::bind(*page(QStringLiteral("user")));
    ViewPage::startOnToday(viewUnits);
    EntryPage::placeHint(entryUnits);
    styleLedgerLists();
}

void MainWindow::styleLedgerLists()
{
    for (const auto &[list, stripes] : {std::pair{viewUnits.list, viewUnits.stripes}, std::pair{entryUnits.pending, entryUnits.stripes}}) {
        stripeListRows(list, stripes, QColor(255, 255, 255), QColor(230, 230, 230));
        drawListHeader(list, QColor(0, 0, 0), QColor(230, 230, 230));
    }
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
            for (QWidget *prompt : {backupUnits.passwordLabel, backupUnits.passwordFrame,
                                    static_cast<QWidget *>(backupUnits.confirmPassword),
                                    static_cast<QWidget *>(backupUnits.cancelPassword)})
                prompt->hide();
            backupUnits.password->clear();
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
    AnimationBox *canvas = mainUnits.canvas;
    auto *button = requiredUnit<QWidget>(buttonName);
    const int id = canvas->findObject(highlightName);
    if (!button || id < 0)
        return;
    canvas->moveObject(id, button->x() + 16, 110);
    canvas->setObjectVisible(id, true);
}

void MainWindow::hideHighlight()
{
    const int id = mainUnits.canvas->findObject(highlightName);
    if (id >= 0)
        mainUnits.canvas->setObjectVisible(id, false);
}

QPoint MainWindow::highlightPosition() const
{
    const int id = mainUnits.canvas->findObject(highlightName);
    return id >= 0 ? mainUnits.canvas->objectPosition(id) : QPoint(-1, -1);
}

bool MainWindow::highlightVisible() const
{
    const int id = mainUnits.canvas->findObject(highlightName);
    return id >= 0 && mainUnits.canvas->objectVisible(id);
}

bool MainWindow::passLoginGate()
{
    if (session.loggedIn)
        return true;
    showMessage(QStringLiteral("请先登录！"));
    return false;
}

void MainWindow::backUpEndingSession()
{
    if (session.loggedIn && backUpAtSessionEnd(session.currentDbPath, windowPrompter()) == AutomaticBackup::Failed)
        showMessage(QStringLiteral("自动备份数据失败！"));
}

void MainWindow::logOut()
{
    backUpEndingSession();
    logOutSession(session);
    mainUnits.title->setText(applicationTitle);
    if (page(QStringLiteral("view"))) {
        viewUnits.list->clearRows();
        viewUnits.totalsBar->hide();
        viewUnits.averagesBar->hide();
        viewUnits.loginBar->show();
        const QDateTime now = Clock::now();
        for (DateBox *date : {viewUnits.start, viewUnits.end})
            date->setDateTime(now);
        for (Label *date : {viewUnits.startLabel, viewUnits.endLabel})
            date->setText(dateText(now, 1));
    }
    emit sessionEnded();
    showPage(QStringLiteral("查看"));
}

void MainWindow::wireNavigation()
{
    auto onClick = [this](GraphicButton *button, std::function<void()> action) {
        connect(button, &GraphicButton::clicked, this, std::move(action));
    };
    onClick(mainUnits.list, [this] { showPage(QStringLiteral("查看")); });
    onClick(mainUnits.add, [this] {
        if (!passLoginGate())
            return;
        emit entryRequested();
        showPage(QStringLiteral("添加"));
    });
    onClick(mainUnits.modify, [this] {
        if (passLoginGate())
            emit modifyRequested();
    });
    onClick(mainUnits.remove, [this] {
        if (passLoginGate())
            emit deleteRequested();
    });
    onClick(mainUnits.statistics, [this] {
        if (!passLoginGate())
            return;
        emit statisticsRequested();
        showPage(QStringLiteral("统计"));
    });
    onClick(mainUnits.backup, [this] {
        if (passLoginGate())
            showPage(QStringLiteral("备份"));
    });
    onClick(mainUnits.user, [this] {
        if (!passLoginGate())
            return;
        userUnits.name->setText(session.currentUser);
        for (EditBox *password : {userUnits.oldPassword, userUnits.newPassword, userUnits.confirmPassword})
            password->clear();
        showPage(QStringLiteral("用户"));
    });
    onClick(mainUnits.skin, [this] { showPage(QStringLiteral("皮肤")); });
    onClick(mainUnits.menuButton, [this] {
        if (StyledMenu *menu = mainMenu())
            menu->popup(QCursor::pos());
    });
    onClick(mainUnits.help, [this] { openHelp(); });
    onClick(mainUnits.minimize, [this] { showMinimized(); });
    onClick(mainUnits.close, [this] { askToExit(); });

    connect(mainUnits.title, &TransparentLabel::pressed, this, [this](Qt::MouseButton button, const QPoint &at) {
            if (button == Qt::LeftButton)
                startMove(at);
        });
    connect(mainUnits.canvas, &AnimationBox::objectPressed, this, [this](int id, Qt::MouseButton button, const QPoint &at) {
            if (id < 1 && button == Qt::LeftButton)
                startMove(at);
        });
}

StyledMenu *MainWindow::mainMenu() const
{
    return mainUnits.menu;
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
    onItem(QStringLiteral("旧版数据恢复"), [this] { emit migrationRequested(); });
    onItem(QStringLiteral("自动备份"), [this] {
        if (passLoginGate())
            emit automaticBackupsRequested();
    });
    onItem(QStringLiteral("数据库服务器"), [this] {
        LayoutWindow *setup = createServerWindow(this, windowPrompter(), loggedIn());
        setup->move(geometry().center() - setup->rect().center());
        setup->show();
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
        QObject *proxy = onPage->requiredUnit<QWidget>(unitName);
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
        ComboBox *box = onPage->requiredUnit<ComboBox>(comboName);
        for (const QString &proxy : proxies)
            onPress(onPage, proxy, [box] { box->openDropDown(); });
        if (auto *edit = target.isEmpty() ? nullptr : onPage->requiredUnit<EditBox>(target))
            connect(box, &QComboBox::activated, this, [box, edit](int index) { edit->setText(box->itemText(index)); });
    };
    auto date = [this, onPress](const QString &layout, const QStringList &proxies, const QString &dateName,
                                const QString &target) {
        LayoutWindow *onPage = page(layout);
        DateBox *box = onPage->requiredUnit<DateBox>(dateName);
        for (const QString &proxy : proxies)
            onPress(onPage, proxy, [box] { box->openCalendar(); });
        auto *label = onPage->requiredUnit<Label>(target);
        connect(box, &QDateTimeEdit::dateTimeChanged, this, [label](const QDateTime &value) { label->setText(dateText(value, 1)); });
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

    connect(viewUnits.print, &GraphicButton::clicked, this, [this] {
        if (passLoginGate())
            emit printRequested();
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
    backUpEndingSession();
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
    if (page(QStringLiteral("view"))) {
        viewUnits.refresh->setVisible(true);
        viewUnits.refresh->setVisible(false);
    }
}
