// The recordset's reading pattern and Execute's inserts against the raw SQLite API on the same
// file, and a one-month range query on a thirty-year ledger.
#include "ledgerbench.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "ledger/templates.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

QString insertText(int i)
{
    const QDate day = QDate(1996, 1, 1).addDays(i % 10950);
    return QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values ('生活','早餐%1',%2,0.00,'张三','%3','备注%1','2012-12-15 20:30:05','2012-12-15 20:30:05')")
        .arg(i % 40)
        .arg(double(i % 997) + 0.25, 0, 'f', 2)
        .arg(day.toString(Qt::ISODate));
}

// A ledger of the given size, made once per size and copied for each benchmark.
QString ledgerWith(int records)
{
    static QTemporaryDir dir;
    return ledgerFileWith(dir.filePath(QStringLiteral("ledger%1.dat").arg(records)), [records](DbConnection &c) {
        c.BeginTrans();
        for (int i = 0; i < records; ++i)
            c.Execute(insertText(i));
        c.CommitTrans();
    });
}

const char *query = "select * from lcsj order by rq";

void read_ours(benchmark::State &state)
{
    DbConnection c;
    DbRecordset r;
    c.OpenJet(ledgerWith(int(state.range(0))), databasePassword);
    r.SetConnection(c);
    for (auto _ : state) {
        r.Open(QString::fromLatin1(query));
        const qint64 n = r.RecordCount();
        double sum = 0;
        qint64 chars = 0;
        for (qint64 i = 0; i < n; ++i) {
            chars += r.GetText(QStringLiteral("xmlx")).size() + r.GetText(QStringLiteral("xmmc")).size()
                + r.GetText(QStringLiteral("ry")).size() + r.GetText(QStringLiteral("bz")).size();
            sum += r.GetNumber(QStringLiteral("zcje")) + r.GetNumber(QStringLiteral("srje"));
            benchmark::DoNotOptimize(r.GetDateTime(QStringLiteral("rq")));
            benchmark::DoNotOptimize(r.GetInteger(QStringLiteral("id")));
            r.MoveNext();
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
    }
}

// Baseline: a hand-written step loop reading the same columns into the same kinds of values.
void read_baseline(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(ledgerWith(int(state.range(0)))).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, query, -1, &s, nullptr);
        double sum = 0;
        qint64 chars = 0;
        const auto text = [&](int column) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, column)), sqlite3_column_bytes(s, column));
        };
        while (sqlite3_step(s) == SQLITE_ROW) {
            chars += text(1).size() + text(2).size() + text(5).size() + text(9).size();
            sum += sqlite3_column_double(s, 3) + sqlite3_column_double(s, 4);
            benchmark::DoNotOptimize(QDateTime(QDate::fromString(text(6), Qt::ISODate), QTime(0, 0)));
            benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
        }
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
    }
    sqlite3_close(db);
}

void insert_ours(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath("i.dat");
        writeTemplate(ledgerTemplate(), path);
        DbConnection c;
        c.OpenJet(path, databasePassword);
        state.ResumeTiming();
        // The statements are written inside the timed part, as the baseline formats its values.
        c.BeginTrans();
        for (int i = 0; i < state.range(0); ++i)
            c.Execute(insertText(i));
        c.CommitTrans();
    }
}

// Baseline: one prepared insert, bound and stepped per record, in one transaction.
void insert_baseline(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath("i.dat");
        writeTemplate(ledgerTemplate(), path);
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values (?,?,?,?,?,?,?,?,?)", -1, &s, nullptr);
        for (int i = 0; i < state.range(0); ++i) {
            const QByteArray type = QStringLiteral("生活").toUtf8();
            const QByteArray name = QStringLiteral("早餐%1").arg(i % 40).toUtf8();
            const QByteArray person = QStringLiteral("张三").toUtf8();
            const QByteArray day = QDate(1996, 1, 1).addDays(i % 10950).toString(Qt::ISODate).toUtf8();
            const QByteArray remark = QStringLiteral("备注%1").arg(i % 40).toUtf8();
            sqlite3_bind_text(s, 1, type.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 2, name.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(s, 3, double(i % 997) + 0.25);
            sqlite3_bind_double(s, 4, 0);
            sqlite3_bind_text(s, 5, person.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 6, day.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 7, remark.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 8, "2012-12-15 20:30:05", -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 9, "2012-12-15 20:30:05", -1, SQLITE_STATIC);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
}

// A month of a thirty-year ledger, against reading the whole ledger: the day index keeps it small.
void month_ours(benchmark::State &state)
{
    DbConnection c;
    DbRecordset r;
    c.OpenJet(ledgerWith(int(state.range(0))), databasePassword);
    r.SetConnection(c);
    for (auto _ : state) {
        r.Open(QStringLiteral("select * from lcsj where rq>=#2012-11-01# and rq<=#2012-11-30# order by rq"));
        benchmark::DoNotOptimize(r.RecordCount());
    }
}

void month_baseline(benchmark::State &state)
{
    DbConnection c;
    DbRecordset r;
    c.OpenJet(ledgerWith(int(state.range(0))), databasePassword);
    r.SetConnection(c);
    for (auto _ : state) {
        r.Open(QStringLiteral("select * from lcsj order by rq"));
        benchmark::DoNotOptimize(r.RecordCount());
    }
}

} // namespace

BENCHMARK(read_ours)->Name("read_100k_rows/ours")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(read_baseline)->Name("read_100k_rows/baseline")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(insert_ours)->Name("insert_10k_records/ours")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(insert_baseline)->Name("insert_10k_records/baseline")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(month_ours)->Name("one_month_of_100k/ours")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(month_baseline)->Name("one_month_of_100k/baseline")->Arg(100000)->Unit(benchmark::kMillisecond);
