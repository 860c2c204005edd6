#include "shellfixture.h"

#include "appearance/skinfile.h"
#include "common/clock.h"
#include "common/program.h"
#include "common/settings.h"
#include "common/settingkeys.h"
#include "dataaccess/instances.h"
#include "shell/helpwindow.h"
#include "shell/entrypage.h"
#include "shell/mainwindow.h"
#include "shell/messagewindows.h"
#include "shell/shelldressing.h"
#include "shell/viewpage.h"
#include "support/scriptedprompter.h"
#include "ui/animationbox.h"
#include "ui/filedialog.h"
#include "ui/listview.h"
#include "ui/styledmenu.h"
#include "users/userdirectory.h"

#include <QSettings>
#include <QSignalSpy>

namespace {

const QString registryKey = QStringLiteral("Software\\tavrix\\kelm\\");

QString registry(const QString &value)
{
    return readRegistryText(RegistryRoot::CurrentUser, registryKey + value);
}

void clickUnit(LayoutWindow *window, const QString &name)
{
    unitOf<GraphicButton>(window, name)->click();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstRunWritesItsSettings();
    void registryStamp_data();
    void registryStamp();
    void backgroundChoice_data();
    void backgroundChoice();
    void damagedSettingsFile();
    void unusableSkinEndsTheStart_data();
    void unusableSkinEndsTheStart();
    void unusableDirectoryEndsTheStart_data();
    void unusableDirectoryEndsTheStart();
    void userListIsFilledSorted();
    void startRemovesWorkingCopiesOfACutOffRun();
    void splashClosesAtTheThirdTick();
    void longStartUpRevealsAtTheFirstTickAfterIt();
    void splashIgnoresPressesDuringStartUp();
    void aboutBoxClosesOnAPress();
    void saveDialogsAskOnlyBeforeReplacing();
    void pagesAndHighlight_data();
    void pagesAndHighlight();
    void skinPageHidesTheHighlight();
    void loginGate_data();
    void loginGate();
    void backupPromptIsHiddenOnEverySwitch();
    void userButtonFillsTheUserPage();
    void exitQuestion_data();
    void exitQuestion();
    void logOutRestoresTheLoginBar();
    void viewPageStartsOnToday();
    void entryHintFollowsTheSetting_data();
    void entryHintFollowsTheSetting();
    void menuItems();
    void helpOpensFromButtonAndMenu();
    void dropDownProxies();
    void minimiseAndTheTrayIcon();
    void movedByTheTitleAndTheBackground_data();
    void movedByTheTitleAndTheBackground();

private:
    // A started main window whose splash has closed.
    void startShown();

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MainWindow> window;
};

void TestMainWindow::init()
{
    Clock::setFixed(QDateTime(QDate(2026, 3, 31), QTime(10, 0)));
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "tavrix", "kelm").clear();
    folder = std::make_unique<ProgramFolder>();
    window = std::make_unique<MainWindow>();
}

void TestMainWindow::cleanup()
{
    window.reset();
    folder.reset();
    Clock::useSystemTime();
}

void TestMainWindow::startShown()
{
    QCOMPARE(window->start(), StartupResult::Started);
    for (int i = 0; i < 3; ++i)
        window->splashTick();
    QVERIFY(window->isVisible());
}

