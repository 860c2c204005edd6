#pragma once
// Bringing the records of the older version's .lc file into the logged-in user's ledger.
#include "common/prompter.h"
#include "users/session.h"

#include <functional>

// Replaces the ledger's records with the old file's, after the checks and questions, in one
// transaction that also empties the ledger, so any refusal or failure leaves the ledger as it was
// and ends the migration without verifying. The sums of a committed copy are verified; a mismatch
// logs out and puts back the safety copy, made first under a free "<ledger>.bak…" name.
void migrateOlderVersion(DbConnection &ledgerDb, DbRecordset &ledgerRows, DbConnection &foreignDb,
                         DbRecordset &foreignRows, const Session &session, Prompter &prompter,
                         const std::function<void()> &logOut, const std::function<void()> &refreshView);

QString migrationCopyPath();
