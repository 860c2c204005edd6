// The ledger into a workbook or CSV file and back, in every kind of file: the export against
// reading the same rows through the recordset (with the rise of the process's peak memory over
// its memory before the export), the filtered import against the same import without its
// duplicate filter.
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "exchange/excelexchange.h"
#include "ledger/templates.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QStringList fields{"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz"};
const QStringList titles{"项目类型", "项目名称", "支出金额", "收入金额", "人员", "日期", "备注"};
const QString filter = importDuplicateFilter;

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

// The export statement of the program into path; GBK text when gbk.
QString exportStatement(const QString &path, bool gbk)
{
    QStringList list;
    for (qsizetype i = 0; i < fields.size(); ++i)
        list.append(fields[i] + " as " + titles[i]);
    return "SELECT " + list.join(',') + " INTO [Excel 8.0;" + (gbk ? "CharacterSet=936;" : "") + "DATABASE=" + path
        + "].lcsj FROM lcsj";
}

// A file of n ledger rows in the kind the extension names.
QString sheet(int n, int offset, const QString &extension)
{
    const QString book = dir().filePath(QStringLiteral("sheet_%1_%2").arg(n).arg(offset) + extension);
    if (!QFile::exists(book)) {
        DbConnection c;
        c.OpenJet(ledger(n, offset), databasePassword);
        c.Execute(exportStatement(book, false));
    }
    return book;
}

// Kilobytes of a line of /proc/self/status.
double statusKilobytes(const char *key)
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    const QRegularExpressionMatch m = QRegularExpression(QString::fromLatin1(key) + ":\\s+(\\d+)").match(status.readAll());
    return m.captured(1).toDouble();
}

void export_ours(benchmark::State &state, const QString &extension, bool gbk)
{
    DbConnection c;
    c.OpenJet(ledger(int(state.range(0)), 0), databasePassword);
    int run = 0;
    double rise = 0;
    for (auto _ : state) {
        const QString book = dir().filePath(QStringLiteral("export%1").arg(run++) + extension);
        state.PauseTiming();
        // The peak is set back to the memory now, so the figure is this export's own.
        QFile clear("/proc/self/clear_refs");
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        const double before = statusKilobytes("VmRSS");
        state.ResumeTiming();
        if (!c.Execute(exportStatement(book, gbk)))
            state.SkipWithError("export failed");
        state.PauseTiming();
        rise = qMax(rise, statusKilobytes("VmHWM") - before);
        QFile::remove(book);
        state.ResumeTiming();
    }
    state.counters["peak_rise_MB"] = rise / 1024;
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

void import(benchmark::State &state, const QString &extension, const QString &tail)
{
    // 50,000 sheet rows, half of them already in the ledger of 100,000 records.
    const QString book = sheet(int(state.range(0)), 75000, extension);
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

void import_ours(benchmark::State &state, const QString &extension)
{
    import(state, extension, filter);
}

void import_baseline(benchmark::State &state, const QString &extension)
{
    import(state, extension, QString());
}

} // namespace

// 100,000 records: beyond one .xls sheet, so the export goes on over a second.
#define KELM_FORMAT(kind, extension, gbk) \
    BENCHMARK_CAPTURE(export_ours, kind, QStringLiteral(extension), gbk)->Name("export_100k_" #kind "/ours")->Arg(100000)->Unit(benchmark::kMillisecond); \
    BENCHMARK(export_baseline)->Name("export_100k_" #kind "/baseline")->Arg(100000)->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(import_ours, kind, QStringLiteral(extension))->Name("import_50k_into_100k_" #kind "/ours")->Arg(50000)->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(import_baseline, kind, QStringLiteral(extension))->Name("import_50k_into_100k_" #kind "/baseline")->Arg(50000)->Unit(benchmark::kMillisecond);

KELM_FORMAT(xls, ".xls", false)
KELM_FORMAT(xlsx, ".xlsx", false)
KELM_FORMAT(csv_utf8, ".csv", false)
KELM_FORMAT(csv_gbk, ".csv", true)
