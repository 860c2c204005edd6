#pragma once
// The pages a session works on, each wired by its own controller: the login bar, the view, entry,
// backup, statistics and user pages. This holds them together and answers what tests and
// benchmarks ask of them.
#include "exchange/backup.h"
#include "reports/views.h"

#include <QObject>

class BackupPage;
class EntryPage;
class LayoutWindow;
class LoginBar;
class MainWindow;
class PrintGrid;
class Prompter;
class StatisticsPage;
class UserPage;
class ViewPage;

class SessionPages : public QObject
{
    Q_OBJECT
public:
    SessionPages(MainWindow *main, Prompter &prompter);

    void logInFromBar();
    void showView(const QString &mode, ViewGrouping grouping = ViewGrouping::None);
    QString viewMode() const;
    PrintGrid *printout() const;
    qint64 editingRecord() const;
    RestoreState restoreState() const;
    void openRegistration();
    LayoutWindow *registrationWindow() const;

private:
    LoginBar *loginBar;
    ViewPage *viewPage;
    EntryPage *entryPage;
    BackupPage *backupPage;
    StatisticsPage *statisticsPage;
    UserPage *userPage;
};
