#include "connectionobject.h"

#include "databasefile.h"
#include "jetfunctions.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace {

QHash<QString, int> &openFiles()
{
    static QHash<QString, int> files;
    return files;
}

QString fileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// Statements may not attach other files or change the engine's settings.
int authorize(void *self, int action, const char *, const char *, const char *, const char *)
{
    const auto *connection = static_cast<const ConnectionObject *>(self);
    if (connection->internal)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_PRAGMA:
        return SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

constexpr int cacheLimit = 48;

} // namespace

ConnectionObject::~ConnectionObject()
{
    close();
}

bool ConnectionObject::isFileOpen(const QString &path)
{
    return openFiles().value(fileKey(path)) > 0;
}

bool ConnectionObject::openJet(const QString &filePath, const QString &password)
{
    if (db) {
        lastError = QStringLiteral("the connection is open already");
        return false;
    }
    switch (checkDatabaseFile(filePath, password)) {
    case DatabaseFileCheck::Missing:
        lastError = QStringLiteral("could not find file '%1'").arg(filePath);
        return false;
    case DatabaseFileCheck::NotOurs:
        lastError = QStringLiteral("'%1' is not a database of this program").arg(filePath);
        return false;
    case DatabaseFileCheck::WrongPassword:
        lastError = QStringLiteral("not a valid password");
        return false;
    case DatabaseFileCheck::Ours:
        break;
    }
    const QByteArray name = QFile::encodeName(filePath);
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        recordEngineError();
        sqlite3_close_v2(db);
        db = nullptr;
        return false;
    }
    internal = true;
    // One file, rollback journal: a ledger can be copied, replaced and compacted as a whole.
    const bool ready = installJetFunctions(db)
        && sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cell_size_check=ON; SELECT count(*) FROM sqlite_master;",
                        nullptr, nullptr, nullptr)
            == SQLITE_OK;
    internal = false;
    if (!ready) {
        recordEngineError();
        sqlite3_close_v2(db);
        db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    sqlite3_set_authorizer(db, authorize, this);
    path = fileKey(filePath);
    ++openFiles()[path];
    provider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
    transactionLevel = 0;
    return true;
}

void ConnectionObject::close()
{
    if (!db)
        return;
    clearCache();
    columnsByTable.clear();
    shapes.clear();
    sqlite3_close_v2(db); // an open transaction is rolled back
    db = nullptr;
    transactionLevel = 0;
    if (--openFiles()[path] <= 0)
        openFiles().remove(path);
    path.clear();
}

void ConnectionObject::recordEngineError()
{
    lastError = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("the engine could not start");
    // An error that ended the transaction (a full disk, say) leaves none to commit.
    if (db && transactionLevel > 0 && sqlite3_get_autocommit(db))
        transactionLevel = 0;
}

void ConnectionObject::clearCache()
{
    for (const Cached &c : std::as_const(cache))
        sqlite3_finalize(c.statement);
    cache.clear();
}

sqlite3_stmt *ConnectionObject::cachedPrepare(const QString &sql)
{
    auto found = cache.find(sql);
    if (found != cache.end()) {
        found->lastUse = ++useCounter;
        return found->statement;
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &statement, &tail) != SQLITE_OK || !statement) {
        recordEngineError();
        if (!statement)
            lastError = lastError.isEmpty() ? QStringLiteral("empty statement") : lastError;
        sqlite3_finalize(statement);
        return nullptr;
    }
    if (tail && *tail) {
        for (const char *p = tail; *p; ++p) {
            if (*p != ' ' && *p != '\n' && *p != '\t' && *p != '\r' && *p != ';') {
                sqlite3_finalize(statement);
                lastError = QStringLiteral("more than one statement");
                return nullptr;
            }
        }
    }
    if (cache.size() >= cacheLimit) {
        auto oldest = cache.begin();
        for (auto it = cache.begin(); it != cache.end(); ++it)
            if (it->lastUse < oldest->lastUse)
                oldest = it;
        sqlite3_finalize(oldest->statement);
        cache.erase(oldest);
    }
    cache.insert(sql, {statement, ++useCounter});
    return statement;
}

