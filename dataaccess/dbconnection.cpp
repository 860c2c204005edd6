#include "dbconnection.h"

#include "common/prompter.h"

#include "databasefile.h"
#include "pg/serverstore.h"

#include "common/files.h"
#include "common/log.h"
#include "common/numbers.h"
#include "common/sqltext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::function<void(const QString &, const QString &)> &messageHandler()
{
    static std::function<void(const QString &, const QString &)> handler = [](const QString &text, const QString &caption) {
        qWarning("%s %s", qPrintable(caption), qPrintable(text));
    };
    return handler;
}

std::function<bool()> &engineCheck()
{
    static std::function<bool()> check = [] { return sqlite3_initialize() == SQLITE_OK; };
    return check;
}

// "key=value;key=value", keys without regard to case. A value may stand in double or single
// quotes, the quote doubled inside (as OLE DB reads them), so it can hold ";" and spaces.
QHash<QString, QString> parseConnectionString(const QString &text)
{
    QHash<QString, QString> parts;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype eq = text.indexOf(u'=', i);
        if (eq < 0)
            break;
        const QString key = text.mid(i, eq - i).trimmed().toLower();
        qsizetype j = eq + 1;
        QString value;
        while (j < text.size() && text[j] == u' ')
            ++j;
        if (j < text.size() && (text[j] == u'"' || text[j] == u'\'')) {
            const QChar quote = text[j];
            for (++j; j < text.size(); ++j) {
                if (text[j] == quote) {
                    if (j + 1 < text.size() && text[j + 1] == quote) {
                        value += quote;
                        ++j;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += text[j];
            }
            const qsizetype semi = text.indexOf(u';', j);
            j = semi < 0 ? text.size() : semi + 1;
        } else {
            const qsizetype semi = text.indexOf(u';', j);
            value = text.mid(j, semi < 0 ? -1 : semi - j).trimmed();
            j = semi < 0 ? text.size() : semi + 1;
        }
        if (!key.isEmpty())
            parts.insert(key, value);
        i = j;
    }
    return parts;
}

// A value as the connection string reads it back whole: as it is when nothing in it could end or
// trim it, otherwise in double quotes with each double quote doubled.
QString connectionValue(const QString &value)
{
    const bool plain = !value.contains(u';') && !value.startsWith(u'"') && !value.startsWith(u'\'')
        && value.trimmed().size() == value.size();
    if (plain)
        return value;
    return u'"' + QString(value).replace(u'"', QLatin1String("\"\"")) + u'"';
}

bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Each "]" of the path is written twice, so the bracket closes only after the whole path.
QString excelSource(const QString &workbookPath)
{
    return QStringLiteral("[Excel 8.0;DATABASE=") + QString(workbookPath).replace(u']', QLatin1String("]]")) + u']';
}

// "Insert into table(fields) select columns from [workbook].[sheet$] as ek", with the duplicate
// filter when asked; without fields every column of the sheet in its order.
QString importStatement(const QString &workbookPath, const QString &table, const std::optional<QStringList> &fields,
                        const QString &columnList, const QString &tail, const std::optional<QString> &sheet,
                        bool filtered)
{
    const QString source = excelSource(workbookPath) + QStringLiteral(".[") + sheet.value_or(table) + QStringLiteral("$]");
    if (!fields)
        return QStringLiteral("Insert into ") + table + QStringLiteral(" select * from ") + source + u' ';
    const QString list = fields->join(u',');
    QString statement = QStringLiteral("Insert into ") + table + u'(' + list + QStringLiteral(") select ") + columnList
        + QStringLiteral(" from ") + source + QStringLiteral(" as ek");
    if (filtered)
        statement += QStringLiteral("  where not exists (select ") + list + QStringLiteral(" from ") + table + u' ' + tail
            + QStringLiteral(" )");
    return statement;
}

QString titledList(const QStringList &fields, const QStringList &titles)
{
    QStringList parts;
    for (qsizetype i = 0; i < fields.size(); ++i)
        parts.append(fields[i] + QStringLiteral(" as ") + titles.value(i));
    return parts.join(u',');
}

} // namespace

