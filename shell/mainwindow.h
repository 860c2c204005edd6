#pragma once
// The program's main window: the start-up sequence that loads the skin, the pages and the user
// directory while the splash shows; the navigation buttons with the login gate; the main menu,
// the About box, the help window and the tray icon; the exit question and the shut-down.
#include "helpwindow.h"
#include "pageunits.h"
#include "ui/layoutwindow.h"
#include "users/session.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QUrl>

#include <functional>

class SingleInstance;
class StyledMenu;

enum class StartupResult {
    Started,           // the main window shows when the splash closes
    HandedOver,        // another copy runs and was asked to show itself; end with code 0
    SkinUnreadable,    // "读取皮肤文件失败!" was shown; end with code 0
    DirectoryUnusable, // the user directory cannot be used and its message was shown; end at once
};

class MainWindow : public LayoutWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence. With a guard, a copy that finds another one running hands over.
    StartupResult start(SingleInstance *guard = nullptr);
    bool startupDone() const { return started; }

    // The six pages by layout name: "view", "entry", "backup", "statistics", "user", "skin".
    LayoutWindow *page(const QString &layoutName) const;
    void showPage(const QString &pageName);
    // The navigation highlight's place on the background canvas and whether it shows.
    QPoint highlightPosition() const;
    bool highlightVisible() const;

    // The login gate: true when a user is logged in, else "请先登录！".
    bool passLoginGate();
    void logOut();
    bool loggedIn() const { return session.loggedIn; }
    // Who is logged in; login sets it, logOut ends it.
    Session session;

    // The splash: one tick of its timer, and the window while it is loaded.
    void splashTick();
    LayoutWindow *splashWindow() const { return splash; }
    int splashTickCount() const { return splashTicks; }
    void openAbout();
    void openHelp();
    HelpWindow *helpWindow() const { return help; }
    StyledMenu *mainMenu() const;

    // The exit question of 关闭按钮; on yes the shut-down steps run and ended() is emitted.
    void askToExit();
    // Shows and restores the window, as a second start and a left click on the tray icon do.
    void bringToFront();
    // A click on the tray icon: the left button restores the window and keeps it on top, the
    // right one pops up the main menu; a double click adds nothing.
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

    // Opens a web address; tests replace it.
    std::function<void(const QUrl &)> openLink;
    static const QUrl homePage, sinaMicroblog, tencentMicroblog;

signals:
    void ended();
    // The navigation's requests the pages answer, each after the login gate let it through.
    void entryRequested();      // 添加按钮: a new record, before "添加" shows
    void modifyRequested();     // 修改按钮: the chosen record into the entry form
    void deleteRequested();     // 删除按钮: the chosen record deleted
    void statisticsRequested(); // 统计按钮: the figures, before "统计" shows
    void printRequested();      // 打印列表按钮 of the view page
    void migrationRequested();  // menu "旧版数据恢复" (no gate: the migration checks the login itself)
    void automaticBackupsRequested(); // menu "自动备份"
    // logOut: whatever else the session keeps, before the view page shows again.
    void sessionEnded();

protected:
    void moveEvent(QMoveEvent *event) override;

private:
    void stampRegistry();
    void openSplash(bool modal);
    void closeSplash();
    void loadPages();
    // The two ledger lists: striped rows and their own header.
    void styleLedgerLists();
    void wireNavigation();
    void wireMenu();
    void wireDropDownProxies();
    void installTrayIcon();
    void shutDown();
    // A session that ends leaves an automatic copy of a changed ledger.
    void backUpEndingSession();
    void placeHighlightUnder(const QString &buttonName);
    void hideHighlight();

    bool started = false;
    bool aboutShown = false;
    int splashTicks = 0;
    QPointer<LayoutWindow> splash;
    QPointer<HelpWindow> help;
    QHash<QString, LayoutWindow *> pages;
    QSystemTrayIcon *tray = nullptr;
    MainUnits mainUnits{};
    SplashUnits splashUnits{};
    ViewUnits viewUnits{};
    EntryUnits entryUnits{};
    BackupUnits backupUnits{};
    UserUnits userUnits{};
};
