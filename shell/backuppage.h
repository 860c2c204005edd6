#pragma once
// The backup page: backup, Excel export and import, compaction and restore with its password
// prompt; and the older-version migration of the main menu, which ends the same way.
#include "pageunits.h"

#include "exchange/backup.h"

#include <QObject>
#include <QPointer>

class LayoutWindow;
class MainWindow;
class Prompter;
class ViewPage;

class BackupPage : public QObject
{
    Q_OBJECT
public:
    BackupPage(MainWindow *owner, Prompter &prompts, ViewPage &shownView, QObject *parent);

    // The backup password prompt shows while a restore waits for it.
    void showBackupPrompt(bool shown);
    RestoreState restoreState() const { return restore; }
    // The automatic backups window, while it is open.
    LayoutWindow *backupWindow() const { return copies; }

private:
    // 恢复数据, of a chosen file or, given one, of an automatic copy.
    void restoreFrom(const QString &copy);

    MainWindow *main;
    Prompter &prompter;
    ViewPage &viewPage;
    BackupUnits backup;
    RestoreState restore = RestoreState::Idle;
    QPointer<LayoutWindow> copies;
};