void setDataAccessMessageHandler(std::function<void(const QString &, const QString &)> handler)
{
    messageHandler() = std::move(handler);
}

void showDataAccessMessage(const QString &text)
{
    if (messageHandler())
        messageHandler()(text, QStringLiteral("信息："));
}

void setEngineCheck(std::function<bool()> check)
{
    engineCheck() = std::move(check);
}

bool engineAvailable()
{
    return engineCheck() && engineCheck()();
}

DbConnection::DbConnection()
{
    if (engineAvailable())
        object = std::make_shared<ConnectionObject>();
    else
        showDataAccessMessage(QStringLiteral("创建 ADODB.Connection 对象失败！"));
}

DbConnection::~DbConnection()
{
    if (object)
        object->close();
}

bool DbConnection::Open(const QString &connectionString)
{
    if (!object)
        return false;
    if (openConnection(connectionString))
        return true;
    qCWarning(logData).noquote() << "cannot open" << loggableConnectionString(connectionString) << "-" << object->lastError;
    return false;
}

bool DbConnection::openConnection(const QString &connectionString)
{
    object->lastConnectionString = connectionString;
    const QHash<QString, QString> parts = parseConnectionString(connectionString);
    if (parts.contains(QStringLiteral("driver"))) {
        object->lastError = QStringLiteral("no ODBC driver %1 on this platform").arg(parts.value(QStringLiteral("driver")));
        return false;
    }
    if (parts.value(QStringLiteral("provider")).compare(QLatin1String("Microsoft.Jet.OLEDB.4.0"), Qt::CaseInsensitive) != 0) {
        object->lastError = QStringLiteral("provider cannot be found");
        return false;
    }
    if (parts.value(QStringLiteral("extended properties")).contains(QLatin1String("Excel 8.0"), Qt::CaseInsensitive))
        return object->openWorkbook(parts.value(QStringLiteral("data source")));
    return object->openJet(parts.value(QStringLiteral("data source")),
                           parts.value(QStringLiteral("jet oledb:database password")));
}

bool DbConnection::OpenJet(const QString &path, const QString &password)
{
    return Open(QStringLiteral("provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + connectionValue(path)
                + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=") + connectionValue(password)
                + u';');
}

bool DbConnection::OpenSqlServer(const QString &server, const QString &userId, const QString &password,
                                 const QString &database, int express)
{
    return Open(QStringLiteral("Driver={sql server};server=") + server
                + (express == 1 ? QStringLiteral("\\SQLExpress;uid=") : QStringLiteral(";uid=")) + userId
                + QStringLiteral(";pwd=") + password + QStringLiteral(";database=") + database);
}

bool DbConnection::OpenExcel(const QString &workbookPath, int importMode)
{
    return Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=\"Excel 8.0;IMEX=")
                + QString::number(importMode) + QStringLiteral("\";data source=") + connectionValue(workbookPath) + u';');
}

bool DbConnection::Close()
{
    if (!object)
        return false;
    object->close();
    return !object->isOpen();
}

bool DbConnection::Execute(const QString &statement)
{
    if (!object)
        return false;
    if (object->run(statement))
        return true;
    qCWarning(logData).noquote() << "statement failed:" << loggableStatement(statement) << "-" << object->lastError;
    return false;
}

double DbConnection::GetMode()
{
    return object ? object->mode : 0;
}

bool DbConnection::SetMode(int mode)
{
    // The sharing mode is fixed while the connection is open.
    if (!object || object->isOpen() || mode < 0)
        return false;
    object->mode = mode;
    return true;
}

double DbConnection::GetTimeout(bool command)
{
    if (!object)
        return 0;
    return command ? object->commandTimeout : object->connectionTimeout;
}

bool DbConnection::SetTimeout(int seconds, bool command)
{
    if (!object || seconds < 0)
        return false;
    (command ? object->commandTimeout : object->connectionTimeout) = seconds;
    return true;
}

int DbConnection::BeginTrans()
{
    if (!object || !object->isOpen())
        return 0;
    const int level = object->transactionLevel + 1;
    const bool ok = level == 1 ? object->runNative(QStringLiteral("BEGIN IMMEDIATE"))
                               : object->runNative(QStringLiteral("SAVEPOINT jet_%1").arg(level));
    if (!ok)
        return 0;
    object->transactionLevel = level;
    return level;
}