void TestMainWindow::firstRunWritesItsSettings()
{
    QVERIFY(!QFile::exists(folder->path("config.ini")));
    QCOMPARE(window->start(), StartupResult::Started);
    QVERIFY(window->startupDone());
    QCOMPARE(readSetting("pf", "bjtp"), QStringLiteral("1"));
    QCOMPARE(readSetting("cx", "hwnd"), QString::number(qint64(window->winId())));
    QCOMPARE(registry("Version"), QStringLiteral("3.21"));
    QCOMPARE(registry("Path"), folder->dir.path() + "/");
    QCOMPARE(registry("name"), QStringLiteral("Varnel家庭理财"));
    auto *canvas = unitOf<AnimationBox>(window.get(), "背景动画框");
    QVERIFY(!getSkinEntry("背景图片1").isEmpty());
    QCOMPARE(canvas->backgroundPicture(), getSkinEntry("背景图片1"));
    QCOMPARE(canvas->geometry(), QRect(0, 0, 860, 600));
    QCOMPARE(window->size(), QSize(860, 600));
    QCOMPARE(unitOf<TransparentLabel>(window.get(), "版本标签")->text(), QStringLiteral("版本号：3.21"));
    QVERIFY(QFile::exists(folder->path("data/yhlb.dat")));
    // The window waits for the splash; the view page is the one page that shows.
    QVERIFY(!window->isVisible());
    QVERIFY(window->splashWindow() && window->splashWindow()->isVisible());
    for (const QString &name : QStringList{"view", "entry", "backup", "statistics", "user", "skin"}) {
        LayoutWindow *page = window->page(name);
        QVERIFY2(page, qPrintable(name));
        QCOMPARE(page->parentWidget(), window.get());
        QCOMPARE(page->geometry(), QRect(2, 116, 856, 460));
        QCOMPARE(page->isVisibleTo(window.get()), name == "view");
    }
}

void TestMainWindow::registryStamp_data()
{
    QTest::addColumn<QString>("storedVersion");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("same version") << "3.21" << false;
    QTest::newRow("older version") << "3.2" << true;
}

void TestMainWindow::registryStamp()
{
    QFETCH(QString, storedVersion);
    QFETCH(bool, rewritten);
    writeRegistryText(RegistryRoot::CurrentUser, registryKey + "Version", storedVersion);
    writeRegistryText(RegistryRoot::CurrentUser, registryKey + "Path", "/elsewhere/");
    QCOMPARE(window->start(), StartupResult::Started);
    QCOMPARE(registry("Path"), rewritten ? folder->dir.path() + "/" : QStringLiteral("/elsewhere/"));
    QCOMPARE(registry("Version"), rewritten ? QStringLiteral("3.21") : storedVersion);
    QCOMPARE(registry("name").isEmpty(), !rewritten);
}

void TestMainWindow::backgroundChoice_data()
{
    QTest::addColumn<QStringList>("settings"); // key=value pairs of section "pf"
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("entry");       // the skin entry shown; empty: no picture
    QTest::addColumn<int>("transparency");
    const QDate plainDay(2026, 3, 31);
    QTest::newRow("second picture") << QStringList{"bjtp=2"} << plainDay << "背景图片2" << 0;
    QTest::newRow("festival day") << QStringList{"bjtp=3"} << QDate(2026, 12, 25) << "圣诞图片1" << 0;
    QTest::newRow("own picture missing") << QStringList{"bjtp=-2", "yhtp2=/nowhere/picture.jpg"} << plainDay << "" << 0;
    QTest::newRow("plain colour") << QStringList{"bjtp=0", "cstp=2"} << plainDay << "纯色图片2" << 0;
    QTest::newRow("no colour") << QStringList{"bjtp=0"} << plainDay << "" << 0;
    QTest::newRow("letters") << QStringList{"bjtp=abc"} << plainDay << "" << 0;
    QTest::newRow("transparency cut") << QStringList{"pftmd=35.9"} << plainDay << "背景图片1" << 35;
}

void TestMainWindow::backgroundChoice()
{
    QFETCH(QStringList, settings);
    QFETCH(QDate, day);
    QFETCH(QString, entry);
    QFETCH(int, transparency);
    Clock::setFixed(QDateTime(day, QTime(9, 0)));
    for (const QString &setting : settings)
        writeSetting("pf", setting.section('=', 0, 0), setting.section('=', 1));
    QCOMPARE(window->start(), StartupResult::Started);
    const QByteArray expected = entry.isEmpty() ? QByteArray() : getSkinEntry(entry);
    QVERIFY(entry.isEmpty() || !expected.isEmpty());
    QCOMPARE(unitOf<AnimationBox>(window.get(), "背景动画框")->backgroundPicture(), expected);
    QCOMPARE(currentTransparency(), transparency);
}

