// The start-up sequence of the main window, from an empty window object to its last step (skin
// read, splash shown, six pages built and dressed, user directory opened). Reported as processor
// time alone, with no ratio: a bare window inside an application already running is no honest
// baseline for a program's start, and the measured side ends before the main window shows (the
// splash ticks that follow are timers, not work).
#include "guiapp.h"

#include "common/program.h"
#include "dataaccess/instances.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void startup_ours(benchmark::State &state)
{
    QApplication &app = benchApplication("bench_startup");
    setProgramDirectory(benchProgramFolder());
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