bool DbConnection::CommitTrans()
{
    if (!object || !object->isOpen() || object->transactionLevel == 0)
        return false;
    const int level = object->transactionLevel;
    const bool ok = level == 1 ? object->runNative(QStringLiteral("COMMIT"))
                               : object->runNative(QStringLiteral("RELEASE jet_%1").arg(level));
    if (ok)
        object->transactionLevel = level - 1;
    return ok;
}

bool DbConnection::RollbackTrans()
{
    if (!object || !object->isOpen() || object->transactionLevel == 0)
        return false;
    const int level = object->transactionLevel;
    const bool ok = level == 1 ? object->runNative(QStringLiteral("ROLLBACK"))
                               : object->runNative(QStringLiteral("ROLLBACK TO jet_%1").arg(level))
            && object->runNative(QStringLiteral("RELEASE jet_%1").arg(level));
    if (ok)
        object->transactionLevel = level - 1;
    return ok;
}

QString DbConnection::LastError()
{
    return object ? object->lastError : QString();
}

bool DbConnection::IsOpen()
{
    return object && object->isOpen();
}

QString DbConnection::Provider()
{
    return object ? object->provider : QString();
}

QString DbConnection::Version()
{
    return object ? QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion()) : QString();
}

ConnectionHandle DbConnection::GetObject()
{
    return object;
}

ConnectionHandle DbConnection::SetObject(ConnectionHandle given)
{
    object = std::move(given);
    return object;
}

bool DbConnection::SetServerPassword(const std::optional<QString> &oldPassword, const std::optional<QString> &newPassword)
{
    const QString oldPart = oldPassword ? quoteText(*oldPassword) : QStringLiteral("NULL");
    const QString newPart = newPassword ? quoteText(*newPassword) : QStringLiteral("NULL");
    return Execute(QStringLiteral("sp_password ") + oldPart + u',' + newPart + QStringLiteral(",'sa'"));
}

bool DbConnection::ExportTable(const QString &workbookPath, const QString &table, const std::optional<QStringList> &fields,
                               const QString &tail)
{
    if (fields && fields->isEmpty())
        return false;
    const QString list = fields ? fields->join(u',') : QStringLiteral("*");
    return Execute(QStringLiteral("SELECT ") + list + QStringLiteral(" INTO ") + excelSource(workbookPath) + u'.' + table
                   + QStringLiteral(" FROM ") + table + u' ' + tail);
}

bool DbConnection::ImportTable(const QString &workbookPath, const QString &table, const std::optional<QStringList> &fields,
                               const QString &tail, const std::optional<QString> &sheet)
{
    if (fields && fields->isEmpty())
        return false;
    return Execute(importStatement(workbookPath, table, fields, fields ? fields->join(u',') : QString(), tail, sheet, true));
}

