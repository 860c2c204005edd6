#include "serverstore.h"

#include "serverlink.h"

#include "dataaccess/connectionobject.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/jetdialect.h"

#include "common/files.h"
#include "common/log.h"
#include "common/program.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <unistd.h>

namespace {

std::optional<DatabaseServer> &chosen()
{
    static std::optional<DatabaseServer> server;
    return server;
}

bool fromEnvironment()
{
    return !chosen() && qEnvironmentVariableIsSet("KELM_SERVER");
}

QString dataFolder()
{
    const QFileInfo info(programPath(QStringLiteral("data")));
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QString household()
{
    if (fromEnvironment())
        return dataFolder();
    return chosen() ? chosen()->household : QString();
}

QString &storeError()
{
    static QString error;
    return error;
}

// The store's own session, for the file operations; the ledgers' connections have theirs.
ServerLink *storeLink()
{
    static ServerLink link;
    static QString connectedTo;
    const QString wanted = serverConnectionText();
    if (!link.isOpen() || connectedTo != wanted) {
        connectedTo.clear();
        if (!link.connect(wanted)) {
            storeError() = link.error();
            qCWarning(logData).noquote() << "cannot reach the database server -" << link.error();
            return nullptr;
        }
        connectedTo = wanted;
    }
    return &link;
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString schemaFor(const QString &name)
{
    const QByteArray digest = QCryptographicHash::hash((household() + u'/' + name).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("db_") + QString::fromLatin1(digest.toHex().left(24));
}

QString quotedSchema(const QString &schema)
{
    return u'"' + schema + u'"';
}

bool fail(ServerLink *link)
{
    storeError() = link->error();
    qCWarning(logData).noquote() << "database server:" << link->error();
    link->runScript(QStringLiteral("ROLLBACK"));
    return false;
}

// Begins a transaction holding the database's row of kelm.files, so no other computer moves or
// drops it meanwhile; false, with nothing begun, when the database is not there.
bool beginOn(ServerLink *link, const QString &path)
{
    if (!link->runScript(QStringLiteral("BEGIN")))
        return fail(link);
    PgResult found = link->run(QStringLiteral("SELECT 1 FROM kelm.files WHERE household = $1 AND name = $2 FOR UPDATE"),
                               {household(), fileName(path)});
    if (!found || PQntuples(found.get()) == 0) {
        link->runScript(QStringLiteral("ROLLBACK"));
        storeError() = QStringLiteral("no such database");
        return false;
    }
    return true;
}

// The file operations of common/files reach the server for the files it holds.
const bool placesInstalled = [] {
    DatabasePlaces places;
    places.holds = [](const QString &path) { return !serverSchemaOf(path).isEmpty(); };
    places.exists = serverDatabaseExists;
    places.remove = dropServerDatabase;
    places.move = moveServerDatabase;
    places.copy = copyServerDatabase;
    places.list = [](const QString &folder) {
        // Without a server chosen nothing is asked of one.
        return databaseServer()
                && QFileInfo(folder).absoluteFilePath() == QFileInfo(programPath(QStringLiteral("data"))).absoluteFilePath()
            ? serverDatabaseNames()
            : QStringList();
    };
    setDatabasePlaces(places);
    return true;
}();

} // namespace

std::optional<DatabaseServer> databaseServer()
{
    if (fromEnvironment())
        return DatabaseServer{qEnvironmentVariable("KELM_SERVER"), dataFolder()};
    return chosen();
}

void setDatabaseServer(const std::optional<DatabaseServer> &server)
{
    (void)placesInstalled;
    chosen() = server;
}

QString serverConnectionText()
{
    const auto server = databaseServer();
    return server ? server->connection : QString();
}

QString serverSchemaOf(const QString &path)
{
    if (!databaseServer() || path.isEmpty())
        return {};
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name != QLatin1String("yhlb.dat") && !name.startsWith(QLatin1String("yhlb.dat."))
        && !name.contains(QLatin1String("_lc.dat")))
        return {};
    const QFileInfo folder(info.absolutePath());
    const QString canonical = folder.canonicalFilePath();
    if ((canonical.isEmpty() ? folder.absoluteFilePath() : canonical) != dataFolder())
        return {};
    return schemaFor(name);
}

bool serverDatabaseExists(const QString &path)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    PgResult r = link->run(QStringLiteral("SELECT 1 FROM kelm.files WHERE household = $1 AND name = $2"),
                           {household(), fileName(path)});
    return r && PQntuples(r.get()) > 0;
}

bool createServerDatabase(const QString &path, const QStringList &jetSchema)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    const QString schema = schemaFor(fileName(path));
    if (!link->runScript(QStringLiteral("BEGIN; CREATE SCHEMA %1; SET LOCAL search_path = %1, kelm, pg_catalog;")
                             .arg(quotedSchema(schema))))
        return fail(link);
    for (const QString &statement : jetSchema) {
        const JetStatement translated = translateJet(statement, {}, nullptr, JetTarget::Postgres);
        if (!translated.error.isEmpty() || !link->run(translated.sql, translated.values))
            return fail(link);
    }
    // The definitions are kept, so a copy on the disk is made with the same tables and indexes.
    if (!link->run(QStringLiteral("INSERT INTO kelm.files (household, name, schema, definition) "
                                  "VALUES ($1, $2, $3, string_to_array($4, chr(1)))"),
                   {household(), fileName(path), schema, jetSchema.join(QChar(1))})
        || !link->runScript(QStringLiteral("COMMIT")))
        return fail(link);
    link->layoutChanged();
    return true;
}

