// Re-dressing every window after a change of background, with the repaint of the main window that
// follows, against one plain repaint of the main window with its page, both with the skin the
// program ships and all windows loaded. The program gives freed memory back a few seconds after the
// last change; the second case measures a change made after that, when the pictures' memory must
// be faulted in again.
#include "appearance/dressing.h"
#include "appearance/skinfile.h"
#include "appearance/skinpage.h"
#include "common/program.h"
#include "ui/layoutwindow.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace {

struct Windows
{
    Windows()
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_appearance";
        static char *argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
        useProgramFont();
        // The benchmark lies in bench/ beside the program's bin/ with its skin file.
        const QString skin = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin/Skin/Green.cskn"));
        if (!loadSkinFile(skin, applicationTitle)) {
            std::fprintf(stderr, "no skin file at %s\n", qPrintable(skin));
            std::exit(1);
        }
        setProgramDirectory(QDir::tempPath());
        appearanceState().backgroundPicture = getSkinEntry(QStringLiteral("背景图片1"));
        main = new LayoutWindow(QStringLiteral("main"));
        main->placeAtCreation();
        registerWindow(DressedWindow::Main, main);
        dressMainWindow();
        const QList<QPair<DressedWindow, QString>> pages{
            {DressedWindow::View, QStringLiteral("view")},     {DressedWindow::Entry, QStringLiteral("entry")},
            {DressedWindow::Backup, QStringLiteral("backup")}, {DressedWindow::Statistics, QStringLiteral("statistics")},
            {DressedWindow::User, QStringLiteral("user")},     {DressedWindow::Skin, QStringLiteral("skin")}};
        for (const auto &[role, name] : pages) {
            auto *page = new LayoutWindow(name);
            page->placeAtCreation(main);
            registerWindow(role, page);
            page->setVisible(role == DressedWindow::View);
            if (role == DressedWindow::Skin)
                buildSkinPage(page);
        }
        for (const auto &[role, name] : {QPair<DressedWindow, QString>{DressedWindow::NewUser, QStringLiteral("newuser")},
                                         QPair<DressedWindow, QString>{DressedWindow::Help, QStringLiteral("help")}}) {
            auto *dialog = new LayoutWindow(name);
            dialog->placeAtCreation();
            registerWindow(role, dialog);
        }
        redressAllWindows(30);
    }
    QApplication *app = nullptr;
    LayoutWindow *main = nullptr;
};

Windows &windows()
{
    static Windows w;
    return w;
}

} // namespace

static void redress(benchmark::State &state, bool afterTrim)
{
    Windows &w = windows();
    const QByteArray pictures[] = {getSkinEntry(QStringLiteral("背景图片2")), getSkinEntry(QStringLiteral("背景图片1"))};
    QImage surface(w.main->size(), QImage::Format_ARGB32_Premultiplied);
    int i = 0;
    for (auto _ : state) {
        if (afterTrim) {
            state.PauseTiming();
            malloc_trim(0);
            state.ResumeTiming();
        }
        appearanceState().backgroundPicture = pictures[i++ % 2];
        redressAllWindows(30 + 10 * (i % 2));
        // The repaint the change causes belongs to it.
        QPainter painter(&surface);
        w.main->render(&painter);
    }
    benchmark::DoNotOptimize(surface.bits());
}
// Baseline: one plain repaint of the dressed main window with its view page.
static void redress_baseline(benchmark::State &state)
{
    Windows &w = windows();
    QImage surface(w.main->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&surface);
        w.main->render(&painter);
    }
    benchmark::DoNotOptimize(surface.bits());
}
BENCHMARK_CAPTURE(redress, ours, false)->Name("redress_all_windows/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(redress, after_trim, true)->Name("redress_all_windows/ours_after_trim")->Unit(benchmark::kMillisecond);
BENCHMARK(redress_baseline)->Name("redress_all_windows/baseline")->Unit(benchmark::kMillisecond);
