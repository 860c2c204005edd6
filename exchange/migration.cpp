#include "migration.h"
#include "autobackup.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/program.h"
#include "common/sqltext.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "ledger/schema.h"

#include <QScopeGuard>

#include <cmath>

namespace {

const QString sumsQuery = QStringLiteral("select sum(zcje) as zcje1,sum(srje) as srje1 from lcsj");

void readSums(DbRecordset &recordset, double *expense, double *income)
{
    recordset.Open(sumsQuery);
    *expense = recordset.GetNumber(QStringLiteral("zcje1"));
    *income = recordset.GetNumber(QStringLiteral("srje1"));
}

// Logs out, lets go of the ledger and puts the safety copy back over it.
void restoreSafetyCopy(DbConnection &ledgerDb, DbRecordset &ledgerRows, const Session &session,
                       const QString &safetyCopy, const std::function<void()> &logOut)
{
    if (logOut)
        logOut();
    ledgerRows.Close();
    ledgerDb.Close();
    copyFileReplacing(safetyCopy, session.currentDbPath);
}

// Ends the migration with its message, taking back everything the transaction did.
void refuse(DbConnection &ledgerDb, Prompter &prompter, const QString &message)
{
    ledgerDb.RollbackTrans();
    prompter.showMessage(message);
}

} // namespace

QString migrationCopyPath()
{
    return programPath(QStringLiteral("data/temp2.dat"));
}

