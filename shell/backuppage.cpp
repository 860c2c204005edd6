#include "backuppage.h"

#include "backupwindow.h"
#include "billimportwindow.h"
#include "mainwindow.h"
#include "viewpage.h"

#include "dataaccess/instances.h"
#include "exchange/excelexchange.h"
#include "exchange/migration.h"
#include "ui/units.h"

BackupPage::BackupPage(MainWindow *owner, Prompter &prompts, ViewPage &shownView, QObject *parent)
    : QObject(parent), main(owner), prompter(prompts), viewPage(shownView),
      backup(BackupUnits::bind(*owner->page(QStringLiteral("backup"))))
{
    // A restore, a compaction or a migration that replaced the ledger ends the session.
    const auto endThenRefresh = [this] { main->logOut(); };
    const auto showDetail = [this] { viewPage.showView(detailMode); };
    const auto onClick = [this](GraphicButton *button, std::function<void()> action) {
        connect(button, &GraphicButton::clicked, this, std::move(action));
    };
    onClick(backup.backUp, [this] { backupLedger(main->session, prompter); });
    onClick(backup.exportLedger, [this] { exportLedger(userConnection, userRecordset, prompter); });
    onClick(backup.importLedger,
            [this, showDetail] { importLedger(userConnection, userRecordset, prompter, showDetail); });
    onClick(owner->page(QStringLiteral("backup"))->requiredUnit<GraphicButton>(QStringLiteral("导入账单按钮")),
            [this, showDetail] { openBillImport(main, prompter, main->session.currentUser, showDetail); });
    onClick(backup.compact, [this, endThenRefresh] {
        compactLedger(userConnection, userRecordset, main->session, prompter, endThenRefresh);
    });
    onClick(backup.restore, [this] { restoreFrom(QString()); });
    onClick(backup.confirmPassword, [this, endThenRefresh] {
        restore = confirmBackupPassword(userConnection, userRecordset, auxConnection, auxRecordset, main->session,
                                        backup.password->text(), prompter, endThenRefresh);
        if (restore == RestoreState::Idle)
            showBackupPrompt(false);
    });
    onClick(backup.cancelPassword, [this] {
        restore = cancelBackupPassword(auxConnection, auxRecordset);
        showBackupPrompt(false);
    });
    connect(main, &MainWindow::migrationRequested, this, [this, endThenRefresh, showDetail] {
        migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, main->session, prompter,
                            endThenRefresh, showDetail);
    });
    connect(main, &MainWindow::automaticBackupsRequested, this, [this] {
        if (!copies) {
            copies = createBackupWindow(main, main->session.currentDbPath,
                                        {[this](const QString &copy) { restoreFrom(copy); },
                                         [this](const QString &folder) { main->openLink(QUrl::fromLocalFile(folder)); }});
        }
        copies->show();
        copies->raise();
    });
}

void BackupPage::restoreFrom(const QString &copy)
{
    // A copy's password prompt shows on the backup page, as a chosen file's does.
    if (!copy.isEmpty())
        main->showPage(QStringLiteral("备份"));
    showBackupPrompt(false);
    restore = restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, main->session, prompter,
                            [this] { main->logOut(); }, copy);
    showBackupPrompt(restore == RestoreState::AwaitingPassword);
}

void BackupPage::showBackupPrompt(bool shown)
{
    for (QWidget *unit : {backup.passwordLabel, backup.passwordFrame, static_cast<QWidget *>(backup.confirmPassword),
                          static_cast<QWidget *>(backup.cancelPassword)})
        unit->setVisible(shown);
    if (!shown)
        backup.password->clear();
}
