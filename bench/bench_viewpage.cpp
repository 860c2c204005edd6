// The view page on a thirty-year ledger of 100,000 records: the detail view of three years (about
// 10,000 records) and of all thirty, from the click to the list filled, its totals set and the page
// painted, against the raw query of the same rows in the same run. Then an import of 50,000 rows
// into it, and of 5,000 rows into a ledger of 10,000, half of them records the ledger holds
// already, with the view refresh that follows, against the same rows read from the same file and
// inserted raw through a prepared statement. The peak memory of the process (the window, the skin
// and the list included) is reported beside them.
#include "guiapp.h"

#include "coldclock.h"
#include "ledgerbench.h"

#include "common/program.h"
#include "dataaccess/instances.h"
#include "dataaccess/xls/sheetfile.h"
#include "dataaccess/xls/xlsformat.h"
#include "common/datetext.h"
#include "exchange/excelexchange.h"
#include "shell/mainwindow.h"
#include "shell/sessionpages.h"
#include "dataaccess/databasefile.h"
#include "reports/views.h"
#include "ui/listview.h"
#include "ui/units.h"
#include "users/administration.h"
#include "users/userdirectory.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <functional>
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

// The two ranges: three years, about 10,000 records, and all thirty years.
struct Range
{
    QDate first, last;
    const char *rawFirst, *rawLast;
};
Range range(int years)
{
    if (years == 3)
        return {QDate(1996, 1, 1), QDate(1998, 12, 31), "1996-01-01", "1998-12-31 23:59:59"};
    return {QDate(1990, 1, 1), QDate(2030, 12, 31), "1990-01-01", "2030-12-31 23:59:59"};
}

void showRange(LoggedInWindow &w, int years)
{
    LayoutWindow *view = w.window.page(QStringLiteral("view"));
    const Range r = range(years);
    view->unit<DateBox>(QStringLiteral("开始日期框"))->setDateTime(QDateTime(r.first, QTime(0, 0)));
    view->unit<DateBox>(QStringLiteral("结束日期框"))->setDateTime(QDateTime(r.last, QTime(0, 0)));
}

qsizetype rawCount(int years)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(existingLedgerPath(userName)).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const Range r = range(years);
    const qsizetype rows = rawDetailQuery(db, r.rawFirst, r.rawLast);
    sqlite3_close(db);
    return rows;
}

void viewpage_ours(benchmark::State &state)
{
    LoggedInWindow &w = loggedIn();
    if (!w.ready) {
        state.SkipWithError("the window could not be prepared");
        return;
    }
    const int years = int(state.range(0));
    showRange(w, years);
    const qsizetype expected = rawCount(years);
    auto *list = w.window.page(QStringLiteral("view"))->unit<ListView>(QStringLiteral("理财列表框"));
    ColdClock cold(state);
    for (auto _ : state) {
        w.pages->showView(detailMode);
        QApplication::processEvents();
        if (list->rowCount() != expected)
            state.SkipWithError("the list lost rows");
        cold.lap();
    }
    state.counters["rows"] = double(expected);
    state.counters["peak_MB"] = peakMegabytes();
}

// Baseline: the same query stepped by hand, a lean read of every shown column.
void viewpage_baseline(benchmark::State &state)
{
    if (!loggedIn().ready) {
        state.SkipWithError("the window could not be prepared");
        return;
    }
    const Range r = range(int(state.range(0)));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(existingLedgerPath(userName)).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    ColdClock cold(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(rawDetailQuery(db, r.rawFirst, r.rawLast));
        cold.lap();
    }
    sqlite3_close(db);
}

const QStringList importFields{"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz"};
const QStringList importTitles{"项目类型", "项目名称", "支出金额", "收入金额", "人员", "日期", "备注"};

