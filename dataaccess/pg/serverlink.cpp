#include "serverlink.h"

#include "common/datetext.h"

#include <QDateTime>
#include <QLocale>

#include <libpq-fe.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Type numbers of the server's catalogue (pg_type.h is not part of the client headers).
constexpr Oid boolOid = 16, byteaOid = 17, int8Oid = 20, int2Oid = 21, int4Oid = 23, textOid = 25, float4Oid = 700,
              float8Oid = 701, varcharOid = 1043, dateOid = 1082, timestampOid = 1114, timestamptzOid = 1184,
              numericOid = 1700;

// The functions of the Jet dialect and the program's text ordering, kept in the schema "kelm"
// that every ledger's search path names after its own schema and before the server's catalogue,
// so now() and date() are the program's: they read the program's clock, which each statement
// that calls them hands over as the setting kelm.now.
const char *const setupScript = R"sql(
CREATE SCHEMA IF NOT EXISTS kelm;
CREATE COLLATION IF NOT EXISTS kelm.chinese
    (provider = icu, locale = 'zh-u-kr-zzzz-ks-level2-ka-noignore-kk-true', deterministic = false);
CREATE OR REPLACE FUNCTION kelm.year(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT extract(year FROM $1)::integer';
CREATE OR REPLACE FUNCTION kelm.month(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT extract(month FROM $1)::integer';
CREATE OR REPLACE FUNCTION kelm.day(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT extract(day FROM $1)::integer';
CREATE OR REPLACE FUNCTION kelm.hour(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT extract(hour FROM $1)::integer';
CREATE OR REPLACE FUNCTION kelm.minute(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT extract(minute FROM $1)::integer';
CREATE OR REPLACE FUNCTION kelm.second(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT extract(second FROM $1)::integer';
CREATE OR REPLACE FUNCTION kelm.weekday(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT extract(dow FROM $1)::integer + 1';
CREATE OR REPLACE FUNCTION kelm.now() RETURNS timestamp LANGUAGE sql STABLE
    AS $f$SELECT coalesce(nullif(current_setting('kelm.now', true), ''),
                          to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS'))::timestamp(0)$f$;
CREATE OR REPLACE FUNCTION kelm.date() RETURNS timestamp LANGUAGE sql STABLE
    AS 'SELECT date_trunc(''day'', kelm.now())';
CREATE OR REPLACE FUNCTION kelm.jetdate(text) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT $1::timestamp(0)';
CREATE OR REPLACE FUNCTION kelm.jetdate(timestamp) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT $1::timestamp(0)';
CREATE OR REPLACE FUNCTION kelm.jetdate(numeric) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT
    AS $f$SELECT (timestamp '1899-12-30' + $1 * interval '1 day')::timestamp(0)$f$;
CREATE OR REPLACE FUNCTION kelm.dateadd(text, numeric, timestamp) RETURNS timestamp LANGUAGE sql IMMUTABLE
    AS $f$SELECT (CASE lower($1)
        WHEN 'yyyy' THEN $3 + make_interval(years => trunc($2)::integer)
        WHEN 'q' THEN $3 + make_interval(months => 3 * trunc($2)::integer)
        WHEN 'm' THEN $3 + make_interval(months => trunc($2)::integer)
        WHEN 'd' THEN $3 + make_interval(days => trunc($2)::integer)
        WHEN 'y' THEN $3 + make_interval(days => trunc($2)::integer)
        WHEN 'w' THEN $3 + make_interval(days => trunc($2)::integer)
        WHEN 'ww' THEN $3 + make_interval(weeks => trunc($2)::integer)
        WHEN 'h' THEN $3 + make_interval(hours => trunc($2)::integer)
        WHEN 'n' THEN $3 + make_interval(mins => trunc($2)::integer)
        WHEN 's' THEN $3 + make_interval(secs => trunc($2))
    END)::timestamp(0)$f$;
-- A serial day number or a date text reads as jetdate() reads it.
CREATE OR REPLACE FUNCTION kelm.year(numeric) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.year(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.year(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.year(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.month(numeric) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.month(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.month(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.month(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.day(numeric) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.day(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.day(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.day(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.hour(numeric) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.hour(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.hour(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.hour(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.minute(numeric) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.minute(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.minute(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.minute(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.second(numeric) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.second(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.second(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.second(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.weekday(numeric) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.weekday(kelm.jetdate($1))';
CREATE OR REPLACE FUNCTION kelm.weekday(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT kelm.weekday(kelm.jetdate($1))';
-- Declared text lengths count UTF-16 units, as Jet counts them: a character beyond the Basic
-- Multilingual Plane counts two.
CREATE OR REPLACE FUNCTION kelm.jetlength(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS $f$SELECT char_length($1) + char_length(regexp_replace($1 COLLATE "C", '[^\U00010000-\U0010FFFF]', '', 'g'))$f$;
CREATE TABLE IF NOT EXISTS kelm.files (
    household text NOT NULL, name text NOT NULL, schema text NOT NULL UNIQUE, PRIMARY KEY (household, name));
ALTER TABLE kelm.files ADD COLUMN IF NOT EXISTS definition text[];
)sql";

// Bumped when the script above changes, so servers set up by an older program are set up again.
const char *const setupMark = "kelm.setup_5";

QString jetDeclared(Oid type, int modifier)
{
    switch (type) {
    case timestampOid:
    case timestamptzOid:
    case dateOid:
        return QStringLiteral("DATETIME");
    case numericOid:
    case float4Oid:
    case float8Oid:
        return QStringLiteral("DOUBLE");
    case int2Oid:
    case int4Oid:
    case int8Oid:
        return QStringLiteral("INTEGER");
    case boolOid:
        return QStringLiteral("BOOLEAN");
    case varcharOid:
        return modifier > 4 ? QStringLiteral("TEXT(%1)").arg(modifier - 4) : QStringLiteral("TEXT");
    case textOid:
        return QStringLiteral("LONGTEXT");
    case byteaOid:
        return QStringLiteral("BLOB");
    default:
        return {};
    }
}

QString errorText(const PGconn *conn, const PGresult *result)
{
    const char *message = result ? PQresultErrorMessage(result) : PQerrorMessage(conn);
    return QString::fromUtf8(message).trimmed();
}

} // namespace

void PgResultDeleter::operator()(pg_result *result) const
{
    PQclear(result);
}

QByteArray storedDateForm(const char *value, int length)
{
    // "YYYY-MM-DD hh:mm:ss": midnight is the day alone, as the files store it.
    if (length == 19 && std::memcmp(value + 10, " 00:00:00", 9) == 0)
        return QByteArray(value, 10);
    return QByteArray(value, length);
}

ServerLink::~ServerLink()
{
    close();
}

QString ServerLink::defaultConnectionOptions()
{
    return QStringLiteral("-c DateStyle=ISO,YMD -c IntervalStyle=postgres -c client_min_messages=warning");
}

bool ServerLink::connect(const QString &connection)
{
    close();
    const QByteArray info = connection.toUtf8();
    const QByteArray options = defaultConnectionOptions().toUtf8();
    const char *keys[] = {"dbname", "options", "client_encoding", "connect_timeout", nullptr};
    const char *values[] = {info.constData(), options.constData(), "UTF8", "10", nullptr};
    // The connection text may name options of its own; expand_dbname reads it as the first value.
    conn = PQconnectdbParams(keys, values, 1);
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        lastError = errorText(conn, nullptr);
        PQfinish(conn);
        conn = nullptr;
        return false;
    }
    // Set up once per database; the lock keeps two computers starting at once from racing.
    PgResult done = run(QStringLiteral("SELECT 1 FROM pg_description WHERE description = $1"), {QString::fromLatin1(setupMark)});
    if (!done) {
        close();
        return false;
    }
    if (PQntuples(done.get()) == 0) {
        const QString script = QStringLiteral("BEGIN; SELECT pg_advisory_xact_lock(4990028); ") + QString::fromUtf8(setupScript)
            + QStringLiteral("COMMENT ON SCHEMA kelm IS '%1'; COMMIT;").arg(QString::fromLatin1(setupMark));
        if (!runScript(script)) {
            const QString error = lastError;
            close();
            lastError = error;
            return false;
        }
    }
    return true;
}

void ServerLink::close()
{
    if (conn)
        PQfinish(conn);
    conn = nullptr;
    prepared.clear();
    tables.clear();
}

bool ServerLink::inTransaction() const
{
    return conn && PQtransactionStatus(conn) != PQTRANS_IDLE;
}

bool ServerLink::runScript(const QString &sql)
{
    if (!conn) {
        lastError = QStringLiteral("the connection is closed");
        return false;
    }
    PGresult *result = PQexec(conn, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok) {
        lastError = errorText(conn, result);
        if (PQtransactionStatus(conn) == PQTRANS_INERROR)
            PQclear(PQexec(conn, "ROLLBACK"));
    }
    PQclear(result);
    return ok;
}

PgResult ServerLink::run(const QString &sql, const QList<QVariant> &values)
{
    if (!conn) {
        lastError = QStringLiteral("the connection is closed");
        return {};
    }
    static const QStringList control = {QStringLiteral("BEGIN"), QStringLiteral("COMMIT"), QStringLiteral("ROLLBACK"),
                                        QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE")};
    const bool transactionControl = std::any_of(control.begin(), control.end(), [&](const QString &word) {
        return sql.startsWith(word, Qt::CaseInsensitive);
    });
    if (PQtransactionStatus(conn) != PQTRANS_INTRANS || transactionControl)
        return execute(sql, values);
    // Inside a transaction a refused statement undoes itself only.
    PQclear(PQexec(conn, "SAVEPOINT kelm_statement"));
    PgResult result = execute(sql, values);
    if (result)
        PQclear(PQexec(conn, "RELEASE SAVEPOINT kelm_statement"));
    else if (PQtransactionStatus(conn) == PQTRANS_INERROR)
        PQclear(PQexec(conn, "ROLLBACK TO SAVEPOINT kelm_statement; RELEASE SAVEPOINT kelm_statement"));
    return result;
}

PgResult ServerLink::execute(const QString &sql, const QList<QVariant> &values)
{
    const int n = int(values.size());
    std::vector<QByteArray> texts;
    texts.resize(size_t(n));
    std::vector<const char *> pointers(size_t(n), nullptr);
    std::vector<int> lengths(size_t(n), 0);
    std::vector<int> formats(size_t(n), 0);
    std::vector<Oid> types(size_t(n), 0);
    if (sql.contains(QChar(u'\0'))) {
        lastError = QStringLiteral("a text holds a NUL character, which the server cannot keep");
        return {};
    }
    QString key = sql;
    key += QChar(u'\x01');
    for (int i = 0; i < n; ++i) {
        const QVariant &v = values[i];
        switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Bool:
            texts[size_t(i)] = QByteArray::number(v.toLongLong());
            types[size_t(i)] = int8Oid;
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            // The shortest text that reads back as the same number: 0.1 stays 0.1 in a numeric column.
            texts[size_t(i)] = QByteArray::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
            types[size_t(i)] = numericOid;
            break;
        case QMetaType::QByteArray:
            texts[size_t(i)] = v.toByteArray();
            types[size_t(i)] = byteaOid;
            formats[size_t(i)] = 1;
            break;
        case QMetaType::QDateTime:
            texts[size_t(i)] = canonicalDateText(v.toDateTime()).toUtf8();
            break;
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            break;
        default:
            if (!v.isNull()) {
                const QString text = v.toString();
                // The server keeps no NUL in a text, and libpq would end the value at it: refused,
                // rather than saved cut short.
                if (text.contains(QChar(u'\0'))) {
                    lastError = QStringLiteral("a text holds a NUL character, which the server cannot keep");
                    return {};
                }
                texts[size_t(i)] = text.toUtf8();
            }
        }
        if (v.isValid() && !v.isNull() && v.typeId() != QMetaType::Nullptr) {
            pointers[size_t(i)] = texts[size_t(i)].isNull() ? "" : texts[size_t(i)].constData();
            lengths[size_t(i)] = int(texts[size_t(i)].size());
        }
        key += QChar(u'0' + int(types[size_t(i)] % 64));
    }
    auto name = prepared.constFind(key);
    if (name == prepared.constEnd()) {
        if (prepared.size() >= 256) {
            PQclear(PQexec(conn, "DEALLOCATE ALL"));
            prepared.clear();
        }
        const QByteArray statementName = "kelm_" + QByteArray::number(++statementCount);
        PGresult *made = PQprepare(conn, statementName.constData(), sql.toUtf8().constData(), n, types.data());
        const bool ok = PQresultStatus(made) == PGRES_COMMAND_OK;
        if (!ok)
            lastError = errorText(conn, made);
        PQclear(made);
        if (!ok)
            return {};
        name = prepared.insert(key, statementName);
    }
    PGresult *result = PQexecPrepared(conn, name->constData(), n, pointers.data(), lengths.data(), formats.data(), 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        lastError = errorText(conn, result);
        PQclear(result);
        return {};
    }
    return PgResult(result);
}

const PgTable *ServerLink::table(unsigned tableOid)
{
    if (tableOid == InvalidOid)
        return nullptr;
    auto found = tables.constFind(tableOid);
    if (found != tables.constEnd())
        return &*found;
    PgResult r = execute(QStringLiteral("SELECT c.relname, a.attnum, a.attname, a.attidentity <> '', a.atttypid, a.atttypmod "
                                        "FROM pg_class c JOIN pg_attribute a ON a.attrelid = c.oid "
                                        "WHERE c.oid = $1 AND a.attnum > 0 ORDER BY a.attnum"),
                         {qint64(tableOid)});
    if (!r || PQntuples(r.get()) == 0)
        return nullptr;
    PgTable t;
    t.name = QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        const int number = QByteArray(PQgetvalue(r.get(), row, 1)).toInt();
        while (t.columns.size() < number)
            t.columns.append(PgTableColumn());
        PgTableColumn &c = t.columns[number - 1];
        c.name = QString::fromUtf8(PQgetvalue(r.get(), row, 2));
        c.isKey = PQgetvalue(r.get(), row, 3)[0] == 't';
        c.declared = jetDeclared(Oid(QByteArray(PQgetvalue(r.get(), row, 4)).toUInt()), QByteArray(PQgetvalue(r.get(), row, 5)).toInt());
    }
    return &*tables.insert(tableOid, t);
}

QList<std::pair<QString, bool>> ServerLink::tableColumns(const QString &name)
{
    QList<std::pair<QString, bool>> columns;
    PgResult r = execute(QStringLiteral("SELECT a.attname, a.atttypid IN (1082, 1114, 1184) FROM pg_attribute a "
                                        "WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped "
                                        "ORDER BY a.attnum"),
                         {u'"' + QString(name).toLower().replace(u'"', QStringLiteral("\"\"")) + u'"'});
    if (!r)
        return columns;
    for (int row = 0; row < PQntuples(r.get()); ++row)
        columns.append(std::make_pair(QString::fromUtf8(PQgetvalue(r.get(), row, 0)), PQgetvalue(r.get(), row, 1)[0] == 't'));
    return columns;
}

void ServerLink::layoutChanged()
{
    tables.clear();
    // A prepared "select *" would keep the old columns.
    if (conn && !prepared.isEmpty()) {
        PQclear(PQexec(conn, "DEALLOCATE ALL"));
        prepared.clear();
    }
}

QString pgDeclaredType(unsigned type, int modifier)
{
    return jetDeclared(type, modifier);
}
