// The start-up sequence of the main window, from an empty window object to its last step (skin
// read, splash shown, six pages built and dressed, user directory opened). Reported as processor
// time alone, with no ratio: a bare window inside an application already running is no honest
// baseline for a program's start, and the measured side ends before the main window shows (the
// splash ticks that follow are timers, not work). The data folder holds a user whose ledger has
// 100,000 records, as a household's after thirty years; the start must not read it.
#include "guiapp.h"

#include "common/program.h"
#include "dataaccess/instances.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <QProcess>
#include <benchmark/benchmark.h>

namespace {

void startup_ours(benchmark::State &state)
{
    QApplication &app = benchApplication("bench_startup");
    const QString folder = benchProgramFolder();
    // makeledger is built beside the benchmarks; the folder is prepared once for all repetitions.
    static const bool prepared = QProcess::execute(QCoreApplication::applicationDirPath() + QStringLiteral("/makeledger"),
                                                   {folder, QStringLiteral("100000")}) == 0;
    if (!prepared) {
        state.SkipWithError("the ledger could not be prepared");
        return;
    }
    setProgramDirectory(folder);
    for (auto _ : state) {
        MainWindow window;
        if (window.start() != StartupResult::Started) {
            state.SkipWithError("start-up did not finish");
            break;
        }
        app.processEvents();
        state.PauseTiming();
        directoryRecordset.Close();
        directoryConnection.Close();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(startup_ours)->Name("startup_work")->Unit(benchmark::kMillisecond);
