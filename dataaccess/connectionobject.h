#pragma once
// The engine side of one connection: the SQLite handle, its prepared statements, transactions and
// errors. DbConnection and the DbRecordset attached to it share one of these, as the Windows
// program's connection and recordset objects shared their platform connection.
#include "jetdialect.h"
#include "pg/serverlink.h"

#include <QHash>
#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

class ConnectionObject
{
public:
    ConnectionObject() = default;
    ~ConnectionObject();
    ConnectionObject(const ConnectionObject &) = delete;
    ConnectionObject &operator=(const ConnectionObject &) = delete;

    bool openJet(const QString &path, const QString &password);
    // A workbook as a connection: its worksheets are read as the tables "[name$]".
    bool openWorkbook(const QString &path);
    void close();
    bool isOpen() const { return db != nullptr || server != nullptr; }

    // Translates, prepares and binds one Jet statement; null with lastError set on failure.
    // The statement stays owned by the cache: hand it back with finish().
    sqlite3_stmt *prepare(const QString &text, JetStatement *translated = nullptr);
    // Prepares SQLite text as it stands (the program's own statements), values bound in order.
    sqlite3_stmt *prepareNative(const QString &sql, const QList<QVariant> &values);
    void finish(sqlite3_stmt *statement);
    // Runs a statement to its end; false with lastError set when the engine refuses it.
    bool run(const QString &text);
    bool runNative(const QString &sql, const QList<QVariant> &values = {});
    void recordEngineError();
    // On the server: a Jet statement, or the program's own text with "?" marks, run with its values;
    // null with lastError set on failure.
    PgResult query(const QString &text);
    PgResult queryNative(const QString &sql, const QList<QVariant> &values = {});
    QList<JetColumn> tableColumns(const QString &table);

    sqlite3 *db = nullptr;
    std::unique_ptr<ServerLink> server; // set instead of db for a database of the data folder on the server
    QString path;
    QString workbook; // set while the connection is open on a workbook
    QString provider = QStringLiteral("MSDASQL");
    int mode = 0;
    int commandTimeout = 30;
    int connectionTimeout = 15;
    int transactionLevel = 0;
    QString lastError;
    QString lastStatement;
    QString lastConnectionString;
    bool internal = false; // the program's own PRAGMA reads, which statements may not make

    // Whether any connection of this process has the file open.
    static bool isFileOpen(const QString &path);

private:
    bool openServer(const QString &filePath, const QString &schema, const QString &password);
    bool runWorkbookStatement(const QString &text);
    bool exportToWorkbook(const WorkbookStatement &w);
    bool importFromWorkbook(const WorkbookStatement &w);
    // The same on the server: the result read from it, the worksheet put in a temporary table there.
    bool exportServerResult(const WorkbookStatement &w);
    bool importToServer(const WorkbookStatement &w);
    bool loadWorksheet(const QString &workbookPath, const QString &sheet, bool temporary, qint64 *rows = nullptr);
    struct Cached
    {
        sqlite3_stmt *statement = nullptr;
        quint64 lastUse = 0;
    };
    sqlite3_stmt *cachedPrepare(const QString &sql);
    void clearCache();
    QHash<QString, Cached> cache;
    quint64 useCounter = 0;
    QHash<QString, QList<JetColumn>> columnsByTable;
    JetShapes shapes;
};

using ConnectionHandle = std::shared_ptr<ConnectionObject>;

bool bindValues(sqlite3_stmt *statement, const QList<QVariant> &values);