// A workbook of rows for the ledger at path: its last held records as they are, and the same
// again with another name, so half of the rows are new.
QString importBook(const QString &ledger, int held)
{
    const QString path = QDir(benchProgramFolder()).filePath(QStringLiteral("import%1.xls").arg(2 * held));
    if (QFile::exists(path))
        return path;
    QList<XlsColumn> columns;
    for (const QString &title : importTitles) {
        XlsColumn c;
        c.title = title;
        c.type = title == u"日期" ? XlsColumnType::Date
            : title.endsWith(u"金额") ? XlsColumnType::Number
                                                   : XlsColumnType::Text;
        columns.append(c);
    }
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(ledger).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, "select xmlx,xmmc,zcje,srje,ry,rq,bz from lcsj order by id desc limit ?", -1, &s, nullptr);
    sqlite3_bind_int(s, 1, held);
    QList<QList<XlsValue>> kept;
    while (sqlite3_step(s) == SQLITE_ROW) {
        const auto text = [s](int i) { return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i))); };
        const QDateTime day = QDateTime::fromString(text(5).left(10), Qt::ISODate);
        kept.append({XlsValue::fromText(text(0)), XlsValue::fromText(text(1)), XlsValue::fromNumber(sqlite3_column_double(s, 2)),
                     XlsValue::fromNumber(sqlite3_column_double(s, 3)), XlsValue::fromText(text(4)),
                     XlsValue::fromNumber(serialFromDate(day.date(), QTime(0, 0))), XlsValue::fromText(text(6))});
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    qsizetype next = 0;
    const RowSource source = [&](QList<XlsValue> &row) {
        if (next >= 2 * kept.size())
            return RowPull::End;
        row = kept.at(next % kept.size());
        if (next >= kept.size())
            row[1] = XlsValue::fromText(row[1].text + QStringLiteral("（新）"));
        ++next;
        return RowPull::Row;
    };
    writeSheetTable(path, QStringLiteral("lcsj"), columns, source, CsvLayout::Utf8);
    return path;
}

// A ledger of 10,000 records over thirty years with its view's list beside it, as the view page
// has them: the list shown, its rows read into the memory of the ones before.
struct SmallLedger
{
    static constexpr int records = 10000;
    QString path = ledgerWithRecords(records);
    DbConnection connection;
    DbRecordset recordset;
    ListView list;
    SilentPrompter prompter;

    SmallLedger()
    {
        connection.OpenJet(path, databasePassword);
        recordset.SetConnection(connection);
        for (const QString &title : importTitles) // the list's columns, in its order
            list.addColumn(title, 100);
        list.resize(860, 380);
        list.show();
    }
    qsizetype refresh()
    {
        TextTable rows = list.takeRows();
        Totals totals;
        queryViewTable(recordset, true, detailMode, ViewGrouping::None, QDate(1990, 1, 1), QDate(2030, 12, 31), prompter,
                       &rows, &totals);
        list.setRows(std::move(rows));
        QApplication::processEvents();
        return list.rowCount();
    }
};

SmallLedger &smallLedger()
{
    loggedIn(); // the application and the program folder
    static auto *made = new SmallLedger;
    return *made;
}

// Where an import goes: the connection of the ledger, its file, the number of records it holds,
// and the view refresh that follows, which gives the number of rows the list then shows.
struct ImportTarget
{
    DbConnection *connection = nullptr;
    QString path;
    int records = 0;
    std::function<qsizetype()> refresh;
};

ImportTarget importTarget(int records)
{
    if (records == SmallLedger::records) {
        SmallLedger &small = smallLedger();
        return {&small.connection, small.path, records, [&small] { return small.refresh(); }};
    }
    LoggedInWindow &w = loggedIn();
    if (!w.ready)
        return {};
    showRange(w, 30);
    auto *list = w.window.page(QStringLiteral("view"))->unit<ListView>(QStringLiteral("理财列表框"));
    return {&userConnection, existingLedgerPath(userName), recordCount, [&w, list] {
                w.pages->showView(detailMode);
                QApplication::processEvents();
                return list->rowCount();
            }};
}

qint64 lastRecordId(DbConnection &connection)
{
    DbRecordset r;
    r.SetConnection(connection);
    r.Open(QStringLiteral("select max(id) from lcsj"));
    const qint64 id = r.GetText(0).toLongLong();
    r.Close();
    return id;
}

