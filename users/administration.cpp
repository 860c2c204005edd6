#include "administration.h"

#include "passworddigest.h"
#include "userdirectory.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/files.h"
#include "common/sqltext.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "ledger/templates.h"

namespace {

// Sets a ledger aside under another name together with its journal. The engine first finishes
// with a journal a kill left behind, so the kept copy is whole; a journal it cannot take goes
// first and the file after it, so a journal never stays behind for a new ledger of the name.
bool setLedgerAside(const QString &ledger, const QString &keptAs)
{
    const QString journal = ledger + QStringLiteral("-journal");
    if (fileExists(journal)) {
        DbConnection connection;
        if (connection.OpenJet(ledger, databasePassword))
            connection.Close();
    }
    if (fileExists(journal) && !moveFile(journal, keptAs + QStringLiteral("-journal")))
        return false;
    return moveFile(ledger, keptAs);
}

// The open ledger's account row has the name and the password: the user page's two checks.
bool isOwnAccount(DbRecordset &ledgerRows, const QString &name, const QString &password, Prompter &prompter)
{
    ledgerRows.Open(QStringLiteral("select * from yhsj where yhmc=") + quoteText(name));
    if (ledgerRows.RecordCount() <= 0) {
        prompter.showMessage(QStringLiteral("用户名不存在，请重新输入！"));
        return false;
    }
    if (passwordDigest(password) != ledgerRows.GetText(QStringLiteral("yhmm"))) {
        prompter.showMessage(QStringLiteral("原密码错误，请重新输入！"));
        return false;
    }
    return true;
}

} // namespace

bool isUsableUserName(const QString &name)
{
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name)
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            return false;
    return true;
}

AdminOutcome registerUser(DbConnection &directoryDb, DbRecordset &directoryRows, DbConnection &ledgerDb,
                          DbRecordset &ledgerRows, const QString &name, const QString &password,
                          const QString &confirmation, Prompter &prompter)
{
    const QString now = dateText(Clock::now(), 0);
    if (name.isEmpty()) {
        prompter.showMessage(QStringLiteral("请输入用户名！"));
        return AdminOutcome::Refused;
    }
    if (password.isEmpty()) {
        prompter.showMessage(QStringLiteral("请输入密码！"));
        return AdminOutcome::Refused;
    }
    if (confirmation.isEmpty()) {
        prompter.showMessage(QStringLiteral("请输入确认密码！"));
        return AdminOutcome::Refused;
    }
    if (password != confirmation) {
        prompter.showMessage(QStringLiteral("两次密码输入不一样！"));
        return AdminOutcome::Refused;
    }
    // The name becomes a file name; one that would leave the data folder is refused first.
    if (!isUsableUserName(name)) {
        prompter.showMessage(QStringLiteral("用户名不能含有 / \\ 或控制字符，也不能是 . 或 ..，请重新输入！"));
        return AdminOutcome::Refused;
    }
    directoryRows.Open(QStringLiteral("select * from yhlbsj where yhmc=") + quoteText(name));
    if (directoryRows.RecordCount() > 0) {
        prompter.showMessage(QStringLiteral("用户名已存在！"));
        return AdminOutcome::Refused;
    }

    const QString path = ledgerPath(name);
    setAutomaticBackupsAside(path);
    QString keptAs;
    if (fileExists(path)) {
        if (!prompter.askConfirm(QStringLiteral("已存在相同用户名的数据，是否要删除后新建？")))
            return AdminOutcome::Refused;
        keptAs = freeBackupName(path);
        setLedgerAside(path, keptAs);
    }
    // The new ledger is written under a passing name and moved into place only once it holds its
    // account row. A registration cut off at any step is finished or undone by the start-up
    // recovery: the user is then whole or gone, never listed without a ledger to log in to.
    const QString pending = pendingLedgerPath(path);
    removeDatabaseFiles(pending);
    bool listed = false;
    bool placed = false;
    // Undoes the steps done so far, so a failed registration leaves the name free.
    const auto undo = [&](const QString &message) {
        ledgerRows.Close();
        ledgerDb.Close();
        if (listed)
            directoryDb.Execute(QStringLiteral("delete from yhlbsj where yhmc=") + quoteText(name));
        removeDatabaseFiles(pending);
        if (placed)
            deleteFile(path);
        if (!keptAs.isEmpty())
            setLedgerAside(keptAs, path);
        prompter.showMessage(message);
        return AdminOutcome::Failed;
    };
    if (!writeTemplate(ledgerTemplate(), pending))
        return undo(QStringLiteral("注册用户失败！[02]"));
    if (!directoryDb.Execute(QStringLiteral("insert into yhlbsj(yhmc,yhsjkmc) values (") + quoteText(name) + u','
                             + quoteText(name + QStringLiteral("_lc.dat")) + u')'))
        return undo(QStringLiteral("注册用户失败！[01]"));
    listed = true;
    ledgerRows.Close();
    ledgerDb.Close();
    if (!ledgerDb.OpenJet(pending, databasePassword))
        return undo(QStringLiteral("注册用户失败！[02]"));
    if (!ledgerDb.Execute(QStringLiteral("insert into yhsj(yhmc,yhmm,tjrq,gxrq) values (") + quoteText(name) + u','
                          + quoteText(passwordDigest(password)) + u',' + quoteText(now) + u',' + quoteText(now) + u')'))
        return undo(QStringLiteral("注册用户失败！[03]"));
    ledgerDb.Close();
    if (!moveFile(pending, path))
        return undo(QStringLiteral("注册用户失败！[02]"));
    placed = true;
    if (!ledgerDb.OpenJet(path, databasePassword))
        return undo(QStringLiteral("注册用户失败！[02]"));
    ledgerRows.SetConnection(ledgerDb);
    prompter.showMessage(QStringLiteral("注册用户成功！密码：") + password);
    return AdminOutcome::Done;
}