bool dropServerDatabase(const QString &path)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    const QString schema = schemaFor(fileName(path));
    if (!link->runScript(QStringLiteral("BEGIN; DROP SCHEMA IF EXISTS %1 CASCADE;").arg(quotedSchema(schema)))
        || !link->run(QStringLiteral("DELETE FROM kelm.files WHERE household = $1 AND name = $2"), {household(), fileName(path)})
        || !link->runScript(QStringLiteral("COMMIT")))
        return fail(link);
    link->layoutChanged();
    return true;
}

bool moveServerDatabase(const QString &from, const QString &to)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    const QString source = schemaFor(fileName(from));
    const QString target = schemaFor(fileName(to));
    if (!beginOn(link, from))
        return false;
    if (!link->runScript(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; ALTER SCHEMA %2 RENAME TO %1;")
                             .arg(quotedSchema(target), quotedSchema(source)))
        || !link->run(QStringLiteral("DELETE FROM kelm.files WHERE household = $1 AND name = $2"), {household(), fileName(to)})
        || !link->run(QStringLiteral("UPDATE kelm.files SET name = $3, schema = $4 WHERE household = $1 AND name = $2"),
                      {household(), fileName(from), fileName(to), target})
        || !link->runScript(QStringLiteral("COMMIT")))
        return fail(link);
    link->layoutChanged();
    return true;
}

QStringList serverDatabaseNames()
{
    QStringList names;
    ServerLink *link = storeLink();
    if (!link)
        return names;
    PgResult r = link->run(QStringLiteral("SELECT name FROM kelm.files WHERE household = $1 ORDER BY name"), {household()});
    for (int row = 0; r && row < PQntuples(r.get()); ++row)
        names.append(QString::fromUtf8(PQgetvalue(r.get(), row, 0)));
    return names;
}

QString serverStoreError()
{
    return storeError();
}

namespace {

// The Jet statements a database on the server was made from.
QStringList definitionOf(ServerLink *link, const QString &path)
{
    QStringList statements;
    PgResult r = link->run(QStringLiteral("SELECT d FROM kelm.files, unnest(definition) WITH ORDINALITY AS u(d, n) "
                                          "WHERE household = $1 AND name = $2 ORDER BY n"),
                           {household(), fileName(path)});
    for (int row = 0; r && row < PQntuples(r.get()); ++row)
        statements.append(QString::fromUtf8(PQgetvalue(r.get(), row, 0)));
    return statements;
}

QStringList tablesOf(ServerLink *link, const QString &schema)
{
    QStringList tables;
    PgResult r = link->run(QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = $1 ORDER BY tablename"), {schema});
    for (int row = 0; r && row < PQntuples(r.get()); ++row)
        tables.append(QString::fromUtf8(PQgetvalue(r.get(), row, 0)));
    return tables;
}

QString quotedName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// A value of a server result as the files hold it.
QVariant fileValue(const PGresult *result, int row, int column)
{
    if (PQgetisnull(result, row, column))
        return {};
    const char *value = PQgetvalue(result, row, column);
    const int length = PQgetlength(result, row, column);
    switch (PQftype(result, column)) {
    case 20:
    case 21:
    case 23:
        return QByteArrayView(value, length).toLongLong();
    case 700:
    case 701:
    case 1700:
        return QByteArrayView(value, length).toDouble();
    case 1114:
        return QString::fromUtf8(storedDateForm(value, length));
    case 17: {
        size_t n = 0;
        unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(value), &n);
        const QByteArray copy(reinterpret_cast<const char *>(bytes), qsizetype(n));
        PQfreemem(bytes);
        return copy;
    }
    default:
        return QString::fromUtf8(value, length);
    }
}

// A value of a file's row as the server takes it.
QVariant serverValue(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)), sqlite3_column_bytes(statement, column));
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                                 sqlite3_column_bytes(statement, column));
    default:
        return {};
    }
}

