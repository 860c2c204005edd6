// Backing up and compacting a ledger of 10,000 and of 100,000 records over thirty years, against
// the same work done raw in the same run: the file's bytes copied into a new file, synced and
// renamed into place; the engine's VACUUM INTO a file beside the ledger, synced and renamed over
// it. Both sides leave the same durable file behind.
#include "coldclock.h"
#include "ledgerbench.h"

#include "dataaccess/databasefile.h"
#include "dataaccess/dbconnection.h"
#include "exchange/backup.h"
#include "users/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {

// Answers the backup's question for a file with the path it was given.
class SavingPrompter : public SilentPrompter
{
public:
    explicit SavingPrompter(QString path) : path(std::move(path)) {}
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return path; }

private:
    QString path;
};

QString besideLedger(const QString &ledger, const QString &name)
{
    return QFileInfo(ledger).dir().filePath(name);
}

bool syncPath(const QByteArray &path, int flags)
{
    const int fd = ::open(path.constData(), flags);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The raw copy: read and write in large blocks, sync the copy, rename it into place, sync the folder.
bool rawCopy(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from), passing = QFile::encodeName(to + QStringLiteral(".part")),
                     target = QFile::encodeName(to);
    const int in = ::open(source.constData(), O_RDONLY);
    const int out = ::open(passing.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = in >= 0 && out >= 0;
    std::vector<char> block(1 << 20);
    while (ok) {
        const ssize_t got = ::read(in, block.data(), block.size());
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = ::write(out, block.data(), size_t(got)) == got;
    }
    ok = ok && ::fsync(out) == 0;
    if (in >= 0)
        ::close(in);
    if (out >= 0)
        ::close(out);
    return ok && ::rename(passing.constData(), target.constData()) == 0
        && syncPath(QFile::encodeName(QFileInfo(to).absolutePath()), O_RDONLY | O_DIRECTORY);
}

void backup_ours(benchmark::State &state)
{
    const QString ledger = ledgerWithRecords(int(state.range(0)));
    Session session;
    session.loggedIn = true;
    session.currentUser = QStringLiteral("张三");
    session.currentDbPath = ledger;
    SavingPrompter prompter(besideLedger(ledger, QStringLiteral("备份.lcabak")));
    ColdClock cold(state);
    for (auto _ : state) {
        backupLedger(session, prompter);
        cold.lap();
    }
    if (QFileInfo(besideLedger(ledger, QStringLiteral("备份.lcabak"))).size() != QFileInfo(ledger).size())
        state.SkipWithError("the backup is not the ledger's size");
}

void backup_baseline(benchmark::State &state)
{
    const QString ledger = ledgerWithRecords(int(state.range(0)));
    const QString copy = besideLedger(ledger, QStringLiteral("raw.lcabak"));
    ColdClock cold(state);
    for (auto _ : state) {
        if (!rawCopy(ledger, copy))
            state.SkipWithError("the raw copy failed");
        cold.lap();
    }
}

void compact_ours(benchmark::State &state)
{
    const QString ledger = ledgerWithRecords(int(state.range(0)));
    DbConnection connection;
    ColdClock cold(state);
    for (auto _ : state) {
        if (connection.CompactDatabase(ledger, databasePassword, {}) != CompactDone)
            state.SkipWithError("the compaction failed");
        cold.lap();
    }
}

void compact_baseline(benchmark::State &state)
{
    const QString ledger = ledgerWithRecords(int(state.range(0)));
    const QByteArray path = QFile::encodeName(ledger);
    const QByteArray compacted = QFile::encodeName(besideLedger(ledger, QStringLiteral(".raw.compact.tmp")));
    ColdClock cold(state);
    for (auto _ : state) {
        std::remove(compacted.constData());
        sqlite3 *db = nullptr;
        sqlite3_stmt *vacuum = nullptr;
        bool ok = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
            && sqlite3_prepare_v2(db, "VACUUM INTO ?", -1, &vacuum, nullptr) == SQLITE_OK
            && sqlite3_bind_text(vacuum, 1, compacted.constData(), int(compacted.size()), SQLITE_STATIC) == SQLITE_OK
            && sqlite3_step(vacuum) == SQLITE_DONE;
        sqlite3_finalize(vacuum);
        sqlite3_close_v2(db);
        ok = ok && syncPath(compacted, O_RDONLY) && ::rename(compacted.constData(), path.constData()) == 0
            && syncPath(QFile::encodeName(QFileInfo(ledger).absolutePath()), O_RDONLY | O_DIRECTORY);
        if (!ok)
            state.SkipWithError("the raw compaction failed");
        cold.lap();
    }
}

} // namespace

BENCHMARK(backup_ours)->Name("backup_10k/ours")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(backup_baseline)->Name("backup_10k/baseline")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(backup_ours)->Name("backup_100k/ours")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(backup_baseline)->Name("backup_100k/baseline")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(compact_ours)->Name("compact_10k/ours")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(compact_baseline)->Name("compact_10k/baseline")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(compact_ours)->Name("compact_100k/ours")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(compact_baseline)->Name("compact_100k/baseline")->Arg(100000)->Unit(benchmark::kMillisecond);