void TestMainWindow::damagedSettingsFile()
{
    QFile file(folder->path("config.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("[pf\nbjtp==\x01\x02\xff\xfe[[[\n=\n", 20).repeated(50));
    file.close();
    QCOMPARE(window->start(), StartupResult::Started);
    QVERIFY(window->startupDone());
}

void TestMainWindow::unusableSkinEndsTheStart_data()
{
    QTest::addColumn<QByteArray>("skin");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("damaged") << QByteArray("not a skin file at all");
}

void TestMainWindow::unusableSkinEndsTheStart()
{
    QFETCH(QByteArray, skin);
    QFile::remove(folder->path("Skin/Green.cskn"));
    if (!skin.isEmpty()) {
        QFile file(folder->path("Skin/Green.cskn"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(skin);
    }
    PromptAnswerer answerer;
    QCOMPARE(window->start(), StartupResult::SkinUnreadable);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].title, QStringLiteral("信息："));
    QCOMPARE(answerer.seen[0].text, QStringLiteral("读取皮肤文件失败!"));
    QVERIFY(!window->splashWindow());
    QVERIFY(!window->page("view"));
}

void TestMainWindow::unusableDirectoryEndsTheStart_data()
{
    QTest::addColumn<bool>("dataFolder");
    QTest::addColumn<QString>("message");
    QTest::newRow("not ours") << true << "连接用户数据库失败！用户数据库可能已经打开！";
    QTest::newRow("no data folder") << false << "新建用户数据库失败！";
}

void TestMainWindow::unusableDirectoryEndsTheStart()
{
    QFETCH(bool, dataFolder);
    QFETCH(QString, message);
    if (dataFolder) {
        QFile junk(folder->path("data/yhlb.dat"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is no database of ours");
    } else {
        QVERIFY(QDir(folder->path("data")).removeRecursively());
    }
    PromptAnswerer answerer;
    QCOMPARE(window->start(), StartupResult::DirectoryUnusable);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].window, QStringLiteral("message"));
    QCOMPARE(answerer.seen[0].title, QStringLiteral("提示："));
    QCOMPARE(answerer.seen[0].text, message);
    QVERIFY(!window->isVisible());
}

void TestMainWindow::userListIsFilledSorted()
{
    ScriptedPrompter prompter;
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    for (const char *name : {"b", "a", "c"})
        QVERIFY(directoryConnection.Execute(QStringLiteral("insert into yhlbsj(yhmc,yhsjkmc) values ('%1','%1_lc.dat')").arg(name)));
    directoryRecordset.Close();
    directoryConnection.Close();
    QCOMPARE(window->start(), StartupResult::Started);
    auto *list = unitOf<ComboBox>(window->page("view"), "用户名组合框");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i);
    QCOMPARE(shown, (QStringList{"a", "b", "c"}));
    QCOMPARE(list->currentIndex(), -1);
}

void TestMainWindow::startRemovesWorkingCopiesOfACutOffRun()
{
    const QStringList copies{"data/temp.dat", "data/temp.dat.jet", "data/temp2.dat", "data/temp2.dat.1.jet"};
    for (const QString &copy : copies) {
        QFile file(programPath(copy));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(window->start(), StartupResult::Started);
    for (const QString &copy : copies)
        QVERIFY2(!QFile::exists(programPath(copy)), qPrintable(copy));
}

void TestMainWindow::splashClosesAtTheThirdTick()
{
    QCOMPARE(window->start(), StartupResult::Started);
    QPointer<LayoutWindow> splash = window->splashWindow();
    QVERIFY(splash->alwaysOnTop());
    QVERIFY(unitOf<TransparentLabel>(splash, "透明标签1")->isVisibleTo(splash));
    QCOMPARE(unitOf<TransparentLabel>(splash, "版本号标签")->text(), QStringLiteral("3.21"));
    QCOMPARE(unitOf<Timer>(splash, "时钟1")->tickInterval(), 1000);
    window->splashTick();
    window->splashTick();
    QVERIFY(!window->isVisible());
    QVERIFY(splash && splash->isVisible());
    window->splashTick();
    QVERIFY(window->isVisible());
    QVERIFY(!window->alwaysOnTop());
    QCOMPARE(window->splashTickCount(), 0);
    QTRY_VERIFY(!splash);
}

void TestMainWindow::longStartUpRevealsAtTheFirstTickAfterIt()
{
    // Ticks that come while the sequence still runs are counted and reveal nothing.
    for (int i = 0; i < 4; ++i)
        window->splashTick();
    QVERIFY(!window->isVisible());
    QCOMPARE(window->splashTickCount(), 4);
    QCOMPARE(window->start(), StartupResult::Started);
    QVERIFY(!window->isVisible());
    window->splashTick();
    QVERIFY(window->isVisible());
}

void TestMainWindow::splashIgnoresPressesDuringStartUp()
{
    QCOMPARE(window->start(), StartupResult::Started);
    LayoutWindow *splash = window->splashWindow();
    QTest::mouseClick(splash, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(splash->isVisible());
}

// The program's save dialogs ask before a chosen file is replaced, and not when it is added to.
void TestMainWindow::saveDialogsAskOnlyBeforeReplacing()
{
    FileDialog::queueAnswers({QStringLiteral("/tmp/备份.lcabak"), QStringLiteral("/tmp/理财数据.xls")});
    QCOMPARE(windowPrompter().pickSaveFile(QStringLiteral("备份数据(*.lcabak)|*.lcabak"), QStringLiteral("*.lcabak"),
                                           QStringLiteral("理财数据")),
             QStringLiteral("/tmp/备份.lcabak"));
    QCOMPARE(windowPrompter().pickFileToAddTo(QStringLiteral("理财数据(*.xls)|*.xls"), QStringLiteral("*.xls"),
                                              QStringLiteral("理财数据")),
             QStringLiteral("/tmp/理财数据.xls"));
    const QList<FileDialog::Opening> openings = FileDialog::takeOpenings();
    QCOMPARE(openings.size(), 2);
    QVERIFY(openings[0].confirmOverwrite);
    QVERIFY(!openings[1].confirmOverwrite);
}

void TestMainWindow::aboutBoxClosesOnAPress()
{
    startShown();
    QTRY_VERIFY(!window->splashWindow());
    bool shownAsAbout = false;
    QTimer::singleShot(50, this, [&] {
        LayoutWindow *about = window->splashWindow();
        shownAsAbout = about && about->isVisible() && !unitOf<TransparentLabel>(about, "透明标签1")->isVisibleTo(about)
                       && unitOf<Timer>(about, "时钟1")->tickInterval() == 0;
        if (about)
            QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(100, 100));
    });
    window->mainMenu()->findAction("关于")->trigger();
    QVERIFY(shownAsAbout);
    QTRY_VERIFY(!window->splashWindow());
}

void TestMainWindow::pagesAndHighlight_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("left");
    QTest::newRow("list") << "列表按钮" << "view" << 32;
    QTest::newRow("add") << "添加按钮" << "entry" << 110;
    QTest::newRow("statistics") << "统计按钮" << "statistics" << 344;
    QTest::newRow("backup") << "备份按钮" << "backup" << 422;
    QTest::newRow("user") << "用户按钮" << "user" << 499;
}

void TestMainWindow::pagesAndHighlight()
{
    QFETCH(QString, button);
    QFETCH(QString, page);
    QFETCH(int, left);
    startShown();
    window->session.loggedIn = true;
    window->showPage("皮肤");
    clickUnit(window.get(), button);
    for (const char *name : {"view", "entry", "backup", "statistics", "user", "skin"})
        QCOMPARE(window->page(name)->isVisible(), name == page);
    QCOMPARE(window->highlightPosition(), QPoint(left, 110));
    QVERIFY(window->highlightVisible());
    // The modify page is the entry page with the highlight under its own button.
    window->showPage("修改");
    QVERIFY(window->page("entry")->isVisible());
    QCOMPARE(window->highlightPosition(), QPoint(188, 110));
}

void TestMainWindow::skinPageHidesTheHighlight()
{
    startShown();
    QVERIFY(window->highlightVisible());
    QCOMPARE(window->highlightPosition(), QPoint(32, 110));
    clickUnit(window.get(), "皮肤按钮");
    QVERIFY(window->page("skin")->isVisible());
    QVERIFY(!window->highlightVisible());
    window->showPage("查看");
    QVERIFY(window->highlightVisible());
    QCOMPARE(window->highlightPosition(), QPoint(32, 110));
    window->showPage("没有这一页");
    for (const char *name : {"view", "entry", "backup", "statistics", "user", "skin"})
        QVERIFY(!window->page(name)->isVisible());
}

void TestMainWindow::loginGate_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    for (const char *button : {"添加按钮", "修改按钮", "删除按钮", "统计按钮", "备份按钮", "用户按钮"})
        QTest::newRow(button) << "main" << button;
    QTest::newRow("print") << "view" << "打印列表按钮";
}

void TestMainWindow::loginGate()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    startShown();
    int requests = 0;
    for (const auto request : {&MainWindow::entryRequested, &MainWindow::modifyRequested, &MainWindow::deleteRequested,
                               &MainWindow::statisticsRequested, &MainWindow::printRequested})
        connect(this->window.get(), request, this, [&requests] { ++requests; });
    LayoutWindow *target = window == "main" ? this->window.get() : this->window->page(window);
    {
        PromptAnswerer answerer;
        clickUnit(target, button);
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].window, QStringLiteral("message"));
        QCOMPARE(answerer.seen[0].title, QStringLiteral("提示："));
        QCOMPARE(answerer.seen[0].text, QStringLiteral("请先登录！"));
    }
    QCOMPARE(requests, 0);
    QVERIFY(this->window->page("view")->isVisible());
    QCOMPARE(this->window->highlightPosition(), QPoint(32, 110));

    // Logged in, the action runs and no message shows.
    this->window->session.loggedIn = true;
    PromptAnswerer answerer;
    clickUnit(target, button);
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(requests, button == "备份按钮" || button == "用户按钮" ? 0 : 1);
}

void TestMainWindow::backupPromptIsHiddenOnEverySwitch()
{
    startShown();
    window->session.loggedIn = true;
    LayoutWindow *backup = window->page("backup");
    const QStringList prompt{"备份密码标签", "备份密码外形框", "备份密码确认按钮", "备份密码取消按钮"};
    for (int round = 0; round < 2; ++round) {
        for (const QString &name : prompt)
            unitOf<QWidget>(backup, name)->show();
        unitOf<EditBox>(backup, "备份密码框")->setText("secret");
        clickUnit(window.get(), "备份按钮");
        for (const QString &name : prompt)
            QVERIFY2(!unitOf<QWidget>(backup, name)->isVisibleTo(backup), qPrintable(name));
        QVERIFY(unitOf<EditBox>(backup, "备份密码框")->text().isEmpty());
    }
}

void TestMainWindow::userButtonFillsTheUserPage()
{
    startShown();
    window->session.loggedIn = true;
    window->session.currentUser = "张三";
    LayoutWindow *userPage = window->page("user");
    for (const char *box : {"原密码框", "新的密码框", "确认密码框"})
        unitOf<EditBox>(userPage, box)->setText("x");
    clickUnit(window.get(), "用户按钮");
    QCOMPARE(unitOf<EditBox>(userPage, "用户名框")->text(), QStringLiteral("张三"));
    for (const char *box : {"原密码框", "新的密码框", "确认密码框"})
        QVERIFY(unitOf<EditBox>(userPage, box)->text().isEmpty());
    QVERIFY(userPage->isVisible());
}

void TestMainWindow::exitQuestion_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("ends");
    QTest::newRow("确定") << "图形按钮1" << true;
    QTest::newRow("取消") << "图形按钮2" << false;
    QTest::newRow("closed") << "关闭按钮" << false;
}

