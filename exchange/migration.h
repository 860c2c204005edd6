#pragma once
// Bringing the records of the older version's .lc file into the logged-in user's ledger.
#include "common/prompter.h"
#include "users/session.h"

#include <functional>

// Replaces the ledger's records with the old file's, after the checks and questions, in one
// transaction that also empties the ledger, so any failure leaves the ledger as it was. The sums
// are verified afterwards; a mismatch logs out and puts the safety copy back.
void migrateOlderVersion(const Session &session, Prompter &prompter, const std::function<void()> &logOut,
                         const std::function<void()> &refreshView);

QString migrationCopyPath();
