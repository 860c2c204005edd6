#include "session.h"

#include "passworddigest.h"
#include "userdirectory.h"

#include "common/files.h"
#include "common/sqltext.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"

LoginOutcome logIn(DbConnection &ledgerDb, DbRecordset &ledgerRows, Session &session, const QString &name,
                   const QString &password, Prompter &prompter)
{
    if (name.isEmpty()) {
        prompter.showMessage(QStringLiteral("请输入用户名！"));
        return LoginOutcome::Refused;
    }
    if (password.isEmpty()) {
        prompter.showMessage(QStringLiteral("请输入密码！"));
        return LoginOutcome::Refused;
    }
    session.currentDbPath = existingLedgerPath(name);
    if (!fileExists(session.currentDbPath)) {
        prompter.showMessage(QStringLiteral("用户数据库不存在，可能已经删除！"));
        return LoginOutcome::Refused;
    }
    ledgerRows.Close();
    ledgerDb.Close();
    if (!openJetShowingConversion(ledgerDb, session.currentDbPath, databasePassword, prompter)) {
        prompter.showMessage(QStringLiteral("连接用户数据库失败！"));
        return LoginOutcome::Refused;
    }
    ledgerRows.SetConnection(ledgerDb);
    ledgerRows.Open(QStringLiteral("select * from yhsj where yhmc=") + quoteText(name));
    const QString stored = ledgerRows.GetText(QStringLiteral("yhmm"));
    if (stored.isEmpty() || passwordDigest(password) != stored) {
        session.loggedIn = false;
        prompter.showMessage(QStringLiteral("密码错误,请重新输入！"));
        return LoginOutcome::WrongPassword;
    }
    session.currentUser = name;
    session.loggedIn = true;
    mentionKeptWindowsFiles(prompter);
    return LoginOutcome::LoggedIn;
}

void logOutSession(Session &session)
{
    session.loggedIn = false;
}
