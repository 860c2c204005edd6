#pragma once
// The program folder of the exchange tests: a data folder with the user directory, and 张三
// (password "secret") registered and logged in, the clock standing at the given moment.
#include "common/clock.h"
#include "common/program.h"
#include "dataaccess/instances.h"
#include "users/administration.h"
#include "users/userdirectory.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

inline void openFixtureSession(const QTemporaryDir &dir, const QDateTime &now, Session &session, Prompter &prompter)
{
    QDir(dir.path()).mkdir("data");
    setProgramDirectory(dir.path());
    Clock::setFixed(now);
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "张三", "secret", "secret", prompter), AdminOutcome::Done);
    session = Session();
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
}

inline void closeFixtureSession()
{
    for (DbRecordset *r : {&userRecordset, &auxRecordset, &directoryRecordset})
        r->Close();
    for (DbConnection *c : {&userConnection, &auxConnection, &directoryConnection})
        c->Close();
    Clock::useSystemTime();
}