void TestMainWindow::exitQuestion()
{
    QFETCH(QString, answer);
    QFETCH(bool, ends);
    startShown();
    window->openHelp();
    QPointer<HelpWindow> help = window->helpWindow();
    QSignalSpy ended(window.get(), &MainWindow::ended);
    PromptAnswerer answerer;
    answerer.buttons = {answer};
    clickUnit(window.get(), "关闭按钮");
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].window, QStringLiteral("confirm"));
    QCOMPARE(answerer.seen[0].title, QStringLiteral("提示："));
    QCOMPARE(answerer.seen[0].text, QStringLiteral("是否真的要退出Varnel家庭理财？"));
    QCOMPARE(ended.count(), ends ? 1 : 0);
    QCOMPARE(window->isVisible(), !ends);
    QCOMPARE(help.isNull(), ends);
}

void TestMainWindow::logOutRestoresTheLoginBar()
{
    startShown();
    window->session.loggedIn = true;
    unitOf<TransparentLabel>(window.get(), "标题标签")->setText("Varnel家庭理财 - 张三");
    LayoutWindow *view = window->page("view");
    auto *list = unitOf<ListView>(view, "理财列表框");
    list->appendRow({"餐饮", "午餐", "12.50", "0.00", "张三", "2026-03-01", ""}, 1);
    unitOf<QWidget>(view, "统计界面框1")->show();
    unitOf<QWidget>(view, "登录界面框")->hide();
    unitOf<Label>(view, "开始日期标签")->setText("2025-01-01");
    unitOf<DateBox>(view, "结束日期框")->setDateTime(QDateTime(QDate(2025, 1, 1), QTime(0, 0)));
    window->showPage("统计");
    bool sessionEnded = false;
    connect(window.get(), &MainWindow::sessionEnded, this, [&sessionEnded] { sessionEnded = true; });

    window->mainMenu()->findAction("退出登录")->trigger();
    QVERIFY(!window->loggedIn());
    QVERIFY(sessionEnded);
    QCOMPARE(unitOf<TransparentLabel>(window.get(), "标题标签")->text(), QStringLiteral("Varnel家庭理财"));
    QCOMPARE(list->rowCount(), 0);
    QVERIFY(!unitOf<QWidget>(view, "统计界面框1")->isVisible());
    QVERIFY(!unitOf<QWidget>(view, "统计界面框2")->isVisible());
    QVERIFY(unitOf<QWidget>(view, "登录界面框")->isVisible());
    for (const char *label : {"开始日期标签", "结束日期标签"})
        QCOMPARE(unitOf<Label>(view, label)->text(), QStringLiteral("2026-03-31"));
    for (const char *box : {"开始日期框", "结束日期框"})
        QCOMPARE(unitOf<DateBox>(view, box)->date(), QDate(2026, 3, 31));
    QVERIFY(view->isVisible());
    QCOMPARE(window->highlightPosition(), QPoint(32, 110));
}

