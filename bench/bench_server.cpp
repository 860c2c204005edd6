// The detail view of a thirty-year ledger (100,000 records) with the ledger on a PostgreSQL
// server on this computer, against the same view of the same ledger in a file. The server is the
// one KELM_TEST_SERVER names (test.sh's throw-away cluster, or tools/pgcluster.sh start).
#include "coldclock.h"
#include "detailview.h"
#include "ledgerbench.h"

#include "common/files.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
#include "dataaccess/pg/serverstore.h"
#include "ledger/templates.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir &dir()
{
    static QTemporaryDir d;
    return d;
}

// The ledger file, made once in a folder of its own: outside the data folder, so it stays a file
// with a server chosen.
QString ledgerFile()
{
    return ledgerWithRecords(100000);
}

// The same ledger on the server, copied from the file once.
QString ledgerOnServer()
{
    static QString path;
    if (!path.isEmpty())
        return path;
    QDir(dir().path()).mkdir("data");
    setProgramDirectory(dir().path());
    setDatabaseServer(DatabaseServer{qEnvironmentVariable("KELM_TEST_SERVER"), dir().path()});
    const QString file = ledgerFile();
    const QString target = programPath(QStringLiteral("data/张三_lc.dat"));
    if (writeTemplate(ledgerTemplate(), target) && copyFileReplacing(file, target))
        path = target;
    return path;
}

void detailView(benchmark::State &state, const QString &ledger)
{
    if (ledger.isEmpty() || !userConnection.OpenJet(ledger, databasePassword)) {
        state.SkipWithError("the ledger cannot be opened");
        return;
    }
    timeThirtyYearDetailView(state);
}

void detail_ours(benchmark::State &state)
{
    if (qEnvironmentVariableIsEmpty("KELM_TEST_SERVER")) {
        state.SkipWithError("no PostgreSQL server: set KELM_TEST_SERVER (tools/pgcluster.sh start prints one)");
        return;
    }
    detailView(state, ledgerOnServer());
}

// Baseline: the same view of the same ledger in a file.
void detail_baseline(benchmark::State &state)
{
    detailView(state, ledgerFile());
}

} // namespace

BENCHMARK(detail_ours)->Name("detail_view_100k_on_server/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(detail_baseline)->Name("detail_view_100k_on_server/baseline")->Unit(benchmark::kMillisecond);
