#include "backup.h"
#include "autobackup.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/files.h"
#include "common/program.h"
#include "common/sqltext.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "users/passworddigest.h"

namespace {

const QString backupFilter = QStringLiteral("备份数据(*.lcabak)|*.lcabak");
// A restore also takes a ledger file, of this program or of the Windows program.
const QString restoreFilter = QStringLiteral("备份数据或账本文件(*.lcabak,*_lc.dat)|*.lcabak;*_lc.dat");

QString accountQuery(const Session &session)
{
    return QStringLiteral("select * from yhsj where yhmc=") + quoteText(session.currentUser);
}

void closeAuxiliary(DbConnection &foreignDb, DbRecordset &foreignRows)
{
    foreignRows.Close();
    foreignDb.Close();
}

// The restore copy, and the original a Windows backup left beside it when it was converted.
void removeRestoreCopy()
{
    removeWorkingCopy(restoreCopyPath());
}

// Puts the checked restore copy in place of the ledger. The copy replaces the ledger in one step,
// so the ledger is the old file or the whole new one, never neither.
RestoreState replaceLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, DbConnection &foreignDb,
                           DbRecordset &foreignRows, const Session &session, Prompter &prompter,
                           const std::function<void()> &logOut)
{
    closeAuxiliary(foreignDb, foreignRows);
    if (!takeSafetyCopy(session.currentDbPath, prompter)) {
        removeRestoreCopy();
        return RestoreState::Idle;
    }
    ledgerRows.Close();
    ledgerDb.Close();
    bool copied = false;
    {
        ProgressScope progress(prompter, QStringLiteral("正在恢复数据……"), 1000, false);
        progress.step(0);
        const bool whole = isWholeDatabase(restoreCopyPath(), databasePassword);
        copied = whole && copyFileReplacing(restoreCopyPath(), session.currentDbPath, inThousandths(progress));
    }
    prompter.showMessage(copied ? QStringLiteral("恢复数据成功！") : QStringLiteral("恢复数据失败！"));
    removeRestoreCopy();
    if (logOut)
        logOut();
    return RestoreState::Idle;
}

} // namespace

QString restoreCopyPath()
{
    return programPath(QStringLiteral("data/temp.dat"));
}

void backupLedger(const Session &session, Prompter &prompter)
{
    const QString path = prompter.pickSaveFile(backupFilter, QStringLiteral("*.lcabak"),
                                               QStringLiteral("理财数据(") + dateText(Clock::today(), 1) + u')');
    if (path.isEmpty())
        return;
    bool copied = false;
    {
        ProgressScope progress(prompter, QStringLiteral("正在备份数据……"), 1000, false);
        copied = copyFileReplacing(session.currentDbPath, path, inThousandths(progress));
    }
    prompter.showMessage(copied ? QStringLiteral("备份数据成功！") : QStringLiteral("备份数据失败！"));
}

RestoreState restoreLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, DbConnection &foreignDb,
                           DbRecordset &foreignRows, const Session &session, Prompter &prompter,
                           const std::function<void()> &logOut, const QString &copy)
{
    if (!prompter.askConfirm(QStringLiteral("恢复数据前请先备份好数据！是否断续？")))
        return RestoreState::Idle;
    if (!prompter.askConfirm(QStringLiteral("恢复数据将删除原数据库，是否真的要恢复数据？")))
        return RestoreState::Idle;
    const QString chosen = copy.isEmpty() ? prompter.pickOpenFile(restoreFilter, QStringLiteral("*.lcabak")) : copy;
    if (chosen.isEmpty())
        return RestoreState::Idle;
    // The copy of an earlier restore is never used: the auxiliary pair lets go of it first, and a
    // copy that fails stops here.
    closeAuxiliary(foreignDb, foreignRows);
    removeRestoreCopy();
    bool copied = false;
    {
        ProgressScope progress(prompter, QStringLiteral("正在读取备份数据……"), 1000, false);
        copied = copyFileReplacing(chosen, restoreCopyPath(), inThousandths(progress));
    }
    if (!copied || !openJetShowingConversion(foreignDb, restoreCopyPath(), databasePassword, prompter)) {
        closeAuxiliary(foreignDb, foreignRows);
        removeRestoreCopy();
        prompter.showMessage(QStringLiteral("连接备份数据库失败！可能数据库不是最新版的！"));
        return RestoreState::Idle;
    }
    foreignRows.SetConnection(foreignDb);
    foreignRows.Open(accountQuery(session));
    if (foreignRows.RecordCount() <= 0) {
        closeAuxiliary(foreignDb, foreignRows);
        removeRestoreCopy();
        prompter.showMessage(QStringLiteral("该备份数据库用户名与当前用户名不一样，不能恢复！"));
        return RestoreState::Idle;
    }
    ledgerRows.Open(accountQuery(session));
    if (foreignRows.GetText(QStringLiteral("yhmm")) != ledgerRows.GetText(QStringLiteral("yhmm")))
        return RestoreState::AwaitingPassword;
    return replaceLedger(ledgerDb, ledgerRows, foreignDb, foreignRows, session, prompter, logOut);
}

RestoreState confirmBackupPassword(DbConnection &ledgerDb, DbRecordset &ledgerRows, DbConnection &foreignDb,
                                   DbRecordset &foreignRows, const Session &session, const QString &typedPassword,
                                   Prompter &prompter, const std::function<void()> &logOut)
{
    foreignRows.Open(accountQuery(session));
    if (passwordDigest(typedPassword) != foreignRows.GetText(QStringLiteral("yhmm"))) {
        prompter.showMessage(QStringLiteral("密码错误，请重新输入！"));
        return RestoreState::AwaitingPassword;
    }
    ledgerRows.Open(accountQuery(session));
    const QString current = ledgerRows.GetText(QStringLiteral("yhmm"));
    if (!foreignDb.Execute(QStringLiteral("update yhsj set yhmm=") + quoteText(current) + QStringLiteral(" where yhmc=")
                           + quoteText(session.currentUser))) {
        prompter.showMessage(QStringLiteral("恢复数据失败！[02]"));
        return RestoreState::AwaitingPassword;
    }
    return replaceLedger(ledgerDb, ledgerRows, foreignDb, foreignRows, session, prompter, logOut);
}

RestoreState cancelBackupPassword(DbConnection &foreignDb, DbRecordset &foreignRows)
{
    closeAuxiliary(foreignDb, foreignRows);
    removeRestoreCopy();
    return RestoreState::Idle;
}

void compactLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, const Session &session, Prompter &prompter,
                   const std::function<void()> &logOut)
{
    if (!prompter.askConfirm(QStringLiteral("压缩数据前请先备份好数据！是否继续？")))
        return;
    ledgerRows.Close();
    ledgerDb.Close();
    DbCompactResult result = CompactEngineError;
    {
        ProgressScope progress(prompter, QStringLiteral("正在压缩数据……"), 1000, false);
        result = ledgerDb.CompactDatabase(session.currentDbPath, databasePassword, inThousandths(progress));
    }
    if (logOut)
        logOut();
    prompter.showMessage(result == CompactDone ? QStringLiteral("压缩数据库成功！") : QStringLiteral("压缩数据库失败！"));
}