void TestMainWindow::menuItems()
{
    startShown();
    StyledMenu *menu = window->mainMenu();
    QStringList captions;
    for (QAction *action : menu->actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(captions, (QStringList{"帮助说明", "-", "退出登录", "-", "旧版数据恢复", "自动备份", "数据库服务器", "-", "微博", "-", "主页", "-", "关于"}));
    QList<QUrl> opened;
    window->openLink = [&](const QUrl &url) { opened << url; };
    bool migrated = false;
    connect(window.get(), &MainWindow::migrationRequested, this, [&migrated] { migrated = true; });
    menu->findAction("主页")->trigger();
    menu->findAction("微博/新浪微博")->trigger();
    menu->findAction("微博/腾讯微博")->trigger();
    menu->findAction("旧版数据恢复")->trigger();
    QCOMPARE(opened, (QList<QUrl>{MainWindow::homePage, MainWindow::sinaMicroblog, MainWindow::tencentMicroblog}));
    QVERIFY(migrated);
    // The automatic backups window is a logged-in user's.
    bool backupsAsked = false;
    connect(window.get(), &MainWindow::automaticBackupsRequested, this, [&backupsAsked] { backupsAsked = true; });
    window->session.loggedIn = true;
    menu->findAction("自动备份")->trigger();
    QVERIFY(backupsAsked);
    // The database-server window opens over the main window.
    menu->findAction("数据库服务器")->trigger();
    const auto windows = window->findChildren<LayoutWindow *>();
    const auto setup = std::find_if(windows.begin(), windows.end(), [](LayoutWindow *w) { return w->layoutName() == "server"; });
    QVERIFY(setup != windows.end());
    QVERIFY((*setup)->isVisible());
    (*setup)->close();
}

void TestMainWindow::helpOpensFromButtonAndMenu()
{
    startShown();
    clickUnit(window.get(), "帮助按钮");
    HelpWindow *help = window->helpWindow();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->currentTab(), QStringLiteral("欢迎使用"));
    help->close();
    window->mainMenu()->findAction("帮助说明")->trigger();
    QCOMPARE(window->helpWindow(), help);
    QVERIFY(help->isVisible());
}