// The database on the server written as an ordinary database file: made from the same
// definitions, every row copied, then put in place in one rename.
bool writeToFile(ServerLink *link, const QString &source, const QString &file)
{
    const QStringList definition = definitionOf(link, source);
    if (definition.isEmpty()) {
        storeError() = QStringLiteral("the database on the server keeps no definition");
        return false;
    }
    const QString partial = file + QStringLiteral(".part") + QString::number(qint64(::getpid()));
    QFile::remove(partial);
    if (!createDatabaseFile(partial, databasePassword))
        return false;
    bool ok = false;
    {
        ConnectionObject target;
        ok = target.openJet(partial, databasePassword);
        for (qsizetype i = 0; ok && i < definition.size(); ++i)
            ok = target.run(definition[i]);
        ok = ok && target.runNative(QStringLiteral("BEGIN"));
        const QString schema = schemaFor(fileName(source));
        // One snapshot of the server's data for every table.
        ok = ok && link->runScript(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        for (const QString &table : ok ? tablesOf(link, schema) : QStringList()) {
            PgResult rows = link->run(QStringLiteral("SELECT * FROM %1.%2").arg(quotedName(schema), quotedName(table)));
            if (!rows) {
                ok = false;
                break;
            }
            QStringList names, marks;
            for (int c = 0; c < PQnfields(rows.get()); ++c) {
                names.append(quotedName(QString::fromUtf8(PQfname(rows.get(), c))));
                marks.append(QStringLiteral("?"));
            }
            const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(quotedName(table), names.join(u','), marks.join(u','));
            for (int row = 0; ok && row < PQntuples(rows.get()); ++row) {
                QList<QVariant> values;
                for (int c = 0; c < PQnfields(rows.get()); ++c)
                    values.append(fileValue(rows.get(), row, c));
                ok = target.runNative(insert, values);
            }
            if (!ok)
                storeError() = target.lastError;
        }
        link->runScript(QStringLiteral("COMMIT"));
        ok = ok && target.runNative(QStringLiteral("COMMIT"));
        target.close();
    }
    if (!ok || !moveFile(partial, file)) {
        QFile::remove(partial);
        return false;
    }
    return true;
}

// The rows of a database file put in place of those of a database on the server, in one
// transaction: every table of the server's database is emptied and filled from the file's table
// of that name, column by column where the names meet, and its counter goes on after the file's.
bool readFromFile(ServerLink *link, const QString &file, const QString &destination)
{
    ConnectionObject source;
    if (!source.openJet(file, databasePassword)) {
        storeError() = source.lastError;
        return false;
    }
    const QString schema = schemaFor(fileName(destination));
    if (!beginOn(link, destination))
        return false;
    for (const QString &table : tablesOf(link, schema)) {
        const QString target = quotedName(schema) + u'.' + quotedName(table);
        if (!link->run(QStringLiteral("DELETE FROM ") + target))
            return fail(link);
        QStringList fileColumns;
        for (const auto &[name, isDate] : source.tableColumns(table)) {
            (void)isDate;
            fileColumns.append(name.toLower());
        }
        QStringList names;
        QString key;
        PgResult columns = link->run(QStringLiteral("SELECT a.attname, a.attidentity <> '' FROM pg_attribute a "
                                                    "WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped "
                                                    "ORDER BY a.attnum"),
                                     {target});
        for (int row = 0; columns && row < PQntuples(columns.get()); ++row) {
            const QString name = QString::fromUtf8(PQgetvalue(columns.get(), row, 0));
            if (PQgetvalue(columns.get(), row, 1)[0] == 't')
                key = name;
            if (fileColumns.contains(name))
                names.append(quotedName(name));
        }
        if (names.isEmpty())
            continue;
        // The rows go over in batches of one statement each: one round trip per batch, not per row.
        constexpr int batchRows = 200;
        const auto insertOf = [&](qsizetype rowCount) {
            QStringList tuples;
            for (qsizetype r = 0; r < rowCount; ++r) {
                QStringList marks;
                for (qsizetype i = 0; i < names.size(); ++i)
                    marks.append(u'$' + QString::number(r * names.size() + i + 1));
                tuples.append(u'(' + marks.join(u',') + u')');
            }
            return QStringLiteral("INSERT INTO %1 (%2) OVERRIDING SYSTEM VALUE VALUES %3").arg(target, names.join(u','), tuples.join(u','));
        };
        const QString fullBatch = insertOf(batchRows);
        sqlite3_stmt *rows = nullptr;
        const QByteArray select = QStringLiteral("SELECT %1 FROM %2").arg(names.join(u','), quotedName(table)).toUtf8();
        if (sqlite3_prepare_v2(source.db, select.constData(), -1, &rows, nullptr) != SQLITE_OK) {
            storeError() = QString::fromUtf8(sqlite3_errmsg(source.db));
            sqlite3_finalize(rows);
            link->runScript(QStringLiteral("ROLLBACK"));
            return false;
        }
        QList<QVariant> values;
        qsizetype pending = 0;
        const auto flush = [&] {
            const bool ok = pending == 0 || link->run(pending == batchRows ? fullBatch : insertOf(pending), values);
            values.clear();
            pending = 0;
            return ok;
        };
        int step;
        while ((step = sqlite3_step(rows)) == SQLITE_ROW) {
            for (int c = 0; c < names.size(); ++c)
                values.append(serverValue(rows, c));
            if (++pending == batchRows && !flush()) {
                sqlite3_finalize(rows);
                return fail(link);
            }
        }
        if (step == SQLITE_DONE && !flush()) {
            sqlite3_finalize(rows);
            return fail(link);
        }
        sqlite3_finalize(rows);
        if (step != SQLITE_DONE) {
            storeError() = QString::fromUtf8(sqlite3_errmsg(source.db));
            link->runScript(QStringLiteral("ROLLBACK"));
            return false;
        }
        if (!key.isEmpty()
            && !link->run(QStringLiteral("SELECT setval(pg_get_serial_sequence($1, $2), coalesce(max(%1), 0) + 1, false) FROM %2")
                              .arg(quotedName(key), target),
                          {target, key}))
            return fail(link);
    }
    if (!link->runScript(QStringLiteral("COMMIT")))
        return fail(link);
    return true;
}

} // namespace

