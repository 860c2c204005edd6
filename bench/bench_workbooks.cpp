// The ledger into a worksheet and back: the export against reading the same rows through the
// recordset, the filtered import against the same import without its duplicate filter.
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "ledger/templates.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QStringList fields{"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz"};
const QStringList titles{"项目类型", "项目名称", "支出金额", "收入金额", "人员", "日期", "备注"};
const QString filter = "where rq=ek.日期 and xmlx=ek.项目类型 and xmmc=ek.项目名称 and zcje=ek.支出金额 and srje=ek.收入金额 and ry=ek.人员";

QTemporaryDir &dir()
{
    static QTemporaryDir d;
    return d;
}

// A ledger of n records, from offset on, made once and copied for each run.
QString ledger(int n, int offset)
{
    const QString path = dir().filePath(QStringLiteral("ledger_%1_%2.dat").arg(n).arg(offset));
    if (QFile::exists(path))
        return path;
    writeTemplate(ledgerTemplate(), path);
    DbConnection c;
    c.OpenJet(path, databasePassword);
    c.BeginTrans();
    for (int i = offset; i < offset + n; ++i) {
        const QDate day = QDate(1996, 1, 1).addDays(i % 10950);
        c.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ('生活','早餐%1',%2,0.00,'张三','%3','备注')")
                      .arg(i)
                      .arg(double(i % 997) + 0.25, 0, 'f', 2)
                      .arg(day.toString(Qt::ISODate)));
    }
    c.CommitTrans();
    return path;
}

// A worksheet of n ledger rows.
QString sheet(int n, int offset)
{
    const QString book = dir().filePath(QStringLiteral("sheet_%1_%2.xls").arg(n).arg(offset));
    if (!QFile::exists(book)) {
        DbConnection c;
        c.OpenJet(ledger(n, offset), databasePassword);
        c.ExportTableAliased(book, "lcsj", fields, titles, "", QStringLiteral("lcsj"));
    }
    return book;
}

void export_ours(benchmark::State &state)
{
    DbConnection c;
    c.OpenJet(ledger(int(state.range(0)), 0), databasePassword);
    int run = 0;
    for (auto _ : state) {
        const QString book = dir().filePath(QStringLiteral("export%1.xls").arg(run++));
        if (!c.ExportTableAliased(book, "lcsj", fields, titles, "", QStringLiteral("lcsj")))
            state.SkipWithError("export failed");
        state.PauseTiming();
        QFile::remove(book);
        state.ResumeTiming();
    }
}

// Baseline: the same rows read through the recordset's usual pattern.
void export_baseline(benchmark::State &state)
{
    DbConnection c;
    DbRecordset r;
    c.OpenJet(ledger(int(state.range(0)), 0), databasePassword);
    r.SetConnection(c);
    for (auto _ : state) {
        r.Open(QStringLiteral("select xmlx,xmmc,zcje,srje,ry,rq,bz from lcsj"));
        const qint64 n = r.RecordCount();
        qint64 chars = 0;
        for (qint64 i = 0; i < n; ++i) {
            chars += r.GetText(QStringLiteral("xmlx")).size() + r.GetText(QStringLiteral("xmmc")).size()
                + r.GetText(QStringLiteral("ry")).size() + r.GetText(QStringLiteral("bz")).size();
            benchmark::DoNotOptimize(r.GetNumber(QStringLiteral("zcje")) + r.GetNumber(QStringLiteral("srje")));
            benchmark::DoNotOptimize(r.GetDateTime(QStringLiteral("rq")));
            r.MoveNext();
        }
        benchmark::DoNotOptimize(chars);
    }
}

void import(benchmark::State &state, const QString &tail)
{
    // 50,000 sheet rows, half of them already in the ledger of 100,000 records.
    const QString book = sheet(int(state.range(0)), 75000);
    for (auto _ : state) {
        state.PauseTiming();
        const QString copy = dir().filePath("import.dat");
        QFile::remove(copy);
        QFile::copy(ledger(100000, 0), copy);
        DbConnection c;
        c.OpenJet(copy, databasePassword);
        state.ResumeTiming();
        if (!c.ImportTableMapped(book, "lcsj", fields, tail, QStringLiteral("lcsj"), titles))
            state.SkipWithError("import failed");
    }
}

void import_ours(benchmark::State &state)
{
    import(state, filter);
}

void import_baseline(benchmark::State &state)
{
    import(state, QString());
}

} // namespace

BENCHMARK(export_ours)->Name("export_60k/ours")->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(export_baseline)->Name("export_60k/baseline")->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(import_ours)->Name("import_50k_into_100k/ours")->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(import_baseline)->Name("import_50k_into_100k/baseline")->Arg(50000)->Unit(benchmark::kMillisecond);