void TestMainWindow::dropDownProxies()
{
    ScriptedPrompter prompter;
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    for (const char *name : {"李四", "张三"})
        QVERIFY(directoryConnection.Execute(QStringLiteral("insert into yhlbsj(yhmc,yhsjkmc) values ('%1','%1_lc.dat')").arg(name)));
    directoryRecordset.Close();
    directoryConnection.Close();
    startShown();
    LayoutWindow *view = window->page("view");
    auto *names = unitOf<ComboBox>(view, "用户名组合框");
    clickUnit(view, "图形按钮5");
    QTRY_VERIFY(names->view()->isVisible());
    emit names->activated(1);
    names->hidePopup();
    QCOMPARE(unitOf<EditBox>(view, "登录用户名框")->text(), names->itemText(1));

    auto *start = unitOf<DateBox>(view, "开始日期框");
    QTest::mouseClick(unitOf<Label>(view, "开始日期标签"), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(start->calendarOpen());
    start->setDateTime(QDateTime(QDate(2026, 1, 5), QTime(0, 0)));
    QCOMPARE(unitOf<Label>(view, "开始日期标签")->text(), QStringLiteral("2026-01-05"));

    window->session.loggedIn = true;
    clickUnit(window.get(), "添加按钮");
    LayoutWindow *entry = window->page("entry");
    auto *kinds = unitOf<ComboBox>(entry, "项目类型组合框");
    kinds->addItems({"餐饮", "交通"});
    clickUnit(entry, "下拉按钮2");
    QTRY_VERIFY(kinds->view()->isVisible());
    emit kinds->activated(1);
    kinds->hidePopup();
    QCOMPARE(unitOf<EditBox>(entry, "项目类型框")->text(), QStringLiteral("交通"));
}

void TestMainWindow::minimiseAndTheTrayIcon()
{
    startShown();
    clickUnit(window.get(), "最小化按钮");
    QVERIFY(window->windowState() & Qt::WindowMinimized);
    window->trayActivated(QSystemTrayIcon::DoubleClick);
    QVERIFY(window->windowState() & Qt::WindowMinimized);
    window->trayActivated(QSystemTrayIcon::Trigger);
    QVERIFY(!(window->windowState() & Qt::WindowMinimized));
    QVERIFY(window->isVisible());
    QVERIFY(window->alwaysOnTop());
    window->trayActivated(QSystemTrayIcon::Context);
    QTRY_VERIFY(window->mainMenu()->isVisible());
    window->mainMenu()->hide();
    // The About box takes the window off the top again.
    QTimer::singleShot(50, this, [&] {
        if (LayoutWindow *about = window->splashWindow())
            QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(10, 10));
    });
    window->openAbout();
    QVERIFY(!window->alwaysOnTop());
}