void import_ours(benchmark::State &state)
{
    const ImportTarget target = importTarget(int(state.range(0)));
    if (!target.connection) {
        state.SkipWithError("the window could not be prepared");
        return;
    }
    DbConnection &connection = *target.connection;
    const QString book = importBook(target.path, target.records / 4);
    const qint64 lastId = lastRecordId(connection);
    ColdClock cold(state);
    for (auto _ : state) {
        // The program's import: the rows of the file not held yet, in one transaction, then the view.
        connection.BeginTrans();
        const bool ok = connection.ImportTableMapped(book, QStringLiteral("lcsj"), importFields, importDuplicateFilter,
                                                     QStringLiteral("lcsj"), importTitles);
        connection.CommitTrans();
        const qsizetype shown = target.refresh();
        if (!ok || shown != target.records + target.records / 4) {
            std::fprintf(stderr, "import: %s, %lld rows shown: %s\n", ok ? "done" : "failed", qlonglong(shown),
                         qPrintable(connection.LastError()));
            state.SkipWithError("the import did not add the new rows only");
            break;
        }
        cold.lap();
        state.PauseTiming();
        // The ledger goes back to its records before the import.
        connection.Execute(QStringLiteral("delete from lcsj where id>") + QString::number(lastId));
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMegabytes();
}

// Baseline: the same file read with the same reader, every row inserted through one prepared
// statement in one transaction; no duplicate filter, no view.
void import_baseline(benchmark::State &state)
{
    const ImportTarget target = importTarget(int(state.range(0)));
    if (!target.connection) {
        state.SkipWithError("the window could not be prepared");
        return;
    }
    const QString book = importBook(target.path, target.records / 4);
    const qint64 lastId = lastRecordId(*target.connection);
    target.connection->Close();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(target.path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    ColdClock cold(state);
    for (auto _ : state) {
        sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values (?,?,?,?,?,?,?)", -1, &insert, nullptr);
        const auto bindText = [insert](int i, const QString &text) {
            const QByteArray bytes = text.toUtf8();
            sqlite3_bind_text(insert, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        };
        const auto takeRow = [&](QList<XlsValue> &row) {
            bindText(1, row.at(0).text);
            bindText(2, row.at(1).text);
            sqlite3_bind_double(insert, 3, row.at(2).number);
            sqlite3_bind_double(insert, 4, row.at(3).number);
            bindText(5, row.at(4).text);
            const XlsValue &day = row.at(5);
            bindText(6, canonicalDateText(day.kind == XlsValue::Date ? day.date : dateFromSerial(day.number, false)));
            bindText(7, row.at(6).text);
            const bool done = sqlite3_step(insert) == SQLITE_DONE;
            sqlite3_reset(insert);
            return done;
        };
        if (!readSheetTable(book, QStringLiteral("lcsj"), [](const QStringList &) { return true; }, takeRow)) {
            state.SkipWithError("the raw insert failed");
            break;
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
        cold.lap();
        state.PauseTiming();
        sqlite3_exec(db, qPrintable(QStringLiteral("delete from lcsj where id>%1").arg(lastId)), nullptr, nullptr, nullptr);
        state.ResumeTiming();
    }
    sqlite3_close(db);
}

} // namespace

// Ours first, so the peak it reports is its own and not the baseline's.
BENCHMARK(viewpage_ours)->Name("detail_view_page_10k/ours")->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(viewpage_baseline)->Name("detail_view_page_10k/baseline")->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(viewpage_ours)->Name("detail_view_page_100k/ours")->Arg(30)->Unit(benchmark::kMillisecond);
BENCHMARK(viewpage_baseline)->Name("detail_view_page_100k/baseline")->Arg(30)->Unit(benchmark::kMillisecond);
// The baseline closes the program's connection to write the file raw, so it runs last.
BENCHMARK(import_ours)->Name("import_5k_into_10k_with_view/ours")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(import_baseline)->Name("import_5k_into_10k_with_view/baseline")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(import_ours)->Name("import_50k_into_100k_with_view/ours")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(import_baseline)->Name("import_50k_into_100k_with_view/baseline")->Arg(100000)->Unit(benchmark::kMillisecond);
