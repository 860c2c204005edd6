// The start-up sequence of the main window, from an empty window object to its last step (skin
// read, splash shown, six pages built and dressed, user directory opened), against building and
// showing a bare window of the same size in the same run.
#include "guiapp.h"

#include "common/program.h"
#include "dataaccess/instances.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

void startup_baseline(benchmark::State &state)
{
    QApplication &app = benchApplication("bench_startup");
    for (auto _ : state) {
        QWidget window;
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.resize(860, 600);
        window.show();
        app.processEvents();
    }
}

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

BENCHMARK(startup_baseline)->Name("startup/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK(startup_ours)->Name("startup/ours")->Unit(benchmark::kMillisecond);
