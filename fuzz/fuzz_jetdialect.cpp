// Statement translation: each line of the input is a Jet statement. Its translation through the
// shape cache must equal a fresh translation, also for a copy with other numbers that the cache
// answers from the first one's shape; then the statement runs on a real ledger made from the
// template, and the ledger stays whole.
#include "fuzzsupport.h"

#include "common/clock.h"

#include "dataaccess/databasefile.h"
#include "dataaccess/dbconnection.h"
#include "dataaccess/dbrecordset.h"
#include "dataaccess/jetdialect.h"
#include "ledger/templates.h"

#include <sqlite3.h>

namespace {

QString describe(const JetStatement &s)
{
    QStringList values;
    for (const QVariant &v : s.values)
        values.append(QStringLiteral("%1:%2").arg(QString::fromLatin1(v.typeName()), v.toString()));
    return QStringLiteral("[%1] sql=%2 values=(%3) error=%4 excel=%5")
        .arg(int(s.kind))
        .arg(s.sql, values.join(u','), s.error, s.excelTarget);
}

bool sameTranslation(const JetStatement &a, const JetStatement &b)
{
    if (a.error.isEmpty() != b.error.isEmpty())
        return false;
    if (!a.error.isEmpty())
        return true;
    if (a.sql != b.sql || a.kind != b.kind || a.excelTarget != b.excelTarget || a.values.size() != b.values.size())
        return false;
    for (qsizetype i = 0; i < a.values.size(); ++i)
        if (a.values[i].typeId() != b.values[i].typeId() || a.values[i] != b.values[i])
            return false;
    return true;
}

// Another statement of the same shape, as a program would make with other values: every digit
// moved on by one.
QString otherNumbers(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= u'0' && c <= u'9')
            c = QChar(u'0' + (c.unicode() - u'0' + 1) % 10);
    return out;
}

// The harness bounds what a statement may cost, so a query written to run for ever ends.
int stopRunaway(void *steps)
{
    return ++*static_cast<int *>(steps) > 2000;
}

void checkWhole(ConnectionObject &object, const QString &statements)
{
    sqlite3 *db = object.db;
    // The connection lets only its own reads make PRAGMA statements.
    object.internal = true;
    sqlite3_stmt *check = nullptr;
    FUZZ_CHECK(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK, statements);
    FUZZ_CHECK(sqlite3_step(check) == SQLITE_ROW, statements);
    const QString verdict = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)));
    sqlite3_finalize(check);
    object.internal = false;
    FUZZ_CHECK(verdict == QStringLiteral("ok"), verdict + QStringLiteral(" after ") + statements);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = fuzz::programFolder();
    // now() gives the same moment every run, so an input replays as it ran.
    Clock::setFixed(QDateTime(QDate(2012, 12, 15), QTime(10, 0)));
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList statements = input.split(u'\n').mid(0, 16);

    const QString path = folder + QStringLiteral("/data/fuzz_lc.dat");
    QFile::remove(path);
    FUZZ_CHECK(writeTemplate(ledgerTemplate(), path), path);
    DbConnection connection;
    DbRecordset recordset;
    FUZZ_CHECK(connection.OpenJet(path, databasePassword), connection.LastError());
    FUZZ_CHECK(recordset.SetConnection(connection), path);
    const ConnectionHandle object = connection.GetObject();
    int steps = 0;
    sqlite3_progress_handler(object->db, 1000, stopRunaway, &steps);
    sqlite3_limit(object->db, SQLITE_LIMIT_LENGTH, 1000000);
    const JetTableLookup lookup = [&object](const QString &table) { return object->tableColumns(table); };

    JetShapes shapes;
    for (const QString &text : statements) {
        // The cache answers the statement, then one of its shape with other values.
        for (const QString &s : {text, otherNumbers(text)}) {
            const JetStatement fresh = translateJet(s, lookup);
            const JetStatement cached = translateJet(s, lookup, &shapes);
            FUZZ_CHECK(sameTranslation(fresh, cached),
                       s + QStringLiteral("\n  fresh  ") + describe(fresh) + QStringLiteral("\n  cached ") + describe(cached));
            FUZZ_CHECK(fresh.sql.count(u'?') >= fresh.values.size() || !fresh.error.isEmpty(), s + u' ' + describe(fresh));
        }
        const JetStatement fresh = translateJet(text, lookup);
        // Workbook statements write files where they name; the workbook harnesses cover that reader.
        if (!fresh.error.isEmpty() || !fresh.excelTarget.isEmpty() || text.contains(QLatin1String("excel"), Qt::CaseInsensitive))
            continue;
        steps = 0;
        static const bool verbose = qEnvironmentVariableIsSet("KELM_FUZZ_VERBOSE");
        if (fresh.kind == JetStatementKind::Select) {
            const bool opened = recordset.Open(text);
            if (verbose)
                std::fprintf(stderr, "%s\n  -> %s %lld rows\n", qPrintable(text), opened ? "ok" : qPrintable(connection.LastError()),
                             opened ? recordset.RecordCount() : 0LL);
            if (opened) {
                const qint64 count = recordset.RecordCount();
                const qint64 fields = recordset.FieldCount();
                FUZZ_CHECK(count >= 0 && fields >= 0, text);
                qint64 seen = 0;
                recordset.MoveFirst();
                while (!recordset.Eof() && seen <= count) {
                    for (int f = 0; f < fields; ++f) {
                        recordset.GetText(f);
                        recordset.GetNumber(f);
                        recordset.GetDateTime(f);
                    }
                    recordset.MoveNext();
                    ++seen;
                }
                FUZZ_CHECK(seen == count, text + QStringLiteral(": %1 rows counted, %2 read").arg(count).arg(seen));
                recordset.Close();
            }
        } else {
            const bool done = connection.Execute(text);
            if (verbose)
                std::fprintf(stderr, "%s\n  -> %s\n", qPrintable(text), done ? "ok" : qPrintable(connection.LastError()));
        }
        if (fresh.kind == JetStatementKind::Create || fresh.kind == JetStatementKind::Drop || fresh.kind == JetStatementKind::Alter)
            shapes.clear(); // as the connection does: the tables' layout changed
    }
    checkWhole(*object, statements.join(u'\n'));
    recordset.Close();
    connection.Close();
    return 0;
}
