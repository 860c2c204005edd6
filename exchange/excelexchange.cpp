#include "excelexchange.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/numbers.h"
#include "dataaccess/dbrecordset.h"
#include "dataaccess/xls/sheetfile.h"
#include "exchange/autobackup.h"

#include <QFileInfo>

namespace {

const QStringList fields{QStringLiteral("xmlx"), QStringLiteral("xmmc"), QStringLiteral("zcje"), QStringLiteral("srje"),
                         QStringLiteral("ry"),   QStringLiteral("rq"),   QStringLiteral("bz")};
const QStringList titles{QStringLiteral("项目类型"), QStringLiteral("项目名称"), QStringLiteral("支出金额"),
                         QStringLiteral("收入金额"), QStringLiteral("人员"),     QStringLiteral("日期"),
                         QStringLiteral("备注")};

// The kinds of file the ledger is exchanged in, in the order of the dialogs' filters: Excel
// 97-2003 first, as the default; the last, GBK text, only for export (import finds the encoding).
struct ExchangeKind
{
    QString description;
    QString extension;
};
const QList<ExchangeKind> exchangeKinds{{QStringLiteral("理财数据"), QStringLiteral(".xls")},
                                        {QStringLiteral("理财数据 Excel 2007 及以后"), QStringLiteral(".xlsx")},
                                        {QStringLiteral("理财数据 CSV UTF-8"), QStringLiteral(".csv")},
                                        {QStringLiteral("理财数据 CSV GBK"), QStringLiteral(".csv")}};

QString exchangeFilter(bool exporting)
{
    QStringList parts;
    for (qsizetype i = 0; i < exchangeKinds.size() - (exporting ? 0 : 1); ++i) {
        const ExchangeKind &kind = exchangeKinds[i];
        const QString description = !exporting && kind.extension == QLatin1String(".csv")
                                        ? QStringLiteral("理财数据 CSV")
                                        : kind.description;
        parts << description + QStringLiteral("(*") + kind.extension + QStringLiteral(")|*") + kind.extension;
    }
    return parts.join(u'|');
}

qint64 recordCount(DbRecordset &ledgerRows)
{
    ledgerRows.Open(QStringLiteral("select count(*) from lcsj"));
    return textToInteger(ledgerRows.GetText(0));
}

// How many records after lastId hold an amount that does not round to one within the limit (the
// doubles above the limit's cent round up beyond it, the double nearest limit + 0.005 still to
// it); -1 when they cannot be counted.
qint64 tooLargeAmountsSince(DbRecordset &ledgerRows, qint64 lastId)
{
    const QString beyond = QStringLiteral(">") + amountLimitText + QStringLiteral("5");
    if (!ledgerRows.Open(QStringLiteral("select count(*) from lcsj where id>") + QString::number(lastId)
                         + QStringLiteral(" and (abs(zcje)") + beyond + QStringLiteral(" or abs(srje)") + beyond
                         + QStringLiteral(")")))
        return -1;
    return textToInteger(ledgerRows.GetText(0));
}

// Reports the rows a workbook statement has moved to the person, and tells whether they asked
// to stop.
class RowProgress
{
public:
    RowProgress(Prompter &prompter, const QString &what, qint64 total)
        : scope(prompter, what, total, true), watch([this](qint64 rows) { return !(stopped = stopped || !scope.step(rows)); })
    {
    }
    bool stopped = false;

private:
    ProgressScope scope;
    SheetProgress watch;
};

} // namespace

QString chosenExchangePath(const QString &path, int filter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (path.isEmpty() || filter <= 0 || filter >= exchangeKinds.size() || suffix == QLatin1String("xls")
        || sheetFormatOf(path) != SheetFormat::Xls)
        return path;
    // A name of another extension, in a kind chosen by its filter, gets that kind's extension.
    return path + exchangeKinds.at(filter).extension;
}

void exportLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, Prompter &prompter)
{
    // An existing workbook keeps its sheets and gets one more, so nothing is asked about replacing it.
    const QString picked = prompter.pickFileToAddTo(exchangeFilter(true), QStringLiteral("*.xls"),
                                                    QStringLiteral("理财数据(") + dateText(Clock::today(), 1) + u')');
    const int filter = prompter.chosenFilter();
    const QString path = chosenExchangePath(picked, filter);
    if (path.isEmpty())
        return;
    // .xlsx and CSV files take no further sheet: they are written anew, after a question.
    if (sheetFormatOf(path) != SheetFormat::Xls && QFileInfo::exists(path)
        && !prompter.askConfirm(QFileInfo(path).fileName() + QStringLiteral(" 已存在，是否替换？")))
        return;
    QStringList list;
    for (qsizetype i = 0; i < fields.size(); ++i)
        list.append(fields[i] + QStringLiteral(" as ") + titles[i]);
    const bool gbk = sheetFormatOf(path) == SheetFormat::Csv && filter == exchangeKinds.size() - 1;
    const QString statement = QStringLiteral("SELECT ") + list.join(u',') + QStringLiteral(" INTO [Excel 8.0;")
        + (gbk ? QStringLiteral("CharacterSet=936;") : QString()) + QStringLiteral("DATABASE=")
        + QString(path).replace(u']', QLatin1String("]]")) + QStringLiteral("].lcsj FROM lcsj ");
    RowProgress progress(prompter, QStringLiteral("正在导出数据……"), recordCount(ledgerRows));
    const bool exported = ledgerDb.Execute(statement);
    if (progress.stopped)
        return; // the file stays as it was; the person knows why
    if (exported)
        prompter.showMessage(QStringLiteral("导出数据成功！"));
    else
        prompter.showMessage(QStringLiteral("导出数据失败！"));
}

void importLedger(DbConnection &ledgerDb, DbRecordset &ledgerRows, Prompter &prompter,
                  const std::function<void()> &refreshView)
{
    if (!prompter.askConfirm(QStringLiteral("导入数据前请先备份好数据，是否断续？")))
        return;
    if (!prompter.askConfirm(QStringLiteral("导入会过滤项目类型、项目名称、支出、收入、人员、日期相同的数据！")))
        return;
    // The filters close their brackets, so the dialog shows the descriptions and lists the files.
    const QString path = prompter.pickOpenFile(exchangeFilter(false), QStringLiteral("*.xls"));
    if (path.isEmpty())
        return;
    const qint64 before = recordCount(ledgerRows);
    ledgerRows.Open(QStringLiteral("select max(id) from lcsj"));
    const qint64 lastId = textToInteger(ledgerRows.GetText(0));

    // A large file is a large change: the ledger as it was is kept aside first.
    if (!takeSafetyCopyBeforeImport(ledgerDb, path, prompter))
        return;
    // The import writes from here on. The rows come in inside a transaction, so rows with amounts
    // the ledger cannot keep, a failure or a request to stop send them all back.
    if (ledgerDb.BeginTrans() == 0) {
        prompter.showMessage(QStringLiteral("导入理财数据失败！"));
        return;
    }
    bool imported = false;
    {
        RowProgress progress(prompter, QStringLiteral("正在导入数据……"), 0);
        imported = ledgerDb.ImportTableMapped(path, QStringLiteral("lcsj"), fields, importDuplicateFilter,
                                              QStringLiteral("lcsj"), titles);
        if (progress.stopped) {
            ledgerDb.RollbackTrans();
            return; // the ledger stays as it was; the person knows why
        }
    }
    if (!imported) {
        ledgerDb.RollbackTrans();
        prompter.showMessage(QStringLiteral("导入理财数据失败！"));
        return;
    }
    const qint64 tooLarge = tooLargeAmountsSince(ledgerRows, lastId);
    if (tooLarge < 0) {
        ledgerDb.RollbackTrans();
        prompter.showMessage(QStringLiteral("导入理财数据失败！"));
        return;
    }
    if (tooLarge > 0) {
        ledgerDb.RollbackTrans();
        prompter.showMessage(QStringLiteral("导入理财数据失败！表中有超出范围的金额，金额不能大于") + amountLimitText
                             + QStringLiteral("。"));
        return;
    }
    if (!ledgerDb.CommitTrans()) {
        ledgerDb.RollbackTrans();
        prompter.showMessage(QStringLiteral("导入理财数据失败！"));
        return;
    }
    const qint64 added = recordCount(ledgerRows) - before;
    prompter.showMessage(QStringLiteral("导入理财数据成功！共 ") + QString::number(added) + QStringLiteral(" 个记录"));
    if (refreshView)
        refreshView();
}
