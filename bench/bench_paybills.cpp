// A WeChat Pay bill of 10,000 trades into a ledger of 100,000 records: read, proposed as records
// and saved in one transaction, against the Excel import of the same records from an .xls
// workbook through the program's filtered import. Both sides take the safety copy the program
// takes before a large import.
#include "billwriter.h"
#include "ledgerbench.h"

#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
#include "exchange/autobackup.h"
#include "exchange/excelexchange.h"
#include "exchange/paybills.h"
#include "ledger/templates.h"
#include "users/userdirectory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QStringList fields{"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz"};
const QStringList titles{"项目类型", "项目名称", "支出金额", "收入金额", "人员", "日期", "备注"};
const QString person = QStringLiteral("张三");
const QString defaultType = QStringLiteral("微信支付");

QTemporaryDir &dir()
{
    static QTemporaryDir d;
    return d;
}

QString emptyLedger(const QString &name)
{
    const QString path = dir().filePath(name);
    QFile::remove(path);
    writeTemplate(ledgerTemplate(), path);
    return path;
}

// The ledger both imports go into, made once.
QString ledger()
{
    const QString path = dir().filePath(QStringLiteral("ledger.dat"));
    if (!QFile::exists(path)) {
        emptyLedger(QStringLiteral("ledger.dat"));
        DbConnection c;
        c.OpenJet(path, databasePassword);
        addThirtyYears(c, 100000);
    }
    return path;
}

QString bill(int rows)
{
    const QString path = dir().filePath(QStringLiteral("bill_%1.csv").arg(rows));
    if (!QFile::exists(path))
        writeWeChatBill(path, rows);
    return path;
}

// The records the bill becomes, in an .xls workbook as the ledger's export writes them.
QString workbook(int rows)
{
    const QString path = dir().filePath(QStringLiteral("bill_%1.xls").arg(rows));
    if (QFile::exists(path))
        return path;
    userRecordset.Close();
    userConnection.Close();
    userConnection.OpenJet(emptyLedger(QStringLiteral("records.dat")), databasePassword);
    userRecordset.SetConnection(userConnection);
    PayBill read;
    SilentPrompter prompter;
    if (readPayBill(bill(rows), &read, nullptr))
        saveBillRecords(userConnection, userRecordset, bill(rows), proposedRecords(read, defaultType, person, {}), {}, prompter);
    QStringList list;
    for (qsizetype i = 0; i < fields.size(); ++i)
        list.append(fields[i] + " as " + titles[i]);
    userConnection.Execute("SELECT " + list.join(',') + " INTO [Excel 8.0;DATABASE=" + path + "].lcsj FROM lcsj");
    userRecordset.Close();
    userConnection.Close();
    return path;
}

// A fresh copy of the ledger opened as the user's, without the safety copies of earlier runs.
void openLedgerCopy()
{
    const QString copy = dir().filePath(QStringLiteral("import.dat"));
    userRecordset.Close();
    userConnection.Close();
    QDir(automaticBackupFolder(copy)).removeRecursively();
    QFile::remove(copy);
    QFile::copy(ledger(), copy);
    userConnection.OpenJet(copy, databasePassword);
    userRecordset.SetConnection(userConnection);
}

void bill_ours(benchmark::State &state)
{
    const QString path = bill(int(state.range(0)));
    SilentPrompter prompter;
    qint64 added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        openLedgerCopy();
        state.ResumeTiming();
        PayBill read;
        if (!readPayBill(path, &read, nullptr)
            || !saveBillRecords(userConnection, userRecordset, path, proposedRecords(read, defaultType, person, rememberedChoices(userRecordset)), {}, prompter,
                                &added))
            state.SkipWithError("bill import failed");
    }
    state.counters["added"] = double(added);
}

void bill_baseline(benchmark::State &state)
{
    const QString path = workbook(int(state.range(0)));
    SilentPrompter prompter;
    for (auto _ : state) {
        state.PauseTiming();
        openLedgerCopy();
        state.ResumeTiming();
        if (!takeSafetyCopyBeforeImport(userConnection, path, prompter) || !userConnection.BeginTrans()
            || !userConnection.ImportTableMapped(path, "lcsj", fields, importDuplicateFilter, QStringLiteral("lcsj"),
                                                 titles)
            || !userConnection.CommitTrans())
            state.SkipWithError("workbook import failed");
    }
    userRecordset.Open(QStringLiteral("select count(*) from lcsj"));
    state.counters["added"] = userRecordset.GetText(0).toDouble() - 100000;
}

} // namespace

BENCHMARK(bill_ours)->Name("bill_10k_into_100k/ours")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(bill_baseline)->Name("bill_10k_into_100k/baseline")->Arg(10000)->Unit(benchmark::kMillisecond);