void TestMainWindow::movedByTheTitleAndTheBackground_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QPoint>("press");
    QTest::newRow("title") << "标题标签" << QPoint(200, 10);
    // Over the page area's decoration the press hits a sprite; the corner shows the bare canvas.
    QTest::newRow("background") << "背景动画框" << QPoint(700, 20);
}

void TestMainWindow::movedByTheTitleAndTheBackground()
{
    QFETCH(QString, unit);
    QFETCH(QPoint, press);
    startShown();
    window->move(100, 100);
    QWidget *target = unitOf<QWidget>(window.get(), unit);
    auto *canvas = unitOf<AnimationBox>(window.get(), "背景动画框");
    const QPoint at = target == canvas ? press : target->mapFrom(window.get(), press);
    if (target == canvas)
        QCOMPARE(canvas->objectAt(at), 0);
    const QPoint before = window->pos();
    QTest::mousePress(target, Qt::LeftButton, {}, at);
    QTest::mouseMove(target, at + QPoint(40, 30));
    QTest::mouseRelease(target, Qt::LeftButton, {}, at + QPoint(40, 30));
    QTRY_COMPARE(window->pos(), before + QPoint(40, 30));
}

void TestMainWindow::viewPageStartsOnToday()
{
    Clock::setFixed(QDateTime(QDate(2026, 3, 31), QTime(21, 5, 7)));
    LayoutWindow view(QStringLiteral("view"));
    view.placeAtCreation();
    ViewPage::startOnToday(ViewUnits::bind(view));
    Clock::useSystemTime();
    QCOMPARE(view.unit<DateBox>(QStringLiteral("开始日期框"))->dateTime(), QDateTime(QDate(2026, 3, 31), QTime(21, 5, 7)));
    QCOMPARE(view.unit<DateBox>(QStringLiteral("结束日期框"))->date(), QDate(2026, 3, 31));
    QCOMPARE(view.unit<Label>(QStringLiteral("开始日期标签"))->text(), QStringLiteral("2026-03-31"));
    QCOMPARE(view.unit<Label>(QStringLiteral("结束日期标签"))->text(), QStringLiteral("2026-03-31"));
    // The totals bars wait for a login; the login bar shows.
    QVERIFY(view.unit<QWidget>(QStringLiteral("统计界面框1"))->isHidden());
    QVERIFY(view.unit<QWidget>(QStringLiteral("统计界面框2"))->isHidden());
    QVERIFY(!view.unit<QWidget>(QStringLiteral("登录界面框"))->isHidden());
}

void TestMainWindow::entryHintFollowsTheSetting_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("shown");
    QTest::newRow("never dismissed") << "" << true;
    QTest::newRow("dismissed") << "1" << false;
    QTest::newRow("anything else") << "2" << true;
}

void TestMainWindow::entryHintFollowsTheSetting()
{
    QFETCH(QString, stored);
    QFETCH(bool, shown);
    writeSetting(SettingKey::hintSection, SettingKey::entryHint, stored);
    LayoutWindow entry(QStringLiteral("entry"));
    entry.placeAtCreation();
    EntryPage::placeHint(EntryUnits::bind(entry));
    auto *hint = entry.unit<GraphicButton>(QStringLiteral("提示按钮标签"));
    QCOMPARE(!hint->isHidden(), shown);
    // The hint has a face of its own; its see-through part lets clicks reach the buttons it overlaps.
    QVERIFY(!hint->normalPicture().isNull());
    QVERIFY(!hint->mask().isEmpty());
    QVERIFY(!hint->mask().contains(QPoint(199, 103)));
}

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    useProgramFont();
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