bool copyServerDatabase(const QString &source, const QString &destination)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    const bool fromServer = !serverSchemaOf(source).isEmpty();
    const bool toServer = !serverSchemaOf(destination).isEmpty();
    if (fromServer && !toServer)
        return writeToFile(link, source, destination);
    if (!fromServer)
        return serverDatabaseExists(destination) && readFromFile(link, source, destination);
    // From one database on the server to another, through a file of the temporary folder.
    const QString file = QDir(QDir::tempPath()).filePath(QStringLiteral("kelm-copy-%1.dat").arg(qint64(::getpid())));
    const QStringList definition = definitionOf(link, source);
    bool ok = writeToFile(link, source, file);
    if (ok && !serverDatabaseExists(destination))
        ok = createServerDatabase(destination, definition);
    ok = ok && readFromFile(link, file, destination);
    QFile::remove(file);
    return ok;
}

bool compactServerDatabase(const QString &path)
{
    ServerLink *link = storeLink();
    if (!link || !serverDatabaseExists(path))
        return false;
    const QString schema = schemaFor(fileName(path));
    QStringList tables;
    for (const QString &table : tablesOf(link, schema))
        tables.append(quotedName(schema) + u'.' + quotedName(table));
    // VACUUM runs outside any transaction, on the tables of this one database.
    if (!tables.isEmpty() && !link->runScript(QStringLiteral("VACUUM (ANALYZE) ") + tables.join(QStringLiteral(", "))))
        return fail(link);
    return true;
}
