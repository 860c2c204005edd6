#include "migration.h"
#include "autobackup.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/program.h"
#include "common/sqltext.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
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
void restoreSafetyCopy(const Session &session, const QString &safetyCopy, const std::function<void()> &logOut)
{
    if (logOut)
        logOut();
    userRecordset.Close();
    userConnection.Close();
    copyFileReplacing(safetyCopy, session.currentDbPath);
}

// Ends the migration with its message, taking back everything the transaction did.
void refuse(Prompter &prompter, const QString &message)
{
    userConnection.RollbackTrans();
    prompter.showMessage(message);
}

} // namespace

QString migrationCopyPath()
{
    return programPath(QStringLiteral("data/temp2.dat"));
}

void migrateOlderVersion(const Session &session, Prompter &prompter, const std::function<void()> &logOut,
                         const std::function<void()> &refreshView)
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
    const auto dropWorkingCopy = qScopeGuard([] {
        auxRecordset.Close();
        auxConnection.Close();
        removeWorkingCopy(migrationCopyPath());
    });
    // Never the working copy of an earlier chosen file: let go of it, and stop when the copy fails.
    auxRecordset.Close();
    auxConnection.Close();
    removeWorkingCopy(migrationCopyPath());
    if (!copyFileReplacing(chosen, migrationCopyPath())
        || !openJetShowingConversion(auxConnection, migrationCopyPath(), databasePassword, prompter)) {
        prompter.showMessage(QStringLiteral("连接旧版数据库失败！"));
        return;
    }
    auxRecordset.SetConnection(auxConnection);
    auxRecordset.Open(QStringLiteral("select * from dlyh where mc=") + quoteText(session.currentUser));
    if (auxRecordset.RecordCount() <= 0) {
        prompter.showMessage(QStringLiteral("旧版数据用户名与当前用户名不一样！请先登录与之同的用户名！"));
        return;
    }
    userRecordset.Open(QStringLiteral("select * from yhsj where yhmc=") + quoteText(session.currentUser));
    if (auxRecordset.GetText(QStringLiteral("mm")) != userRecordset.GetText(QStringLiteral("yhmm"))) {
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
    userRecordset.Open(QStringLiteral("select count(*) from lcsj"));
    const qint64 count = textToInteger(userRecordset.GetText(0));
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
    if (userConnection.BeginTrans() == 0) {
        prompter.showMessage(QStringLiteral("恢复旧版数据库失败！"));
        return;
    }
    if (count > 0 && !userConnection.Execute(QStringLiteral("delete from lcsj"))) {
        refuse(prompter, QStringLiteral("恢复旧版数据库失败！"));
        return;
    }
    // What the copy adds to: the emptied ledger inside the transaction.
    double expenseBefore = 0, incomeBefore = 0, expenseOld = 0, incomeOld = 0;
    readSums(userRecordset, &expenseBefore, &incomeBefore);
    readSums(auxRecordset, &expenseOld, &incomeOld);

    auxRecordset.Open(QStringLiteral("select * from lcsj"));
    const qint64 n = auxRecordset.RecordCount();
    const QString today = dateText(Clock::today(), 1);
    ProgressScope progress(prompter, QStringLiteral("正在恢复旧版数据……"), n, false);
    for (qint64 i = 0; i < n; ++i) {
        progress.step(i);
        const double expense = auxRecordset.GetNumber(RecordColumn::expense);
        const double income = auxRecordset.GetNumber(RecordColumn::income);
        if (isNegativeAmount(expense)) {
            refuse(prompter, QStringLiteral("旧数据库中存在负数的支出金额数值，暂时不支持转换！"));
            return;
        }
        if (isNegativeAmount(income)) {
            refuse(prompter, QStringLiteral("旧数据库中存在负数的收入金额数值，暂时不支持转换！"));
            return;
        }
        const QString statement = QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,bz,rq,tjrq) values (")
            + quoteText(auxRecordset.GetText(RecordColumn::type)) + u','
            + quoteText(auxRecordset.GetText(RecordColumn::name)) + u','
            + auxRecordset.GetText(RecordColumn::expense) + u',' + auxRecordset.GetText(RecordColumn::income) + u','
            + quoteText(auxRecordset.GetText(RecordColumn::person)) + u','
            + quoteText(auxRecordset.GetText(RecordColumn::remark)) + u','
            + quoteText(dateText(auxRecordset.GetDateTime(RecordColumn::day), 1)) + u',' + quoteText(today) + u')';
        if (!userConnection.Execute(statement)) {
            refuse(prompter, QStringLiteral("恢复旧版数据库失败！"));
            return;
        }
        auxRecordset.MoveNext();
    }
    if (!userConnection.CommitTrans()) {
        refuse(prompter, QStringLiteral("恢复旧版数据库失败！"));
        return;
    }

    double expenseAfter = 0, incomeAfter = 0;
    readSums(userRecordset, &expenseAfter, &incomeAfter);
    if (std::fabs((expenseAfter - expenseBefore) - expenseOld) > amountTolerance) {
        prompter.showMessage(QStringLiteral("恢复失败,支出金额与原备份数据支出金额不一样！"));
        restoreSafetyCopy(session, safetyCopy, logOut);
        return;
    }
    if (std::fabs((incomeAfter - incomeBefore) - incomeOld) > amountTolerance) {
        restoreSafetyCopy(session, safetyCopy, logOut);
        prompter.showMessage(QStringLiteral("恢复数据后,收入金额与原备份数据收入金额不一样！"));
        return;
    }
    if (refreshView)
        refreshView();
    prompter.showMessage(QStringLiteral("恢复旧版数据库成功！"));
}
