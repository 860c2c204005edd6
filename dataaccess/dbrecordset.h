#pragma once
// DbRecordset: every query that returns rows, read in one pattern: Open, RecordCount, the typed
// getters by column name, MoveNext. The whole result is read when the query opens, so the row
// count is exact before the first row is read and a transaction never waits on an open cursor.
#include "dbconnection.h"

#include <QByteArray>
#include <QHash>
#include <QDateTime>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3_stmt;
struct pg_result;

// A column of the current row, by name (without regard to case) or by position from 0.
struct DbField
{
    DbField(const QString &name) : name(name), byName(true) {}
    DbField(const char *name) : name(QString::fromUtf8(name)), byName(true) {}
    DbField(int position) : position(position) {}
    QString name;
    int position = 0;
    bool byName = false;
};

class DbRecordset
{
public:
    DbRecordset();
    ~DbRecordset();
    DbRecordset(const DbRecordset &) = delete;
    DbRecordset &operator=(const DbRecordset &) = delete;

    bool SetConnection(DbConnection &connection);
    std::unique_ptr<DbConnection> GetConnection();
    bool OpenSource(const QString &source, std::optional<int> kind = std::nullopt);
    bool Open(const QString &query);
    // Runs a query and calls eachRow once for each row as it is read, the recordset standing on that
    // row and holding no other, so a long list costs one row's memory here; closed afterwards. For
    // reading only: no moving, no changes. False when the query fails.
    bool OpenEach(const QString &query, const std::function<void()> &eachRow);
    bool OpenTableOrdered(const QString &table, const QString &order);
    bool OpenTableWhere(const QString &table, const QString &condition);
    bool Close();
    bool AddNew();
    bool Update();
    bool Delete(int affect);
    bool SetText(const DbField &field, const QString &value);
    bool SetNumber(const DbField &field, double value);
    bool SetFloat(const DbField &field, float value);
    bool SetInteger(const DbField &field, qint32 value);
    bool SetBool(const DbField &field, bool value);
    bool SetDateTime(const DbField &field, const QDateTime &value);
    bool SetBytes(const DbField &field, const QByteArray &value);
    QString GetText(const DbField &field);
    // The stored UTF-8 bytes of a text value of the current row, without making a QString of them;
    // false for any other kind of value. The bytes stay valid until the next query or Close().
    bool GetTextBytes(const DbField &field, QByteArrayView *bytes);
    double GetNumber(const DbField &field);
    float GetFloat(const DbField &field);
    qint64 GetInteger(const DbField &field);
    bool GetBool(const DbField &field);
    QDateTime GetDateTime(const DbField &field);
    QByteArray GetBytes(const DbField &field);
    bool SaveXml(const QString &path);
    bool SaveBinary(const QString &path);
    bool MoveFirst();
    bool MoveLast();
    bool MoveNext();
    bool MovePrevious();
    bool Move(qint64 rows);
    QString FieldName(int position);
    double FieldAttributes(const DbField &field);
    double FieldDefinedSize(const DbField &field);
    double FieldActualSize(const DbField &field);
    double FieldType(const DbField &field);
    bool FieldMissing(const DbField &field);
    bool Find(const QString &criteria, int direction);
    bool FindNext();
    bool SetFilter(const QString &criteria);
    bool IsOpen();
    double Status();
    qint64 RecordCount();
    qint64 FieldCount();
    bool Bof();
    bool Eof();
    double AbsolutePosition();
    bool Requery();
    qint64 CountRows(const QString &table);

    // The earliest moment the getters know, returned for a value that is no date.
    static QDateTime earliestDateTime();

    struct Cell
    {
        enum Kind : quint8 { Null, Integer, Real, Text, Blob, Unread };
        Kind kind = Null;
        qint64 integer = 0; // Integer; for Text and Blob the offset into the text pool
        double real = 0;    // Real; for Text and Blob the length in bytes
    };
    struct Column
    {
        QString name;
        QString table;     // the table the column comes from, when it comes from one
        QString origin;    // its name in that table
        QString declared;  // its declared type there
        bool isDate = false;
        bool isKey = false; // the table's counter, which addresses the row
    };

private:
    struct Pending
    {
        int column;
        QVariant value;
    };
    enum RowStatus : quint8 { Unmodified = 8, New = 1, Modified = 2, Deleted = 4 };

    bool runQuery(const QString &query);
    bool readQuery(const QString &query); // runQuery without the log line of a failure
    // Forgets what is held; false when there is no open connection to query.
    bool forgetResult();
    // Forgets what is held, prepares the query and reads its columns; null when it fails.
    sqlite3_stmt *startQuery(const QString &query);
    // The value of a column of the statement's current row; texts and bytes go into the pool.
    Cell readCell(sqlite3_stmt *statement, int column);
    // The same for a query on the server: the result's columns and every row are read at once.
    pg_result *startServerQuery(const QString &query, PgResult *holder);
    void readServerRow(pg_result *result, int row);
    Cell readServerCell(pg_result *result, int row, int column);
    QString keyName() const; // the name that addresses a row in statements: rowid, or the counter
    int columnIndex(const DbField &field) const;
    const Cell *cell(const DbField &field, int *column = nullptr) const;
    QString cellText(const Cell &c) const;
    bool cellNumber(const Cell &c, int column, double *out) const;
    QVariant cellValue(const Cell &c, int column) const;
    bool atRow() const;
    qint64 currentRow() const;
    bool setValue(const DbField &field, const QVariant &value);
    bool flushPending();
    bool readRow(qint64 row, qint64 key);
    // Where the cells of row begin; row -1 first becomes a new row at the end.
    size_t rowCells(qint64 &row);
    int keyColumn() const;
    bool moveTo(qint64 position);
    void resetOrder();
    bool matches(qint64 row, const QString &criteria, bool *valid) const;

    ConnectionHandle connection;
    bool exists = false;
    bool open = false;
    QString query;
    std::vector<Column> columns;
    mutable int nextGuess = 0; // callers read the columns in the same order on every row
    std::vector<Cell> cells; // row after row
    // While OpenEach hands out a row, the statement it steps: the row's cells are read from it
    // when asked for (Unread until then), and texts are lent straight from the engine.
    sqlite3_stmt *streaming = nullptr;
    std::vector<quint8> status;
    QByteArray pool;
    std::vector<qint64> order; // the rows the filter lets through, in result order
    qint64 position = -1;      // index into order; -1 before the first, order.size() after the last
    QString filter;
    QString findCriteria;
    int findDirection = 0;
    std::vector<Pending> pending;
    bool adding = false;
};
