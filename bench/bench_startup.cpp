// The start-up sequence of the main window, from an empty window object to its last step (skin
// read, splash shown, six pages built and dressed, user directory opened), against building and
// showing a bare window of the same size in the same run.
#include "common/program.h"
#include "dataaccess/instances.h"
#include "shell/mainwindow.h"
#include "ui/unit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "bench_startup";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    // Left to the end of the process: destroyed among the other statics it would outlive the
    // objects it cleans up.
    static QApplication *app = [] {
        auto *made = new QApplication(argc, argv);
        useProgramFont();
        return made;
    }();
    return *app;
}

// A program folder with the built skin; the benchmarks live in bench/ beside bin/.
const QTemporaryDir &programFolder()
{
    static QTemporaryDir folder;
    static bool made = [] {
        QDir(folder.path()).mkpath(QStringLiteral("data"));
        QDir(folder.path()).mkpath(QStringLiteral("Skin"));
        return QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Skin/Green.cskn"),
                           folder.filePath(QStringLiteral("Skin/Green.cskn")));
    }();
    (void)made;
    return folder;
}

void startup_baseline(benchmark::State &state)
{
    QApplication &app = application();
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
    QApplication &app = application();
    setProgramDirectory(programFolder().path());
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
