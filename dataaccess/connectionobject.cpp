#include "connectionobject.h"

#include "databasefile.h"
#include "dbconnection.h"
#include "jetfunctions.h"
#include "jet/jetconversion.h"
#include "xls/xlsformat.h"
#include "xls/sheetfile.h"
#include "xls/xlsworkbook.h"

#include "pg/serverstore.h"

#include "common/clock.h"
#include "common/datetext.h"

#include <QFile>
#include <QFileInfo>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

QHash<QString, int> &openFiles()
{
    // Never destroyed: the program's connections are globals that close after every static of
    // this file is gone.
    static auto *files = new QHash<QString, int>;
    return *files;
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

// A Jet file of the Windows program that opens with the password becomes a file of ours in place,
// the Jet file kept beside it; one that does not stays as it is.
std::function<void(qint64, qint64)> &conversionProgress()
{
    static std::function<void(qint64, qint64)> progress;
    return progress;
}

DatabaseFileCheck convertFromJet(const QString &path, const QString &password)
{
    const JetConversionTarget target{createDatabaseFile, sqliteColumnDefinition, conversionProgress()};
    switch (convertJetFile(path, password, target).outcome) {
    case JetConversion::Converted:
        return checkDatabaseFile(path, password);
    case JetConversion::WrongPassword:
        return DatabaseFileCheck::WrongPassword;
    case JetConversion::NotJet:
    case JetConversion::Refused:
        break;
    }
    return DatabaseFileCheck::NotOurs;
}

} // namespace