AdminOutcome changePassword(DbConnection &ledgerDb, DbRecordset &ledgerRows, const QString &name,
                            const QString &oldPassword, const QString &newPassword, const QString &confirmation,
                            Prompter &prompter)
{
    const QList<std::pair<QString, const char *>> required = {
        {name, "请输入用户名！"}, {oldPassword, "请输入原密码！"}, {newPassword, "请输入新密码！"},
        {confirmation, "请输入确认密码！"}};
    for (const auto &[text, message] : required) {
        if (text.isEmpty()) {
            prompter.showMessage(QString::fromUtf8(message));
            return AdminOutcome::Refused;
        }
    }
    if (newPassword != confirmation) {
        prompter.showMessage(QStringLiteral("二次输入的新密码不一样，请重新输入！"));
        return AdminOutcome::Refused;
    }
    if (!isOwnAccount(ledgerRows, name, oldPassword, prompter))
        return AdminOutcome::Refused;
    if (!ledgerDb.Execute(QStringLiteral("update yhsj set yhmm=") + quoteText(passwordDigest(newPassword))
                          + QStringLiteral(" where yhmc=") + quoteText(name))) {
        prompter.showMessage(QStringLiteral("修改用户密码失败！"));
        return AdminOutcome::Failed;
    }
    prompter.showMessage(QStringLiteral("修改用户密码成功！密码：") + newPassword);
    return AdminOutcome::Done;
}

AdminOutcome deleteUser(DbConnection &directoryDb, DbConnection &ledgerDb, DbRecordset &ledgerRows, Session &session,
                        const QString &name, const QString &oldPassword, Prompter &prompter,
                        const std::function<void()> &afterDeletion)
{
    if (name.isEmpty()) {
        prompter.showMessage(QStringLiteral("请输入用户名！"));
        return AdminOutcome::Refused;
    }
    if (oldPassword.isEmpty()) {
        prompter.showMessage(QStringLiteral("请输入原密码！"));
        return AdminOutcome::Refused;
    }
    if (!prompter.askConfirm(QStringLiteral("是否真的要删除用户（") + name + QStringLiteral(")？")))
        return AdminOutcome::Refused;
    if (!isOwnAccount(ledgerRows, name, oldPassword, prompter))
        return AdminOutcome::Refused;
    if (!prompter.askConfirm(QStringLiteral("删除用户后，将删除该用户的所有数据？是否继续？")))
        return AdminOutcome::Refused;
    // The ledger is first moved to a passing name, then the name leaves the directory, then the
    // moved ledger goes. A deletion cut off in between is finished or undone by the start-up
    // recovery, by whether the name is still listed: the user is whole or gone, never stuck.
    // The ledger that goes is the one that is open: the name may differ from its file name in
    // letter case, which the account row ignores and this file system does not.
    const QString ledger = session.currentDbPath;
    const QString deleting = deletingLedgerPath(ledger);
    const auto keepUser = [&](const QString &message) {
        ledgerDb.OpenJet(ledger, databasePassword);
        ledgerRows.SetConnection(ledgerDb);
        prompter.showMessage(message);
        return AdminOutcome::Failed;
    };
    ledgerRows.Close();
    ledgerDb.Close();
    removeDatabaseFiles(deleting);
    if (!moveFile(ledger, deleting))
        return keepUser(QStringLiteral("删除用户失败！"));
    if (!directoryDb.Execute(QStringLiteral("delete from yhlbsj where yhmc=") + quoteText(name))) {
        moveFile(deleting, ledger);
        return keepUser(QStringLiteral("删除用户失败！[01]"));
    }
    // The copies go before the moved ledger, so a deletion cut off in between still shows as one
    // and the start-up recovery finishes it.
    removeAutomaticBackups(ledger);
    removeDatabaseFiles(deleting);
    removeLeftoverCopies(ledger);
    logOutSession(session);
    if (afterDeletion)
        afterDeletion();
    prompter.showMessage(QStringLiteral("删除用户成功！"));
    return AdminOutcome::Done;
}