void migrateOlderVersion(DbConnection &ledgerDb, DbRecordset &ledgerRows, DbConnection &foreignDb,
                         DbRecordset &foreignRows, const Session &session, Prompter &prompter,
                         const std::function<void()> &logOut, const std::function<void()> &refreshView)
{
    if (!session.loggedIn) {
        prompter.showMessage(QStringLiteral("请先登录！(用户名必须与旧版数据的用户相同，并且密码也要相同！)"));
        return;
    }
    const QString chosen = prompter.pickOpenFile(QStringLiteral("旧版数据（*.lc)|*.lc"), QStringLiteral("*.lc"));
    if (chosen.isEmpty() || !fileExists(chosen))
        return;
    // The working copy, and the Windows file its conversion kept beside it, go when the migration
    // ends, whatever its outcome.
    const auto dropWorkingCopy = qScopeGuard([&foreignDb, &foreignRows] {
        foreignRows.Close();
        foreignDb.Close();
        removeWorkingCopy(migrationCopyPath());
    });
    // Never the working copy of an earlier chosen file: let go of it, and stop when the copy fails.
    foreignRows.Close();
    foreignDb.Close();
    removeWorkingCopy(migrationCopyPath());
    if (!copyFileReplacing(chosen, migrationCopyPath())
        || !openJetShowingConversion(foreignDb, migrationCopyPath(), databasePassword, prompter)) {
        prompter.showMessage(QStringLiteral("连接旧版数据库失败！"));
        return;
    }
    foreignRows.SetConnection(foreignDb);
    foreignRows.Open(QStringLiteral("select * from dlyh where mc=") + quoteText(session.currentUser));
    if (foreignRows.RecordCount() <= 0) {
        prompter.showMessage(QStringLiteral("旧版数据用户名与当前用户名不一样！请先登录与之同的用户名！"));
        return;
    }
    ledgerRows.Open(QStringLiteral("select * from yhsj where yhmc=") + quoteText(session.currentUser));
    if (foreignRows.GetText(QStringLiteral("mm")) != ledgerRows.GetText(QStringLiteral("yhmm"))) {
        prompter.showMessage(QStringLiteral("旧版数据库用户密码与当前用户密码不一样！请修改当前用户密码！"));
        return;
    }
    // The safety copy is what a failed verification puts back; without it nothing is changed. It
    // never overwrites a copy kept earlier, such as the ledger a registration of the name set aside.
    const QString safetyCopy = freeBackupName(session.currentDbPath);
    if (!copyFileReplacing(session.currentDbPath, safetyCopy)) {
        prompter.showMessage(QStringLiteral("恢复旧版数据库失败！"));
        return;
    }
    ledgerRows.Open(QStringLiteral("select count(*) from lcsj"));
    const qint64 count = textToInteger(ledgerRows.GetText(0));
    if (count > 0) {
        if (!prompter.askConfirm(QStringLiteral("恢复旧版数据将会删除清空当前用户现有数据！是否继续？")))
            return;
        if (!prompter.askConfirm(QStringLiteral("是否真的要删除清空当前用户的所有数据？")))
            return;
    }
    if (!takeSafetyCopy(session.currentDbPath, prompter))
        return;
    // Emptying belongs to the same transaction as the copy, so every refusal and failure leaves
    // the ledger as it was, and ends the migration: nothing of it was kept, so nothing is verified.
    if (ledgerDb.BeginTrans() == 0) {
        prompter.showMessage(QStringLiteral("恢复旧版数据库失败！"));
        return;
    }
    if (count > 0 && !ledgerDb.Execute(QStringLiteral("delete from lcsj"))) {
        refuse(ledgerDb, prompter, QStringLiteral("恢复旧版数据库失败！"));
        return;
    }
    // What the copy adds to: the emptied ledger inside the transaction.
    double expenseBefore = 0, incomeBefore = 0, expenseOld = 0, incomeOld = 0;
    readSums(ledgerRows, &expenseBefore, &incomeBefore);
    readSums(foreignRows, &expenseOld, &incomeOld);

    foreignRows.Open(QStringLiteral("select * from lcsj"));
    const qint64 n = foreignRows.RecordCount();
    const QString today = dateText(Clock::today(), 1);
    ProgressScope progress(prompter, QStringLiteral("正在恢复旧版数据……"), n, false);
    for (qint64 i = 0; i < n; ++i) {
        progress.step(i);
        const double expense = foreignRows.GetNumber(RecordColumn::expense);
        const double income = foreignRows.GetNumber(RecordColumn::income);
        if (isNegativeAmount(expense)) {
            refuse(ledgerDb, prompter, QStringLiteral("旧数据库中存在负数的支出金额数值，暂时不支持转换！"));
            return;
        }
        if (isNegativeAmount(income)) {
            refuse(ledgerDb, prompter, QStringLiteral("旧数据库中存在负数的收入金额数值，暂时不支持转换！"));
            return;
        }
        const QString statement = QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,bz,rq,tjrq) values (")
            + quoteText(foreignRows.GetText(RecordColumn::type)) + u','
            + quoteText(foreignRows.GetText(RecordColumn::name)) + u',' + foreignRows.GetText(RecordColumn::expense)
            + u',' + foreignRows.GetText(RecordColumn::income) + u','
            + quoteText(foreignRows.GetText(RecordColumn::person)) + u','
            + quoteText(foreignRows.GetText(RecordColumn::remark)) + u','
            + quoteText(dateText(foreignRows.GetDateTime(RecordColumn::day), 1)) + u',' + quoteText(today) + u')';
        if (!ledgerDb.Execute(statement)) {
            refuse(ledgerDb, prompter, QStringLiteral("恢复旧版数据库失败！"));
            return;
        }
        foreignRows.MoveNext();
    }
    if (!ledgerDb.CommitTrans()) {
        refuse(ledgerDb, prompter, QStringLiteral("恢复旧版数据库失败！"));
        return;
    }

    double expenseAfter = 0, incomeAfter = 0;
    readSums(ledgerRows, &expenseAfter, &incomeAfter);
    if (std::fabs((expenseAfter - expenseBefore) - expenseOld) > amountTolerance) {
        prompter.showMessage(QStringLiteral("恢复失败,支出金额与原备份数据支出金额不一样！"));
        restoreSafetyCopy(ledgerDb, ledgerRows, session, safetyCopy, logOut);
        return;
    }
    if (std::fabs((incomeAfter - incomeBefore) - incomeOld) > amountTolerance) {
        restoreSafetyCopy(ledgerDb, ledgerRows, session, safetyCopy, logOut);
        prompter.showMessage(QStringLiteral("恢复数据后,收入金额与原备份数据收入金额不一样！"));
        return;
    }
    if (refreshView)
        refreshView();
    prompter.showMessage(QStringLiteral("恢复旧版数据库成功！"));
}