void setConversionProgress(std::function<void(qint64 done, qint64 total)> progress)
{
    conversionProgress() = std::move(progress);
}

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
    if (isOpen()) {
        lastError = QStringLiteral("the connection is open already");
        return false;
    }
    const QString schema = serverSchemaOf(filePath);
    if (!schema.isEmpty())
        return openServer(filePath, schema, password);
    DatabaseFileCheck check = checkDatabaseFile(filePath, password);
    const bool converting = check == DatabaseFileCheck::NotOurs;
    if (converting)
        check = convertFromJet(filePath, password);
    switch (check) {
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
    // Each connection is used by the one thread of the program, so the engine's locks are spared.
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
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
    internal = true;
    sqlite3_exec(db, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    // A ledger converted from a Windows file gets the day index our own ledgers are made with
    // (it fails harmlessly for files without the ledger table).
    if (converting)
        sqlite3_exec(db, "CREATE INDEX IF NOT EXISTS lcsj_rq ON lcsj (rq)", nullptr, nullptr, nullptr);
    internal = false;
    sqlite3_set_authorizer(db, authorize, this);
    path = fileKey(filePath);
    ++openFiles()[path];
    provider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
    transactionLevel = 0;
    return true;
}

bool ConnectionObject::openServer(const QString &filePath, const QString &schema, const QString &password)
{
    if (!serverDatabaseExists(filePath)) {
        lastError = QStringLiteral("could not find file '%1'").arg(filePath);
        return false;
    }
    // The server's own credentials guard the data; the database password stays the program's
    // check that the right kind of database is opened, as with the files.
    if (password != databasePassword) {
        lastError = QStringLiteral("not a valid password");
        return false;
    }
    auto link = std::make_unique<ServerLink>();
    if (!link->connect(serverConnectionText())
        || !link->runScript(QStringLiteral("SET search_path = \"%1\", kelm, pg_catalog").arg(schema))) {
        lastError = link->error();
        return false;
    }
    server = std::move(link);
    path = fileKey(filePath);
    ++openFiles()[path];
    provider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
    transactionLevel = 0;
    return true;
}

PgResult ConnectionObject::query(const QString &text)
{
    lastStatement = text;
    if (!server) {
        lastError = QStringLiteral("the connection is closed");
        return {};
    }
    JetStatement jet = translateJet(
        text, [this](const QString &table) { return tableColumns(table); }, &shapes, JetTarget::Postgres);
    if (!jet.error.isEmpty() || !jet.excelTarget.isEmpty()) {
        lastError = jet.error.isEmpty() ? QStringLiteral("the statement names a workbook") : jet.error;
        return {};
    }
    const bool layout = jet.kind == JetStatementKind::Create || jet.kind == JetStatementKind::Drop
        || jet.kind == JetStatementKind::Alter;
    // now() and date() read the program's clock, handed over with the statement that asks.
    if (jet.sql.contains(QLatin1String("now("), Qt::CaseInsensitive) || jet.sql.contains(QLatin1String("date("), Qt::CaseInsensitive))
        server->run(QStringLiteral("SELECT set_config('kelm.now', $1, false)"),
                    {Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    PgResult result = server->run(jet.sql, jet.values);
    if (!result)
        lastError = server->error();
    if (layout) {
        columnsByTable.clear();
        shapes.clear();
        server->layoutChanged();
    }
    return result;
}

PgResult ConnectionObject::queryNative(const QString &sql, const QList<QVariant> &values)
{
    if (!server) {
        lastError = QStringLiteral("the connection is closed");
        return {};
    }
    // The server takes every write at once; two computers saving wait for each other's rows only.
    PgResult result = server->run(sql == QLatin1String("BEGIN IMMEDIATE") ? QStringLiteral("BEGIN") : numberedParameters(sql),
                                  values);
    if (!result)
        lastError = server->error();
    return result;
}

void ConnectionObject::close()
{
    if (server) {
        server.reset();
        columnsByTable.clear();
        shapes.clear();
        transactionLevel = 0;
        if (--openFiles()[path] <= 0)
            openFiles().remove(path);
        path.clear();
        return;
    }
    if (!db)
        return;
    clearCache();
    columnsByTable.clear();
    shapes.clear();
    sqlite3_close_v2(db); // an open transaction is rolled back
    db = nullptr;
    transactionLevel = 0;
    if (!workbook.isEmpty()) {
        workbook.clear();
        return;
    }
    if (--openFiles()[path] <= 0)
        openFiles().remove(path);
    path.clear();
}

void ConnectionObject::recordEngineError()
{
    if (server) {
        lastError = server->error();
        if (transactionLevel > 0 && !server->inTransaction())
            transactionLevel = 0;
        return;
    }
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
            // Handed over as UTF-8, the form the file keeps, so the engine need not convert it; a
            // text without a NUL inside goes as a terminated string, which the engine copies once.
            // An empty text is a text, not Null.
            const QByteArray text = static_cast<const QString *>(v.constData())->toUtf8();
            const bool terminated = !text.contains('\0');
            rc = sqlite3_bind_text(statement, i + 1, text.isNull() ? "" : text.constData(),
                                   terminated ? -1 : int(text.size()), SQLITE_TRANSIENT);
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
    if (server) {
        for (const auto &[name, isDate] : server->tableColumns(table))
            columns.append({name, isDate});
        columnsByTable.insert(key, columns);
        return columns;
    }
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
    if (!workbook.isEmpty()) {
        // A workbook connection reads each worksheet the statement names, once.
        for (const QString &sheet : worksheetReferences(text)) {
            if (tableColumns(sheet + u'$').isEmpty() && !loadWorksheet(workbook, sheet, false))
                return nullptr;
        }
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
    if (server) {
        if (text.contains(QLatin1String("[Excel 8.0;"), Qt::CaseInsensitive)) {
            const bool ok = runWorkbookStatement(text);
            lastStatement = text;
            return ok;
        }
        return query(text) != nullptr;
    }
    JetStatement jet;
    sqlite3_stmt *statement = prepare(text, &jet);
    if (statement)
        return stepToEnd(this, statement);
    if (!jet.excelTarget.isEmpty()) {
        const bool ok = runWorkbookStatement(text);
        lastStatement = text;
        return ok;
    }
    return false;
}

bool ConnectionObject::runNative(const QString &sql, const QList<QVariant> &values)
{
    if (server)
        return queryNative(sql, values) != nullptr;
    sqlite3_stmt *statement = prepareNative(sql, values);
    return statement && stepToEnd(this, statement);
}

namespace {

QString identifier(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The cells a sheet gets for a column of the declared type (either engine's name for it): days,
// numbers, or else texts.
XlsColumnType sheetColumnType(const QString &declared)
{
    const QString type = declared.toUpper();
    if (type.startsWith(QLatin1String("DATETIME")))
        return XlsColumnType::Date;
    if (type.startsWith(QLatin1String("DOUBLE")) || type.startsWith(QLatin1String("INTEGER"))
        || type.startsWith(QLatin1String("BOOLEAN")))
        return XlsColumnType::Number;
    return XlsColumnType::Text;
}

// The encoding of a CSV file the statement writes: GBK when its character set says 936.
CsvLayout::Encoding sheetEncoding(const WorkbookStatement &w)
{
    return w.characterSet == QLatin1String("936") ? CsvLayout::Gb18030 : CsvLayout::Utf8;
}

} // namespace

bool ConnectionObject::openWorkbook(const QString &filePath)
{
    if (db) {
        lastError = QStringLiteral("the connection is open already");
        return false;
    }
    bool readable = false;
    xlsSheetNames(filePath, &readable);
    if (!readable) {
        lastError = QStringLiteral("'%1' is not a workbook").arg(filePath);
        return false;
    }
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK
        || !installJetFunctions(db)) {
        recordEngineError();
        sqlite3_close_v2(db);
        db = nullptr;
        return false;
    }
    sqlite3_set_authorizer(db, authorize, this);
    workbook = filePath;
    provider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
    transactionLevel = 0;
    return true;
}

// The worksheet's rows as the table "name$": columns named by the first row (an empty title is
// F and its position, as the Jet driver named it), cells as text, numbers, stored date texts or
// Null. Columns carry no type, so each statement converts the values as it writes them. The
// rows go in as they are read, each reported to the watcher of the work, which may stop it.
bool ConnectionObject::loadWorksheet(const QString &workbookPath, const QString &sheet, bool temporary, qint64 *rows)
{
    const QString table = (temporary ? QStringLiteral("temp.") : QString()) + identifier(sheet + u'$');
    sqlite3_stmt *insert = nullptr;
    bool engineFailed = false;
    const auto createTable = [&](const QStringList &titles) {
        QStringList names;
        QStringList placeholders;
        for (qsizetype i = 0; i < titles.size(); ++i) {
            names.append(identifier(titles[i].isEmpty() ? QStringLiteral("F%1").arg(i + 1) : titles[i]));
            placeholders.append(QStringLiteral("?"));
        }
        // Two columns of one title make the table, and so the statement, fail.
        if (!runNative(QStringLiteral("DROP TABLE IF EXISTS ") + table)
            || !runNative(QStringLiteral("CREATE %1TABLE %2 (%3)")
                              .arg(temporary ? QStringLiteral("TEMP ") : QString(), identifier(sheet + u'$'), names.join(u',')))) {
            engineFailed = true;
            return false;
        }
        columnsByTable.clear();
        shapes.clear();
        insert = cachedPrepare(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, placeholders.join(u',')));
        engineFailed = !insert;
        return insert != nullptr;
    };
    qint64 loaded = 0;
    bool stopped = false;
    const auto addRow = [&](QList<XlsValue> &row) {
        for (int i = 0; i < row.size(); ++i) {
            const XlsValue &v = row[i];
            switch (v.kind) {
            case XlsValue::Text: {
                // A NUL means nothing in a text of the ledger and other programs cut texts at it; the
                // NULs are dropped and the rest of the cell kept, so no text comes in holding one.
                const QByteArray text = (v.text.contains(QChar(u'\0')) ? QString(v.text).remove(QChar(u'\0')) : v.text).toUtf8();
                sqlite3_bind_text(insert, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                break;
            }
            case XlsValue::Number:
                sqlite3_bind_double(insert, i + 1, v.number);
                break;
            case XlsValue::Boolean:
                sqlite3_bind_int(insert, i + 1, v.number != 0 ? -1 : 0); // Jet's True is -1
                break;
            case XlsValue::Date: {
                const QByteArray text = canonicalDateText(v.date).toUtf8();
                sqlite3_bind_text(insert, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                break;
            }
            default:
                sqlite3_bind_null(insert, i + 1);
            }
        }
        if (sqlite3_step(insert) != SQLITE_DONE) {
            recordEngineError();
            sqlite3_reset(insert);
            engineFailed = true;
            return false;
        }
        sqlite3_reset(insert);
        if (++loaded % 500 == 0 && !SheetProgress::report(loaded)) {
            stopped = true;
            return false;
        }
        return true;
    };
    QString error;
    const bool read = readSheetTable(workbookPath, sheet, createTable, addRow, &error);
    finish(insert);
    if (rows)
        *rows = loaded;
    if (stopped)
        lastError = QStringLiteral("the work was stopped");
    else if (!read && !engineFailed)
        lastError = error;
    else if (read && !insert)
        lastError = QStringLiteral("the worksheet %1 is empty").arg(sheet);
    return read && insert;
}

bool ConnectionObject::runWorkbookStatement(const QString &text)
{
    if (!workbook.isEmpty()) {
        lastError = QStringLiteral("a workbook connection only reads its worksheets");
        return false;
    }
    const WorkbookStatement w = splitWorkbookStatement(text);
    if (!w.error.isEmpty()) {
        lastError = w.error;
        return false;
    }
    return w.form == WorkbookStatement::Export ? exportToWorkbook(w) : importFromWorkbook(w);
}

bool ConnectionObject::exportToWorkbook(const WorkbookStatement &w)
{
    if (server)
        return exportServerResult(w);
    sqlite3_stmt *statement = prepare(w.statement);
    if (!statement)
        return false;
    const int count = sqlite3_column_count(statement);
    QList<XlsColumn> columns;
    QList<bool> typed;
    for (int i = 0; i < count; ++i) {
        XlsColumn c;
        c.title = QString::fromUtf8(sqlite3_column_name(statement, i));
        const QString declared = QString::fromUtf8(sqlite3_column_decltype(statement, i));
        typed.append(!declared.isEmpty());
        c.type = sheetColumnType(declared);
        columns.append(c);
    }
    // The rows go to the file as the engine gives them, so only the file's bytes are ever held.
    int rc = SQLITE_DONE;
    qint64 written = 0;
    bool stopped = false;
    const RowSource source = [&](QList<XlsValue> &row) {
        if (written % 500 == 0 && written && !SheetProgress::report(written)) {
            stopped = true;
            return RowPull::Stop;
        }
        rc = sqlite3_step(statement);
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? RowPull::End : RowPull::Stop;
        ++written;
        row.resize(count);
        for (int i = 0; i < count; ++i) {
            const int type = sqlite3_column_type(statement, i);
            if (type == SQLITE_NULL) {
                row[i] = XlsValue();
                continue;
            }
            if (!typed[i]) {
                // A computed column takes the type of its first value.
                columns[i].type = type == SQLITE_TEXT ? XlsColumnType::Text : XlsColumnType::Number;
                typed[i] = true;
            }
            if (columns[i].type == XlsColumnType::Date && type == SQLITE_TEXT) {
                // A number in a date column is written as the day serial it is; the serial is
                // worked out from the day and time alone, without placing them in a time zone.
                QDate day;
                QTime time;
                const bool ok = parseStoredDate(reinterpret_cast<const char *>(sqlite3_column_text(statement, i)),
                                                sqlite3_column_bytes(statement, i), &day, &time);
                row[i] = ok ? XlsValue::fromNumber(serialFromDate(day, time)) : XlsValue();
            } else if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
                row[i] = XlsValue::fromNumber(sqlite3_column_double(statement, i));
            } else {
                row[i] = XlsValue::fromText(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, i)),
                                                              sqlite3_column_bytes(statement, i)));
            }
        }
        return RowPull::Row;
    };
    QString error;
    const bool ok = writeSheetTable(w.path, w.sheet, columns, source, sheetEncoding(w), &error);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        recordEngineError();
    else if (stopped)
        lastError = QStringLiteral("the work was stopped");
    else if (!ok)
        lastError = error;
    finish(statement);
    return ok;
}

bool ConnectionObject::importFromWorkbook(const WorkbookStatement &w)
{
    if (server)
        return importToServer(w);
    // The worksheet lives in a temporary table for this one statement; the statement inserts all
    // of its rows or none.
    if (!runNative(QStringLiteral("SAVEPOINT workbook")))
        return false;
    qint64 rows = 0;
    bool ok = loadWorksheet(w.path, w.sheet, true, &rows);
    if (ok) {
        // The statement over the loaded rows still hears a request to stop, which interrupts it.
        struct Watch
        {
            qint64 rows;
            bool stopped = false;
        } watch{rows};
        sqlite3_progress_handler(db, 20000, [](void *data) {
            auto *watch = static_cast<Watch *>(data);
            watch->stopped = watch->stopped || !SheetProgress::report(watch->rows);
            return watch->stopped ? 1 : 0;
        }, &watch);
        ok = run(w.statement);
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
        if (watch.stopped)
            lastError = QStringLiteral("the work was stopped");
    }
    const QString error = lastError;
    if (!ok)
        runNative(QStringLiteral("ROLLBACK TO workbook"));
    runNative(QStringLiteral("RELEASE workbook"));
    runNative(QStringLiteral("DROP TABLE IF EXISTS temp.") + identifier(w.sheet + u'$'));
    columnsByTable.clear();
    shapes.clear();
    lastError = error;
    return ok;
}

bool ConnectionObject::exportServerResult(const WorkbookStatement &w)
{
    PgResult result = query(w.statement);
    if (!result)
        return false;
    PGresult *r = result.get();
    const int count = PQnfields(r);
    QList<XlsColumn> columns;
    for (int i = 0; i < count; ++i) {
        XlsColumn c;
        c.title = QString::fromUtf8(PQfname(r, i));
        c.type = sheetColumnType(pgDeclaredType(PQftype(r, i), PQfmod(r, i)));
        columns.append(c);
    }
    // The rows go to the file in its kind as for the files; a long .xls table goes on over more sheets.
    const int total = PQntuples(r);
    int next = 0;
    bool stopped = false;
    const RowSource source = [&](QList<XlsValue> &values) {
        if (next % 500 == 0 && next && !SheetProgress::report(next)) {
            stopped = true;
            return RowPull::Stop;
        }
        if (next >= total)
            return RowPull::End;
        const int row = next++;
        values.resize(count);
        for (int i = 0; i < count; ++i) {
            if (PQgetisnull(r, row, i)) {
                values[i] = XlsValue();
                continue;
            }
            const QByteArray text = columns[i].type == XlsColumnType::Date
                ? storedDateForm(PQgetvalue(r, row, i), PQgetlength(r, row, i))
                : QByteArray(PQgetvalue(r, row, i), PQgetlength(r, row, i));
            if (columns[i].type == XlsColumnType::Date) {
                // The serial is worked out from the day and time alone, as for the files.
                QDate day;
                QTime time;
                const bool ok = parseStoredDate(text.constData(), int(text.size()), &day, &time);
                values[i] = ok ? XlsValue::fromNumber(serialFromDate(day, time)) : XlsValue();
            } else if (columns[i].type == XlsColumnType::Number) {
                values[i] = XlsValue::fromNumber(PQftype(r, i) == 16 ? (text == "t" ? -1 : 0) : text.toDouble());
            } else {
                values[i] = XlsValue::fromText(QString::fromUtf8(text));
            }
        }
        return RowPull::Row;
    };
    QString error;
    const bool ok = writeSheetTable(w.path, w.sheet, columns, source, sheetEncoding(w), &error);
    if (stopped)
        lastError = QStringLiteral("the work was stopped");
    else if (!ok)
        lastError = error;
    return ok;
}

bool ConnectionObject::importToServer(const WorkbookStatement &w)
{
    // The server's table needs each column's type before the first row goes in, so the table is
    // read whole first, from a file of any kind.
    XlsSheet sheet;
    QString error;
    const auto takeTitles = [&sheet](const QStringList &titles) {
        sheet.titles = titles;
        return true;
    };
    bool stopped = false;
    const auto takeRow = [&sheet, &stopped](QList<XlsValue> &row) {
        sheet.rows.append(std::move(row));
        stopped = sheet.rows.size() % 500 == 0 && !SheetProgress::report(sheet.rows.size());
        return !stopped;
    };
    if (!readSheetTable(w.path, w.sheet, takeTitles, takeRow, &error)) {
        lastError = stopped ? QStringLiteral("the work was stopped") : error;
        return false;
    }
    if (sheet.titles.isEmpty()) {
        lastError = QStringLiteral("the worksheet %1 is empty").arg(w.sheet);
        return false;
    }
    // The server's table needs a type per column: numbers, days, or else texts, as the cells say;
    // a text that reads as a number goes into a number column as that number, as the files take it.
    QStringList names;
    QList<XlsValue::Kind> kinds;
    for (qsizetype i = 0; i < sheet.titles.size(); ++i) {
        names.append(identifier((sheet.titles[i].isEmpty() ? QStringLiteral("F%1").arg(i + 1) : sheet.titles[i]).toLower()));
        XlsValue::Kind kind = XlsValue::Null;
        for (const QList<XlsValue> &row : std::as_const(sheet.rows)) {
            if (i >= row.size() || row[i].isNull())
                continue;
            XlsValue::Kind k = row[i].kind == XlsValue::Boolean ? XlsValue::Number : row[i].kind;
            if (k == XlsValue::Text) {
                bool number = false;
                row[i].text.trimmed().toDouble(&number);
                k = number ? XlsValue::Number : XlsValue::Text;
            }
            kind = kind == XlsValue::Null || kind == k ? k : XlsValue::Text;
        }
        kinds.append(kind);
    }
    QStringList declared;
    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const XlsValue::Kind k = kinds[i];
        declared.append(names[i] + (k == XlsValue::Number ? QStringLiteral(" numeric")
                                    : k == XlsValue::Date ? QStringLiteral(" timestamp(0)")
                                                          : QStringLiteral(" text COLLATE kelm.chinese")));
        marks.append(u'$' + QString::number(i + 1));
    }
    const QString table = QStringLiteral("pg_temp.") + identifier((w.sheet + u'$').toLower());
    // The statement inserts all of the worksheet's rows or none.
    const bool own = !server->inTransaction();
    if (!queryNative(own ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT workbook")))
        return false;
    bool ok = queryNative(QStringLiteral("DROP TABLE IF EXISTS ") + table) != nullptr
        && queryNative(QStringLiteral("CREATE TEMP TABLE %1 (%2)").arg(table, declared.join(u','))) != nullptr;
    const QString insert = QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, marks.join(u','));
    for (qsizetype r = 0; ok && r < sheet.rows.size(); ++r) {
        QList<QVariant> values;
        const QList<XlsValue> &row = sheet.rows[r];
        for (qsizetype i = 0; i < names.size(); ++i) {
            const XlsValue v = i < row.size() ? row[i] : XlsValue();
            switch (v.kind) {
            case XlsValue::Text:
                // A NUL means nothing in a text of the ledger: dropped, the rest of the cell kept.
                if (kinds[i] == XlsValue::Number)
                    values.append(v.text.trimmed().toDouble());
                else
                    values.append(QString(v.text).remove(QChar(u'\0')));
                break;
            case XlsValue::Number:
                values.append(kinds[i] == XlsValue::Text ? QVariant(QString::number(v.number, 'g', 17)) : QVariant(v.number));
                break;
            case XlsValue::Boolean:
                values.append(kinds[i] == XlsValue::Text ? QVariant(QString::number(v.number != 0 ? -1 : 0))
                                                         : QVariant(v.number != 0 ? -1.0 : 0.0));
                break;
            case XlsValue::Date:
                values.append(canonicalDateText(v.date));
                break;
            default:
                values.append(QVariant());
            }
        }
        ok = queryNative(insert, values) != nullptr;
    }
    columnsByTable.clear();
    shapes.clear();
    server->layoutChanged();
    ok = ok && query(w.statement) != nullptr;
    const QString failure = lastError;
    queryNative(QStringLiteral("DROP TABLE IF EXISTS ") + table);
    if (own)
        queryNative(ok ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
    else if (ok)
        queryNative(QStringLiteral("RELEASE SAVEPOINT workbook"));
    else
        queryNative(QStringLiteral("ROLLBACK TO SAVEPOINT workbook"));
    columnsByTable.clear();
    shapes.clear();
    server->layoutChanged();
    lastError = failure;
    return ok;
}
