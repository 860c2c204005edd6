// The view page showing the detail view of a thirty-year ledger (100,000 records): from the click
// to the list filled, its totals set and the page painted, against the raw query of the same rows
// in the same run. The peak memory of the process (the window, the skin and the list included) is
// reported beside it.
#include "guiapp.h"

#include "coldclock.h"
#include "ledgerbench.h"

#include "common/program.h"
#include "dataaccess/instances.h"
#include "shell/mainwindow.h"
#include "shell/sessionpages.h"
#include "ui/listview.h"
#include "ui/units.h"
#include "users/administration.h"
#include "users/userdirectory.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

const QString userName = QStringLiteral("张三");
constexpr int recordCount = 100000;

// The main window with the user logged in and the ledger holding thirty years of records.
struct LoggedInWindow
{
    SilentPrompter prompter;
    MainWindow window;
    SessionPages *pages = nullptr;
    bool ready = false;

    LoggedInWindow()
    {
        if (window.start() != StartupResult::Started)
            return;
        pages = new SessionPages(&window, prompter);
        if (registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, userName,
                         QStringLiteral("pw"), QStringLiteral("pw"), prompter)
            != AdminOutcome::Done)
            return;
        LayoutWindow *view = window.page(QStringLiteral("view"));
        view->unit<EditBox>(QStringLiteral("登录用户名框"))->setText(userName);
        view->unit<EditBox>(QStringLiteral("登录密码框"))->setText(QStringLiteral("pw"));
        pages->logInFromBar();
        if (!window.loggedIn())
            return;
        addThirtyYears(userConnection, recordCount);
        view->unit<DateBox>(QStringLiteral("开始日期框"))->setDateTime(QDateTime(QDate(1990, 1, 1), QTime(0, 0)));
        view->unit<DateBox>(QStringLiteral("结束日期框"))->setDateTime(QDateTime(QDate(2030, 12, 31), QTime(0, 0)));
        window.show();
        ready = true;
    }
};

LoggedInWindow &loggedIn()
{
    benchApplication("bench_viewpage");
    setProgramDirectory(benchProgramFolder());
    static auto *made = new LoggedInWindow; // left to the end of the process, like the application
    return *made;
}

void viewpage_ours(benchmark::State &state)
{
    LoggedInWindow &w = loggedIn();
    if (!w.ready) {
        state.SkipWithError("the window could not be prepared");
        return;
    }
    auto *list = w.window.page(QStringLiteral("view"))->unit<ListView>(QStringLiteral("理财列表框"));
    ColdClock cold(state);
    for (auto _ : state) {
        w.pages->showView(detailMode);
        QApplication::processEvents();
        if (list->rowCount() != recordCount)
            state.SkipWithError("the list lost rows");
        cold.lap();
    }
    state.counters["peak_MB"] = peakMegabytes();
}

// Baseline: the same query stepped by hand, a lean read of every shown column.
void viewpage_baseline(benchmark::State &state)
{
    if (!loggedIn().ready) {
        state.SkipWithError("the window could not be prepared");
        return;
    }
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(existingLedgerPath(userName)).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    ColdClock cold(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(rawDetailQuery(db));
        cold.lap();
    }
    sqlite3_close(db);
}

} // namespace

// Ours first, so the peak it reports is its own and not the baseline's.
BENCHMARK(viewpage_ours)->Name("detail_view_page_100k/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(viewpage_baseline)->Name("detail_view_page_100k/baseline")->Unit(benchmark::kMillisecond);
