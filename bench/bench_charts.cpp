// Each chart of the chart window on a household ledger of 100,000 records over thirty years: from
// the request to the chart painted in its frame (figures read, series built, drawn), against the
// raw aggregate statement that gives the same figures, stepped by hand on the same file. The first,
// cold pass builds the chart; the later ones of the months chart show another year in it.
#include "guiapp.h"

#include "coldclock.h"
#include "ledgerbench.h"

#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
#include "ledger/templates.h"
#include "shell/chartwindow.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <QChart>
#include <QDate>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int recordCount = 100000;
const QDate first(1996, 1, 1), last(2025, 12, 31);
constexpr int chosenYear = 2012;

// The main window started (so the skin dresses the chart window) and the ledger open as after a login.
struct ChartBench
{
    SilentPrompter prompter;
    MainWindow main;
    ChartWindow *window = nullptr;
    QString ledger;
    bool ready = false;

    ChartBench()
    {
        if (main.start() != StartupResult::Started)
            return;
        ledger = QDir(programPath(QStringLiteral("data"))).filePath(QStringLiteral("charts.dat"));
        if (!writeTemplate(ledgerTemplate(), ledger) || !userConnection.OpenJet(ledger, databasePassword)
            || !userRecordset.SetConnection(userConnection))
            return;
        addHousehold(userConnection, recordCount, first, last);
        window = new ChartWindow(prompter, &main);
        window->show();
        ready = true;
    }
};

ChartBench &bench()
{
    benchApplication("bench_charts");
    setProgramDirectory(benchProgramFolder());
    static auto *made = new ChartBench; // left to the end of the process, like the application
    return *made;
}

void chart_ours(benchmark::State &state, ChartTab tab)
{
    ChartBench &b = bench();
    if (!b.ready) {
        state.SkipWithError("the ledger could not be prepared");
        return;
    }
    ColdClock cold(state);
    int pass = 0;
    for (auto _ : state) {
        // The year changes every pass, as when a person goes through the years.
        b.window->showFigures(tab, first, last, chosenYear + pass++ % 2);
        // The frame of the chart is all a new chart repaints; the rest of the window stays as it was.
        const QPixmap painted = b.window->unit<QWidget>(QStringLiteral("图表框"))->grab();
        // A replaced chart is let go once the event loop comes back, here at once.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (b.window->emptyStateShown() || b.window->chart()->series().isEmpty())
            state.SkipWithError("the chart has no figures");
        benchmark::DoNotOptimize(painted.cacheKey());
        cold.lap();
    }
}

// Baseline: the one statement a hand-written program would run for the chart's figures.
void chart_baseline(benchmark::State &state, const char *statement)
{
    ChartBench &b = bench();
    if (!b.ready) {
        state.SkipWithError("the ledger could not be prepared");
        return;
    }
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(b.ledger).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    ColdClock cold(state);
    for (auto _ : state) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, statement, -1, &s, nullptr);
        double figures = 0;
        int rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            sqlite3_column_text(s, 0);
            figures += sqlite3_column_double(s, 1) + sqlite3_column_double(s, 2);
            ++rows;
        }
        sqlite3_finalize(s);
        if (rows == 0)
            state.SkipWithError("the statement gave no rows");
        benchmark::DoNotOptimize(figures);
        cold.lap();
    }
    sqlite3_close(db);
}

} // namespace

BENCHMARK_CAPTURE(chart_ours, shares, ChartTab::Shares)->Name("chart_shares_100k/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(chart_baseline, shares,
                  "select xmlx,sum(zcje),sum(srje) from lcsj where rq>='1996-01-01' and rq<='2025-12-31' group by xmlx")
    ->Name("chart_shares_100k/baseline")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(chart_ours, months, ChartTab::Months)->Name("chart_months_100k/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(chart_baseline, months,
                  "select substr(rq,6,2),sum(zcje),sum(srje) from lcsj where rq>='2012-01-01' and rq<'2013-01-01' group by 1")
    ->Name("chart_months_100k/baseline")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(chart_ours, years, ChartTab::Years)->Name("chart_years_100k/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(chart_baseline, years, "select substr(rq,1,4),sum(zcje),sum(srje) from lcsj group by 1")
    ->Name("chart_years_100k/baseline")
    ->Unit(benchmark::kMillisecond);
