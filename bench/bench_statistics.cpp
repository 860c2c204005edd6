// The statistics page (all-time sums, this month, last month, the twelve months and the total of
// a year) on ledgers of 10,000 and 100,000 records, against one raw aggregate query on the same
// file that yields every figure of the page.
#include "coldclock.h"
#include "ledgerbench.h"

#include "common/clock.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
#include "ledger/templates.h"
#include "reports/statistics.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>

namespace {

// The clock stands inside the records, so this month and last month have rows to sum.
const QDateTime today(QDate(2012, 11, 15), QTime(10, 0));
constexpr int chosenYear = 2012;

void statistics_ours(benchmark::State &state)
{
    Clock::setFixed(today);
    userConnection.OpenJet(ledgerWithRecords(int(state.range(0))), databasePassword);
    userRecordset.SetConnection(userConnection);
    SilentPrompter prompter;
    ColdClock cold(state);
    for (auto _ : state) {
        Statistics s;
        if (!computeStatistics(userRecordset, true, chosenYear, prompter, &s))
            state.SkipWithError("statistics failed");
        benchmark::DoNotOptimize(s.year.total.expense);
        cold.lap();
    }
    userRecordset.Close();
    userConnection.Close();
    Clock::useSystemTime();
}

// Baseline: one statement summing every figure of the page in one pass, stepped by hand.
void statistics_baseline(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(ledgerWithRecords(int(state.range(0)))).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    // Each figure a range of the stored day texts, the cheapest test a hand-written query has.
    const auto within = [](const std::string &from, const std::string &to) {
        const std::string test = "rq>='" + from + "' and rq<'" + to + "'";
        return ",sum(iif(" + test + ",zcje,0)),sum(iif(" + test + ",srje,0))";
    };
    std::string sql = "select sum(zcje),sum(srje)" + within("2012-11", "2012-12") + within("2012-10", "2012-11")
        + within("2012", "2013");
    for (int m = 1; m <= 12; ++m) {
        const auto month = [](int m) { return m > 12 ? std::string("2013-01") : "2012-" + std::string(m < 10 ? "0" : "") + std::to_string(m); };
        sql += within(month(m), month(m + 1));
    }
    sql += " from lcsj";
    ColdClock cold(state);
    for (auto _ : state) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
        double figures = 0;
        if (sqlite3_step(s) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(s); ++i)
                figures += sqlite3_column_double(s, i);
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(figures);
        cold.lap();
    }
    sqlite3_close(db);
}

} // namespace

BENCHMARK(statistics_ours)->Name("statistics_10k/ours")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(statistics_baseline)->Name("statistics_10k/baseline")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(statistics_ours)->Name("statistics_100k/ours")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(statistics_baseline)->Name("statistics_100k/baseline")->Arg(100000)->Unit(benchmark::kMillisecond);
