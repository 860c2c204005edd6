#pragma once
// Backing up the logged-in user's ledger, restoring it from a backup, compacting it.
#include "common/prompter.h"
#include "users/session.h"

#include <functional>

void backupLedger(const Session &session, Prompter &prompter);

// Restore is a small state machine: a backup whose password differs from the current one waits
// for the person to type the backup's password.
enum class RestoreState { Idle, AwaitingPassword };

// The outcome the backup page applies: Idle hides the password prompt, AwaitingPassword shows it.
// After a replacement, logOut has run. Given a copy, it is restored in place of the file the
// person would choose, after the same questions.
RestoreState restoreLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, DbConnection &foreignDb,
                           DbRecordset &foreignRows, const Session &session, Prompter &prompter,
                           const std::function<void()> &logOut, const QString &copy = QString());
RestoreState confirmBackupPassword(DbConnection &ledgerDb, DbRecordset &ledgerRows, DbConnection &foreignDb,
                                   DbRecordset &foreignRows, const Session &session, const QString &typedPassword,
                                   Prompter &prompter, const std::function<void()> &logOut);
RestoreState cancelBackupPassword(DbConnection &foreignDb, DbRecordset &foreignRows);

// Compacts the ledger in place; the person is logged out whatever the result.
void compactLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, const Session &session, Prompter &prompter,
                   const std::function<void()> &logOut);

QString restoreCopyPath();
