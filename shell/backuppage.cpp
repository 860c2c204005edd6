#include "backuppage.h"

#include "mainwindow.h"
#include "viewpage.h"

#include "exchange/excelexchange.h"
#include "exchange/migration.h"
#include "ui/units.h"

BackupPage::BackupPage(MainWindow *main, Prompter &prompter, ViewPage &viewPage, QObject *parent)
    : QObject(parent), main(main), prompter(prompter), viewPage(viewPage),
      backup(BackupUnits::bind(*main->page(QStringLiteral("backup"))))
{
    // A restore, a compaction or a migration that replaced the ledger ends the session.
    const auto endThenRefresh = [this] { this->main->logOut(); };
    const auto showDetail = [this] { this->viewPage.showView(detailMode); };
    const auto onClick = [this](GraphicButton *button, std::function<void()> action) {
        connect(button, &GraphicButton::clicked, this, std::move(action));
    };
    onClick(backup.backUp, [this] { backupLedger(this->main->session, this->prompter); });
    onClick(backup.exportLedger, [this] { exportLedger(this->prompter); });
    onClick(backup.importLedger, [this, showDetail] { importLedger(this->prompter, showDetail); });
    onClick(backup.compact, [this, endThenRefresh] { compactLedger(this->main->session, this->prompter, endThenRefresh); });
    onClick(backup.restore, [this, endThenRefresh] {
        showBackupPrompt(false);
        restore = restoreLedger(this->main->session, this->prompter, endThenRefresh);
        showBackupPrompt(restore == RestoreState::AwaitingPassword);
    });
    onClick(backup.confirmPassword, [this, endThenRefresh] {
        restore = confirmBackupPassword(this->main->session, backup.password->text(), this->prompter, endThenRefresh);
        if (restore == RestoreState::Idle)
            showBackupPrompt(false);
    });
    onClick(backup.cancelPassword, [this] {
        restore = cancelBackupPassword();
        showBackupPrompt(false);
    });
    connect(main, &MainWindow::migrationRequested, this, [this, endThenRefresh, showDetail] {
        migrateOlderVersion(this->main->session, this->prompter, endThenRefresh, showDetail);
    });
}

void BackupPage::showBackupPrompt(bool shown)
{
    for (QWidget *unit : {backup.passwordLabel, backup.passwordFrame, static_cast<QWidget *>(backup.confirmPassword),
                          static_cast<QWidget *>(backup.cancelPassword)})
        unit->setVisible(shown);
    if (!shown)
        backup.password->clear();
}
