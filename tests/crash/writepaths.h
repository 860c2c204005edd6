#pragma once
// The eight operations that write the user directory or a ledger, each as the person runs it:
// started in a program folder the crash test prepared, logged in where the page needs it, answered
// yes throughout. The child program runs one of them to be killed; the test runs them too.
#include "common/clock.h"
#include "common/program.h"
#include "dataaccess/instances.h"
#include "exchange/autobackup.h"
#include "exchange/backup.h"
#include "exchange/excelexchange.h"
#include "exchange/migration.h"
#include "ledger/entry.h"
#include "support/scriptedprompter.h"
#include "users/administration.h"
#include "users/session.h"
#include "users/userdirectory.h"

#include <QDir>

namespace crash {

// Whose ledger the operations work on, the name a registration takes, and a bystander whose
// ledger no operation may touch.
inline const QString owner = QStringLiteral("张三");
inline const QString ownerPassword = QStringLiteral("secret");
inline const QString newPassword = QStringLiteral("新密码");
inline const QString newcomer = QStringLiteral("李四");
inline const QString newcomerPassword = QStringLiteral("pw4");
inline const QString bystander = QStringLiteral("王五");
inline const QString bystanderPassword = QStringLiteral("pw5");

// "register-kept" registers a name whose ledger is there already, unlisted: it is kept aside.
// "register-cut" does the same with a kept ledger whose last save a kill cut off, its journal
// still beside it.
inline const QStringList writePaths = {QStringLiteral("save"),          QStringLiteral("import"),
                                       QStringLiteral("restore"),       QStringLiteral("compact"),
                                       QStringLiteral("migrate"),       QStringLiteral("register"),
                                       QStringLiteral("register-kept"), QStringLiteral("register-cut"),
                                       QStringLiteral("password"),      QStringLiteral("delete"),
                                       QStringLiteral("autobackup")};

// Outside data/: the files the person picks.
inline QString workbookPath() { return programPath(QStringLiteral("in/理财数据.xls")); }
inline QString backupPath() { return programPath(QStringLiteral("in/理财数据.lcabak")); }
inline QString olderVersionPath() { return programPath(QStringLiteral("in/张三.lc")); }
// The owner's automatic copies before any operation: the backup of in/, taken twice.
inline QStringList earlierAutomaticCopies()
{
    return {QStringLiteral("2024-03-01 10-00-00.lcabak"), QStringLiteral("2024-03-08 10-00-00.lcabak")};
}

inline void fixClock() { Clock::setFixed(QDateTime(QDate(2024, 3, 9), QTime(10, 20, 30))); }

// The entries of the entry page's pending list that "save" writes.
inline QList<PendingRow> pendingRows()
{
    QList<PendingRow> rows;
    for (int i = 0; i < 400; ++i)
        rows.append({QStringLiteral("生活"), QStringLiteral("午餐%1").arg(i % 37), QStringLiteral("%1.25").arg(i), QStringLiteral("0.00"),
                     owner, QDate(2023, 1, 1).addDays(i).toString(Qt::ISODate), QStringLiteral("备注 %1").arg(i)});
    return rows;
}

inline void closeAll()
{
    for (DbRecordset *r : {&userRecordset, &auxRecordset, &directoryRecordset})
        r->Close();
    for (DbConnection *c : {&userConnection, &auxConnection, &directoryConnection})
        c->Close();
}

// The program's start-up, with the recovery of work cut off, and, where the operation's page
// needs it, the owner's login.
inline bool startUp(const QString &path, Session &session, Prompter &prompter)
{
    QStringList users;
    if (openUserDirectory(directoryConnection, directoryRecordset, prompter, users) != DirectoryOpen::Opened)
        return false;
    if (path.startsWith(QLatin1String("register")) || path == QLatin1String("startup"))
        return true;
    return logIn(userConnection, userRecordset, session, owner, ownerPassword, prompter) == LoginOutcome::LoggedIn;
}

// Runs the operation with every question answered yes; true when it ends in its success message.
inline bool runWritePath(const QString &path, Session &session, ScriptedPrompter &prompter)
{
    prompter.answers = QList<bool>(8, true);
    const auto logOut = [&session] { logOutSession(session); };
    QString success;
    if (path == QLatin1String("save")) {
        return saveNewRecords(userConnection, pendingRows(), prompter);
    } else if (path == QLatin1String("import")) {
        prompter.files = {workbookPath()};
        importLedger(userConnection, userRecordset, prompter, {});
        success = QStringLiteral("导入理财数据成功！");
    } else if (path == QLatin1String("restore")) {
        prompter.files = {backupPath()};
        if (restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut) != RestoreState::Idle)
            return false;
        success = QStringLiteral("恢复数据成功！");
    } else if (path == QLatin1String("compact")) {
        compactLedger(userConnection, userRecordset, session, prompter, logOut);
        success = QStringLiteral("压缩数据库成功！");
    } else if (path == QLatin1String("migrate")) {
        prompter.files = {olderVersionPath()};
        migrateOlderVersion(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut, {});
        success = QStringLiteral("恢复旧版数据库成功！");
    } else if (path.startsWith(QLatin1String("register"))) {
        return registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, newcomer, newcomerPassword, newcomerPassword, prompter) == AdminOutcome::Done;
    } else if (path == QLatin1String("password")) {
        return changePassword(userConnection, userRecordset, owner, ownerPassword, newPassword, newPassword, prompter) == AdminOutcome::Done;
    } else if (path == QLatin1String("delete")) {
        return deleteUser(directoryConnection, userConnection, userRecordset, session, owner, ownerPassword, prompter, {}) == AdminOutcome::Done;
    } else if (path == QLatin1String("autobackup")) {
        // The log-out's copy; a rerun finds the ledger copied already.
        return backUpAtSessionEnd(session.currentDbPath, prompter) != AutomaticBackup::Failed;
    }
    return !prompter.messages.isEmpty() && prompter.messages.last().startsWith(success);
}

} // namespace crash
