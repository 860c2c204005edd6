#pragma once
// Who is logged in, and logging in: the ledger of the name opened on the ledger connection and the
// password checked against the digest stored in it.
#include "common/prompter.h"
#include "dataaccess/dbrecordset.h"

#include <QString>

struct Session
{
    bool loggedIn = false;
    QString currentUser;   // the name exactly as typed at login
    QString currentDbPath; // the ledger of the last attempt that got past the empty-field checks
};

enum class LoginOutcome {
    LoggedIn,      // the session is set; the page shows the user and the ledger
    Refused,       // a message was shown; nothing changed but currentDbPath
    WrongPassword, // "密码错误,请重新输入！" was shown; the password box keeps its text, selected
};

// Neither text is trimmed. ledgerDb and ledgerRows end up on the named ledger when its
// file could be opened, whatever the password.
LoginOutcome logIn(DbConnection &ledgerDb, DbRecordset &ledgerRows, Session &session, const QString &name,
                   const QString &password, Prompter &prompter);

// Ends the session; the name and the path stay, as the ledger stays open until the next login.
void logOutSession(Session &session);