bool bindValues(sqlite3_stmt *statement, const QList<QVariant> &values)
{
    if (sqlite3_bind_parameter_count(statement) != values.size())
        return false;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values[i];
        int rc = SQLITE_OK;
        switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(statement, i + 1, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(statement, i + 1, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            rc = sqlite3_bind_blob(statement, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(statement, i + 1);
            break;
        case QMetaType::QString: {
            const auto *text = static_cast<const QString *>(v.constData());
            // An empty text is a text, not Null.
            rc = sqlite3_bind_text16(statement, i + 1, text->isNull() ? static_cast<const void *>(u"") : static_cast<const void *>(text->constData()), int(text->size() * 2),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            if (v.isNull()) {
                rc = sqlite3_bind_null(statement, i + 1);
                break;
            }
            const QByteArray text = v.toString().toUtf8();
            rc = sqlite3_bind_text(statement, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
        if (rc != SQLITE_OK)
            return false;
    }
    return true;
}

QList<JetColumn> ConnectionObject::tableColumns(const QString &table)
{
    const QString key = table.toLower();
    auto found = columnsByTable.constFind(key);
    if (found != columnsByTable.constEnd())
        return *found;
    QList<JetColumn> columns;
    sqlite3_stmt *statement = nullptr;
    internal = true;
    if (sqlite3_prepare_v2(db, "SELECT name, type FROM pragma_table_info(?)", -1, &statement, nullptr) == SQLITE_OK) {
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const QString column = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
            const QString type = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 1)));
            columns.append({column, type.startsWith(QLatin1String("DATETIME"), Qt::CaseInsensitive)});
        }
    }
    sqlite3_finalize(statement);
    internal = false;
    columnsByTable.insert(key, columns);
    return columns;
}

sqlite3_stmt *ConnectionObject::prepare(const QString &text, JetStatement *translated)
{
    lastStatement = text;
    if (!db) {
        lastError = QStringLiteral("the connection is closed");
        return nullptr;
    }
    JetStatement jet = translateJet(text, [this](const QString &table) { return tableColumns(table); }, &shapes);
    if (!jet.error.isEmpty()) {
        lastError = jet.error;
        return nullptr;
    }
    if (!jet.excelTarget.isEmpty()) {
        // Workbook statements are carried out by the workbook driver, never by the engine.
        lastError = QStringLiteral("the statement names a workbook");
        if (translated)
            *translated = std::move(jet);
        return nullptr;
    }
    if (jet.kind == JetStatementKind::Create || jet.kind == JetStatementKind::Drop || jet.kind == JetStatementKind::Alter) {
        columnsByTable.clear();
        shapes.clear();
    }
    sqlite3_stmt *statement = cachedPrepare(jet.sql);
    if (statement && !bindValues(statement, jet.values)) {
        lastError = QStringLiteral("cannot bind the statement's values");
        finish(statement);
        statement = nullptr;
    }
    if (translated)
        *translated = std::move(jet);
    return statement;
}

sqlite3_stmt *ConnectionObject::prepareNative(const QString &sql, const QList<QVariant> &values)
{
    if (!db) {
        lastError = QStringLiteral("the connection is closed");
        return nullptr;
    }
    sqlite3_stmt *statement = cachedPrepare(sql);
    if (statement && !bindValues(statement, values)) {
        lastError = QStringLiteral("cannot bind the statement's values");
        finish(statement);
        statement = nullptr;
    }
    return statement;
}

void ConnectionObject::finish(sqlite3_stmt *statement)
{
    if (!statement)
        return;
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
}

static bool stepToEnd(ConnectionObject *connection, sqlite3_stmt *statement)
{
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        connection->recordEngineError();
    connection->finish(statement);
    return ok;
}

bool ConnectionObject::run(const QString &text)
{
    sqlite3_stmt *statement = prepare(text);
    return statement && stepToEnd(this, statement);
}

bool ConnectionObject::runNative(const QString &sql, const QList<QVariant> &values)
{
    sqlite3_stmt *statement = prepareNative(sql, values);
    return statement && stepToEnd(this, statement);
}
