#pragma once
// The automatic backups window of the main menu's "自动备份": the switch, the logged-in user's
// copies with their time, size and record count, restoring a chosen copy and opening their folder.
#include <QString>

#include <functional>

class LayoutWindow;
class QWidget;

struct BackupWindowActions
{
    std::function<void(const QString &copy)> restore; // the window has closed when it runs
    std::function<void(const QString &folder)> openFolder;
};

LayoutWindow *createBackupWindow(QWidget *mainWindow, const QString &ledger, BackupWindowActions actions);
