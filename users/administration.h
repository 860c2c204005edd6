#pragma once
// Registering a user, changing the logged-in user's password, deleting the logged-in user.
#include "session.h"

#include <QStringList>

#include <functional>

enum class AdminOutcome { Done, Refused, Failed };

// Writes a new ledger for the name, lists it in the user directory and stores the password's
// digest. A registration that fails after its first write undoes what it wrote, and puts back a
// ledger it had moved aside, so the name can be registered again; one cut off is finished or
// undone when the directory is next opened.
AdminOutcome registerUser(DbConnection &directoryDb, DbRecordset &directoryRows, DbConnection &ledgerDb,
                          DbRecordset &ledgerRows, const QString &name, const QString &password,
                          const QString &confirmation, Prompter &prompter);

// Changes the password of the ledger open on ledgerDb. Done and Failed both mean the
// page's boxes are emptied; Done also returns to the view page.
AdminOutcome changePassword(DbConnection &ledgerDb, DbRecordset &ledgerRows, const QString &name,
                            const QString &oldPassword, const QString &newPassword, const QString &confirmation,
                            Prompter &prompter);

// Deletes the logged-in user: the directory row and the ledger file, in an order the start-up
// recovery can finish or undo when it is cut off. Between the deletion and the success message,
// afterDeletion runs (log out, refill the user list).
AdminOutcome deleteUser(DbConnection &directoryDb, DbConnection &ledgerDb, DbRecordset &ledgerRows, Session &session,
                        const QString &name, const QString &oldPassword, Prompter &prompter,
                        const std::function<void()> &afterDeletion);

// True when the name can be a file name in the data folder: not ".", "..", no "/", "\" or control
// characters.
bool isUsableUserName(const QString &name);
