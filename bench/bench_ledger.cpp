// The detail view of a thirty-year ledger against the raw query of the same rows, and saving a
// thousand pending entries against the same inserts through the raw API.
#include "coldclock.h"
#include "detailview.h"
#include "ledgerbench.h"

#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
#include "ledger/entry.h"
#include "ledger/templates.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

QTemporaryDir &dir()
{
    static QTemporaryDir d;
    return d;
}


void detail_ours(benchmark::State &state)
{
    userConnection.OpenJet(ledgerWithRecords(100000), databasePassword);
    timeThirtyYearDetailView(state);
    state.counters["peak_MB"] = peakMegabytes();
}

// Baseline: the same query stepped by hand, a lean read of every shown column.
void detail_baseline(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(ledgerWithRecords(100000)).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    ColdClock cold(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(rawDetailQuery(db));
        cold.lap();
    }
    sqlite3_close(db);
}

QList<PendingRow> pending(int n)
{
    QList<PendingRow> rows;
    for (int i = 0; i < n; ++i)
        rows.append({"生活", QStringLiteral("早餐%1").arg(i), "12.50", "0.00", "张三", "2012-12-01", "备注"});
    return rows;
}

void save_ours(benchmark::State &state)
{
    const QList<PendingRow> rows = pending(int(state.range(0)));
    SilentPrompter prompter;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = dir().filePath("save.dat");
        QFile::remove(path);
        writeTemplate(ledgerTemplate(), path);
        userConnection.OpenJet(path, databasePassword);
        state.ResumeTiming();
        if (!saveNewRecords(userConnection, rows, prompter))
            state.SkipWithError("save failed");
        state.PauseTiming();
        userConnection.Close();
        state.ResumeTiming();
    }
}

void save_baseline(benchmark::State &state)
{
    const QList<PendingRow> rows = pending(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = dir().filePath("save.dat");
        QFile::remove(path);
        writeTemplate(ledgerTemplate(), path);
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values (?,?,?,?,?,?,?,?,?)", -1, &s, nullptr);
        for (const PendingRow &r : rows) {
            const QByteArray texts[] = {r.type.toUtf8(), r.name.toUtf8(), r.person.toUtf8(), r.day.toUtf8(), r.remark.toUtf8()};
            sqlite3_bind_text(s, 1, texts[0].constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 2, texts[1].constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(s, 3, r.expense.toDouble());
            sqlite3_bind_double(s, 4, r.income.toDouble());
            sqlite3_bind_text(s, 5, texts[2].constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 6, texts[3].constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 7, texts[4].constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 8, "2012-12-15 20:30:05", -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 9, "2012-12-15 20:30:05", -1, SQLITE_STATIC);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(detail_ours)->Name("detail_view_100k/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(detail_baseline)->Name("detail_view_100k/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK(save_ours)->Name("save_1000_pending/ours")->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(save_baseline)->Name("save_1000_pending/baseline")->Arg(1000)->Unit(benchmark::kMillisecond);