DbCompactResult DbConnection::CompactDatabase(const QString &path, const std::optional<QString> &password,
                                              const std::function<bool(qint64 done, qint64 total)> &progress)
{
    if (!engineAvailable())
        return CompactNoEngine;
    // A database on the server is compacted there, by the server's VACUUM.
    if (!serverSchemaOf(path).isEmpty())
        return !ConnectionObject::isFileOpen(path) && compactServerDatabase(path) ? CompactDone : CompactEngineError;
    // The engine compacts only a file nobody has open; replacing an open file would leave its
    // connection writing to the old one.
    if (ConnectionObject::isFileOpen(path) || checkDatabaseFile(path, password.value_or(QString())) != DatabaseFileCheck::Ours)
        return CompactEngineError;

    // The compacted copy is written beside the file, synced, and renamed over it in one step, so
    // the ledger is never missing, whatever fails.
    const QFileInfo info(path);
    removeCompactionLeftovers(path);
    QString compacted;
    for (int n = 0; compacted.isEmpty() || QFileInfo::exists(compacted); ++n)
        compacted = info.dir().filePath(u'.' + info.fileName() + QStringLiteral(".compact%1.tmp").arg(n));

    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_stmt *vacuum = nullptr;
        const QByteArray target = QFile::encodeName(compacted);
        // The copy grows to about the file's size; how far it has grown is the progress.
        struct Watch
        {
            const std::function<bool(qint64, qint64)> *progress;
            QString copy;
            qint64 total;
        } watch{&progress, compacted, info.size()};
        if (progress)
            sqlite3_progress_handler(db, 20000, [](void *context) {
                const auto *w = static_cast<const Watch *>(context);
                (*w->progress)(qMin(QFileInfo(w->copy).size(), w->total), w->total);
                return 0;
            }, &watch);
        ok = sqlite3_prepare_v2(db, "VACUUM INTO ?", -1, &vacuum, nullptr) == SQLITE_OK
            && sqlite3_bind_text(vacuum, 1, target.constData(), int(target.size()), SQLITE_TRANSIENT) == SQLITE_OK
            && sqlite3_step(vacuum) == SQLITE_DONE;
        sqlite3_finalize(vacuum);
    }
    sqlite3_close_v2(db);
    if (!ok || checkDatabaseFile(compacted, password.value_or(QString())) != DatabaseFileCheck::Ours || !syncFile(compacted)) {
        QFile::remove(compacted);
        return CompactEngineError;
    }
    if (!moveFile(compacted, path)) {
        QFile::remove(compacted);
        return CompactNotReplaced;
    }
    return CompactDone;
}

bool DbConnection::ImportTableMapped(const QString &workbookPath, const QString &table,
                                     const std::optional<QStringList> &fields, const QString &tail,
                                     const std::optional<QString> &sheet, const QStringList &sheetColumns)
{
    if (fields && fields->isEmpty())
        return false;
    const QString columnList = fields ? sheetColumns.mid(0, fields->size()).join(u',') : QString();
    return Execute(importStatement(workbookPath, table, fields, columnList, tail, sheet, !tail.isEmpty()));
}

bool DbConnection::ExportTableAliased(const QString &workbookPath, const QString &table,
                                      const std::optional<QStringList> &fields, const QStringList &titles,
                                      const QString &tail, const std::optional<QString> &sheet)
{
    if (fields && fields->isEmpty())
        return false;
    const QString list = fields ? titledList(*fields, titles) : QStringLiteral("*");
    return Execute(QStringLiteral("SELECT ") + list + QStringLiteral(" INTO ") + excelSource(workbookPath) + u'.'
                   + sheet.value_or(table) + QStringLiteral(" FROM ") + table + u' ' + tail);
}

bool DbConnection::ExportTableSorted(const QString &workbookPath, const QString &table,
                                     const std::optional<QStringList> &fields, const QStringList &titles,
                                     const QString &order, const std::optional<QString> &sheet, const QString &condition)
{
    if (fields && fields->isEmpty())
        return false;
    const QString list = fields ? titledList(*fields, titles) : QStringLiteral("*");
    QString statement = QStringLiteral("SELECT ") + list + QStringLiteral(" INTO ") + excelSource(workbookPath) + u'.'
        + sheet.value_or(table) + QStringLiteral(" FROM ") + table;
    if (!condition.isEmpty())
        statement += QStringLiteral(" where ") + condition;
    return Execute(statement + QStringLiteral(" order by ") + order);
}

QString DbConnection::lastStatementText() const
{
    return object ? object->lastStatement : QString();
}

bool openJetShowingConversion(DbConnection &connection, const QString &path, const QString &password, Prompter &prompter)
{
    // The report opens with the first converted rows, so an ordinary opening shows nothing.
    std::optional<ProgressScope> progress;
    setConversionProgress([&progress, &prompter](qint64 done, qint64 total) {
        if (!progress)
            progress.emplace(prompter, QStringLiteral("正在转换Windows版数据……"), total, false);
        progress->step(done);
    });
    const bool opened = connection.OpenJet(path, password);
    setConversionProgress({});
    return opened;
}

QString DbConnection::filePath() const
{
    return object && object->isOpen() && object->workbook.isEmpty() ? object->path : QString();
}

QString DbConnection::lastConnectionText() const
{
    return object ? object->lastConnectionString : QString();
}
