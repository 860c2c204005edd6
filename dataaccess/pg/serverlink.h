#pragma once
// One session with the PostgreSQL server through libpq: statements with their values, prepared
// once per text, and what the catalogue says of a result's columns. The connection of a ledger
// on the server holds one of these where a ledger file holds its SQLite handle.
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

struct pg_conn;
struct pg_result;

struct PgResultDeleter
{
    void operator()(pg_result *result) const;
};
using PgResult = std::unique_ptr<pg_result, PgResultDeleter>;

// A table column as the catalogue gives it.
struct PgTableColumn
{
    QString name;
    QString declared; // the Jet-like type name the recordset reports ("TEXT(50)", "DATETIME", …)
    bool isKey = false; // the table's counter
};
struct PgTable
{
    QString name;
    QList<PgTableColumn> columns; // by position from 1, as libpq numbers them
};

class ServerLink
{
public:
    ServerLink() = default;
    ~ServerLink();
    ServerLink(const ServerLink &) = delete;
    ServerLink &operator=(const ServerLink &) = delete;

    // Connects with a libpq connection text and sets up the program's functions and ordering
    // on the server when they are missing; false with error() set when the server refuses.
    bool connect(const QString &connection);
    void close();
    bool isOpen() const { return conn != nullptr; }
    // Runs a statement with "$n" marks and their values; null with error() set on failure. A
    // failure inside a transaction leaves the transaction as it was before the statement, as
    // SQLite and Jet do, not aborted as the server leaves it.
    PgResult run(const QString &sql, const QList<QVariant> &values = {});
    // Runs text as it stands, without values (several statements allowed).
    bool runScript(const QString &sql);
    QString error() const { return lastError; }
    bool inTransaction() const;
    const PgTable *table(unsigned tableOid);
    // The columns of a table on the search path, in order, with whether each holds dates.
    QList<std::pair<QString, bool>> tableColumns(const QString &table);
    // Forgets what was read of the tables' layout and the prepared statements.
    void layoutChanged();

    static QString defaultConnectionOptions();

private:
    PgResult execute(const QString &sql, const QList<QVariant> &values);
    pg_conn *conn = nullptr;
    QString lastError;
    QHash<QString, QByteArray> prepared; // text and value types → statement name
    QHash<unsigned, PgTable> tables;
    quint64 statementCount = 0;
};

// The text a result's value gives, as the program reads it: timestamps in the stored form of the
// ledger files ("YYYY-MM-DD", with " hh:mm:ss" when there is a time of day).
QByteArray storedDateForm(const char *value, int length);
// The Jet-like type name of a result column of the given server type.
QString pgDeclaredType(unsigned type, int modifier);
