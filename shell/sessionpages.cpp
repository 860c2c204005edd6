#include "sessionpages.h"

#include "backuppage.h"
#include "entrypage.h"
#include "loginbar.h"
#include "statisticspage.h"
#include "userpage.h"
#include "viewpage.h"

#include "mainwindow.h"

SessionPages::SessionPages(MainWindow *main, Prompter &prompter)
    : QObject(main), loginBar(new LoginBar(main, prompter, this)),
      viewPage(new ViewPage(main, prompter, this)), entryPage(new EntryPage(main, prompter, *viewPage, this)),
      backupPage(new BackupPage(main, prompter, *viewPage, this)), statisticsPage(new StatisticsPage(main, prompter, this)),
      userPage(new UserPage(main, prompter, *loginBar, this))
{
    // After a login the list shows the user's ledger and the entry page the user's lookup lists.
    connect(loginBar, &LoginBar::loggedIn, viewPage, [this] { viewPage->showView(detailMode); });
    connect(loginBar, &LoginBar::loggedIn, entryPage, &EntryPage::loadLookupLists);
}

void SessionPages::logInFromBar()
{
    loginBar->logIn();
}

void SessionPages::showView(const QString &mode, ViewGrouping grouping)
{
    viewPage->showView(mode, grouping);
}

QString SessionPages::viewMode() const
{
    return viewPage->viewMode();
}

PrintGrid *SessionPages::printout() const
{
    return viewPage->printout();
}

qint64 SessionPages::editingRecord() const
{
    return entryPage->editingRecord();
}

RestoreState SessionPages::restoreState() const
{
    return backupPage->restoreState();
}

void SessionPages::openRegistration()
{
    loginBar->openRegistration();
}

LayoutWindow *SessionPages::registrationWindow() const
{
    return loginBar->registrationWindow();
}
