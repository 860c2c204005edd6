#pragma once
// The pages a session works on, wired to the core operations: the login bar, the new-user
// window and the view page's list with its totals.
#include "pageunits.h"

#include "exchange/backup.h"
#include "ledger/entry.h"
#include "reports/statistics.h"
#include "reports/views.h"

#include <QObject>
#include <QPointer>

class LayoutWindow;
class PrintGrid;
class MainWindow;
class Prompter;

class SessionPages : public QObject
{
    Q_OBJECT
public:
    SessionPages(MainWindow *main, Prompter &prompter);

    // The login bar's button and the Enter key in its password box.
    void logInFromBar();
    // The view of the range on the view page; a refused view leaves the list as it was.
    void showView(const QString &mode, ViewGrouping grouping = ViewGrouping::None);
    void recomputeTotals();
    QString viewMode() const { return mode; }

    // The user page's three buttons.
    void changePasswordFromPage();
    void deleteUserFromPage();
    void backFromUserPage();

    // The statistics page's figures for the year its label shows; a year chosen from its list.
    void showStatistics();
    void chooseYear(const QString &year);
    // The list as the view page shows it, in the print preview.
    void printList();
    PrintGrid *printout() const { return grid; }

    // The entry page: a new entry, the pending list, saving, modifying the selected record, and
    // deleting the selected record of the view.
    void prepareEntry();
    void addPendingEntry();
    void removePendingEntry();
    void saveEntries();
    void modifySelected();
    void deleteSelected();
    qint64 editingRecord() const { return editingId; }

    // The backup page's commands; the backup password prompt shows while a restore waits for it.
    void showBackupPrompt(bool shown);
    RestoreState restoreState() const { return restore; }

    // The new-user window, opened by the login bar's 注册按钮.
    void openRegistration();
    void registerFromWindow();
    LayoutWindow *registrationWindow() const { return registration; }

private:
    void refillUserList();
    void showTotals(const Totals &totals);
    void showYear(const YearStatistics &year);
    MainWindow *main;
    Prompter &prompter;
    TransparentLabel *title;
    ViewUnits view;
    EntryUnits entry;
    BackupUnits backup;
    StatisticsUnits statistics;
    UserUnits user;
    QString mode;
    QPointer<LayoutWindow> registration;
    NewUserUnits newUser{};
    PrintGrid *grid = nullptr;
    RestoreState restore = RestoreState::Idle;
    qint64 editingId = 0;
    EntryForm entryForm() const;
    void setAmountKind(bool income);
    void resetEntryForm();
    LookupLists lookupLists() const;
    void applyLookupLists(const LookupLists &lists);
};
