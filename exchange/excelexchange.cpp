#include "excelexchange.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/numbers.h"
#include "dataaccess/instances.h"

namespace {

const QStringList fields{QStringLiteral("xmlx"), QStringLiteral("xmmc"), QStringLiteral("zcje"), QStringLiteral("srje"),
                         QStringLiteral("ry"),   QStringLiteral("rq"),   QStringLiteral("bz")};
const QStringList titles{QStringLiteral("项目类型"), QStringLiteral("项目名称"), QStringLiteral("支出金额"),
                         QStringLiteral("收入金额"), QStringLiteral("人员"),     QStringLiteral("日期"),
                         QStringLiteral("备注")};

qint64 recordCount()
{
    userRecordset.Open(QStringLiteral("select count(*) from lcsj"));
    return textToInteger(userRecordset.GetText(0));
}

// How many records after lastId hold an amount that does not round to one within the limit (the
// doubles above the limit's cent round up beyond it, the double nearest limit + 0.005 still to
// it); -1 when they cannot be counted.
qint64 tooLargeAmountsSince(qint64 lastId)
{
    const QString beyond = QStringLiteral(">") + amountLimitText + QStringLiteral("5");
    if (!userRecordset.Open(QStringLiteral("select count(*) from lcsj where id>") + QString::number(lastId)
                            + QStringLiteral(" and (abs(zcje)") + beyond + QStringLiteral(" or abs(srje)") + beyond
                            + QStringLiteral(")")))
        return -1;
    return textToInteger(userRecordset.GetText(0));
}

} // namespace

void exportLedger(Prompter &prompter)
{
    // An existing workbook keeps its sheets and gets one more, so nothing is asked about replacing it.
    const QString path = prompter.pickFileToAddTo(QStringLiteral("理财数据(*.xls)|*.xls"), QStringLiteral("*.xls"),
                                                  QStringLiteral("理财数据(") + dateText(Clock::today(), 1) + u')');
    if (path.isEmpty())
        return;
    if (userConnection.ExportTableAliased(path, QStringLiteral("lcsj"), fields, titles, QString(), QStringLiteral("lcsj")))
        prompter.showMessage(QStringLiteral("导出数据成功！"));
    else
        prompter.showMessage(QStringLiteral("导出数据失败！"));
}

void importLedger(Prompter &prompter, const std::function<void()> &refreshView)
{
    if (!prompter.askConfirm(QStringLiteral("导入数据前请先备份好数据，是否断续？")))
        return;
    if (!prompter.askConfirm(QStringLiteral("导入会过滤项目类型、项目名称、支出、收入、人员、日期相同的数据！")))
        return;
    // The filter closes its bracket, so the dialog shows the description and lists .xls files.
    const QString path = prompter.pickOpenFile(QStringLiteral("理财数据(*.xls)|*.xls"), QStringLiteral("*.xls"));
    if (path.isEmpty())
        return;
    const qint64 before = recordCount();
    userRecordset.Open(QStringLiteral("select max(id) from lcsj"));
    const qint64 lastId = textToInteger(userRecordset.GetText(0));
    // The rows come in inside a transaction, so rows with amounts the ledger cannot keep send
    // them all back.
    if (userConnection.BeginTrans() == 0) {
        prompter.showMessage(QStringLiteral("导入理财数据失败！"));
        return;
    }
    const bool imported = userConnection.ImportTableMapped(
        path, QStringLiteral("lcsj"), fields,
        QStringLiteral("where rq=ek.日期 and xmlx=ek.项目类型 and xmmc=ek.项目名称 and zcje=ek.支出金额 and "
                       "srje=ek.收入金额 and ry=ek.人员"),
        QStringLiteral("lcsj"), titles);
    if (!imported) {
        userConnection.RollbackTrans();
        prompter.showMessage(QStringLiteral("导入理财数据失败！"));
        return;
    }
    const qint64 tooLarge = tooLargeAmountsSince(lastId);
    if (tooLarge < 0) {
        userConnection.RollbackTrans();
        prompter.showMessage(QStringLiteral("导入理财数据失败！"));
        return;
    }
    if (tooLarge > 0) {
        userConnection.RollbackTrans();
        prompter.showMessage(QStringLiteral("导入理财数据失败！表中有超出范围的金额，金额不能大于") + amountLimitText
                             + QStringLiteral("。"));
        return;
    }
    if (!userConnection.CommitTrans()) {
        userConnection.RollbackTrans();
        prompter.showMessage(QStringLiteral("导入理财数据失败！"));
        return;
    }
    const qint64 added = recordCount() - before;
    prompter.showMessage(QStringLiteral("导入理财数据成功！共 ") + QString::number(added) + QStringLiteral(" 个记录"));
    if (refreshView)
        refreshView();
}
